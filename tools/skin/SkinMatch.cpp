// Match panels and lists, the safe box and its keypad.
#include "tools/skin/SkinDraw.h"

#include <algorithm>

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


constexpr const char* kCommonPack = "skins/common.vkr";
constexpr uint32_t kNight = Argb(0x1C2430);

// Text drawn large with a dark outline, so it reads over the felt.
void OutlinedText(Canvas& c, platform::FontRenderer& font, std::string_view text, float cx, float cy, int size,
    uint32_t colour)
{
    const uint32_t edge = Argb(0x2A1606);
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx)
            if (dx || dy)
                DrawTextCentred(c, font, text, cx + dx, cy + dy, { size, 700, WithAlpha(edge, 0.55f) });
    DrawTextCentred(c, font, text, cx, cy, { size, 700, colour, Argb(0x000000) });
}

// A glyph strip: one frame a character, gold on a transparent ground.
std::vector<Canvas> GlyphStrip(platform::FontRenderer& font, std::string_view characters, int w, int h)
{
    std::vector<Canvas> frames;
    for (size_t i = 0; i < characters.size();) {
        const size_t n = CharLength(characters, i);
        Canvas c(w, h);
        OutlinedText(c, font, characters.substr(i, n), w / 2.0f, h / 2.0f, h - 10, Argb(0xFFD86A));
        frames.push_back(std::move(c));
        i += n;
    }
    return frames;
}

// A night-blue plaque with a gold rim and a line of text; frames > 1 make
// three dots after it that come one by one. The picture is centred where
// the countdown is written, so the plaque takes its lower part and leaves
// the middle free for the countdown above it.
std::vector<Canvas> Plaque(platform::FontRenderer& font, std::string_view text, int w, int h, int frames,
    uint32_t ink = Argb(0xFFE6A8))
{
    std::vector<Canvas> out;
    for (int f = 0; f < frames; ++f) {
        Canvas whole(w, 3 * h);
        Canvas c(w, h);
        const float fw = static_cast<float>(w);
        const float fh = static_cast<float>(h);
        c.Fill(RoundRect(0, 0, fw, fh, 12), WithAlpha(0x000000, 0.35f));
        c.FillVertical(RoundRect(2, 2, fw - 2, fh - 2, 10), 2, h - 2, Lighter(kNight, 0.12f), kNight);
        c.Fill(Outline(RoundRect(3.5f, 3.5f, fw - 3.5f, fh - 3.5f, 9), 1.0f), kGold);
        c.Fill(Spade(18, fh / 2, 7), WithAlpha(kGold, 0.7f));
        c.Fill(Heart(fw - 18, fh / 2, 7), WithAlpha(kGold, 0.7f));
        const float textWidth = static_cast<float>(MeasureText(font, text, { 18, 700 }));
        const float cx = frames > 1 ? fw / 2 - 12 : fw / 2;
        DrawTextCentred(c, font, text, cx, fh / 2, { 18, 700, ink, Argb(0x000000) });
        for (int d = 0; d < f && frames > 1; ++d)
            c.Fill(Circle(cx + textWidth / 2 + 8 + d * 8, fh / 2 + 6, 2.2f), ink);
        whole.Draw(c, 0, 2 * h);
        out.push_back(std::move(whole));
    }
    return out;
}

// The opening and closing banners: a ribbon with large words that grow in.
std::vector<Canvas> Banner(platform::FontRenderer& font, std::string_view text, uint32_t ribbon)
{
    std::vector<Canvas> out;
    constexpr int kW = 360;
    constexpr int kH = 120;
    for (int f = 0; f < 6; ++f) {
        Canvas c(kW, kH);
        const float t = (f + 1) / 6.0f;
        for (int ray = 0; ray < 12; ++ray) {
            const float a = ray * kPi / 6 + f * 0.08f;
            c.Fill(Triangle(kW / 2.0f, kH / 2.0f, kW / 2.0f + std::cos(a - 0.1f) * 170 * t,
                       kH / 2.0f + std::sin(a - 0.1f) * 60 * t, kW / 2.0f + std::cos(a + 0.1f) * 170 * t,
                       kH / 2.0f + std::sin(a + 0.1f) * 60 * t),
                WithAlpha(kGold, 0.25f));
        }
        c.FillVertical(RoundRect(30, 34, kW - 30, kH - 34, 6), 34, kH - 34, Lighter(ribbon, 0.2f), Darker(ribbon, 0.2f));
        c.Fill(Outline(RoundRect(30, 34, kW - 30, kH - 34, 6), 1.2f), kGold);
        OutlinedText(c, font, text, kW / 2.0f, kH / 2.0f, 18 + f * 4, Argb(0xFFE27A));
        out.push_back(std::move(c));
    }
    return out;
}

