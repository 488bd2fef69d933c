// The replay panel and its two recorders in the headless host with a
// settable clock: the pace of playback, stepping and seeking, stop and the
// deal's pause, the buttons and texts, and recording to disk and back.
#include "tests/engine/objects/HostFixture.h"

#include "engine/controls/widgets/ImageButton.h"
#include "engine/controls/widgets/ProgressBar.h"
#include "engine/core/EngineFiles.h"
#include "frame/core/CGameFrameApp.h"
#include "frame/core/GameFrameCalls.h"
#include "frame/core/GameNotifyHandler.h"
#include "frame/ui/FramePopupMenu.h"
#include "frame/ui/ReplayBlocks.h"
#include "frame/ui/ReplayRecorder.h"
#include "platform/MessageBox.h"
#include "platform/WindowMessages.h"
#include "tests/frame/core/NotifyTestApp.h"
#include "tests/frame/ui/BoxView.h"
#include "tests/engine/modules/LocalFtpServer.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

using namespace frame;
namespace fs = std::filesystem;

namespace {

constexpr int32_t kUserId = 7001;
constexpr int kChairs = 4;
constexpr int32_t kDealShown = 229999; // the record after which the test's table "shows the deal"

// One dispatched record as the table saw it.
struct Played {
    uint32_t id;
    std::vector<uint8_t> data;
    bool muted;
};

class TestApp;

class RecordingHandler : public GameNotifyHandler {
public:
    RecordingHandler(CGameFrameApp& app, const bool& muted)
        : GameNotifyHandler(app)
        , m_muted(muted)
    {
    }
    void Dispatch(uint32_t id, const uint8_t* body, size_t length) override
    {
        played.push_back({ id, std::vector<uint8_t>(body, body + length), m_muted });
        if (id == static_cast<uint32_t>(kDealShown) && onDealShown)
            onDealShown();
    }
    std::vector<uint32_t> Ids() const
    {
        std::vector<uint32_t> ids;
        for (const Played& p : played)
            ids.push_back(p.id);
        return ids;
    }
    std::vector<Played> played;
    std::function<void()> onDealShown;

private:
    const bool& m_muted;
};

class View : public frameuitest::BoxView {
public:
    void OnMatchNextRound() override { ++nextRounds; }
    int nextRounds = 0;
};

// A table whose state words are told apart.
class TableWords : public notifytest::TestGameState {
public:
    int GetTableWord32() const override { return 7; }
    int GetTableWord36() const override { return 500; }
    int GetTableWord40() const override { return 20; }
    int GetTableWord52() const override { return -3; }
};

// The side pane as the chat lines reach it.
class Pane : public engine::RectObject {
public:
    int OnEvent(const engine::EngineEvent& event) override
    {
        if (event.code == 80000057)
            chat.emplace_back(engine::FromWord<const char>(event.param));
        return 1;
    }
    std::vector<std::string> chat;
};

class TestApp : public CGameFrameApp {
public:
    TestApp()
        : CGameFrameApp("ReplayTest", 21534, 1, 2)
    {
    }
    GameNotifyHandler* GetNotifyHandler() override { return &handler; }
    engine::RectObject* GetMainView() const override { return &view; }
    engine::EngineObject* GetSystemPane() const override { return &pane; }
    GameState* GetGameState() override { return &state; }
    int GetChairCount() const override { return kChairs; }

