#include "frame/ui/SubSystem.h"

#include "frame/ui/OperateBar.h"

#include "engine/controls/richtext/RichText.h"
#include "engine/objects/CanvasObject.h"
#include "engine/text/GbkCut.h"
#include "frame/core/CGameFrameApp.h"
#include "frame/core/CGameFrameWnd.h"
#include "frame/core/FrameRecords.h"
#include "frame/core/GameConnection.h"
#include "frame/core/GameState.h"
#include "frame/core/ScreenshotWriter.h"
#include "frame/core/WireReader.h"
#include "frame/ui/ChatBox.h"
#include "frame/ui/ChatView.h"
#include "frame/core/FormatLine.h"
#include "frame/ui/MainViewProtocol.h"
#include "frame/ui/InputBar.h"
#include "frame/ui/OperateBar.h"
#include "platform/Clock.h"

#include <algorithm>

namespace frame {

namespace {

constexpr uint32_t kTransparent = 0xff00ff;
constexpr int kNoticeColour = 255;
constexpr int kLookerColour = 2906200;
constexpr const char* kMemberStyle = "<c=255,e=b,s=240>";
constexpr const char* kMemberBadge = "<m=qh会员>";

// Record layouts of the notifications the pane reads.
constexpr size_t kChatInText = 48;
constexpr size_t kMemberChatKind = 8;
constexpr size_t kMemberChatText = 36;
constexpr size_t kMemberNoticeUsers = 4;
constexpr size_t kMemberNoticeAmounts = 36;
constexpr size_t kMemberNoticeSize = 68;
constexpr size_t kMemberNoticeSeats = 8;
constexpr size_t kSilverKind = 8;
constexpr size_t kSilverAmount = 12;
constexpr size_t kSilverNow = 16;
constexpr size_t kSilverBase = 20;
constexpr size_t kSilverSize = 24;
// A chat text read from a record: at most what a line can hold.
constexpr size_t kChatTextMax = 255;
constexpr int kScreenshotQuality = 75;

const char* const kQuickPhrases[] = {
    "快点吧，我等到花儿也谢了!",
    "我是菜鸟，大侠手下留情!",
    "小意思，这些赏你的。",
    "晕，打错牌啦!",
    "不要走，再战三百回合!",
    "555~~~你们都欺负我!",
    "这牌打的也太给力了吧!",
    "神马都是浮云，打好牌才是关键。",
    "真不好意思，我要离开一会。",
    "下次再玩，我要走了。",
};

CGameFrameApp* App()
{
    return CGameFrameApp::Current();
}

bool IsPrivileged(int userId)
{
    CGameFrameApp* app = App();
    return app && app->IsPrivilegedUser(userId);
}

bool IsMember(int userId)
{
    CGameFrameApp* app = App();
    return app && app->IsMemberUser(userId);
}

std::string UserName(int userId)
{
    CGameFrameApp* app = App();
    return app ? app->GetUserName(userId) : std::string();
}

std::string DisplayName(int userId)
{
    CGameFrameApp* app = App();
    return app ? app->GetUserDisplayName(userId) : std::string();
}

int OwnUserId()
{
    CGameFrameApp* app = App();
    return app ? app->GetUserId() : 0;
}

engine::RichText* ChatViewOf(ChatBox* box)
{
    return box ? box->GetView() : nullptr;
}

} // namespace

SubSystem::~SubSystem() = default;

// ---- the bars ---------------------------------------------------------------------

PaneBarCalls* SubSystem::Bar(const char* name)
{
    return dynamic_cast<PaneBarCalls*>(FindObjectByName(name));
}

ChatBox* SubSystem::GetChatBox()
{
    return dynamic_cast<ChatBox*>(FindObjectByName(kChatBoxName));
}

InputBar* SubSystem::GetInputBar()
{
    return dynamic_cast<InputBar*>(FindObjectByName(kInputBarName));
}

engine::EngineObject* SubSystem::Adopt(std::unique_ptr<engine::EngineObject> bar)
{
    if (!bar)
        return nullptr;
    engine::EngineObject* added = RegisterObject(std::move(bar));
    if (added)
        added->SetZ(GetZ() + 0.5);
    if (auto* calls = dynamic_cast<PaneBarCalls*>(added))
        calls->Build();
    return added;
}

int SubSystem::OnCreate()
{
    CGameFrameApp* app = App();
    if (app && app->IsMatchMode()) {
        CreateMatchListBar();
    } else {
        m_background = CreateCanvas(100, 100, kTransparent);
        CreateAdvertBar();
        CreateUserListBar();
    }
    CreateChatBox();
    CreateInputBar();
    return 0;
}

void SubSystem::CreateAdvertBar()
{
    Adopt(MakeAdvertBar());
}

void SubSystem::CreateOperateBar()
{
    Adopt(MakeOperateBar());
}

void SubSystem::CreateUserListBar()
{
    CGameFrameApp* app = App();
    Adopt(MakeUserListBar(app && app->IsSilverRoom()));
}

void SubSystem::CreateMatchListBar()
{
    Adopt(MakeMatchListBar());
}

void SubSystem::CreateChatBox()
{
    Adopt(std::make_unique<ChatBox>());
}

void SubSystem::CreateInputBar()
{
    Adopt(std::make_unique<InputBar>());
    if (InputBar* bar = GetInputBar())
        MakeOperateButtons(*this, *bar);
    LoadQuickPhrases();
}

void SubSystem::LoadQuickPhrases()
{
    if (InputBar* bar = GetInputBar()) {
        for (const char* phrase : kQuickPhrases)
            bar->AddQuickPhrase(phrase);
    }
}

// ---- layout ---------------------------------------------------------------------

int SubSystem::PictureHeight(const char* name)
{
    engine::PictureDesc desc;
    LookupPicture(&desc, name, 0);
    return desc.height;
}

int SubSystem::Property(int id)
{
    return GetIntProperty(id);
}

int SubSystem::ChatColour(int id)
{
    // The table view sets the chat's colours; before it does (or in the
    // frame alone) the chat uses the same ones.
    const int colour = GetIntProperty(id);
    if (colour >= 0)
        return colour;
    switch (id) {
    case kOwnChatColourProperty:
        return 0x408000;
    case kOtherNameColourProperty:
        return 0xF67130;
    default:
        return 0x404040;
    }
}

int SubSystem::CalcBoardHeight()
{
    CGameFrameApp* app = App();
    const int chairs = std::max(app ? app->GetChairCount() : 4, 4);
    return Property(kSideRowProperty) + Property(kSideSeatRowProperty) * chairs + Property(kSideGapProperty)
        + Property(kHorzScrollHeightProperty) + 1;
}

int SubSystem::PlaceOperateBar()
{
    return FindObjectByName(kOperateBarName) ? PictureHeight("SystemOperateBar") : 0;
}

int SubSystem::PlaceMatchListBar()
{
    return PictureHeight("SystemMatchListBar");
}

int SubSystem::PlaceUserListBlock()
{
    return PictureHeight("UserListBlock");
}

int SubSystem::PlaceUserListBar()
{
    CGameFrameApp* app = App();
    const bool twoRows = app && app->IsRoomOptionB08() && !app->IsLookOn();
    const int rows = twoRows ? 2 : (app ? app->GetChairCount() : 4) + 1;
    return PictureHeight("SystemUserListBar") + Property(kHorzScrollHeightProperty) + PlaceUserListBlock() * rows;
}

int SubSystem::PlaceInputBar()
{
    return PictureHeight(InputBar::kBarPicture);
}

int SubSystem::LayoutBars()
{
    engine::Rect r;
    GetRect(&r);
    const int height = r.bottom - r.top;
    CGameFrameApp* app = App();
    if (app && app->IsMatchMode())
        return height - PlaceOperateBar() - PlaceMatchListBar() - PlaceInputBar();
    return height - CalcBoardHeight() - PlaceOperateBar() - PlaceUserListBar() - PlaceInputBar() - 1;
}

void SubSystem::OnRectChanged()
{
    engine::Rect r;
    GetRect(&r);
    const int left = r.left;
    const int top = r.top;
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    if (width < 1 || height < 1)
        return;
    const int op = PlaceOperateBar();
    const bool match = App() && App()->IsMatchMode();
    const int ad = match ? 0 : CalcBoardHeight();
    const int centreX = left + width / 2;
    LayoutSideBars(left, top, width, op, ad);

    const int ib = PlaceInputBar();
    const int ch = LayoutBars();
    if (ChatBox* chat = GetChatBox()) {
        if (ch >= 1) {
            chat->SetZ(GetZ() + 0.5);
            chat->MoveTo(left + (width + 1) / 2, top + height - ib - ch / 2.0);
            chat->ScaleTo(width, ch);
            chat->Show();
            chat->Invalidate();
            chat->Layout();
        } else {
            chat->Hide();
            chat->Invalidate();
        }
    }
    if (InputBar* input = GetInputBar()) {
        input->SetZ(GetZ() + 0.5);
        input->ScaleTo(width + 1, ib);
        input->MoveTo(centreX, r.bottom - ib / 2.0);
        input->Show();
        input->Invalidate();
        input->Layout();
    }
}

void SubSystem::LayoutSideBars(int left, int top, int width, int op, int ad)
{
    const int centreX = left + width / 2;
    if (PaneBarCalls* calls = Bar(kOperateBarName)) {
        calls->SetRect(left, top, left + width, top + op);
        calls->Layout();
    }
    if (PaneBarCalls* calls = Bar(kAdvertBarName)) {
        calls->SetRect(left + 1, top, left + width - 1, top + ad);
        calls->Layout();
    }
    if (engine::EngineObject* bar = FindObjectByName(kMatchListBarName)) {
        bar->MoveTo(centreX, static_cast<int>(top + bar->GetHeight() / 2 + op));
        bar->ScaleTo(width, PlaceMatchListBar());
        bar->Show();
        bar->Invalidate();
        if (PaneBarCalls* calls = Bar(kMatchListBarName))
            calls->Layout();
    }
    if (!m_background)
        return;
    const int ul = PlaceUserListBar();
    if (PaneBarCalls* calls = Bar(kUserListBarName)) {
        calls->SetRect(left + 1, top + op + ad, left + width - 1, top + op + ad + ul);
        calls->Layout();
    }
    DrawBackground(left, top, width, op, ad, ul);
}

void SubSystem::DrawBackground(int left, int top, int width, int op, int ad, int ul)
{
    const int height = ad + ul + 2;
    if (height < 1)
        return;
    m_background->Clear();
    m_background->ScaleTo(width, height);
    m_background->ResizeBuffer(width, height);
    engine::PictureDesc parts[3];
    for (int i = 0; i < 3; ++i)
        LookupPicture(&parts[i], kBackgroundPicture, i);
    m_background->DrawVertical3(parts[0], parts[1], parts[2]);
    m_background->SetZ(GetZ());
    m_background->MoveTo(left + width / 2.0, top + op + height / 2.0);
    m_background->Show();
    m_background->Invalidate();
}

// ---- refresh and notices ---------------------------------------------------------------

bool SubSystem::ShowsTableNumber() const
{
    CGameFrameApp* app = App();
    return !(app && app->IsRoomOptionB08() && !app->IsLookOn());
}

void SubSystem::AddSystemLine(const std::string& text)
{
    if (CGameFrameApp* app = App(); app && app->GetSystemPane() == this)
        app->AddSystemChatLine(text);
    else if (ChatBox* chat = GetChatBox())
        chat->AddLine(text);
}

void SubSystem::OnRefresh()
{
    if (PaneBarCalls* bar = Bar(kMatchListBarName))
        bar->DrawPortrait();
    if (PaneBarCalls* bar = Bar(kUserListBarName))
        bar->Refresh();
    if (PaneBarCalls* bar = Bar(kMatchListBarName))
        bar->DrawMatchName();
    if (PaneBarCalls* bar = Bar(kAdvertBarName))
        bar->DrawHistory();
    if (!GetChatBox())
        return;
    CGameFrameApp* app = App();
    const std::string room = app ? app->GetRoomName() : std::string();
    const std::string place = app ? app->GetLocationName() : std::string();
    if (ShowsTableNumber()) {
        AddSystemLine(FormatLine(" 欢迎来到 <s=180,c=%d,e=b>%s\r\n<> 您的位置：%s 第%lld桌\r\n", kWelcomeColour,
            room.c_str(), place.c_str(), OneUp(app ? app->GetTableNo() : 0)));
    } else {
        AddSystemLine(FormatLine(" 欢迎来到 <s=180,c=%d,e=b>%s\r\n<> 您的位置：%s\r\n", kWelcomeColour, room.c_str(),
            place.c_str()));
    }
    // After the welcome, the room's notice file; it comes back to the chat
    // as its own event.
    if (auto* window = dynamic_cast<CGameFrameWnd*>(app ? app->GetMainWindow() : nullptr))
        window->StartNotifyDownload();
}

void SubSystem::OpenComplaintPage()
{
    if (CGameFrameApp* app = App())
        frame::OpenComplaintPage(*app);
}

void SubSystem::OnPlayerEnterText(const PlayerRecord& record)
{
    const std::string name = DisplayName(record.UserId());
    if (ShowsTableNumber())
        AddSystemLine(
            FormatLine(" <c=%d>%s进入第%lld桌 \r\n", kNoticeColour, name.c_str(), OneUp(record.TableNo())));
    else
        AddSystemLine(FormatLine(" <c=%d>%s进入 \r\n", kNoticeColour, name.c_str()));
    if (PaneBarCalls* bar = Bar(kAdvertBarName))
        bar->RefreshHistory();
}

void SubSystem::OnPlayerLeaveText(PlayerRecord& record)
{
    const std::string name = DisplayName(record.UserId());
    if (ShowsTableNumber())
        AddSystemLine(
            FormatLine(" <c=%d>%s离开第%lld桌 \r\n", kNoticeColour, name.c_str(), OneUp(record.TableNo())));
    else
        AddSystemLine(FormatLine(" <c=%d>%s离开 \r\n", kNoticeColour, name.c_str()));
    record.Clear();
    PaneBarCalls* advert = Bar(kAdvertBarName);
    if (CGameFrameApp* app = App(); app && advert)
        app->ClearScoreHistory();
    if (advert)
        advert->RefreshHistory();
}

void SubSystem::OnLookerEnterText(const PlayerRecord& record)
{
    if (IsMember(record.UserId()))
        return;
    AddSystemLine(FormatLine(" <c=%d>%s进入旁观 \r\n", kLookerColour, DisplayName(record.UserId()).c_str()));
}

void SubSystem::OnLookerLeaveText(const PlayerRecord& record)
{
    if (!IsMember(record.UserId()))
        AddSystemLine(FormatLine(" <c=%d>%s退出旁观 \r\n", kLookerColour, DisplayName(record.UserId()).c_str()));
    if (PaneBarCalls* list = Bar(kUserListBarName))
        list->DropLooker(record.UserId());
}

void SubSystem::OnRandomTableText()
{
    CGameFrameApp* app = App();
    if (ShowsTableNumber())
        AddSystemLine(FormatLine(" <c=255>您已经被随机分配到第%lld桌\r\n", OneUp(app ? app->GetTableNo() : 0)));
    else
        AddSystemLine(" <c=255>随机分桌成功，游戏开始\r\n");
    if (PaneBarCalls* advert = Bar(kAdvertBarName)) {
        if (app)
            app->ClearScoreHistory();
        advert->RefreshHistory();
    }
}

void SubSystem::OnTableChangedText()
{
    CGameFrameApp* app = App();
    AddSystemLine(FormatLine(" <c=255>您已经被换到第%lld桌\r\n", OneUp(app ? app->GetTableNo() : 0)));
    if (PaneBarCalls* advert = Bar(kAdvertBarName)) {
        if (app)
            app->ClearScoreHistory();
        advert->RefreshHistory();
    }
}

void SubSystem::OnSilverNotice(const uint8_t* body, size_t size)
{
    const WireReader record(body, size);
    if (!record.Has(kSilverSize))
        return;
    const std::string name = UserName(record.Int(0));
    const int amount = record.Int(kSilverAmount);
    const int now = record.Int(kSilverNow);
    switch (record.Int(kSilverKind)) {
    case 1:
        AddSystemLine(FormatLine(" <z=qh系统通知> <c=255>%s<>从保险箱中取出<c=255>%d<>两银子, 现有<c=255>%d<>两银子 \r\n",
            name.c_str(), amount, now));
        break;
    case 2:
        AddSystemLine(FormatLine(" <z=qh系统通知> <c=255>%s<>存入<c=255>%d<>两银子到保险箱, 现有<c=255>%d<>两银子 \r\n",
            name.c_str(), amount, now));
        break;
    case 3:
        AddSystemLine(FormatLine(" <z=qh系统通知> <c=255>%s<>领取了低保到%s，共<c=255>%d<>两银子 \r\n", name.c_str(),
            "游戏", amount));
        break;
    default:
        AddSystemLine("");
        break;
    }
    const int base = record.Int(kSilverBase);
    CGameFrameApp* app = App();
    GameState* state = app ? app->GetGameState() : nullptr;
    if (base > 0 && (!state || base != state->GetTableWord36()))
        AddSystemLine(FormatLine(" <z=qh系统通知> 当前基础银为<c=255>%d<>两 \r\n", base));
}

// ---- chat lines -------------------------------------------------------------------

void SubSystem::ShowOwnChat(std::string_view text)
{
    const int self = OwnUserId();
    const bool privileged = IsPrivileged(self);
    const bool member = IsMember(self);
    const size_t limit = privileged ? kPrivilegedLineLimit : kOwnLineLimit;
    text = text.substr(0, text.find('\0'));
    const std::string line(text.substr(0, engine::GbkCutLength(text, limit)));
    if (line.empty())
        return;
    CGameFrameApp* app = App();
    const bool standAlone = app && app->IsStandAlone();
    if (!member && !standAlone) {
        const uint32_t now = platform::TickMs();
        if (m_lastChatTime != 0 && now - m_lastChatTime < kFloodMs)
            return;
        m_lastChatTime = now;
    }
    if (InputBar* input = GetInputBar())
        input->ClearInput();
    if (app && app->FilterChatText(line) != 0)
        return;
    if (GameConnection* connection = app ? app->GetConnection() : nullptr)
        connection->SendChat(line);
    // Without a server nothing echoes the line back: show it here.
    if (!app || standAlone) {
        const int colour = ChatColour(kOwnChatColourProperty);
        const std::string style = member ? kMemberStyle : FormatLine("<c=%d>", colour);
        const std::string badge = privileged ? kMemberBadge : " ";
        if (ChatBox* chat = GetChatBox())
            chat->AddLine(FormatLine("%s<c=%d>我说: %s%s<><>\r\n", badge.c_str(), colour, style.c_str(), line.c_str()));
    }
}

void SubSystem::ShowChatIn(const uint8_t* body, size_t size)
{
    const WireReader record(body, size);
    engine::RichText* view = ChatViewOf(GetChatBox());
    if (!view || !record.Has(kChatInText))
        return;
    const int userId = record.Int(0);
    const std::string text = record.Text(kChatInText, kChatTextMax);
    const std::string prefix = std::string(IsPrivileged(userId) ? " <m=qh会员>" : " ")
        + FormatLine("<c=%d>", ChatColour(kOtherNameColourProperty));
    const std::string style
        = IsMember(userId) ? std::string(kMemberStyle) : FormatLine("<c=%d>", ChatColour(kOtherChatColourProperty));
    view->AppendText(FormatLine("%s%s说: %s%s\n", prefix.c_str(), UserName(userId).c_str(), style.c_str(), text.c_str()));
    view->ScrollToEnd();
}

void SubSystem::ShowMemberChat(const uint8_t* body, size_t size)
{
    const WireReader record(body, size);
    engine::RichText* view = ChatViewOf(GetChatBox());
    if (!view || !record.Has(kMemberChatText))
        return;
    const int userId = record.Int(0);
    const std::string text = record.Text(kMemberChatText, kChatTextMax);
    switch (record.Int(kMemberChatKind)) {
    case 2:
        view->AppendText(text);
        break;
    case 8: {
        const std::string name = UserName(userId);
        if (name.empty())
            return;
        const char* badge = IsPrivileged(userId) ? " <m=qh会员>" : " ";
        const char* style = IsMember(userId) ? kMemberStyle : "";
        if (userId == OwnUserId())
            view->AppendText(FormatLine("%s<c=%d>我说: %s%s", badge, ChatColour(kOwnChatColourProperty), style, text.c_str()));
        else
            view->AppendText(FormatLine("%s<c=%d>%s说: %s%s", badge, ChatColour(kOtherNameColourProperty), name.c_str(),
                style, text.c_str()));
        break;
    }
    default:
        return;
    }
    view->ScrollToEnd();
}

void SubSystem::ShowMemberNotice(const uint8_t* body, size_t size)
{
    const WireReader record(body, size);
    ChatBox* chat = GetChatBox();
    if (!chat || !record.Has(kMemberNoticeSize) || (record.Word(0) & 1) == 0)
        return;
    CGameFrameApp* app = App();
    const size_t chairs = std::min(static_cast<size_t>(std::max(app ? app->GetChairCount() : 0, 0)), kMemberNoticeSeats);
    const int nameColour = ChatColour(kOtherNameColourProperty);
    for (size_t i = 0; i < chairs; ++i) {
        const int userId = record.Int(kMemberNoticeUsers + 4 * i);
        const int amount = record.Int(kMemberNoticeAmounts + 4 * i);
        if (!IsPrivileged(userId) || amount <= 0)
            continue;
        chat->AddLine(FormatLine(" <m=qh会员><c=%d>%s<>发动<c=%d>会员积分护身符<>技能，补回<c=%d>%d<>分\r\n", nameColour,
            UserName(userId).c_str(), nameColour, kNoticeColour, amount));
    }
}

void SubSystem::AppendNoticeText(std::string_view text)
{
    if (ChatBox* chat = GetChatBox())
        chat->AddNotice(text);
}

void SubSystem::PassToInputBar(std::string_view code, bool insert)
{
    InputBar* input = GetInputBar();
    if (!input)
        return;
    if (insert || input->HasInputText())
        input->InsertText(code);
    else if (GetChatBox())
        ShowOwnChat(code);
}

// ---- buttons ------------------------------------------------------------------------

void SubSystem::RefreshMatchList()
{
    if (PaneBarCalls* bar = Bar(kMatchListBarName))
        bar->ResumeClock();
}

void SubSystem::ClearChat()
{
    if (ChatBox* chat = GetChatBox())
        chat->Clear();
}

bool SubSystem::WriteScreenshot(const std::string& path)
{
    CGameFrameApp* app = App();
    return app && WriteScreenJpeg(path, kScreenshotQuality, app->GetMainWindow());
}

void SubSystem::SaveScreenshot()
{
    CGameFrameApp* app = App();
    const std::string directory = frame::SaveScreenshot(app ? app->GetExeDir() : std::string(),
        app ? app->GetGameName() : std::string(), app ? app->GetUserId() : 0, platform::LocalNow(),
        [this](const std::string& path) { return WriteScreenshot(path); });
    ChatBox* chat = GetChatBox();
    if (!chat)
        return;
    // Only a written file is announced, and only this link may open a
    // local folder from the chat.
    if (!directory.empty())
        chat->AddFolderLine(
            FormatLine(" <z=qh系统通知><c=255> 游戏截图已保存到<url_text=%s,临时目录><c=255>\r\n", directory.c_str()),
            directory);
    else
        chat->AddLine(" <z=qh系统通知><c=255> 游戏截图没有保存成功\r\n");
}

void SubSystem::OpenFacePicker()
{
    if (ChatBox* chat = GetChatBox())
        chat->ToggleFacePicker();
}

void SubSystem::OnSafeBoxButton()
{
    ShowSilverMenu();
}

void SubSystem::ShowSilverMenu()
{
    if (InputBar* input = GetInputBar()) {
        input->LoadDepositPresets();
        input->CreateSilverMenu(100, 20);
        input->RefreshSilverMenu();
        input->ToggleSilverMenu(true);
    }
}

// ---- events -------------------------------------------------------------------------

int SubSystem::OnEvent(const engine::EngineEvent& event)
{
    const auto record = [&]() -> PlayerRecord* { return event.ParamAs<PlayerRecord>(); };
    const auto* bytes = event.ParamAs<const uint8_t>();
    const auto size = static_cast<size_t>(event.data);
    const auto* text = event.ParamAs<const char>();
    switch (event.code) {
    case EVT_CHILD_PLAYER_ENTER:
        if (record())
            OnPlayerEnterText(*record());
        break;
    case EVT_CHILD_LOOKER_ENTER:
        if (record())
            OnLookerEnterText(*record());
        break;
    case EVT_CHILD_PLAYER_LEAVE:
        if (record())
            OnPlayerLeaveText(*record());
        break;
    case EVT_CHILD_LOOKER_LEAVE:
        if (record())
            OnLookerLeaveText(*record());
        break;
    case EVT_CHILD_RANDOM_SEAT:
        OnRandomTableText();
        break;
    case EVT_CHILD_USER_LIST:
        if (PaneBarCalls* bar = Bar(kUserListBarName))
            bar->Refresh();
        break;
    case EVT_CHILD_TABLE_CHANGED:
        OnTableChangedText();
        break;
    case EVT_CHILD_SILVER:
        OnSilverNotice(bytes, size);
        break;
    case EVT_PANE_SORTED_RANKING:
        if (PaneBarCalls* bar = Bar(kMatchListBarName))
            bar->RefreshRanking();
        break;
    case EVT_CHILD_MATCH_BEGIN:
        if (PaneBarCalls* bar = Bar(kMatchListBarName))
            bar->StartClock();
        break;
    case EVT_PANE_MATCH_OVER:
        if (PaneBarCalls* bar = Bar(kMatchListBarName))
            bar->StopClock();
        break;
    case EVT_CHILD_SIGNED_UP:
        if (PaneBarCalls* bar = Bar(kMatchListBarName))
            bar->ShowSignUpCount(event.ParamInt());
        break;
    case EVT_CHILD_MATCH_ENTERED:
        OnMatchEntered();
        break;
    case EVT_PANE_CHAT_LINE:
        if (ChatBox* chat = GetChatBox(); chat && text)
            chat->AddLine(text);
        break;
    case EVT_PANE_CHAT_IN:
        ShowChatIn(bytes, size);
        break;
    case EVT_PANE_MEMBER_CHAT:
        ShowMemberChat(bytes, size);
        break;
    case EVT_PANE_ADVERT_TEXT:
        if (PaneBarCalls* bar = Bar(kAdvertBarName); bar && text)
            bar->Navigate(text);
        engine::FreeEventBlock(event.param);
        break;
    case EVT_PANE_MEMBER_NOTICE:
        ShowMemberNotice(bytes, size);
        break;
    case EVT_CHILD_SERVER_TEXT:
        OnServerText(bytes);
        break;
    case EVT_PANE_NOTICE_FILE:
        if (text)
            AppendNoticeText(text);
        break;
    case EVT_PANE_FACE_LEFT:
    case EVT_PANE_FACE_RIGHT:
        if (text)
            PassToInputBar(text, event.code == EVT_PANE_FACE_RIGHT);
        break;
    case EVT_PANE_SEND:
        if (InputBar* input = GetInputBar())
            input->Send();
        break;
    case EVT_PANE_SUBMIT:
        if (text)
            ShowOwnChat(text);
        engine::FreeEventBlock(event.param);
        break;
    case EVT_PANE_QUICK_CHAT:
        if (InputBar* input = GetInputBar())
            input->ToggleQuickPhrases();
        break;
    case EVT_PANE_PHRASE:
        if (text)
            ShowOwnChat(text);
        if (auto* menu = event.DataAs<engine::EngineObject>()) {
            menu->Hide();
            menu->Invalidate();
        }
        break;
    case EVT_CHILD_PANE_MATCH_ENTERED:
        ClearChat();
        break;
    case EVT_PANE_CLEAR_CHAT:
        ClearChat();
        break;
    case EVT_PANE_FACES:
        OpenFacePicker();
        break;
    case EVT_PANE_SCREENSHOT:
        SaveScreenshot();
        break;
    case EVT_PANE_COMPLAINT:
        OpenComplaintPage();
        break;
    case EVT_PANE_SAFE_BOX:
        OnSafeBoxButton();
        break;
    case EVT_PANE_MATCH_PLAYER:
        if (CGameFrameApp* app = App(); app && app->GetConnection())
            app->GetConnection()->Request201230(event.ParamInt());
        break;
    default:
        break;
    }
    return 1;
}

} // namespace frame
