#include "tools/skin/SkinMaker.h"

#include "platform/FontRenderer.h"
#include "tools/pack/PackWriter.h"
#include "tools/skin/SkinDraw.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <unistd.h>

namespace tools {

namespace {

using namespace skin;

// ---- The frame's pictures ----------------------------------------------------------------

constexpr int kTitleHeight = 28;

void AddTitleBar(std::vector<SkinPicture>& out, platform::FontRenderer& font)
{
    Canvas top(64, kTitleHeight);
    top.Fill([](float, float) { return -1.0f; }, [](int x, int y) {
        return WoodAt(x, y, false, y / static_cast<float>(kTitleHeight));
    });
    for (int x = 0; x < 64; ++x) {
        top.Set(x, 0, Lighter(top.At(x, 0), 0.3f));
        top.Set(x, kTitleHeight - 3, kGoldDark);
        top.Set(x, kTitleHeight - 2, kGold);
        top.Set(x, kTitleHeight - 1, kWoodDark);
    }
    Add(out, "Frame_Top", { top });

    // A warm glow behind the icon and the title at the left.
    Canvas left(220, kTitleHeight);
    left.Fill([](float, float) { return -1.0f; }, [](int x, int y) {
        const float fade = 1.0f - x / 220.0f;
        return y < kTitleHeight - 3 ? WithAlpha(0xFFD890, 0.16f * fade * fade) : 0u;
    });
    Add(out, "FramePatternLeft", { left });

    // The four suits in gold between two flourishes, centred on the bar.
    Canvas middle(180, kTitleHeight);
    const float cy = (kTitleHeight - 3) / 2.0f;
    middle.Fill(Segment(8, cy, 52, cy, 0.6f), WithAlpha(kGold, 0.8f));
    middle.Fill(Segment(128, cy, 172, cy, 0.6f), WithAlpha(kGold, 0.8f));
    middle.Fill(Diamond(6, cy, 6), kGold);
    middle.Fill(Diamond(174, cy, 6), kGold);
    const std::array<Sdf, 4> suits { Spade(66, cy, 14), Heart(82, cy, 14), Club(98, cy, 14), Diamond(114, cy, 14) };
    for (size_t i = 0; i < suits.size(); ++i) {
        middle.Fill(suits[i], i % 2 ? Argb(0xF05A4A) : Argb(0xF4E3B0));
        middle.Fill(Outline(suits[i], 0.5f), WithAlpha(kGoldDark, 0.9f));
    }
    Add(out, "FramePatternMiddle", { middle });

    // A darker band behind the title buttons at the right.
    Canvas right(300, kTitleHeight);
    right.Fill([](float, float) { return -1.0f; }, [](int x, int y) {
        const float t = std::min(x / 60.0f, 1.0f);
        return y < kTitleHeight - 3 ? WithAlpha(0x1A0C02, 0.35f * t) : 0u;
    });
    Add(out, "FramePatternRight", { right });

    Canvas side(5, 64);
    side.Fill([](float, float) { return -1.0f; }, [](int x, int y) { return WoodAt(x, y, true, x / 5.0f); });
    for (int y = 0; y < 64; ++y)
        side.Set(0, y, kWoodDark);
    Canvas rightSide = side.Mirrored(true, false);
    for (int y = 0; y < 64; ++y) {
        side.Set(4, y, kGoldDark);
        rightSide.Set(0, y, kGoldDark);
    }
    Add(out, "Frame_Left", { side });
    Add(out, "Frame_Right", { rightSide });

    Canvas bottom(64, 5);
    bottom.Fill([](float, float) { return -1.0f; }, [](int x, int y) { return WoodAt(x, y, false, y / 5.0f); });
    for (int x = 0; x < 64; ++x) {
        bottom.Set(x, 0, kGoldDark);
        bottom.Set(x, 4, kWoodDark);
    }
    Add(out, "Frame_Bottom", { bottom });

    // The game icon: two fanned cards.
    Canvas icon(20, 20);
    icon.Fill(RoundRect(1.5f, 3.5f, 12.5f, 18.5f, 2), Argb(0x303030));
    icon.Fill(RoundRect(2.5f, 4.5f, 11.5f, 17.5f, 1.5f), Argb(0xFFFFFF));
    icon.Fill(Spade(7, 11, 7), kCardBlack);
    icon.Fill(RoundRect(7.5f, 1.5f, 18.5f, 16.5f, 2), Argb(0x303030));
    icon.Fill(RoundRect(8.5f, 2.5f, 17.5f, 15.5f, 1.5f), Argb(0xFFFFFF));
    icon.Fill(Heart(13, 9, 7), kCardRed);
    Add(out, "GameIcon", { icon });

    // Title buttons: glyph buttons and three captioned ones.
    auto glyph = [](std::function<Sdf(float, float)> shape) -> LabelPainter {
        return [shape](Canvas& c, float cx, float cy, uint32_t colour) {
            c.Fill(shape(cx + 1, cy + 1), WithAlpha(0x000000, 0.4f));
            c.Fill(shape(cx, cy), colour);
        };
    };
    Add(out, "btnFrameMin", ButtonFrames(27, 20, 4, kWoodButton, glyph([](float cx, float cy) {
        return Segment(cx - 5, cy + 4, cx + 5, cy + 4, 1.1f);
    })));
    Add(out, "btnFrameMax", ButtonFrames(27, 20, 4, kWoodButton, glyph([](float cx, float cy) {
        return Outline(RoundRect(cx - 5.5f, cy - 5, cx + 5.5f, cy + 5, 0.5f), 0.7f);
    })));
    Add(out, "btnFrameFit", ButtonFrames(27, 20, 4, kWoodButton, glyph([](float cx, float cy) {
        return Union(Outline(RoundRect(cx - 6, cy - 2.5f, cx + 2.5f, cy + 5.5f, 0.5f), 0.65f),
            Union(Segment(cx - 3, cy - 5.5f, cx + 5.5f, cy - 5.5f, 0.65f),
                Segment(cx + 5.5f, cy - 5.5f, cx + 5.5f, cy + 2.5f, 0.65f)));
    })));
    Add(out, "btnFrameClose", ButtonFrames(27, 20, 4, kRedButton, CrossLabel(4.5f, 1.2f)));
    Add(out, "btnSet2", ButtonFrames(44, 20, 4, kWoodButton, TextLabel(font, "设置", 12)));
    Add(out, "btnHelp2", ButtonFrames(44, 20, 4, kWoodButton, TextLabel(font, "帮助", 12)));
    Add(out, "btnShop2", ButtonFrames(44, 20, 4, kGoldButton, TextLabel(font, "商城", 12, 700)));
}

void AddTable(std::vector<SkinPicture>& out)
{
    Canvas felt(64, 64);
    felt.Fill([](float, float) { return -1.0f; }, [](int x, int y) {
        const float weave = ((x + y) % 4 == 0 ? 0.05f : 0.0f) + ((x - y + 64) % 4 == 0 ? 0.03f : 0.0f);
        return Mix(kFelt, kFeltDark, 0.3f + Noise(x, y, 3) * 0.12f + weave);
    });
    Add(out, "TablePatten", { felt });

    Canvas halo(256, 256);
    halo.Fill([](float, float) { return -1.0f; }, [](int x, int y) {
        const float d = std::hypot(x + 0.5f - 128, y + 0.5f - 128) / 128;
        const float t = std::clamp(1 - d, 0.0f, 1.0f);
        return WithAlpha(0xCFF5C0, 0.24f * t * t * (3 - 2 * t));
    });
    Add(out, "TableHalo", { halo });

    Canvas corner(56, 56);
    Sdf bracket = Union(Segment(6, 6, 48, 6, 1.6f), Segment(6, 6, 6, 48, 1.6f));
    Sdf inner = Union(Segment(12, 12, 34, 12, 0.8f), Segment(12, 12, 12, 34, 0.8f));
    corner.Fill(bracket, WithAlpha(0x000000, 0.35f));
    corner.Fill(Union(bracket, inner), [](int x, int y) { return Mix(kGold, kGoldDark, (x + y) / 100.0f); });
    corner.Fill(Diamond(6, 6, 10), kGold);
    corner.Fill(Circle(48, 6, 2.2f), kGold);
    corner.Fill(Circle(6, 48, 2.2f), kGold);
    corner.Fill(Spade(22, 22, 10), WithAlpha(kGold, 0.85f));
    Add(out, "TableCornerLT", { corner });
    Add(out, "TableCornerRT", { corner.Mirrored(true, false) });
    Add(out, "TableCornerLB", { corner.Mirrored(false, true) });
    Add(out, "TableCornerRB", { corner.Mirrored(true, true) });

    Canvas splitter(8, 64);
    splitter.Fill([](float, float) { return -1.0f; }, [](int x, int y) { return WoodAt(x, y, true, 0.5f); });
    for (int y = 0; y < 64; ++y) {
        splitter.Set(0, y, kWoodDark);
        splitter.Set(3, y, kGoldDark);
        splitter.Set(4, y, kGold);
        splitter.Set(7, y, kWoodDark);
    }
    Add(out, "左右分隔条_bg", { splitter });

    Canvas trough(64, 14);
    trough.Fill([](float, float) { return -1.0f; }, [](int, int y) { return Mix(kFeltDark, kFelt, y / 14.0f); });
    for (int x = 0; x < 64; ++x) {
        trough.Set(x, 0, Darker(kFeltDark, 0.4f));
        trough.Set(x, 13, Lighter(kFelt, 0.2f));
    }
    Add(out, "ScrollBar_HorzBack", { trough });
    MakeStretchable(out.back(), false, 2);
}

// A wood-framed paper board with rounded corners and a header band.
// A wooden board with a title strip; the inside is felt, since the texts
// the boards carry are light (white notices, pale detail lines).
Canvas Board(int width, int height, int header, platform::FontRenderer& font, std::string_view title)
{
    Canvas c(width, height);
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    c.Fill(RoundRect(0, 0, w, h, 10), [](int x, int y) { return WoodAt(x, y, false, 0.3f); });
    c.Fill(Outline(RoundRect(3.5f, 3.5f, w - 3.5f, h - 3.5f, 8), 0.6f), kGold);
    c.FillVertical(RoundRect(7, static_cast<float>(header), w - 7, h - 7, 5), header, height - 7, Argb(0x1C5C36),
        Argb(0x0E3420));
    c.Fill(Outline(RoundRect(7, static_cast<float>(header), w - 7, h - 7, 5), 0.5f), kGoldDark);
    if (!title.empty())
        DrawTextCentred(c, font, title, w / 2, (header + 3) / 2.0f, { 14, 700, Argb(0xF6DE96), Argb(0x1A0C02) });
    return c;
}

void AddBoards(std::vector<SkinPicture>& out, platform::FontRenderer& font)
{
    Add(out, "bit_systemboard", { Board(270, 200, 32, font, "系统提示") });

    Canvas sureQuit(224, 60);
    DrawTextCentred(sureQuit, font, "确定要退出游戏吗？", 112, 20, { 16, 700, Argb(0xFFF2C0), Argb(0x06200F) });
    DrawTextCentred(sureQuit, font, "游戏中途退出将被扣分并扣除银子", 112, 46, { 12, 400, Argb(0xF0A070), 0 });
    Add(out, "bit_SureQuit", { sureQuit });
    Add(out, "btn_gameset_ok", ButtonFrames(50, 24, 5, kGreenButton, TextLabel(font, "确定", 12, 700)));
    Add(out, "btn_gameset_cancel", ButtonFrames(50, 24, 5, kSlateButton, TextLabel(font, "取消", 12, 700)));

    // The player detail panel: the figure's slot at the left, the lines
    // of details at the right.
    Canvas detail = Board(330, 320, 10, font, "");
    detail.FillVertical(RoundRect(8, 8, 147, 282, 4), 8, 282, Argb(0x2E7A4A), Argb(0x0A2A18));
    detail.Fill(Outline(RoundRect(8.5f, 8.5f, 146.5f, 281.5f, 4), 0.6f), kGoldDark);
    // A gold rule under the name.
    detail.Fill(Segment(158, 62, 316, 62, 0.5f), WithAlpha(kGold, 0.6f));
    Add(out, "bit_playerdetail", { detail });
    Add(out, "btn_redcrossEx", ButtonFrames(22, 22, 11, kRedButton, CrossLabel(4.5f, 1.3f)));
    Add(out, "btn_buycharacter", ButtonFrames(110, 30, 6, kGoldButton, TextLabel(font, "购买形象", 14, 700)));

    // Rank badges: bronze, silver, gold, each with one to four stars.
    std::vector<Canvas> ranks;
    const std::array<ButtonPalette, 3> tiers { ButtonPalette { Argb(0xE0A070), Argb(0x8A5228), Argb(0x4A2810), 0 },
        ButtonPalette { Argb(0xF0F0F4), Argb(0x9098A4), Argb(0x50586A), 0 },
        ButtonPalette { Argb(0xFFE890), Argb(0xD0981C), Argb(0x7A5410), 0 } };
    for (int level = 0; level < 12; ++level) {
        const ButtonPalette& tier = tiers[static_cast<size_t>(level / 4)];
        Canvas badge(48, 16);
        badge.Fill(RoundRect(0, 0, 48, 16, 8), tier.border);
        badge.FillVertical(RoundRect(1, 1, 47, 15, 7), 1, 15, tier.top, tier.bottom);
        const int stars = level % 4 + 1;
        for (int s = 0; s < stars; ++s) {
            const float cx = 24 + (s - (stars - 1) / 2.0f) * 10;
            const Sdf star = Star(cx, 8, 2.0f, 5.0f);
            badge.Fill(star, Argb(0xFFFFFF));
            badge.Fill(Outline(star, 0.4f), WithAlpha(tier.border, 0.9f));
        }
        ranks.push_back(std::move(badge));
    }
    Add(out, "bit_Duan", ranks);

    // "Playing for you": a pulsing pill with running dots.
    std::vector<Canvas> autoplay;
    for (int f = 0; f < 4; ++f) {
        Canvas c(160, 40);
        const float glow = 0.55f + 0.15f * std::sin(f * kPi / 2);
        c.Fill(RoundRect(0, 0, 160, 40, 20), WithAlpha(0x000000, 0.35f));
        c.FillVertical(RoundRect(2, 2, 158, 38, 18), 2, 38, WithAlpha(0x2A8A48, glow + 0.3f), WithAlpha(0x0C3A1C, 0.9f));
        c.Fill(Outline(RoundRect(2.5f, 2.5f, 157.5f, 37.5f, 17.5f), 0.7f), kGold);
        DrawTextCentred(c, font, "托管中", 70, 20, { 16, 700, Argb(0xFFF2C0), Argb(0x000000) });
        for (int d = 0; d < 3; ++d)
            c.Fill(Circle(112.0f + d * 9, 26, 2.4f), d <= f - 1 || f == 0 ? kGold : WithAlpha(kGold, 0.3f));
        autoplay.push_back(std::move(c));
    }
    Add(out, "animation_autoplaying", autoplay, 300);
}

// The default figure (figure 0), for players whose own figure file is
// missing: a card player in a waistcoat, drawn in a 135 x 270 design space
// and mapped into the canvas by scale and offset. Portraits show the head
// and shoulders on a felt disc.
void DrawPerson(Canvas& c, float scale, float ox, float oy)
{
    auto X = [=](float x) { return ox + x * scale; };
    auto Y = [=](float y) { return oy + y * scale; };
    auto S = [=](float d) { return d * scale; };
    const uint32_t skinTone = Argb(0xF2C9A0);
    const uint32_t hair = Argb(0x2A1A10);
    const uint32_t shirt = Argb(0xF4F0E6);
    const uint32_t vest = Argb(0x8A2A22);
    const uint32_t trousers = Argb(0x22304A);
    // Legs and shoes.
    c.Fill(RoundRect(X(42), Y(176), X(65), Y(252), S(8)), trousers);
    c.Fill(RoundRect(X(70), Y(176), X(93), Y(252), S(8)), trousers);
    c.Fill(RoundRect(X(36), Y(246), X(66), Y(262), S(7)), Argb(0x1A1410));
    c.Fill(RoundRect(X(69), Y(246), X(99), Y(262), S(7)), Argb(0x1A1410));
    // Arms in shirt sleeves, hands.
    c.Fill(Segment(X(38), Y(96), X(24), Y(168), S(9)), shirt);
    c.Fill(Segment(X(97), Y(96), X(111), Y(168), S(9)), shirt);
    c.Fill(Circle(X(23), Y(174), S(8)), skinTone);
    c.Fill(Circle(X(112), Y(174), S(8)), skinTone);
    // Shirt, waistcoat with gold buttons.
    c.Fill(RoundRect(X(32), Y(84), X(103), Y(184), S(16)), shirt);
    c.Fill(RoundRect(X(36), Y(92), X(99), Y(186), S(12)), vest);
    c.Fill(Triangle(X(52), Y(88), X(83), Y(88), X(67.5f), Y(124)), shirt);
    c.Fill(Triangle(X(60), Y(90), X(75), Y(90), X(67.5f), Y(112)), Argb(0x1E5A34));
    for (int i = 0; i < 3; ++i)
        c.Fill(Circle(X(67.5f), Y(134 + i * 16), S(2.6f)), kGold);
    c.Fill(Outline(RoundRect(X(36), Y(92), X(99), Y(186), S(12)), S(0.8f)), Darker(vest, 0.4f));
    // Neck, head, hair, face.
    c.Fill(RoundRect(X(59), Y(70), X(76), Y(92), S(5)), Darker(skinTone, 0.08f));
    c.Fill(Circle(X(67.5f), Y(48), S(27)), hair);
    c.Fill(Circle(X(67.5f), Y(55), S(24)), skinTone);
    c.Fill(Circle(X(58), Y(53), S(2.8f)), Argb(0x2A1A10));
    c.Fill(Circle(X(77), Y(53), S(2.8f)), Argb(0x2A1A10));
    c.Fill(Arc(X(67.5f), Y(60), S(9), 0.5f, 2.6f, S(1.4f)), Argb(0xA04030));
    c.Fill(Circle(X(52), Y(63), S(4)), WithAlpha(0xE07060, 0.35f));
    c.Fill(Circle(X(83), Y(63), S(4)), WithAlpha(0xE07060, 0.35f));
}

void AddDefaultFigure(std::vector<SkinPicture>& out)
{
    Canvas full(135, 270);
    DrawPerson(full, 1.0f, 0, 0);
    for (const auto& [name, side] : { std::pair { "Character0Type1", 32 }, std::pair { "Character0Type2", 48 } }) {
        Canvas portrait(side, side);
        const float r = side / 2.0f;
        portrait.FillVertical(Circle(r, r, r - 0.5f), 0, side, Argb(0x2E8A50), kFeltDark);
        // Head and shoulders: the design's top 110 rows fill the disc.
        Canvas person(side, side);
        const float scale = side / 100.0f;
        DrawPerson(person, scale, r - 67.5f * scale, side * 0.06f);
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x)
                if (std::hypot(x + 0.5f - r, y + 0.5f - r) < r - 1)
                    portrait.Blend(x, y, person.At(x, y));
        portrait.Fill(Outline(Circle(r, r, r - 1), 0.6f), kGold);
        Add(out, name, { portrait });
    }
    Add(out, "Character0Type3", { full });
}

// A box template: frame 0 the frame (transparent inside), frame 1 the
// paper that fills the inside.
void AddBoxTemplate(std::vector<SkinPicture>& out, std::string name, uint32_t headerTop, uint32_t headerBottom)
{
    constexpr int kSize = 96;
    constexpr int kHeader = 26;
    constexpr int kSide = 6;
    constexpr int kBottom = 8;
    Canvas frame(kSize, kSize);
    frame.Fill(RoundRect(0, 0, kSize, kSize, 9), [](int x, int y) { return WoodAt(x, y, false, 0.35f); });
    frame.FillVertical(RoundRect(3, 3, kSize - 3, kHeader, 6), 3, kHeader, headerTop, headerBottom);
    frame.Fill(Outline(RoundRect(1.5f, 1.5f, kSize - 1.5f, kSize - 1.5f, 8), 0.6f), kGold);
    for (int y = kHeader; y < kSize - kBottom; ++y)
        for (int x = kSide; x < kSize - kSide; ++x)
            frame.Set(x, y, 0);
    for (int x = kSide - 1; x <= kSize - kSide; ++x) {
        frame.Set(x, kHeader - 1, kGoldDark);
        frame.Set(x, kSize - kBottom, kGoldDark);
    }
    for (int y = kHeader - 1; y <= kSize - kBottom; ++y) {
        frame.Set(kSide - 1, y, kGoldDark);
        frame.Set(kSize - kSide, y, kGoldDark);
    }
    Canvas paper(kSize, kSize);
    paper.Fill([](float, float) { return -1.0f; },
        [](int x, int y) { return Mix(kPaper, kPaperDark, y / 96.0f * 0.6f + Noise(x, y, 11) * 0.04f); });
    Add(out, std::move(name), { frame, paper });
}

void AddMessageBoxes(std::vector<SkinPicture>& out, platform::FontRenderer& font)
{
    AddBoxTemplate(out, "系统信息框模板", Argb(0x8A5A2C), Argb(0x4E2C12));
    AddBoxTemplate(out, "系统通知框模板", Argb(0x2E8A4C), Argb(0x125A2A));
    Add(out, "系统信息框_确定", ButtonFrames(72, 26, 6, kGreenButton, TextLabel(font, "确定", 13, 700)));
    Add(out, "系统信息框_取消", ButtonFrames(72, 26, 6, kSlateButton, TextLabel(font, "取消", 13, 700)));
    Add(out, "系统信息框_关闭", ButtonFrames(20, 20, 10, kRedButton, CrossLabel(4, 1.2f)));
    Add(out, "同意", ButtonFrames(72, 26, 6, kGreenButton, TextLabel(font, "同意", 13, 700)));
    Add(out, "拒绝", ButtonFrames(72, 26, 6, kRedButton, TextLabel(font, "拒绝", 13, 700)));
    // Every user of this button draws its own caption over it.
    Add(out, "系统通知框_按钮", ButtonFrames(72, 26, 6, kGoldButton, [](Canvas&, float, float, uint32_t) { }));

    Canvas headBack(44, 44);
    headBack.Fill(Circle(22, 22, 21.5f), kGoldDark);
    headBack.FillVertical(Circle(22, 22, 20), 2, 42, kGold, kGoldDark);
    headBack.Fill(Circle(22, 22, 17.5f), Argb(0xFFF6E0));
    Add(out, "系统通知框_头像背景", { headBack });

    Canvas notice(56, 16);
    notice.FillVertical(RoundRect(0, 0, 56, 16, 3), 0, 16, Argb(0xE04A3A), Argb(0xA81E14));
    DrawTextCentred(notice, font, "系统通知", 28, 8, { 12, 400, Argb(0xFFFFFF), 0 });
    Add(out, "qh系统通知", { notice });
}

// ---- Faces ---------------------------------------------------------------------------

struct Face {
    const char* name;
    int mood; // 1 smile, 0 flat, -1 sad, 2 open (crying or cheering)
    std::function<void(Canvas&, int frame, float cy)> extra;
};

void DrawFace(Canvas& c, const Face& face, int frame)
{
    const float bob = std::array<float, 4> { 0, -1, -2, -1 }[static_cast<size_t>(frame)];
    const float cx = 24;
    const float cy = 26 + bob;
    c.Fill(Circle(cx, cy, 19), Argb(0xB07A10));
    c.Fill(Circle(cx, cy, 18), [cx, cy](int x, int y) {
        const float d = std::hypot(x - cx + 5, y - cy + 6) / 26;
        return Mix(Argb(0xFFE680), Argb(0xF2B01E), d);
    });
    // Cheeks, eyes (blinking on the last frame) and mouth.
    c.Fill(Circle(cx - 11, cy + 5, 3.5f), WithAlpha(0xF06060, 0.35f));
    c.Fill(Circle(cx + 11, cy + 5, 3.5f), WithAlpha(0xF06060, 0.35f));
    for (float ex : { cx - 6.5f, cx + 6.5f }) {
        if (frame == 3)
            c.Fill(Segment(ex - 2.5f, cy - 4, ex + 2.5f, cy - 4, 0.8f), Argb(0x3A2208));
        else
            c.Fill(RoundRect(ex - 2, cy - 8, ex + 2, cy - 1, 2), Argb(0x3A2208));
    }
    switch (face.mood) {
    case 1:
        c.Fill(Arc(cx, cy + 2, 8, 0.35f, kPi - 0.35f, 1.1f), Argb(0x7A3A08));
        break;
    case 0:
        c.Fill(Segment(cx - 5, cy + 9, cx + 5, cy + 9, 1.0f), Argb(0x7A3A08));
        break;
    case -1:
        c.Fill(Arc(cx, cy + 16, 7, kPi + 0.6f, 2 * kPi - 0.6f, 1.1f), Argb(0x7A3A08));
        break;
    default:
        c.Fill(RoundRect(cx - 5, cy + 5, cx + 5, cy + 13 + (frame % 2), 4), Argb(0x7A2010));
        c.Fill(RoundRect(cx - 3, cy + 9, cx + 3, cy + 13, 3), Argb(0xE06060));
        break;
    }
    if (face.extra)
        face.extra(c, frame, cy);
}

std::vector<Face> Faces(platform::FontRenderer& font)
{
    auto tear = [](Canvas& c, float x, float y) {
        Sdf drop = Union(Circle(x, y, 2.4f), Triangle(x - 2.3f, y - 0.5f, x + 2.3f, y - 0.5f, x, y - 6));
        c.Fill(drop, Argb(0x50A8F0));
        c.Fill(Circle(x - 0.8f, y - 0.5f, 0.8f), Argb(0xFFFFFF));
    };
    auto coin = [&font](Canvas& c, float x, float y) {
        c.Fill(Circle(x, y, 7), Argb(0x9C7010));
        c.Fill(Circle(x, y, 6), Argb(0xFFD84A));
        c.Fill(RoundRect(x - 2, y - 2, x + 2, y + 2, 0.3f), Argb(0x9C7010));
        (void)font;
    };
    auto card = [](Canvas& c, float x, float y, float tilt, bool red) {
        const float s = std::sin(tilt);
        const float k = std::cos(tilt);
        auto rotated = [=](Sdf shape) {
            return Sdf([=](float px, float py) {
                const float dx = px - x;
                const float dy = py - y;
                return shape(x + dx * k + dy * s, y - dx * s + dy * k);
            });
        };
        c.Fill(rotated(RoundRect(x - 6, y - 8, x + 6, y + 8, 1.5f)), Argb(0x404040));
        c.Fill(rotated(RoundRect(x - 5, y - 7, x + 5, y + 7, 1)), Argb(0xFFFFFF));
        c.Fill(rotated(red ? Heart(x, y, 8) : Spade(x, y, 8)), red ? kCardRed : kCardBlack);
    };
    return {
        { "vkf财神", 1,
            [coin](Canvas& c, int f, float cy) {
                // The red hat of the god of wealth and a coin that hops.
                c.Fill(RoundRect(10, cy - 24, 38, cy - 13, 4), Argb(0xC81E1E));
                c.Fill(RoundRect(6, cy - 15, 42, cy - 11, 2), Argb(0xE2B84E));
                coin(c, 40, 38.0f - std::array<float, 4> { 0, 3, 5, 3 }[static_cast<size_t>(f)]);
            } },
        { "vkf打牌", 1,
            [card](Canvas& c, int f, float) {
                const float wave = std::array<float, 4> { 0, 0.1f, 0.2f, 0.1f }[static_cast<size_t>(f)];
                card(c, 8, 36, -0.35f - wave, false);
                card(c, 40, 36, 0.35f + wave, true);
            } },
        { "vkf抱歉", 0,
            [tear](Canvas& c, int f, float cy) {
                tear(c, 40, cy - 8 + f * 1.5f);
                c.Fill(Segment(11, cy - 12, 18, cy - 10, 0.9f), Argb(0x3A2208));
                c.Fill(Segment(30, cy - 10, 37, cy - 12, 0.9f), Argb(0x3A2208));
            } },
        { "vkf疑问", 0,
            [&font](Canvas& c, int f, float) {
                const float lift = std::array<float, 4> { 0, 2, 3, 2 }[static_cast<size_t>(f)];
                DrawTextAt(c, font, "?", 35, static_cast<int>(-lift), { 22, 700, Argb(0x2A6AE0), Argb(0xFFFFFF) });
            } },
        { "vkf没钱", -1,
            [tear](Canvas& c, int f, float cy) {
                tear(c, 17, cy + 1 + f * 2.0f);
                // An empty purse turned out.
                c.Fill(RoundRect(33, 34, 47, 46, 3), Argb(0x8A5A2C));
                c.Fill(Segment(35, 34, 45, 34, 1.2f), Argb(0x4E2C12));
                if (f % 2 == 0)
                    c.Fill(Circle(44, 30 - f * 0.5f, 1.2f), WithAlpha(0x808080, 0.8f));
            } },
        { "vkf胜利", 2,
            [](Canvas& c, int f, float) {
                const Sdf star = Star(40, 8, 3.0f, 7.5f, f * kPi / 10);
                c.Fill(star, Argb(0xFFD020));
                c.Fill(Outline(star, 0.4f), Argb(0xB07A10));
            } },
        { "vkf大哭", 2,
            [tear](Canvas& c, int f, float cy) {
                tear(c, 14, cy + 2 + f * 3.0f);
                tear(c, 34, cy + 4 + ((f + 2) % 4) * 3.0f);
            } },
        { "vkf加油", 1,
            [&font](Canvas& c, int f, float cy) {
                c.Fill(RoundRect(5, cy - 15, 43, cy - 10, 2), Argb(0xD02020));
                c.Fill(Triangle(40, cy - 13, 47, cy - 18 + f, 47, cy - 9 + f), Argb(0xD02020));
                (void)font;
            } },
    };
}

} // namespace

