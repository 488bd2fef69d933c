// The side pane's lists and bars: user list, operate buttons, advertisement bar.
#include "tools/skin/SkinDraw.h"

namespace tools {

namespace {

using namespace skin;

// The paper of the lists, a little warmer than the boxes' paper.
constexpr uint32_t kRowLight = Argb(0xFBF5E6);
constexpr uint32_t kRowDark = Argb(0xF1E6CB);
constexpr uint32_t kRowHover = Argb(0xFFE7A6);
constexpr uint32_t kRule = Argb(0xDCCBA0);

Sdf Everywhere()
{
    return [](float, float) { return -1.0f; };
}

// A band of the header: pale gold to gold with a dark rule under it.
Canvas HeaderBand(int width, int height)
{
    Canvas c(width, height);
    c.FillVertical(Everywhere(), 0, height, Lighter(kGold, 0.7f), Lighter(kGold, 0.25f));
    for (int x = 0; x < width; ++x) {
        c.Set(x, 0, Lighter(kGold, 0.85f));
        c.Set(x, height - 1, kGoldDark);
    }
    return c;
}

Canvas Divider(int height)
{
    Canvas c(2, height);
    for (int y = 0; y < height; ++y) {
        c.Set(0, y, WithAlpha(kGoldDark, 0.9f));
        c.Set(1, y, WithAlpha(0xFFFFFF, 0.8f));
    }
    return c;
}

void AddUserList(std::vector<SkinPicture>& out)
{
    Add(out, "SystemUserListBar", { HeaderBand(64, 22) });

    // Frame 0 the hovered row, frames 1 and 2 the two shades.
    std::vector<Canvas> rows;
    for (uint32_t fill : { kRowHover, kRowLight, kRowDark }) {
        Canvas c(64, 32, fill);
        for (int x = 0; x < 64; ++x)
            c.Set(x, 31, kRule);
        if (fill == kRowHover)
            for (int x = 0; x < 64; ++x)
                c.Set(x, 0, Argb(0xE9BE5A));
        rows.push_back(std::move(c));
    }
    Add(out, "UserListBlock", rows);
    Add(out, "SystemDivide", { Divider(18) });

    Canvas corner(14, 14);
    corner.Fill(Everywhere(), Mix(kFeltDark, kFelt, 0.5f));
    corner.Fill(Circle(7, 7, 2.2f), WithAlpha(kGold, 0.7f));
    Add(out, "滚动角", { corner });

    // An eye: someone watching.
    Canvas eye(24, 20);
    const Sdf lens = [](float x, float y) {
        const float a = std::hypot(x - 12, y - 10 + 9) - 13; // lower arc's circle
        const float b = std::hypot(x - 12, y - 10 - 9) - 13; // upper arc's circle
        return std::max(a, b);
    };
    eye.Fill(lens, Argb(0xFFFFFF));
    eye.Fill(Outline(lens, 0.8f), kInk);
    eye.Fill(Circle(12, 10, 4.2f), Argb(0x2F6FA8));
    eye.Fill(Circle(12, 10, 2.0f), kCardBlack);
    eye.Fill(Circle(13.3f, 8.7f, 0.9f), Argb(0xFFFFFF));
    Add(out, "bit_LookOn", { eye });
}

// ---- Scroll bars: a felt trough with a gold thumb -------------------------------

Canvas Trough(int width, int height, bool vertical)
{
    Canvas c(width, height);
    const float across = static_cast<float>(vertical ? width : height);
    c.Fill(Everywhere(), [=](int x, int y) { return Mix(kFeltDark, kFelt, (vertical ? x : y) / across); });
    for (int i = 0; i < (vertical ? height : width); ++i) {
        if (vertical) {
            c.Set(0, i, Darker(kFeltDark, 0.4f));
            c.Set(width - 1, i, Lighter(kFelt, 0.2f));
        } else {
            c.Set(i, 0, Darker(kFeltDark, 0.4f));
            c.Set(i, height - 1, Lighter(kFelt, 0.2f));
        }
    }
    return c;
}

// Three looks: normal, hovered, pressed.
std::vector<Canvas> Thumbs(int width, int height)
{
    std::vector<Canvas> frames;
    for (int look = 0; look < 3; ++look) {
        Canvas c(width, height);
        const float w = static_cast<float>(width);
        const float h = static_cast<float>(height);
        const uint32_t top = look == 1 ? Lighter(kGold, 0.3f) : look == 2 ? kGoldDark : Lighter(kGold, 0.1f);
        const uint32_t bottom = look == 2 ? kGold : kGoldDark;
        c.Fill(RoundRect(1, 1, w - 1, h - 1, 4), Darker(kGoldDark, 0.3f));
        if (width < height)
            c.Fill(RoundRect(2, 2, w - 2, h - 2, 3), [=](int x, int) { return Mix(top, bottom, x / w); });
        else
            c.FillVertical(RoundRect(2, 2, w - 2, h - 2, 3), 2, height - 2, top, bottom);
        frames.push_back(std::move(c));
    }
    return frames;
}

Canvas Grip(bool vertical)
{
    Canvas c(8, 8);
    for (int i = 0; i < 3; ++i) {
        const float at = 1.5f + 2.5f * i;
        if (vertical)
            c.Fill(Segment(1.5f, at, 6.5f, at, 0.55f), WithAlpha(kWoodDark, 0.8f));
        else
            c.Fill(Segment(at, 1.5f, at, 6.5f, 0.55f), WithAlpha(kWoodDark, 0.8f));
    }
    return c;
}

// An arrow button pointing by the angle (0 right, y down).
std::vector<Canvas> Arrow(float angle)
{
    return ButtonFrames(14, 14, 3, kGoldButton, [angle](Canvas& c, float cx, float cy, uint32_t colour) {
        auto at = [&](float along, float across) {
            return std::pair { cx + along * std::cos(angle) - across * std::sin(angle),
                cy + along * std::sin(angle) + across * std::cos(angle) };
        };
        const auto [ax, ay] = at(3.2f, 0);
        const auto [bx, by] = at(-2.4f, -3.6f);
        const auto [dx, dy] = at(-2.4f, 3.6f);
        c.Fill(Triangle(ax, ay, bx, by, dx, dy), colour);
    });
}

void AddScrollBars(std::vector<SkinPicture>& out)
{
    Add(out, "ScrollBar_VertBack", { Trough(14, 64, true) });
    MakeStretchable(out.back(), true, 2);
    Add(out, "ScrollBar_VertBtn", Thumbs(14, 32));
    MakeStretchable(out.back(), true, 6);
    Add(out, "ScrollBar_VertPattern", { Grip(true) });
    Add(out, "ScrollBar_VertUpBtn", Arrow(-kPi / 2));
    Add(out, "ScrollBar_VertDownBtn", Arrow(kPi / 2));
    Add(out, "ScrollBar_HorzBtn", Thumbs(32, 14));
    MakeStretchable(out.back(), false, 6);
    Add(out, "ScrollBar_HorzPattern", { Grip(false) });
    Add(out, "ScrollBar_HorzLeftBtn", Arrow(kPi));
    Add(out, "ScrollBar_HorzRightBtn", Arrow(0));
}

// ---- Operate buttons: round wooden buttons with an icon --------------------------

using Icon = std::function<void(Canvas&, float cx, float cy, uint32_t colour)>;

std::vector<Canvas> OperateButton(const Icon& icon)
{
    return ButtonFrames(26, 26, 12, kWoodButton, icon);
}

void Smiley(Canvas& c, float cx, float cy, uint32_t colour)
{
    c.Fill(Outline(Circle(cx, cy, 7.5f), 0.9f), colour);
    c.Fill(Circle(cx - 2.8f, cy - 2, 1.1f), colour);
    c.Fill(Circle(cx + 2.8f, cy - 2, 1.1f), colour);
    c.Fill(Arc(cx, cy, 4.3f, 0.35f, kPi - 0.35f, 0.8f), colour);
}

void Broom(Canvas& c, float cx, float cy, uint32_t colour)
{
    // A speech bubble wiped by a diagonal stroke: clear the chat.
    c.Fill(Outline(RoundRect(cx - 7.5f, cy - 6.5f, cx + 7.5f, cy + 4, 3), 0.8f), colour);
    c.Fill(Triangle(cx - 4, cy + 3.5f, cx - 0.5f, cy + 3.5f, cx - 5, cy + 7.5f), colour);
    c.Fill(Segment(cx - 5, cy + 1.5f, cx + 5, cy - 4.5f, 1.1f), colour);
}

void Camera(Canvas& c, float cx, float cy, uint32_t colour)
{
    c.Fill(Outline(RoundRect(cx - 8, cy - 4, cx + 8, cy + 6, 2), 0.9f), colour);
    c.Fill(RoundRect(cx - 3.5f, cy - 6.5f, cx + 3.5f, cy - 3.5f, 1), colour);
    c.Fill(Outline(Circle(cx, cy + 1, 3.2f), 0.9f), colour);
    c.Fill(Circle(cx + 5.5f, cy - 1.8f, 0.9f), colour);
}

void Complaint(Canvas& c, float cx, float cy, uint32_t colour)
{
    // A flag on its pole: report a player.
    c.Fill(Segment(cx - 5, cy - 7, cx - 5, cy + 8, 0.9f), colour);
    c.Fill(Triangle(cx - 4.5f, cy - 7, cx + 7, cy - 3.5f, cx - 4.5f, cy + 0.5f), colour);
}

void SafeBox(Canvas& c, float cx, float cy, uint32_t colour)
{
    c.Fill(Outline(RoundRect(cx - 7.5f, cy - 7, cx + 7.5f, cy + 7, 2), 0.9f), colour);
    c.Fill(Outline(Circle(cx - 1, cy, 3.4f), 0.8f), colour);
    c.Fill(Segment(cx - 1, cy, cx + 1.4f, cy - 2.2f, 0.7f), colour);
    c.Fill(Segment(cx + 5, cy - 3, cx + 5, cy + 3, 0.8f), colour);
}

void AddOperateButtons(std::vector<SkinPicture>& out)
{
    Add(out, "btnFace", OperateButton(Smiley));
    Add(out, "qh清屏按钮", OperateButton(Broom));
    Add(out, "qh截屏按钮", OperateButton(Camera));
    Add(out, "qh投诉按钮", OperateButton(Complaint));
    Add(out, "qh保险箱按钮", OperateButton(SafeBox));

    Canvas strip(250, 34);
    strip.Fill(Everywhere(), [](int x, int y) { return WoodAt(x, y, false, 0.35f); });
    for (int x = 0; x < 250; ++x) {
        strip.Set(x, 0, kGold);
        strip.Set(x, 33, kWoodDark);
    }
    Add(out, "SystemOperateBar", { strip });
}

// ---- Advertisement bar: tabs, the score table's header ---------------------------

// A tab with rounded top corners: 0 normal, 1 hovered, 2 selected (the
// colour of the content under it), 3 disabled.
std::vector<Canvas> Tab(platform::FontRenderer& font, const char* label)
{
    std::vector<Canvas> frames;
    for (int look = 0; look < 4; ++look) {
        Canvas c(72, 24);
        const Sdf shape = RoundRect(0.5f, 0.5f, 71.5f, 30, 6);
        uint32_t top = Lighter(kWoodLight, 0.1f);
        uint32_t bottom = kWoodDark;
        uint32_t ink = Argb(0xF2D68A);
        if (look == 1) {
            top = Lighter(kWoodLight, 0.3f);
            bottom = kWoodLight;
            ink = Argb(0xFFF2C0);
        } else if (look == 2) {
            top = Argb(0xFFFFFF);
            bottom = kPaper;
            ink = Argb(0x265F34);
        } else if (look == 3) {
            top = Grey(top);
            bottom = Grey(bottom);
            ink = Argb(0x9A9A9A);
        }
        c.Fill(shape, look == 2 ? kGoldDark : Darker(kWoodDark, 0.3f));
        c.FillVertical(RoundRect(1.5f, 1.5f, 70.5f, 30, 5), 1, 24, top, bottom);
        DrawTextCentred(c, font, label, 36, 12.5f, { 12, look == 2 ? 700 : 400, ink, 0 });
        frames.push_back(std::move(c));
    }
    return frames;
}

void AddAdvertBar(std::vector<SkinPicture>& out, platform::FontRenderer& font)
{
    Add(out, "btnAdvertTab", Tab(font, "游戏资讯"));
    Add(out, "btnScoreTab", Tab(font, "积分记录"));
    Add(out, "btnDepositTab", Tab(font, "银子记录"));

    Canvas title(64, 22);
    title.FillVertical(Everywhere(), 0, 22, Argb(0xEEF6E4), Argb(0xCFE3C3));
    for (int x = 0; x < 64; ++x) {
        title.Set(x, 0, Argb(0xFAFDF5));
        title.Set(x, 21, Argb(0x9DBB8C));
    }
    Add(out, "bitHistoryTitle", { title });
    Add(out, "jf_line", { Divider(16) });
}

// ---- Sounds ------------------------------------------------------------------------

std::vector<uint8_t> SelectClick()
{
    Synth s(90);
    s.Tone(0, 80, 1400, 0.3f, 45, { 1.0f, 0.2f });
    s.Noise(0, 20, 0.15f, 120, 0.5f, 11);
    return s.Wav();
}

std::vector<uint8_t> CallRing()
{
    // Two bright rings, like a desk bell struck twice.
    Synth s(900);
    for (int at : { 0, 260 }) {
        s.Tone(at, 600, kE6, 0.3f, 6, { 1.0f, 0.45f, 0.2f });
        s.Tone(at, 600, kE6 * 1.5f, 0.12f, 8);
    }
    return s.Wav();
}

} // namespace

void DrawSideListSkin(SkinFiles& skin, platform::FontRenderer& font)
{
    std::vector<SkinPicture>& pictures = skin.pictures[kSkinFramePack];
    AddUserList(pictures);
    AddScrollBars(pictures);
    AddOperateButtons(pictures);
    AddAdvertBar(pictures, font);
    std::vector<SkinSound>& sounds = skin.sounds[kSkinFramePack];
    sounds.push_back({ "SndSelectBlock", SelectClick() });
    sounds.push_back({ "SndFa", CallRing() });
}

} // namespace tools
