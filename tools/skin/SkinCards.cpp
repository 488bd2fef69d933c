// The card faces of both decks and the jokers at every size class, backs,
// corners and edge marks. A face id k (0..53) is the rank k % 13 (two to
// ace) of suit k / 13, or a joker (52 small, 53 big). Suits 0 and 2 are
// red (diamonds, hearts), 1 and 3 black (clubs, spades).
#include "tools/skin/SkinDraw.h"

#include <map>

namespace tools {

namespace {

using namespace skin;

constexpr const char* kCommonPack = "skins/common.vkr";
constexpr int kFaces = 54;
constexpr int kSmallJoker = 52;
constexpr int kBigJoker = 53;

constexpr const char* kRanks[13] = { "2", "3", "4", "5", "6", "7", "8", "9", "10", "J", "Q", "K", "A" };

constexpr uint32_t kCardPaper = Argb(0xFFFDF7);
constexpr uint32_t kCardEdge = Argb(0x9A9080);
constexpr uint32_t kBackRed = Argb(0x9E1B22);
constexpr uint32_t kBackRedDark = Argb(0x5E0C12);
constexpr uint32_t kJokerBlack = Argb(0x262626);

bool IsRed(int suit)
{
    return suit == 0 || suit == 2;
}

uint32_t SuitColour(int suit)
{
    return IsRed(suit) ? kCardRed : kCardBlack;
}

Sdf SuitShape(int suit, float cx, float cy, float s)
{
    switch (suit) {
    case 0: return Diamond(cx, cy, s);
    case 1: return Club(cx, cy, s);
    case 2: return Heart(cx, cy, s);
    default: return Spade(cx, cy, s);
    }
}

// One suit symbol of height s on a canvas of its own, to be stamped.
Canvas SuitStamp(int suit, int s)
{
    const int size = std::max(s, 4) + 2;
    Canvas c(size, size);
    c.Fill(SuitShape(suit, size / 2.0f, size / 2.0f, static_cast<float>(s)), SuitColour(suit));
    return c;
}

void Stamp(Canvas& target, const Canvas& stamp, float cx, float cy, bool upsideDown = false)
{
    const Canvas& use = upsideDown ? stamp.Mirrored(false, true) : stamp;
    target.Draw(use, static_cast<int>(std::lround(cx - use.Width() / 2.0f)),
        static_cast<int>(std::lround(cy - use.Height() / 2.0f)));
}

Canvas Blank(int w, int h)
{
    Canvas c(w, h);
    const float r = std::max(3.0f, w * 0.08f);
    c.Fill(RoundRect(0, 0, static_cast<float>(w), static_cast<float>(h), r), kCardEdge);
    c.Fill(RoundRect(1, 1, w - 1.0f, h - 1.0f, r - 1), kCardPaper);
    return c;
}

struct CardMetrics {
    int w;
    int h;
    int rankSize;   // corner rank text
    int cornerSuit; // corner suit symbol
    int pip;        // centre pips
};

CardMetrics Metrics(int w, int h)
{
    return { w, h, std::max(10, h * 16 / 96), std::max(7, h * 10 / 96), std::max(7, w * 13 / 71) };
}

// The rank and suit at the top left, turned round at the bottom right.
void DrawIndex(Canvas& c, platform::FontRenderer& font, const CardMetrics& m, std::string_view rank, int suit,
    uint32_t colour)
{
    const int cw = std::max(m.rankSize, m.w / 4) + 2;
    Canvas corner(cw, m.rankSize + m.cornerSuit + 4);
    const TextStyle style { m.rankSize, 700, colour, 0 };
    // "10" is two glyphs: narrowed a little so it stays in the corner.
    const TextStyle narrow { m.rankSize * 5 / 6, 700, colour, 0 };
    const TextStyle& use = rank.size() > 1 ? narrow : style;
    DrawTextCentred(corner, font, rank, cw / 2.0f, use.size / 2.0f + 1, use);
    if (suit >= 0)
        Stamp(corner, SuitStamp(suit, m.cornerSuit), cw / 2.0f, m.rankSize + 1 + m.cornerSuit / 2.0f + 1);
    const int left = std::max(1, m.w / 30);
    c.Draw(corner, left, 2);
    const Canvas turned = corner.Mirrored(true, true);
    c.Draw(turned, m.w - left - turned.Width(), m.h - 2 - turned.Height());
}

// Pip places for two to ten in a grid of three columns and seven rows
// (column 0..2, row 0..6 from the top).
struct Pip {
    int col;
    int row;
};

std::vector<Pip> PipLayout(int count)
{
    switch (count) {
    case 2: return { { 1, 0 }, { 1, 6 } };
    case 3: return { { 1, 0 }, { 1, 3 }, { 1, 6 } };
    case 4: return { { 0, 0 }, { 2, 0 }, { 0, 6 }, { 2, 6 } };
    case 5: return { { 0, 0 }, { 2, 0 }, { 1, 3 }, { 0, 6 }, { 2, 6 } };
    case 6: return { { 0, 0 }, { 2, 0 }, { 0, 3 }, { 2, 3 }, { 0, 6 }, { 2, 6 } };
    case 7: return { { 0, 0 }, { 2, 0 }, { 1, 1 }, { 0, 3 }, { 2, 3 }, { 0, 6 }, { 2, 6 } };
    case 8: return { { 0, 0 }, { 2, 0 }, { 1, 1 }, { 0, 3 }, { 2, 3 }, { 1, 5 }, { 0, 6 }, { 2, 6 } };
    case 9: return { { 0, 0 }, { 2, 0 }, { 0, 2 }, { 2, 2 }, { 1, 3 }, { 0, 4 }, { 2, 4 }, { 0, 6 }, { 2, 6 } };
    default:
        return { { 0, 0 }, { 2, 0 }, { 1, 1 }, { 0, 2 }, { 2, 2 }, { 0, 4 }, { 2, 4 }, { 1, 5 }, { 0, 6 }, { 2, 6 } };
    }
}

void DrawPips(Canvas& c, const CardMetrics& m, int suit, int count)
{
    const Canvas pip = SuitStamp(suit, m.pip);
    // Clear of the corner indexes.
    const float left = m.w * 0.37f;
    const float right = m.w * 0.63f;
    const float top = m.h * 0.21f;
    const float bottom = m.h * 0.79f;
    for (const Pip p : PipLayout(count)) {
        const float x = left + (right - left) * p.col / 2.0f;
        const float y = top + (bottom - top) * p.row / 6.0f;
        Stamp(c, pip, x, y, p.row > 3);
    }
}

// Jack, queen and king: a framed panel in the suit's colour with the
// letter, a crown for the king and queen, and the suit under it.
void DrawFigure(Canvas& c, platform::FontRenderer& font, const CardMetrics& m, int suit, int rank)
{
    const float l = m.w * 0.22f;
    const float r = m.w * 0.78f;
    const float t = m.h * 0.17f;
    const float b = m.h * 0.83f;
    const uint32_t ink = SuitColour(suit);
    const uint32_t panel = IsRed(suit) ? Argb(0xFBE3D2) : Argb(0xE4E8F0);
    c.Fill(RoundRect(l, t, r, b, 3), kGold);
    c.Fill(RoundRect(l + 1.5f, t + 1.5f, r - 1.5f, b - 1.5f, 2), panel);
    const float cx = m.w / 2.0f;
    const float mid = (t + b) / 2.0f;
    // A band across the middle, as on the old court cards.
    c.Fill(RoundRect(l + 1.5f, mid - 1, r - 1.5f, mid + 1, 0.5f), WithAlpha(ink, 0.35f));
    const float crownW = (r - l) * 0.5f;
    const float crownTop = t + (b - t) * 0.08f;
    const float crownBase = crownTop + (b - t) * 0.13f;
    if (rank != 9) { // queen and king wear a crown
        c.Fill(RoundRect(cx - crownW / 2, crownBase - 2, cx + crownW / 2, crownBase + 1, 0.5f), kGoldDark);
        for (int i = 0; i < 3; ++i) {
            const float px = cx - crownW / 2 + crownW * i / 2.0f;
            c.Fill(Triangle(px - crownW * 0.18f, crownBase, px + crownW * 0.18f, crownBase, px, crownTop), kGold);
        }
    } else {
        c.Fill(Circle(cx, (crownTop + crownBase) / 2, (crownBase - crownTop) / 2.5f), kGold);
    }
    const int letter = std::max(12, static_cast<int>((b - t) * 0.42f));
    DrawTextCentred(c, font, kRanks[rank], cx, mid - (b - t) * 0.04f, { letter, 700, ink, WithAlpha(0xFFFFFF, 0.8f) });
    Stamp(c, SuitStamp(suit, std::max(6, m.pip * 3 / 4)), cx, b - (b - t) * 0.14f);
}

void DrawJoker(Canvas& c, platform::FontRenderer& font, const CardMetrics& m, bool big)
{
    const uint32_t ink = big ? kCardRed : kJokerBlack;
    // "JOKER" down the corner, turned round at the other.
    const int letter = std::max(7, m.h * 11 / 96);
    Canvas corner(letter + 4, letter * 5 + 4);
    const char* word = "JOKER";
    for (int i = 0; i < 5; ++i)
        DrawTextCentred(corner, font, std::string_view(word + i, 1), corner.Width() / 2.0f, letter / 2.0f + 1 + i * letter,
            { letter, 700, ink, 0 });
    c.Draw(corner, 2, 3);
    const Canvas turned = corner.Mirrored(true, true);
    c.Draw(turned, m.w - 2 - turned.Width(), m.h - 3 - turned.Height());
    // A star with a ring in the middle, gold on the big joker, silver on the small.
    const float cx = m.w / 2.0f + 2;
    const float cy = m.h * 0.42f;
    const float outer = m.w * 0.3f;
    const uint32_t starFill = big ? kGold : Argb(0xB8BEC8);
    c.Fill(Circle(cx, cy, outer * 1.05f), big ? Argb(0xF7D9D0) : Argb(0xE2E6EC));
    c.Fill(Star(cx, cy, outer * 0.42f, outer), ink);
    c.Fill(Star(cx, cy, outer * 0.3f, outer * 0.78f), starFill);
    const int text = std::max(9, m.h * 15 / 96);
    DrawTextCentred(c, font, big ? "大王" : "小王", cx, m.h * 0.76f, { text, 700, ink, 0 });
}

Canvas CardFace(platform::FontRenderer& font, int w, int h, int face)
{
    Canvas c = Blank(w, h);
    const CardMetrics m = Metrics(w, h);
    if (face >= kSmallJoker) {
        DrawJoker(c, font, m, face == kBigJoker);
        return c;
    }
    const int suit = face / 13;
    const int rank = face % 13;
    DrawIndex(c, font, m, kRanks[rank], suit, SuitColour(suit));
    if (rank == 12)
        Stamp(c, SuitStamp(suit, std::max(10, w * 32 / 71)), w / 2.0f, h / 2.0f);
    else if (rank >= 9)
        DrawFigure(c, font, m, suit, rank);
    else
        DrawPips(c, m, suit, rank + 2);
    return c;
}

// The back: a white margin round a dark red field with a gold lattice and
// an emblem in the middle.
Canvas CardBack(int w, int h)
{
    Canvas c = Blank(w, h);
    const float m = std::max(3.0f, w * 0.07f);
    const Sdf field = RoundRect(m, m, w - m, h - m, 3);
    c.FillVertical(field, static_cast<int>(m), static_cast<int>(h - m), kBackRed, kBackRedDark);
    const float step = std::max(6.0f, w / 7.0f);
    c.Fill(
        [=](float x, float y) {
            const float inside = field(x, y);
            const float u = std::fmod(std::fabs(x + y), step) - step / 2;
            const float v = std::fmod(std::fabs(x - y + 1000), step) - step / 2;
            const float line = std::min(std::fabs(u), std::fabs(v)) - 0.45f;
            return std::max(line, inside + 1.5f);
        },
        WithAlpha(kGold, 0.45f));
    c.Fill(Outline(RoundRect(m + 2, m + 2, w - m - 2, h - m - 2, 2), 0.6f), kGold);
    const float r = w * 0.2f;
    c.Fill(Circle(w / 2.0f, h / 2.0f, r + 1.5f), kGold);
    c.Fill(Circle(w / 2.0f, h / 2.0f, r), kBackRedDark);
    c.Fill(Star(w / 2.0f, h / 2.0f, r * 0.38f, r * 0.85f), kGold);
    return c;
}

// A card's corner as the rich text and the table's panels show it: the
// rank over the suit on a small white card.
Canvas CardCorner(platform::FontRenderer& font, int w, int h, int face)
{
    Canvas c = Blank(w, h);
    if (face >= kSmallJoker) {
        const uint32_t ink = face == kBigJoker ? kCardRed : kJokerBlack;
        c.Fill(Star(w / 2.0f, h * 0.27f, w * 0.1f, w * 0.27f), ink);
        DrawTextCentred(c, font, "王", w / 2.0f, h * 0.72f, { std::max(8, h * 9 / 25), 700, ink, 0 });
        return c;
    }
    const int suit = face / 13;
    const int text = std::max(9, h * 11 / 24);
    const std::string_view rank = kRanks[face % 13];
    DrawTextCentred(c, font, rank, w / 2.0f, h * 0.3f, { rank.size() > 1 ? text * 4 / 5 : text, 700, SuitColour(suit), 0 });
    Stamp(c, SuitStamp(suit, std::max(6, h * 9 / 24)), w / 2.0f, h * 0.72f);
    return c;
}

std::vector<Canvas> Sheet(const std::function<Canvas(int)>& draw)
{
    std::vector<Canvas> frames;
    frames.reserve(kFaces);
    for (int face = 0; face < kFaces; ++face)
        frames.push_back(draw(face));
    return frames;
}

// A gold star on a red disc: the mark on the hand cards that equal the
// card the banker called.
Canvas EdgeMark()
{
    const int s = 18;
    Canvas c(s, s);
    c.Fill(Circle(s / 2.0f, s / 2.0f, s / 2.0f - 0.5f), Argb(0xFFFFFF));
    c.Fill(Circle(s / 2.0f, s / 2.0f, s / 2.0f - 1.8f), kCardRed);
    c.Fill(Star(s / 2.0f, s / 2.0f + 0.5f, 2.6f, 6.5f), kGold);
    return c;
}

} // namespace

void DrawCardSkin(SkinFiles& skin, platform::FontRenderer& font)
{
    std::vector<SkinPicture>& out = skin.pictures[kCommonPack];
    struct Size {
        int w;
        int h;
    };
    // The card layer names its sizes "71x96", the game "_71_96"; both
    // show the same cards.
    for (const Size size : { Size { 71, 96 }, Size { 82, 110 }, Size { 98, 132 }, Size { 50, 68 } }) {
        const std::string plain = std::to_string(size.w) + "x" + std::to_string(size.h);
        const std::string under = "_" + std::to_string(size.w) + "_" + std::to_string(size.h);
        const engine::PictureData faces = ToPicture(Sheet([&](int face) { return CardFace(font, size.w, size.h, face); }));
        const engine::PictureData back = ToPicture({ CardBack(size.w, size.h) });
        for (const std::string& part : { plain, under }) {
            out.push_back({ "牌正面" + part, faces });
            out.push_back({ "牌背面" + part, back });
        }
    }
    Add(out, "牌角", Sheet([&](int face) { return CardCorner(font, 20, 26, face); }));
    Add(out, "牌角(1)", Sheet([&](int face) { return CardCorner(font, 18, 24, face); }));
    // The corners the chat writes inline as "#角%02d": the chat view draws
    // "#" codes as the pictures "vkf" + code.
    for (int face = 0; face < kFaces; ++face) {
        char name[16];
        std::snprintf(name, sizeof name, "vkf角%02d", face);
        Add(out, name, { CardCorner(font, 16, 21, face) });
    }
    Add(out, "边牌标记", { EdgeMark() });
}

} // namespace tools
