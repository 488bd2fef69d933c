// The side pane: system pane, chat box, input bar, user list, operate and advertisement bars.
#include "tools/SkinDraw.h"

namespace tools {

void DrawSidePaneSkin(SkinFiles& skin, platform::FontRenderer& font)
{
    (void)skin;
    (void)font;
}

} // namespace tools
