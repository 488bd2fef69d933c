// The side pane: system pane, chat box and input bar. The pane is a wooden
// column with gold trim round the table; the chat is cream paper so that
// the dark chat text reads well; the input row is a light field with a
// phrase button and a green send button.
#include "tools/skin/SkinDraw.h"

namespace tools {

namespace {

using namespace skin;

constexpr int kPaneWidth = 250;
constexpr uint32_t kChatPaper = Argb(0xFBF6E8);
constexpr uint32_t kChatEdge = Argb(0xC8B07A);
constexpr uint32_t kFieldTop = Argb(0xFFFFFF);
constexpr uint32_t kFieldBottom = Argb(0xEEF3EC);
constexpr uint32_t kFieldBorder = Argb(0x6E5A32);

// Rows of wood with a gold line along the outer edges: frame 0 the top
// with rounded corners, frame 1 the middle that stretches, frame 2 the
// bottom. The inside is darker felt-brown where the lists lie.
std::vector<Canvas> PaneFrames(int width, int height)
{
    std::vector<Canvas> frames;
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    for (int part = 0; part < 3; ++part) {
        Canvas c(width, height);
        const float top = part == 0 ? 0.0f : -20.0f;
        const float bottom = part == 2 ? h : h + 20.0f;
        c.Fill(RoundRect(0, top, w, bottom, 7), [](int x, int y) { return WoodAt(x, y, true, 0.35f); });
        c.Fill(Outline(RoundRect(1.5f, top + 1.5f, w - 1.5f, bottom - 1.5f, 6), 0.8f), kGold);
        c.Fill(RoundRect(6, top + 6, w - 6, bottom - 6, 4), Argb(0x2A1A0C));
        c.Fill(RoundRect(7, top + 7, w - 7, bottom - 7, 3), [](int x, int y) {
            return Mix(Argb(0x4A3018), Argb(0x3A2410), 0.5f + 0.5f * Noise(x, y, 11));
        });
        frames.push_back(std::move(c));
    }
    return frames;
}

// The chat's paper: the top with its rounded corners and a gold rule, and
// the piece repeated below it (paper between two edges).
Canvas ChatTop(int width, int height)
{
    Canvas c(width, height);
    const float w = static_cast<float>(width);
    c.FillVertical(RoundRect(0, 0, w, height + 12.0f, 6), 0, height, kGoldDark, kWoodDark);
    c.Fill(RoundRect(2, 2, w - 2, height + 12.0f, 5), kChatEdge);
    c.FillVertical(RoundRect(3, 3, w - 3, height + 12.0f, 4), 3, height, Argb(0xF3E8CC), kChatPaper);
    return c;
}

Canvas ChatRepeat(int width, int height)
{
    Canvas c(width, height);
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    c.Fill(RoundRect(0, -4, w, h + 4, 0), kWoodDark);
    c.Fill(RoundRect(2, -4, w - 2, h + 4, 0), kChatEdge);
    c.Fill(RoundRect(3, -4, w - 3, h + 4, 0), kChatPaper);
    return c;
}

// The bar under the chat: wood with a gold rule on top; its upper row
// holds the operate buttons and the lower the input field.
Canvas InputBarPicture(int width, int height)
{
    Canvas c(width, height);
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    c.Fill(RoundRect(0, -8, w, h, 7), [](int x, int y) { return WoodAt(x, y, false, 0.3f); });
    c.Fill(RoundRect(0, 0, w, 2, 0), kGold);
    c.Fill(RoundRect(0, 2, w, 3, 0), kGoldDark);
    c.Fill(Outline(RoundRect(1.5f, -8, w - 1.5f, h - 1.5f, 6), 0.7f), WithAlpha(0xE2B84E, 0.6f));
    // A faint groove between the button row and the input row.
    c.Fill(RoundRect(10, 29, w - 10, 30, 0), WithAlpha(0x000000, 0.35f));
    c.Fill(RoundRect(10, 30, w - 10, 31, 0), WithAlpha(0xFFFFFF, 0.12f));
    return c;
}

// A light field with a dark rim: the input boxes of the chat and of the
// safe-box dialogs.
Canvas InputField(int width, int height)
{
    Canvas c(width, height);
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    c.Fill(RoundRect(0, 0, w, h, 4), kFieldBorder);
    c.FillVertical(RoundRect(1, 1, w - 1, h - 1, 3), 1, height - 1, kFieldTop, kFieldBottom);
    c.Fill(RoundRect(2, 2, w - 2, 3, 0), WithAlpha(0x000000, 0.12f));
    return c;
}

// A small triangle pointing down: the phrase list and the drop lists open
// from it.
LabelPainter DropArrow()
{
    return [](Canvas& c, float cx, float cy, uint32_t colour) {
        c.Fill(Triangle(cx - 4.5f, cy - 2.5f, cx + 4.5f, cy - 2.5f, cx, cy + 3.0f), colour);
    };
}

// A stack of silver coins for "quick set silver".
Canvas CoinsIcon()
{
    Canvas c(16, 16);
    for (int i = 0; i < 3; ++i) {
        const float y = 12.0f - i * 3.5f;
        c.Fill(RoundRect(2, y - 2.5f, 14, y + 2.5f, 2.5f), Argb(0x6E6E78));
        c.Fill(RoundRect(3, y - 2, 13, y + 1.5f, 2), Argb(0xD8DCE4));
    }
    c.Fill(RoundRect(5, 2.2f, 11, 3.2f, 0.5f), Argb(0xFFFFFF));
    return c;
}

// A little safe with its dial.
Canvas SafeIcon()
{
    Canvas c(16, 16);
    c.Fill(RoundRect(1, 1, 15, 15, 2), Argb(0x3C4650));
    c.FillVertical(RoundRect(2, 2, 14, 14, 1.5f), 2, 14, Argb(0x9AA8B4), Argb(0x5E6C78));
    c.Fill(Circle(8, 8, 3.2f), Argb(0x2A3038));
    c.Fill(Circle(8, 8, 2.2f), kGold);
    c.Fill(Segment(8, 8, 8, 6, 0.6f), Argb(0x2A3038));
    c.Fill(RoundRect(12, 6, 13.5f, 10, 0.5f), Argb(0x2A3038));
    return c;
}

// The member badge written before a member's lines.
Canvas MemberBadge(platform::FontRenderer& font)
{
    Canvas c(32, 16);
    c.FillVertical(RoundRect(0, 0, 32, 16, 4), 0, 16, Argb(0xFFD870), Argb(0xD08A10));
    c.Fill(Outline(RoundRect(0.5f, 0.5f, 31.5f, 15.5f, 4), 0.5f), Argb(0x8A5A08));
    DrawTextCentred(c, font, "会员", 16, 8, { 12, 700, Argb(0xA01810), WithAlpha(0xFFFFFF, 0.5f) });
    return c;
}

} // namespace

void DrawSidePaneSkin(SkinFiles& skin, platform::FontRenderer& font)
{
    std::vector<SkinPicture>& out = skin.pictures[kSkinFramePack];
    Add(out, "bit_SystemBar", PaneFrames(kPaneWidth, 16));
    Add(out, "SystemChatBox1", { ChatTop(kPaneWidth, 8) });
    Add(out, "SystemChatBox2", { ChatRepeat(kPaneWidth, 8) });
    Add(out, "SystemInputBar", { InputBarPicture(kPaneWidth, 62) });
    Add(out, "InputBoxBkg", { InputField(120, 24) });
    Add(out, "btnQuickChat", ButtonFrames(20, 20, 4, kSlateButton, DropArrow()));
    Add(out, "btnSendChat", ButtonFrames(50, 24, 5, kGreenButton, TextLabel(font, "发送", 12, 700)));
    Add(out, "快速设银图标", { CoinsIcon() });
    Add(out, "保险箱图标", { SafeIcon() });
    Add(out, "qh会员", { MemberBadge(font) });
}

} // namespace tools
