// This game's application and main window: the start in replay mode (no
// lobby, no server, a table of four built at once) and from the lobby
// against a scripted server, the GAMESET section read and written, the
// hooks' answers, the score history restored from the enter replies, the
// chairs' flag words, the dialog bar of the main window, and the main
// view's skin packs, logo and round caption.

#include "game/FriendGameApp.h"

#include "engine/controls/widgets/ImageFont.h"
#include "engine/modules/GdiPaintModule.h"
#include "engine/objects/EnginePaintModule.h"
#include "engine/objects/CanvasObject.h"
#include "frame/ui/AdvertBar.h"
#include "frame/ui/SubSystem.h"
#include "frame/core/CGameCommThread.h"
#include "frame/core/GameConnection.h"
#include "frame/core/GameNotifyHandler.h"
#include "frame/ui/GameTableView.h"
#include "frame/core/HallRecords.h"
#include "game/CMainFrame.h"
#include "cards/CardTableView.h"
#include "game/FriendGameFrame.h"
#include "frame/ui/SubSystem.h"
#include "platform/Clock.h"
#include "platform/DesktopChannel.h"
#include "platform/Files.h"
#include "platform/IniFile.h"
#include "platform/MessageBox.h"
#include "platform/MessageLoop.h"
#include "platform/Process.h"
#include "tools/scripted/ScriptedServer.h"
#include "tools/lobby/StandInLobby.h"
#include "tools/testhost/TestHost.h"

#include "tests/game/RecordingWait.h"
#include "tests/support/FileText.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TestTimeouts.h"
#include "tests/frame/ui/SidePaneHost.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <array>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Log = std::vector<std::string>;
using game::FriendGameApp;
using game::FriendGameFrame;
using testsupport::ScopedEnv;

using clienttest::RecordingWait;
using clienttest::WaitTexts;

// The game's main view recording the packs it loads and its refreshes (the
// lobby's init data, or a replay's start, refresh it).
class RecordingFrame : public FriendGameFrame {
public:
    RecordingFrame(Log& log, int workArea = -1)
        : FriendGameFrame(workArea)
        , m_log(log)
    {
    }
    bool LoadResourcePack(const std::string& path) override
    {
        m_log.push_back("pack " + path);
        return FriendGameFrame::LoadResourcePack(path);
    }
    void OnRefresh() override
    {
        m_log.push_back("refresh");
        FriendGameFrame::OnRefresh();
    }

private:
    Log& m_log;
};

class TestApp : public FriendGameApp {
public:
    explicit TestApp(std::shared_ptr<WaitTexts> texts = std::make_shared<WaitTexts>())
        : m_texts(texts)
    {
        SetWaitDisplayFactory([texts] { return std::make_unique<RecordingWait>(texts); });
        SetFailurePauseScale(0.01);
    }
    using FriendGameApp::ExitInstance;
    using FriendGameApp::InitInstance;

    std::unique_ptr<engine::RectObject> CreateMainView() override
    {
        return std::make_unique<RecordingFrame>(log);
    }
    std::unique_ptr<CGameFrameWnd> NewMainWindow() override
    {
        return makeWindow ? makeWindow(*this) : FriendGameApp::NewMainWindow();
    }
    Log WaitTextsShown() const { return m_texts->Take(); }

    Log log;
    std::function<std::unique_ptr<CGameFrameWnd>(CGameFrameApp&)> makeWindow;

private:
    std::shared_ptr<WaitTexts> m_texts;
};

// A private program directory (the game's INI file lands there), system
// directory and desktop data directory, so no test touches the user's.
class FriendGameAppTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        tools::TestHost::PreferHeadlessDrivers();
        m_dir = fs::temp_directory_path()
            / ("kbzn_friendapp_" + std::to_string(getpid()) + "_"
                + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        for (const char* sub : { "bin", "empty-bin", "system", "hall" })
            fs::create_directories(m_dir / sub);
        platform::IniFile((m_dir / "system" / "runo.ini").string())
            .WriteString("SYSTEM", "ExePath", (m_dir / "hall").string() + "/DozeDova");
        m_env.emplace_back("PATH", (m_dir / "empty-bin").string());
        m_env.emplace_back("XDG_DATA_HOME", (m_dir / "data").string());
        m_env.emplace_back("KBZN_SYSTEM_DIR", (m_dir / "system").string());
        platform::SetExecutablePath((m_dir / "bin" / "KbZn").string());
        platform::SetExecutableDir((m_dir / "bin").string() + "/");
        platform::SetMessageBoxAnswer(platform::kIdNo);
    }
    void TearDown() override
    {
        platform::TakeMessageBoxLog();
        platform::SetMessageBoxAnswer(std::nullopt);
        platform::SetExecutableDir("");
        platform::SetExecutablePath("");
        m_env.clear();
        fs::remove_all(m_dir);
    }
    std::string IniPath() const { return (m_dir / "bin" / "KbZn.ini").string(); }
    std::string Replay()
    {
        const fs::path path = m_dir / "round one.qhrep";
        std::ofstream(path) << "replay";
        return path.string();
    }
    static void Pump()
    {
        for (int i = 0; i < 10; ++i)
            platform::MessageLoop::PumpOnce(0);
    }

    fs::path m_dir;

