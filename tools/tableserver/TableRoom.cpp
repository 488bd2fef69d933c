#include "tools/tableserver/TableRoom.h"

#include "platform/Bytes.h"

#include "platform/Clock.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace tools {

using namespace table;
using namespace table_ids;

namespace {

constexpr size_t kEnterRecordSize = 108;
constexpr size_t kPlayerRecordSize = 136;
constexpr size_t kThrowHeadSize = 64;
constexpr size_t kTableMessageHead = 20;
constexpr size_t kChatRecordSize = 128;
constexpr int kRobotUserBase = 800000;

int32_t WordAt(const std::string& body, size_t offset)
{
    return platform::ByteReader(body).Int(offset);
}

std::span<uint8_t> Bytes(std::string& body)
{
    return std::span(reinterpret_cast<uint8_t*>(body.data()), body.size());
}

void PutWord(std::string& body, size_t offset, int32_t value)
{
    platform::ByteWriter(Bytes(body)).Int(offset, value);
}

// A zero-terminated text of at most size - 1 bytes, never ending in half a
// two-byte character.
void PutText(std::string& body, size_t offset, size_t size, const std::string& text)
{
    size_t n = 0;
    while (n < text.size() && n + 1 < size) {
        const bool lead = static_cast<uint8_t>(text[n]) >= 0x81 && static_cast<uint8_t>(text[n]) <= 0xFE;
        const size_t step = lead ? 2 : 1;
        if (n + step >= size || n + step > text.size())
            break;
        n += step;
    }
    std::memcpy(body.data() + offset, text.data(), n);
}

std::string TextAt(const std::string& body, size_t offset, size_t size)
{
    if (body.size() < offset + size)
        return {};
    std::string text = body.substr(offset, size);
    return text.substr(0, text.find('\0'));
}

bool Before(uint32_t a, uint32_t b)
{
    return static_cast<int32_t>(a - b) < 0;
}

} // namespace

Table::Table(const TableOptions& options)
    : m_options(options)
    , m_room(RoomRules::Load(options.rulesPath))
    , m_deal(
          [&] {
              RoomRules room = RoomRules::Load(options.rulesPath);
              if (options.turnSeconds > 0)
                  room.turnSeconds = options.turnSeconds;
              return room;
          }(),
          options.rulesPath, options.tableNumber, options.roomId)
{
}

bool Table::IsRobot(int chair) const
{
    return chair >= 0 && chair < 4 && m_seats[chair].occupied && !m_seats[chair].person && !m_seats[chair].away;
}

bool Table::SeatedPerson(const TableSession& s) const
{
    return s.entered && !s.looker && s.chair >= 0 && s.chair < 4 && m_seats[s.chair].person == &s;
}

std::vector<TableSession*> Table::Audience() const
{
    std::vector<TableSession*> out;
    for (const Seat& seat : m_seats) {
        if (seat.person)
            out.push_back(seat.person);
    }
    out.insert(out.end(), m_lookers.begin(), m_lookers.end());
    return out;
}

void Table::Broadcast(uint32_t id, const std::string& body, const TableSession* except)
{
    for (TableSession* s : Audience()) {
        if (s != except)
            s->Notify(id, body);
    }
}

// --- Records ---

std::string Table::PlayerRecord(int chair) const
{
    std::string r(kPlayerRecordSize, '\0');
    const Seat& seat = m_seats[chair];
    const TablePlayer* p = m_deal.Player(chair);
    PutWord(r, 0, seat.userId);
    PutWord(r, 12, m_options.tableNumber);
    PutWord(r, 16, chair);
    PutWord(r, 32, chair + 1); // figure
    PutText(r, 36, 32, seat.name);
    PutText(r, 68, 16, seat.name);
    if (p) {
        PutWord(r, 84, p->silver);
        PutWord(r, 88, p->level);
        PutWord(r, 92, p->score);
        PutWord(r, 112, p->rounds);
    }
    return r;
}

std::string Table::StartRecord(int chair, bool none)
{
    std::string r(FriendStartInfo::kWireSize, '\0');
    m_deal.Rules().FillStartInfo(Bytes(r), chair, none);
    PutWord(r, 64, m_deal.TurnSeconds());
    return r;
}

