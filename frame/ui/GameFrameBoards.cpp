// The main view's system board, the sliding popups, the automatic-play
// animation and the view's one-shot sounds.

#include "frame/ui/GameFrame.h"

#include "engine/controls/widgets/ImageButton.h"
#include "engine/objects/CanvasObject.h"
#include "engine/objects/SpriteObject.h"
#include "frame/ui/SystemInfoBox.h"
#include "platform/WindowAttention.h"

namespace frame {

namespace {

constexpr const char* kBoardPicture = "bit_systemboard";
constexpr int kBoardTextTop = 50;
constexpr int kBoardMargin = 20;
constexpr int kCornerGap = 4;

} // namespace

void GameFrame::ShowSystemBoard(const std::string& text, uint32_t colour, int size)
{
    engine::PictureDesc board;
    LookupPicture(&board, kBoardPicture, 0);
    if (board.width <= 0 || board.height <= 0)
        return;
    if (!m_systemBoard) {
        m_systemBoard = CreateCanvas(board.width, board.height, 0xFF00FF);
        if (!m_systemBoard)
            return;
        m_systemBoard->SetTopmost();
        m_systemBoard->SetDraggable(true);
        m_systemBoard->SetTextMargins(kBoardMargin, kBoardMargin);
        auto* ok = static_cast<engine::ImageButton*>(RegisterObject(std::make_unique<engine::ImageButton>()));
        if (ok) {
            engine::PictureDesc desc;
            LookupPicture(&desc, "btn_gameset_ok", 0);
            const engine::EngineEvent hide(m_systemBoard->GetId(), engine::EVT_HIDE, 0, 0);
            ok->Create(desc, &hide, 0, engine::ObjectFlags::kPixelHitTest);
            ok->SetSound(1, "SndTouchButton");
            ok->SetSound(2, "SndHitButton");
            ok->MoveTo(m_systemBoard->GetLeft() + 135, m_systemBoard->GetTop() + 163);
            ok->SetZ(m_systemBoard->GetZ() + 0.1);
            m_systemBoard->AddChild(ok, engine::LINK_STANDARD);
        }
    }
    m_systemBoard->SetFont(size, 400, "宋体");
    m_systemBoard->SetPen(colour, 1.0);
    m_systemBoard->SetTextSpacing(0, size / 4);
    m_systemBoard->Clear();
    m_systemBoard->BlitPicture(board, 0, 0, -1, -1, 0, 1.0);
    m_systemBoard->DrawWrappedText(text.c_str(), kBoardTextTop);
    engine::Rect r;
    (m_mainGame ? static_cast<engine::RectObject*>(m_mainGame) : this)->GetRect(&r);
    m_systemBoard->MoveTo(r.left + (r.right - r.left) / 2, r.top + (r.bottom - r.top) / 3);
    m_systemBoard->Show();
    m_systemBoard->Invalidate();
    PlaySound("snd_dang", 1, nullptr);
}

void GameFrame::PlayViewSound(const std::string& name)
{
    PlaySound(name, 1, nullptr);
}

void GameFrame::SlideInPopup(engine::EngineObject* popup)
{
    if (!popup)
        return;
    // A panel reports its frame's depth and its parts follow by the same
    // step: move the whole so that the reported depth lands on the band.
    const double depth = NextPopupDepth(*this);
    popup->SetZ(popup->EngineObject::GetZ() + depth - popup->GetZ());
    const int w = GetScreenWidth();
    const int h = GetScreenHeight();
    const int pw = static_cast<int>(popup->GetWidth());
    const int ph = static_cast<int>(popup->GetHeight());
    popup->MoveTo(w - pw / 2 - kCornerGap, h + ph / 2);
    popup->Show();
    MoveTowards(popup, w - pw / 2 - kCornerGap, h - ph / 2 - kCornerGap, 15.0, 0.0, 15.0, nullptr);
    if (!platform::MainWindowIsForeground())
        platform::FlashMainWindowCaption();
}

void GameFrame::CentreAutoPlay()
{
    if (!m_autoPlay)
        return;
    engine::Rect r;
    (m_mainGame ? static_cast<engine::RectObject*>(m_mainGame) : this)->GetRect(&r);
    m_autoPlay->MoveTo((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

void GameFrame::ShowAutoPlayAnimation(bool on)
{
    if (!m_autoPlay) {
        engine::PictureDesc desc;
        LookupPicture(&desc, "animation_autoplaying", 0);
        m_autoPlay = CreateSprite(desc);
        if (!m_autoPlay)
            return;
        m_autoPlay->SetZ(kAutoPlayDepth);
        HideFromScreen(m_autoPlay);
        CentreAutoPlay();
    }
    CancelActionsOf(m_autoPlay->GetId());
    if (on) {
        PlayFrames(m_autoPlay, 0, -1, 0, 0, nullptr);
        m_autoPlay->Show();
    } else {
        HideFromScreen(m_autoPlay);
    }
}

} // namespace frame
