// The application's sign request to the stand-in lobby over the desktop
// channel: the answer reaches the waiting request, and a lobby that does
// not answer gives an empty sign after the wait.

#include "frame/core/CGameFrameApp.h"
#include "frame/core/HallRecords.h"
#include "frame/core/WebAddresses.h"
#include "platform/DesktopChannel.h"
#include "tools/lobby/StandInLobby.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

class SignApp : public CGameFrameApp {
public:
    SignApp()
        : CGameFrameApp("KbZn", 21534, 1, 1)
    {
    }
    int GetChairCount() const override { return 4; }
};

class HallSignTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // The application finds the lobby on the user's desktop channel:
        // one of this test's own.
        std::string pattern = (fs::temp_directory_path() / "kbzn-sign-XXXXXX").string();
        s_root = ::mkdtemp(pattern.data()) ? pattern : std::string();
        setenv("XDG_RUNTIME_DIR", s_root.c_str(), 1);
    }
    static void TearDownTestSuite() { fs::remove_all(s_root); }

    std::string Sign(bool lobbyAnswers)
    {
        tools::LobbyOptions options;
        options.answerSigns = lobbyAnswers;
        tools::StandInLobby lobby(platform::DesktopChannel::Desktop(), options);
        EXPECT_TRUE(lobby.Start());
        SignApp app;
        EXPECT_TRUE(app.ParseHallArgs("\"7|127.0.0.1|3|" + std::to_string(lobby.Handle()) + "|0|10001|5|2|0|0|KbZn|1|0|0|0\""));
        std::string sign = app.FetchHallSign();
        const auto asked = lobby.WaitForEvent(
            [](const tools::LobbyEvent& e) {
                return e.kind == tools::LobbyEvent::Kind::kPosted && e.message == frame::WM_HALL_GETSIGN;
            },
            1000);
        EXPECT_TRUE(asked);
        return sign;
    }

    static inline std::string s_root;
};

TEST_F(HallSignTest, TheLobbysAnswerReachesTheRequest)
{
    EXPECT_EQ(Sign(true), "stand-in-sign");
}

TEST_F(HallSignTest, SignedAddressesCarryTheLobbysSign)
{
    tools::StandInLobby lobby(platform::DesktopChannel::Desktop(), tools::LobbyOptions {});
    ASSERT_TRUE(lobby.Start());
    SignApp app;
    ASSERT_TRUE(app.ParseHallArgs("\"7|127.0.0.1|3|" + std::to_string(lobby.Handle()) + "|0|10001|5|2|0|0|KbZn|1|0|0|0\""));
    EXPECT_EQ(app.BuildSignedUrl("http://pay.example/top", true),
        frame::AppendUrlQuery("http://pay.example/top", frame::SignQuery(10001, "stand-in-sign")));
    EXPECT_EQ(app.BuildSignedUrl("http://pay.example/top", false), "http://pay.example/top");
}

TEST_F(HallSignTest, ALobbyThatDoesNotAnswerGivesAnEmptySign)
{
    EXPECT_EQ(Sign(false), "");
}

TEST_F(HallSignTest, WithoutALobbyNothingIsAsked)
{
    SignApp app;
    ASSERT_TRUE(app.ParseHallArgs("\"7|127.0.0.1|3|12345|0|10001|5|2|0|0|KbZn|1|0|0|0\""));
    EXPECT_EQ(app.FetchHallSign(), "");
    EXPECT_EQ(app.SendTextToHall("http://a/", 1), 0);
}

} // namespace
