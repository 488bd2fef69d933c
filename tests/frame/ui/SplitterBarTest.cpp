// The splitter bar in the headless host window: the arrow's look by state
// and hover, the collapse and restore through the view it divides, the
// stored flag and the fallback arrow size.

#include "frame/ui/SplitterBar.h"

#include "engine/objects/SoundCalls.h"
#include "platform/WindowMessages.h"
#include "tests/engine/objects/HostFixture.h"

#include <string>
#include <vector>

using namespace engine;
using namespace frame;

namespace {

// Pictures in 0x00BBGGRR and how the back buffer (0x00RRGGBB) shows them.
constexpr uint32_t kShownNormal = 0x0000ff;  // red
constexpr uint32_t kShownHover = 0x00ff00;   // green
constexpr uint32_t kLeftNormal = 0xff0000;   // blue
constexpr uint32_t kLeftHover = 0x00ffff;    // yellow
constexpr uint32_t kBack = 0x808080;
uint32_t Shown(uint32_t colour)
{
    return (colour & 0xff) << 16 | (colour & 0xff00) | (colour >> 16 & 0xff);
}

// Drawing through a canvas may round a channel by one step.
::testing::AssertionResult Near(uint32_t pixel, uint32_t expected)
{
    for (int shift = 0; shift < 24; shift += 8) {
        const int a = static_cast<int>(pixel >> shift & 0xff);
        const int b = static_cast<int>(expected >> shift & 0xff);
        if (a - b > 2 || b - a > 2)
            return ::testing::AssertionFailure() << std::hex << pixel << " is not " << expected;
    }
    return ::testing::AssertionSuccess();
}

constexpr int kBarX = 100;
constexpr int kBarY = 75;

class View : public SplitterBarHost {
public:
    void SetSidePanelWidth(int width) override { widths.push_back(width); }
    int CalcSidePanelWidth() override { return computed; }
    void OnRectChanged() override { ++layouts; }
    std::vector<int> widths;
    int computed = 200;
    int layouts = 0;
};

std::vector<std::string>& Sounds()
{
    static std::vector<std::string> played;
    return played;
}

class Splitter : public objectstest::HostEngine {
protected:
    void SetUp() override
    {
        HostEngine::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        Sounds().clear();
        SoundCalls calls = objects->GetSoundCalls();
        calls.playSound = [](ModuleBase&, std::string_view name, int, const EngineEvent*) {
            Sounds().emplace_back(name);
            return 1;
        };
        objects->SetSoundCalls(calls);
    }
    void AddPictures()
    {
        Arrow("箭头右", kShownNormal, kShownHover);
        Arrow("箭头左", kLeftNormal, kLeftHover);
        MakePicture("左右分隔条_bg", 4, 4, kBack);
    }
    void Arrow(const char* name, uint32_t normal, uint32_t hover)
    {
        const uint32_t a = CanvasObject::MakePixel(normal, kNoColourKey);
        const uint32_t b = CanvasObject::MakePixel(hover, kNoColourKey);
        host.AddPicture(name, 8, 30, 2, 0, [a, b](int f, int, int) { return f == 0 ? a : b; });
    }
    SplitterBar* MakeBar()
    {
        auto* bar = static_cast<SplitterBar*>(root->RegisterObject(std::make_unique<SplitterBar>()));
        EXPECT_NE(bar, nullptr);
        if (!bar)
            return nullptr;
        bar->SetHost(&view);
        bar->SetSize(8, 140);
        bar->MoveTo(kBarX, kBarY);
        bar->Show();
        bar->Layout();
        Frame();
        return bar;
    }
    void Send(uint32_t message, int x, int y)
    {
        WindowInput(message, x, y);
        Frames(2);
    }
    void ClickArrow()
    {
        Send(platform::kWmMouseMove, kBarX, kBarY);
        Send(platform::kWmLButtonDown, kBarX, kBarY);
        Send(platform::kWmLButtonUp, kBarX, kBarY);
    }
    uint32_t ArrowPixel() { return Pixel(kBarX, kBarY); }

    View view;
};

TEST_F(Splitter, ArrowCollapsesAndRestoresToTheWidthComputedThen)
{
    AddPictures();
    SplitterBar* bar = MakeBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(root->FindObjectByName("SplitterBar"), bar);
    EXPECT_TRUE(Near(ArrowPixel(), Shown(kShownNormal)));
    EXPECT_TRUE(Near(Pixel(kBarX, 10), Shown(kBack))); // the background fills the bar's height

    Send(platform::kWmMouseMove, kBarX, kBarY);
    EXPECT_TRUE(Near(ArrowPixel(), Shown(kShownHover)));
    EXPECT_EQ(Sounds(), (std::vector<std::string> { "SndTouchButton" }));

    Send(platform::kWmLButtonDown, kBarX, kBarY);
    EXPECT_EQ(bar->GetCollapsed(), 1);
    EXPECT_EQ(bar->IsExpanded(), 0);
    EXPECT_EQ(view.widths, (std::vector<int> { 0 }));
    EXPECT_EQ(view.layouts, 1);
    EXPECT_TRUE(Near(ArrowPixel(), Shown(kLeftNormal)));
    Send(platform::kWmLButtonUp, kBarX, kBarY);

    // The view's width changed meanwhile: the restore takes the new one.
    view.computed = 170;
    Send(platform::kWmLButtonDown, kBarX, kBarY);
    EXPECT_EQ(bar->GetCollapsed(), 0);
    EXPECT_EQ(view.widths, (std::vector<int> { 0, 170 }));
    EXPECT_EQ(view.layouts, 2);
    EXPECT_TRUE(Near(ArrowPixel(), Shown(kShownNormal)));

    Send(platform::kWmMouseMove, 5, 5);
    EXPECT_TRUE(Near(ArrowPixel(), Shown(kShownNormal)));
    EXPECT_EQ(Sounds(), (std::vector<std::string> { "SndTouchButton", "SndHitButton", "SndHitButton" }));
}

TEST_F(Splitter, SetCollapsedChangesNothingUntilTheNextRedraw)
{
    AddPictures();
    SplitterBar* bar = MakeBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->SetCollapsed(1), 1);
    Frame();
    EXPECT_TRUE(Near(ArrowPixel(), Shown(kShownNormal)));
    EXPECT_TRUE(view.widths.empty());
    EXPECT_EQ(view.layouts, 0);
    bar->Redraw();
    Frame();
    EXPECT_TRUE(Near(ArrowPixel(), Shown(kLeftNormal)));

    // Pressed while collapsed: it restores.
    ClickArrow();
    EXPECT_EQ(view.widths, (std::vector<int> { 200 }));
}

TEST_F(Splitter, MissingArrowPictureGivesTheDefaultArrowArea)
{
    SplitterBar* bar = MakeBar();
    ASSERT_NE(bar, nullptr);
    ASSERT_NE(bar->GetArrowCanvas(), nullptr);
    EXPECT_EQ(bar->GetArrowCanvas()->GetWidth(), 6);
    EXPECT_EQ(bar->GetArrowCanvas()->GetHeight(), 85);
    ClickArrow(); // still toggles
    EXPECT_EQ(bar->GetCollapsed(), 1);
}

} // namespace
