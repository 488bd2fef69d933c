// The application's side of the exchange with the lobby: announcing the
// main window, the close notice, texts and sign requests to the lobby, the
// init data from it, and entering the table afterwards.

#include "frame/core/CGameFrameApp.h"

#include "frame/core/CGameFrameWnd.h"
#include "frame/core/GameConnection.h"
#include "frame/core/HallRecords.h"
#include "frame/core/WebAddresses.h"
#include "platform/Cursor.h"
#include "platform/DesktopChannel.h"
#include "platform/HandleSpace.h"

namespace {

// The class under which the client's windows take the lobby's records.
constexpr char kSignWindowClass[] = "KbZnWait";
constexpr uint32_t kSignWaitMs = 6000;

} // namespace

bool CGameFrameApp::IsHallAlive() const
{
    const platform::WindowHandle hall = GetHallWindowHandle();
    return hall != 0 && platform::DesktopChannel::Desktop().IsWindow(hall);
}

bool CGameFrameApp::PostToHall(uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    if (IsStandAlone() || !IsHallAlive())
        return false;
    return platform::DesktopChannel::Desktop().PostToWindow(GetHallWindowHandle(), message, wParam, lParam);
}

bool CGameFrameApp::PostToHallFrame(uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    const platform::DesktopChannel& channel = platform::DesktopChannel::Desktop();
    const platform::WindowHandle hall = channel.FindWindowByClass(frame::kHallWindowClass);
    return hall != 0 && channel.PostToWindow(hall, message, wParam, lParam);
}

void CGameFrameApp::AnnounceMainWindow(platform::WindowHandle window)
{
    if (m_commThread)
        m_commThread->PostTarget(window);
    if (IsStandAlone())
        return;
    const bool told = IsMatchMode() ? PostToHall(frame::WM_HALL_MATCHREADY, window, GetUserId())
                                    : PostToHall(frame::WM_HALL_GAMEREADY, window, GetHallArgs().tableNo);
    // The lobby answers with the init data; it may fail to send them.
    if (auto* frameWindow = dynamic_cast<CGameFrameWnd*>(m_mainWindow.get()); told && frameWindow)
        frameWindow->StartInitWait();
}

void CGameFrameApp::NotifyHallClosing(platform::WindowHandle window)
{
    if (m_restartPending || m_hallToldClosing || IsStandAlone() || !IsHallAlive())
        return;
    // The lobby counts the client gone at its notice: a second one (several
    // boxes that each end the table, a leave followed by the window's close)
    // would count it twice.
    m_hallToldClosing = true;
    frame::HallCloseNotice notice;
    notice.SetWindow(window);
    notice.SetUserId(GetUserId());
    notice.SetTableNo(GetTableNo());
    notice.SetChair(GetChair());
    notice.SetNewerMajor(m_newerMajor);
    notice.SetLookOn(IsLookOn() ? 1 : 0);
    notice.SetLostWhilePlaying(m_lostWhilePlaying ? 1 : 0);
    notice.SetGameId(GetGameId());
    notice.SetNewerMinor(m_newerMinor);
    const uintptr_t type = m_lostWhilePlaying ? frame::HALLDATA_CLOSEDLOST : frame::HALLDATA_CLOSED;
    platform::DesktopChannel::Desktop().SendCopyData(GetHallWindowHandle(), window, type, notice.Bytes(),
        frame::kHallSendTimeoutMs, nullptr);
}

int CGameFrameApp::SendTextToHall(const std::string& text, int value)
{
    if (!IsHallAlive())
        return 0;
    frame::HallTextMessage message;
    const platform::WindowHandle window = GetMainWindowHandle();
    message.SetWindow(window);
    message.SetUserId(GetUserId());
    message.SetGameId(GetGameId());
    message.SetLobbyWord(GetHallArgs().lobbyWord);
    message.SetValue(value);
    message.SetText(text);
    const std::vector<uint8_t> enciphered = frame::HallDataCipher::Encipher(message.Bytes());
    platform::DesktopChannel::Desktop().SendCopyData(GetHallWindowHandle(), window, frame::HALLDATA_TEXT, enciphered,
        frame::kHallSendTimeoutMs, nullptr);
    return 1;
}

std::string CGameFrameApp::FetchHallSign()
{
    if (!IsHallAlive())
        return {};
    if (!m_signRequests)
        m_signRequests = std::make_unique<frame::HallSignRequests>();
    if (!m_signWindow) {
        // The lobby answers to a window of ours: one that exists only on
        // the desktop channel, its answers taken on the channel's thread.
        const uint32_t handle = platform::HandleSpace::Desktop().Allocate();
        m_signWindow = std::make_unique<platform::DesktopRegistration>(platform::DesktopChannel::Desktop(),
            kSignWindowClass, handle, nullptr,
            [this](platform::WindowHandle, const platform::CopyDataRecord& record) -> intptr_t {
                if (record.id != frame::HALLDATA_SIGNANSWER)
                    return 0;
                return OnHallSignAnswer(record.bytes, record.size) ? 1 : 0;
            });
    }
    const platform::CursorHandle previous = platform::GetCursor();
    platform::SetCursor(platform::LoadSystemCursor(platform::SystemCursor::kWait));
    // Registered before the post: an answer can come at once.
    const uint32_t token = m_signRequests->Open(GetUserId());
    std::string sign;
    if (PostToHall(frame::WM_HALL_GETSIGN, m_signWindow->Handle(), static_cast<intptr_t>(token)))
        sign = m_signRequests->Wait(token, kSignWaitMs);
    platform::SetCursor(previous);
    return sign;
}

