#include "frame/ui/FrameEdit.h"

#include "frame/ui/PictureStrip.h"

#include "engine/controls/widgets/ImageButton.h"
#include "engine/controls/widgets/MenuItem.h"
#include "engine/core/ObjectModule.h"
#include "engine/core/EventCodes.h"
#include "engine/core/InputState.h"
#include "engine/core/EngineEvent.h"
#include "engine/objects/CanvasObject.h"

#include <algorithm>

namespace frame {

using engine::CanvasObject;

namespace {

// Follows the frame's moves, depth, size, rotation, showing, hiding and
// redraws; not owned.
constexpr uint32_t kLinkPart = 0x1980a2;
constexpr uint32_t kTransparent = 0xff00ff;
constexpr uint32_t kEditFlags = engine::RT_SINGLE_LINE | engine::RT_HISTORY;
constexpr int kEditLineHeight = 14;
constexpr const char* kBoxPicture = "InputBoxBkg";
constexpr const char* kDropPicture = "btnQuickChat";
constexpr int kListItemHeight = 20;
constexpr int kListFontSize = 12;
constexpr uint32_t kListBackground = 0x2e7412;
constexpr uint32_t kListTextColour = 0xa40755;
constexpr double kListDepth = 95000;

bool IsDigitKey(uint32_t key)
{
    return (key >= 0x30 && key <= 0x39) || (key >= 0x60 && key <= 0x69);
}

// By id: a part may be gone already.
void RemoveParts(const engine::EngineObject& owner, const std::vector<int>& ids)
{
    if (engine::ObjectModule* objects = owner.GetObjectModule()) {
        for (int id : ids)
            objects->RemoveObject(id);
    }
}

// A one-line FrameEdit of the box's look, linked to the frame.
FrameEdit* MakeEdit(engine::BoundObject& owner, CanvasObject* frame, int width, int height)
{
    auto* edit = static_cast<FrameEdit*>(owner.RegisterObject(std::make_unique<FrameEdit>()));
    if (!edit)
        return nullptr;
    edit->Create(width, height, kEditFlags);
    edit->SetBackgroundColour(kFrameEditBackground);
    edit->SetTextColour(0);
    edit->SetZ(owner.GetZ() + 0.2);
    edit->TakeFocus();
    if (frame)
        frame->AddChild(edit, kLinkPart);
    return edit;
}

// The background canvas with the picture, linked to the frame.
CanvasObject* MakeBackground(engine::BoundObject& owner, CanvasObject* frame, const engine::PictureDesc& picture,
    int width, int height)
{
    CanvasObject* background = owner.CreateCanvas(std::max(width, 1), std::max(height, 1), kTransparent);
    if (!background)
        return nullptr;
    if (picture.record)
        background->BlitPicture(picture, 0, 0, -1, -1, 0.0, 1.0);
    background->SetZ(owner.GetZ() + 0.1);
    if (frame)
        frame->AddChild(background, kLinkPart);
    return background;
}

} // namespace

// ---- FrameEdit

void FrameEdit::SetMaxLength(int bytes)
{
    m_maxLength = bytes;
    RichEdit::SetMaxLength(bytes);
}

int FrameEdit::AppendText(std::string_view text)
{
    const bool limited = m_maxLength > 0;
    if (limited && GetTextLength() >= m_maxLength)
        return 0;
    std::string wrapped;
    if (m_editFlags & FEDIT_BOLD)
        wrapped = "<e=b>" + std::string(text) + "<>";
    else
        wrapped = text;
    const int result = RichText::AppendText(wrapped);
    bool removed = false;
    while (limited && GetTextLength() > m_maxLength && GetLastNode()) {
        RemoveNode(GetLastNode());
        removed = true;
    }
    if (removed)
        RequestRedraw();
    return result;
}

void FrameEdit::OnChar(const engine::InputState& state)
{
    if ((m_editFlags & FEDIT_KEYBOARD) && IsDigitKey(state.lastKeyDown))
        RichEdit::OnChar(state.character);
}

void FrameEdit::OnKeyDown(const engine::InputState& state)
{
    if (m_editFlags & FEDIT_KEYBOARD)
        RichEdit::OnKeyDown(state);
}

void FrameEdit::TakeFocus()
{
    SetFocus(GetId());
    if (IsPlaceholderShown())
        Clear();
    ShowCaret(const_cast<engine::RichTextNode*>(GetCaretNode()));
}

int FrameEdit::OnEvent(const engine::EngineEvent& event)
{
    if (event.code == engine::EVT_CHAR) {
        if (const auto* input = event.DataAs<const engine::InputState>())
            OnChar(*input);
        return 1;
    }
    return RichEdit::OnEvent(event);
}

// ---- InputBox

InputBox::~InputBox()
{
    RemoveParts(*this, m_partIds);
}

int InputBox::OnCreate()
{
    LookupPicture(&m_picture, kBoxPicture, 0);
    const int pw = m_picture.width;
    const int ph = m_picture.height;
    m_frame = CreateCanvas(std::max(pw, 1), std::max(ph, 1), kTransparent);
    if (m_frame) {
        m_frame->Show();
        Bind(m_frame, engine::LINK_STANDARD);
    }
    m_background = MakeBackground(*this, m_frame, m_picture, pw, ph);
    if (m_background)
        m_partIds.push_back(m_background->GetId());
    m_edit = MakeEdit(*this, m_frame, pw - 4, ph - 4);
    if (m_edit)
        m_partIds.push_back(m_edit->GetId());
    FillRect(2, 2, pw - 2, ph - 2, kFrameEditBackground);
    return 0;
}

void InputBox::SetSize(int width, int height)
{
    if (width < 0 || height < 0)
        return;
    m_width = width;
    m_height = height;
    Layout();
}

void InputBox::SetWidth(int width)
{
    if (width >= 0)
        m_width = width;
}

void InputBox::SetHeight(int height)
{
    if (height >= 0)
        m_height = height;
}

void InputBox::Layout()
{
    const int pw = m_picture.width;
    const int ph = m_picture.height;
    const int w = m_width ? m_width : pw;
    const int h = m_height ? m_height : ph;
    if (m_frame) {
        m_frame->ScaleTo(w, h);
        m_frame->Clear();
    }
    if (m_background) {
        m_background->ResizeBuffer(w, h);
        m_background->ScaleTo(w, h);
        m_background->Clear();
        if (m_picture.record) {
            // A 3 x 3 grid: corners unscaled, edges stretched along, the
            // centre over the rest.
            const int cx = std::min(w, pw) / 3;
            const int cy = std::min(h, ph) / 3;
            const int srcX[3] = { 0, cx, pw - cx };
            const int srcY[3] = { 0, ph / 3, ph - cy };
            const int dstX[4] = { 0, cx, w - cx, w };
            const int dstY[4] = { 0, cy, h - cy, h };
            for (int row = 0; row < 3; ++row) {
                for (int col = 0; col < 3; ++col) {
                    DrawPictureCell(m_background, m_picture, srcX[col], srcY[row], cx, cy, dstX[col], dstY[row],
                        dstX[col + 1] - dstX[col], dstY[row + 1] - dstY[row]);
                }
            }
        }
        m_background->MoveTo(GetLeft() + w / 2, GetTop() + h / 2);
        m_background->Invalidate();
    }
    if (m_edit) {
        const bool fill = (m_edit->GetFlags() & engine::ObjectFlags::kPixelHitTest) != 0;
        const int ew = w - 4;
        const int eh = fill ? h - 4 : kEditLineHeight;
        m_edit->ScaleTo(ew, eh);
        m_edit->Layout(ew, eh);
        if (m_background)
            m_edit->MoveTo(m_background->GetX(), m_background->GetY());
    }
    FillRect(2, 2, w - 2, h - 2, kFrameEditBackground);
}

void InputBox::Focus()
{
    if (m_edit)
        m_edit->TakeFocus();
}

void InputBox::Clear()
{
    if (m_edit)
        m_edit->Clear();
}

void InputBox::AppendText(std::string_view text)
{
    if (!m_edit)
        return;
    m_edit->AppendText(text);
    m_edit->TakeFocus();
}

std::string InputBox::GetText() const
{
    return m_edit ? m_edit->GetText() : std::string();
}

void InputBox::FillRect(int left, int top, int right, int bottom, uint32_t colour)
{
    if (!m_background || colour == kTransparent)
        return;
    const int x0 = std::max(left, 0);
    const int y0 = std::max(top, 0);
    const int x1 = std::min(right, m_background->GetBufferWidth());
    const int y1 = std::min(bottom, m_background->GetBufferHeight());
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x)
            m_background->SetPixel(x, y, colour);
    }
    m_background->Invalidate();
}

