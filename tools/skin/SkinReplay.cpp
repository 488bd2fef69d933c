// The replay panel: its board, the five round transport buttons (play and
// its pause look, stop, previous step, next step, open) and the progress
// bar's track, fill and thumb.
#include "tools/skin/SkinDraw.h"

namespace tools {

namespace {

using namespace skin;

// The pack the main view loads in replay mode.
constexpr const char* kReplayPack = "skins/replay.vkr";

constexpr int kBoardWidth = 440;
constexpr int kBoardHeight = 50;
constexpr int kButtonSize = 28;
constexpr int kBarWidth = 200;
constexpr int kBarHeight = 10;
constexpr int kThumbWidth = 12;
constexpr int kThumbHeight = 18;

// Dark wood with a gold rim, a felt strip along the middle where the
// buttons and the bar sit.
Canvas Board()
{
    const float w = kBoardWidth;
    const float h = kBoardHeight;
    Canvas c(kBoardWidth, kBoardHeight);
    const Sdf body = RoundRect(0, 0, w, h, 10);
    c.Fill(body, [](int x, int y) { return WoodAt(x, y, false, 0.35f + y / static_cast<float>(kBoardHeight) * 0.5f); });
    c.FillVertical(RoundRect(7, 6, w - 7, h - 6, 7), 6, kBoardHeight - 6, kFeltDark, Darker(kFeltDark, 0.35f));
    c.Fill(Outline(RoundRect(7, 6, w - 7, h - 6, 7), 0.6f), WithAlpha(0x000000, 0.55f));
    c.Fill(Outline(RoundRect(1.5f, 1.5f, w - 1.5f, h - 1.5f, 9), 0.9f), kGold);
    c.Fill(Outline(RoundRect(4, 4, w - 4, h - 4, 8), 0.5f), WithAlpha(kGoldDark, 0.8f));
    return c;
}

// The glyphs, centred at (cx, cy), about 12 pixels tall.
LabelPainter PlayGlyph()
{
    return [](Canvas& c, float cx, float cy, uint32_t ink) {
        c.Fill(Triangle(cx - 3.5f, cy - 6.5f, cx - 3.5f, cy + 6.5f, cx + 6.5f, cy), ink);
    };
}

LabelPainter PauseGlyph()
{
    return [](Canvas& c, float cx, float cy, uint32_t ink) {
        c.Fill(RoundRect(cx - 5.5f, cy - 6, cx - 1.5f, cy + 6, 1), ink);
        c.Fill(RoundRect(cx + 1.5f, cy - 6, cx + 5.5f, cy + 6, 1), ink);
    };
}

LabelPainter StopGlyph()
{
    return [](Canvas& c, float cx, float cy, uint32_t ink) { c.Fill(RoundRect(cx - 5.5f, cy - 5.5f, cx + 5.5f, cy + 5.5f, 1.5f), ink); };
}

// A bar on the side the step goes to and a triangle pointing there.
LabelPainter StepGlyph(bool forward)
{
    return [forward](Canvas& c, float cx, float cy, uint32_t ink) {
        const float s = forward ? 1.0f : -1.0f;
        c.Fill(Triangle(cx - 5 * s, cy - 6, cx - 5 * s, cy + 6, cx + 3 * s, cy), ink);
        const float bar = cx + 4.5f * s;
        c.Fill(RoundRect(bar - 1.6f, cy - 6, bar + 1.6f, cy + 6, 0.8f), ink);
    };
}

// A folder with its tab.
LabelPainter FolderGlyph()
{
    return [](Canvas& c, float cx, float cy, uint32_t ink) {
        c.Fill(RoundRect(cx - 7, cy - 6, cx - 1, cy - 2, 1.2f), ink);
        c.Fill(RoundRect(cx - 7, cy - 4, cx + 7, cy + 6, 1.5f), ink);
        c.Fill(RoundRect(cx - 5.5f, cy - 1.5f, cx + 5.5f, cy + 4.5f, 1), WithAlpha(0xFFFFFF, 0.35f));
    };
}

std::vector<Canvas> RoundButton(const LabelPainter& glyph)
{
    return ButtonFrames(kButtonSize, kButtonSize, kButtonSize / 2.0f, kGoldButton, glyph);
}

// Frame 0 the groove, frame 1 the gold fill laid over it from the left.
std::vector<Canvas> ProgressBar()
{
    const float w = kBarWidth;
    const float h = kBarHeight;
    Canvas track(kBarWidth, kBarHeight);
    track.FillVertical(RoundRect(0, 0, w, h, h / 2), 0, kBarHeight, Argb(0x0A1A10), Argb(0x24402E));
    track.Fill(Outline(RoundRect(0.5f, 0.5f, w - 0.5f, h - 0.5f, h / 2 - 0.5f), 0.5f), WithAlpha(kGoldDark, 0.9f));
    Canvas fill(kBarWidth, kBarHeight);
    fill.FillVertical(RoundRect(0, 0, w, h, h / 2), 0, kBarHeight, Argb(0xFFE89A), kGoldDark);
    fill.Fill(RoundRect(2, 1.5f, w - 2, h / 2, h / 4), WithAlpha(0xFFFFFF, 0.35f));
    return { track, fill };
}

// The bar's thumb: a gold knob a little taller than the bar.
Canvas Thumb()
{
    Canvas c(kThumbWidth, kThumbHeight);
    const float w = kThumbWidth;
    const float h = kThumbHeight;
    c.Fill(RoundRect(0, 0, w, h, 4), kGoldDark);
    c.FillVertical(RoundRect(1, 1, w - 1, h - 1, 3), 1, kThumbHeight - 1, Argb(0xFFF0B0), kGold);
    for (float x : { w / 2 - 2, w / 2 + 2 })
        c.Fill(Segment(x, 5, x, h - 5, 0.5f), WithAlpha(kGoldDark, 0.9f));
    return c;
}

} // namespace

void DrawReplaySkin(SkinFiles& skin, platform::FontRenderer&)
{
    std::vector<SkinPicture>& pack = skin.pictures[kReplayPack];
    Add(pack, "Rep_bitBoard", { Board() });
    Add(pack, "Rep_btnPlay", RoundButton(PlayGlyph()));
    Add(pack, "Rep_btnStop", RoundButton(PauseGlyph())); // the play button while playing
    Add(pack, "Rep_btnReset", RoundButton(StopGlyph()));
    Add(pack, "Rep_btnPreStep", RoundButton(StepGlyph(false)));
    Add(pack, "Rep_btnNextStep", RoundButton(StepGlyph(true)));
    Add(pack, "Rep_btnOpenFile", RoundButton(FolderGlyph()));
    Add(pack, "Rep_Rrogressbar", ProgressBar());
    Add(pack, "Rep_Thumb", { Thumb() });
}

} // namespace tools