private:
    std::deque<ScopedEnv> m_env; // never moved: each restores its variable once
};

TEST_F(FriendGameAppTest, ReplayStartsWithoutLobbyOrServerAndBuildsTheTableAtOnce)
{
    TestApp app;
    app.SetCommandLine("\"" + Replay() + "\"");
    if (!app.InitInstance()) {
        ASSERT_EQ(app.GetStartFailure(), StartFailure::kMainWindow);
        GTEST_SKIP() << "no video driver";
    }
    EXPECT_TRUE(app.IsReplayMode());
    EXPECT_TRUE(app.IsStandAlone());
    EXPECT_TRUE(platform::TakeMessageBoxLog().empty()) << "no lobby argument was asked for";
    EXPECT_FALSE(app.GetConnection()->IsConnected());
    EXPECT_TRUE(app.WaitTextsShown().empty()) << "no connection was attempted";

    frame::HallLaunchArgs expected;
    expected.gameId = 30;
    expected.serverHost = "127.0.0.1";
    expected.lobbyWord4 = 1;
    expected.tableNo = 0;
    expected.chair = 0;
    expected.title = "觅友";
    EXPECT_EQ(app.GetHallArgs(), expected);
    EXPECT_EQ(app.GetMainWindow()->GetWindow().Title(), "觅友");
    EXPECT_EQ(app.GetTablePlayerCount(), 4);

    // The packs with the replay panel's last; the table is built from the
    // posted init-done, once.
    const std::string dir = (m_dir / "bin").string() + "/";
    Log packs;
    for (const std::string& pack : FriendGameFrame::SkinPacks(true))
        packs.push_back("pack " + dir + pack);
    EXPECT_EQ(app.log, packs);
    app.log.clear();
    Pump();
    EXPECT_EQ(app.log, Log { "refresh" });
    app.ExitInstance();
}

TEST_F(FriendGameAppTest, LobbyStartConnectsAndLoadsNoReplayPack)
{
    tools::ScriptedServer server;
    ASSERT_TRUE(server.Start());
    // Version 1.1 as the program's.
    std::string version(28, '\0');
    version[0] = 1;
    version[4] = 1;
    server.SetReply(kRequestVersion, { .code = 0, .body = version });
    TestApp app;
    app.SetCommandLine("\"7|127.0.0.1|3|0|0|10001|5|2|0|0|测试房间|" + std::to_string(server.Port()) + "|0|0|0\"");
    if (!app.InitInstance()) {
        ASSERT_EQ(app.GetStartFailure(), StartFailure::kMainWindow);
        GTEST_SKIP() << "no video driver";
    }
    EXPECT_FALSE(app.IsReplayMode());
    EXPECT_TRUE(app.GetConnection()->IsConnected());
    EXPECT_EQ(app.GetMainWindow()->GetWindow().Title(), "测试房间");
    EXPECT_EQ(app.GetTablePlayerCount(), 0) << "the lobby's data give the table";
    const std::string dir = (m_dir / "bin").string() + "/";
    ASSERT_FALSE(app.log.empty());
    EXPECT_EQ(app.log.back(), "pack " + dir + "skins\\vkfaces_bobo.vkr");
    Pump();
    EXPECT_EQ(std::count(app.log.begin(), app.log.end(), "refresh"), 0) << "nothing builds the table yet";
    app.ExitInstance();
}