// The round's result: a dark card with a gold rim, a slot for the figure
// at (15, 15) and a heading; the place, rewards and buttons come on top.
Canvas ResultPanel()
{
    constexpr int kW = 280;
    constexpr int kH = 220;
    Canvas c(kW, kH);
    c.FillVertical(RoundRect(0, 0, kW, kH, 10), 0, kH, Argb(0x2A3A52), Argb(0x141C28));
    c.Fill(Outline(RoundRect(1.5f, 1.5f, kW - 1.5f, kH - 1.5f, 9), 1.2f), kGold);
    c.Fill(RoundRect(12, 12, 66, 66, 4), Argb(0x0C1018));
    c.Fill(Outline(RoundRect(12, 12, 66, 66, 4), 0.8f), kGoldDark);
    c.Fill(Segment(20, 82, kW - 20, 82, 0.5f), WithAlpha(kGold, 0.6f));
    return c;
}


// ---- The match list -------------------------------------------------------------

constexpr int kMatchListWidth = 250;
constexpr int kMatchListHeight = 346;
constexpr int kMatchRowWidth = kMatchListWidth - 12;
constexpr int kMatchRowHeight = 22;

// The match list's box in the side pane: a wooden board with gold trim, a
// night-blue plaque for the match name, a strip for the status line, a
// framed slot for the portrait beside the rank, and the ranking's column
// heads above the paper of the list (its top is 174 pixels above the
// bottom). The layout places the parts from the box's edges.
Canvas MatchListBox(platform::FontRenderer& font)
{
    constexpr int kW = kMatchListWidth;
    constexpr int kH = kMatchListHeight;
    constexpr float kListTop = kH - 174.0f;
    Canvas c(kW, kH);
    c.Fill(RoundRect(0, 0, kW, kH, 7), [](int x, int y) { return WoodAt(x, y, true, 0.35f); });
    c.Fill(Outline(RoundRect(1.5f, 1.5f, kW - 1.5f, kH - 1.5f, 6), 0.8f), kGold);
    // The name plaque (the title is centred 30 pixels down) and the status
    // strip under it (centred 67 pixels down).
    c.FillVertical(RoundRect(7, 8, kW - 7, 52, 6), 8, 52, Lighter(kNight, 0.15f), kNight);
    c.Fill(Outline(RoundRect(7.5f, 8.5f, kW - 7.5f, 51.5f, 6), 0.7f), kGoldDark);
    c.Fill(Spade(20, 30, 5), WithAlpha(kGold, 0.55f));
    c.Fill(Heart(kW - 20.0f, 30, 5), WithAlpha(kGold, 0.55f));
    c.Fill(RoundRect(8, 56, kW - 8, 78, 4), Argb(0x101810));
    c.Fill(Outline(RoundRect(8.5f, 56.5f, kW - 8.5f, 77.5f, 4), 0.5f), WithAlpha(kGold, 0.5f));
    // The rank row: a felt panel with the portrait's frame at its left
    // (the portrait is 48 pixels square, centred at 36, 120).
    c.FillVertical(RoundRect(7, 86, kW - 7, 154, 6), 86, 154, Lighter(kFelt, 0.1f), kFeltDark);
    c.Fill(Outline(RoundRect(7.5f, 86.5f, kW - 7.5f, 153.5f, 6), 0.6f), WithAlpha(kGold, 0.6f));
    c.Fill(RoundRect(9, 93, 63, 147, 4), Argb(0x0C1018));
    c.Fill(Outline(RoundRect(10, 94, 62, 146, 4), 1.0f), kGold);
    DrawTextAt(c, font, "我的名次", 72, 96, { 12, 700, Argb(0xF2E2B8), Argb(0x000000) });
    DrawTextAt(c, font, "剩余人数", 178, 96, { 12, 700, Argb(0xF2E2B8), Argb(0x000000) });
    // The column heads of the ranking.
    c.FillVertical(RoundRect(6, kListTop - 18, kW - 6, kListTop, 3), static_cast<int>(kListTop) - 18,
        static_cast<int>(kListTop), kGoldDark, Darker(kGoldDark, 0.3f));
    const float heads[] = { 6 + kMatchRowWidth / 8.0f, 6 + kMatchRowWidth / 2.0f, 6 + 7 * kMatchRowWidth / 8.0f };
    const char* captions[] = { "名次", "玩家", "积分" };
    for (int i = 0; i < 3; ++i)
        DrawTextCentred(c, font, captions[i], heads[i], kListTop - 9, { 12, 700, Argb(0xFFF2C8), Argb(0x3A2410) });
    // The list's paper.
    c.Fill(RoundRect(6, kListTop, kW - 6, kH - 6.0f, 2), kPaper);
    c.Fill(Outline(RoundRect(5.5f, kListTop - 18.5f, kW - 5.5f, kH - 5.5f, 3), 0.6f), kGoldDark);
    return c;
}

