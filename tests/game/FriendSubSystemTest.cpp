// This game's side pane: its quick-chat phrases are the game's sixteen, not
// the frame's ten, and the game's notification handler reaches it as a pane
// of the game.
#include "tests/frame/ui/SidePaneHost.h"

#include "frame/ui/FaceTables.h"
#include "frame/ui/InputBar.h"
#include "frame/ui/SubSystem.h"
#include "game/FriendSubSystem.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class GamePane : public frameuitest::SidePaneHost { };

TEST_F(GamePane, OffersTheGamesSixteenPhrasesAndAnswersAsTheGamesPane)
{
    MakePicture("SystemInputBar", 160, 30, 0x305030);
    MakePicture("InputBoxBkg", 60, 24, 0xF0F0F0);
    MakePicture("btnQuickChat", 20, 20, 0x2080C0, 4);
    MakePicture("btnSendChat", 40, 22, 0x20A040, 4);
    auto* pane = static_cast<game::FriendSubSystem*>(root->RegisterObject(std::make_unique<game::FriendSubSystem>()));
    pane->SetRect({ 0, 0, kWidth, kHeight });
    Frame();
    ASSERT_NE(pane->GetInputBar(), nullptr);
    const std::list<std::string>& phrases = pane->GetInputBar()->GetPhrases();
    std::vector<std::string> expected;
    for (const std::string_view phrase : frame::QuickChatPhrases())
        expected.emplace_back(phrase);
    EXPECT_EQ(std::vector<std::string>(phrases.begin(), phrases.end()), expected);
    EXPECT_EQ(expected.size(), static_cast<size_t>(frame::kQuickChatCount));

    engine::EngineObject* asObject = pane;
    EXPECT_NE(dynamic_cast<game::FriendPaneCalls*>(asObject), nullptr);
}

} // namespace
