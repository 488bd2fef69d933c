// The side pane's lists and bars: user list, operate buttons, advertisement bar.
#include "tools/SkinDraw.h"

namespace tools {

void DrawSideListSkin(SkinFiles& skin, platform::FontRenderer& font)
{
    (void)skin;
    (void)font;
}

} // namespace tools
