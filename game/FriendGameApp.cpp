#include "game/FriendGameApp.h"

#include "engine/objects/COrbitVaneWnd.h"
#include "frame/core/CGameFrameWnd.h"
#include "frame/core/WireReader.h"
#include "game/CMainFrame.h"
#include "game/FriendGameFrame.h"

#include <array>

namespace game {

namespace {

// Where an enter reply keeps the score history: the round counter, the
// ring of 30 rounds chair after chair, and the totals.
struct HistoryLayout {
    size_t rounds;
    size_t ring;
    size_t totals;
    int chairs;
};
// 210200: the table information of the player's own table, all 8 chairs.
constexpr HistoryLayout kPlayerHistory { 52, 88, 1048, frame::ScoreHistory::kChairs };
// 210210: the table state seen by a looker-on, the table's 4 chairs.
constexpr HistoryLayout kLookerHistory { 4536, 4040, 4520, kGameChairs };

// Chairs' flag words in notification 211700.
constexpr size_t kChairFlags = 20;

void RestoreHistory(frame::ScoreHistory& history, const uint8_t* data, size_t size, const HistoryLayout& at)
{
    const frame::WireReader body(data, size);
    const size_t ringWords = static_cast<size_t>(at.chairs) * frame::ScoreHistory::kRounds;
    const size_t chairs = static_cast<size_t>(at.chairs);
    if (!body.Has(at.rounds, 4) || !body.Has(at.ring, ringWords * 4) || !body.Has(at.totals, chairs * 4))
        return;
    std::array<int32_t, frame::ScoreHistory::kChairs * frame::ScoreHistory::kRounds> ring {};
    std::array<int32_t, frame::ScoreHistory::kChairs> totals {};
    for (size_t i = 0; i < ringWords; ++i)
        ring[i] = body.Int(at.ring + 4 * i);
    for (size_t i = 0; i < chairs; ++i)
        totals[i] = body.Int(at.totals + 4 * i);
    history.Restore(body.Int(at.rounds), at.chairs, std::span(ring).first(ringWords), std::span(totals).first(chairs));
}

} // namespace

FriendGameApp::FriendGameApp()
    : CardGameApp("KbZn", 21534, 1, 1)
    , m_notifyHandler(*this)
{
}

FriendGameApp::~FriendGameApp()
{
    m_connection.Close();
}

bool FriendGameApp::InitInstance()
{
    RegisterReplayFileType();
    LoadSettings();
    ParseCommandLine();
    if (IsStandAlone())
        FillReplayLaunchArgs();
    if (!CGameFrameApp::InitInstance() || !CreateMainWindow())
        return false;
    if (IsReplayMode()) {
        // No lobby sends the table: the window builds it as after the
        // lobby's init data.
        GetTableInfo().SetPlayerCount(kGameChairs);
        GetMainWindow()->GetWindow().PostMessage(WM_FRAME_INITDONE, 0, 0);
    }
    return true;
}

int FriendGameApp::ExitInstance()
{
    SaveSettings();
    return CGameFrameApp::ExitInstance();
}

void FriendGameApp::FillReplayLaunchArgs()
{
    frame::HallLaunchArgs& args = GetHallArgs();
    args.gameId = kReplayGameId;
    args.serverHost = kReplayServerHost;
    args.lobbyWord = 0;
    args.lobbyWindow = 0;
    args.lobbyWord4 = 1;
    args.userId = 0;
    args.tableNo = 0;
    args.chair = 0;
    args.lookOn = 0;
    args.reenter = 0;
    args.title = kReplayTitle;
}

void FriendGameApp::LoadSettings()
{
    m_settings = LoadGameSettings(GetGameIniPath());
}

void FriendGameApp::SaveSettings()
{
    SaveGameSettings(GetGameIniPath(), m_settings);
}

std::unique_ptr<CGameFrameWnd> FriendGameApp::NewMainWindow()
{
    return std::make_unique<CMainFrame>(*this);
}

std::unique_ptr<engine::RectObject> FriendGameApp::CreateMainView()
{
    return std::make_unique<FriendGameFrame>();
}

void FriendGameApp::OnEnterReply210200(const uint8_t* data, size_t size)
{
    RestoreHistory(GetScoreHistory(), data, size, kPlayerHistory);
    CardGameApp::OnEnterReply210200(data, size);
}

void FriendGameApp::OnEnterReply210210(const uint8_t* data, size_t size)
{
    RestoreHistory(GetScoreHistory(), data, size, kLookerHistory);
    CardGameApp::OnEnterReply210210(data, size);
}

bool FriendGameApp::LoadPlayersByChair(const uint8_t* data, size_t size)
{
    const bool loaded = CardGameApp::LoadPlayersByChair(data, size);
    const frame::WireReader body(data, size);
    if (body.Has(kChairFlags, 4 * kGameChairs))
        for (int chair = 0; chair < kGameChairs; ++chair)
            m_data.SetChairFlags(chair, body.Int(kChairFlags + 4 * static_cast<size_t>(chair)));
    return loaded;
}

} // namespace game
