// This game's table: the deal, the banker and friend signs, results, bonus
// frames and voices; and the game's logo pressed into the felt round the
// club's emblem in the middle of the table.
#include "tools/skin/SkinDraw.h"

#include <cmath>

namespace tools {

namespace {

using namespace skin;

constexpr const char* kGamePack = "skins/cardmaster.vkr";

// An ellipse's signed distance, good enough for thin antialiased rings.
Sdf Ellipse(float cx, float cy, float rx, float ry)
{
    return [=](float x, float y) {
        const float nx = (x - cx) / rx;
        const float ny = (y - cy) / ry;
        return (std::sqrt(nx * nx + ny * ny) - 1) * std::min(rx, ry);
    };
}

// The game's medallion: a wide gold ring with the game's name above and
// its four-player rule below, left open in the middle where the table
// shows the club's emblem (340 x 200), so the two read as one mark.
void AddLogo(std::vector<SkinPicture>& out, platform::FontRenderer& font)
{
    const int w = 560;
    const int h = 340;
    Canvas c(w, h);
    const float cx = w / 2.0f;
    const float cy = h / 2.0f;
    const uint32_t ring = WithAlpha(kGold, 0.32f);
    const uint32_t faint = WithAlpha(kGold, 0.2f);
    // A darker band between the two rings, like a groove in the felt.
    const Sdf outer = Ellipse(cx, cy, w / 2.0f - 4, h / 2.0f - 4);
    const Sdf inner = Ellipse(cx, cy, 186, 114);
    c.Fill([=](float x, float y) { return std::max(outer(x, y), -inner(x, y)); }, WithAlpha(0x0B2E19, 0.22f));
    c.Fill(Outline(Ellipse(cx, cy, w / 2.0f - 5, h / 2.0f - 5), 1.4f), ring);
    c.Fill(Outline(Ellipse(cx, cy, w / 2.0f - 12, h / 2.0f - 12), 0.6f), faint);
    c.Fill(Outline(Ellipse(cx, cy, 186, 114), 0.8f), faint);
    // Beads round the band, thinned out where the texts stand.
    const int beads = 56;
    for (int i = 0; i < beads; ++i) {
        const float a = 2 * kPi * i / beads;
        const float s = std::sin(a);
        if (std::fabs(s) > 0.8f)
            continue;
        const float x = cx + std::cos(a) * (w / 2.0f - 30);
        const float y = cy + s * (h / 2.0f - 30);
        c.Fill(Circle(x, y, i % 2 ? 1.6f : 2.6f), ring);
    }
    // The suits at the ends of the long axis.
    c.Fill(Spade(cx - (w / 2.0f - 30), cy, 20), WithAlpha(kGold, 0.3f));
    c.Fill(Heart(cx + (w / 2.0f - 30), cy, 20), WithAlpha(kGold, 0.3f));
    DrawTextCentred(c, font, "觅  友", cx, cy - 140, { 30, 700, WithAlpha(kGold, 0.42f), WithAlpha(0x000000, 0.25f) });
    DrawTextCentred(c, font, "四人同桌 · 亮牌找朋友", cx, cy + 140, { 14, 400, WithAlpha(kPaper, 0.34f), 0 });
    Add(out, "logo", { c });
}

} // namespace

void DrawGameTableSkin(SkinFiles& skin, platform::FontRenderer& font)
{
    AddLogo(skin.pictures[kGamePack], font);
}

} // namespace tools