void InputBox::SetMaxLength(int bytes)
{
    if (m_edit)
        m_edit->SetMaxLength(bytes);
}

void InputBox::SetEditFlags(uint32_t flags)
{
    if (m_edit)
        m_edit->SetEditFlags(flags);
}

uint32_t InputBox::GetEditFlags() const
{
    return m_edit ? m_edit->GetEditFlags() : 0;
}

// ---- DropList

void DropList::RemoveItem(std::string_view caption)
{
    if (engine::MenuItem* item = FindItem(caption)) {
        UnlinkItem(item);
        RemoveChild(item->GetId());
        RemoveObject(item, 1);
    }
    Layout();
}

// ---- ComboInput

ComboInput::~ComboInput()
{
    RemoveParts(*this, m_partIds);
}

int ComboInput::OnCreate()
{
    engine::PictureDesc button;
    LookupPicture(&button, kDropPicture, 0);
    m_buttonWidth = button.width;
    LookupPicture(&m_picture, kBoxPicture, 0);
    const int pw = m_picture.width;
    const int ph = m_picture.height;
    m_frame = CreateCanvas(std::max(pw, 1), std::max(ph, 1), kTransparent);
    if (m_frame) {
        m_frame->Show();
        Bind(m_frame, engine::LINK_STANDARD);
    }
    m_background = MakeBackground(*this, m_frame, m_picture, pw, ph);
    if (m_background)
        m_partIds.push_back(m_background->GetId());
    m_edit = MakeEdit(*this, m_frame, pw - 20, ph - 4);
    if (m_edit)
        m_partIds.push_back(m_edit->GetId());
    m_button = static_cast<engine::ImageButton*>(RegisterObject(std::make_unique<engine::ImageButton>()));
    if (m_button) {
        m_partIds.push_back(m_button->GetId());
        const engine::EngineEvent drop(GetId(), EVT_COMBO_DROP);
        m_button->Create(button, &drop, 0, engine::ObjectFlags::kPixelHitTest);
        m_button->SetSound(engine::kButtonSoundEnter, "SndTouchButton");
        m_button->SetSound(engine::kButtonSoundPress, "SndHitButton");
        m_button->SetSendOnPress();
        m_button->SetZ(GetZ() + 0.2);
        if (m_frame)
            m_frame->AddChild(m_button, kLinkPart);
    }
    Layout();
    return 0;
}

