// The game's voice pack: every play and pass named in a male ("man_") and a
// female ("woman_") voice, the sixteen quick-chat phrases in both voices,
// and the background music, a short loop. (The effects of a play are the
// card layer's.)
//
// The voices are spoken by espeak-ng when the skin maker is asked to
// (--voices) and it is installed; otherwise each name is a short run of
// voice-like tones, one per syllable, lower for the man than for the woman,
// with a pitch contour of its own so that no two names sound alike.
#include "frame/ui/FaceTables.h"
#include "platform/Gbk.h"
#include "tools/skin/SkinDraw.h"

#include <algorithm>
#include <string>
#include <vector>

namespace tools {

namespace {

using namespace skin;

constexpr const char* kVoicePack = "skins/peiyin.vkr";

struct Voice {
    const char* prefix;
    const char* espeak; // the espeak-ng voice
    float pitch;        // the tones' base, Hz
};
constexpr Voice kVoices[] = { { "man_", "cmn", 130.0f }, { "woman_", "cmn+f3", 260.0f } };

// How a card's number (2 to 14) is said at the table.
std::string RankWord(int n)
{
    static constexpr const char* kWords[] = { "二", "三", "四", "五", "六", "七", "八", "九", "十", "勾", "圈",
        "老K", "尖" };
    return kWords[n - 2];
}

struct VoiceLine {
    std::string name;   // after the prefix
    std::string spoken; // what is said (GBK)
};

std::vector<VoiceLine> VoiceLines()
{
    std::vector<VoiceLine> lines = {
        { "小王", "小王" },
        { "大王", "大王" },
        { "对小王", "对小王" },
        { "对大王", "对大王" },
        { "顺子", "顺子" },
        { "连对", "连对" },
        { "炸1", "炸弹" },
        { "炸2", "炸！" },
        { "炸3", "再炸！" },
        { "过1", "过" },
        { "过2", "不要" },
        { "过3", "要不起" },
    };
    for (int n = 2; n <= 14; ++n) {
        const std::string rank = RankWord(n);
        lines.push_back({ "单" + std::to_string(n), rank });
        lines.push_back({ "对" + std::to_string(n), "对" + rank });
        lines.push_back({ "三个" + std::to_string(n), "三个" + rank });
    }
    for (const std::string_view phrase : frame::QuickChatPhrases())
        lines.push_back({ "chat_" + std::string(phrase), std::string(phrase) });
    return lines;
}

uint32_t Hash(std::string_view text)
{
    uint32_t h = 2166136261u;
    for (const char c : text)
        h = (h ^ static_cast<uint8_t>(c)) * 16777619u;
    return h;
}

int Syllables(std::string_view text)
{
    int count = 0;
    for (size_t i = 0; i < text.size(); i += CharLength(text, i))
        ++count;
    return count;
}

// One voiced tone per syllable (at most 12), each with its own rise or
// fall, the run's pitch and contour drawn from the name.
std::vector<uint8_t> VoiceTones(const VoiceLine& line, float base)
{
    constexpr int kSyllableMs = 110;
    constexpr int kGapMs = 25;
    const int syllables = std::clamp(Syllables(line.spoken), 1, 12);
    uint32_t h = Hash(line.name);
    Synth s(syllables * (kSyllableMs + kGapMs) + 40);
    for (int i = 0; i < syllables; ++i) {
        const float step = static_cast<float>(h % 1000) / 999.0f;                  // 0 .. 1
        const float contour = static_cast<float>(h / 1000 % 1000) / 999.0f - 0.5f; // -0.5 .. 0.5
        const float from = base * (1.0f + 0.45f * step);
        s.Tone(i * (kSyllableMs + kGapMs), kSyllableMs, from, 0.35f, 6, { 1.0f, 0.6f, 0.35f, 0.2f, 0.1f },
            from * (1.0f + 0.25f * contour));
        h = h * 1103515245u + 12345u;
    }
    return s.Wav();
}

std::vector<uint8_t> VoiceSound(const VoiceLine& line, const Voice& voice, bool speak)
{
    if (speak) {
        std::vector<uint8_t> spoken = Speak(platform::Gbk::ToUtf8(line.spoken).c_str(), voice.espeak);
        if (!spoken.empty())
            return spoken;
    }
    return VoiceTones(line, voice.pitch);
}

// ---- music -------------------------------------------------------------------------

// The background music: four bars of a gentle tune over a bass, made to
// loop (it starts and ends on silence at the beat).
std::vector<uint8_t> MusicLoop()
{
    constexpr int kBeatMs = 375; // 160 beats a minute, halved: a calm 80
    constexpr float kA4 = 440.0f;
    constexpr float kD5 = 587.33f;
    constexpr float kC4 = 261.63f;
    constexpr float kF3 = 174.61f;
    constexpr float kG3 = 196.0f;
    constexpr float kA3 = 220.0f;
    // A pentatonic tune, two beats of rest at its end.
    const float tune[] = { kE5, kG5, kA5, kG5, kE5, kD5, kC5, kD5, kE5, kG5, kE5, kD5, kC5, kA4, kC5, 0 };
    const float bass[] = { kC4 / 2, kA3 / 2, kF3, kG3 };
    Synth s(kBeatMs * 16);
    for (int i = 0; i < 16; ++i)
        if (tune[i] > 0)
            s.Tone(i * kBeatMs, kBeatMs * 2 - 20, tune[i], 0.18f, 3, { 1.0f, 0.35f, 0.12f });
    for (int bar = 0; bar < 4; ++bar)
        s.Tone(bar * kBeatMs * 4, kBeatMs * 4 - 20, bass[bar], 0.2f, 1.2f, { 1.0f, 0.5f, 0.2f });
    return s.Wav();
}

} // namespace

void DrawVoiceSkin(SkinFiles& skin, platform::FontRenderer& /*font*/)
{
    std::vector<SkinSound>& out = skin.sounds[kVoicePack];
    for (const Voice& voice : kVoices)
        for (const VoiceLine& line : VoiceLines())
            out.push_back({ voice.prefix + line.name, VoiceSound(line, voice, skin.speakVoices) });
    out.push_back({ "default", MusicLoop() });
}

} // namespace tools
