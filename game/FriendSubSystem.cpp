#include "game/FriendSubSystem.h"

#include "frame/ui/FaceTables.h"
#include "frame/ui/MainViewProtocol.h"
#include "frame/ui/InputBar.h"
#include "frame/ui/PaneBarCalls.h"

namespace game {

int FriendSubSystem::OnEvent(const engine::EngineEvent& event)
{
    // Entering the table, as player or looker-on, brings the score history
    // the enter reply restored.
    if (event.code == frame::EVT_CHILD_ENTERED || event.code == frame::EVT_CHILD_ENTERED_LOOK_ON) {
        RefreshScores();
        return 1;
    }
    return SubSystem::OnEvent(event);
}

void FriendSubSystem::RefreshScores()
{
    if (auto* advert = dynamic_cast<frame::PaneBarCalls*>(FindObjectByName(frame::kAdvertBarName))) {
        advert->RefreshHistory();
        advert->DrawHistory();
    }
}

void FriendSubSystem::LoadQuickPhrases()
{
    if (frame::InputBar* bar = GetInputBar())
        for (const std::string_view phrase : frame::QuickChatPhrases())
            bar->AddQuickPhrase(phrase);
}

} // namespace game
