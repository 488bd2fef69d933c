#include "frame/ui/SafeBoxDialogs.h"

#include "engine/controls/widgets/ImageButton.h"
#include "engine/core/EngineObject.h"
#include "engine/core/EventCodes.h"
#include "engine/core/EngineEvent.h"
#include "engine/core/ObjectGeometry.h"
#include "engine/objects/CanvasObject.h"
#include "engine/objects/GameObject.h"
#include "frame/core/CGameFrameApp.h"
#include "frame/core/GameConnection.h"
#include "frame/core/GameFrameCalls.h"
#include "frame/core/WireReader.h"
#include "frame/core/FormatLine.h"
#include "frame/ui/FrameEdit.h"
#include "frame/ui/PanelParts.h"
#include "platform/IniFile.h"
#include "platform/Bytes.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <span>

namespace frame {

namespace {

using engine::CanvasObject;
using engine::EngineEvent;
using engine::ImageButton;
using engine::PictureDesc;

constexpr uint32_t kKey = 0xff00ff;
constexpr double kPartAbove = 0.02;
constexpr const char* kFace = "宋体";
constexpr const char* kTemplate = "系统信息框模板";
constexpr const char* kCaptionedPicture = "系统通知框_按钮";
constexpr const char* kClosePicture = "系统信息框_关闭";
constexpr const char* kSafeBoxButton = "保险箱按钮";
constexpr const char* kSafeBoxAdvert = "保险箱广告";
constexpr const char* kSafeBoxRule = "保险箱框线";
constexpr const char* kBoxHead = "vkf打牌";
constexpr const char* kDepositSection = "DEPOSIT";
constexpr uint32_t kCaptionColour = 0x2E23;
constexpr uint32_t kFrameLineColour = 0x96AFA5;
constexpr uint32_t kSeparatorColour = 0x64A08C;
constexpr int kContentInset = 15;
constexpr int kMessageSeconds = 10;
constexpr uint32_t kOneButtonFlags = SIB_HEAD_PICTURE | SIB_HEAD_ANIMATED;
constexpr uint32_t kTwoButtonFlags = kOneButtonFlags | SIB_TWO_BUTTONS | SIB_EXPIRE_CANCEL;
static_assert(kOneButtonFlags == 0x30 && kTwoButtonFlags == 0x35);

constexpr uint32_t kNoProtectPassword = 60000;
constexpr uint32_t kAmountCorrected = 60092;

constexpr const char* kOpenFailed = "保险箱打开失败。";
constexpr const char* kNoAmount = "请输入银子数额。";

CGameFrameApp* App()
{
    return CGameFrameApp::Current();
}

GameConnection* Connection()
{
    CGameFrameApp* app = App();
    return app ? app->GetConnection() : nullptr;
}

void WaitText(const char* text, bool show)
{
    if (CGameFrameApp* app = App())
        app->ShowWaitText(text, show);
}

// Turns the wait text on for the life of a request.
class WaitTextShown {
public:
    explicit WaitTextShown(const char* text)
        : m_text(text)
    {
        WaitText(m_text, true);
    }
    ~WaitTextShown() { WaitText(m_text, false); }
    WaitTextShown(const WaitTextShown&) = delete;
    WaitTextShown& operator=(const WaitTextShown&) = delete;

private:
    const char* m_text;
};

std::string Decimal(int value)
{
    return std::to_string(value);
}

std::string WithName(const char* pattern, const std::string& name, int amount = 0)
{
    return FormatLine(pattern, name.c_str(), amount);
}

// The object of that name, when it is of that class.
template <typename T>
T* Named(engine::GameObject& from, const char* name)
{
    return dynamic_cast<T*>(from.FindObjectByName(name));
}

void SendTo(engine::GameObject& from, const char* name, int code)
{
    if (engine::EngineObject* target = from.FindObjectByName(name))
        from.SendEvent(EngineEvent(target->GetId(), code));
}

} // namespace

// ---- recent amounts ------------------------------------------------------------

void RecentAmounts::Load(std::string_view stored)
{
    m_values.clear();
    constexpr int kMaxFields = 100;
    int fields = 0;
    while (fields < kMaxFields) {
        const size_t bar = stored.find('|');
        const std::string field(stored.substr(0, bar));
        ++fields;
        if (const int value = std::atoi(field.c_str()); value != 0)
            m_values.push_back(value);
        if (bar == std::string_view::npos)
            break;
        stored.remove_prefix(bar + 1);
    }
}

bool RecentAmounts::Remember(int amount)
{
    if (std::find(m_values.begin(), m_values.end(), amount) != m_values.end())
        return false;
    if (m_values.size() >= kMaxKept)
        m_values.erase(m_values.begin());
    m_values.push_back(amount);
    return true;
}

std::string RecentAmounts::ToString() const
{
    std::string out;
    for (const int value : m_values)
        out += Decimal(value) + "|";
    return out;
}

// ---- the dialogs' common parts ----------------------------------------------------

void SkinnedDialog::DrawTitle()
{
    DrawTitleText(kDialogTitleX, kDialogTitleY, kDialogTitleSize);
}

void SkinnedDialog::CreateFrame(int width, int height)
{
    PictureDesc frame;
    PictureDesc centre;
    LookupPicture(&frame, kTemplate, 0);
    LookupPicture(&centre, kTemplate, 1);
    Create(&frame, centre.record ? &centre : nullptr, width, height);
}

void SkinnedDialog::BuildContent()
{
    const engine::Rect client = GetClientRect();
    const int width = std::max(client.right - client.left - 2 * kContentInset, 1);
    const int height = std::max(client.bottom - client.top - 2 * kContentInset, 1);
    m_canvas = CreateCanvas(width, height, kKey);
    if (!m_canvas)
        return;
    SetContent(m_canvas);
    m_canvas->MoveTo(GetLeft() + client.left + kContentInset + width / 2.0,
        GetTop() + client.top + kContentInset + height / 2.0);
}

void SkinnedDialog::Hide()
{
    NineGridPanel::Hide();
    Invalidate();
}

void SkinnedDialog::SetDepth(double depth)
{
    // The panel reports its frame's depth; its parts follow by the same step.
    SetZ(EngineObject::GetZ() + depth - GetZ());
}

void SkinnedDialog::CentreOnScreen()
{
    MoveTo(GetScreenWidth() / 2, GetScreenHeight() / 2);
}

ImageButton* SkinnedDialog::MakeButton(std::string_view picture, int code)
{
    ImageButton* button = MakeSkinButton(*this, picture, code, engine::ObjectFlags::kPixelHitTest);
    if (!button)
        return nullptr;
    button->SetZ(GetZ() + kPartAbove);
    return button;
}

ImageButton* SkinnedDialog::MakeCaptionButton(std::string_view caption, int code)
{
    ImageButton* button = MakeButton(kCaptionedPicture, code);
    if (button)
        button->SetCaption(caption, kCaptionColour, 12);
    return button;
}

ImageButton* SkinnedDialog::MakeCloseButton(int code)
{
    ImageButton* button = MakeButton(kClosePicture, code);
    if (!button)
        return nullptr;
    button->MoveTo(GetRight() - 7 - static_cast<int>(button->GetWidth()) / 2,
        GetTop() + 1 + static_cast<int>(button->GetHeight()) / 2);
    AddChild(button, engine::LINK_STANDARD);
    return button;
}

void SkinnedDialog::PlaceRow(const std::vector<ImageButton*>& buttons, double x, double y, int gap)
{
    double total = -gap;
    for (const ImageButton* b : buttons)
        total += (b ? b->GetWidth() : 0) + gap;
    double left = x - total / 2;
    for (ImageButton* b : buttons) {
        if (!b)
            continue;
        b->MoveTo(left + b->GetWidth() / 2, y);
        left += b->GetWidth() + gap;
        AddChild(b, engine::LINK_STANDARD);
    }
}

void SkinnedDialog::ShowMessage(const std::string& text, int okCode, bool withCancel) const
{
    CGameFrameApp* app = App();
    if (!app)
        return;
    BoxEvent ok;
    ok.receiver = static_cast<uint32_t>(GetId());
    ok.code = static_cast<uint32_t>(okCode);
    app->ShowMessageBox(text, okCode ? &ok : nullptr, nullptr, kMessageSeconds,
        withCancel ? kTwoButtonFlags : kOneButtonFlags, kBoxHead);
}

// ---- the safe box ------------------------------------------------------------------

SafeBoxDlg::~SafeBoxDlg() = default;

void SafeBoxDlg::SetAmount(int amount)
{
    if (amount >= 0)
        m_amount = amount;
}

void SafeBoxDlg::SetBoxSize(int width, int height)
{
    if (width > 0 && height > 0) {
        m_width = width;
        m_height = height;
    }
}

void SafeBoxDlg::Create(int amount, int word)
{
    SetName(kSafeBoxName);
    m_word = word;
    SetAmount(amount);
    SetBoxSize(366, 235);
    CreateFrame(m_width, m_height);
    SetTitle("保险箱");
    BuildContent();
    DrawInfo();
    CreateButtons();
}

void SafeBoxDlg::DrawInfo()
{
    CanvasObject* c = m_canvas;
    if (!c)
        return;
    c->Clear();
    const int width = c->GetBufferWidth();
    const int height = c->GetBufferHeight();
    int y = 0;

    PictureDesc advert;
    LookupPicture(&advert, kSafeBoxAdvert, 0);
    if (advert.record) {
        c->BlitPicture(advert, (width - advert.width) / 2, 0, advert.width, advert.height, 0, 1.0);
        y = advert.height;
    }
    c->SetPen(kFrameLineColour, 1.0);
    c->DrawLine(0, 0, width - 1, 0);
    c->DrawLine(0, y + 1, width - 1, y + 1);
    c->DrawLine(0, 0, 0, height - 1);
    c->DrawLine(width - 1, 0, width - 1, height - 1);

    y += kContentInset;
    PictureDesc rule;
    LookupPicture(&rule, kSafeBoxRule, 0);
    if (rule.record)
        c->BlitPicture(rule, 5, y + 5, rule.width, rule.height, 0, 1.0);

    c->SetPen(0, 1.0);
    c->SetFont(12, 400, kFace);
    c->DrawText(13, y, "您在保险箱存有现银：");

    y += 18;
    const std::string amount = Decimal(m_amount) + " 两";
    c->SetFont(25, 1200, kFace);
    c->DrawText((width - static_cast<int>(amount.size()) * 26 / 2) / 2, y, amount);

    y += 30;
    c->SetFont(12, 400, kFace);
    c->SetTextMargins(13, 13);
    c->DrawText(0, y, "您可以在游戏开始之前取出银子划拨到某个游戏，或者从游戏中划出银子存入到保险箱中，确保安全。");
    c->SetTextMargins(0, 0);
    c->Invalidate();
}

void SafeBoxDlg::CreateButtons()
{
    std::vector<ImageButton*> row;
    const std::array<std::pair<const char*, int>, 3> buttons { { { "划拨到游戏", EVT_SAFEBOX_OPEN_TAKE },
        { "存入保险箱", EVT_SAFEBOX_OPEN_SAVE }, { "关闭", EVT_SAFEBOX_CLOSE } } };
    for (const auto& [caption, code] : buttons) {
        ImageButton* b = MakeButton(kSafeBoxButton, code);
        if (b)
            b->SetCaption(caption, kCaptionColour, 12);
        row.push_back(b);
    }
    const double rowY = (m_canvas ? m_canvas->GetBottom() : GetBottom()) - 22;
    PlaceRow(row, GetX(), rowY, 12);
    MakeCloseButton(EVT_SAFEBOX_CLOSE);

    // The advertisement picture is a link to the pay page.
    PictureDesc advert;
    LookupPicture(&advert, kSafeBoxAdvert, 0);
    if (m_canvas && advert.record) {
        CanvasObject* link = CreateCanvas(advert.width, advert.height, kKey);
        if (link) {
            link->MoveTo(m_canvas->GetX(), m_canvas->GetTop() + advert.height / 2.0);
            link->SetZ(GetZ() + kPartAbove);
            link->SetInputEnabled(true);
            link->Subscribe(engine::EVT_CLICK, EngineEvent(GetId(), engine::EVT_CLICK));
            AddChild(link, engine::LINK_STANDARD);
        }
    }
}

void SafeBoxDlg::Refresh()
{
    GameConnection* connection = Connection();
    if (!connection)
        return;
    std::string text;
    std::array<uint8_t, 32> reply {};
    if (!connection->QuerySafeBox(text, reply)) {
        ShowMessage(kOpenFailed, 0, false);
        return;
    }
    const int amount = platform::LoadI32(reply, 0);
    if (amount != m_amount) {
        SetAmount(amount);
        DrawInfo();
    }
}

void SafeBoxDlg::RecentreChildren()
{
    for (engine::GameObject* dialog : { m_save, m_take })
        if (dialog && dialog->IsShown()) {
            dialog->MoveTo(GetScreenWidth() / 2, GetScreenHeight() / 2);
            dialog->Invalidate();
        }
}

namespace {

template <typename Dialog>
Dialog* OpenTransfer(SafeBoxDlg& box, engine::GameObject*& slot, double depth)
{
    auto* dialog = static_cast<Dialog*>(slot);
    if (!dialog) {
        dialog = static_cast<Dialog*>(box.RegisterObject(std::make_unique<Dialog>()));
        if (!dialog)
            return nullptr;
        CGameFrameApp* app = App();
        dialog->Create(app ? app->GetTitleText() : std::string());
        dialog->SetDepth(depth);
        dialog->SetDraggable(true);
        slot = dialog;
    }
    dialog->CentreOnScreen();
    dialog->Show();
    dialog->FocusAmount();
    dialog->Invalidate();
    return dialog;
}

} // namespace

void SafeBoxDlg::OpenSaveDialog()
{
    OpenTransfer<SaveDepositDlg>(*this, m_save, kSaveDepositDepth);
}

void SafeBoxDlg::OpenTakeDialog()
{
    if (auto* take = OpenTransfer<TakeDepositDlg>(*this, m_take, kTakeDepositDepth))
        take->SetWord(m_word);
}

int SafeBoxDlg::OnEvent(const EngineEvent& event)
{
    switch (event.code) {
    case EVT_SAFEBOX_OPEN_TAKE: OpenTakeDialog(); return 1;
    case EVT_SAFEBOX_OPEN_SAVE: OpenSaveDialog(); return 1;
    case EVT_SAFEBOX_CLOSE: Hide(); return 1;
    case EVT_SAFEBOX_REFRESH: Refresh(); return 1;
    case engine::EVT_CLICK:
        if (CGameFrameApp* app = App()) {
            const std::string page = app->GetPayPageUrl();
            if (!page.empty())
                app->SendTextToHall(page, 1);
        }
        return 1;
    default: return SkinnedDialog::OnEvent(event);
    }
}

// ---- the transfer dialogs -------------------------------------------------------------

TransferDialog::~TransferDialog() = default;

void TransferDialog::Build(const char* name, const char* title)
{
    SetName(name);
    CreateFrame(260, 190);
    SetTitle(title);
    BuildContent();
    DrawText();
    CreateAmountBox();
    CreateButtons();
}

void TransferDialog::CreateOkCancel(int okCode, int cancelCode)
{
    const double y = m_canvas ? m_canvas->GetTop() + m_canvas->GetBufferHeight() * 4 / 6 + 15 + 22 : GetBottom();
    PlaceRow({ MakeCaptionButton("确定", okCode), MakeCaptionButton("取消", cancelCode) }, GetX(), y, 24);
    MakeCloseButton(cancelCode);
}

int TransferDialog::FirstLineY() const
{
    return m_canvas ? m_canvas->GetBufferHeight() / 7 + 5 : 0;
}

int TransferDialog::SecondLineY() const
{
    return m_canvas ? m_canvas->GetBufferHeight() * 2 / 5 + 5 : 0;
}

void TransferDialog::DrawSeparator()
{
    if (!m_canvas)
        return;
    const int y = m_canvas->GetBufferHeight() * 4 / 6 + 15;
    m_canvas->SetPen(kSeparatorColour, 1.0);
    m_canvas->DrawLine(0, y, m_canvas->GetBufferWidth() - 1, y);
}

void TransferDialog::CreateAmountBox()
{
    m_input = static_cast<ComboInput*>(RegisterObject(std::make_unique<ComboInput>()));
    if (!m_input)
        return;
    m_input->SetWidth(100);
    m_input->SetMaxLength(8);
    m_input->SetZ(GetZ() + kPartAbove);
    LoadRecentAmounts();
    FillRecentAmounts();
}

void TransferDialog::PlaceAmountInput(int x, int y)
{
    if (!m_input || !m_canvas)
        return;
    m_input->MoveTo(m_canvas->GetLeft() + x + m_input->GetWidth() / 2, m_canvas->GetTop() + y + 6);
    AddChild(m_input, engine::LINK_STANDARD);
    m_input->Show();
}

void TransferDialog::FocusAmount()
{
    if (m_input)
        m_input->Focus();
}

void TransferDialog::LoadRecentAmounts()
{
    CGameFrameApp* app = App();
    if (!app)
        return;
    std::string stored = platform::IniFile(app->GetGameIniPath()).GetString(kDepositSection, IniKey(), "");
    if (stored.size() > 1024)
        stored.resize(1024);
    m_recent.Load(stored);
}

void TransferDialog::FillRecentAmounts()
{
    if (!m_input)
        return;
    for (const int value : m_recent.Values())
        m_input->AddHistory(Decimal(value));
}

void TransferDialog::RememberAmount()
{
    if (!m_recent.Remember(m_amount))
        return;
    if (m_input)
        m_input->AddHistory(Decimal(m_amount));
    if (CGameFrameApp* app = App())
        platform::IniFile(app->GetGameIniPath()).WriteString(kDepositSection, IniKey(), m_recent.ToString());
}

int TransferDialog::ReadAmount()
{
    const int amount = m_input ? std::atoi(m_input->GetText().c_str()) : 0;
    if (amount < 1) {
        ShowMessage(kNoAmount, 0, false);
        return 0;
    }
    return amount;
}

void SaveDepositDlg::Create(const std::string& gameName)
{
    SetGameName(gameName);
    Build(kSaveDepositName, "存入保险箱");
}

void SaveDepositDlg::DrawText()
{
    CanvasObject* c = m_canvas;
    if (!c)
        return;
    c->Clear();
    c->SetPen(0, 1.0);
    c->SetFont(12, 400, kFace);
    c->DrawText(0, FirstLineY() + 4, "从");
    c->DrawText(0, SecondLineY(), "划出");
    c->DrawText(135, SecondLineY(), "两存入保险箱");
    c->SetFont(20, 800, kFace);
    c->DrawText(25, FirstLineY(), m_gameName);
    DrawSeparator();
    c->Invalidate();
}

void SaveDepositDlg::CreateAmountBox()
{
    TransferDialog::CreateAmountBox();
    PlaceAmountInput(30, SecondLineY());
}

void SaveDepositDlg::CreateButtons()
{
    CreateOkCancel(EVT_SAVE_OK, EVT_SAVE_CANCEL);
}

void SaveDepositDlg::OnOk()
{
    const int amount = ReadAmount();
    if (amount < 1)
        return;
    m_amount = amount;
    ShowMessage(FormatLine("确定要从【%s】划出【%d两】银子到保险箱?", m_gameName.c_str(), m_amount),
        EVT_SAVE_CONFIRMED, true);
    Hide();
}

void SaveDepositDlg::SendSave()
{
    GameConnection* connection = Connection();
    if (!connection)
        return;
    std::string text;
    int amount = m_amount;
    uint32_t code = 0;
    int ok = 0;
    {
        const WaitTextShown wait("正在存银子，请您稍候......");
        ok = connection->GameToSafeBox(text, amount, code);
    }
    if (ok) {
        SendTo(*this, kSafeBoxName, EVT_SAFEBOX_REFRESH);
        RememberAmount();
        ShowMessage("银子已经存入保险箱！", EVT_DEPOSIT_DONE, false);
        return;
    }
    ShowMessage(text, 0, false);
    if (code == kAmountCorrected && m_input) {
        // The server says how much may be moved out at most.
        m_amount = amount;
        m_input->Clear();
        m_input->AppendText(Decimal(amount));
    }
}

int SaveDepositDlg::OnEvent(const EngineEvent& event)
{
    switch (event.code) {
    case EVT_SAVE_OK: OnOk(); return 1;
    case EVT_SAVE_CANCEL: Hide(); return 1;
    case EVT_SAVE_CONFIRMED: SendSave(); return 1;
    case EVT_DEPOSIT_DONE: SendTo(*this, kSafeBoxName, EVT_SAFEBOX_CLOSE); return 1;
    default: return TransferDialog::OnEvent(event);
    }
}

void TakeDepositDlg::Create(const std::string& gameName)
{
    SetGameName(gameName);
    Build(kTakeDepositName, "划拨到游戏");
}

void TakeDepositDlg::DrawText()
{
    CanvasObject* c = m_canvas;
    if (!c)
        return;
    c->Clear();
    c->SetPen(0, 1.0);
    c->SetFont(12, 400, kFace);
    c->DrawText(0, FirstLineY(), "从保险箱中取出");
    c->DrawText(190, FirstLineY(), "两");
    c->DrawText(0, SecondLineY() + 4, "到");
    c->SetFont(20, 800, kFace);
    c->DrawText(30, SecondLineY(), m_gameName);
    DrawSeparator();
    c->Invalidate();
}

void TakeDepositDlg::CreateAmountBox()
{
    TransferDialog::CreateAmountBox();
    PlaceAmountInput(86, FirstLineY());
}

void TakeDepositDlg::CreateButtons()
{
    CreateOkCancel(EVT_TAKE_OK, EVT_TAKE_CANCEL);
}

void TakeDepositDlg::OnOk()
{
    const int amount = ReadAmount();
    if (amount < 1)
        return;
    // The amount stays with the dialog across the password step: the take
    // sends what the player asked for here.
    m_amount = amount;
    GameConnection* connection = Connection();
    CGameFrameApp* app = App();
    if (!connection || !app)
        return;
    std::array<uint8_t, 24> buffer {};
    StoreLe32(buffer.data(), static_cast<uint32_t>(app->GetUserId()));
    std::string text;
    uint32_t code = 0;
    int ok = 0;
    {
        const WaitTextShown wait("正在查询保护密码，请稍等......");
        ok = connection->RequestPasswordChallenge(text, buffer, code);
    }
    if (ok) {
        if (auto* pad = Named<PasswordPadOwner>(*this, kInputBarName))
            pad->ShowPasswordPad(1, platform::LoadI32(buffer, 4), 0);
        Hide();
    } else if (code == kNoProtectPassword) {
        SendTake();
        Hide();
    } else {
        ShowMessage(text, 0, false);
    }
}

void TakeDepositDlg::SendTake()
{
    GameConnection* connection = Connection();
    if (!connection)
        return;
    const auto* pad = Named<PasswordPadOwner>(*this, kInputBarName);
    const int response = pad ? pad->GetPasswordValue() : 0;
    std::string text;
    int ok = 0;
    {
        const WaitTextShown wait("正在取银子，请您稍等......");
        ok = connection->SafeBoxToGame(text, m_amount, response);
    }
    if (!ok) {
        ShowMessage(text, 0, false);
        return;
    }
    RememberAmount();
    SendTo(*this, kSafeBoxName, EVT_SAFEBOX_REFRESH);
    ShowMessage(WithName("银子已经成功划入 %s", m_gameName), EVT_DEPOSIT_DONE, false);
}

int TakeDepositDlg::OnEvent(const EngineEvent& event)
{
    switch (event.code) {
    case EVT_TAKE_OK: OnOk(); return 1;
    case EVT_TAKE_CANCEL: Hide(); return 1;
    case EVT_TAKE_NOW: SendTake(); return 1;
    case EVT_DEPOSIT_DONE: SendTo(*this, kSafeBoxName, EVT_SAFEBOX_CLOSE); return 1;
    default: return TransferDialog::OnEvent(event);
    }
}

// ---- the entry point -------------------------------------------------------------------

void OpenSafeBox(engine::GameObject& owner)
{
    GameConnection* connection = Connection();
    if (!connection)
        return;
    std::string text;
    std::array<uint8_t, 32> reply {};
    int ok = 0;
    {
        const WaitTextShown wait("正在打开保险箱，请稍等......");
        ok = connection->QuerySafeBox(text, reply);
    }
    if (!ok) {
        if (CGameFrameApp* app = App())
            app->ShowMessageBox(kOpenFailed, nullptr, nullptr, kMessageSeconds, kOneButtonFlags, kBoxHead);
        return;
    }
    const int amount = platform::LoadI32(reply, 0);
    auto* box = Named<SafeBoxDlg>(owner, kSafeBoxName);
    if (!box) {
        box = static_cast<SafeBoxDlg*>(owner.RegisterObject(std::make_unique<SafeBoxDlg>()));
        if (!box)
            return;
        box->Create(amount, platform::LoadI32(reply, 4));
        box->SetDepth(kSafeBoxDepth);
        box->SetDraggable(true);
    } else if (amount != box->GetAmount()) {
        box->SetAmount(amount);
        box->DrawInfo();
    }
    box->CentreOnScreen();
    box->Show();
    owner.PlaySound("snd_msg", 1, nullptr);
}

} // namespace frame
