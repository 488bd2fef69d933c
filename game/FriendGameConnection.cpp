#include "game/FriendGameConnection.h"

#include "frame/core/CGameFrameApp.h"
#include "game/FriendTableCalls.h"

namespace game {

void FriendGameConnection::LogFailedRequest(uint32_t requestId, uint32_t code) const
{
    const auto* app = dynamic_cast<const FriendAppCalls*>(GetApp());
    if (app && app->IsExitAgreed())
        return;
    CardGameConnection::LogFailedRequest(requestId, code);
}

} // namespace game
