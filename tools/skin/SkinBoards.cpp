// The player boards: plates and frames, rank badges, digits, lamps and their animations.
#include "tools/skin/SkinDraw.h"

#include <array>
#include <string>

namespace tools {

using namespace skin;

namespace {

// The game's own pack (loaded after the frame's).
constexpr const char* kBoardPack = "skins/common.vkr";

constexpr int kPlateWidth = 300;
constexpr int kPlateHeight = 46;

// The name plate: the status slot at the left (rank badge, automatic play,
// offline), the portrait's frame at x 80, the name in the middle and the
// round's numbers at the right. Frames: 0 plain, 1 lit (hover, or the turn
// on the card layer's board), 2 the banker's side, 3 the banker's side lit.
Canvas Plate(bool team, bool lit)
{
    const int w = kPlateWidth;
    const int h = kPlateHeight;
    Canvas c(w, h);
    const Sdf body = RoundRect(0, 0, static_cast<float>(w), static_cast<float>(h), 10);
    if (team)
        c.FillVertical(body, 0, h, Argb(0x8E2A1C), Argb(0x4A120A));
    else
        c.Fill(body, [](int x, int y) { return WoodAt(x, y, false, 0.55f); });
    // The slot of the status signs and the name's panel.
    c.Fill(RoundRect(5, 5, 76, static_cast<float>(h - 5), 6), WithAlpha(0x06140C, 0.55f));
    c.Fill(RoundRect(116, 6, 196, static_cast<float>(h - 6), 5), WithAlpha(0x000000, 0.3f));
    c.Fill(RoundRect(200, 6, static_cast<float>(w - 6), static_cast<float>(h - 6), 5), WithAlpha(0x000000, 0.18f));
    // The portrait's frame.
    c.Fill(Outline(RoundRect(79, static_cast<float>(h - 34), 113, static_cast<float>(h - 0.5f), 3), 0.8f),
        WithAlpha(kGoldDark, 0.9f));
    const uint32_t rim = lit ? Argb(0xFFE890) : (team ? kGold : WithAlpha(kGold, 0.85f));
    c.Fill(Outline(RoundRect(1.5f, 1.5f, w - 1.5f, h - 1.5f, 9), lit ? 1.4f : 0.8f), rim);
    if (lit)
        c.Fill(Outline(RoundRect(4, 4, w - 4.0f, h - 4.0f, 7), 0.6f), WithAlpha(0xFFF2C0, 0.55f));
    if (team) {
        // A small banner flag in the slot's corner marks the banker's side.
        c.Fill(Triangle(64, 8, 74, 12, 64, 16), kGold);
        c.Fill(Segment(64, 8, 64, 22, 0.6f), kGold);
    }
    return c;
}

// A face at the portrait's size (32 x 32): skin, hair, eyes and a smile,
// each look its own colours and hair.
struct Look {
    uint32_t ground;
    uint32_t skin;
    uint32_t hair;
    bool longHair;
    uint32_t shirt;
};

constexpr std::array<Look, 6> kLooks { {
    { Argb(0x3C6E8C), Argb(0xF2C9A0), Argb(0x2A1A10), false, Argb(0x2C4A9A) }, // 0: the default figure
    { Argb(0x7C3C5C), Argb(0xF6D2B4), Argb(0x1A0E08), true, Argb(0xC83A5A) },
    { Argb(0x3C7C4C), Argb(0xE2B088), Argb(0x6A3A18), false, Argb(0x2E7A3E) },
    { Argb(0x8C6A2C), Argb(0xF8DCC0), Argb(0xB8862C), true, Argb(0xE0A030) },
    { Argb(0x4C4C7C), Argb(0xD8A07C), Argb(0x101010), false, Argb(0x5A2A8A) },
    { Argb(0x8C3A2C), Argb(0xF4CCAA), Argb(0x8A2A10), true, Argb(0x2A8A8A) },
} };

Canvas Face(const Look& look, float s)
{
    // Drawn on a 32-unit grid scaled by s.
    const int size = static_cast<int>(32 * s);
    Canvas c(size, size);
    c.Fill(RoundRect(0, 0, size, size, 4 * s), look.ground);
    if (look.longHair)
        c.Fill(RoundRect(7 * s, 8 * s, 25 * s, 30 * s, 6 * s), look.hair);
    c.Fill(Circle(16 * s, 36 * s, 13 * s), look.shirt);
    c.Fill(Circle(16 * s, 15 * s, 8.5f * s), look.skin);
    c.Fill(RoundRect(7.5f * s, 5 * s, 24.5f * s, 12 * s, 4 * s), look.hair);
    c.Fill(Circle(13 * s, 15.5f * s, 1.1f * s), Argb(0x1A1008));
    c.Fill(Circle(19 * s, 15.5f * s, 1.1f * s), Argb(0x1A1008));
    c.Fill(Arc(16 * s, 17 * s, 3.5f * s, 0.5f, 2.6f, 0.6f * s), Argb(0x9A3A2A));
    c.Fill(Outline(RoundRect(0.5f, 0.5f, size - 0.5f, size - 0.5f, 4 * s), 0.5f), WithAlpha(0x000000, 0.5f));
    return c;
}

// The standing figure (135 x 270), facing right.
Canvas Figure(const Look& look)
{
    Canvas c(135, 270);
    const uint32_t trousers = Darker(look.shirt, 0.55f);
    c.Fill(RoundRect(46, 170, 64, 258, 6), trousers);
    c.Fill(RoundRect(71, 170, 89, 258, 6), trousers);
    c.Fill(RoundRect(42, 252, 66, 264, 5), Argb(0x2A1A10));
    c.Fill(RoundRect(69, 252, 96, 264, 5), Argb(0x2A1A10));
    c.FillVertical(RoundRect(38, 84, 97, 182, 16), 84, 182, look.shirt, Darker(look.shirt, 0.3f));
    c.Fill(RoundRect(26, 90, 40, 164, 7), look.shirt);
    c.Fill(RoundRect(95, 90, 109, 150, 7), look.shirt);
    c.Fill(Circle(33, 168, 7), look.skin);
    c.Fill(Circle(104, 154, 7), look.skin);
    c.Fill(RoundRect(61, 76, 75, 90, 3), look.skin);
    if (look.longHair) {
        c.Fill(RoundRect(41, 34, 57, 110, 8), look.hair);
        c.Fill(RoundRect(79, 34, 95, 104, 8), look.hair);
    }
    c.Fill(Circle(68, 56, 25), look.skin);
    c.Fill(RoundRect(42, 26, 94, 48, 14), look.hair);
    c.Fill(Circle(75, 56, 2.6f), Argb(0x1A1008));
    c.Fill(Circle(88, 56, 2.6f), Argb(0x1A1008));
    c.Fill(Arc(80, 63, 8, 0.5f, 2.4f, 1.3f), Argb(0x9A3A2A));
    return c;
}

// Digits 0-9 and a minus sign, one frame each, gold or cream with a dark
// rim so they read on felt and on wood.
std::vector<Canvas> DigitStrip(platform::FontRenderer& font, int w, int h, int size, uint32_t top, uint32_t bottom)
{
    std::vector<Canvas> frames;
    const char* glyphs = "0123456789-";
    for (int i = 0; glyphs[i]; ++i) {
        Canvas text(w, h);
        DrawTextCentred(text, font, std::string(1, glyphs[i]), w / 2.0f, h / 2.0f, { size, 700, Argb(0xFFFFFF), 0 });
        Canvas c(w, h);
        // A dark rim: the glyph's cover spread by one pixel.
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                float cover = 0;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                        if (x + dx >= 0 && y + dy >= 0 && x + dx < w && y + dy < h)
                            cover = std::max(cover, Channel(text.At(x + dx, y + dy), 24) / 255.0f);
                c.Blend(x, y, Argb(0x1A0C04), cover);
            }
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                c.Blend(x, y, Mix(top, bottom, static_cast<float>(y) / h), Channel(text.At(x, y), 24) / 255.0f);
        frames.push_back(std::move(c));
    }
    return frames;
}

Canvas Word(platform::FontRenderer& font, const char* text, int w, int h, int size, uint32_t colour)
{
    Canvas c(w, h);
    DrawTextCentred(c, font, text, w / 2.0f, h / 2.0f, { size, 700, colour, Argb(0x1A0C04) });
    return c;
}

// A sign of the status slot (64 x 30): a pill with its word.
Canvas Sign(platform::FontRenderer& font, const char* text, uint32_t top, uint32_t bottom)
{
    Canvas c(64, 30);
    c.FillVertical(RoundRect(1, 1, 63, 29, 14), 1, 29, top, bottom);
    c.Fill(Outline(RoundRect(1.5f, 1.5f, 62.5f, 28.5f, 13), 0.7f), kGold);
    DrawTextCentred(c, font, text, 32, 15, { 14, 700, Argb(0xFFF6D8), Argb(0x000000) });
    return c;
}

// The warning lamp: a red halo that flashes round the count of the last
// cards (12 frames, lit and dimmed in turn).
std::vector<Canvas> Lamp()
{
    std::vector<Canvas> frames;
    for (int f = 0; f < 12; ++f) {
        // Each flash a little weaker than the one before.
        const float strength = f % 2 == 0 ? 1.0f - f * 0.03f : 0.3f + f * 0.01f;
        Canvas c(72, 52);
        for (int y = 0; y < c.Height(); ++y)
            for (int x = 0; x < c.Width(); ++x) {
                const float dx = (x + 0.5f - 36) / 36;
                const float dy = (y + 0.5f - 26) / 26;
                const float d = std::sqrt(dx * dx + dy * dy);
                if (d < 1)
                    c.Blend(x, y, Argb(0xFF2A14), strength * (1 - d) * 0.9f);
            }
        c.Fill(Outline(RoundRect(6, 6, 66, 46, 20), 1.2f), WithAlpha(0xFF6040, strength));
        frames.push_back(std::move(c));
    }
    return frames;
}

// "Ready": the word on a green pill that rises a little (4 frames).
std::vector<Canvas> Ready(platform::FontRenderer& font)
{
    std::vector<Canvas> frames;
    for (int f = 0; f < 4; ++f) {
        Canvas c(96, 44);
        const float lift = f * 0.75f;
        c.FillVertical(RoundRect(2, 6 - lift, 94, 42 - lift, 12), 6, 42, Argb(0x5DBB63), Argb(0x1E6A2A));
        c.Fill(Outline(RoundRect(2.5f, 6.5f - lift, 93.5f, 41.5f - lift, 11.5f), 0.8f), kGold);
        c.Fill(Star(14, 24 - lift, 3, 7), kGold);
        DrawTextCentred(c, font, "准备", 54, 24 - lift, { 20, 700, Argb(0xFFFFFF), Argb(0x0A3010) });
        frames.push_back(std::move(c));
    }
    return frames;
}

// The finishing places: 头游, 二游, 三游, 末游.
std::vector<Canvas> Ranks(platform::FontRenderer& font)
{
    const std::array<const char*, 4> words { "头游", "二游", "三游", "末游" };
    const std::array<uint32_t, 4> tops { Argb(0xFFE070), Argb(0xE8ECF4), Argb(0xE6A070), Argb(0x9AA0A8) };
    std::vector<Canvas> frames;
    for (size_t i = 0; i < words.size(); ++i) {
        Canvas c(96, 48);
        c.Fill(Star(24, 24, 9, 21), WithAlpha(tops[i], 0.9f));
        c.Fill(Outline(Star(24, 24, 9, 21), 0.7f), Argb(0x5A3A10));
        c.FillVertical(RoundRect(30, 10, 94, 40, 10), 10, 40, Darker(tops[i], 0.1f), Darker(tops[i], 0.45f));
        c.Fill(Outline(RoundRect(30.5f, 10.5f, 93.5f, 39.5f, 9.5f), 0.8f), Argb(0x5A3A10));
        DrawTextCentred(c, font, words[i], 62, 25, { 18, 700, Argb(0xFFFFFF), Argb(0x3A2008) });
        frames.push_back(std::move(c));
    }
    return frames;
}

Canvas Bomb()
{
    Canvas c(50, 30);
    // A cream tag under the bomb and its count, so it reads on any plate.
    c.Fill(RoundRect(1, 1, 43, 29, 9), WithAlpha(kPaper, 0.92f));
    c.Fill(Outline(RoundRect(1.5f, 1.5f, 42.5f, 28.5f, 8.5f), 0.7f), kGoldDark);
    c.Fill(Circle(18, 17, 10), Argb(0x26262A));
    c.Fill(Circle(14, 13, 3), WithAlpha(0xFFFFFF, 0.5f));
    c.Fill(RoundRect(22, 5, 28, 10, 1.5f), Argb(0x505058));
    c.Fill(Arc(31, 9, 5, 3.4f, 5.6f, 1.0f), Argb(0xC89A50));
    c.Fill(Star(35, 6, 1.5f, 4.5f), Argb(0xFF8A10));
    return c;
}

// The match score's plaque under the name: 0 plain, 1 the turn.
std::vector<Canvas> MatchPlaque()
{
    std::vector<Canvas> frames;
    for (int f = 0; f < 2; ++f) {
        Canvas c(76, 18);
        c.FillVertical(RoundRect(0, 0, 76, 18, 9), 0, 18, f ? Argb(0x2A8A48) : Argb(0x244A34),
            f ? Argb(0x0E4A22) : Argb(0x10241A));
        c.Fill(Outline(RoundRect(0.5f, 0.5f, 75.5f, 17.5f, 8.5f), 0.6f), f ? Argb(0xFFE890) : kGoldDark);
        frames.push_back(std::move(c));
    }
    return frames;
}

// A short rising two-tone beep.
std::vector<uint8_t> AlertSound()
{
    Synth s(520);
    s.Tone(0, 160, 1318.5f, 0.5f, 6.0f, { 1.0f, 0.3f });
    s.Tone(180, 160, 1318.5f, 0.5f, 6.0f, { 1.0f, 0.3f });
    s.Tone(360, 160, 1760.0f, 0.5f, 5.0f, { 1.0f, 0.3f });
    return s.Wav();
}

} // namespace

