// Nine-grid panels in the real engine: the parts found by scanning a frame
// picture with a transparent inside, the layout around the client area, the
// panel drawn into the back buffer, the title and the content.

#include "tests/engine/objects/HostFixture.h"

#include "engine/controls/widgets/NineGridPanel.h"

#include <vector>

using namespace engine;
using namespace objectstest;

namespace {

// Picture colours (0x00BBGGRR) and how the back buffer shows them.
constexpr uint32_t kRed = 0x0000ff;
constexpr uint32_t kGreen = 0x00ff00;
constexpr uint32_t kBlue = 0xff0000;
constexpr uint32_t kRedShown = 0xff0000;
constexpr uint32_t kGreenShown = 0x00ff00;
constexpr uint32_t kBlueShown = 0x0000ff;

class NineGridHost : public HostEngine {
protected:
    void SetUp() override
    {
        HostEngine::SetUp();
        if (IsSkipped())
            return;
        Frame();
        backdrop = Pixel(100, 75);
    }
    // A w x h frame picture: transparent inside `inside` and in the rows
    // above bandBottom, red above the inside, green below it, blue beside it.
    PictureDesc MakeFrame(const std::string& name, int w, int h, Rect inside, int bandBottom = 0)
    {
        return host.AddPicture(name, w, h, 1, 0, [&](int, int x, int y) -> uint32_t {
            const bool in = x >= inside.left && x < inside.right && y >= inside.top && y < inside.bottom;
            if (y < bandBottom || in)
                return 0; // transparent
            const uint32_t colour = y < inside.top ? kRed : y >= inside.bottom ? kGreen : kBlue;
            return CanvasObject::MakePixel(colour, kNoColourKey);
        });
    }
    PictureDesc StandardFrame() { return MakeFrame("frame", 100, 80, Rect { 10, 30, 90, 70 }); }
    NineGridPanel* NewPanel()
    {
        auto* panel = static_cast<NineGridPanel*>(root->RegisterObject(std::make_unique<NineGridPanel>()));
        EXPECT_NE(panel, nullptr);
        return panel;
    }
    // A shown panel centred in the window.
    NineGridPanel* ShownPanel(const PictureDesc& frame, uint32_t colour, int cw, int ch)
    {
        NineGridPanel* panel = NewPanel();
        panel->CreateWithColour(&frame, colour, cw, ch);
        panel->MoveTo(100, 75);
        panel->Show();
        panel->Invalidate();
        Frames(2);
        return panel;
    }
    // The back-buffer pixel at panel coordinates.
    uint32_t PanelPixel(NineGridPanel* panel, int x, int y)
    {
        return Pixel(static_cast<int>(panel->GetLeft()) + x, static_cast<int>(panel->GetTop()) + y);
    }

