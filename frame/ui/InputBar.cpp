#include "frame/ui/InputBar.h"

#include "engine/controls/richtext/RichEdit.h"
#include "engine/controls/widgets/ImageButton.h"
#include "engine/controls/widgets/PopupMenu.h"
#include "engine/core/InputState.h"
#include "engine/core/ObjectGeometry.h"
#include "engine/core/EventCodes.h"
#include "engine/core/EngineEvent.h"
#include "engine/objects/CanvasObject.h"
#include "engine/objects/RectObject.h"
#include "frame/core/CGameFrameApp.h"
#include "frame/core/FrameRecords.h"
#include "frame/core/GameConnection.h"
#include "frame/core/WireReader.h"
#include "frame/core/FormatLine.h"
#include "frame/ui/FramePopupMenu.h"
#include "frame/ui/PictureStrip.h"

#include <algorithm>
#include <cstdlib>

namespace frame {

namespace {

constexpr uint32_t kTransparent = 0xff00ff;
// Follows the bar's moves, depth, showing, hiding and redraws.
constexpr uint32_t kLinkPart = 0x198020;
constexpr int kButtonsLeft = 20;
constexpr int kButtonsTop = 6;
constexpr int kButtonGap = 10;
constexpr int kMargin = 10;
constexpr int kGap = 8;

constexpr int kPhraseWidth = 200;
constexpr int kPhraseHeight = 20;
constexpr int kMenuFont = 12;
constexpr uint32_t kPhraseBackground = 0x2E7412;
constexpr uint32_t kPhraseColour = 0xA40755;
constexpr double kPhraseDepth = 10000.0;

constexpr uint32_t kSilverBackground = 0xBEDCD2;
constexpr uint32_t kSilverHover = 0x55C8E1;
constexpr uint32_t kSilverPressed = 0x6000;
constexpr uint32_t kSilverBorder = 0x0A503C;
constexpr uint32_t kSilverSeparatorDark = 0xAFC8BE;
constexpr uint32_t kSilverSeparatorLight = 0xC8E6DC;
constexpr int kSilverRightInset = 50;

constexpr int kBoxSeconds = 10;
constexpr uint32_t kBoxFlags = 48;
constexpr const char* kBoxHead = "vkf打牌";

std::string TitleText()
{
    CGameFrameApp* app = CGameFrameApp::Current();
    return app ? app->GetTitleText() : std::string();
}

engine::PictureDesc Picture(engine::GameObject& object, const char* name)
{
    engine::PictureDesc desc;
    object.LookupPicture(&desc, name, 0);
    return desc;
}

} // namespace

InputBar::~InputBar() = default;

int InputBar::PaneId()
{
    engine::EngineObject* pane = FindObjectByName("SubSystem");
    return pane ? pane->GetId() : 0;
}

int InputBar::OnCreate()
{
    SetName("InputBar");
    const engine::PictureDesc bar = Picture(*this, kBarPicture);
    const engine::PictureDesc box = Picture(*this, kBoxPicture);
    const int pane = PaneId();

    m_bar = CreateCanvas(std::max(bar.width, 1), std::max(bar.height, 1), kTransparent);
    if (!m_bar)
        return 0;
    if (bar.record)
        m_bar->BlitPicture(bar, 0, 0, -1, -1, 0.0, 1.0);
    m_bar->Show();
    Bind(m_bar, engine::LINK_STANDARD);

    m_inputBack = CreateCanvas(std::max(box.width, 1), std::max(box.height, 1), kTransparent);
    if (m_inputBack) {
        if (box.record)
            m_inputBack->BlitPicture(box, 0, 0, -1, -1, 0.0, 1.0);
        m_inputBack->Show();
        m_inputBack->SetZ(GetZ() + 0.1);
        m_bar->AddChild(m_inputBack, kLinkPart);
    }

    m_input = static_cast<engine::RichEdit*>(RegisterObject(std::make_unique<engine::RichEdit>()));
    if (m_input) {
        m_input->Create(kEditWidth, std::max(box.height - 4, 1), engine::RT_SINGLE_LINE | engine::RT_HISTORY);
        m_input->SetBackgroundColour(kTransparent);
        m_input->SetTextColour(kTextColour);
        m_input->SetZ(GetZ() + 0.2);
        m_input->Show();
        m_input->SetSubmitEvent(pane, EVT_PANE_SUBMIT, false);
        m_bar->AddChild(m_input, kLinkPart);
    }

    auto makeButton = [&](const char* picture, int code, bool onPress) -> engine::ImageButton* {
        auto* button = static_cast<engine::ImageButton*>(RegisterObject(std::make_unique<engine::ImageButton>()));
        if (!button)
            return nullptr;
        const engine::EngineEvent click(pane, code, 0, 0);
        button->Create(Picture(*this, picture), &click, 0, engine::ObjectFlags::kPixelHitTest);
        button->SetSound(1, "SndTouchButton");
        button->SetSound(2, "SndHitButton");
        if (onPress)
            button->SetSendOnPress();
        button->SetZ(GetZ() + 0.3);
        button->Show();
        m_bar->AddChild(button, kLinkPart);
        return button;
    };
    m_quickChat = makeButton(kQuickChatPicture, EVT_PANE_QUICK_CHAT, true);
    m_send = makeButton(kSendPicture, EVT_PANE_SEND, false);
    Layout();
    return 0;
}

// ---- layout ---------------------------------------------------------------------

void InputBar::Layout()
{
    const int width = static_cast<int>(GetWidth());
    const int height = static_cast<int>(GetHeight());
    const double left = GetLeft();
    const double top = GetTop();
    if (width < 1 || height < 1)
        return;

    int x = kButtonsLeft;
    for (engine::EngineObject* button : m_buttons) {
        if (!button)
            continue;
        button->MoveTo(left + x, top + kButtonsTop + button->GetHeight() / 2);
        button->SetZ(GetZ() + 0.3);
        button->Invalidate();
        x = static_cast<int>(x + button->GetWidth() + kButtonGap);
    }

    DrawBar(width, height);

    const engine::PictureDesc box = Picture(*this, kBoxPicture);
    const int sendWidth = Picture(*this, kSendPicture).width;
    const int quickWidth = Picture(*this, kQuickChatPicture).width;
    const int inputWidth = width - 2 * kMargin - kGap - sendWidth;
    const double rowY = top + kInputTop + box.height / 2;
    DrawInputBackground(inputWidth);
    if (m_inputBack) {
        m_inputBack->SetZ(GetZ() + 0.1);
        m_inputBack->MoveTo(left + kMargin + inputWidth / 2, rowY);
        m_inputBack->Invalidate();
    }
    const double backX = m_inputBack ? m_inputBack->GetX() : left + kMargin + inputWidth / 2;
    const double backRight = m_inputBack ? m_inputBack->GetRight() : left + kMargin + inputWidth;
    if (m_input) {
        const int editWidth = std::max(inputWidth - quickWidth - kGap, 1);
        const int editHeight = static_cast<int>(m_input->GetHeight());
        m_input->SetZ(GetZ() + 0.2);
        m_input->ScaleTo(editWidth, editHeight);
        m_input->Layout(editWidth, editHeight);
        m_input->MoveTo(backX - quickWidth / 2 + 3, rowY);
        m_input->Invalidate();
    }
    const double buttonY = m_input ? m_input->GetY() : rowY;
    if (m_quickChat) {
        m_quickChat->SetZ(GetZ() + 0.3);
        m_quickChat->MoveTo(backRight - quickWidth / 2 + 1, buttonY);
        m_quickChat->Invalidate();
    }
    if (m_send) {
        m_send->SetZ(GetZ() + 0.3);
        m_send->MoveTo(GetRight() - sendWidth / 2 - kMargin, buttonY);
        m_send->Invalidate();
    }
    CentreShownDialogs();
}

void InputBar::CentreShownDialogs()
{
    // The safe box's dialogs stay in the middle of the screen however the
    // window's size changes, with the transfer dialogs the safe box opened.
    for (const char* name : { kSafeBoxName, kSetDepositName, kNumKeyPadName }) {
        auto* dialog = dynamic_cast<engine::GameObject*>(FindObjectByName(name));
        if (!dialog || !dialog->IsShown())
            continue;
        dialog->MoveTo(GetScreenWidth() / 2, GetScreenHeight() / 2);
        dialog->Invalidate();
        if (auto* box = dynamic_cast<SafeBoxDlg*>(dialog))
            box->RecentreChildren();
    }
}

void InputBar::RedrawShownSafeBox()
{
    // A transfer from the menu or the keypad changes what the safe box
    // holds: an open safe box asks again and shows the new amount.
    auto* box = dynamic_cast<SafeBoxDlg*>(FindObjectByName(kSafeBoxName));
    if (box && box->IsShown())
        box->Refresh();
}

void InputBar::DrawBar(int width, int height)
{
    if (!m_bar)
        return;
    m_bar->ResizeBuffer(width, height);
    m_bar->ScaleTo(width, height);
    m_bar->Clear();
    const engine::PictureDesc bar = Picture(*this, kBarPicture);
    if (bar.record) {
        if (width > bar.width)
            DrawWideStrip(m_bar, bar, 0, 0, width, height);
        else
            m_bar->BlitPicture(bar, 0, 0, -1, -1, 0.0, 1.0);
    }
    m_bar->MoveTo(GetX(), GetY());
    m_bar->Invalidate();
}

void InputBar::DrawInputBackground(int width)
{
    const engine::PictureDesc box = Picture(*this, kBoxPicture);
    if (!m_inputBack || width < 1 || box.height < 1)
        return;
    m_inputBack->ResizeBuffer(width, box.height);
    m_inputBack->ScaleTo(width, box.height);
    m_inputBack->Clear();
    if (width > box.width)
        DrawWideStrip(m_inputBack, box, 0, 0, width, box.height);
    else
        DrawNarrowStrip(m_inputBack, box, 0, 0, width, box.height);
}

bool InputBar::AddButton(engine::EngineObject* button)
{
    const auto free = std::find(m_buttons.begin(), m_buttons.end(), nullptr);
    if (!button || free == m_buttons.end())
        return false;
    *free = button;
    Layout();
    return true;
}

// ---- typing -----------------------------------------------------------------------

void InputBar::InsertText(std::string_view text)
{
    if (!m_input)
        return;
    m_input->AppendText(text);
    m_input->TakeFocus();
}

void InputBar::ClearInput()
{
    if (m_input)
        m_input->Clear();
}

void InputBar::Send()
{
    if (m_input)
        m_input->OnEnter();
}

bool InputBar::HasInputText() const
{
    return m_input && m_input->GetTextLength() > 0 && !m_input->IsPlaceholderShown();
}

std::string InputBar::GetInputText() const
{
    return m_input ? m_input->GetText() : std::string();
}

void InputBar::AddQuickPhrase(std::string_view text)
{
    if (!m_phraseMenu) {
        m_phraseMenu = static_cast<engine::PopupMenu*>(RegisterObject(std::make_unique<engine::PopupMenu>()));
        if (!m_phraseMenu)
            return;
        m_phraseMenu->Create(kPhraseWidth, kPhraseHeight, kMenuFont, kPhraseBackground);
        m_phraseMenu->SetTopmost();
        m_phraseMenu->SetFocusable(true);
        m_phraseMenu->SetZ(kPhraseDepth);
    }
    const std::string& phrase = m_phrases.emplace_back(text);
    const engine::EngineEvent click(PaneId(), EVT_PANE_PHRASE, engine::ToWord(const_cast<char*>(phrase.c_str())),
        engine::ToWord(m_phraseMenu));
    m_phraseMenu->AddItem(phrase, &click, kPhraseColour, 0);
}

void InputBar::ToggleQuickPhrases()
{
    if (!m_phraseMenu)
        return;
    if (m_phraseMenu->IsShown()) {
        m_phraseMenu->Hide();
        m_phraseMenu->Invalidate();
        return;
    }
    SetFocus(m_phraseMenu->GetId());
    if (m_quickChat) {
        m_phraseMenu->MoveTo(m_quickChat->GetRight() - m_phraseMenu->GetWidth() / 2,
            m_quickChat->GetTop() - m_phraseMenu->GetHeight() / 2);
    }
    m_phraseMenu->Show();
    m_phraseMenu->Invalidate();
}

// ---- the silver menu -----------------------------------------------------------------

void InputBar::LoadDepositPresets()
{
    CGameFrameApp* app = CGameFrameApp::Current();
    m_presets = frame::LoadDepositPresets(app ? app->GetUserDataPath() : std::string());
}

void InputBar::CreateSilverMenu(int width, int height)
{
    if (m_silverMenu)
        return;
    m_silverMenu = static_cast<FramePopupMenu*>(RegisterObject(std::make_unique<FramePopupMenu>()));
    if (!m_silverMenu)
        return;
    m_silverMenu->Create(width + 2, height, kMenuFont, kSilverBackground);
    m_silverMenu->SetFocusable(true);
    m_silverMenu->SetZ(GetZ() + 100);
    for (int i = 0; i < kPresetCount; ++i) {
        const engine::EngineEvent click(GetId(), EVT_INPUT_PRESET, static_cast<engine::MessageWord>(i), 0);
        m_silverMenu->AddItem(std::to_string(m_presets[static_cast<size_t>(i)]) + " 两", &click, 0, 0, false);
        m_silverMenu->AddSeparator();
    }
    const engine::EngineEvent quickSet(GetId(), EVT_INPUT_QUICK_SET, 0, 0);
    FrameMenuItem* quickItem = m_silverMenu->AddItem("快速设银", &quickSet, 0, 0, false);
    m_silverMenu->AddSeparator();
    const engine::EngineEvent safeBox(GetId(), EVT_INPUT_SAFE_BOX, 0, 0);
    FrameMenuItem* safeItem = m_silverMenu->AddItem("保 险 箱", &safeBox, 0, 0, false);
    m_silverMenu->SetBorderColour(kSilverBorder);
    m_silverMenu->SetItemColours(kSilverBackground, kSilverHover, kSilverPressed);
    m_silverMenu->SetSeparatorColours(kSilverSeparatorDark, kSilverSeparatorLight);
    m_silverMenu->SetSeparatorInset(1);
    m_silverMenu->CentreCaptions();
    m_silverMenu->SubscribeEvent(engine::EVT_BLUR, GetId(), EVT_INPUT_MENU_BLUR, 0, 0);
    auto icon = [&](FrameMenuItem* item, const char* picture) {
        if (!item)
            return;
        item->SetIcon(Picture(*this, picture));
        item->DrawState(0);
    };
    icon(quickItem, "快速设银图标");
    icon(safeItem, "保险箱图标");
    m_silverMenu->Layout();
}

void InputBar::RefreshSilverMenu()
{
    if (!m_silverMenu)
        return;
    CGameFrameApp* app = CGameFrameApp::Current();
    const bool refused = app && !app->IsSafeBoxTransferAllowed();
    for (int i = 0; i < kPresetCount; ++i) {
        FrameMenuItem* item = m_silverMenu->GetItem(i);
        if (!item)
            continue;
        item->SetCaption(std::to_string(m_presets[static_cast<size_t>(i)]) + " 两");
        if (refused) {
            item->SetBold(true);
            item->DrawState(0);
            item->SetEnabled(false);
        }
    }
    m_silverMenu->CentreCaptions();
}

void InputBar::ToggleSilverMenu(bool open)
{
    if (!m_silverMenu)
        return;
    auto* button = dynamic_cast<engine::ImageButton*>(FindObjectByName(kSilverButtonName));
    if (!open || (button && button->IsSelected())) {
        if (open) {
            button->SetSelected(false);
            button->Invalidate();
            SetFocus(0);
        }
        m_silverMenu->Hide();
        m_silverMenu->Invalidate();
        return;
    }
    if (button) {
        button->SetSelected(true);
        button->Invalidate();
    }
    SetFocus(m_silverMenu->GetId());
    auto* pane = dynamic_cast<engine::RectObject*>(FindObjectByName("SubSystem"));
    if (pane) {
        engine::Rect r;
        pane->GetRect(&r);
        const int barHeight = Picture(*this, kBarPicture).height;
        m_silverMenu->MoveTo(r.right - m_silverMenu->GetWidth() / 2 - kSilverRightInset,
            r.bottom - barHeight - m_silverMenu->GetHeight() / 2);
    }
    m_silverMenu->Show();
    m_silverMenu->Invalidate();
}

// ---- the safe box and the transfers -----------------------------------------------

void InputBar::OpenSafeBox()
{
    frame::OpenSafeBox(*this);
}

void InputBar::OpenQuickSetDialog()
{
    frame::OpenQuickSetDialog(*this, m_presets);
}

void InputBar::ShowPasswordPad(int show, int challenge, int mode)
{
    frame::ShowPasswordPad(*this, show, challenge, mode);
}

int InputBar::GetPasswordValue() const
{
    const auto* pad = dynamic_cast<const NumKeyPadDlg*>(const_cast<InputBar*>(this)->FindObjectByName(kNumKeyPadName));
    return pad ? pad->GetResponse() : 0;
}

int InputBar::GetOwnSilver() const
{
    CGameFrameApp* app = CGameFrameApp::Current();
    const PlayerRecord* own = app ? app->GetSeatPlayer(app->GetChair()) : nullptr;
    return own ? own->Silver() : 0;
}

int InputBar::RequestTake(std::string& text, int amount, int password)
{
    CGameFrameApp* app = CGameFrameApp::Current();
    GameConnection* connection = app ? app->GetConnection() : nullptr;
    return connection ? connection->SafeBoxToGame(text, amount, password) : 0;
}

int InputBar::RequestDeposit(std::string& text, int& amount)
{
    CGameFrameApp* app = CGameFrameApp::Current();
    GameConnection* connection = app ? app->GetConnection() : nullptr;
    uint32_t code = 0;
    return connection ? connection->GameToSafeBox(text, amount, code) : 0;
}

int InputBar::RequestPasswordQuery(std::string& text, int& value)
{
    CGameFrameApp* app = CGameFrameApp::Current();
    GameConnection* connection = app ? app->GetConnection() : nullptr;
    if (!connection)
        return 0;
    // The own user id goes in the first word; the challenge comes back in
    // the second.
    std::array<uint8_t, 24> block {};
    const auto self = static_cast<uint32_t>(app->GetUserId());
    for (size_t i = 0; i < 4; ++i)
        block[i] = static_cast<uint8_t>(self >> (8 * i));
    uint32_t code = 0;
    const int ok = connection->RequestPasswordChallenge(text, block, code);
    value = WireReader(block.data(), block.size()).Int(4);
    return ok;
}

void InputBar::ShowWait(const std::string& text, bool show)
{
    if (CGameFrameApp* app = CGameFrameApp::Current())
        app->ShowWaitText(text, show);
}

void InputBar::ShowResult(const std::string& text)
{
    if (CGameFrameApp* app = CGameFrameApp::Current())
        app->ShowMessageBox(text, nullptr, nullptr, kBoxSeconds, kBoxFlags, kBoxHead);
}

int InputBar::TakeSilver(int amount, int password)
{
    const int target = amount != 0 ? amount : m_presets[static_cast<size_t>(m_chosenPreset)];
    const int silver = GetOwnSilver();
    if (silver >= target)
        return target;
    ShowWait("正在取银子，请您稍等......", true);
    std::string text;
    const int ok = RequestTake(text, target - silver, password);
    ShowWait("", false);
    if (ok == 1)
        text = FormatLine("设定成功。\r\n\r\n(已经从保险箱中取出 %d 两，%s当前有银子 %d 两)", target - silver,
            TitleText().c_str(), target);
    ShowResult(text);
    RedrawShownSafeBox();
    return target;
}

void InputBar::SetSilverTo(int amount)
{
    const int silver = GetOwnSilver();
    if (amount == silver) {
        ShowResult("当前银子等于设定值。");
    } else if (amount < silver) {
        ShowWait("正在存银子，请您稍候......", true);
        std::string text;
        int moved = silver - amount;
        const int ok = RequestDeposit(text, moved);
        // Hidden on both outcomes: the result box must not sit under it.
        ShowWait("", false);
        if (ok == 1)
            text = FormatLine("设定成功。\r\n\r\n(已经存入保险箱 %d 两，%s当前有银子 %d 两)", moved,
                TitleText().c_str(), silver - moved);
        ShowResult(text);
        RedrawShownSafeBox();
    } else {
        ShowWait("正在查询保护密码，请稍等......", true);
        std::string text;
        int value = 0;
        const int ok = RequestPasswordQuery(text, value);
        ShowWait("", false);
        if (ok == 1) {
            // The keypad answers later; the amount asked for waits for it.
            m_pendingAmount = amount;
            ShowPasswordPad(true, value, 1);
        } else {
            TakeSilver(amount, 0);
        }
    }
}

int InputBar::OnEvent(const engine::EngineEvent& event)
{
    switch (event.code) {
    case EVT_INPUTBAR_TAKE_NOW: {
        const int amount = m_pendingAmount;
        m_pendingAmount = 0;
        TakeSilver(amount, GetPasswordValue());
        return 1;
    }
    case EVT_INPUT_SAFE_BOX:
        OpenSafeBox();
        ToggleSilverMenu(false);
        return 1;
    case EVT_INPUT_QUICK_SET:
        OpenQuickSetDialog();
        ToggleSilverMenu(false);
        return 1;
    case EVT_INPUT_PRESET: {
        const auto index = event.ParamInt();
        if (index >= 0 && index < kPresetCount) {
            m_chosenPreset = index;
            SetSilverTo(m_presets[static_cast<size_t>(index)]);
        }
        ToggleSilverMenu(false);
        return 1;
    }
    case EVT_INPUT_CARRY_SILVER:
        SetSilverTo(event.ParamInt());
        return 1;
    case EVT_INPUT_MENU_BLUR: {
        const auto* state = event.DataAs<const engine::InputState>();
        auto* button = dynamic_cast<engine::ImageButton*>(FindObjectByName(kSilverButtonName));
        if (button && !(state && button->HitTest(state->x, state->y))) {
            button->SetSelected(false);
            button->Invalidate();
        }
        return 1;
    }
    default:
        return BoundObject::OnEvent(event);
    }
}

} // namespace frame
