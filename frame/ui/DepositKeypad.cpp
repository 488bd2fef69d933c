#include "frame/ui/DepositKeypad.h"

#include "engine/controls/widgets/ImageButton.h"
#include "engine/objects/CanvasObject.h"
#include "engine/objects/GameObject.h"
#include "frame/core/CGameFrameApp.h"
#include "frame/core/GameFrameCalls.h"
#include "frame/ui/FrameEdit.h"
#include "platform/IniFile.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace frame {

namespace {

using engine::CanvasObject;
using engine::EngineEvent;
using engine::ImageButton;

constexpr const char* kPresetSection = "FIXDEPOSIT";
constexpr DepositPresets kDefaultPresets { 100, 200, 500, 1000, 10000, 30000 };
constexpr double kPartAbove = 0.02;
constexpr uint32_t kKeyCaptionColour = 0x2D22;
constexpr uint32_t kSeparatorColour = 0x64A08C;
constexpr uint32_t kDisplayLinkFlags = 0x1980A2;
constexpr uint32_t kEditInputFlags = 0x7;
constexpr int kPadWidth = 190;
constexpr int kPadHeight = 180;
constexpr int kPadMargin = 12;
constexpr int kKeyWidth = 34;
constexpr int kKeyHeight = 30;
constexpr int kDisplayHeight = 32;
constexpr int kColumns = 4;
constexpr int kBackspaceKey = 10;
constexpr int kOkKey = 11;

std::string PresetKey(int i)
{
    return "Fix" + std::to_string(i);
}

// The group's decimal value (digits only ever reach here).
int GroupValue(std::string_view digits)
{
    int value = 0;
    for (const char c : digits)
        value = value * 10 + (c - '0');
    return value;
}

} // namespace

DepositPresets LoadDepositPresets(const std::string& userDataPath)
{
    const platform::IniFile ini(userDataPath);
    DepositPresets presets {};
    std::string last;
    for (int i = 0; i < kPresetCount; ++i) {
        last = ini.GetString(kPresetSection, PresetKey(i), "");
        if (last.size() > 31)
            last.resize(31);
        presets[static_cast<size_t>(i)] = std::atoi(last.c_str());
    }
    return last.empty() ? kDefaultPresets : presets;
}

int PasswordResponse(std::string_view password, int challenge)
{
    int sum = 0;
    int groups = 0;
    while (!password.empty() && groups < 4) {
        const size_t take = password.size() > 4 ? 4 : password.size();
        sum += GroupValue(password.substr(0, take));
        password.remove_prefix(take);
        ++groups;
    }
    return sum + challenge / 10000 + challenge % 10000;
}

// ---- the preset dialog ----------------------------------------------------------------

void SetDepositDlg::Create()
{
    SetName(kSetDepositName);
    CreateFrame(260, 270);
    SetTitle("快速设银");
    BuildContent();
    DrawText();
    CreateRows();
    CreateButtons();
}

void SetDepositDlg::DrawText()
{
    CanvasObject* c = m_canvas;
    if (!c)
        return;
    c->Clear();
    c->SetPen(0, 1.0);
    c->SetFont(12, 400, "宋体");
    c->SetTextSpacing(0, 4);
    c->DrawText(0, 0, "你可以直接把游戏当前银子设置为下面六个设定值中的一个。");
    const int y = c->GetBufferHeight() * 5 / 6 + 5;
    c->SetPen(kSeparatorColour, 1.0);
    c->DrawLine(0, y, c->GetBufferWidth() - 1, y);
    c->SetPen(0, 1.0);
    for (int i = 0; i < kPresetCount; ++i) {
        char number[8];
        std::snprintf(number, sizeof number, "%d.", i + 1);
        c->DrawText(40, 25 * i + 40, number);
        c->DrawText(165, 25 * i + 40, "两");
    }
    c->Invalidate();
}

void SetDepositDlg::CreateRows()
{
    if (!m_canvas)
        return;
    for (int i = 0; i < kPresetCount; ++i) {
        auto* box = static_cast<InputBox*>(RegisterObject(std::make_unique<InputBox>()));
        if (!box)
            continue;
        box->SetWidth(90);
        box->SetMaxLength(8);
        box->Layout();
        box->SetZ(GetZ() + kPartAbove);
        m_canvas->AddChild(box, engine::LINK_STANDARD);
        box->MoveTo(m_canvas->GetLeft() + 110, m_canvas->GetTop() + 47 + 25 * i);
        box->Show();
        m_boxes[static_cast<size_t>(i)] = box;
    }
}

