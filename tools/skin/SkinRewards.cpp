// The rewards at the table: the fireworks that burst over a player's bomb
// badge when his bonus count rises, and the cheer that goes with them.
#include "tools/skin/SkinDraw.h"

#include <array>
#include <cmath>

namespace tools {

namespace {

using namespace skin;

constexpr const char* kCommonPack = "skins/common.vkr";
constexpr int kFireworksSize = 140;
constexpr int kFireworksFrames = 10;
constexpr uint32_t kFireworksFrameMs = 90;

struct Shell {
    float x;         // burst centre
    float y;
    float radius;    // full spread
    int sparks;
    int startFrame;  // the frame it bursts on
    uint32_t colour;
};

// One shell in one frame: sparks fly out and slow down, trailing a streak,
// then fade; a white flash marks the burst's first frame.
void DrawShell(Canvas& c, const Shell& shell, int frame)
{
    const int age = frame - shell.startFrame;
    if (age < 0)
        return;
    const float t = static_cast<float>(age + 1) / (kFireworksFrames - shell.startFrame);
    const float reach = shell.radius * (1 - (1 - t) * (1 - t));
    const float fade = t < 0.6f ? 1.0f : std::max(0.0f, 1 - (t - 0.6f) / 0.4f);
    if (age == 0)
        c.Fill(Circle(shell.x, shell.y, shell.radius * 0.22f), WithAlpha(0xFFF8E0, 0.85f));
    for (int i = 0; i < shell.sparks; ++i) {
        const float a = 2 * kPi * (i + 0.5f * (shell.startFrame % 2)) / shell.sparks;
        const float ex = shell.x + std::cos(a) * reach;
        const float ey = shell.y + std::sin(a) * reach + reach * reach * 0.004f; // a little fall
        const float tail = std::min(reach, shell.radius * 0.35f);
        const float sx = shell.x + std::cos(a) * (reach - tail);
        const float sy = shell.y + std::sin(a) * (reach - tail);
        c.Fill(Segment(sx, sy, ex, ey, 0.9f), WithAlpha(shell.colour, 0.55f * fade));
        c.Fill(Circle(ex, ey, 2.2f), WithAlpha(Lighter(shell.colour, 0.5f), fade));
    }
}

// The Chinese "赏" rises in gold behind the bursts, as the bonus is called.
void DrawReward(Canvas& c, platform::FontRenderer& font, int frame)
{
    if (frame < 2)
        return;
    const float t = std::min(1.0f, (frame - 2) / 4.0f);
    const float alpha = frame < kFireworksFrames - 2 ? t : 1.0f - (frame - (kFireworksFrames - 3)) / 3.0f;
    const float cy = kFireworksSize * (0.62f - 0.08f * t);
    DrawTextCentred(c, font, "赏", kFireworksSize / 2.0f + 1, cy + 1,
        { 34, 700, WithAlpha(0x3A1604, 0.7f * alpha), 0 });
    DrawTextCentred(c, font, "赏", kFireworksSize / 2.0f, cy, { 34, 700, WithAlpha(kGold, alpha), 0 });
}

void AddFireworks(std::vector<SkinPicture>& out, platform::FontRenderer& font)
{
    const std::array shells {
        Shell { 70, 62, 52, 18, 0, Argb(0xFFD54A) },
        Shell { 38, 44, 30, 12, 2, Argb(0xFF5A5A) },
        Shell { 104, 40, 30, 12, 3, Argb(0x6AD8FF) },
        Shell { 96, 92, 26, 10, 5, Argb(0x9CFF7A) },
        Shell { 42, 90, 24, 10, 6, Argb(0xFF8AE6) },
    };
    std::vector<Canvas> frames;
    for (int frame = 0; frame < kFireworksFrames; ++frame) {
        Canvas c(kFireworksSize, kFireworksSize);
        DrawReward(c, font, frame);
        for (const Shell& shell : shells)
            DrawShell(c, shell, frame);
        frames.push_back(std::move(c));
    }
    Add(out, "她比烟花更多情", frames, kFireworksFrameMs);
}

// Two rising bursts of crackle under a bright major arpeggio.
std::vector<uint8_t> CheerSound()
{
    Synth s(1100);
    s.Noise(0, 90, 0.25f, 30, 0.5f, 3);
    s.Noise(300, 90, 0.22f, 30, 0.5f, 5);
    for (int i = 0; i < 8; ++i)
        s.Noise(120 + 55 * i, 25, 0.12f, 90, 0.9f, 17 + static_cast<uint32_t>(i));
    const float notes[] = { kC5, kE5, kG5, kC6, kE6 };
    int at = 80;
    for (const float f : notes) {
        s.Tone(at, 600, f, 0.22f, 5, { 1.0f, 0.35f, 0.1f });
        at += 90;
    }
    return s.Wav();
}

} // namespace

void DrawRewardSkin(SkinFiles& skin, platform::FontRenderer& font)
{
    AddFireworks(skin.pictures[kCommonPack], font);
    skin.sounds[kCommonPack].push_back({ "Snd_Cai", CheerSound() });
}

} // namespace tools
