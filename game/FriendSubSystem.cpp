#include "game/FriendSubSystem.h"

#include "frame/ui/FaceTables.h"
#include "frame/ui/InputBar.h"
#include "frame/ui/PaneBarCalls.h"

namespace game {

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