void SetDepositDlg::CreateButtons()
{
    const engine::Rect client = GetClientRect();
    const double y = GetTop() + client.top + (client.bottom - client.top) * 9 / 10 + 2;
    PlaceRow({ MakeCaptionButton("确定", EVT_PRESETS_OK), MakeCaptionButton("取消", EVT_PRESETS_CANCEL) }, GetX(), y,
        24);
    MakeCloseButton(EVT_PRESETS_CANCEL);
}

void SetDepositDlg::SetValues(const DepositPresets& values)
{
    m_values = values;
    for (size_t i = 0; i < m_boxes.size(); ++i)
        if (InputBox* box = m_boxes[i]) {
            box->Clear();
            box->AppendText(std::to_string(values[i]));
        }
}

void SetDepositDlg::OnOk()
{
    CGameFrameApp* app = CGameFrameApp::Current();
    for (size_t i = 0; i < m_boxes.size(); ++i) {
        InputBox* box = m_boxes[i];
        if (!box)
            continue;
        m_values[i] = std::atoi(box->GetText().c_str());
        if (app)
            platform::IniFile(app->GetUserDataPath())
                .WriteString(kPresetSection, PresetKey(static_cast<int>(i)), std::to_string(m_values[i]));
    }
    Hide();
}

int SetDepositDlg::OnEvent(const EngineEvent& event)
{
    switch (event.code) {
    case EVT_PRESETS_OK: OnOk(); return 1;
    case EVT_PRESETS_CANCEL: Hide(); return 1;
    default: return SkinnedDialog::OnEvent(event);
    }
}

// ---- the keypad -------------------------------------------------------------------------

void NumKeyPadDlg::Create(int challenge)
{
    SetName(kNumKeyPadName);
    SetChallenge(challenge);
    CreateFrame(kPadWidth, kPadHeight);
    SetTitle("请输入保护密码");
    CreateDisplay();
    CreateKeys();
}

void NumKeyPadDlg::CreateDisplay()
{
    m_display = static_cast<InputBox*>(RegisterObject(std::make_unique<InputBox>()));
    if (!m_display)
        return;
    m_display->SetSize(kPadWidth - 2 * kPadMargin, kDisplayHeight);
    m_display->SetEditFlags(m_display->GetEditFlags() & ~kEditInputFlags);
    m_display->SetMaxLength(kMaxDigits);
    m_display->SetZ(GetZ() + kPartAbove);
    m_display->Focus();
    const engine::Rect client = GetClientRect();
    m_display->MoveTo(GetLeft() + client.left + kPadMargin + m_display->GetWidth() / 2,
        GetTop() + client.top + kPadMargin + m_display->GetHeight() / 2);
    AddChild(m_display, kDisplayLinkFlags);
}

void NumKeyPadDlg::CreateKeys()
{
    MakeCloseButton(EVT_KEYPAD_CLOSE);
    const engine::Rect client = GetClientRect();
    const int gapX = (kPadWidth - 2 * kPadMargin - kColumns * kKeyWidth) / 3;
    const int gapY = (kPadHeight - 3 * kPadMargin - 3 * kKeyHeight - kDisplayHeight) / 2;
    for (int k = 0; k < kKeyCount; ++k) {
        int code = EVT_KEYPAD_DIGIT;
        if (k == kBackspaceKey)
            code = EVT_KEYPAD_BACKSPACE;
        else if (k == kOkKey)
            code = EVT_KEYPAD_OK;
        ImageButton* key = MakeButton("系统通知框_按钮", code);
        if (!key)
            continue;
        if (code == EVT_KEYPAD_DIGIT)
            key->SetClickEvent(EngineEvent(GetId(), code, k));
        key->ScaleTo(kKeyWidth, kKeyHeight);
        const int row = k / kColumns;
        const int column = k % kColumns;
        key->MoveTo(GetLeft() + client.left + kPadMargin + column * (kKeyWidth + gapX) + kKeyWidth / 2,
            GetTop() + client.top + kDisplayHeight + 2 * kPadMargin + row * (kKeyHeight + gapY) + kKeyHeight / 2);
        AddChild(key, engine::LINK_STANDARD);
        if (k == kBackspaceKey)
            key->SetCaption("←", kKeyCaptionColour, 18);
        else if (k == kOkKey)
            key->SetCaption("确定", kKeyCaptionColour, 14);
        m_keys[static_cast<size_t>(k)] = key;
    }
    LabelKeys();
}

void NumKeyPadDlg::LabelKeys()
{
    for (size_t k = 0; k < m_digits.size(); ++k) {
        ImageButton* key = m_keys[k];
        CanvasObject* caption = key ? key->GetCaptionCanvas() : nullptr;
        if (!caption)
            continue;
        caption->Clear();
        key->SetCaption(std::to_string(m_digits[k]), kKeyCaptionColour, 18);
    }
}