TEST_F(FriendGameAppTest, GameSetIsReadAtStartAndWrittenAtExit)
{
    {
        // A fresh installation: everything off, and the first exit writes
        // all five keys as 0, in order.
        TestApp app;
        app.LoadSettings();
        EXPECT_EQ(app.Settings(), game::GameSettings {});
        EXPECT_EQ(app.IsSoundOn(), 0);
        EXPECT_FALSE(app.RejectsViewCardRequests());
        EXPECT_FALSE(app.IsPassSoundMuted());
        EXPECT_FALSE(app.IsDialectMuted());
        app.ExitInstance();
        EXPECT_EQ(testsupport::ReadWholeFile(IniPath()),
            "[GAMESET]\nSoundEffect=0\nMusic=0\nRejectKanPaiAsk=0\nRejectPassSound=0\nRejectDialect=0\n");
    }
    struct Case {
        const char* key;
        int game::GameSettings::*setting;
        std::function<int(const FriendGameApp&)> answer;
    };
    const Case cases[] = {
        { "SoundEffect", &game::GameSettings::soundEffect, [](const FriendGameApp& a) { return a.IsSoundOn(); } },
        { "Music", &game::GameSettings::music, nullptr },
        { "RejectKanPaiAsk", &game::GameSettings::rejectKanPaiAsk,
            [](const FriendGameApp& a) { return int(a.RejectsViewCardRequests()); } },
        { "RejectPassSound", &game::GameSettings::rejectPassSound,
            [](const FriendGameApp& a) { return int(a.IsPassSoundMuted()); } },
        { "RejectDialect", &game::GameSettings::rejectDialect,
            [](const FriendGameApp& a) { return int(a.IsDialectMuted()); } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        fs::remove(IniPath());
        platform::IniFile(IniPath()).WriteInt("GAMESET", c.key, 1);
        TestApp app;
        app.LoadSettings();
        game::GameSettings expected;
        expected.*c.setting = 1;
        EXPECT_EQ(app.Settings(), expected);
        if (c.answer) {
            EXPECT_EQ(c.answer(app), 1);
        }
        // What the settings panel changes is written at exit.
        app.Settings().*c.setting = 0;
        app.Settings().music = 7;
        app.ExitInstance();
        EXPECT_EQ(platform::IniFile(IniPath()).GetInt("GAMESET", c.key, -1), c.setting == &game::GameSettings::music ? 7 : 0);
        EXPECT_EQ(platform::IniFile(IniPath()).GetInt("GAMESET", "Music", -1), 7);
    }
}

TEST_F(FriendGameAppTest, HooksAnswerWithTheGamesValues)
{
    TestApp app;
    game::FriendGameData& data = app.GetGameData();
    EXPECT_EQ(app.GetChairCount(), 4);
    EXPECT_EQ(app.GetMaxHandCards(), 27);
    EXPECT_EQ(app.GetLevelRank(), 1);
    EXPECT_EQ(app.GetEnterExtra(), 0);
    EXPECT_EQ(app.FilterChatText("any line"), 0);
    EXPECT_EQ(app.GetGameState(), &data);
    EXPECT_EQ(app.GetConnection(), &app.GetFriendConnection());
    EXPECT_EQ(app.GetNotifyHandler(), &app.GetFriendNotifyHandler());
    EXPECT_EQ(app.GetEnterDataBuffer().data(), data.TableInfoBuffer().data());
    EXPECT_EQ(app.GetEnterDataBuffer().size(), game::FriendGameData::kTableInfoSize);
    EXPECT_EQ(app.GetLookOnDataBuffer().data(), data.TableStateBuffer().data());
    EXPECT_EQ(app.GetLookOnDataBuffer().size(), game::FriendGameData::kTableStateSize);
    data.SetTableWord(game::FriendGameData::kTurnSeconds, 17);
    EXPECT_EQ(app.GetTurnSeconds(), 17);

    // Replays are never recorded; option C bit 0x40000 is the room's.
    app.GetRoomInfo().SetOptionsC(frame::RoomInfo::kOptionC20000 | frame::RoomInfo::kOptionC40000);
    EXPECT_FALSE(app.IsRoomOptionC20000());
    EXPECT_TRUE(app.IsRoomOptionC40000());
    app.GetRoomInfo().SetOptionsC(0);
    EXPECT_FALSE(app.IsRoomOptionC40000());

    // The exit-agreed flag stays once set.
    EXPECT_FALSE(app.IsExitAgreed());
    app.SetExitAgreed();
    app.SetExitAgreed();
    EXPECT_TRUE(app.IsExitAgreed());
}

// ---- score history and chair flags from the server ---------------------------

std::vector<uint8_t> Body(size_t size)
{
    return std::vector<uint8_t>(size, 0);
}

void PutInt(std::vector<uint8_t>& body, size_t at, int32_t value)
{
    for (int i = 0; i < 4; ++i)
        body[at + static_cast<size_t>(i)] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
}

// The ring of chair c, round r holds 1000 c + r; the totals 100 + c.
void PutHistory(std::vector<uint8_t>& body, size_t rounds, size_t ring, size_t totals, int chairs, int32_t count)
{
    PutInt(body, rounds, count);
    for (int c = 0; c < chairs; ++c) {
        for (int r = 0; r < 30; ++r)
            PutInt(body, ring + 4 * static_cast<size_t>(c * 30 + r), 1000 * c + r);
        PutInt(body, totals + 4 * static_cast<size_t>(c), 100 + c);
    }
}

// Chairs 0 to 7 of an earlier history: -1 in every slot, -2 totals.
void FillOldHistory(FriendGameApp& app)
{
    std::array<int32_t, 8> minusOne;
    minusOne.fill(-1);
    for (int r = 0; r < 30; ++r)
        app.GetScoreHistory().AddRound(minusOne, 8);
    app.GetScoreHistory().Restore(30, 8, {}, std::array<int32_t, 8> { -2, -2, -2, -2, -2, -2, -2, -2 });
}

TEST_F(FriendGameAppTest, EnterRepliesRestoreTheScoreHistory)
{
    struct Case {
        const char* name;
        bool lookOn;
        size_t size;
        int restoredChairs; // 0: the body is too short, nothing changes
    };
    const Case cases[] = {
        { "player, all eight chairs", false, 1096, 8 },
        { "player, the body just holds the totals", false, 1080, 8 },
        { "player, the totals cut short", false, 1079, 0 },
        { "looker-on, the table's four chairs", true, 5488, 4 },
        { "looker-on, the counter cut short", true, 4539, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestApp app;
        FillOldHistory(app);
        std::vector<uint8_t> body = Body(c.size);
        const size_t fit = std::min<size_t>(c.size, c.lookOn ? 4540 : 1080);
        std::vector<uint8_t> full = Body(c.lookOn ? 4540 : 1080);
        if (c.lookOn)
            PutHistory(full, 4536, 4040, 4520, 4, 42);
        else
            PutHistory(full, 52, 88, 1048, 8, 42);
        std::copy(full.begin(), full.begin() + static_cast<long>(fit), body.begin());
        if (c.lookOn)
            app.OnEnterReply210210(body.data(), body.size());
        else
            app.OnEnterReply210200(body.data(), body.size());
        const frame::ScoreHistory& history = app.GetScoreHistory();
        EXPECT_EQ(history.RoundCount(), c.restoredChairs ? 42 : 30);
        for (int chair = 0; chair < 8; ++chair) {
            const bool restored = chair < c.restoredChairs;
            EXPECT_EQ(history.Total(chair), restored ? 100 + chair : -2) << chair;
            EXPECT_EQ(history.Entry(chair, 0), restored ? 1000 * chair : -1) << chair;
            EXPECT_EQ(history.Entry(chair, 29), restored ? 1000 * chair + 29 : -1) << chair;
        }
    }
}

TEST_F(FriendGameAppTest, NegativeRoundCounterFromTheServerStartsTheRingAgain)
{
    TestApp app;
    std::vector<uint8_t> body = Body(1096);
    PutHistory(body, 52, 88, 1048, 8, -7);
    app.OnEnterReply210200(body.data(), body.size());
    EXPECT_EQ(app.GetScoreHistory().RoundCount(), 0);
    std::array<int32_t, 8> five;
    five.fill(5);
    app.GetScoreHistory().AddRound(five, 4);
    EXPECT_EQ(app.GetScoreHistory().Entry(0, 0), 5);
    EXPECT_EQ(app.GetScoreHistory().Total(0), 105);
}

TEST_F(FriendGameAppTest, SeatNotificationSetsTheFourChairsFlagWords)
{
    TestApp app;
    for (int chair = 0; chair < 8; ++chair)
        app.GetGameData().SetChairFlags(chair, 9);
    std::vector<uint8_t> body = Body(68);
    for (int chair = 0; chair < 4; ++chair)
        PutInt(body, 20 + 4 * static_cast<size_t>(chair), 0x10 + chair);
    app.LoadPlayersByChair(body.data(), body.size());
    for (int chair = 0; chair < 8; ++chair)
        EXPECT_EQ(app.GetGameData().GetChairFlags(chair), chair < 4 ? 0x10 + chair : 9) << chair;

    // A body that ends inside the flag words changes none of them.
    TestApp shortBody;
    std::vector<uint8_t> cut(body.begin(), body.begin() + 35);
    shortBody.LoadPlayersByChair(cut.data(), cut.size());
    for (int chair = 0; chair < 4; ++chair)
        EXPECT_EQ(shortBody.GetGameData().GetChairFlags(chair), 0) << chair;
}

// ---- the main window ---------------------------------------------------------

// A main window whose bar template is not a child dialog.
class BrokenBarFrame : public game::CMainFrame {
public:
    using CMainFrame::CMainFrame;

protected:
    game::DialogTemplate BarTemplate() const override
    {
        game::DialogTemplate dialog = game::DialogBarTemplate();
        dialog.style &= ~game::kStyleChild;
        return dialog;
    }
};

TEST_F(FriendGameAppTest, MainWindowCarriesTheDialogBarAndTheGamesViews)
{
    TestApp app;
    if (!app.CreateMainWindow())
        GTEST_SKIP() << "no video driver";
    auto* window = dynamic_cast<game::CMainFrame*>(app.GetMainWindow());
    ASSERT_NE(window, nullptr);
    const game::DialogBar& bar = window->GetDialogBar();
    EXPECT_TRUE(bar.IsCreated());
    EXPECT_EQ(bar.GetId(), 141);
    EXPECT_EQ(bar.GetBarStyle(), 0x2830u);
    const game::DialogTemplate& dialog = bar.GetTemplate();
    EXPECT_EQ(dialog.style, 0x40000040u);
    EXPECT_EQ(dialog.cx, 100);
    EXPECT_EQ(dialog.cy, 0);
    EXPECT_EQ(dialog.fontName, "宋体");
    EXPECT_EQ(dialog.pointSize, 10);
    ASSERT_EQ(dialog.items.size(), 1u);
    EXPECT_EQ(dialog.items[0], (game::DialogItem { "IDC_TOP", 1046, 0, 0, 6, 6, 0x50010000 }));
    // A bar 0 units high takes nothing from the engine's view.
    EXPECT_EQ(bar.PixelHeight(), 0);
    EXPECT_EQ(app.GetMainWindow()->GetClientHeight(), app.GetMainWindow()->GetWindow().ClientHeight());

    auto* view = dynamic_cast<FriendGameFrame*>(app.GetMainView());
    ASSERT_NE(view, nullptr);
    EXPECT_NE(dynamic_cast<game::CardTableView*>(app.GetTableView()), nullptr);
    ASSERT_NE(app.GetTableView()->GetName(), nullptr);
    EXPECT_EQ(*app.GetTableView()->GetName(), "MainGame");
    ASSERT_NE(app.GetSystemPane(), nullptr);
    ASSERT_NE(app.GetSystemPane()->GetName(), nullptr);
    EXPECT_EQ(*app.GetSystemPane()->GetName(), "SubSystem");
}

TEST_F(FriendGameAppTest, EnteringTheTableShowsTheRestoredHistoryInTheScoreTab)
{
    for (const bool lookOn : { false, true }) {
        SCOPED_TRACE(lookOn ? "looker-on" : "player");
        TestApp app;
        if (!app.CreateMainWindow())
            GTEST_SKIP() << "no video driver";
        auto* pane = dynamic_cast<frame::SubSystem*>(app.GetSystemPane());
        ASSERT_NE(pane, nullptr);
        auto* advert = dynamic_cast<frame::AdvertBar*>(pane->FindObjectByName(frame::kAdvertBarName));
        ASSERT_NE(advert, nullptr);
        ASSERT_NE(advert->GetHistory(), nullptr);
        const double before = advert->GetHistory()->GetWidth();
        std::vector<uint8_t> body = Body(lookOn ? 5488 : 1096);
        if (lookOn) {
            PutHistory(body, 4536, 4040, 4520, 4, 12);
            app.OnEnterReply210210(body.data(), body.size());
        } else {
            PutHistory(body, 52, 88, 1048, 8, 12);
            app.OnEnterReply210200(body.data(), body.size());
        }
        ASSERT_EQ(app.GetScoreHistory().RoundCount(), 12);
        // Twelve rounds' columns: the table was drawn again from the history.
        EXPECT_GT(advert->GetHistory()->GetWidth(), before);
    }
}

TEST_F(FriendGameAppTest, MainWindowThatCannotMakeItsBarDoesNotOpen)
{
    TestApp app;
    app.makeWindow = [](CGameFrameApp& owner) { return std::make_unique<BrokenBarFrame>(owner); };
    EXPECT_FALSE(app.CreateMainWindow());
    EXPECT_EQ(app.GetMainWindow(), nullptr);
    EXPECT_EQ(app.GetStartFailure(), StartFailure::kMainWindow);
    EXPECT_TRUE(app.log.empty()) << "no view was made for the window";
}

// ---- the main view on a host window ----------------------------------------

class FriendFrameHost : public ::testing::Test {
protected:
    // The view with a plain table view; false without a video driver.
    bool Start()
    {
        tools::TestHost::PreferHeadlessDrivers();
        if (!host.Create("friendframe", kWidth, kHeight))
            return false;
        auto view = std::make_unique<PaintedFrame>(log, *this);
        frameView = view.get();
        EXPECT_TRUE(host.Init(std::move(view)));
        return true;
    }
    void Picture(const char* name, int w, int h, uint32_t colour)
    {
        const uint32_t pixel = engine::CanvasObject::MakePixel(colour, engine::kNoColourKey);
        host.AddPicture(name, w, h, 1, 0, [pixel](int, int, int) { return pixel; });
    }
    uint32_t Pixel(int x, int y)
    {
        return host.Paint()->Background()[static_cast<size_t>(y) * kWidth + x] & 0xffffff;
    }

    class PaintedFrame : public RecordingFrame {
    public:
        PaintedFrame(Log& log, FriendFrameHost& test)
            : RecordingFrame(log, 1600)
            , m_test(test)
        {
        }

    protected:
        void LoadSkinPacks() override
        {
            RecordingFrame::LoadSkinPacks();
            m_test.Picture("TablePatten", 8, 8, 0x0000FF);
            m_test.Picture("logo", 20, 10, 0xFF0000);
        }
        std::unique_ptr<engine::RectObject> CreateTableView() override
        {
            return std::make_unique<engine::RectObject>();
        }

    private:
        FriendFrameHost& m_test;
    };

    static constexpr int kWidth = 640;
    static constexpr int kHeight = 400;
    Log log;
    tools::TestHost host;
    FriendGameFrame* frameView = nullptr;
};

TEST_F(FriendFrameHost, PacksLoadInOrderWithoutTheReplayPackOutsideReplays)
{
    if (!Start())
        GTEST_SKIP() << "no video driver";
    Log expected;
    for (const char* pack : { "skins\\frame.vkr", "skins\\common.vkr", "skins\\peiyin.vkr", "skins\\cardmaster.vkr",
             "skins\\聊天框资源包.vkr", "skins\\vkface_bobo.vkr", "skins\\vkfaces_bobo.vkr" })
        expected.push_back("pack " + platform::ExecutableDir() + pack);
    EXPECT_EQ(log, expected);
    Log replay = FriendGameFrame::SkinPacks(true);
    ASSERT_EQ(replay.size(), 8u);
    EXPECT_EQ(replay.back(), "skins\\replay.vkr");
}

TEST_F(FriendFrameHost, LogoIsCentredOnTheTableAndTheSidePaneKeepsItsWidth)
{
    if (!Start())
        GTEST_SKIP() << "no video driver";
    frameView->SetRect({ 0, 0, kWidth, kHeight });
    engine::Rect table;
    frameView->GetMainGame()->GetRect(&table);
    const int cx = (table.left + table.right) / 2;
    const int cy = (table.top + table.bottom) / 2;
    // The 20 x 10 logo from (cx - 10, cy - 5), the felt round it (the
    // pictures' colours are COLORREFs, the background's pixels RGB).
    const uint32_t logo = 0x0000F0;
    const uint32_t felt = 0xF00000;
    EXPECT_EQ(Pixel(cx - 10, cy - 5) & 0xF0F0F0, logo);
    EXPECT_EQ(Pixel(cx + 9, cy + 4) & 0xF0F0F0, logo);
    EXPECT_EQ(Pixel(cx - 11, cy) & 0xF0F0F0, felt);
    EXPECT_EQ(Pixel(cx, cy + 5) & 0xF0F0F0, felt);

    // On a 1600-wide work area the pane has its wide width, normal and
    // current alike, on every layout.
    frameView->SetSidePanelWidth(17);
    frameView->SetRect({ 0, 0, kWidth, kHeight - 1 });
    EXPECT_EQ(frameView->GetSidePanelWidth(), frame::kWideSideWidth);
    EXPECT_EQ(frameView->GetNormalSidePanelWidth(), frame::kWideSideWidth);
}

TEST_F(FriendFrameHost, RoundCaptionAlwaysShowsTheFirstRound)
{
    if (!Start())
        GTEST_SKIP() << "no video driver";
    engine::ImageFont* caption = frameView->GetRoundCaption();
    ASSERT_NE(caption, nullptr);
    EXPECT_FALSE(caption->IsShown());
    frameView->ShowMatchRoundTitle();
    EXPECT_TRUE(caption->IsShown());
    EXPECT_EQ(frameView->GetRoundCaptionText(), "定局淘汰第1轮");
    frameView->ShowMatchRoundTitle();
    EXPECT_EQ(frameView->GetRoundCaptionText(), "定局淘汰第1轮");
    EXPECT_TRUE(caption->IsShown());
}

// ---- seated by the stand-in lobby, against the scripted server --------------

std::string Word(int32_t value)
{
    std::string out(4, '\0');
    for (int i = 0; i < 4; ++i)
        out[static_cast<size_t>(i)] = static_cast<char>(static_cast<uint32_t>(value) >> (8 * i));
    return out;
}

// The application as the lobby starts it: the stand-in lobby on a desktop
// channel of this test's own (each test runs in a process of its own), the
// lobby's argument, its init data over the channel, and the scripted server
// behind it. By default nothing runs at the table and the player may leave.
class FriendGameSeated : public FriendGameAppTest {
protected:
    static void SetUpTestSuite()
    {
        std::string pattern = (fs::temp_directory_path() / "kbzn-seated-XXXXXX").string();
        s_root = ::mkdtemp(pattern.data()) ? pattern : std::string();
        setenv("XDG_RUNTIME_DIR", s_root.c_str(), 1);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
    }
    static void TearDownTestSuite() { fs::remove_all(s_root); }

    void SetUp() override
    {
        FriendGameAppTest::SetUp();
        ASSERT_TRUE(server.Start());
        std::string version(28, '\0');
        version[0] = 1;
        version[4] = 1;
        server.SetReply(kRequestVersion, { .code = 0, .body = version });
        server.SetReply(200110, { .code = 210200, .body = "" });
        server.SetReply(201130, { .code = 0, .body = Word(0) });
        server.SetReply(201125, { .code = 0, .body = "" });
    }
    void TearDown() override
    {
        platform::SetFixedTick(std::nullopt);
        if (app)
            app->ExitInstance();
        app.reset();
        lobby.reset();
        server.Stop();
        FriendGameAppTest::TearDown();
    }

    // Starts the lobby and the application; false without a video driver.
    bool Launch(std::optional<frame::HallInitGame> init = std::nullopt)
    {
        options.serverPort = server.Port();
        lobby = std::make_unique<tools::StandInLobby>(platform::DesktopChannel::Desktop(), options);
        if (init)
            lobby->SetInitGame(*init);
        EXPECT_TRUE(lobby->Start());
        app = std::make_unique<TestApp>(texts);
        app->SetCommandLine(lobby->LaunchArgument());
        if (!app->InitInstance()) {
            EXPECT_EQ(app->GetStartFailure(), StartFailure::kMainWindow);
            return false;
        }
        return true;
    }
    // Handles the application's messages until done() holds or the wait
    // for the network and the lobby runs out.
    bool PumpUntil(const std::function<bool()>& done)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(testsupport::TimeoutMs(15000));
        while (!done()) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            platform::MessageLoop::PumpOnce(10);
        }
        return true;
    }
    bool Requested(uint32_t id) const
    {
        for (const auto& r : server.Requests())
            if (r.Id() == id)
                return true;
        return false;
    }
    bool WindowOpen() const { return app->GetMainWindow() && app->GetMainWindow()->GetWindow().IsCreated(); }
    bool Shown(const std::string& text) const
    {
        const Log shown = texts->Take();
        return std::find(shown.begin(), shown.end(), text) != shown.end();
    }
    // Seated and entered, as the lobby and the server let the player in.
    bool Seat()
    {
        if (!Launch())
            return false;
        EXPECT_TRUE(PumpUntil([&] { return Requested(200110); })) << "the client entered its table";
        return true;
    }
    void Close()
    {
        app->GetMainWindow()->GetWindow().PostMessage(platform::kWmClose, 0, 0);
        for (int i = 0; i < 10 && WindowOpen(); ++i)
            platform::MessageLoop::PumpOnce(0);
    }

    tools::LobbyOptions options;
    tools::ScriptedServer server;
    std::shared_ptr<WaitTexts> texts = std::make_shared<WaitTexts>();
    std::unique_ptr<tools::StandInLobby> lobby;
    std::unique_ptr<TestApp> app;

private:
    static inline std::string s_root;
};