bool CGameFrameApp::OnHallSignAnswer(const uint8_t* data, size_t size)
{
    if (!m_signRequests || !data)
        return false;
    const std::vector<uint8_t> plain = frame::HallDataCipher::Decipher({ data, size });
    const auto answer = frame::ReadHallRecord<frame::HallSignAnswer>(plain.data(), plain.size());
    return answer && m_signRequests->Answer(*answer);
}

bool CGameFrameApp::InitGameFromHall(const uint8_t* data, size_t size)
{
    frame::HallInitGame init;
    if (frame::ParseHallInitGame(data, size, init) != frame::HallInitStatus::kOk)
        return false;
    GetRoomInfo() = init.room;
    GetTableInfo() = init.table;
    ClearSeatPlayers();
    // Some rooms leave out the records of other chairs still marked away.
    const bool skipAway = IsRoomOptionB40() && !IsRoomOptionB02();
    constexpr int32_t kStatusAway = 12;
    int seated = 0;
    for (const frame::PlayerRecord& record : init.seated) {
        const int chair = record.Chair();
        if (skipAway && chair != GetChair() && record.Status() == kStatusAway)
            continue;
        if (frame::PlayerRecord* seat = GetSeatPlayer(chair)) {
            *seat = record;
            ++seated;
        }
    }
    GetTableInfo().SetPlayerCount(seated);
    for (size_t i = 0; i < init.lookers.size(); ++i) {
        if (frame::PlayerRecord* slot = GetLookOnPlayer(static_cast<int>(i)))
            *slot = init.lookers[i];
    }
    if (init.HasRoomText())
        SetRoomTexts(init.roomText.data(), init.roomText.size());

    const frame::PlayerRecord* own = FindPlayer(GetUserId());
    return own && own->LookOn() == (IsLookOn() ? 1 : 0) && own->Chair() == GetChair();
}

bool CGameFrameApp::InitMatchFromHall(const uint8_t* data, size_t size)
{
    frame::HallInitMatch init;
    if (!frame::ParseHallInitMatch(data, size, init))
        return false;
    GetRoomInfo() = init.room;
    GetTableInfo() = init.table;
    ClearSeatPlayers();
    if (frame::PlayerRecord* seat = GetSeatPlayer(0))
        *seat = init.own;
    GetMatchInfo() = init.match;
    SetOwnChair(0);
    if (m_mainWindow)
        m_mainWindow->GetWindow().SetTitle(GetMatchName());
    return true;
}

int CGameFrameApp::EnterRoom()
{
    return IsMatchMode() ? EnterMatchRoom() : EnterGameRoom();
}

int CGameFrameApp::EnterGameRoom()
{
    if (IsStandAlone())
        return 1;
    GameConnection* connection = GetConnection();
    std::string text;
    if (connection && connection->EnterGame(text)) {
        ShowWaitText("", false);
        if (auto* window = dynamic_cast<CGameFrameWnd*>(m_mainWindow.get()))
            window->StartPulse();
        return 1;
    }
    ShowWaitText(text, true);
    PauseAfterFailure(2000);
    if (m_mainWindow)
        m_mainWindow->GetWindow().PostMessage(platform::kWmClose, 0, 0);
    return 0;
}

int CGameFrameApp::EnterMatchRoom()
{
    if (IsStandAlone())
        return 1;
    GameConnection* connection = GetConnection();
    std::string text;
    if (connection && connection->EnterMatchRoom(text)) {
        ShowWaitText("", false);
        return 1;
    }
    ShowWaitText(text, true);
    PauseAfterFailure(2000);
    if (m_mainWindow)
        m_mainWindow->GetWindow().PostMessage(platform::kWmClose, 0, 0);
    return 0;
}

// ---- web page addresses ----------------------------------------------------------

frame::WebSession CGameFrameApp::GetWebSession()
{
    frame::WebSession session;
    session.userId = GetUserId();
    session.standAlone = IsStandAlone();
    session.mainWindow = GetMainWindowHandle();
    session.fetchSign = [this] { return FetchHallSign(); };
    session.showWaitText = [this](const std::string& text, int seconds) { ShowWaitTextTimed(text, seconds); };
    session.postToHall = [this](uint32_t message, uintptr_t wParam, intptr_t lParam) {
        return PostToHallFrame(message, wParam, lParam);
    };
    return session;
}

std::string CGameFrameApp::BuildSignedUrl(const std::string& address, bool sign)
{
    const frame::WebSession session = GetWebSession();
    return frame::BuildSignedUrl(session, address, sign);
}

bool CGameFrameApp::OpenUrlInBrowser(const std::string& address, bool sign)
{
    return frame::OpenUrlInBrowser(GetWebSession(), address, sign);
}

std::string CGameFrameApp::GetAdvertPageUrl() const
{
    return frame::GetAdvertPageUrl(GetGameIniPath(), GetRoomInfo(), GetGameId());
}

std::string CGameFrameApp::GetPayPageUrl() const
{
    return frame::GetPayPageUrl(GetGameIniPath());
}