std::string Table::TableState(int chair, bool hideAll)
{
    std::string r(FriendTableState::kWireSize, '\0');
    m_deal.Rules().FillTableState(Bytes(r), chair, hideAll);
    PutWord(r, 64, m_deal.TurnSeconds());
    return r;
}

std::string Table::TableInfo()
{
    std::string r(static_cast<size_t>(m_deal.Rules().GetTableInfoSize()), '\0');
    m_deal.Rules().FillTableInfo(Bytes(r));
    return r;
}

// --- Seating ---

int Table::ChooseChair(int wanted) const
{
    auto free = [&](int c) {
        const Seat& seat = m_seats[c];
        if (!seat.occupied)
            return true;
        // A robot gives its chair up between deals.
        return !seat.person && !seat.away && !m_deal.Running();
    };
    if (wanted >= 0 && wanted < 4 && free(wanted))
        return wanted;
    for (int c = 0; c < 4; ++c) {
        if (free(c))
            return c;
    }
    return -1;
}

void Table::SeatRobot(int chair)
{
    Seat& seat = m_seats[chair];
    seat = Seat();
    seat.occupied = true;
    seat.userId = kRobotUserBase + (++m_robotsMade);
    seat.name = "机器人" + std::to_string(chair + 1);
    m_deal.Seat(chair, seat.userId, m_room.startScore, m_room.startSilver);
    seat.ready = true;
    m_deal.Rules().SetChairReady(chair);
}

void Table::FillWithRobots(const TableSession* except)
{
    for (int c = 0; c < 4; ++c) {
        if (m_seats[c].occupied)
            continue;
        SeatRobot(c);
        Broadcast(kPlayerEntered, PlayerRecord(c), except);
        Broadcast(kStart, StartedRecord(c), except);
    }
}

void Table::Vacate(int chair)
{
    Seat& seat = m_seats[chair];
    if (!seat.occupied)
        return;
    std::string left(36, '\0');
    PutWord(left, 0, seat.userId);
    PutWord(left, 4, chair);
    PutWord(left, 28, m_options.tableNumber);
    m_deal.Unseat(chair);
    m_deal.Rules().SetChairFlags(chair, 0);
    seat = Seat();
    Broadcast(kPlayerLeft, left);
}

void Table::MarkReady(int chair)
{
    m_seats[chair].ready = true;
    m_deal.Rules().SetChairReady(chair);
    Broadcast(kStart, StartedRecord(chair));
}

std::string Table::StartedRecord(int chair) const
{
    std::string started(32, '\0');
    PutWord(started, 0, m_seats[chair].userId);
    PutWord(started, 4, m_options.roomId);
    PutWord(started, 8, m_options.tableNumber);
    PutWord(started, 12, chair);
    return started;
}

// --- Requests ---

void Table::Handle(TableSession& s, const LinkMessage& m)
{
    const uint32_t id = m.message.Id();
    auto reply = [&](uint32_t code, std::string body = {}) {
        if (m.expectsReply)
            s.Reply(m.wireMessageId, code, std::move(body));
    };
    switch (id) {
    case kVersion: {
        std::string body(28, '\0');
        PutWord(body, 0, static_cast<int32_t>(m_options.versionMajor));
        PutWord(body, 4, static_cast<int32_t>(m_options.versionMinor));
        reply(0, body);
        return;
    }
    case kEnter:
        return OnEnter(s, m);
    case kStart:
    case kStartChecked:
        return OnStart(s, m);
    case kThrow:
        return OnThrow(s, m);
    case kPass:
        return OnPass(s, m);
    case kTableMessage:
        return OnTableMessage(s, m);
    case kChat:
    case kOwnChat:
        return OnChat(s, m);
    case kViewCards:
        return OnViewCards(s);
    case kViewCardsAnswer:
        return OnViewCardsAnswer(s, m);
    case kCanQuit:
        // No game keeps the player: the first word is the room word it
        // takes over.
        return reply(0, std::string(4, '\0'));
    case kLeaveSeat:
        reply(0);
        return Leave(s);
    case kLeave:
        return Leave(s);
    case kSnapshot:
        if (!s.entered)
            return reply(kReplyFailed);
        return reply(kReplyOk, TableState(s.chair, s.looker));
    case kPulse:
        return;
    default:
        return reply(kReplyUnsupported);
    }
}

