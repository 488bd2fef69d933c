#include "tools/tableserver/TableDeal.h"

#include "tools/tableserver/TableRobot.h"

#include "platform/Clock.h"
#include "platform/IniFile.h"

namespace tools {

using namespace table;

namespace {

// Holds the process clock still while a seeded deal is made: the shuffle
// reads the tick and the time of day, and a fixed date makes the seconds
// it seeds with the same on every run.
class ClockPin {
public:
    ClockPin()
    {
        platform::SetFixedTick(platform::TickMs());
        platform::SetFixedLocalTime(platform::LocalTime { 2026, 1, 1, 12, 0, 0, 0 });
    }
    ~ClockPin()
    {
        platform::SetFixedTick(std::nullopt);
        platform::SetFixedLocalTime(std::nullopt);
    }
    ClockPin(const ClockPin&) = delete;
    ClockPin& operator=(const ClockPin&) = delete;
};

} // namespace

RoomRules RoomRules::Load(const std::string& path)
{
    RoomRules room;
    if (path.empty())
        return room;
    const platform::IniSnapshot ini(path);
    room.baseScore = ini.GetInt("Room", "BaseScore", room.baseScore);
    room.baseSilver = ini.GetInt("Room", "BaseSilver", room.baseSilver);
    room.minSilver = ini.GetInt("Room", "MinSilver", room.minSilver);
    room.silver = ini.GetInt("Room", "Silver", room.silver ? 1 : 0) != 0;
    room.feeKind = ini.GetInt("Room", "FeeKind", room.feeKind);
    room.feeRate = ini.GetInt("Room", "FeeRate", room.feeRate);
    room.startScore = ini.GetInt("Room", "StartScore", room.startScore);
    room.startSilver = ini.GetInt("Room", "StartSilver", room.startSilver);
    room.turnSeconds = ini.GetInt("Room", "TurnSeconds", room.turnSeconds);
    return room;
}

StartParams RoomRules::Params() const
{
    StartParams params {};
    params[kParamBaseSilver] = baseSilver;
    params[kParamMinSilver] = minSilver;
    params[kParamFeeRate6] = feeRate;
    params[kParamFeeKind] = feeKind;
    params[kParamTimeCap] = 3600;
    params[kParamBaseScore] = baseScore;
    params[kParamMinScore] = -1000000000;
    params[kParamMaxScore] = 1000000000;
    params[kParamMaxRoundsPlayer] = 1000000000;
    params[kParamMaxRoundsTable] = 1000000000;
    return params;
}

ServerRules::ServerRules(std::string rulesPath, int tableNumber, int roomNumber)
    : FriendCardRules(
          [&] {
              GameTableArgs args = FriendGameTableArgs();
              args.tableNumber = tableNumber;
              args.roomNumber = roomNumber;
              return args;
          }(),
          FriendCardTableArgs())
    , m_rulesPath(std::move(rulesPath))
{
}

Deal::Deal(const RoomRules& room, const std::string& rulesPath, int tableNumber, int roomNumber)
    : m_rules(rulesPath, tableNumber, roomNumber)
    , m_params(room.Params())
    , m_turnSeconds(room.turnSeconds > 0 ? room.turnSeconds : 20)
    , m_silver(room.silver)
{
}

bool Deal::Seat(int chair, int userId, int score, int silver)
{
    if (m_running || chair < 0 || chair >= kFriendChairs || IsSeated(chair))
        return false;
    auto player = std::make_unique<TablePlayer>();
    player->userId = userId;
    player->chair = chair;
    player->score = score;
    player->silver = silver;
    if (m_rules.AddPlayer(player) < 0)
        return false;
    m_rules.SetOptionWords(chair, m_silver ? 0x4 : 0, 0);
    return true;
}

void Deal::Unseat(int chair)
{
    if (TablePlayer* p = Player(chair))
        m_rules.RemovePlayer(p->userId);
}

int Deal::Start(std::optional<uint32_t> seed, bool pinClock)
{
    if (m_running)
        return 0;
    m_rules.StartRound(nullptr, 0);
    if (m_banker >= 0 && m_banker < kFriendChairs)
        m_rules.SetPresetBanker(m_banker);
    std::optional<ClockPin> pin;
    if (seed) {
        if (pinClock)
            pin.emplace();
        // The shuffle seeds with the tick, ten times the second of the
        // minute and the first chair's seed word: the word makes up the
        // difference to the seed.
        if (TablePlayer* first = Player(0)) {
            uint32_t clockPart = platform::TickMs() + 10u * static_cast<uint32_t>(platform::LocalNow().second);
            first->seeds[0] = static_cast<int>(*seed - clockPart);
        }
    }
    int chair = -1;
    const int code = m_rules.CheckAndStart(&chair, m_params);
    pin.reset();
    if (code != kStartOk)
        return code;
    FriendTableState& state = m_rules.MutableState();
    for (int c = 0; c < kFriendChairs; ++c)
        state.chair[c][kTurnLength] = m_turnSeconds;
    m_running = true;
    m_over = false;
    return code;
}

MoveResult Deal::Play(int chair, const PlayRecord& claim)
{
    MoveResult r;
    r.chair = chair;
    if (!m_running || m_over)
        return r;
    PlayMessage message;
    message.head[PlayMessage::kChairWord] = chair;
    message.play = claim;
    if (!m_rules.ValidatePlay(message))
        return r;
    m_rules.ApplyPlay(message);
    r.accepted = true;
    r.play = message.play;
    if (m_rules.CheckChairFinished(message) == 1) {
        m_over = true;
        r.dealOver = true;
    }
    r.nextChair = message.head[PlayMessage::kWord20];
    r.finishPlace = message.head[PlayMessage::kWord24];
    return r;
}

MoveResult Deal::Pass(int chair)
{
    MoveResult r;
    r.chair = chair;
    r.passed = true;
    if (!m_running || m_over)
        return r;
    PlayMessage message;
    message.head[PlayMessage::kChairWord] = chair;
    if (m_rules.AdvanceTurn(message) == 0)
        return r;
    r.accepted = true;
    r.nextChair = message.head[PlayMessage::kWord16];
    r.tableCleared = message.head[PlayMessage::kWord20] == 1;
    return r;
}

MoveResult Deal::PlayAutomatically(int chair)
{
    if (!m_running || m_over || chair != CurrentChair()) {
        MoveResult refused;
        refused.chair = chair;
        return refused;
    }
    RobotMove move = Robot::Choose(m_rules, chair);
    if (!move.pass) {
        MoveResult r = Play(chair, move.play);
        if (r.accepted)
            return r;
    }
    MoveResult r = Pass(chair);
    if (r.accepted)
        return r;
    // A leader cannot pass: the lowest single card always reads.
    int hand[kMaxPlayCards];
    const int n = m_rules.GetHandCards(chair, hand);
    PlayRecord single;
    PlayRecord read;
    if (Robot::FindBeating(m_rules, hand, n, PlayRecord(), single, false, false)
        && Robot::ReadPlay(m_rules, chair, single.cards, single.count, read))
        return Play(chair, read);
    return r;
}

const FriendResultInfo& Deal::Finish()
{
    if (m_running && m_over) {
        m_result = FriendResultInfo();
        m_rules.FinishFriendRound(m_result, 0, 0, false, nullptr);
        m_rules.StopPlaying();
        for (int c = 0; c < kFriendChairs; ++c)
            m_rules.SetChairFlags(c, m_rules.GetChairFlags(c) & ~kChairReady);
        m_running = false;
        m_over = false;
    }
    return m_result;
}

} // namespace tools