// The server's codes that keep the player decide, with or without the body
// the branch would read more from.
TEST_F(FriendGameSeated, AGameRunningWithoutItsOptionWordKeepsTheWindow)
{
    server.SetReply(201130, { .code = 210030, .body = "" });
    if (!Seat())
        GTEST_SKIP() << "no video driver";
    Close();
    EXPECT_TRUE(WindowOpen()) << "the player must wait";
    EXPECT_TRUE(Requested(201130));
    EXPECT_FALSE(Requested(201125)) << "nobody asked to leave";
}

TEST_F(FriendGameSeated, AKeptSeatWithoutItsSecondsKeepsTheWindow)
{
    server.SetReply(201125, { .code = 210085, .body = "" });
    if (!Seat())
        GTEST_SKIP() << "no video driver";
    Close();
    EXPECT_TRUE(WindowOpen()) << "the player must wait";
    EXPECT_TRUE(Requested(201125));
}

TEST_F(FriendGameSeated, TheServersOwnRefusalOfTheEntryIsShown)
{
    const std::string refusal = "本房间正在维护，请稍后再来。";
    server.SetReply(200110, { .code = 60031, .body = refusal + std::string(1, '\0') });
    if (!Launch())
        GTEST_SKIP() << "no video driver";
    EXPECT_TRUE(PumpUntil([&] { return Shown(refusal); }));
    EXPECT_FALSE(Shown("服务器未回应登入请求!"));
}

