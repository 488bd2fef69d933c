// The side pane: system pane, chat box and input bar.
#include "tools/SkinDraw.h"

namespace tools {

void DrawSidePaneSkin(SkinFiles& skin, platform::FontRenderer& font)
{
    (void)skin;
    (void)font;
}

} // namespace tools