void Table::OnEnter(TableSession& s, const LinkMessage& m)
{
    const std::string& b = m.message.body;
    auto reply = [&](uint32_t code, std::string body = {}) { s.Reply(m.wireMessageId, code, std::move(body)); };
    if (s.entered)
        return reply(kReplyExists);
    if (b.size() < kEnterRecordSize)
        return reply(kReplyBadArgument);
    const int userId = WordAt(b, 0);
    const int wanted = WordAt(b, 20);
    const bool looker = WordAt(b, 56) != 0;
    if (userId <= 0)
        return reply(kReplyAuthFailed);
    for (const Seat& seat : m_seats) {
        if (seat.occupied && seat.userId == userId)
            return reply(kReplyExists);
    }
    std::string name = TextAt(b, kEnterRecordSize + 36, 32);
    if (name.empty())
        name = "玩家" + std::to_string(userId);
    s.userId = userId;
    s.name = name;
    if (looker) {
        s.looker = true;
        s.entered = true;
        s.chair = wanted >= 0 && wanted < 4 ? wanted : 0;
        m_lookers.push_back(&s);
        FillWithRobots(&s);
        reply(kReplyLooking, TableState(s.chair, true));
        for (int c = 0; c < 4; ++c) {
            if (m_seats[c].occupied)
                s.Notify(kPlayerEntered, PlayerRecord(c));
        }
        if (m_options.autoStart)
            TryStartDeal();
        return;
    }
    const int chair = ChooseChair(wanted);
    if (chair < 0)
        return reply(kReplyEnterFailed);
    if (m_seats[chair].occupied)
        Vacate(chair);
    Seat& seat = m_seats[chair];
    seat.occupied = true;
    seat.person = &s;
    seat.userId = userId;
    seat.name = name;
    m_deal.Seat(chair, userId, m_room.startScore, m_room.startSilver);
    s.entered = true;
    s.chair = chair;
    FillWithRobots(&s);
    reply(kReplySeated, TableInfo());
    for (int c = 0; c < 4; ++c) {
        if (c != chair && m_seats[c].occupied)
            s.Notify(kPlayerEntered, PlayerRecord(c));
    }
    Broadcast(kPlayerEntered, PlayerRecord(chair), &s);
    if (m_options.autoStart)
        TryStartDeal();
}

void Table::OnStart(TableSession& s, const LinkMessage& m)
{
    if (!SeatedPerson(s)) {
        if (m.expectsReply)
            s.Reply(m.wireMessageId, kReplyFailed, {});
        return;
    }
    if (m.expectsReply)
        s.Reply(m.wireMessageId, kReplyOk, {});
    if (m_deal.Running() || m_seats[s.chair].ready)
        return;
    MarkReady(s.chair);
    TryStartDeal();
}

void Table::OnThrow(TableSession& s, const LinkMessage& m)
{
    const std::string& b = m.message.body;
    auto refuse = [&] { Refuse(s, m); };
    // The card count is the sender's word: it must fit the record and the
    // bytes that came.
    const int n = WordAt(b, 60);
    if (!SeatedPerson(s) || b.size() < kThrowHeadSize || n < 1 || n > kMaxPlayCards
        || b.size() < kThrowHeadSize + 4 * static_cast<size_t>(n) || WordAt(b, 12) != s.chair)
        return refuse();
    PlayRecord claim(WordAt(b, 48), WordAt(b, 52), WordAt(b, 56), n);
    for (int i = 0; i < n; ++i)
        claim.cards[i] = WordAt(b, kThrowHeadSize + 4 * static_cast<size_t>(i));
    const MoveResult r = m_deal.Play(s.chair, claim);
    if (!r.accepted)
        return refuse();
    s.Reply(m.wireMessageId, kReplyOk, {});
    AfterMove(r);
}