    uint32_t backdrop = 0;
};

TEST_F(NineGridHost, FindsTheNinePartsAndLaysThemOutAroundTheClientArea)
{
    const PictureDesc frame = StandardFrame();
    NineGridPanel* panel = NewPanel();
    panel->CreateWithColour(&frame, kNoColourKey, 200, 100);
    const std::vector<Rect> source {
        { 0, 0, 100, 80 },
        { 0, 0, 10, 30 },
        { 10, 0, 90, 30 },
        { 90, 0, 100, 30 },
        { 0, 30, 10, 70 },
        { 10, 30, 90, 70 },
        { 90, 30, 100, 70 },
        { 0, 70, 10, 80 },
        { 10, 70, 90, 80 },
        { 90, 70, 100, 80 },
    };
    const std::vector<Rect> dest {
        { 0, 0, 220, 140 },
        { 0, 0, 10, 30 },
        { 10, 0, 210, 30 },
        { 210, 0, 220, 30 },
        { 0, 30, 10, 130 },
        { 10, 30, 210, 130 },
        { 210, 30, 220, 130 },
        { 0, 130, 10, 140 },
        { 10, 130, 210, 140 },
        { 210, 130, 220, 140 },
    };
    for (int i = 0; i < NineGridPanel::kParts; ++i) {
        EXPECT_EQ(panel->GetSourcePart(i), source[static_cast<size_t>(i)]) << i;
        EXPECT_EQ(panel->GetDestPart(i), dest[static_cast<size_t>(i)]) << i;
    }
    EXPECT_EQ(panel->GetClientRect(), (Rect { 10, 30, 210, 130 }));
    EXPECT_EQ(panel->GetWidth(), 220);
    EXPECT_EQ(panel->GetHeight(), 140);
    EXPECT_EQ(panel->GetBackground()->GetBufferWidth(), 220);
    EXPECT_EQ(panel->GetBackground()->GetBufferHeight(), 140);

    panel->Resize(60, 40);
    EXPECT_EQ(panel->GetDestPart(0), (Rect { 0, 0, 80, 80 }));
    EXPECT_EQ(panel->GetClientRect(), (Rect { 10, 30, 70, 70 }));
}

TEST_F(NineGridHost, ScanSkipsATransparentBandAboveTheFrame)
{
    const PictureDesc frame = MakeFrame("shadowed", 100, 85, Rect { 10, 35, 90, 75 }, 5);
    NineGridPanel* panel = NewPanel();
    panel->CreateWithColour(&frame, kNoColourKey, 50, 50);
    EXPECT_EQ(panel->GetSourcePart(5), (Rect { 10, 35, 90, 75 }));
    EXPECT_EQ(panel->GetSourcePart(1), (Rect { 0, 0, 10, 35 }));
    EXPECT_EQ(panel->GetSourcePart(9), (Rect { 90, 75, 100, 85 }));
}

TEST_F(NineGridHost, DrawsCornersAndStretchedEdgesAroundTheCentreColour)
{
    const PictureDesc frame = StandardFrame();
    struct Case {
        uint32_t colour;
        uint32_t shown;
    };
    for (const Case& c : { Case { 0xffffff, 0xffffff }, Case { kNoColourKey, backdrop }, Case { kBlue, kBlueShown } }) {
        NineGridPanel* panel = ShownPanel(frame, c.colour, 60, 40);
        EXPECT_EQ(PanelPixel(panel, 5, 5), kRedShown);    // top-left corner
        EXPECT_EQ(PanelPixel(panel, 40, 10), kRedShown);  // top edge
        EXPECT_EQ(PanelPixel(panel, 75, 20), kRedShown);  // top-right corner
        EXPECT_EQ(PanelPixel(panel, 2, 50), kBlueShown);  // left edge
        EXPECT_EQ(PanelPixel(panel, 77, 60), kBlueShown); // right edge
        EXPECT_EQ(PanelPixel(panel, 40, 75), kGreenShown);
        EXPECT_EQ(PanelPixel(panel, 10, 30), c.shown) << c.colour;
        EXPECT_EQ(PanelPixel(panel, 40, 50), c.shown) << c.colour;
        EXPECT_EQ(PanelPixel(panel, 69, 69), c.shown) << c.colour;
        root->RemoveObject(panel, 0);
        Frames(2);
    }
}

TEST_F(NineGridHost, ACentrePictureFillsTheClientArea)
{
    const PictureDesc frame = StandardFrame();
    const PictureDesc centre = MakePicture("centre", 8, 8, 0x00ffff);
    NineGridPanel* panel = NewPanel();
    panel->Create(&frame, &centre, 60, 40);
    panel->MoveTo(100, 75);
    panel->Show();
    panel->Invalidate();
    Frames(2);
    EXPECT_EQ(PanelPixel(panel, 10, 30), 0xffff00u);
    EXPECT_EQ(PanelPixel(panel, 69, 69), 0xffff00u);
    EXPECT_EQ(PanelPixel(panel, 5, 5), kRedShown);
}

TEST_F(NineGridHost, ANewFrameKeepsTheOuterSizeAndNeverTurnsTheClientInsideOut)
{
    NineGridPanel* panel = ShownPanel(StandardFrame(), 0xffffff, 60, 40);
    panel->SetFrameImage(MakeFrame("thick", 100, 80, Rect { 20, 40, 80, 60 }));
    EXPECT_EQ(panel->GetDestPart(0), (Rect { 0, 0, 80, 80 }));
    EXPECT_EQ(panel->GetClientRect(), (Rect { 20, 40, 60, 60 }));
    Frames(2);
    EXPECT_EQ(PanelPixel(panel, 15, 50), kBlueShown);
    EXPECT_EQ(PanelPixel(panel, 40, 50), 0xffffffu);

    // Borders wider than the whole panel: an empty client area, no fill.
    panel->SetFrameImage(MakeFrame("thicker", 100, 80, Rect { 45, 70, 55, 75 }));
    EXPECT_EQ(panel->GetClientRect(), (Rect { 45, 70, 45, 75 }));
    EXPECT_EQ(panel->GetDestPart(0), (Rect { 0, 0, 90, 80 }));
    Frames(2);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            ASSERT_NE(Pixel(x, y), 0xffffffu) << x << "," << y;
}

TEST_F(NineGridHost, AFrameWithoutAnInsideDrawsOnlyItsRealParts)
{
    const PictureDesc solid = MakePicture("solid", 40, 40, kRed);
    NineGridPanel* panel = ShownPanel(solid, 0xffffff, 0, 0);
    EXPECT_EQ(panel->GetSourcePart(5), (Rect { 20, 20, 20, 20 }));
    EXPECT_EQ(panel->GetDestPart(0), (Rect { 0, 0, 40, 40 }));
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            ASSERT_NE(Pixel(x, y), 0xffffffu) << x << "," << y;
    EXPECT_EQ(PanelPixel(panel, 20, 20), kRedShown);

    // The edges have no source pixels: the gaps between the corners stay
    // empty instead of the frame being stretched over the whole panel.
    panel->SetSize(20, 10);
    Frames(2);
    EXPECT_EQ(panel->GetDestPart(0), (Rect { 0, 0, 60, 50 }));
    EXPECT_EQ(PanelPixel(panel, 5, 5), kRedShown);
    EXPECT_EQ(PanelPixel(panel, 30, 5), backdrop);
    EXPECT_EQ(PanelPixel(panel, 30, 25), 0xffffffu);
}

TEST_F(NineGridHost, ReplacedContentGoesAwayAndTheNewOneFillsTheClientArea)
{
    NineGridPanel* panel = ShownPanel(StandardFrame(), kNoColourKey, 60, 40);
    CanvasObject* first = root->CreateCanvas(10, 10, 0xffffff);
    CanvasObject* second = root->CreateCanvas(10, 10, 0x00ffff);
    const int firstId = first->GetId();
    panel->SetContent(first);
    panel->SetContent(second);
    EXPECT_FALSE(first->IsShown());
    panel->SetContent(second); // the same object again stays
    panel->Redraw();
    Frames(5);
    EXPECT_EQ(root->FindObjectById(firstId), nullptr);
    ASSERT_EQ(root->FindObjectById(second->GetId()), second);
    EXPECT_TRUE(second->IsShown());
    EXPECT_DOUBLE_EQ(second->GetLeft(), panel->GetLeft() + 10);
    EXPECT_DOUBLE_EQ(second->GetTop(), panel->GetTop() + 30);
    EXPECT_EQ(second->GetBufferWidth(), 60);
    EXPECT_EQ(second->GetBufferHeight(), 40);
    EXPECT_GT(second->GetZ(), panel->GetBackground()->GetZ());
    EXPECT_EQ(PanelPixel(panel, 40, 50), 0xffff00u);
}

TEST_F(NineGridHost, ContentCanvasIsMadeOnceAndForgottenWhenReplaced)
{
    NineGridPanel* panel = ShownPanel(StandardFrame(), kNoColourKey, 60, 40);
    CanvasObject* canvas = panel->GetContentCanvas();
    ASSERT_NE(canvas, nullptr);
    EXPECT_EQ(panel->GetContentCanvas(), canvas);
    EXPECT_EQ(panel->GetContent(), canvas);
    EXPECT_EQ(canvas->GetBufferWidth(), 60);
    EXPECT_EQ(canvas->GetBufferHeight(), 40);
    EXPECT_DOUBLE_EQ(canvas->GetLeft(), panel->GetLeft() + 10);
    EXPECT_DOUBLE_EQ(canvas->GetTop(), panel->GetTop() + 30);
    EXPECT_TRUE(canvas->IsShown());

    panel->SetContent(root->CreateCanvas(5, 5, 0));
    Frames(5);
    CanvasObject* fresh = panel->GetContentCanvas();
    ASSERT_NE(fresh, nullptr);
    EXPECT_NE(root->FindObjectById(fresh->GetId()), nullptr);
    EXPECT_EQ(panel->GetContent(), fresh);
}

TEST_F(NineGridHost, TitleCanvasCoversTheTopEdge)
{
    NineGridPanel* panel = ShownPanel(StandardFrame(), kNoColourKey, 60, 40);
    panel->SetTitle("牌局");
    CanvasObject* title = panel->GetTitleCanvas();
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->GetBufferWidth(), 60);
    EXPECT_EQ(title->GetBufferHeight(), 30);
    EXPECT_DOUBLE_EQ(title->GetLeft(), panel->GetLeft() + 10);
    EXPECT_DOUBLE_EQ(title->GetTop(), panel->GetTop());
    EXPECT_GT(title->GetZ(), panel->GetBackground()->GetZ());
    EXPECT_EQ(title->Style().size, 14);
    panel->Resize(100, 40);
    EXPECT_EQ(title->GetBufferWidth(), 100);
    EXPECT_DOUBLE_EQ(title->GetLeft(), panel->GetLeft() + 10);
}

} // namespace
