#include "frame/ui/ChatBox.h"

#include "engine/controls/widgets/ImageButton.h"
#include "engine/core/InputState.h"
#include "engine/core/EventCodes.h"
#include "engine/core/EngineEvent.h"
#include "engine/core/ObjectGeometry.h"
#include "engine/objects/RectObject.h"
#include "frame/ui/ChatView.h"
#include "frame/ui/FacePicker.h"
#include "frame/ui/GameFrame.h"

#include <cstdlib>
#include <string>

namespace frame {

namespace {

// Follows the box's moves, depth, showing, hiding and redraws.
constexpr uint32_t kLinkView = 0x198020;
constexpr int kTextTop = 3;
constexpr int kTextRightMargin = 12;
constexpr int kTextBottomMargin = 7;
constexpr const char* kInputBarPicture = "SystemInputBar";

} // namespace

std::vector<FaceIndexEntry> ParseFaceIndex(std::string_view text)
{
    std::vector<FaceIndexEntry> entries;
    while (!text.empty()) {
        const size_t bar = text.find('|');
        const std::string_view piece = text.substr(0, bar);
        text = bar == std::string_view::npos ? std::string_view() : text.substr(bar + 1);
        const size_t equals = piece.find('=');
        if (equals == std::string_view::npos)
            continue;
        const std::string number(piece.substr(equals + 1));
        entries.push_back({ std::string(piece.substr(0, equals)), std::atoi(number.c_str()) });
    }
    return entries;
}

int ChatBox::OnCreate()
{
    SetName("ChatBox");
    auto* view = static_cast<ChatView*>(RegisterObject(std::make_unique<ChatView>()));
    if (!view)
        return 0;
    m_view = view;
    view->MoveTo(GetX(), GetY());
    view->SetZ(GetZ() + 0.1);
    view->CreateChat(100, 50);
    view->Show();
    AddChild(view, kLinkView);
    return 0;
}

void ChatBox::Layout()
{
    PlaceFacePicker();
    if (!m_view)
        return;
    const int width = static_cast<int>(GetWidth());
    const int height = static_cast<int>(GetHeight());
    if (width < 1 || height < 1)
        return;
    m_view->SetZ(GetZ() + 0.1);
    m_view->MoveTo(GetX(), GetY());
    m_view->ScaleTo(width, height);
    // The background at the box's own size: a stretched buffer would blur
    // the frame and cut off its right edge.
    m_view->ResizeBackground(width, height);
    DrawFrame(width, height);
    m_view->SetTextOffset(0, kTextTop);
    m_view->Layout(width - kTextRightMargin, height - kTextBottomMargin);
    m_view->ScrollToEnd();
    Invalidate();
}

void ChatBox::DrawFrame(int width, int height)
{
    engine::PictureDesc top;
    LookupPicture(&top, kTopPicture, 0);
    if (top.record)
        m_view->DrawImage(top, 0, 0, width, top.height);
    engine::PictureDesc repeat;
    LookupPicture(&repeat, kRepeatPicture, 0);
    const int start = top.record ? top.height : 0;
    if (repeat.record && repeat.height > 0) {
        for (int y = start; y < height; y += repeat.height)
            m_view->DrawImage(repeat, 0, y, width, repeat.height);
    }
}

void ChatBox::Clear()
{
    if (m_view)
        m_view->Clear();
}

void ChatBox::AddLine(std::string_view text)
{
    if (!m_view)
        return;
    m_view->ResetStyle();
    m_view->AppendText(text);
    m_view->ScrollToEnd();
}

void ChatBox::AddNotice(std::string_view text)
{
    if (!m_view)
        return;
    m_view->ResetStyle();
    const int maxFontSize = m_view->GetMaxFontSize();
    const bool linksWereOff = !(m_view->GetStyleFlags() & engine::RT_LINKS);
    if (linksWereOff)
        m_view->EnableLinks(true);
    m_view->SetMaxFontSize(kNoticeMaxFontSize);
    m_view->AppendText(text);
    m_view->ScrollToEnd();
    if (linksWereOff)
        m_view->EnableLinks(false);
    // The chat's own limit again: players' lines must not grow to a
    // notice's size.
    m_view->SetMaxFontSize(maxFontSize);
}

void ChatBox::AddFolderLine(std::string_view text, std::string_view folder)
{
    if (!m_view)
        return;
    m_view->TrustFolder(folder);
    AddLine(text);
}

// ---- the emoticon picker ------------------------------------------------------------

void ChatBox::SelectFaceButton(bool selected)
{
    if (auto* button = dynamic_cast<engine::ImageButton*>(FindObjectByName(kFaceButtonName))) {
        button->SetSelected(selected);
        button->Invalidate();
    }
}

bool ChatBox::IsFaceButtonSelected()
{
    auto* button = dynamic_cast<engine::ImageButton*>(FindObjectByName(kFaceButtonName));
    return button && button->IsSelected();
}

void ChatBox::FocusPicker()
{
    if (m_picker)
        SetFocus(m_picker->GetId());
}

void ChatBox::ToggleFacePicker()
{
    if (!m_picker) {
        std::unique_ptr<engine::EngineObject> made = CreateFacePicker();
        if (!made)
            return;
        m_picker = RegisterObject(std::move(made));
        if (!m_picker)
            return;
        if (auto* faces = dynamic_cast<FacePicker*>(m_picker))
            faces->Create(10, 8, 32, 2);
        m_picker->Show();
        m_picker->SetFocusable(true);
        m_picker->SubscribeEvent(engine::EVT_BLUR, GetId(), EVT_CHAT_PICKER_BLUR, 0, 0);
        PlaceFacePicker();
        LoadFaceIndex();
        FocusPicker();
        SelectFaceButton(true);
    } else if (IsFaceButtonSelected()) {
        m_picker->Hide();
        SetFocus(0);
        SelectFaceButton(false);
    } else {
        m_picker->Show();
        PlaceFacePicker();
        FocusPicker();
        SelectFaceButton(true);
    }
    m_picker->Invalidate();
}

std::unique_ptr<engine::EngineObject> ChatBox::CreateFacePicker()
{
    return std::make_unique<FacePicker>();
}

void ChatBox::LoadFaceIndex()
{
    auto* picker = dynamic_cast<FacePickerCalls*>(m_picker);
    if (!picker)
        return;
    if (const char* text = GetResourceData(kFaceIndexResource)) {
        for (const FaceIndexEntry& entry : ParseFaceIndex(text))
            picker->AddEntry(entry.name, "#" + entry.name, entry.number);
    }
    picker->DrawEntries();
}

void ChatBox::PlaceFacePicker()
{
    if (!m_picker)
        return;
    engine::Rect pane;
    auto* subSystem = dynamic_cast<engine::RectObject*>(FindObjectByName("SubSystem"));
    if (subSystem)
        subSystem->GetRect(&pane);
    else if (!GetSubSystemRect(&pane))
        return;
    engine::PictureDesc bar;
    LookupPicture(&bar, kInputBarPicture, 0);
    const int x = static_cast<int>(pane.right - m_picker->GetWidth() / 2 - kPickerRightInset);
    const int y = static_cast<int>(pane.bottom - bar.height - m_picker->GetHeight() / 2);
    m_picker->SetZ(kPickerDepth);
    m_picker->MoveTo(x, y);
    m_picker->Invalidate();
}

int ChatBox::OnEvent(const engine::EngineEvent& event)
{
    if (event.code != EVT_CHAT_PICKER_BLUR)
        return BoundObject::OnEvent(event);
    if (m_picker && m_picker->IsShown()) {
        // A click on the emoticon button closes the picker through the
        // button's own click; any other place closes it here.
        const auto* state = event.DataAs<const engine::InputState>();
        engine::EngineObject* button = FindObjectByName(kFaceButtonName);
        if (state && button && button->HitTest(state->x, state->y))
            return 1;
        SelectFaceButton(false);
        m_picker->Hide();
        m_picker->Invalidate();
    } else {
        SelectFaceButton(false);
    }
    return 1;
}

} // namespace frame