    bool muted = false;
    RecordingHandler handler { *this, muted };
    mutable View view;
    mutable Pane pane;
    TableWords state;
};

// A recorder whose replays live under a scratch lobby directory and whose
// sound switch the test can watch.
template <typename Base>
class Probe : public Base {
public:
    Probe(TestApp& app, std::string hall)
        : Base(app)
        , m_app(app)
        , m_hall(std::move(hall))
    {
    }
    void SetMute(int flag) override
    {
        m_app.muted = flag != 0;
        Base::SetMute(flag);
    }

protected:
    std::string HallDirectory() const override { return m_hall; }

private:
    TestApp& m_app;
    std::string m_hall;
};

using Ordinary = Probe<ReplayRecorder>;
using Match = Probe<MatchReplayRecorder>;

struct Rec {
    uint32_t elapsed;
    int32_t id;
};

class Replay : public objectstest::HostEngine {
protected:
    void SetUp() override
    {
        HostEngine::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        platform::SetMessageBoxAnswer(platform::kIdOk);
        m_dir = fs::temp_directory_path() / ("kbzn-replay-" + std::to_string(getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        MakePicture(kReplayBoardPicture, 190, 30, 0x204060);
        for (const char* name : { kReplayPlayPicture, kReplayPausePicture, kReplayStopPicture, kReplayPreviousPicture,
                 kReplayNextPicture, kReplayOpenPicture })
            MakePicture(name, 12, 12, 0x40a040, 4, 0);
        // Small enough that nothing overlaps on a board as wide as the window.
        MakePicture(kReplayProgressPicture, 20, 6, 0xc0c0c0, 2, 0);
        MakePicture(kReplayThumbPicture, 6, 10, 0xffffff);
        MakePicture("GameIcon", 20, 20, 0x0000ff);
        app.GetHallArgs().userId = kUserId;
        app.GetHallArgs().title = "四人找朋友";
        app.SetOwnChair(0);
        for (int chair = 0; chair < kChairs; ++chair) {
            PlayerRecord* p = app.GetSeatPlayer(chair);
            p->SetUserId(kUserId + chair);
            p->SetName("玩家" + std::to_string(chair));
        }
    }
    void TearDown() override
    {
        platform::SetMessageBoxAnswer(std::nullopt);
        platform::SetFixedLocalTime(std::nullopt);
        fs::remove_all(m_dir);
        HostEngine::TearDown();
    }

    std::string Hall() const { return m_dir.string() + "/hall/"; }

    template <typename T = Ordinary>
    T* Make()
    {
        auto* r = static_cast<T*>(root->RegisterObject(std::make_unique<T>(app, Hall())));
        r->MoveTo(100, 75);
        r->Show();
        r->Invalidate();
        Frame();
        return r;
    }

    // A replay file of this program with the records, a table of four and
    // (when given) a snapshot.
    std::vector<uint8_t> FileWith(const std::vector<Rec>& records, ReplayVariant variant = ReplayVariant::Ordinary)
    {
        ReplayFile file(variant);
        ReplayIdentity identity;
        identity.gameName = app.GetGameName();
        identity.versionMajor = app.GetVersionMajor();
        identity.versionMinor = app.GetVersionMinor();
        identity.userId = kUserId + 1;
        identity.chair = 1;
        file.Begin(identity);
        if (variant == ReplayVariant::Ordinary) {
            ReplayTableBlock table;
            table.SetSeatCount(kChairs);
            file.AppendTableBlock(table.Bytes());
            for (int chair = 0; chair < kChairs; ++chair)
                file.AppendSeatBlock(ReplaySeatBlock::FromPlayer(*app.GetSeatPlayer(chair)).Bytes());
        } else {
            MatchRoomInfo room;
            room.SetSeatCount(kChairs);
            file.AppendTableBlock(MatchReplayTableBlock::FromMatchRoom(room).Bytes());
            for (int chair = 0; chair < kChairs; ++chair)
                file.AppendSeatBlock(MatchReplaySeatBlock {}.Bytes());
        }
        for (size_t i = 0; i < records.size(); ++i) {
            const uint8_t body[2] = { static_cast<uint8_t>(i), static_cast<uint8_t>(i >> 8) };
            file.AppendRecord(records[i].elapsed, records[i].id, body);
        }
        return *file.Encode(platform::LocalTime { 2025, 1, 2, 3, 4, 5, 0 });
    }
    std::string WriteFile(const std::vector<uint8_t>& bytes, const std::string& name = "game.qhrep")
    {
        const fs::path path = m_dir / name;
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }
    // Records with ids 1, 2, ... at the stamps.
    static std::vector<Rec> Stamped(std::initializer_list<uint32_t> stamps)
    {
        std::vector<Rec> records;
        for (uint32_t t : stamps)
            records.push_back({ t, static_cast<int32_t>(records.size() + 1) });
        return records;
    }
    template <typename T = Ordinary>
    T* Opened(const std::vector<Rec>& records)
    {
        T* r = Make<T>();
        EXPECT_TRUE(r->OpenFile(WriteFile(FileWith(records))));
        Frame();
        return r;
    }
    // The clock moved on in frames of 10 ms, as the engine runs.
    void Advance(uint32_t ms)
    {
        for (uint32_t t = 0; t < ms; t += 10)
            Frame(10);
    }
    size_t PlayedCount() const { return app.handler.played.size(); }
    void Press(ReplayPanel* panel, int code)
    {
        root->SendEvent(engine::EngineEvent(panel->GetId(), code));
        Frame(1);
    }

    TestApp app;
    fs::path m_dir;
};

// ---- Pacing -----------------------------------------------------------------------------

TEST_F(Replay, RecordsPlayAtTheirRecordedSpacingWithNoWaitLongerThanTheMaxGap)
{
    struct Case {
        uint32_t maxGap; // 0: the default
        uint32_t longWait;
    };
    for (const Case c : { Case { 0, 10000 }, Case { 5000, 5000 } }) {
        SCOPED_TRACE(c.maxGap);
        app.handler.played.clear();
        // Three records at 0, one at 500, two at 30500 (30 s later), one at 31000.
        ReplayRecorder* r = Opened(Stamped({ 0, 0, 0, 500, 30500, 30500, 31000 }));
        if (c.maxGap)
            r->SetMaxGap(c.maxGap);
        ASSERT_EQ(PlayedCount(), 1u) << "opening plays the first record";
        Press(r, EVT_REPLAY_PLAY);
        EXPECT_TRUE(r->IsPlaying());
        EXPECT_EQ(PlayedCount(), 3u) << "the records stamped like the first play at once";
        // The timer runs in engine frames: each record plays within a
        // frame or two of its time, never before it.
        Advance(460);
        EXPECT_EQ(PlayedCount(), 3u);
        Advance(80);
        EXPECT_EQ(PlayedCount(), 4u);
        Advance(c.longWait - 80);
        EXPECT_EQ(PlayedCount(), 4u);
        Advance(160);
        EXPECT_EQ(PlayedCount(), 6u) << "the 30-second pause is cut to the max gap";
        Advance(420);
        EXPECT_EQ(PlayedCount(), 6u);
        Advance(80);
        EXPECT_EQ(PlayedCount(), 7u);
        Frames(5, 20000);
        EXPECT_EQ(PlayedCount(), 7u);
        EXPECT_EQ(r->GetPlayedCount(), 7);
        EXPECT_TRUE(r->IsPlaying()) << "the end leaves the play button as it is";
        Press(r, EVT_REPLAY_PLAY);
        EXPECT_FALSE(r->IsPlaying());
        Press(r, EVT_REPLAY_PLAY);
        EXPECT_EQ(PlayedCount(), 7u) << "playing at the end plays nothing";
        root->RemoveObject(r, 0);
        Frame();
    }
}

TEST_F(Replay, AGameOfOneStampPlaysInOneTickWithoutDeepeningTheStack)
{
    // Far more records than a call per record would survive on the stack.
    constexpr size_t kCount = 300000;
    std::vector<Rec> records(kCount, Rec { 250, 5 });
    ReplayRecorder* r = Opened(records);
    Press(r, EVT_REPLAY_PLAY);
    EXPECT_EQ(PlayedCount(), kCount);
    EXPECT_EQ(r->GetPlayedCount(), static_cast<int>(kCount));
    EXPECT_FALSE(r->GetNextButton()->IsInputEnabled());
}

TEST_F(Replay, PausingStopsTheTimerAndResumingPlaysTheNextRecordAtOnce)
{
    ReplayRecorder* r = Opened(Stamped({ 0, 1000, 2000, 3000, 4000 }));
    Press(r, EVT_REPLAY_PLAY);
    EXPECT_EQ(PlayedCount(), 2u) << "the next record plays on pressing play";
    Advance(960);
    EXPECT_EQ(PlayedCount(), 2u);
    Advance(80);
    EXPECT_EQ(PlayedCount(), 3u);
    Press(r, EVT_REPLAY_PLAY);
    Frames(3, 5000);
    EXPECT_EQ(PlayedCount(), 3u) << "paused";
    Press(r, EVT_REPLAY_PLAY);
    EXPECT_EQ(PlayedCount(), 4u) << "the next record plays on resuming";
    Advance(960);
    EXPECT_EQ(PlayedCount(), 4u) << "and the one after it keeps its spacing from it";
    Advance(80);
    EXPECT_EQ(PlayedCount(), 5u);
}

// ---- Stepping, seeking and stopping ------------------------------------------------------

TEST_F(Replay, PreviousReplaysFromTheFirstRecordWithTheSoundOff)
{
    ReplayRecorder* r = Opened(Stamped({ 0, 100, 200, 300 }));
    Press(r, EVT_REPLAY_NEXT);
    Press(r, EVT_REPLAY_NEXT);
    ASSERT_EQ(r->GetPlayedCount(), 3);
    app.handler.played.clear();
    Press(r, EVT_REPLAY_PREVIOUS);
    EXPECT_EQ(r->GetPlayedCount(), 2);
    EXPECT_EQ(app.handler.Ids(), (std::vector<uint32_t> { 1, 2 }));
    for (const Played& p : app.handler.played)
        EXPECT_TRUE(p.muted);
    EXPECT_FALSE(app.muted) << "sound on again";
    EXPECT_EQ(r->GetCurrentTime(), 100u);

    // Previous while playing pauses first.
    Press(r, EVT_REPLAY_PLAY);
    ASSERT_TRUE(r->IsPlaying());
    Press(r, EVT_REPLAY_PREVIOUS);
    EXPECT_FALSE(r->IsPlaying());
}

TEST_F(Replay, SeekingPlaysEveryRecordBeforeTheTimeSilently)
{
    struct Case {
        int playedBefore;
        uint32_t ms;
        std::vector<uint32_t> replayed; // ids dispatched by the seek
        int playedAfter;
    };
    const Case cases[] = {
        { 3, 0, {}, 0 },              // back to the start, nothing played
        { 1, 250, { 2, 3 }, 3 },      // forward: only what is missing
        { 4, 150, { 1, 2 }, 2 },      // back: from the first record
        { 2, 100000, { 3, 4, 5 }, 5 }, // beyond the end: everything
        { 5, 400, { 1, 2, 3, 4 }, 4 }, // back from the end
    };
    ReplayRecorder* r = Opened(Stamped({ 0, 100, 200, 300, 400 }));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ms);
        r->SeekToRecord(c.playedBefore);
        ASSERT_EQ(r->GetPlayedCount(), c.playedBefore);
        app.handler.played.clear();
        r->SeekToTime(c.ms);
        EXPECT_EQ(app.handler.Ids(), c.replayed);
        EXPECT_EQ(r->GetPlayedCount(), c.playedAfter);
        for (const Played& p : app.handler.played)
            EXPECT_TRUE(p.muted);
        EXPECT_FALSE(app.muted);
    }
}

TEST_F(Replay, TheBarSeeksOnceAFileIsOpenAndPausesPlayback)
{
    ReplayRecorder* r = Make();
    engine::ProgressBar* bar = r->GetProgressBar();
    EXPECT_EQ(bar->GetThumb(), nullptr) << "nothing to seek in";
    ASSERT_TRUE(r->OpenFile(WriteFile(FileWith(Stamped({ 0, 100, 200, 300, 400 })))));
    ASSERT_NE(bar->GetThumb(), nullptr);
    Press(r, EVT_REPLAY_PLAY);
    ASSERT_TRUE(r->IsPlaying());
    app.handler.played.clear();
    double half = 0.5;
    root->SendEvent(engine::EngineEvent(r->GetId(), engine::EVT_PROGRESS_CHANGED, engine::ToWord(&half)));
    Frame();
    EXPECT_FALSE(r->IsPlaying());
    EXPECT_EQ(r->GetPlayedCount(), 2) << "the records before 200 ms";
    for (const Played& p : app.handler.played)
        EXPECT_TRUE(p.muted);
    Frames(3, 1000);
    EXPECT_EQ(r->GetPlayedCount(), 2) << "paused";
}

TEST_F(Replay, StopRestoresTheTablePlaysTheFirstRecordAndPauses)
{
    Match* r = Make<Match>();
    ASSERT_TRUE(r->OpenFile(WriteFile(FileWith(Stamped({ 0, 50, 100, 5000 }), ReplayVariant::Match))));
    Press(r, EVT_REPLAY_PLAY);
    Advance(80);
    ASSERT_EQ(r->GetPlayedCount(), 3);
    const int rounds = app.view.nextRounds;
    app.handler.played.clear();
    Press(r, EVT_REPLAY_STOP);
    EXPECT_FALSE(r->IsPlaying());
    EXPECT_EQ(app.view.nextRounds, rounds + 1) << "the table starts the game again";
    EXPECT_EQ(app.handler.Ids(), (std::vector<uint32_t> { 1 }));
    EXPECT_EQ(r->GetPlayedCount(), 1);
    Frames(3, 1000);
    EXPECT_EQ(PlayedCount(), 1u) << "paused after the stop";
}

TEST_F(Replay, TheDealShownPausesAtOnceAndLocksPreviousInOrdinaryReplays)
{
    // The table shows the deal while the third record plays; the record
    // after it, stamped like it or later, must not play behind the pause.
    for (const uint32_t after : { 0u, 700u }) {
        SCOPED_TRACE(after);
        app.handler.played.clear();
        std::vector<Rec> records = Stamped({ 0, 0, 0, after, after, 1400 });
        records[2].id = kDealShown;
        ReplayRecorder* r = Opened(records);
        app.handler.onDealShown = [r] { r->OnDealShown(); };
        Press(r, EVT_REPLAY_PLAY);
        EXPECT_FALSE(r->IsPlaying());
        EXPECT_EQ(PlayedCount(), 3u);
        Frames(3, 2000);
        EXPECT_EQ(PlayedCount(), 3u) << "no timer left behind";
        EXPECT_FALSE(r->GetPreviousButton()->IsInputEnabled());
        Press(r, EVT_REPLAY_NEXT);
        EXPECT_FALSE(r->GetPreviousButton()->IsInputEnabled()) << "the lock outlasts a button update";

        // A panel the player paused stays paused.
        app.handler.onDealShown = nullptr;
        r->OnDealShown();
        EXPECT_FALSE(r->IsPlaying());
        root->RemoveObject(r, 0);
        Frame();
    }
}

TEST_F(Replay, TheMatchRecorderIgnoresThePreviousLock)
{
    Match* r = Make<Match>();
    ASSERT_TRUE(r->OpenFile(WriteFile(FileWith(Stamped({ 0, 10, 20 }), ReplayVariant::Match))));
    r->SetPreviousEnabled(false);
    Press(r, EVT_REPLAY_NEXT);
    EXPECT_TRUE(r->GetPreviousButton()->IsInputEnabled());
}

// ---- Buttons and texts ----------------------------------------------------------------------

TEST_F(Replay, ButtonsFollowTheReplayAndThePlayedCount)
{
    ReplayRecorder* r = Make();
    EXPECT_FALSE(r->GetPlayButton()->IsInputEnabled());
    EXPECT_FALSE(r->GetStopButton()->IsInputEnabled());
    EXPECT_FALSE(r->GetPreviousButton()->IsInputEnabled());
    EXPECT_FALSE(r->GetNextButton()->IsInputEnabled());
    EXPECT_TRUE(r->GetOpenButton()->IsInputEnabled());
    EXPECT_EQ(r->GetTimeText(), "");

    ASSERT_TRUE(r->OpenFile(WriteFile(FileWith(Stamped({ 0, 10 })))));
    EXPECT_TRUE(r->GetPlayButton()->IsInputEnabled());
    EXPECT_TRUE(r->GetStopButton()->IsInputEnabled());
    EXPECT_TRUE(r->GetNextButton()->IsInputEnabled());
    Press(r, EVT_REPLAY_NEXT);
    EXPECT_FALSE(r->GetNextButton()->IsInputEnabled()) << "every record played";
    EXPECT_TRUE(r->GetPreviousButton()->IsInputEnabled());
    Press(r, EVT_REPLAY_PREVIOUS);
    Press(r, EVT_REPLAY_PREVIOUS);
    EXPECT_FALSE(r->GetPreviousButton()->IsInputEnabled()) << "nothing played";
}

TEST_F(Replay, TheTimeTextShowsThePlayedPartOverTheLength)
{
    struct Case {
        std::vector<Rec> records;
        int next; // records stepped after opening
        const char* text;
    };
    const Case cases[] = {
        { Stamped({ 0, 15000, 31000 }), 0, "00:00/00:31" },
        { Stamped({ 0, 15500, 31000 }), 1, "00:15/00:31" },
        { Stamped({ 0, 3700000 }), 1, "01:01:40/01:01:40" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ReplayRecorder* r = Opened(c.records);
        for (int i = 0; i < c.next; ++i)
            Press(r, EVT_REPLAY_NEXT);
        EXPECT_EQ(r->GetTimeText(), c.text);
        root->RemoveObject(r, 0);
        Frame();
    }
}

TEST_F(Replay, ButtonTipsAreSizedByTheirTextAndHiddenWhenTheHoverEnds)
{
    ReplayRecorder* r = Make();
    struct Case {
        engine::ImageButton* button;
        int width;
    };
    for (const Case c : { Case { r->GetOpenButton(), 8 * 12 / 2 + 6 }, Case { r->GetPreviousButton(), 6 * 12 / 2 + 6 },
             Case { r->GetPlayButton(), 4 * 12 / 2 + 6 } }) {
        root->SendEvent(engine::EngineEvent(r->GetId(), EVT_REPLAY_TIP, c.button->GetId()));
        Frame();
        engine::CanvasObject* tip = r->GetTipCanvas();
        ASSERT_NE(tip, nullptr);
        EXPECT_TRUE(tip->IsShown());
        EXPECT_EQ(tip->GetBufferWidth(), c.width);
        EXPECT_EQ(tip->GetBufferHeight(), 18);
        EXPECT_DOUBLE_EQ(tip->GetX(), c.button->GetX());
        EXPECT_LE(tip->GetBottom(), r->GetTop()) << "above the board, not over its edge";
        root->SendEvent(engine::EngineEvent(r->GetId(), EVT_REPLAY_TIP_END, c.button->GetId()));
        Frame();
        EXPECT_FALSE(tip->IsShown());
    }
    // The mouse resting on a button brings its tip.
    engine::ImageButton* open = r->GetOpenButton();
    WindowInput(platform::kWmMouseMove, static_cast<int>(open->GetX()), static_cast<int>(open->GetY()));
    Frames(100, 20);
    EXPECT_TRUE(r->GetTipCanvas()->IsShown());
    EXPECT_EQ(r->GetTipCanvas()->GetBufferWidth(), 54);
    WindowInput(platform::kWmMouseMove, 5, 5);
    Frames(3);
    EXPECT_FALSE(r->GetTipCanvas()->IsShown());

    // An id that is none of the buttons shows nothing.
    root->SendEvent(engine::EngineEvent(r->GetId(), EVT_REPLAY_TIP, r->GetId()));
    Frame();
    EXPECT_FALSE(r->GetTipCanvas()->IsShown());
}

// ---- Loading --------------------------------------------------------------------------------

TEST_F(Replay, ARefusedFileIsToldAndChangesNothing)
{
    ReplayRecorder* r = Opened(Stamped({ 0, 10, 20 }));
    Press(r, EVT_REPLAY_NEXT);
    const size_t played = PlayedCount();
    // The other variant's file, then a damaged one.
    std::vector<uint8_t> damaged = FileWith(Stamped({ 0 }));
    damaged.resize(damaged.size() - 4);
    EXPECT_FALSE(r->OpenFile(WriteFile(FileWith(Stamped({ 0 }), ReplayVariant::Match), "match.qhrep")));
    EXPECT_FALSE(r->OpenFile(WriteFile(damaged, "damaged.qhrep")));
    EXPECT_FALSE(r->OpenFile((m_dir / "missing.qhrep").string()));
    ASSERT_EQ(app.view.boxes.size(), 2u);
    EXPECT_EQ(app.view.boxes[0].text, ReplayWrongGameText());
    EXPECT_EQ(PlayedCount(), played);
    EXPECT_EQ(r->GetPlayedCount(), 2);
    EXPECT_EQ(r->File().RecordCount(), 3u);
}

TEST_F(Replay, OpeningTakesTheRecordingSeatAndWarnsOfAnotherVersion)
{
    ReplayRecorder* r = Make();
    r->BeginRecording();
    ASSERT_TRUE(r->OpenFile(WriteFile(FileWith(Stamped({ 0 })))));
    EXPECT_FALSE(r->IsRecording()) << "a replay is no recording to add to";
    EXPECT_FALSE(r->AppendRecord(211040, nullptr, 0));
    EXPECT_TRUE(app.IsReplayMode());
    EXPECT_EQ(app.GetUserId(), kUserId + 1);
    EXPECT_EQ(app.GetChair(), 1);
    EXPECT_TRUE(app.view.boxes.empty());

    std::vector<uint8_t> other = FileWith(Stamped({ 0 }));
    const size_t minor = ReplayLayout::Of(ReplayVariant::Ordinary).versionMinor;
    other[minor] = 9;
    EXPECT_TRUE(r->OpenFile(WriteFile(other, "other.qhrep")));
    ASSERT_EQ(app.view.boxes.size(), 1u);
    EXPECT_EQ(app.view.boxes[0].text, ReplayVersionWarningText(1, 2, 1, 9));
}

TEST_F(Replay, TheOpenButtonListsTheReplayFilesAndOpensThePickedOne)
{
    ReplayRecorder* r = Make();
    Press(r, EVT_REPLAY_OPEN);
    ASSERT_NE(r->GetFileMenu(), nullptr);
    EXPECT_TRUE(r->GetFileMenu()->IsShown());
    EXPECT_TRUE(r->GetListedFiles().empty());
    EXPECT_EQ(r->GetFileMenu()->GetItemCount(), 1) << "a line that says there is none";

    // The user's replay directory: two replays among other files.
    const std::string dir = ReplayDirectory(Hall(), kUserId, app.GetTitleText());
    const fs::path host = engine::ToHostPath(dir);
    fs::create_directories(host / "folder.qhrep");
    std::ofstream(host / "notes.txt") << "x";
    std::ofstream(host / "a_2024.QHREP") << "not a replay";
    WriteFile(FileWith(Stamped({ 0, 10, 20 })), "b.qhrep");
    const fs::path game = engine::ToHostPath(dir + "春_2025.qhrep");
    fs::rename(m_dir / "b.qhrep", game);
    const auto now = fs::file_time_type::clock::now();
    fs::last_write_time(host / "a_2024.QHREP", now - std::chrono::hours(100));
    fs::last_write_time(game, now - std::chrono::hours(1));
    Press(r, EVT_REPLAY_OPEN);
    const std::vector<std::string> listed { dir + "春_2025.qhrep", dir + "a_2024.QHREP" };
    EXPECT_EQ(r->GetListedFiles(), listed) << "newest first";
    ASSERT_EQ(r->GetFileMenu()->GetItemCount(), 2);

    root->SendEvent(engine::EngineEvent(r->GetId(), EVT_REPLAY_CHOSEN, 0));
    Frame();
    EXPECT_FALSE(r->GetFileMenu()->IsShown());
    EXPECT_EQ(r->File().RecordCount(), 3u);
    EXPECT_EQ(PlayedCount(), 1u);
    root->SendEvent(engine::EngineEvent(r->GetId(), EVT_REPLAY_CHOSEN, 7)); // no such entry
    Frame();
    EXPECT_EQ(PlayedCount(), 1u);

    // The opened file's directory is listed even now that the own user is
    // the recording one; a long list keeps the newest.
    for (int i = 0; i < 40; ++i) {
        const fs::path file = host / ("x" + std::to_string(100 + i) + ".qhrep");
        std::ofstream(file) << "x";
        fs::last_write_time(file, now - std::chrono::hours(50 - i));
    }
    Press(r, EVT_REPLAY_OPEN);
    ASSERT_EQ(r->GetListedFiles().size(), ReplayPanel::kMaxListedFiles);
    EXPECT_EQ(r->GetListedFiles().front(), dir + "春_2025.qhrep");
    EXPECT_EQ(r->GetListedFiles().back(), dir + "x111.qhrep");
}

TEST_F(Replay, TheTableViewHooksMakeTheRecorderOfTheModeAndSetItsLongestPause)
{
    for (const bool match : { false, true }) {
        SCOPED_TRACE(match);
        auto* r = static_cast<ReplayPanel*>(root->RegisterObject(MakeReplayRecorder(app, match)));
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(dynamic_cast<MatchReplayRecorder*>(r) != nullptr, match);
        EXPECT_EQ(r->GetMaxGap(), ReplayPanel::kDefaultMaxGap);
        SetReplayMaxGap(r, 5000);
        EXPECT_EQ(r->GetMaxGap(), 5000u);
        SetReplayMaxGap(root, 5000); // no recorder: nothing happens
        SetReplayMaxGap(nullptr, 5000);
        root->RemoveObject(r, 0);
        Frame();
    }
}

// ---- Recording ------------------------------------------------------------------------------

class ReplayRecording : public Replay {
protected:
    // Records a short game: the blocks, three records and a snapshot.
    template <typename T, typename Save = ReplaySaveResult (ReplayPanel::*)(bool)>
    ReplaySaveResult RecordGame(T* r, bool write, Save save = &ReplayPanel::Save)
    {
        SetTick(50000);
        r->BeginRecording();
        r->WriteTableBlock();
        const uint8_t first[] = { 1, 2, 3 };
        const uint8_t second[] = { 9 };
        EXPECT_TRUE(r->AppendRecord(211040, first, sizeof first));
        SetTick(50400);
        EXPECT_TRUE(r->AppendRecord(229500, second, sizeof second));
        SetTick(52000);
        EXPECT_TRUE(r->AppendRecord(211080, nullptr, 0));
        std::vector<uint8_t> snapshot(432);
        for (size_t i = 0; i < snapshot.size(); ++i)
            snapshot[i] = static_cast<uint8_t>(i);
        EXPECT_TRUE(r->AppendSnapshot(snapshot.data(), snapshot.size()));
        EXPECT_FALSE(r->AppendRecord(229500, second, sizeof second)) << "the snapshot ends the records";
        EXPECT_TRUE(r->IsRecording());
        return (r->*save)(write);
    }
    static std::string ReadText(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    fs::path UserDir() const { return fs::path(Hall()) / "replays" / std::to_string(kUserId); }
};

TEST_F(ReplayRecording, ASavedGamePlaysBackAsItWasRecorded)
{
    platform::SetFixedLocalTime(platform::LocalTime { 2025, 6, 7, 8, 9, 10, 0 });
    ReplayRecorder* r = Make();
    const ReplaySaveResult saved = RecordGame(r, true);
    ASSERT_TRUE(saved.written);
    EXPECT_FALSE(r->IsRecording());
    EXPECT_TRUE(r->File().Empty());
    EXPECT_EQ(saved.path, Hall() + "replays\\7001\\四人找朋友\\四人找朋友_2025年6月7日8时9分10秒.qhrep");
    EXPECT_TRUE(fs::exists(engine::ToHostPath(saved.path)));
    EXPECT_EQ(ReadText(UserDir() / "user.text"), "玩家0");
    EXPECT_TRUE(fs::exists(engine::ToHostPath(Hall() + "replays\\skins\\ico_四人找朋友.pps")));
    EXPECT_FALSE(r->AppendRecord(211040, nullptr, 0)) << "nothing is recorded after the save";

    // Another client's seats, then the file.
    for (int chair = 0; chair < kChairs; ++chair)
        app.GetSeatPlayer(chair)->SetName("别人");
    ReplayRecorder* player = Make();
    ASSERT_TRUE(player->OpenFile(saved.path));
    EXPECT_EQ(app.GetSeatPlayer(2)->Name(), "玩家2");
    Press(player, EVT_REPLAY_PLAY);
    Advance(2100);
    ASSERT_EQ(app.handler.Ids(), (std::vector<uint32_t> { 211040, 229500, 211080 }));
    EXPECT_EQ(app.handler.played[0].data, (std::vector<uint8_t> { 1, 2, 3 }));
    EXPECT_EQ(app.handler.played[1].data, (std::vector<uint8_t> { 9 }));
    EXPECT_TRUE(app.handler.played[2].data.empty());
    EXPECT_EQ(player->File().LastRecordTime(), 2000u);
    ReplayTableBlock table;
    ASSERT_TRUE(table.Load(player->GetTableBlock().data(), player->GetTableBlock().size()));
    EXPECT_EQ(table.SeatCount(), kChairs);
    EXPECT_EQ(table.StateWord32(), 7);
    EXPECT_EQ(table.StateWord52(), -3);
    EXPECT_EQ(table.StateWord40(), 20);
    EXPECT_EQ(table.StateWord36(), 500);
    ASSERT_EQ(player->GetSnapshot().size(), 432u);
    EXPECT_EQ(player->GetSnapshot()[431], static_cast<uint8_t>(431));
}

TEST_F(ReplayRecording, SaveTellsWhetherAFileWasWritten)
{
    struct Case {
        const char* name;
        bool write;
        bool hallIsAFile; // a lobby "directory" that is a plain file: nothing can be made under it
        bool written;
    };
    const Case cases[] = {
        { "written", true, false, true },
        { "write flag off", false, false, false },
        { "unwritable directory", true, true, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(m_dir / "hall");
        if (c.hallIsAFile)
            std::ofstream(m_dir / "hall") << "x";
        Ordinary* r = Make();
        // The game's table view announces a written file (it is told by the
        // result); the recorder itself writes nothing into the chat.
        const ReplaySaveResult saved = RecordGame(r, c.write);
        EXPECT_EQ(saved.written, c.written);
        EXPECT_TRUE(app.pane.chat.empty());
        EXPECT_FALSE(saved.path.empty());
        EXPECT_TRUE(r->File().Empty()) << "the image is cleared either way";
        EXPECT_FALSE(r->IsRecording());
        if (!c.hallIsAFile) {
            EXPECT_TRUE(fs::exists(UserDir() / "user.text")) << "the name is made even when not written";
        }
        root->RemoveObject(r, 0);
        Frame();
    }
    platform::TakeMessageBoxLog();
}

TEST_F(ReplayRecording, AMatchReplayIsUploadedOnlyWhenWrittenAndAskedFor)
{
    struct Case {
        const char* name;
        bool write;
        int32_t word140;
        bool uploaded;
    };
    const Case cases[] = {
        { "written, asked", true, 1, true },
        { "not asked", true, 0, false },
        { "not written", false, 1, false },
    };
    app.GetMatchInfo().SetMatchName("Spring/Cup");
    app.GetMatchRoomInfo().SetSeatCount(kChairs);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        app.GetMatchRoomInfo().SetWord140(c.word140);
        Match* r = Make<Match>();
        std::vector<ReplayUpload> uploads;
        r->SetUploader([&](const ReplayUpload& u) { uploads.push_back(u); });
        r->SetUploadServer("127.0.0.1", 2121);
        platform::SetFixedLocalTime(platform::LocalTime { 2025, 6, 7, 8, 9, 10, 0 });
        const ReplaySaveResult saved = RecordGame(r, c.write);
        ASSERT_EQ(uploads.size(), c.uploaded ? 1u : 0u);
        if (c.uploaded) {
            EXPECT_EQ(uploads[0].localFile, saved.path);
            EXPECT_EQ(uploads[0].remoteName, "Spring_Cup_2025年6月7日8时9分10秒.qhrep");
            EXPECT_EQ(uploads[0].remoteDirectory, "");
            EXPECT_EQ(uploads[0].server, "127.0.0.1");
            EXPECT_EQ(uploads[0].port, 2121);
        }
        root->RemoveObject(r, 0);
        Frame();
    }
}

TEST_F(ReplayRecording, AWrittenMatchReplayReachesTheMatchServerWithTheAnonymousLogin)
{
    testftp::LocalFtpServer server;
    fs::create_directories(m_dir / "served");
    if (!server.Start(m_dir / "served", m_dir / "ftp.log"))
        GTEST_SKIP() << "no local FTP server (python3-pyftpdlib)";
    app.GetMatchInfo().SetMatchName("春季赛");
    app.GetMatchRoomInfo().SetSeatCount(kChairs);
    app.GetMatchRoomInfo().SetWord140(1);
    Match* r = Make<Match>();
    r->SetUploadServer("127.0.0.1", server.Port());
    platform::SetFixedLocalTime(platform::LocalTime { 2025, 6, 7, 8, 9, 10, 0 });
    const ReplaySaveResult saved = RecordGame(r, true);
    ASSERT_TRUE(saved.written);
    const std::string local = ReadText(engine::ToHostPath(saved.path));
    ASSERT_FALSE(local.empty());

    // Save does not wait for the upload: the file arrives on its own.
    std::string uploaded;
    fs::path name;
    for (int i = 0; i < 500 && uploaded != local; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        for (const fs::directory_entry& e : fs::directory_iterator(m_dir / "served")) {
            name = e.path().filename();
            uploaded = ReadText(e.path());
        }
    }
    EXPECT_EQ(uploaded, local);
    // The bare file name, in the login directory. (This server reads names
    // as UTF-8 and replaces the GBK characters, so only the rest compares.)
    EXPECT_EQ(name.extension(), ".qhrep");
    EXPECT_NE(name.string().find("_2025"), std::string::npos);
}

} // namespace