// The ranking's rows: frame 0 under the pointer, 1 and 2 the promoted rows
// (green; the own row takes frame 1 too, with bold text), 3 and 4 the
// others (paper, alternating). The text is dark green on every frame.
std::vector<Canvas> MatchListRows()
{
    const uint32_t fills[][2] = {
        { Argb(0xFFE9A8), Argb(0xF6D27A) }, // under the pointer
        { Argb(0xDDF2CC), Argb(0xC6E6B0) }, // promoted (and the own row)
        { Argb(0xE8F6DA), Argb(0xD4ECC0) }, // promoted, alternate
        { Argb(0xFBF6E8), Argb(0xF3EBD4) }, // other
        { Argb(0xEFE6CE), Argb(0xE6DAB8) }, // other, alternate
    };
    std::vector<Canvas> frames;
    const float w = kMatchRowWidth;
    const float h = kMatchRowHeight;
    for (int f = 0; f < 5; ++f) {
        Canvas c(kMatchRowWidth, kMatchRowHeight);
        c.FillVertical(RoundRect(0, 0, w, h, 0), 0, kMatchRowHeight, fills[f][0], fills[f][1]);
        c.Fill(RoundRect(0, h - 1, w, h, 0), WithAlpha(kGoldDark, 0.35f));
        if (f == 0)
            c.Fill(Outline(RoundRect(0.5f, 0.5f, w - 0.5f, h - 0.5f, 2), 0.5f), kGoldDark);
        frames.push_back(std::move(c));
    }
    return frames;
}

// Digits in gold with a dark edge for the rank, smaller cream ones for the
// players still in the match, and the slash between them.
std::vector<Canvas> MatchDigits(platform::FontRenderer& font, int w, int h, int size, uint32_t colour)
{
    std::vector<Canvas> frames;
    for (char d = '0'; d <= '9'; ++d) {
        Canvas c(w, h);
        const std::string text(1, d);
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (dx || dy)
                    DrawTextCentred(c, font, text, w / 2.0f + dx, h / 2.0f + dy, { size, 700, Argb(0x1A0E04) });
        DrawTextCentred(c, font, text, w / 2.0f, h / 2.0f, { size, 700, colour });
        frames.push_back(std::move(c));
    }
    return frames;
}