TEST_F(FriendGameSeated, ServerNotificationsOneAndTwoDoNotDropTheLink)
{
    if (!Seat())
        GTEST_SKIP() << "no video driver";
    ASSERT_TRUE(server.Push(1, ""));
    ASSERT_TRUE(server.Push(2, ""));
    ASSERT_TRUE(server.Push(211300, "")); // known to no layer: only stamped
    EXPECT_TRUE(PumpUntil([&] { return app->GetNotifyHandler()->GetLastId() == 211300; }));
    EXPECT_TRUE(app->GetConnection()->IsConnected());
    EXPECT_TRUE(WindowOpen());
}

TEST_F(FriendGameSeated, InitDataTheLobbyCannotSendEndTheClientAfterTheWait)
{
    // More than the desktop channel carries: the lobby's send fails.
    frame::HallInitGame init = tools::StandInLobby(platform::DesktopChannel::Desktop(), {}).DefaultInitGame();
    init.lookers.resize(4000, init.seated.back());
    if (!Launch(init))
        GTEST_SKIP() << "no video driver";
    for (int i = 0; i < 10; ++i)
        platform::MessageLoop::PumpOnce(0);
    EXPECT_TRUE(WindowOpen());
    EXPECT_FALSE(Requested(200110));

    platform::SetFixedTick(platform::TickMs() + CGameFrameWnd::kInitWaitMs + 1);
    EXPECT_TRUE(PumpUntil([&] { return !WindowOpen(); })) << "the client ends";
    EXPECT_TRUE(Shown("没有收到大厅的初始化数据，游戏程序初始化失败!"));
    EXPECT_FALSE(Requested(200110));
}