void ComboInput::Layout()
{
    const int pw = m_picture.width;
    const int ph = m_picture.height;
    const int width = m_width ? m_width : pw;
    if (m_frame)
        m_frame->ScaleTo(width, ph);
    if (m_background) {
        m_background->ResizeBuffer(width, ph);
        m_background->ScaleTo(width, ph);
        m_background->Clear();
        if (m_picture.record) {
            if (pw < width)
                DrawWideStrip(m_background, m_picture, 0, 0, width, ph);
            else
                DrawNarrowStrip(m_background, m_picture, 0, 0, width, ph);
        }
        m_background->MoveTo(GetLeft() + width / 2, GetTop() + ph / 2);
        m_background->Invalidate();
    }
    const double centreX = m_background ? m_background->GetX() : GetX();
    if (m_edit) {
        const int ew = width - m_buttonWidth;
        const int eh = static_cast<int>(m_edit->GetHeight());
        m_edit->ScaleTo(ew, eh);
        m_edit->Layout(ew, eh);
        m_edit->MoveTo(centreX - m_buttonWidth / 2 + 3, GetTop() + ph / 2);
    }
    if (m_button) {
        const double right = m_background ? m_background->GetRight() : GetRight();
        const double y = m_edit ? m_edit->GetY() : GetTop() + ph / 2;
        m_button->MoveTo(right - m_buttonWidth / 2 + 1, y);
    }
}

void ComboInput::SetWidth(int width)
{
    m_width = width;
    Layout();
}

void ComboInput::AppendText(std::string_view text)
{
    if (!m_edit)
        return;
    m_edit->AppendText(text);
    m_edit->TakeFocus();
}

void ComboInput::Clear()
{
    if (m_edit)
        m_edit->Clear();
}

void ComboInput::AddHistory(std::string_view text)
{
    if (!m_list) {
        m_list = static_cast<DropList*>(RegisterObject(std::make_unique<DropList>()));
        if (!m_list)
            return;
        m_partIds.push_back(m_list->GetId());
        const int width = m_width ? m_width : m_picture.width;
        m_list->Create(width - 2, kListItemHeight, kListFontSize, kListBackground);
        m_list->SetTopmost();
        m_list->SetFocusable(true);
        m_list->SetZ(kListDepth);
    }
    if (static_cast<int>(m_history.size()) > kHistorySize - 1) {
        m_list->RemoveItem(m_history.front());
        m_history.pop_front();
    }
    m_history.emplace_back(text);
    const std::string& stored = m_history.back();
    const engine::EngineEvent pick(GetId(), EVT_COMBO_PICK, engine::ToWord(stored.c_str()), engine::ToWord(m_list));
    m_list->AddItem(stored, &pick, kListTextColour, 0);
}

void ComboInput::ToggleList()
{
    if (!m_list)
        return;
    if (!m_list->IsShown()) {
        m_list->SetFocus(m_list->GetId());
        if (m_button)
            m_list->MoveTo(m_button->GetRight() - m_list->GetWidth() / 2,
                m_button->GetBottom() + m_list->GetHeight() / 2);
        m_list->Show();
    } else {
        m_list->Hide();
    }
    m_list->Invalidate();
}

void ComboInput::Focus()
{
    if (m_edit)
        m_edit->TakeFocus();
}

std::string ComboInput::GetText() const
{
    return m_edit ? m_edit->GetText() : std::string();
}

void ComboInput::SetMaxLength(int bytes)
{
    if (m_edit)
        m_edit->SetMaxLength(bytes);
}

int ComboInput::OnEvent(const engine::EngineEvent& event)
{
    if (event.code == EVT_COMBO_DROP) {
        ToggleList();
    } else if (event.code == EVT_COMBO_PICK) {
        // Copied first: the text belongs to the history.
        const std::string text = event.ParamAs<const char>();
        Clear();
        AppendText(text);
        if (m_list) {
            m_list->Hide();
            m_list->Invalidate();
        }
    }
    return BoundObject::OnEvent(event);
}

} // namespace frame