void Table::OnPass(TableSession& s, const LinkMessage& m)
{
    const std::string& b = m.message.body;
    if (!SeatedPerson(s) || b.size() < 12 || WordAt(b, 8) != s.chair)
        return Refuse(s, m);
    const MoveResult r = m_deal.Pass(s.chair);
    if (!r.accepted)
        return Refuse(s, m);
    s.Reply(m.wireMessageId, kReplyOk, {});
    AfterMove(r);
}

void Table::Refuse(TableSession& s, const LinkMessage& m)
{
    s.Reply(m.wireMessageId, kReplyFailed, {});
    // The client hid its play buttons when it sent the move: holding the
    // turn still, it is told so and shows them again.
    if (SeatedPerson(s) && m_deal.Running() && !m_deal.Over() && m_deal.CurrentChair() == s.chair)
        s.Notify(kTurnSync, {});
}

void Table::OnTableMessage(TableSession& s, const LinkMessage& m)
{
    const std::string& b = m.message.body;
    const int32_t length = WordAt(b, 16);
    if (!s.entered || b.size() < kTableMessageHead || length < 0
        || static_cast<size_t>(length) > b.size() - kTableMessageHead) {
        if (m.expectsReply)
            s.Reply(m.wireMessageId, kReplyFailed, {});
        return;
    }
    const std::string relayed = b.substr(0, kTableMessageHead + static_cast<size_t>(length));
    const int kind = WordAt(b, 8);
    // A waiting sender gets the message as its reply instead of the relay.
    Broadcast(kRelayedMessage, relayed, m.expectsReply ? &s : nullptr);
    if (m.expectsReply)
        s.Reply(m.wireMessageId, kReplyOk, relayed);
    if (!SeatedPerson(s))
        return;
    if (kind == kTableMessageAutoOn || kind == kTableMessageAutoOff) {
        FriendCardRules& rules = m_deal.Rules();
        const int flags = rules.GetChairFlags(s.chair);
        rules.SetChairFlags(s.chair, kind == kTableMessageAutoOn ? flags | 0x10 : flags & ~0x10);
        return;
    }
    // The client's clock stands at zero: the server moves for it once the
    // turn clock ran out here too.
    if (kind == kTableMessageTimeout && m_deal.Running() && !m_deal.Over() && m_deal.CurrentChair() == s.chair
        && !Before(platform::TickMs(), m_turnStart + static_cast<uint32_t>(m_deal.TurnSeconds()) * 1000u)) {
        const MoveResult r = m_deal.PlayAutomatically(s.chair);
        if (r.accepted)
            AfterMove(r);
    }
}

void Table::OnChat(TableSession& s, const LinkMessage& m)
{
    if (!s.entered)
        return;
    std::string line = m.message.body.substr(0, kChatRecordSize);
    line.resize(kChatRecordSize, '\0');
    line[kChatRecordSize - 1] = '\0';
    Broadcast(kChat, line, &s);
}

// A looker-on asks the player of the chair it watches to see the cards; a
// robot (or a chair played for) always agrees.
void Table::OnViewCards(TableSession& s)
{
    if (!s.entered || !s.looker || !m_deal.Running())
        return;
    const Seat& seat = m_seats[s.chair];
    if (!seat.person) {
        AnswerViewCards(s, s.chair, true);
        return;
    }
    std::string ask(32, '\0');
    PutWord(ask, 0, s.userId);
    PutWord(ask, 4, m_options.roomId);
    PutWord(ask, 8, m_options.tableNumber);
    PutWord(ask, 12, s.chair);
    seat.person->Notify(kViewCards, ask);
}

void Table::OnViewCardsAnswer(TableSession& s, const LinkMessage& m)
{
    const std::string& b = m.message.body;
    if (!SeatedPerson(s) || b.size() < 24)
        return;
    const int requester = WordAt(b, 16);
    for (TableSession* looker : m_lookers) {
        if (looker->userId == requester && looker->chair == s.chair)
            AnswerViewCards(*looker, s.chair, WordAt(b, 20) != 0);
    }
}