// The lobby's and the server's table numbers are any 32-bit value; the
// pane shows them counted from 1.
TEST_F(FriendGameSeated, TableNumbersAtTheEndOfTheRangeAreShownCountedFromOne)
{
    options.tableNo = INT32_MAX;
    if (!Seat())
        GTEST_SKIP() << "no video driver";
    auto* pane = dynamic_cast<frame::SubSystem*>(app->GetSystemPane());
    ASSERT_NE(pane, nullptr);
    auto chat = [&] {
        return pane->GetChatBox() ? frameuitest::PlainText(*pane->GetChatBox()->GetView()) : std::string();
    };
    EXPECT_NE(chat().find("第2147483648桌"), std::string::npos) << chat();

    frame::VizeRidavuRecord wire;
    wire.SetUserId(10077);
    wire.SetChair(0);
    wire.SetTableNo(INT32_MAX);
    ASSERT_TRUE(server.Push(211011, std::string(wire.Bytes().begin(), wire.Bytes().end())));
    std::string left(36, '\0');
    left.replace(0, 4, Word(10077));
    left.replace(28, 4, Word(INT32_MAX));
    ASSERT_TRUE(server.Push(211010, left));
    ASSERT_TRUE(server.Push(211300, ""));
    EXPECT_TRUE(PumpUntil([&] { return app->GetNotifyHandler()->GetLastId() == 211300; }));
    EXPECT_NE(chat().find("进入第2147483648桌"), std::string::npos) << chat();
    EXPECT_NE(chat().find("离开第2147483648桌"), std::string::npos) << chat();
}

