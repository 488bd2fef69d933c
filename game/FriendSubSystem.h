#pragma once
// This game's side pane: the frame's pane with the game's sixteen
// quick-chat phrases, and the score tab brought up to date when a round's
// result arrives.

#include "frame/ui/SubSystem.h"
#include "game/FriendTableCalls.h"

namespace game {

class FriendSubSystem : public frame::SubSystem, public FriendPaneCalls {
public:
    int OnEvent(const engine::EngineEvent& event) override;
    // The advertisement bar's score tab shows the new totals.
    void RefreshScores() override;
    void RefreshMatchList() override { SubSystem::RefreshMatchList(); }

protected:
    void LoadQuickPhrases() override;
};

} // namespace game