void NumKeyPadDlg::Shuffle()
{
    if (std::any_of(m_keys.begin(), m_keys.end(), [](const ImageButton* key) { return !key; }))
        return;
    // A layout that differs from the one before, so that a watcher of the
    // last showing learns nothing of the next one.
    const std::array<int, 10> before = m_digits;
    do
        std::shuffle(m_digits.begin(), m_digits.end(), m_random);
    while (m_digits == before);
    LabelKeys();
}

void NumKeyPadDlg::Show()
{
    Shuffle();
    SkinnedDialog::Show();
}

void NumKeyPadDlg::PressKey(int position)
{
    if (position < 0 || position >= 10 || !m_display)
        return;
    if (static_cast<int>(m_password.size()) >= kMaxDigits)
        return;
    m_password.push_back(static_cast<char>('0' + m_digits[static_cast<size_t>(position)]));
    RefreshDisplay();
}

void NumKeyPadDlg::Backspace()
{
    if (!m_display || m_password.empty())
        return;
    m_password.pop_back();
    RefreshDisplay();
}

void NumKeyPadDlg::ClearPassword()
{
    m_password.clear();
    if (m_display)
        m_display->Clear();
}

void NumKeyPadDlg::RefreshDisplay()
{
    if (!m_display)
        return;
    m_display->Clear();
    m_display->AppendText(std::string(m_password.size(), '*'));
}

void NumKeyPadDlg::OnOk()
{
    const int digits = static_cast<int>(m_password.size());
    if (digits < kMinDigits || digits > kMaxDigits) {
        if (CGameFrameApp* app = CGameFrameApp::Current()) {
            char text[128];
            std::snprintf(text, sizeof text, "保护密码至少要有%d位,不能超过%d位。", kMinDigits, kMaxDigits);
            app->ShowMessageBox(text, nullptr, nullptr, 10, SIB_HEAD_PICTURE | SIB_HEAD_ANIMATED, "vkf打牌");
        }
        return;
    }
    m_response = PasswordResponse(m_password, m_challenge);
    const char* target = m_mode == 0 ? kTakeDepositName : kInputBarName;
    const int code = m_mode == 0 ? EVT_TAKE_NOW : EVT_INPUTBAR_TAKE_NOW;
    if (engine::EngineObject* receiver = FindObjectByName(target))
        SendEvent(EngineEvent(receiver->GetId(), code));
    Hide();
}

int NumKeyPadDlg::OnEvent(const EngineEvent& event)
{
    switch (event.code) {
    case EVT_KEYPAD_OK: OnOk(); return 1;
    case EVT_KEYPAD_CLOSE: Hide(); return 1;
    case EVT_KEYPAD_DIGIT: PressKey(event.ParamInt()); return 1;
    case EVT_KEYPAD_BACKSPACE: Backspace(); return 1;
    default: return SkinnedDialog::OnEvent(event);
    }
}

// ---- the input bar's entries --------------------------------------------------------

SetDepositDlg* OpenQuickSetDialog(engine::GameObject& owner, const DepositPresets& presets)
{
    auto* dialog = dynamic_cast<SetDepositDlg*>(owner.FindObjectByName(kSetDepositName));
    if (!dialog) {
        dialog = static_cast<SetDepositDlg*>(owner.RegisterObject(std::make_unique<SetDepositDlg>()));
        if (!dialog)
            return nullptr;
        dialog->Create();
        dialog->SetDepth(kSetDepositDepth);
        dialog->SetDraggable(true);
    }
    dialog->SetValues(presets);
    dialog->CentreOnScreen();
    dialog->Show();
    return dialog;
}

NumKeyPadDlg* ShowPasswordPad(engine::GameObject& owner, int show, int challenge, int mode)
{
    auto* pad = dynamic_cast<NumKeyPadDlg*>(owner.FindObjectByName(kNumKeyPadName));
    if (!show) {
        if (pad)
            pad->Hide();
        return pad;
    }
    if (!pad) {
        pad = static_cast<NumKeyPadDlg*>(owner.RegisterObject(std::make_unique<NumKeyPadDlg>()));
        if (!pad)
            return nullptr;
        pad->Create(challenge);
        pad->SetDepth(kNumKeyPadDepth);
        pad->SetDraggable(true);
    }
    if (!pad->IsShown()) {
        pad->SetChallenge(challenge);
        pad->ClearPassword();
        pad->SetMode(mode);
        pad->CentreOnScreen();
        pad->Show();
        pad->Invalidate();
    }
    return pad;
}

} // namespace frame