// A server's text longer than a line buffer reaches the chat whole, never
// cut inside a character.
TEST_F(FriendGameSeated, TheServersLongRefusalTextReachesTheChatWhole)
{
    std::string refusal;
    while (refusal.size() < 300)
        refusal += "低保活动今天已经结束";
    server.SetReply(214010, { .code = 60031, .body = refusal + std::string(1, '\0') });
    if (!Seat())
        GTEST_SKIP() << "no video driver";
    auto* pane = dynamic_cast<frame::SubSystem*>(app->GetSystemPane());
    auto* table = dynamic_cast<frame::GameTableView*>(app->GetTableView());
    ASSERT_NE(pane, nullptr);
    ASSERT_NE(table, nullptr);
    if (!pane->GetChatBox())
        GTEST_SKIP() << "no chat box without the skin";
    table->FetchAllowanceConfig(1);
    const std::string chat = frameuitest::PlainText(*pane->GetChatBox()->GetView());
    EXPECT_NE(chat.find(refusal), std::string::npos) << chat;
}

// A looker-on the lobby announces at a chair the table does not have is
// left out; the next one is taken.
TEST_F(FriendGameSeated, ALookerOnOfNoChairIsLeftOut)
{
    if (!Seat())
        GTEST_SKIP() << "no video driver";
    frame::PlayerRecord stray;
    stray.SetUserId(30001);
    stray.SetTableNo(options.tableNo);
    stray.SetChair(8);
    stray.SetLookOn(1);
    frame::PlayerRecord watcher = stray;
    watcher.SetUserId(30002);
    watcher.SetChair(1);
    auto sent = std::async(std::launch::async, [&] {
        return lobby->SendLookerJoined(stray) && lobby->SendLookerJoined(watcher);
    });
    ASSERT_TRUE(PumpUntil([&] { return sent.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    EXPECT_TRUE(sent.get());
    EXPECT_EQ(app->GetTableInfo().LookOnCount(), 1);
    EXPECT_EQ(app->FindPlayer(30001), nullptr);
    EXPECT_NE(app->FindPlayer(30002), nullptr);
}

} // namespace