void DrawBoardSkin(SkinFiles& skin, platform::FontRenderer& font)
{
    std::vector<SkinPicture>& frame = skin.pictures[kSkinFramePack];
    Add(frame, "PlayerBoardSmall", { Plate(false, false), Plate(false, true), Plate(true, false), Plate(true, true) });

    std::vector<SkinPicture>& out = skin.pictures[kBoardPack];
    for (size_t i = 0; i < kLooks.size(); ++i) {
        const std::string prefix = "Character" + std::to_string(i) + "Type";
        Add(out, prefix + "1", { Face(kLooks[i], 1.0f) });
        Add(out, prefix + "2", { Face(kLooks[i], 1.5f) });
        if (i >= 2)
            Add(out, prefix + "3", { Figure(kLooks[i]) });
    }
    Add(out, "警灯", Lamp(), 120);
    Add(out, "digit_restcard", DigitStrip(font, 16, 26, 24, Argb(0xFFF6A0), Argb(0xF0A020)));
    Add(out, "word_zhang", { Word(font, "张", 26, 26, 22, Argb(0xFFF0B0)) });
    Add(out, "animation_AutoPlay", { Sign(font, "托管", Argb(0x3A8AC8), Argb(0x164A78)) });
    Add(out, "animation_Offline", { Sign(font, "掉线", Argb(0x9A9AA0), Argb(0x4A4A52)) });
    Add(out, "animation_Ready", Ready(font), 200);
    Add(out, "rank", Ranks(font));
    Add(out, "炸弹图标", { Bomb() });
    Add(out, "digit_basescore", DigitStrip(font, 10, 18, 16, Argb(0xFFF2B0), Argb(0xE8B030)));
    Add(out, "str_分", { Word(font, "分", 18, 18, 15, Argb(0xFFE8A0)) });
    Add(out, "str_两", { Word(font, "两", 18, 18, 15, Argb(0xE8ECF4)) });
    Add(out, "ScoreDigitMatch", DigitStrip(font, 10, 18, 16, Argb(0xB8F0FF), Argb(0x40A8E0)));
    Add(out, "ScoreUniteMatch", { Word(font, "分", 18, 18, 15, Argb(0xB8F0FF)) });
    Add(out, "Player_MatchScore", MatchPlaque());

    skin.sounds[kBoardPack].push_back({ "alert", AlertSound() });
}

} // namespace tools
