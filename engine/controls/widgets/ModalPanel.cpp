#include "engine/controls/widgets/ModalPanel.h"

#include "engine/controls/widgets/TextButton.h"
#include "engine/objects/CanvasObject.h"

#include <algorithm>
#include <cstdio>
#include <memory>

namespace engine {

namespace {

constexpr int kButtonColourProperty = 11;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 30;
constexpr int kButtonFont = 18;
constexpr int kLabelWidth = 40;
constexpr int kLabelHeight = 20;
constexpr uint32_t kTickMs = 1000;
constexpr uint32_t kTransparent = 0xFF00FF;
// LINK_STANDARD without scaling: the parts keep their size.
constexpr uint32_t kLinkPart = LINK_STANDARD & ~kLinkScale;
static_assert(kLinkPart == 1818795);

} // namespace

TextButton* ModalPanel::MakeButton(const char* caption, int clickCode, uint32_t colour)
{
    auto* button = static_cast<TextButton*>(RegisterObject(std::make_unique<TextButton>()));
    if (!button)
        return nullptr;
    const EngineEvent click(GetId(), clickCode);
    button->Create(caption, kButtonWidth, kButtonHeight, kButtonFont, colour, 0, &click);
    button->SetZ(GetZ() + 0.001);
    AddChild(button, kLinkPart);
    return button;
}

CanvasObject* ModalPanel::Create(int width, int height, const EngineEvent* ok, const EngineEvent* cancel,
    int seconds)
{
    const auto colour = static_cast<uint32_t>(GetIntProperty(kButtonColourProperty));
    m_background = CreateCanvas(width, height, kTransparent);
    if (!m_background)
        return nullptr;
    Bind(m_background, LINK_STANDARD);

    if (ok) {
        m_okButton = MakeButton("确定", EVT_PANEL_OK, colour);
        m_ok = *ok;
    }
    if (cancel) {
        m_cancelButton = MakeButton("取消", EVT_PANEL_CANCEL, colour);
        m_cancel = *cancel;
    }

    m_background->SubscribeEvent(EVT_DRAG, GetId(), EVT_DRAG_MOVE, 0, 0);
    m_background->SetInputEnabled(true);

    if (seconds > 0) {
        m_seconds = std::min(seconds, kMaxSeconds);
        m_label = CreateCanvas(kLabelWidth, kLabelHeight, kTransparent);
        if (m_label) {
            m_label->SetZ(GetZ() + 0.002);
            m_label->Show();
            m_label->Invalidate();
            if (m_okButton) {
                const int half = static_cast<int>(m_okButton->GetCanvas()->GetWidth()) / 2;
                m_label->MoveTo(m_okButton->GetX() + half + 5 + kLabelWidth / 2, m_okButton->GetY());
            }
            AddChild(m_label, kLinkPart);
            DrawCountdown();
        }
        const EngineEvent tick(GetId(), EVT_PANEL_TICK);
        m_tick = Delay(kTickMs, &tick);
    }

    SetTopmost();
    BringToFront();
    Invalidate();
    return m_background;
}

void ModalPanel::DrawCountdown()
{
    if (!m_label)
        return;
    m_label->SetFont(20, 400, "宋体");
    m_label->SetPen(0xFFFFFF, 1.0);
    m_label->Clear();
    char text[16];
    std::snprintf(text, sizeof text, "%d", m_seconds);
    m_label->DrawText(0, 0, text);
    m_label->Invalidate();
}

void ModalPanel::Close()
{
    if (m_closing)
        return;
    // The countdown stops here: the pending tick is cancelled, and a tick
    // already on its way is ignored (see OnEvent).
    m_closing = true;
    // Nor do the buttons take input while the panel fades.
    if (m_okButton)
        m_okButton->SetInputEnabled(false);
    if (m_cancelButton)
        m_cancelButton->SetInputEnabled(false);
    if (m_tick != 0) {
        CancelAction(m_tick);
        m_tick = 0;
    }
    BeginActionGroup();
    FadeOpacity(this, -0.1, 0.0, 0, nullptr);
    NextActionGroup();
    RemoveLater(this, nullptr);
    EndActionGroup();
}

int ModalPanel::OnEvent(const EngineEvent& event)
{
    switch (event.code) {
    case EVT_PANEL_OK:
        if (!m_closing) {
            PostEvent(m_ok);
            Close();
        }
        return 0;
    case EVT_PANEL_CANCEL:
        if (!m_closing) {
            PostEvent(m_cancel);
            Close();
        }
        return 0;
    case EVT_DRAG:
        if (const InputState* input = FromWord<const InputState>(event.data)) {
            MoveBy(input->dx, input->dy);
            Invalidate();
        }
        return 0;
    case EVT_PANEL_TICK:
        if (m_closing)
            return 1;
        m_tick = 0;
        if (m_seconds <= 0) {
            PostEvent(m_cancel);
            Close();
            return 1;
        }
        --m_seconds;
        DrawCountdown();
        {
            const EngineEvent tick(GetId(), EVT_PANEL_TICK);
            m_tick = Delay(kTickMs, &tick);
        }
        return 0;
    default:
        return EngineObject::OnEvent(event);
    }
}

void InstallModalPanels()
{
    SetOverlayPanelMaker([]() -> std::unique_ptr<OverlayPanel> { return std::make_unique<ModalPanel>(); });
}

} // namespace engine
