// The side pane's bars, each made by one function so that a program can
// go without one (the pane then does without it).
#include "frame/ui/SubSystem.h"

#include "engine/controls/widgets/ImageButton.h"
#include "frame/ui/AdvertBar.h"
#include "frame/ui/InputBar.h"
#include "frame/ui/MatchListBar.h"
#include "frame/ui/OperateBar.h"
#include "frame/ui/UserListBar.h"

namespace frame {

std::unique_ptr<engine::EngineObject> MakeAdvertBar()
{
    return std::make_unique<AdvertBar>();
}

std::unique_ptr<engine::EngineObject> MakeUserListBar(bool /*silverRoom*/)
{
    // The list picks its room's columns itself when it is created.
    return std::make_unique<UserListBar>();
}

std::unique_ptr<engine::EngineObject> MakeMatchListBar()
{
    return std::make_unique<MatchListBar>();
}

std::unique_ptr<engine::EngineObject> MakeOperateBar()
{
    return std::make_unique<OperateBar>();
}

void MakeOperateButtons(engine::GameObject& pane, InputBar& bar)
{
    CreateOperateButtons(pane, [&bar](engine::ImageButton* button) { bar.AddButton(button); });
}

} // namespace frame