void Table::AnswerViewCards(TableSession& looker, int chair, bool allow)
{
    std::string answer(40, '\0');
    PutWord(answer, 0, m_seats[chair].userId);
    PutWord(answer, 4, m_options.roomId);
    PutWord(answer, 8, m_options.tableNumber);
    PutWord(answer, 12, chair);
    PutWord(answer, 16, looker.userId);
    PutWord(answer, 20, allow ? 1 : 0);
    looker.Notify(kViewCardsAnswered, answer);
    if (!allow || !m_deal.Running())
        return;
    int hand[kMaxPlayCards];
    const int n = m_deal.Rules().GetHandCards(chair, hand);
    std::string cards(12 + 4 * static_cast<size_t>(n), '\0');
    PutWord(cards, 4, chair);
    PutWord(cards, 8, n);
    for (int i = 0; i < n; ++i)
        PutWord(cards, 12 + 4 * static_cast<size_t>(i), hand[i]);
    looker.Notify(kShowCards, cards);
}

void Table::Leave(TableSession& s)
{
    m_lookers.erase(std::remove(m_lookers.begin(), m_lookers.end(), &s), m_lookers.end());
    if (SeatedPerson(s)) {
        Seat& seat = m_seats[s.chair];
        if (m_deal.Running()) {
            // The deal goes on: the chair's moves are made for it, and the
            // table state shows it offline.
            seat.person = nullptr;
            seat.away = true;
            FriendCardRules& rules = m_deal.Rules();
            rules.SetChairFlags(s.chair, rules.GetChairFlags(s.chair) | kChairAway2);
            std::string offline(4, '\0');
            PutWord(offline, 0, seat.userId);
            Broadcast(kPlayerOffline, offline);
        } else {
            Vacate(s.chair);
            FillWithRobots(nullptr);
        }
    }
    s.entered = false;
    s.looker = false;
    s.chair = -1;
}

// --- Deals ---

void Table::TryStartDeal()
{
    if (m_deal.Running() || Finished())
        return;
    bool anyPerson = false;
    for (const Seat& seat : m_seats) {
        if (!seat.occupied)
            return;
        if (seat.person) {
            anyPerson = true;
            if (!seat.ready && !m_options.autoStart)
                return;
        }
    }
    // Robots alone play only to be watched, and only when asked to.
    if (!anyPerson && !(m_options.autoStart && !m_lookers.empty()))
        return;
    std::optional<uint32_t> seed;
    if (m_options.seed)
        seed = *m_options.seed + static_cast<uint32_t>(m_dealsStarted);
    if (m_dealsStarted == 0) {
        if (m_options.bankerChair >= 0)
            m_deal.SetBanker(m_options.bankerChair);
        if (m_options.friendChair >= 0 && seed)
            seed = SeedWithFriendAt(*seed);
    } else {
        m_deal.SetBanker(-1);
    }
    const int code = m_deal.Start(seed, m_options.pinClockForDeal);
    if (code != kStartOk) {
        std::fprintf(stderr, "table-server: the deal cannot start (code %d)\n", code);
        return;
    }
    ++m_dealsStarted;
    m_movesInDeal = 0;
    for (int c = 0; c < 4; ++c) {
        m_seats[c].ready = false;
        m_deal.Rules().SetChairFlags(c, m_deal.Rules().GetChairFlags(c) & ~kChairReady);
    }
    const uint32_t now = platform::TickMs();
    m_showUntil = now + static_cast<uint32_t>(std::max(0, m_options.dealShowMs));
    BeginTurn(m_showUntil);
    for (int c = 0; c < 4; ++c) {
        if (m_seats[c].person)
            m_seats[c].person->Notify(kRoundStart, StartRecord(c, false));
    }
    for (TableSession* looker : m_lookers)
        looker->Notify(kRoundStart, StartRecord(looker->chair, true));
}

void Table::BeginTurn(uint32_t at)
{
    m_turnStart = Before(at, m_showUntil) ? m_showUntil : at;
}

uint32_t Table::MoveDue() const
{
    const int chair = m_deal.CurrentChair();
    const Seat& seat = m_seats[std::clamp(chair, 0, 3)];
    if (!seat.person)
        return m_turnStart + static_cast<uint32_t>(std::max(0, m_options.robotDelayMs));
    return m_turnStart + static_cast<uint32_t>(m_deal.TurnSeconds()) * 1000u
        + static_cast<uint32_t>(std::max(0, m_options.graceMs));
}

