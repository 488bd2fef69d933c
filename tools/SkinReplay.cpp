// The replay panel and its buttons.
#include "tools/SkinDraw.h"

namespace tools {

void DrawReplaySkin(SkinFiles& skin, platform::FontRenderer& font)
{
    (void)skin;
    (void)font;
}

} // namespace tools
