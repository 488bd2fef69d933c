// A deal recorded by the game's own table view, played back: a recording
// room's client hands every notification through the game's handler to the
// view's recorder, which saves the replay under the lobby's directory at the
// round's result; a fresh client in replay mode opens that file from its
// command line the way the program does and must show, record after record,
// the table the player saw live: stepping forward, playing at the recorded
// pace (no pause longer than the view's five seconds), seeking into the
// middle and stepping back.

#include "game/FriendTableView.h"

#include "engine/controls/widgets/ImageNumber.h"
#include "engine/core/EngineFiles.h"
#include "engine/objects/RectObject.h"
#include "engine/objects/SpriteObject.h"
#include "frame/core/FrameRecords.h"
#include "frame/ui/ReplayFile.h"
#include "frame/ui/ReplayPanel.h"
#include "cards/CardGameApp.h"
#include "game/FriendCardSprite.h"
#include "game/FriendGameData.h"
#include "game/FriendNotifyHandler.h"
#include "game/FriendPlayerBoard.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/IniFile.h"
#include "platform/MessageBox.h"
#include "table/FriendCardRules.h"
#include "table/FriendRecords.h"
#include "tests/support/ScopedEnv.h"
#include "tests/game/FriendBodies.h"
#include "tests/game/ViewHostTest.h"
#include "tests/table/CardNotation.h"
#include "tools/testhost/TestHost.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace {

using friendtest::Pass;
using friendtest::Play;

namespace fs = std::filesystem;
using table::testing::Cards;
using TS = table::FriendTableState;

constexpr int kOwn = 1;
constexpr int kUserId = 7001;
constexpr int kChairs = 4;

// What the player sees of the table: the game data's table state as the
// view keeps it, and the cards and boards the view shows. The other chairs'
// hands lie face down live as in the replay (the recording player's view
// is what is recorded): their cards are counted, and their ids compared
// once played or shown by the result.
struct TableSeen {
    bool playing = false;
    int round = 0;
    int banker = 0;
    int turn = 0;
    int lastPlayChair = 0;
    std::vector<int> lastPlay; // type, then the ids
    int friendRevealed = 0;
    std::array<std::vector<int>, kChairs> bombs;  // the front of each chair's list
    std::array<std::vector<int>, kChairs> jokers; // its back
    int viewLastChair = 0;
    std::array<int, kChairs> inHand {};
    std::array<std::vector<int>, kChairs> played; // the ids lying played, in id order
    std::vector<int> ownHand;                    // the own hand's ids in the order shown
    std::array<int, kChairs> remaining {};        // a board's card number, -1 while hidden
    std::array<int, kChairs> teamMark {};
    std::array<bool, kChairs> finished {};

    bool operator==(const TableSeen&) const = default;
};

void PrintList(std::ostream& out, const char* name, const std::vector<int>& ids)
{
    out << " " << name << "[";
    for (size_t i = 0; i < ids.size(); ++i)
        out << (i ? "," : "") << ids[i];
    out << "]";
}

void PrintTo(const TableSeen& s, std::ostream* out)
{
    *out << "playing " << s.playing << " round " << s.round << " banker " << s.banker << " turn " << s.turn
         << " last " << s.lastPlayChair << "/" << s.viewLastChair << " friend " << s.friendRevealed;
    PrintList(*out, "play", s.lastPlay);
    PrintList(*out, "own", s.ownHand);
    for (int c = 0; c < kChairs; ++c) {
        *out << "\n  chair " << c << ": hand " << s.inHand[c] << " shown " << s.remaining[c] << " team "
             << s.teamMark[c] << " finished " << s.finished[c];
        PrintList(*out, "played", s.played[c]);
        PrintList(*out, "bombs", s.bombs[c]);
        PrintList(*out, "jokers", s.jokers[c]);
    }
}

