// This game's panels: card counter, settings, emoticons, award marquee and chat bubbles.
#include "tools/SkinDraw.h"

namespace tools {

void DrawGamePanelSkin(SkinFiles& skin, platform::FontRenderer& font)
{
    (void)skin;
    (void)font;
}

} // namespace tools
