// Text buttons and menu items: each look drawn on the canvas, input through
// the window, the click sent at once.

#include "ButtonHost.h"

#include "engine/controls/widgets/MenuItem.h"
#include "engine/controls/widgets/TextButton.h"
#include "engine/objects/CanvasObject.h"

using namespace engine;
using namespace buttonstest;

namespace {

constexpr int kClicked = 7001;
constexpr uint32_t kBackground = 0x204060; // 0x00BBGGRR
constexpr uint32_t kBorder = 0x3080C0;
constexpr int kX = 100;
constexpr int kY = 60;

class TextButtons : public ButtonHost {
protected:
    template <typename Button = TextButton>
    Button* Make(const char* caption = "OK")
    {
        auto* b = static_cast<Button*>(root->RegisterObject(std::make_unique<Button>()));
        const EngineEvent click(owner->GetId(), kClicked);
        CanvasObject* canvas = b->Create(caption, 60, 24, 12, kBackground, kBorder, &click);
        EXPECT_NE(canvas, nullptr);
        EXPECT_EQ(canvas, b->GetCanvas());
        b->MoveTo(kX, kY);
        b->Show();
        b->Invalidate();
        Frame();
        return b;
    }
    // A corner pixel (the border) and a blank inside pixel far from the
    // caption.
    static uint32_t Corner(const TextButton* b) { return b->GetCanvas()->GetPixel(0, 0); }
    static uint32_t Inside(const TextButton* b) { return b->GetCanvas()->GetPixel(2, 2); }
    static uint32_t Darkened(uint32_t colour, double amount)
    {
        const uint32_t k = static_cast<uint32_t>(static_cast<int>(amount * 255));
        uint32_t out = 0;
        for (int shift : { 0, 8, 16 })
            out |= (((colour >> shift & 0xff) * (255 - k)) >> 8) << shift;
        return out;
    }
};

TEST_F(TextButtons, LooksFollowTheMouseAndTheClickIsSent)
{
    TextButton* b = Make();
    EXPECT_EQ(Corner(b), kBorder);
    EXPECT_EQ(Inside(b), kBackground);

    MoveMouse(kX, kY);
    EXPECT_EQ(Corner(b), kBorder ^ 0xFFFFFFu); // inverted border
    EXPECT_EQ(Inside(b), kBackground);

    Press(kX, kY);
    EXPECT_EQ(Corner(b), kBorder ^ 0xFFFFFFu); // drawn after the tint
    EXPECT_EQ(Inside(b), Darkened(kBackground, 0.5));
    EXPECT_EQ(owner->Count(kClicked), 0);

    Release(kX, kY);
    EXPECT_EQ(owner->Count(kClicked), 1);
    EXPECT_EQ(Corner(b), kBorder ^ 0xFFFFFFu);
    EXPECT_EQ(Inside(b), kBackground);

    MoveMouse(5, 5);
    EXPECT_EQ(Corner(b), kBorder);

    b->OnClick(); // sent before it returns
    EXPECT_EQ(owner->Count(kClicked), 2);
}

TEST_F(TextButtons, ReleaseOutsideAndDisabledDeliverNothing)
{
    TextButton* b = Make();
    MoveMouse(kX, kY);
    Press(kX, kY);
    MoveMouse(5, 5);
    Release(5, 5);
    EXPECT_EQ(owner->Count(kClicked), 0);

    b->SetEnabled(false);
    EXPECT_EQ(Corner(b), Darkened(kBorder, 0.2)); // the tint comes last
    EXPECT_EQ(Inside(b), Darkened(kBackground, 0.2));
    ClickAt(kX, kY);
    EXPECT_EQ(owner->Count(kClicked), 0);
    EXPECT_EQ(Inside(b), Darkened(kBackground, 0.2));

    b->SetEnabled(true);
    EXPECT_EQ(Corner(b), kBorder); // not hovered while it was disabled
    ClickAt(kX, kY);
    EXPECT_EQ(owner->Count(kClicked), 1);
    // Disabled and enabled again under the mouse: the hover look at once.
    b->SetEnabled(false);
    b->SetEnabled(true);
    EXPECT_EQ(Corner(b), kBorder ^ 0xFFFFFFu);
}

TEST_F(TextButtons, CaptionAndTextColourRedrawTheNormalLook)
{
    TextButton* b = Make("");
    b->SetCaption("Go");
    EXPECT_EQ(b->GetCaption(), "Go");
    b->SetTextColour(0x0000FF);
    EXPECT_EQ(b->GetCanvas()->GetPenColour(), 0x0000FFu);
    EXPECT_EQ(Corner(b), kBorder);
    // The caption is drawn in the pen colour: reddish pixels appear.
    int reddish = 0;
    for (int y = 1; y < 23; ++y)
        for (int x = 1; x < 59; ++x) {
            const uint32_t p = b->GetCanvas()->GetPixel(x, y);
            reddish += p != kBackground && (p & 0xff) > (p >> 16 & 0xff);
        }
    EXPECT_GT(reddish, 0);
}

TEST_F(TextButtons, HandCursorOnEnterAndLeave)
{
    TextButton* b = Make();
    b->SetHandCursor(true);
    MoveMouse(kX, kY);
    EXPECT_EQ(input->GetCursorHandle(), platform::LoadSystemCursor(platform::SystemCursor::kHand));
    MoveMouse(5, 5);
    EXPECT_EQ(input->GetCursorHandle(), platform::LoadSystemCursor(platform::SystemCursor::kArrow));
}

TEST_F(TextButtons, MenuItemLooks)
{
    MenuItem* item = Make<MenuItem>("Item");
    CanvasObject* c = item->GetCanvas();
    EXPECT_EQ(c->GetPixel(0, 0), kBackground); // no border in the normal look
    EXPECT_DOUBLE_EQ(c->GetOpacity(), 1.0);

    MoveMouse(kX, kY);
    EXPECT_EQ(c->GetPixel(0, 0), 0xBB5B6Cu);
    EXPECT_EQ(c->Style().weight, 700);
    // Tinted toward blue by 0.2.
    const uint32_t k = 51;
    uint32_t tinted = 0;
    const uint32_t tint[3] = { 0, 0, 0xFF }; // red, green, blue of 0xFF0000
    for (int i = 0; i < 3; ++i)
        tinted |= ((tint[i] * k + (kBackground >> (8 * i) & 0xff) * (255 - k)) >> 8) << (8 * i);
    EXPECT_EQ(c->GetPixel(2, 2), tinted);

    Press(kX, kY); // inverted in place
    EXPECT_EQ(c->GetPixel(0, 0), 0xBB5B6Cu ^ 0xFFFFFFu);
    EXPECT_EQ(c->GetPixel(2, 2), tinted ^ 0xFFFFFFu);
    Release(kX, kY);
    EXPECT_EQ(owner->Count(kClicked), 1);

    item->SetEnabled(false);
    EXPECT_NEAR(c->GetOpacity(), 0.3, 1e-9);
    EXPECT_EQ(c->Style().weight, 400);
    EXPECT_EQ(c->GetPixel(2, 2), kBackground);
    item->SetNextItem(item);
    EXPECT_EQ(item->GetNextItem(), item);
}

} // namespace