std::vector<SkinPicture> DrawFramePictures(platform::FontRenderer& font)
{
    std::vector<SkinPicture> out;
    AddTitleBar(out, font);
    AddTable(out);
    AddBoards(out, font);
    AddDefaultFigure(out);
    AddMessageBoxes(out, font);
    return out;
}

std::vector<SkinPicture> DrawFacePictures(platform::FontRenderer& font)
{
    std::vector<SkinPicture> out;
    for (const Face& face : Faces(font)) {
        std::vector<Canvas> frames;
        for (int f = 0; f < 4; ++f) {
            Canvas c(48, 48);
            DrawFace(c, face, f);
            frames.push_back(std::move(c));
        }
        Add(out, face.name, frames, 180);
    }
    return out;
}

engine::PictureData DrawDialogBackground(platform::FontRenderer& font)
{
    (void)font;
    Canvas c(311, 68);
    c.Fill([](float, float) { return -1.0f; }, [](int x, int y) {
        return Mix(kPaper, kPaperDark, y / 68.0f * 0.8f + Noise(x, y, 5) * 0.03f);
    });
    // A watermark of the four suits at the right, under where text goes.
    const std::array<Sdf, 4> suits { Spade(232, 14, 11), Heart(249, 14, 11), Club(266, 14, 11),
        Diamond(283, 14, 11) };
    for (const Sdf& s : suits)
        c.Fill(s, WithAlpha(0x8A5A2C, 0.18f));
    c.Fill(Outline(RoundRect(0.5f, 0.5f, 310.5f, 67.5f, 1), 0.6f), kGoldDark);
    c.Fill(Outline(RoundRect(2.5f, 2.5f, 308.5f, 65.5f, 1), 0.4f), WithAlpha(kGold, 0.7f));
    // The slot the bar runs in.
    c.Fill(RoundRect(6, 46, 306, 64, 2), Argb(0x5A3A1A));
    return ToPicture({ c });
}