int Table::MsUntilDue() const
{
    if (!m_deal.Running() || m_deal.Over())
        return -1;
    const uint32_t now = platform::TickMs();
    const uint32_t due = MoveDue();
    return Before(now, due) ? static_cast<int>(due - now) : 0;
}

void Table::OnTimer()
{
    if (!m_deal.Running() || m_deal.Over() || Before(platform::TickMs(), MoveDue()))
        return;
    const MoveResult r = m_deal.PlayAutomatically(m_deal.CurrentChair());
    if (r.accepted)
        AfterMove(r);
}

void Table::AfterMove(const MoveResult& r)
{
    const int seconds = m_deal.TurnSeconds();
    const int userId = m_seats[r.chair].userId;
    if (r.passed) {
        std::string passed(48, '\0');
        PutWord(passed, 0, userId);
        PutWord(passed, 4, m_options.roomId);
        PutWord(passed, 8, r.chair);
        PutWord(passed, 12, m_options.tableNumber);
        PutWord(passed, 16, r.nextChair);
        PutWord(passed, 20, r.tableCleared ? 1 : 0);
        PutWord(passed, 32, seconds);
        Broadcast(kPassed, passed);
    } else {
        PlayMessage message;
        message.head[0] = userId;
        message.head[1] = m_options.roomId;
        message.head[2] = m_options.tableNumber;
        message.head[PlayMessage::kChairWord] = r.chair;
        message.head[PlayMessage::kWord20] = r.nextChair;
        message.head[PlayMessage::kWord24] = r.finishPlace;
        message.head[7] = seconds;
        message.play = r.play;
        std::string thrown(PlayMessage::kWireSize, '\0');
        message.Write(Bytes(thrown));
        Broadcast(kThrown, thrown);
    }
    ++m_movesInDeal;
    if (m_moveWatcher)
        m_moveWatcher(r);
    if (!r.dealOver)
        MaybeTurnHostile(r.nextChair);
    if (r.dealOver)
        FinishDeal();
    else
        BeginTurn(platform::TickMs());
}

void Table::FinishDeal()
{
    const FriendResultInfo& result = m_deal.Finish();
    std::string body(FriendResultInfo::kWireSize, '\0');
    result.Write(Bytes(body));
    Broadcast(kRoundResult, body);
    if (m_settleWatcher)
        m_settleWatcher(result);
    ++m_dealsFinished;
    // Those who left during the deal make room for robots; the robots are
    // ready for the next one at once.
    for (int c = 0; c < 4; ++c) {
        if (m_seats[c].away)
            Vacate(c);
    }
    FillWithRobots(nullptr);
    for (int c = 0; c < 4; ++c) {
        if (IsRobot(c))
            MarkReady(c);
    }
    if (m_options.autoStart)
        TryStartDeal();
}

uint32_t Table::SeedWithFriendAt(uint32_t from) const
{
    constexpr uint32_t kTries = 500;
    for (uint32_t k = 0; k < kTries; ++k) {
        Deal scratch(m_room, m_options.rulesPath, m_options.tableNumber, m_options.roomId);
        for (int c = 0; c < 4; ++c) {
            scratch.Seat(c, m_seats[c].userId, m_room.startScore, m_room.startSilver);
            scratch.Rules().SetChairReady(c);
        }
        scratch.SetBanker(m_options.bankerChair);
        if (scratch.Start(from + k, m_options.pinClockForDeal) == kStartOk
            && scratch.Rules().GetFriendChair() == m_options.friendChair)
            return from + k;
    }
    std::fprintf(stderr, "table-server: no deal from seed %u on seats the friend at chair %d\n", from,
        m_options.friendChair);
    return from;
}

void Table::MaybeTurnHostile(int nextChair)
{
    if (m_options.hostile == Hostility::kNone || m_turnedHostile || m_dealsStarted != 1
        || m_movesInDeal < m_options.hostileAfterMoves || nextChair < 0 || nextChair >= 4)
        return;
    TableSession* person = m_seats[nextChair].person;
    if (!person)
        return;
    m_turnedHostile = true;
    person->TurnHostile(m_options.hostile, m_options.stallMs);
    if (m_hostileWatcher)
        m_hostileWatcher(nextChair, m_options.hostile);
}

} // namespace tools
