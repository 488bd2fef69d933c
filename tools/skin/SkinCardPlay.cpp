// The card table in play: the information box with its labels, the
// cancel-automatic-play button, the "pass" mark a board shows, and the
// sounds of plays, passes, bombs, sorting and seating.
#include "tools/skin/SkinDraw.h"

namespace tools {

namespace {

using namespace skin;

constexpr const char* kCommonPack = "skins/common.vkr";

// A dark glassy panel with a gold rim, the labels of the round drawn on it.
void AddInfoBox(std::vector<SkinPicture>& out, platform::FontRenderer& font)
{
    const int w = 170;
    const int h = 70;
    Canvas c(w, h);
    c.Fill(RoundRect(0, 0, w, h, 10), WithAlpha(0x000000, 0.55f));
    c.Fill(Outline(RoundRect(1, 1, w - 1, h - 1, 9), 0.8f), WithAlpha(kGold, 0.85f));
    c.Fill(Outline(RoundRect(4, 4, w - 4, h - 4, 7), 0.5f), WithAlpha(kGold, 0.3f));
    Add(out, "游戏信息框", { c });
    // The labels: gold text that reads on the panel.
    for (const auto& [name, text] : { std::pair { "str_基础分", "基础分:" }, std::pair { "str_翻牌", "翻  牌:" } }) {
        const TextStyle style { 14, 700, kGold, Argb(0x000000) };
        Canvas label(64, 18);
        DrawTextAt(label, font, text, 1, 1, style);
        Add(out, name, { label });
    }
}

void AddButtons(std::vector<SkinPicture>& out, platform::FontRenderer& font)
{
    // Same place and size as the automatic-play button it replaces.
    Add(out, "btn_CancelAutoPlay", ButtonFrames(62, 26, 7, kGoldButton, TextLabel(font, "取消托管", 12, 700)));
}

// "不出" on a board: a red seal that sets down and stays.
void AddPassMark(std::vector<SkinPicture>& out, platform::FontRenderer& font)
{
    const int w = 76;
    const int h = 40;
    std::vector<Canvas> frames;
    for (const float alpha : { 0.35f, 0.7f, 1.0f }) {
        Canvas seal(w, h);
        seal.Fill(RoundRect(0, 0, w, h, 9), Argb(0x7A1016));
        seal.FillVertical(RoundRect(2, 2, w - 2, h - 2, 7), 2, h - 2, Argb(0xD8343C), Argb(0x9C1C24));
        seal.Fill(Outline(RoundRect(4, 4, w - 4, h - 4, 6), 0.6f), WithAlpha(kPaper, 0.7f));
        DrawTextCentred(seal, font, "不出", w / 2.0f, h / 2.0f, { 20, 700, kPaper, Argb(0x4A0A0E) });
        Canvas frame(w, h);
        frame.Draw(seal, 0, 0, alpha);
        frames.push_back(std::move(frame));
    }
    Add(out, "不出", std::move(frames));
}

// A card set down: a snap with a short body.
std::vector<uint8_t> Snap(int ms, float body, uint32_t seed)
{
    Synth s(ms);
    s.Noise(0, ms, 0.8f, 45, 0.75f, seed);
    s.Tone(0, ms / 2, body, 0.3f, 40);
    return s.Wav();
}

// A bomb: a low thump with a noise burst, bigger for bigger bombs.
std::vector<uint8_t> Blast(int ms, float low, float amp, uint32_t seed)
{
    Synth s(ms);
    s.Noise(0, ms, amp, 6, 0.18f, seed);
    s.Tone(0, ms, low, amp, 5, { 1.0f, 0.5f, 0.25f }, low * 0.6f);
    return s.Wav();
}

void AddSounds(std::vector<SkinSound>& out)
{
    out.push_back({ "Snd_Throw", Snap(120, 200, 11) });
    out.push_back({ "Snd_HitCard", Snap(60, 900, 12) });
    {
        Synth s(260); // a pass: two soft falling taps
        s.Tone(0, 110, 660, 0.25f, 18, { 1.0f, 0.3f });
        s.Tone(120, 130, 494, 0.25f, 16, { 1.0f, 0.3f });
        out.push_back({ "Snd_Pass", s.Wav() });
    }
    {
        Synth s(300); // the hand re-sorted: a short riffle
        for (int i = 0; i < 5; ++i)
            s.Noise(i * 45, 60, 0.5f, 50, 0.4f, 20 + static_cast<uint32_t>(i));
        out.push_back({ "snd_sort", s.Wav() });
    }
    out.push_back({ "Snd_Bomb4", Blast(500, 110, 0.45f, 31) });
    out.push_back({ "Snd_Bomb5", Blast(600, 95, 0.5f, 32) });
    out.push_back({ "Snd_Bomb6", Blast(700, 80, 0.55f, 33) });
    out.push_back({ "Snd_Bomb78", Blast(850, 65, 0.6f, 34) });
    {
        Synth s(1100); // four jokers: a blast under a rising fanfare
        s.Noise(0, 700, 0.5f, 5, 0.18f, 35);
        const float notes[] = { kC5, kE5, kG5, kC6 };
        for (int i = 0; i < 4; ++i)
            s.Tone(i * 120, 600, notes[i], 0.25f, 4, { 1.0f, 0.5f, 0.25f });
        out.push_back({ "Snd_4King", s.Wav() });
    }
    out.push_back({ "snd_ArrageTable", Chime({ kG5, kE5, kC5 }, 90, 300, 8) });
}

} // namespace

void DrawCardPlaySkin(SkinFiles& skin, platform::FontRenderer& font)
{
    std::vector<SkinPicture>& pictures = skin.pictures[kCommonPack];
    AddInfoBox(pictures, font);
    AddButtons(pictures, font);
    AddPassMark(pictures, font);
    AddSounds(skin.sounds[kSkinFramePack]);
}

} // namespace tools