// The game's handler with what the player sees noted after every
// notification, live or replayed.
class NotingHandler : public game::FriendNotifyHandler {
public:
    using FriendNotifyHandler::FriendNotifyHandler;
    void Dispatch(uint32_t id, const uint8_t* body, size_t length) override
    {
        FriendNotifyHandler::Dispatch(id, body, length);
        if (onDispatch)
            onDispatch(id);
    }
    std::function<void(uint32_t)> onDispatch;
};

class TestApp : public game::CardGameApp {
public:
    TestApp()
        : CardGameApp("KbZn", 21534, 1, 1)
    {
    }
    int GetChairCount() const override { return kChairs; }
    GameState* GetGameState() override { return &data; }
    engine::EngineObject* GetTableView() const override { return view; }
    std::span<uint8_t> GetEnterDataBuffer() override { return data.TableInfoBuffer(); }
    std::span<uint8_t> GetLookOnDataBuffer() override { return data.TableStateBuffer(); }
    GameNotifyHandler* GetNotifyHandler() override { return &handler; }
    // A room that records every table's replays.
    bool IsRoomOptionC20000() const override { return recording; }

    game::FriendGameData data;
    NotingHandler handler { *this };
    engine::EngineObject* view = nullptr;
    bool recording = false;
};

// The view without a server to talk to.
class QuietView : public game::FriendTableView {
public:
    uint32_t SendTableMessage(int, const uint8_t*, uint32_t) override { return 10; }
};




// The own hand: every two to ace of the first deck's first two suits and
// its small joker.
std::vector<int> OwnHand()
{
    std::vector<int> ids;
    for (int id = 0; id < 26; ++id)
        ids.push_back(id);
    ids.push_back(52);
    return ids;
}

// 211040: the second round, chair 0 the banker and on turn.
std::vector<uint8_t> RoundStart()
{
    table::FriendStartInfo start;
    start.roundCount = 2;
    start.baseScore = 10;
    start.banker = 0;
    start.currentChair = 0;
    start.status = 0x101;
    start.calledCard = table::testing::ParseCard("Kc");
    const std::vector<int> own = OwnHand();
    std::copy(own.begin(), own.end(), start.cards);
    std::vector<uint8_t> body(table::FriendStartInfo::kWireSize);
    start.Write(body);
    return body;
}

// 211080: chair 0 (with chair 2 as the friend) first; every hand's rest.
std::vector<uint8_t> RoundResult(const std::array<std::vector<int>, kChairs>& left)
{
    table::FriendResultInfo result;
    result.teamResult = 1;
    result.friendChair = 2;
    for (int c = 0; c < kChairs; ++c) {
        result.place[c] = c + 1;
        std::fill(std::begin(result.cardsLeft[c]), std::end(result.cardsLeft[c]), -1);
        std::copy(left[c].begin(), left[c].end(), result.cardsLeft[c]);
        result.leftCount[c] = static_cast<int>(left[c].size());
    }
    std::vector<uint8_t> body(table::FriendResultInfo::kWireSize);
    result.Write(body);
    return body;
}

struct Note {
    uint32_t id;
    uint32_t tick;
    TableSeen seen;
};

