// The main view of a match program: it makes the match panels, hands them
// the match's replies and notifications, and writes the welcome line after
// the side pane has cleared its chat for the match.
#include "GameFrameHost.h"

#include "engine/controls/widgets/ImageButton.h"
#include "engine/objects/SpriteObject.h"
#include "frame/ui/MatchPanels.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace gameframetest {
namespace {

class MatchView : public GameFrameHost {
protected:
    void SetUp() override
    {
        // User 10001, with a seat in the match.
        ASSERT_TRUE(app.ParseHallArgs("\"7|127.0.0.1|3|0|0|10001|5|2|0|0|KbZn|21534|0|0|0\""));
        app.GetMatchSeat(0)->SetUserId(10001);
        app.SetMatchMode(true);
        loadMore = [this] {
            Picture("animation_WaitArrangeTable", 60, 30, 0x00ff00, 2);
            Picture("animation_NoSignUp", 60, 30, 0x00ff00, 2);
            Picture("btn_signup", 40, 16, 0xff0000, 4);
            Picture("btn_giveup", 40, 16, 0x0000ff, 4);
        };
    }
    size_t Find(const std::string& line) const
    {
        return static_cast<size_t>(std::find_if(log.begin(), log.end(), [&](const std::string& l) {
            return l.rfind(line, 0) == 0;
        }) - log.begin());
    }
};

TEST_F(MatchView, RepliesReachThePanelsAndTheWelcomeFollowsThePanesClear)
{
    if (!Start(1024))
        GTEST_SKIP() << "no video driver";
    MatchPanels* panels = gameFrame->GetMatchPanels();
    ASSERT_NE(panels, nullptr);

    gameFrame->ShowNotSignedUp(nullptr, 0);
    Frame();
    EXPECT_TRUE(panels->GetWaitAnimation()->IsShown());
    EXPECT_TRUE(panels->GetSignUpButton()->IsShown());

    log.clear();
    gameFrame->OnMatchEnterReply(nullptr, 0);
    const size_t cleared = Find("pane " + std::to_string(EVT_CHILD_PANE_MATCH_ENTERED));
    const size_t welcome = Find("pane " + std::to_string(EVT_CHILD_SYSTEM_LINE));
    ASSERT_LT(cleared, log.size());
    ASSERT_LT(welcome, log.size());
    EXPECT_LT(cleared, welcome);
    EXPECT_NE(log[welcome].find("欢迎加入比赛"), std::string::npos);

    // A new round hides the panels and tells the table.
    log.clear();
    gameFrame->OnMatchNextRound();
    EXPECT_FALSE(panels->GetWaitAnimation()->IsShown());
    EXPECT_LT(Find("table " + std::to_string(EVT_CHILD_NEXT_ROUND)), log.size());
}

TEST_F(MatchView, AnOrdinaryProgramHasNoMatchPanels)
{
    app.SetMatchMode(false);
    if (!Start(1024))
        GTEST_SKIP() << "no video driver";
    EXPECT_EQ(gameFrame->GetMatchPanels(), nullptr);
    log.clear();
    gameFrame->OnMatchNextRound();
    EXPECT_LT(Find("table " + std::to_string(EVT_CHILD_NEXT_ROUND)), log.size());
}

} // namespace
} // namespace gameframetest