Canvas MatchDivision()
{
    Canvas c(8, 20);
    c.Fill(Segment(6.5f, 2.5f, 1.5f, 17.5f, 1.6f), Argb(0x1A0E04));
    c.Fill(Segment(6.5f, 2.5f, 1.5f, 17.5f, 0.9f), Argb(0xF2E2B8));
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

    // The match panels.
    std::vector<SkinPicture>& common = skin.pictures[kCommonPack];
    Add(common, "word_waitmatchstart", GlyphStrip(font, "比赛倒计时:天时分秒小报名费银两通宝", 40, 42));
    Add(common, "digit_waitmatchstart", GlyphStrip(font, "0123456789", 22, 36));
    Add(common, "word_washturn", GlyphStrip(font, "定局淘汰第轮", 40, 42));
    Add(common, "word_resttable", GlyphStrip(font, "还有桌游戏中前名晋级，", 40, 42));
    Add(common, "animation_WaitArrangeTable", Plaque(font, "正在为您安排座位", 300, 64, 4), 400);
    Add(common, "animation_WaitCaclRank", Plaque(font, "正在计算排名", 300, 64, 4), 400);
    Add(common, "animation_WaitFinal", Plaque(font, "等待决赛开始", 300, 64, 4), 400);
    Add(common, "animation_NoSignUp", Plaque(font, "您还没有报名本场比赛", 300, 64, 4), 400);
    const std::pair<const char*, const char*> stills[] = {
        { "bit_Washout", "很遗憾，您已被淘汰" },
        { "bit_MatchEnd", "本场比赛已经结束" },
        { "bit_MatchLate", "比赛已经开始，您来晚了" },
        { "bit_SystemCancel", "报名人数不足，比赛取消" },
        { "bit_SelfCancel", "您已退出本场比赛" },
        { "bit_WaitSignUpCheck", "报名审核中，请稍候" },
        { "bit_SystemRejected", "您的报名未通过审核" },
        { "bit_MatchStarted", "比赛已经开始" },
    };
    for (const auto& [name, text] : stills)
        Add(common, name, Plaque(font, text, 300, 64, 1));
    Add(common, "animation_MatchBegin", Banner(font, "比赛开始", Argb(0xB02A22)), 90);
    Add(common, "animation_MatchEnd", Banner(font, "比赛结束", Argb(0x2A5AA8)), 90);
    Add(common, "btn_signup", ButtonFrames(96, 34, 8, kGreenButton, TextLabel(font, "我要报名", 14, 700)));
    Add(common, "btn_giveup", ButtonFrames(80, 30, 8, kRedButton, TextLabel(font, "退出比赛", 13, 700)));
    Add(common, "btn_Award", ButtonFrames(90, 30, 8, kGoldButton, TextLabel(font, "领取奖品", 13, 700)));
    Add(common, "btn_ExChange", ButtonFrames(90, 30, 8, kSlateButton, TextLabel(font, "兑换奖品", 13, 700)));
    Add(common, "MatchResultDlg", { ResultPanel() });
    Add(common, "digit_MatchRank", GlyphStrip(font, "0123456789", 24, 40));
    Add(common, "char_第", GlyphStrip(font, "第", 36, 40));
    Add(common, "char_名", GlyphStrip(font, "名", 36, 40));

    // The match list in the side pane.
    Add(frame, "SystemMatchListBar", { MatchListBox(font) });
    Add(frame, "MatchListBlock", MatchListRows());
    Add(frame, "digitUserRank", MatchDigits(font, 16, 26, 24, Argb(0xFFD86A)));
    Add(frame, "digitUserRest", MatchDigits(font, 10, 16, 14, Argb(0xF2E2B8)));
    Add(frame, "bitDivision", { MatchDivision() });
    // The tick of a row being picked; the user list picks its rows with
    // the same sound, so it is made once for both.
    std::vector<SkinSound>& sounds = skin.sounds[kSkinFramePack];
    const bool made = std::any_of(sounds.begin(), sounds.end(), [](const SkinSound& s) { return s.name == "SndSelectBlock"; });
    if (!made)
        sounds.push_back({ "SndSelectBlock", Chime({ kE6 }, 40, 110, 14) });
}

} // namespace tools
