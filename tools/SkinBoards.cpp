// The player boards: plates and frames, rank badges, digits, lamps and their animations.
#include "tools/SkinDraw.h"

namespace tools {

void DrawBoardSkin(SkinFiles& skin, platform::FontRenderer& font)
{
    (void)skin;
    (void)font;
}

} // namespace tools
