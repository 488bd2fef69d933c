// Match panels and lists, the safe box and its keypad.
#include "tools/SkinDraw.h"

namespace tools {

namespace {

using namespace skin;

// The safe box's banner across the top of its dialog: a strongbox on the
// left, the name and a line that invites a click (it opens the pay page).
Canvas SafeBoxAdvert(platform::FontRenderer& font)
{
    constexpr int kW = 336;
    constexpr int kH = 48;
    Canvas c(kW, kH);
    c.Fill([](float, float) { return -1.0f; }, [](int x, int y) { return WoodAt(x, y, false, y / 48.0f * 0.8f); });
    c.Fill(Outline(RoundRect(1.5f, 1.5f, kW - 1.5f, kH - 1.5f, 3), 0.7f), kGold);
    // The strongbox: a body, a door, a dial and two hinges.
    c.FillVertical(RoundRect(12, 8, 52, 42, 3), 8, 42, Argb(0x9AA6B0), Argb(0x4A5560));
    c.Fill(Outline(RoundRect(16, 12, 48, 38, 2), 0.8f), Argb(0x2C343C));
    c.Fill(Circle(32, 25, 7), Argb(0xD8DEE4));
    c.Fill(Outline(Circle(32, 25, 7), 0.8f), Argb(0x2C343C));
    c.Fill(Segment(32, 25, 36, 21, 1.2f), Argb(0x2C343C));
    c.Fill(RoundRect(13, 15, 16, 20, 1), kGoldDark);
    c.Fill(RoundRect(13, 30, 16, 35, 1), kGoldDark);
    DrawTextAt(c, font, "保险箱", 64, 8, { 18, 700, kGold, Argb(0x1A0E04) });
    DrawTextAt(c, font, "银子存得安心，取得方便", 64, 30, { 12, 400, Argb(0xF2E2B8) });
    DrawTextAt(c, font, "充值 >>", 270, 17, { 12, 700, Argb(0xFFE08A), Argb(0x1A0E04) });
    return c;
}

// The frame round the amount, drawn 5 pixels below the top of its caption
// ("您在保险箱存有现银："): a soft panel whose top rule leaves a gap where the
// caption sits on it.
Canvas SafeBoxRule()
{
    constexpr int kW = 326;
    constexpr int kH = 39;
    constexpr float kGapLeft = 4;
    constexpr float kGapRight = 132;
    Canvas c(kW, kH);
    c.Fill(RoundRect(0.5f, 0.5f, kW - 0.5f, kH - 0.5f, 5), WithAlpha(kPaperDark, 0.55f));
    const Sdf outline = Outline(RoundRect(0.5f, 0.5f, kW - 0.5f, kH - 0.5f, 5), 0.6f);
    c.Fill([=](float x, float y) { return (y < 3 && x > kGapLeft && x < kGapRight) ? 1.0f : outline(x, y); },
        kGoldDark);
    return c;
}

} // namespace

void DrawMatchSkin(SkinFiles& skin, platform::FontRenderer& font)
{
    std::vector<SkinPicture>& frame = skin.pictures[kSkinFramePack];
    Add(frame, "保险箱广告", { SafeBoxAdvert(font) });
    Add(frame, "保险箱框线", { SafeBoxRule() });
    // Captioned by the dialog.
    Add(frame, "保险箱按钮", ButtonFrames(90, 26, 6, kGoldButton, [](Canvas&, float, float, uint32_t) { }));
}

} // namespace tools
