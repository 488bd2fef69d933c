// The card table's buttons, signs and clock: the start, play and sort
// buttons, the pass hint, the table's emblem under the cards, the digit
// strips of the turn clock and the score pens, and the waiting sign.
#include "tools/skin/SkinDraw.h"

namespace tools {

namespace {

using namespace skin;

constexpr const char* kCommonPack = "skins/common.vkr";
constexpr uint32_t kOutline = Argb(0x2A1606);

// Text with a dark rim all round, readable on felt and on cards alike.
void RimmedText(Canvas& c, platform::FontRenderer& font, std::string_view text, float cx, float cy, int size,
    uint32_t colour, uint32_t rim = kOutline)
{
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (dx || dy)
                DrawTextCentred(c, font, text, cx + dx, cy + dy, { size, 700, rim, 0 });
    DrawTextCentred(c, font, text, cx, cy, { size, 700, colour, 0 });
}

void AddButtons(std::vector<SkinPicture>& out, platform::FontRenderer& font)
{
    Add(out, "btn_StartGame", ButtonFrames(110, 42, 10, kGoldButton, TextLabel(font, "开  始", 18, 700)));
    Add(out, "btnThrow", ButtonFrames(72, 32, 8, kGreenButton, TextLabel(font, "出牌", 15, 700)));
    Add(out, "btnPass", ButtonFrames(72, 32, 8, kRedButton, TextLabel(font, "不出", 15, 700)));
    Add(out, "btnRemaind", ButtonFrames(72, 32, 8, kSlateButton, TextLabel(font, "提示", 15, 700)));
    // The small square buttons of the bottom-right row, 30 pixels apart.
    struct Small {
        const char* name;
        const char* label;
    };
    for (const Small s : { Small { "btn_Sort1", "单" }, Small { "btn_Sort2", "对" }, Small { "btn_Sort3", "三" },
             Small { "btn_SortBomb", "炸" }, Small { "btn_SortBig", "大" }, Small { "btn_SortType", "张" } })
        Add(out, s.name, ButtonFrames(28, 28, 6, kWoodButton, TextLabel(font, s.label, 14, 700)));
    Add(out, "btn_AutoPlay", ButtonFrames(62, 26, 7, kWoodButton, TextLabel(font, "托管", 13, 700)));
    Add(out, "btn_CheckResult", ButtonFrames(62, 26, 7, kWoodButton, TextLabel(font, "成绩", 13, 700)));
    Add(out, "btn_AskCardView", ButtonFrames(66, 26, 7, kSlateButton, TextLabel(font, "请求看牌", 12, 400)));
}

// "Nothing beats the last play": a cream bubble that comes up and stays a
// moment. The table plays its frames once and hides it at the end, so its
// frames need a delay: without one the animation has no end and the hint
// stays up for the rest of the round.
constexpr uint32_t kPassHintFrameMs = 400;

void AddPassHint(std::vector<SkinPicture>& out, platform::FontRenderer& font)
{
    const int w = 204;
    const int h = 34;
    std::vector<Canvas> frames;
    for (const float alpha : { 0.45f, 0.7f, 1.0f, 0.85f }) {
        Canvas bubble(w, h);
        bubble.Fill(RoundRect(0, 0, w, h, 10), kGoldDark);
        bubble.FillVertical(RoundRect(1.5f, 1.5f, w - 1.5f, h - 1.5f, 9), 1, h - 1, kPaper, kPaperDark);
        DrawTextCentred(bubble, font, "您没有大过上家的牌", w / 2.0f, h / 2.0f, { 14, 700, kCardRed, 0 });
        Canvas frame(w, h);
        frame.Draw(bubble, 0, 0, alpha);
        frames.push_back(std::move(frame));
    }
    Add(out, "过牌提示", frames, kPassHintFrameMs);
}

// The club's emblem pressed into the felt in the middle of the table.
void AddBackgroundPattern(std::vector<SkinPicture>& out, platform::FontRenderer& font)
{
    const int w = 340;
    const int h = 200;
    Canvas c(w, h);
    const float cx = w / 2.0f;
    const float cy = h / 2.0f;
    auto oval = [=](float rx, float ry) {
        return Sdf([=](float x, float y) {
            const float nx = (x - cx) / rx;
            const float ny = (y - cy) / ry;
            return (std::sqrt(nx * nx + ny * ny) - 1) * std::min(rx, ry);
        });
    };
    c.Fill(oval(w / 2.0f - 2, h / 2.0f - 2), WithAlpha(0x0E3A20, 0.35f));
    c.Fill(Outline(oval(w / 2.0f - 6, h / 2.0f - 6), 1.2f), WithAlpha(kGold, 0.35f));
    c.Fill(Outline(oval(w / 2.0f - 14, h / 2.0f - 14), 0.6f), WithAlpha(kGold, 0.25f));
    for (int suit = 0; suit < 4; ++suit) {
        const float x = cx + (suit - 1.5f) * 36;
        const Sdf shape = suit == 0 ? Spade(x, cy + 36, 18) : suit == 1 ? Heart(x, cy + 36, 18)
                        : suit == 2                     ? Club(x, cy + 36, 18)
                                                        : Diamond(x, cy + 36, 18);
        c.Fill(shape, WithAlpha(kGold, 0.22f));
    }
    DrawTextCentred(c, font, "牌友俱乐部", cx, cy - 24, { 32, 700, WithAlpha(kGold, 0.3f), 0 });
    DrawTextCentred(c, font, "找朋友", cx, cy + 8, { 14, 400, WithAlpha(kPaper, 0.25f), 0 });
    Add(out, "bit_BkgPattern", { c });
}

// A strip of digit frames ("0" to "9", then any extra signs).
std::vector<Canvas> DigitStrip(platform::FontRenderer& font, int w, int h, int size, uint32_t colour,
    std::initializer_list<const char*> extra = {})
{
    std::vector<Canvas> frames;
    std::vector<std::string> glyphs;
    for (char d = '0'; d <= '9'; ++d)
        glyphs.emplace_back(1, d);
    for (const char* e : extra)
        glyphs.emplace_back(e);
    for (const std::string& glyph : glyphs) {
        Canvas c(w, h);
        RimmedText(c, font, glyph, w / 2.0f, h / 2.0f, size, colour);
        frames.push_back(std::move(c));
    }
    return frames;
}

void AddDigits(std::vector<SkinPicture>& out, platform::FontRenderer& font)
{
    Add(out, "digiti_Clock", DigitStrip(font, 18, 28, 26, Argb(0xFFE27A)));
    Add(out, "digit_Pen", DigitStrip(font, 12, 18, 17, kGold, { "+", "-" }));
    Add(out, "digit_Pen2", DigitStrip(font, 10, 14, 13, kPaper));
}

// "Waiting for the other players", its dots counting up.
void AddWaitSolo(std::vector<SkinPicture>& out, platform::FontRenderer& font)
{
    const int w = 240;
    const int h = 44;
    std::vector<Canvas> frames;
    for (int dots = 0; dots < 4; ++dots) {
        Canvas c(w, h);
        c.Fill(RoundRect(0, 0, w, h, 12), WithAlpha(0x000000, 0.55f));
        c.Fill(Outline(RoundRect(1, 1, w - 1, h - 1, 11), 0.7f), WithAlpha(kGold, 0.8f));
        DrawTextAt(c, font, "正在等待其他玩家", 26, h / 2 - 8, { 16, 700, kPaper, 0 });
        for (int i = 0; i < dots; ++i)
            c.Fill(Circle(168 + i * 12.0f, h / 2.0f + 4, 2.6f), kGold);
        frames.push_back(std::move(c));
    }
    Add(out, "waitsolo", frames, 400);
}

} // namespace

void DrawCardTableSkin(SkinFiles& skin, platform::FontRenderer& font)
{
    std::vector<SkinPicture>& out = skin.pictures[kCommonPack];
    AddButtons(out, font);
    AddPassHint(out, font);
    AddBackgroundPattern(out, font);
    AddDigits(out, font);
    AddWaitSolo(out, font);
}

} // namespace tools