// ---- Sounds -------------------------------------------------------------------------


std::vector<SkinSound> MakeFrameSounds(bool allowVoice)
{
    std::vector<SkinSound> out;
    {
        Synth s(40);
        s.Tone(0, 40, 2400, 0.25f, 90);
        out.push_back({ "SndTouchButton", s.Wav() });
    }
    {
        Synth s(70);
        s.Tone(0, 70, 1200, 0.4f, 60, { 1.0f, 0.4f });
        s.Noise(0, 20, 0.3f, 200, 0.5f, 17);
        out.push_back({ "SndHitButton", s.Wav() });
    }
    out.push_back({ "Snd_msg", Chime({ kE6, kA5 }, 120, 500, 7) });
    {
        // A struck bell: inharmonic partials ringing out.
        Synth s(1200);
        s.Tone(0, 1200, 660, 0.3f, 3.5f, { 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f });
        s.Tone(0, 900, 660 * 2.76f, 0.15f, 6);
        s.Tone(0, 600, 660 * 5.40f, 0.08f, 10);
        s.Noise(0, 15, 0.25f, 300, 0.7f, 5);
        out.push_back({ "snd_dang", s.Wav() });
    }
    out.push_back({ "Snd_GameStart", Chime({ kC5, kE5, kG5, kC6 }, 110, 450, 5) });
    {
        Synth s(1500);
        const std::array<float, 5> notes { kG5, kC6, kE6, kC6, kE6 };
        const std::array<int, 5> at { 0, 150, 300, 520, 640 };
        for (size_t i = 0; i < notes.size(); ++i)
            s.Tone(at[i], i + 1 == notes.size() ? 850 : 300, notes[i], 0.3f, 3, { 1.0f, 0.5f, 0.25f, 0.12f });
        out.push_back({ "Snd_GameWin", s.Wav() });
    }
    // Spoken calls: a voice where espeak-ng speaks, a gliding tone otherwise.
    std::vector<uint8_t> hi = allowVoice ? Speak("\xe5\x97\xa8") : std::vector<uint8_t>(); // "hi"
    if (hi.empty()) {
        Synth s(320);
        s.Tone(0, 140, 520, 0.35f, 4, { 1.0f, 0.5f, 0.2f }, 700);
        s.Tone(150, 170, 700, 0.35f, 6, { 1.0f, 0.5f, 0.2f }, 880);
        hi = s.Wav();
    }
    out.push_back({ "SndHi", std::move(hi) });
    std::vector<uint8_t> ahoo = allowVoice ? Speak("\xe5\x95\x8a\xe5\x93\x88") : std::vector<uint8_t>();
    if (ahoo.empty()) {
        Synth s(520);
        s.Tone(0, 220, 440, 0.35f, 2, { 1.0f, 0.6f, 0.3f }, 620);
        s.Tone(230, 290, 620, 0.35f, 4, { 1.0f, 0.6f, 0.3f }, 330);
        ahoo = s.Wav();
    }
    out.push_back({ "SndAhoo", std::move(ahoo) });
    return out;
}

