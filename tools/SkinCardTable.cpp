// The card table's buttons, signs and clock.
#include "tools/SkinDraw.h"

namespace tools {

void DrawCardTableSkin(SkinFiles& skin, platform::FontRenderer& font)
{
    (void)skin;
    (void)font;
}

} // namespace tools
