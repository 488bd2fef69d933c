// This game's table: the deal, the banker and friend signs, results, bonus frames and voices.
#include "tools/SkinDraw.h"

namespace tools {

void DrawGameTableSkin(SkinFiles& skin, platform::FontRenderer& font)
{
    (void)skin;
    (void)font;
}

} // namespace tools
