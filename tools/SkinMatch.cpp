// Match panels and lists, the safe box and its keypad.
#include "tools/SkinDraw.h"

namespace tools {

void DrawMatchSkin(SkinFiles& skin, platform::FontRenderer& font)
{
    (void)skin;
    (void)font;
}

} // namespace tools
