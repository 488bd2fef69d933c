// This game's table beyond the card layer: the big turn clock and the turn
// score digits, the arrangement, bonus-view and card-counter buttons, the
// slogan under the start button, the labels of the information box, the
// result box with its buttons, place badges and outcome stamps, the bonus
// frame, and the sounds of the deal, the start of play, the friend's
// reveal and the round's end.
#include "tools/skin/SkinDraw.h"

#include <string>

namespace tools {

namespace {

using namespace skin;

constexpr const char* kCommonPack = "skins/common.vkr";
constexpr uint32_t kOutline = Argb(0x2A1606);

void Rimmed(Canvas& c, platform::FontRenderer& font, std::string_view text, float cx, float cy, int size,
    uint32_t colour)
{
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (dx || dy)
                DrawTextCentred(c, font, text, cx + dx, cy + dy, { size, 700, kOutline, 0 });
    DrawTextCentred(c, font, text, cx, cy, { size, 700, colour, 0 });
}

std::vector<Canvas> Digits(platform::FontRenderer& font, int w, int h, int size, uint32_t colour)
{
    std::vector<Canvas> frames;
    for (char d = '0'; d <= '9'; ++d) {
        Canvas c(w, h);
        Rimmed(c, font, std::string(1, d), w / 2.0f, h / 2.0f, size, colour);
        frames.push_back(std::move(c));
    }
    return frames;
}

// A label of the information box: gold text on a dark wood tab.
Canvas Label(platform::FontRenderer& font, std::string_view text, int w)
{
    const int h = 18;
    Canvas c(w, h);
    c.Fill(RoundRect(0, 0, static_cast<float>(w), h, 4), WithAlpha(0x2A1606, 0.7f));
    c.Fill(Outline(RoundRect(0.5f, 0.5f, w - 0.5f, h - 0.5f, 4), 0.5f), WithAlpha(kGold, 0.6f));
    DrawTextCentred(c, font, text, w / 2.0f, h / 2.0f, { 12, 700, Argb(0xFFE9A8), 0 });
    return c;
}

void AddTableParts(std::vector<SkinPicture>& out, platform::FontRenderer& font)
{
    Add(out, "digiti_Clock_Big", Digits(font, 28, 42, 38, Argb(0xFFE27A)));
    Add(out, "digit_turnScore", Digits(font, 14, 20, 18, Argb(0xFFF2B0)));
    Add(out, "btn_SortCustomer", ButtonFrames(28, 28, 6, kGoldButton, TextLabel(font, "理", 14, 700)));
    Add(out, "btn_CancelCustomer", ButtonFrames(28, 28, 6, kWoodButton, TextLabel(font, "复", 14, 700)));
    Add(out, "觅友", ButtonFrames(28, 28, 6, kRedButton, TextLabel(font, "奖", 14, 700)));
    Add(out, "btn_Cardmaster", ButtonFrames(28, 28, 6, kSlateButton, TextLabel(font, "记", 14, 700)));

    Canvas slogan(220, 26);
    slogan.Fill(RoundRect(0, 0, 220, 26, 13), WithAlpha(0x000000, 0.45f));
    DrawTextCentred(slogan, font, "庄家找朋友  二打二见真章", 110, 13, { 13, 700, kGold, 0 });
    Add(out, "slogan", { slogan });

    // "str_基础分" is the card layer's (SkinCardPlay.cpp).
    Add(out, "str_基础银", { Label(font, "基础银", 60) });
    Add(out, "str_庄家", { Label(font, "庄  家", 60) });
    Add(out, "str_找朋友", { Label(font, "找朋友", 60) });
}

// ---- result box ------------------------------------------------------------------

// The box on cream paper in a wooden frame; rows of 40 pixels from y = 87
// under a title and column heads; the next round's base at the bottom left.
Canvas ResultBox(platform::FontRenderer& font, bool silver)
{
    const int w = silver ? 500 : 460;
    const int h = 290;
    Canvas c(w, h);
    c.Fill(RoundRect(0, 0, static_cast<float>(w), h, 14), [](int x, int y) { return WoodAt(x, y, false, 0.4f); });
    c.Fill(Outline(RoundRect(3, 3, w - 3.0f, h - 3.0f, 12), 1.2f), kGold);
    c.FillVertical(RoundRect(10, 44, w - 10.0f, h - 46.0f, 8), 44, h - 46, kPaper, kPaperDark);
    Rimmed(c, font, "本 局 结 算", w / 2.0f, 22, 20, kGold);
    const TextStyle head { 12, 700, kGoldDark, 0 };
    const int headY = 58;
    DrawTextCentred(c, font, "名次", 36, headY, head);
    DrawTextCentred(c, font, "玩家", silver ? 120.0f : 128.0f, headY, head);
    DrawTextCentred(c, font, "炸弹", silver ? 262.0f : 282.0f, headY, head);
    if (silver)
        DrawTextCentred(c, font, "银子", 343, headY, head);
    DrawTextCentred(c, font, "得分", w - (silver ? 60.0f : 75.0f), headY, head);
    // A line between the rows; dark rows under the light names.
    for (int r = 0; r < 4; ++r) {
        const float top = 72.0f + 40 * r;
        c.Fill(RoundRect(14, top, w - 14.0f, top + 36, 6), WithAlpha(0x1E4A2E, r % 2 ? 0.78f : 0.88f));
    }
    return c;
}

void AddResultBox(std::vector<SkinPicture>& out, platform::FontRenderer& font)
{
    Add(out, "结算框", { ResultBox(font, false) });
    Add(out, "结算框_有银子", { ResultBox(font, true) });
    Add(out, "结果框确定", ButtonFrames(84, 30, 8, kGoldButton, TextLabel(font, "确 定", 15, 700)));
    Add(out, "结果框继续游戏", ButtonFrames(96, 30, 8, kGreenButton, TextLabel(font, "继续游戏", 15, 700)));
    Add(out, "结果框关闭按钮", ButtonFrames(22, 22, 11, kRedButton, CrossLabel(4.5f, 1.3f)));

    // Place medals left of the portraits: gold, silver, bronze and plain.
    const uint32_t medals[] = { Argb(0xF2C230), Argb(0xC8CCD4), Argb(0xC8804A), Argb(0x8A7A66) };
    std::vector<Canvas> badges;
    for (int i = 0; i < 4; ++i) {
        Canvas c(22, 22);
        c.Fill(Circle(11, 11, 10.5f), Darker(medals[i], 0.45f));
        c.FillVertical(Circle(11, 11, 9.2f), 2, 20, Lighter(medals[i], 0.35f), medals[i]);
        DrawTextCentred(c, font, std::to_string(i + 1), 11, 11, { 14, 700, Argb(0x3A2410), 0 });
        badges.push_back(std::move(c));
    }
    Add(out, "结果框名次", badges);

    Canvas phone(20, 24);
    phone.Fill(RoundRect(3, 0, 17, 24, 3), Argb(0x2C4252));
    phone.Fill(RoundRect(5, 3, 15, 18, 1), Argb(0x8CD0F0));
    phone.Fill(Circle(10, 21, 1.6f), Argb(0xDDE6EE));
    Add(out, "手机奖励", { phone });

    // On the box's wooden rim under the paper: gold, like the digits after it.
    for (const bool silver : { false, true }) {
        Canvas c(92, 18);
        DrawTextAt(c, font, silver ? "下局基础银:" : "下局基础分:", 0, 1, { 13, 700, kGold, 0 });
        Add(out, silver ? "下局基础银" : "下局基础分", { c });
    }

    // Outcome stamps, red ink at a slant.
    struct Stamp {
        const char* name;
        const char* text;
        uint32_t ink;
    };
    for (const Stamp s : { Stamp { "关两家", "关两家", kCardRed }, Stamp { "关一家", "关一家", Argb(0xD8641E) },
             Stamp { "平手", "平  手", Argb(0x2C6AA0) } }) {
        Canvas c(84, 40);
        c.Fill(Outline(RoundRect(2, 2, 82, 38, 8), 1.6f), s.ink);
        c.Fill(Outline(RoundRect(6, 6, 78, 34, 5), 0.6f), WithAlpha(s.ink, 0.7f));
        DrawTextCentred(c, font, s.text, 42, 20, { 20, 700, s.ink, 0 });
        Add(out, s.name, { c });
    }
}

// The bonus frame beside a seat: a dark panel with a gold rim and a head;
// card corners are drawn into it in rows from y = 20.
void AddBonusFrame(std::vector<SkinPicture>& out, platform::FontRenderer& font)
{
    Canvas c(160, 170);
    c.Fill(RoundRect(0, 0, 160, 170, 10), WithAlpha(0x0E2A18, 0.82f));
    c.Fill(Outline(RoundRect(1, 1, 159, 169, 9), 1.0f), kGold);
    DrawTextCentred(c, font, "炸弹与王", 80, 10, { 12, 700, kGold, 0 });
    Add(out, "炸弹框", { c });
}

// ---- sounds -----------------------------------------------------------------------

std::vector<uint8_t> DealSound()
{
    Synth s(70);
    s.Noise(0, 60, 0.35f, 60, 0.6f, 11);
    s.Tone(0, 40, 1800, 0.08f, 80);
    return s.Wav();
}

std::vector<uint8_t> WhistleSound()
{
    Synth s(520);
    s.Tone(0, 220, 1900, 0.3f, 3, { 1.0f, 0.1f }, 2600);
    s.Tone(260, 240, 2000, 0.3f, 4, { 1.0f, 0.1f }, 1500);
    return s.Wav();
}

std::vector<uint8_t> LoseSound()
{
    Synth s(900);
    s.Tone(0, 300, 392, 0.3f, 3, { 1.0f, 0.4f, 0.15f });
    s.Tone(280, 300, 349.2f, 0.3f, 3, { 1.0f, 0.4f, 0.15f });
    s.Tone(560, 340, 261.6f, 0.3f, 4, { 1.0f, 0.4f, 0.15f });
    return s.Wav();
}

void AddSounds(std::vector<SkinSound>& out)
{
    out.push_back({ "Snd_DealCard", DealSound() });
    out.push_back({ "Snd_Start", Chime({ kC5, kG5 }, 90, 260, 8) });
    out.push_back({ "Snd_Whistler", WhistleSound() });
    out.push_back({ "Snd_GameResultPeace", Chime({ kE5, kE5 }, 160, 320, 6) });
    out.push_back({ "Snd_GameLose", LoseSound() });
}

} // namespace

void DrawFriendTableSkin(SkinFiles& skin, platform::FontRenderer& font)
{
    std::vector<SkinPicture>& out = skin.pictures[kCommonPack];
    AddTableParts(out, font);
    AddResultBox(out, font);
    AddBonusFrame(out, font);
    AddSounds(skin.sounds[kCommonPack]);
}

} // namespace tools