std::vector<std::vector<uint8_t>> MakeProgramSounds()
{
    std::vector<std::vector<uint8_t>> out;
    {
        Synth s(140); // a card dealt: a short swish
        s.Noise(0, 140, 0.6f, 30, 0.25f, 101);
        out.push_back(s.Wav());
    }
    {
        Synth s(90); // a card played: a snap
        s.Noise(0, 90, 0.8f, 60, 0.8f, 202);
        s.Tone(0, 60, 180, 0.3f, 50);
        out.push_back(s.Wav());
    }
    {
        Synth s(60); // a countdown tick
        s.Tone(0, 60, 1800, 0.35f, 70, { 1.0f, 0.2f });
        out.push_back(s.Wav());
    }
    {
        Synth s(420); // a warning: two short beeps
        s.Tone(0, 150, 880, 0.3f, 4, { 1.0f, 0.0f, 0.3f });
        s.Tone(220, 150, 880, 0.3f, 4, { 1.0f, 0.0f, 0.3f });
        out.push_back(s.Wav());
    }
    {
        Synth s(600); // a shuffle: a run of riffled cards
        for (int i = 0; i < 12; ++i)
            s.Noise(i * 45, 60, 0.45f, 50, 0.45f, 300u + static_cast<uint32_t>(i));
        out.push_back(s.Wav());
    }
    out.push_back(Chime({ kG5, kE5 }, 140, 400, 6)); // a turn passes to you
    return out;
}

