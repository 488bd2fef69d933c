// The side pane's bars that other areas of the client make. Each area
// answers here with its own bar; until then the pane goes without it, as
// it does in the programs that have no such bar.

#include "frame/ui/SubSystem.h"

#include "frame/ui/MatchListBar.h"

namespace frame {

std::unique_ptr<engine::EngineObject> MakeAdvertBar()
{
    return nullptr;
}

std::unique_ptr<engine::EngineObject> MakeUserListBar(bool /*silverRoom*/)
{
    return nullptr;
}

std::unique_ptr<engine::EngineObject> MakeMatchListBar()
{
    return std::make_unique<MatchListBar>();
}

std::unique_ptr<engine::EngineObject> MakeOperateBar()
{
    return nullptr;
}

void MakeOperateButtons(InputBar& /*bar*/)
{
}

} // namespace frame
