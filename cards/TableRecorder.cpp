#include "cards/TableRecorder.h"

namespace game {

std::unique_ptr<engine::EngineObject> MakeTableRecorder(CGameFrameApp& app, bool matchMode)
{
    if (matchMode)
        return std::make_unique<TableRecorder<frame::MatchReplayRecorder>>(app);
    return std::make_unique<TableRecorder<frame::ReplayRecorder>>(app);
}

} // namespace game