std::string SkinIniText()
{
    return "[CommColors]\r\n"
           "AdvHeader=38 96 52\r\n"
           "AdvText=58 36 16\r\n"
           "AdvBk=246 238 218\r\n"
           "AdvGrid=222 206 168\r\n"
           "PlayerViewHeader=62 34 13\r\n"
           "PlayerViewText=30 30 30\r\n"
           "TitleText=246 222 150\r\n"
           "WaitBarfg=226 184 78\r\n"
           "WaitBarbg=30 107 58\r\n"
           "\r\n"
           "[BitmapResource]\r\n"
           "CommDlgBK="
        + std::string(kSkinDialogBackground) + "\r\n";
}

// ---- Files -----------------------------------------------------------------------------

namespace {

void PutLe(std::vector<uint8_t>& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PutTag(std::vector<uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

bool WriteBytes(const std::filesystem::path& path, const void* data, size_t size, std::string& error)
{
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!file.good()) {
        error = "cannot write " + path.string();
        return false;
    }
    return true;
}

void AddPictures(PackWriter& pack, const std::vector<SkinPicture>& pictures)
{
    for (const SkinPicture& p : pictures)
        pack.AddPicture(p.name, p.picture);
}

} // namespace

std::vector<uint8_t> EncodeWav(const std::vector<int16_t>& samples, int rate)
{
    const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    std::vector<uint8_t> out;
    out.reserve(44 + dataBytes);
    PutTag(out, "RIFF");
    PutLe(out, 36 + dataBytes, 4);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    PutLe(out, 16, 4);
    PutLe(out, 1, 2); // PCM
    PutLe(out, 1, 2); // mono
    PutLe(out, static_cast<uint32_t>(rate), 4);
    PutLe(out, static_cast<uint32_t>(rate) * 2, 4);
    PutLe(out, 2, 2);
    PutLe(out, 16, 2);
    PutTag(out, "data");
    PutLe(out, dataBytes, 4);
    for (int16_t s : samples)
        PutLe(out, static_cast<uint16_t>(s), 2);
    return out;
}

std::vector<uint8_t> EncodeBmp(const engine::PictureData& picture)
{
    const uint32_t w = picture.frameWidth;
    const uint32_t h = picture.frameHeight;
    const uint32_t stride = (w * 3 + 3) & ~3u;
    std::vector<uint8_t> out;
    out.reserve(54 + stride * h);
    out.push_back('B');
    out.push_back('M');
    PutLe(out, 54 + stride * h, 4);
    PutLe(out, 0, 4);
    PutLe(out, 54, 4);
    PutLe(out, 40, 4);
    PutLe(out, w, 4);
    PutLe(out, h, 4);
    PutLe(out, 1, 2);
    PutLe(out, 24, 2);
    PutLe(out, 0, 4);
    PutLe(out, stride * h, 4);
    PutLe(out, 2835, 4);
    PutLe(out, 2835, 4);
    PutLe(out, 0, 4);
    PutLe(out, 0, 4);
    for (uint32_t row = h; row-- > 0;) {
        const uint8_t* p = picture.pixels.data() + static_cast<size_t>(row) * w * 4;
        for (uint32_t x = 0; x < w; ++x) {
            // Over white where the picture is not opaque.
            const float a = p[x * 4 + 3] / 255.0f;
            for (int c = 0; c < 3; ++c)
                out.push_back(static_cast<uint8_t>(std::lround(p[x * 4 + c] * a + 255 * (1 - a))));
        }
        for (uint32_t pad = w * 3; pad < stride; ++pad)
            out.push_back(0);
    }
    return out;
}

engine::PictureData ContactSheet(const std::vector<SkinPicture>& pictures, platform::FontRenderer& font)
{
    constexpr int kMaxWidth = 1400;
    constexpr int kGap = 10;
    constexpr int kLabel = 16;
    struct Place {
        const SkinPicture* picture;
        int x;
        int y;
    };
    std::vector<Place> places;
    int x = kGap;
    int y = kGap;
    int shelf = 0;
    int width = 0;
    const TextStyle label { 12, 400, Argb(0x202020), 0 };
    for (const SkinPicture& p : pictures) {
        const int frames = p.picture.frameCount;
        const int w = std::max(frames * (p.picture.frameWidth + 2) - 2, MeasureText(font, p.name, label));
        const int h = kLabel + p.picture.frameHeight;
        if (x + w > kMaxWidth && x > kGap) {
            x = kGap;
            y += shelf + kGap;
            shelf = 0;
        }
        places.push_back({ &p, x, y });
        x += w + kGap * 2;
        width = std::max(width, x);
        shelf = std::max(shelf, h);
    }
    Canvas sheet(width, y + shelf + kGap, Argb(0xC8C8C8));
    for (const Place& place : places) {
        const engine::PictureData& pic = place.picture->picture;
        DrawTextAt(sheet, font, place.picture->name, place.x, place.y, label);
        for (int f = 0; f < pic.frameCount; ++f) {
            const int left = place.x + f * (pic.frameWidth + 2);
            const int top = place.y + kLabel;
            for (int py = 0; py < pic.frameHeight; ++py)
                for (int px = 0; px < pic.frameWidth; ++px) {
                    // A checkerboard shows what is transparent.
                    const bool dark = ((px / 6) + (py / 6)) % 2;
                    sheet.Set(left + px, top + py, dark ? Argb(0x9A9A9A) : Argb(0xB4B4B4));
                    const size_t at = ((static_cast<size_t>(f) * pic.frameHeight + py) * pic.frameWidth + px) * 4;
                    const uint8_t* s = pic.pixels.data() + at;
                    sheet.Blend(left + px, top + py,
                        static_cast<uint32_t>(s[3]) << 24 | s[2] << 16 | s[1] << 8 | s[0]);
                }
        }
    }
    return ToPicture({ sheet });
}

namespace {

Canvas FromPicture(const engine::PictureData& p, int frame = 0)
{
    Canvas c(p.frameWidth, p.frameHeight);
    for (int y = 0; y < p.frameHeight; ++y)
        for (int x = 0; x < p.frameWidth; ++x) {
            const uint8_t* s = p.pixels.data() + ((static_cast<size_t>(frame) * p.frameHeight + y) * p.frameWidth + x) * 4;
            c.Set(x, y, static_cast<uint32_t>(s[3]) << 24 | s[2] << 16 | s[1] << 8 | s[0]);
        }
    return c;
}

// Draws the picture stretched (nearest pixel) over the rectangle.
void DrawStretched(Canvas& target, const Canvas& source, int left, int top, int width, int height)
{
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            target.Blend(left + x, top + y, source.At(x * source.Width() / width, y * source.Height() / height));
}

} // namespace

engine::PictureData DrawPreview(platform::FontRenderer& font)
{
    std::vector<SkinPicture> pictures = DrawFramePictures(font);
    for (SkinPicture& face : DrawFacePictures(font))
        pictures.push_back(std::move(face));
    auto get = [&](std::string_view name, int frame = 0) {
        for (const SkinPicture& p : pictures)
            if (p.name == name)
                return FromPicture(p.picture, frame);
        return Canvas(1, 1);
    };
    constexpr int kW = 800;
    constexpr int kH = 520;
    Canvas c(kW, kH, Argb(0));
    const Canvas felt = get("TablePatten");
    for (int y = 0; y < kH; y += felt.Height())
        for (int x = 0; x < kW; x += felt.Width())
            c.Draw(felt, x, y);
    const int tableLeft = 5;
    const int tableTop = kTitleHeight;
    const int tableW = 560;
    const int tableH = kH - kTitleHeight - 5;
    const int s = std::min(tableW, tableH);
    DrawStretched(c, get("TableHalo"), tableLeft + tableW / 2 - s / 2, tableTop + tableH / 2 - s / 2, s, s);
    c.Draw(get("TableCornerLT"), tableLeft, tableTop);
    c.Draw(get("TableCornerRT"), tableLeft + tableW - 56, tableTop);
    c.Draw(get("TableCornerLB"), tableLeft, tableTop + tableH - 56);
    c.Draw(get("TableCornerRB"), tableLeft + tableW - 56, tableTop + tableH - 56);
    DrawStretched(c, get("左右分隔条_bg"), tableLeft + tableW, tableTop, 8, tableH);
    // The side pane stands in as paper.
    c.Fill(RoundRect(tableLeft + tableW + 8.0f, static_cast<float>(tableTop), kW - 5.0f, kH - 5.0f, 0), kPaper);

    const Canvas top = get("Frame_Top");
    for (int x = 0; x < kW; x += top.Width())
        c.Draw(top, x, 0);
    c.Draw(get("FramePatternLeft"), 0, 0);
    const Canvas middle = get("FramePatternMiddle");
    c.Draw(middle, kW / 2 - middle.Width() / 2, 0);
    const Canvas right = get("FramePatternRight");
    c.Draw(right, kW - right.Width(), 0);
    const Canvas icon = get("GameIcon");
    c.Draw(icon, 10, (kTitleHeight + 1) / 2 - icon.Height() / 2);
    DrawTextAt(c, font, "牌友俱乐部 - 第8桌", 36, (kTitleHeight - 3) / 2 - 6, { 12, 400, Argb(0xF6DE96), 0 });
    int x = kW - 4;
    for (const char* name : { "btnFrameClose", "btnFrameFit", "btnFrameMin", "btnSet2", "btnHelp2", "btnShop2" }) {
        const Canvas button = get(name, std::string_view(name) == "btnSet2" ? 1 : 0);
        x -= button.Width() + 2;
        c.Draw(button, x, 3);
    }
    DrawStretched(c, get("Frame_Left"), 0, kTitleHeight, 5, kH - kTitleHeight);
    DrawStretched(c, get("Frame_Right"), kW - 5, kTitleHeight, 5, kH - kTitleHeight);
    DrawStretched(c, get("Frame_Bottom"), 0, kH - 5, kW, 5);

    // The quit board as the frame shows it.
    const int bl = tableLeft + tableW / 2 - 135;
    const int bt = 120;
    c.Draw(get("bit_systemboard"), bl, bt);
    c.Draw(get("bit_SureQuit"), bl + 23, bt + 67);
    c.Draw(get("btn_gameset_ok"), bl + 145 - 25, bt + 163 - 12);
    c.Draw(get("btn_gameset_cancel", 1), bl + 200 - 25 + 4, bt + 163 - 12);
    const Canvas autoplay = get("animation_autoplaying");
    c.Draw(autoplay, tableLeft + tableW / 2 - autoplay.Width() / 2, 380);
    c.Draw(get("vkf打牌"), 40, 60);
    c.Draw(get("vkf财神"), 100, 60);
    c.Draw(get("qh系统通知"), tableLeft + tableW + 16, tableTop + 10);
    DrawTextAt(c, font, "欢迎来到牌桌！", tableLeft + tableW + 76, tableTop + 12, { 12, 400, kCardRed, 0 });
    return ToPicture({ c });
}

bool WriteSkin(const std::string& programDir, bool allowVoice, std::string& error, bool speakVoices)
{
    namespace fs = std::filesystem;
    const fs::path root(programDir);
    platform::FontRenderer font;

    SkinFiles skin;
    skin.speakVoices = allowVoice && speakVoices;
    skin.pictures[kSkinFramePack] = DrawFramePictures(font);
    skin.sounds[kSkinFramePack] = MakeFrameSounds(allowVoice);
    skin.pictures[kSkinFacePack] = DrawFacePictures(font);
    for (const SkinArea area : kSkinAreas)
        area(skin, font);

    std::map<std::string, PackWriter> packs;
    for (const auto& [path, pictures] : skin.pictures) {
        // Two areas drawing one name would leave the client one of them.
        std::set<std::string> names;
        for (const SkinPicture& p : pictures)
            if (!names.insert(p.name).second) {
                error = "the picture " + p.name + " is drawn twice for " + path;
                return false;
            }
        AddPictures(packs[path], pictures);
    }
    for (auto& [path, sounds] : skin.sounds)
        for (SkinSound& sound : sounds)
            packs[path].AddBytes(sound.name + ".wav", std::move(sound.wav));
    for (auto& [path, entries] : skin.entries)
        for (auto& [name, bytes] : entries)
            packs[path].AddBytes(name, std::move(bytes));
    for (auto& [path, pack] : packs) {
        std::error_code ec;
        fs::create_directories((root / path).parent_path(), ec);
        if (!pack.Write((root / path).string())) {
            error = "cannot write the pack " + (root / path).string();
            return false;
        }
    }

    const std::string ini = SkinIniText();
    const std::vector<uint8_t> bmp = EncodeBmp(DrawDialogBackground(font));
    if (!WriteBytes(root / kSkinIni, ini.data(), ini.size(), error)
        || !WriteBytes(root / "skins" / kSkinDialogBackground, bmp.data(), bmp.size(), error))
        return false;
    const std::vector<std::vector<uint8_t>> sounds = MakeProgramSounds();
    for (size_t i = 0; i < sounds.size(); ++i) {
        const fs::path path = root / kSkinSoundDir / (std::to_string(kFirstProgramSound + i) + ".wav");
        if (!WriteBytes(path, sounds[i].data(), sounds[i].size(), error))
            return false;
    }
    for (const auto& [path, bytes] : skin.files)
        if (!WriteBytes(root / path, bytes.data(), bytes.size(), error))
            return false;
    return true;
}

std::string SkinForCheck(const std::string& scratch, std::string& error)
{
    const char* shared = std::getenv("KBZN_TEST_SKIN");
    if (shared && *shared) {
        if (std::filesystem::is_regular_file(std::filesystem::path(shared) / kSkinIni))
            return shared;
        error = std::string("no skin in ") + shared;
        return {};
    }
    return WriteSkin(scratch, false, error) ? scratch : std::string();
}

} // namespace tools
