// The card layer's application: which command lines name a replay (and
// which of them switch replay mode on), the replay file type written for
// the desktop under a private data directory and read back, and the answer
// to a lost connection.

#include "cards/CardGameApp.h"

#include "engine/objects/RectObject.h"
#include "frame/core/GameFrameCalls.h"
#include "frame/ui/GameTableView.h"
#include "platform/FileTypeRegistry.h"
#include "platform/Gbk.h"
#include "platform/Process.h"

#include "tests/support/FileText.h"
#include "tests/support/ScopedEnv.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Log = std::vector<std::string>;

using testsupport::ReadWholeFile;

using testsupport::ScopedEnv;

class RecordingView : public engine::RectObject, public frame::GameFrameCalls {
public:
    explicit RecordingView(Log& log)
        : m_log(log)
    {
    }
    void ShowConfirmBox(const std::string& text, int seconds, uint32_t flags, const std::string& head) override
    {
        m_log.push_back("notice " + std::to_string(seconds) + " " + std::to_string(flags) + " " + head + "|" + text);
    }

private:
    Log& m_log;
};

class RecordingTable : public frame::GameTableView {
public:
    explicit RecordingTable(Log& log)
        : m_log(log)
    {
    }
    void ResetCards() override { m_log.push_back("reset cards"); }
    void OnRoundStart() override { m_log.push_back("round start"); }

private:
    Log& m_log;
};

class TestApp : public game::CardGameApp {
public:
    explicit TestApp(Log& log)
        : CardGameApp("KbZn", 21534, 1, 1)
        , view(log)
        , table(log)
    {
    }
    engine::RectObject* GetMainView() const override { return const_cast<RecordingView*>(&view); }
    engine::EngineObject* GetTableView() const override { return const_cast<RecordingTable*>(&table); }

    RecordingView view;
    RecordingTable table;
};

class CardGameAppTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() / ("kbzn_cardapp_" + std::to_string(getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir / "empty-bin");
        fs::create_directories(m_dir / "system");
        std::ofstream(m_dir / "system" / "runo.ini") << "[SYSTEM]\r\nExePath=" << (m_dir / "hall dir").string()
                                                     << "/Hall.exe\r\n";
        // No desktop tool runs here: the user's own associations stay untouched.
        m_env.emplace_back("PATH", (m_dir / "empty-bin").string());
        m_env.emplace_back("XDG_DATA_HOME", (m_dir / "data").string());
        m_env.emplace_back("KBZN_SYSTEM_DIR", (m_dir / "system").string());
        platform::SetExecutablePath((m_dir / "bin" / "KbZn").string());
    }
    void TearDown() override
    {
        platform::SetExecutablePath("");
        m_env.clear();
        fs::remove_all(m_dir);
    }
    std::string File(const std::string& name)
    {
        const fs::path path = m_dir / name;
        std::ofstream(path) << "replay";
        return path.string();
    }

    fs::path m_dir;
    Log log;

private:
    std::deque<ScopedEnv> m_env; // never moved: each restores its variable once
};

TEST_F(CardGameAppTest, CommandLineNamesAReplayOnlyWhenTheFileExists)
{
    fs::create_directories(m_dir / "folder.qhrep");
    const std::string self = (m_dir / "bin" / "KbZn").string();
    struct Case {
        std::string line;
        std::string path; // the stored replay path
        bool replay;
    };
    const std::string spaced = File("round one.qhrep");
    const std::string upper = File("round.QHREP");
    const std::string other = File("round.txt");
    const Case cases[] = {
        { "\"" + spaced + "\"", spaced, true },
        { "  " + spaced + "  ", spaced, true },
        { self + " \"" + spaced + "\"", spaced, true },
        // The extension test is exact and case-sensitive.
        { upper, upper, false },
        { other, other, false },
        // The lobby's argument, a missing file and a directory name no replay.
        { "127.0.0.1|21534|1001|12|3|0|0|4660|title", "", false },
        { (m_dir / "missing.qhrep").string(), "", false },
        { (m_dir / "folder.qhrep").string(), "", false },
        { "", "", false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        TestApp app(log);
        app.SetCommandLine(c.line);
        app.ParseCommandLine();
        EXPECT_EQ(app.GetReplayPath(), c.path);
        EXPECT_EQ(app.IsReplayMode(), c.replay);
        EXPECT_EQ(app.IsStandAlone(), c.replay);
    }
}

TEST_F(CardGameAppTest, ReplayFileTypeIsWrittenForTheDesktopAtEveryStart)
{
    TestApp app(log);
    const fs::path entry = m_dir / "data" / "applications" / "kbzn-vududivi.desktop";
    const fs::path package = m_dir / "data" / "mime" / "packages" / "kbzn-vududivi.xml";
    app.RegisterReplayFileType();
    const std::string entryText = ReadWholeFile(entry);
    const std::string hall = (m_dir / "hall dir").string();
    EXPECT_NE(entryText.find("Exec=\"" + hall + "/Zovudave.exe\" %f\n"), std::string::npos) << entryText;
    EXPECT_NE(entryText.find("Icon=" + hall + "/share/Image/common/replayico.ico\n"), std::string::npos);
    EXPECT_NE(entryText.find("MimeType=application/x-vududivi;\n"), std::string::npos);
    const std::string packageText = ReadWholeFile(package);
    EXPECT_NE(packageText.find("<glob pattern=\"*.qhrep\" case-sensitive=\"true\"/>"), std::string::npos);
    EXPECT_NE(packageText.find("<comment>" + platform::Gbk::ToUtf8("觅友存盘文件") + "</comment>"),
        std::string::npos);

    std::ofstream(entry, std::ios::trunc) << "changed by hand";
    fs::remove(package);
    app.RegisterReplayFileType();
    EXPECT_EQ(ReadWholeFile(entry), entryText);
    EXPECT_EQ(ReadWholeFile(package), packageText);
}

TEST_F(CardGameAppTest, LostConnectionClearsTheTableAndAsksForTheLobby)
{
    TestApp app(log);
    app.OnNetworkError();
    EXPECT_EQ(log, (Log { "reset cards", "round start", "notice 10 0 |您的网络出现了异常，请重新登录大厅。" }));
    EXPECT_TRUE(app.IsRestartPending());

    log.clear();
    TestApp alone(log);
    alone.SetStandAlone(true);
    alone.OnNetworkError();
    EXPECT_TRUE(log.empty());
    EXPECT_FALSE(alone.IsRestartPending());
}

TEST_F(CardGameAppTest, CardLayerDefaults)
{
    TestApp app(log);
    app.GetRoomInfo().SetOptionsC(frame::RoomInfo::kOptionC20000);
    EXPECT_FALSE(app.IsRoomOptionC20000());
    EXPECT_FALSE(app.RejectsViewCardRequests());
    EXPECT_EQ(app.GetTurnSeconds(), 20);
    EXPECT_EQ(app.GetLevelRank(), 0);
    EXPECT_EQ(app.GetMaxHandCards(), 64);
}

} // namespace