class FriendReplay : public friendtest::ViewHostTest {
protected:
    void SetUp() override
    {
        tools::TestHost::PreferHeadlessDrivers();
        m_dir = fs::temp_directory_path()
            / ("kbzn_friendreplay_" + std::to_string(getpid()) + "_"
                + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        for (const char* sub : { "bin", "system", "hall" })
            fs::create_directories(m_dir / sub);
        // The lobby's directory comes from the system directory's runo.ini.
        platform::IniFile((m_dir / "system" / "runo.ini").string())
            .WriteString("SYSTEM", "ExePath", (m_dir / "hall").string() + "/DozeDova");
        m_env.emplace_back("KBZN_SYSTEM_DIR", (m_dir / "system").string());
        platform::SetExecutableDir((m_dir / "bin").string() + "/");
        platform::SetMessageBoxAnswer(platform::kIdOk);
        platform::SetFixedLocalTime(platform::LocalTime { 2025, 3, 4, 5, 6, 7, 0 });
        if (!StartHost("friendreplay"))
            GTEST_SKIP() << "no video driver";
        CardPictures();
        Picture("PlayerBoardSmall", 120, 40);
        Picture("btnThrow", 60, 30, 4);
        Picture("btnPass", 60, 30, 4);
        Picture("btnRemaind", 61, 30, 4);
        Picture("digiti_Clock", 20, 30, 10);
        Picture("digiti_Clock_Big", 30, 44, 10);
        Picture(frame::kReplayBoardPicture, 190, 30);
        for (const char* name : { frame::kReplayPlayPicture, frame::kReplayPausePicture, frame::kReplayStopPicture,
                 frame::kReplayPreviousPicture, frame::kReplayNextPicture, frame::kReplayOpenPicture })
            Picture(name, 12, 12, 4);
        Picture(frame::kReplayProgressPicture, 20, 6, 2);
        Picture(frame::kReplayThumbPicture, 6, 10);
    }
    void TearDown() override
    {
        if (m_view)
            host.GetRootObject()->RemoveObject(m_view, 0);
        m_view = nullptr;
        m_app.reset();
        ViewHostTest::TearDown();
        platform::SetFixedLocalTime(std::nullopt);
        platform::TakeMessageBoxLog();
        platform::SetMessageBoxAnswer(std::nullopt);
        platform::SetExecutableDir("");
        m_env.clear();
        fs::remove_all(m_dir);
    }
    std::string Hall() const { return (m_dir / "hall").string() + "/"; }

    // A client of the table at chair 1 with its table view; the one before
    // it (and its view) is gone first, as only one runs at a time.
    TestApp& NewClient(bool recording)
    {
        if (m_view)
            host.GetRootObject()->RemoveObject(m_view, 0);
        m_view = nullptr;
        m_app.reset();
        m_app = std::make_unique<TestApp>();
        m_app->recording = recording;
        m_app->GetHallArgs().userId = kUserId;
        m_app->GetHallArgs().title = "觅友";
        m_app->SetOwnChair(kOwn);
        for (int chair = 0; chair < kChairs; ++chair) {
            frame::PlayerRecord* p = m_app->GetSeatPlayer(chair);
            p->SetUserId(kUserId - kOwn + chair);
            p->SetChair(chair);
            p->SetName("玩家" + std::to_string(chair));
        }
        m_app->handler.onDispatch = [this](uint32_t id) { notes.push_back({ id, Tick(), Seen() }); };
        return *m_app;
    }
    // The view, made once the client knows whether it records or replays.
    QuietView& NewView()
    {
        auto made = std::make_unique<QuietView>();
        made->SetName("MainGame");
        m_view = static_cast<QuietView*>(host.GetRootObject()->RegisterObject(std::move(made)));
        m_app->view = m_view;
        m_view->SetRect({ 0, 0, 1280, 860 });
        return *m_view;
    }

    TableSeen Seen() const
    {
        TableSeen s;
        const game::FriendGameData& data = m_app->data;
        const TS state = data.GetTableState();
        s.playing = data.IsPlaying();
        s.round = data.GetTableWord32();
        s.banker = data.GetTableWord52();
        s.turn = data.GetTableWord56();
        s.lastPlayChair = state.lastPlayChair;
        if (state.lastPlayChair >= 0) {
            s.lastPlay.push_back(state.lastPlay.type);
            s.lastPlay.insert(s.lastPlay.end(), state.lastPlay.cards,
                state.lastPlay.cards + std::clamp(state.lastPlay.count, 0, table::kMaxPlayCards));
        }
        s.friendRevealed = state.friendRevealed;
        s.viewLastChair = m_view->GetLastPlayChair();
        std::vector<std::pair<int, int>> own; // order shown, id
        for (int i = 0; i < game::kGameCards; ++i) {
            const game::FriendCardSprite* card = m_view->GetGameCard(i);
            if (!card || card->ownerChair < 0 || card->ownerChair >= kChairs)
                continue;
            const auto chair = static_cast<size_t>(card->ownerChair);
            if (card->state == game::kCardInHand) {
                ++s.inHand[chair];
                if (card->ownerChair == kOwn)
                    own.emplace_back(card->order, card->cardId);
            } else if (card->state == game::kCardPlayed) {
                s.played[chair].push_back(card->cardId);
            }
        }
        std::sort(own.begin(), own.end());
        for (const auto& [order, id] : own)
            s.ownHand.push_back(id);
        for (int c = 0; c < kChairs; ++c) {
            const auto chair = static_cast<size_t>(c);
            std::sort(s.played[chair].begin(), s.played[chair].end());
            for (int i = 0; i < std::clamp(state.bombListed[c], 0, table::kChairListSize); ++i)
                s.bombs[chair].push_back(state.lists[c][i]);
            for (int i = 0; i < std::clamp(state.jokerListed[c], 0, table::kChairListSize); ++i)
                s.jokers[chair].push_back(state.lists[c][table::kChairListSize - 1 - i]);
            if (const game::FriendPlayerBoard* board = m_view->GetGameChairBoard(c)) {
                const engine::ImageNumber* number = board->GetRemainNumber();
                s.remaining[chair] = number && number->IsShown() ? number->GetValue() : -1;
                s.teamMark[chair] = board->GetTeamMark();
                s.finished[chair] = board->GetFinishRank() && board->GetFinishRank()->IsShown();
            }
        }
        return s;
    }

    frame::ReplayPanel* Panel() const { return dynamic_cast<frame::ReplayPanel*>(m_view->GetReplayRecorder()); }
    void Press(int code)
    {
        frame::ReplayPanel* panel = Panel();
        panel->OnEvent(engine::EngineEvent(panel->GetId(), code, 0, 0));
    }

    std::vector<Note> notes;
    std::unique_ptr<TestApp> m_app;
    QuietView* m_view = nullptr;

private:
    fs::path m_dir;
    std::deque<testsupport::ScopedEnv> m_env;
};

TEST_F(FriendReplay, ARecordedDealPlaysBackToTheTableSeenLive)
{
    // ---- live, recording --------------------------------------------------------
    NewClient(true);
    NewView();
    ASSERT_NE(Panel(), nullptr) << "a recording room's view makes its recorder";
    EXPECT_EQ(Panel()->GetMaxGap(), frame::kReplayRecorderMaxGapMs);
    struct Scripted {
        uint32_t wait; // engine time before it arrives
        uint32_t id;
        std::vector<uint8_t> body;
    };
    using table::CT_BOMB;
    using table::CT_PAIR;
    using table::CT_SINGLE;
    // Play goes from a chair to the one before it: 0, 3, 2, 1.
    const Scripted script[] = {
        { 0, 211040, RoundStart() },
        // The deal (108 turns of the engine's 30 ms), a second, the deal's
        // end, a second, the banker's turn.
        { 6000, 221170, Play(0, 3, CT_PAIR, Cards("9c 9d")) },
        { 1200, 221170, Play(3, 2, CT_BOMB, Cards("Tc Td Tc2 Td2")) },
        { 800, 223100, Pass(2, 1, false) },
        { 2500, 223100, Pass(kOwn, 0, false) },
        // A wait longer than the five seconds playback allows.
        { 7000, 223100, Pass(0, 3, true) },
        { 700, 221170, Play(3, 2, CT_PAIR, Cards("5c 5d")) },
        { 900, 223100, Pass(2, 1, false) },
        { 1500, 221170, Play(kOwn, 0, CT_PAIR, Cards("Aa Ab")) },
        { 600, 223100, Pass(0, 3, false) },
        { 600, 223100, Pass(3, 2, false) },
        { 600, 223100, Pass(2, 1, true) },
        { 1100, 221170, Play(kOwn, 0, CT_SINGLE, Cards("SJ")) },
        { 900, 221170, Play(0, 3, CT_SINGLE, Cards("BJ2")) },
        { 2000, 211080, RoundResult({ Cards("3c 3d"), Cards("2a 4a"), Cards("8c"), Cards("6c 6d 7c") }) },
    };
    for (const Scripted& s : script) {
        Run(s.wait);
        m_app->handler.Dispatch(s.id, s.body.data(), s.body.size());
    }
    Run(3000);
    const std::vector<Note> live = std::move(notes);
    notes.clear();
    ASSERT_EQ(live.size(), std::size(script));

    // The live table went as scripted (else the comparison proves little).
    const TableSeen& bomb = live[2].seen;
    EXPECT_EQ(bomb.bombs[3], Cards("Tc Td Tc2 Td2"));
    EXPECT_EQ(bomb.lastPlayChair, 3);
    EXPECT_EQ(live[5].seen.lastPlayChair, -1) << "the trick ended";
    EXPECT_EQ(live[1].seen.inHand, (std::array<int, kChairs> { 25, 27, 27, 27 })) << "the whole deal";
    EXPECT_EQ(live[8].seen.ownHand.size(), 25u);
    EXPECT_EQ(live[8].seen.inHand[3], 21);
    EXPECT_EQ(live[12].seen.jokers[kOwn], Cards("SJ"));
    EXPECT_EQ(live[13].seen.jokers[0], Cards("BJ2"));
    EXPECT_FALSE(live.back().seen.playing);

    const std::string saved
        = frame::ReplayFilePath(frame::ReplayDirectory(Hall(), kUserId, "觅友"),
            frame::ReplayFileStem("觅友", platform::LocalTime { 2025, 3, 4, 5, 6, 7, 0 }));
    ASSERT_TRUE(engine::FileExists(saved)) << "the round's result saves the replay";

    // ---- playback: the program started with the file -----------------------
    TestApp& player = NewClient(false);
    player.SetCommandLine("\"" + saved + "\"");
    player.ParseCommandLine();
    ASSERT_TRUE(player.IsReplayMode());
    NewView().OnRefresh();
    frame::ReplayPanel* panel = Panel();
    ASSERT_NE(panel, nullptr);
    ASSERT_EQ(panel->File().RecordCount(), live.size());
    EXPECT_EQ(player.GetChair(), kOwn) << "seen from the recording player's seat";

    // Record by record: the first played on opening, then the next button.
    auto expectAt = [&](size_t record, const char* how) {
        SCOPED_TRACE(std::string(how) + " record " + std::to_string(record));
        ASSERT_FALSE(notes.empty());
        EXPECT_EQ(panel->GetPlayedCount(), static_cast<int>(record) + 1);
        EXPECT_EQ(notes.back().id, live[record].id);
        EXPECT_EQ(notes.back().seen, live[record].seen);
    };
    expectAt(0, "opened");
    for (size_t i = 1; i < live.size(); ++i) {
        // Time to deal between the records, as it passed live.
        Run(live[i].tick - live[i - 1].tick);
        Press(frame::EVT_REPLAY_NEXT);
        expectAt(i, "next");
    }

    // From the start, played at the recorded pace.
    notes.clear();
    Press(frame::EVT_REPLAY_STOP);
    expectAt(0, "stopped");
    Run(live[1].tick - live[0].tick);
    Press(frame::EVT_REPLAY_PLAY);
    for (uint32_t waited = 0; panel->GetPlayedCount() < static_cast<int>(live.size()) && waited < 60000; waited += 30)
        Run(30);
    ASSERT_EQ(notes.size(), live.size());
    for (size_t i = 1; i < live.size(); ++i) {
        SCOPED_TRACE("played record " + std::to_string(i));
        EXPECT_EQ(notes[i].seen, live[i].seen);
        if (i < 2)
            continue; // the first one after the start plays at once
        const uint32_t recorded = std::min(live[i].tick - live[i - 1].tick, frame::kReplayRecorderMaxGapMs);
        const uint32_t played = notes[i].tick - notes[i - 1].tick;
        EXPECT_GE(played, recorded);
        EXPECT_LE(played, recorded + 60);
    }

    // Into the middle, then one back.
    const size_t middle = 9;
    notes.clear();
    panel->SeekToTime(live[middle].tick - live[0].tick + 1);
    expectAt(middle, "sought");
    Run(3000);
    EXPECT_EQ(Seen(), live[middle].seen) << "the deal the seek went past stays finished";
    // An ordinary replay disables the previous button once the deal was
    // shown; the panel's event still steps back.
    Press(frame::EVT_REPLAY_PREVIOUS);
    expectAt(middle - 1, "previous");
    Run(3000);
    EXPECT_EQ(Seen(), live[middle - 1].seen);
}

// What arrives while the deal is still being shown (a replay seeking or
// stepping back plays every record at once) finds the deal finished: the
// deal's timers must not deal over it afterwards.
TEST_F(FriendReplay, NewsDuringTheDealFinishesItFirst)
{
    // A running round as a table state: every card in hand, chair 2 on turn.
    TS state;
    table::InitTableState(&state);
    state.header.banker = 0;
    state.header.currentChair = 2;
    state.header.status = 0x101;
    for (int i = 0; i < game::kGameCards; ++i) {
        state.cards[i].owner = i / 27;
        state.cards[i].state = table::kCardInHand;
        state.cards[i].id = i / 27 == kOwn ? i : -1;
        state.cards[i].position = i % 27;
        state.cards[i].extra = 27;
    }
    std::vector<uint8_t> snapshot(TS::kWireSize);
    state.Write(snapshot);
    struct Case {
        const char* what;
        uint32_t id;
        std::vector<uint8_t> body;
        std::array<int, kChairs> inHand;
        int turn;
    };
    const Case cases[] = {
        { "a play", 221170, Play(0, 3, table::CT_PAIR, Cards("9c 9d")), { 25, 27, 27, 27 }, 3 },
        { "a pass", 223100, Pass(0, 3, false), { 27, 27, 27, 27 }, 3 },
        { "the table's state", 211160, snapshot, { 27, 27, 27, 27 }, 2 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        NewClient(false);
        QuietView& view = NewView();
        const std::vector<uint8_t> start = RoundStart();
        m_app->handler.Dispatch(211040, start.data(), start.size());
        Run(600);
        ASSERT_TRUE(view.IsDealing());
        m_app->handler.Dispatch(c.id, c.body.data(), c.body.size());
        const TableSeen seen = Seen();
        EXPECT_EQ(seen.inHand, c.inHand);
        EXPECT_EQ(seen.turn, c.turn);
        EXPECT_EQ(seen.ownHand.size(), 27u);
        Run(3000);
        EXPECT_FALSE(view.IsDealing());
        EXPECT_EQ(Seen(), seen) << "nothing of the deal comes later";
    }

    // The round's result over a deal: the hands the result shows stay.
    NewClient(false);
    NewView();
    const std::vector<uint8_t> start = RoundStart();
    m_app->handler.Dispatch(211040, start.data(), start.size());
    Run(600);
    const std::vector<uint8_t> result
        = RoundResult({ Cards("3c 3d"), Cards("2a 4a"), Cards("8c"), Cards("6c 6d 7c") });
    m_app->handler.Dispatch(211080, result.data(), result.size());
    const TableSeen seen = Seen();
    EXPECT_FALSE(seen.playing);
    Run(3000);
    EXPECT_EQ(Seen(), seen);
}

TEST_F(FriendReplay, AClearedTableIsNotDealtOnto)
{
    NewClient(false);
    QuietView& view = NewView();
    const std::vector<uint8_t> start = RoundStart();
    m_app->handler.Dispatch(211040, start.data(), start.size());
    Run(600);
    ASSERT_TRUE(view.IsDealing());
    view.ResetCards();
    Run(3000);
    EXPECT_FALSE(view.IsDealing());
    EXPECT_EQ(Seen().inHand, (std::array<int, kChairs> {}));
}

} // namespace
