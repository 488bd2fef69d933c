// Progress bars in the real engine: the fill and thumb drawn into the back
// buffer, animations on the settable clock, and slider input arriving at the
// window and reported to the owner.

#include "tests/engine/objects/HostFixture.h"

#include "engine/controls/widgets/ProgressBar.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

using namespace engine;
using namespace objectstest;

namespace {

// Records the events sent to it, copying what a parameter points to (it is
// valid only during the call).
class Owner : public BoundObject {
public:
    struct Got {
        int code;
        std::vector<double> values;
    };
    int OnEvent(const EngineEvent& event) override
    {
        Got g { event.code, {} };
        if (event.code == ProgressBar::kScrollEvent) {
            const auto* v = FromWord<const double>(event.param);
            g.values.assign(v, v + 3);
        } else if (event.code == EVT_PROGRESS_CHANGED) {
            g.values.push_back(*FromWord<const double>(event.param));
        }
        got.push_back(g);
        return 1;
    }
    int Count(int code) const
    {
        int n = 0;
        for (const Got& g : got)
            n += g.code == code;
        return n;
    }
    std::vector<Got> got;
};

// Back-buffer colours (0x00RRGGBB) of the pictures' colours (0x00BBGGRR).
constexpr uint32_t kTrack = 0x00ff00; // green either way
constexpr uint32_t kFillColour = 0x0000ff;
constexpr uint32_t kFillShown = 0xff0000;
constexpr uint32_t kThumbColour = 0xff0000;
constexpr uint32_t kThumbShown = 0x0000ff;
constexpr int kEndCode = 4242;

// Sprites and blits come out of the rasteriser's blend a step darker than
// the picture; a channel may differ by a little.
bool Near(uint32_t a, uint32_t b)
{
    for (int shift = 0; shift < 24; shift += 8) {
        const int d = static_cast<int>((a >> shift) & 0xff) - static_cast<int>((b >> shift) & 0xff);
        if (d > 2 || d < -2)
            return false;
    }
    return true;
}

// A 180 x 20 track centred at (100, 75) with a 160 x 10 fill over it: the
// fill runs from x 20 to 180.
class ProgressBarHost : public HostEngine {
protected:
    static constexpr int kFillLeft = 20;
    static constexpr int kFillWidth = 160;
    static constexpr int kY = 75;

    void SetUp() override
    {
        HostEngine::SetUp();
        if (IsSkipped())
            return;
        owner = static_cast<Owner*>(root->RegisterObject(std::make_unique<Owner>()));
        bar = static_cast<ProgressBar*>(root->RegisterObject(std::make_unique<ProgressBar>()));
        ASSERT_TRUE(owner && bar);
        bar->Create(MakePicture("track", 180, 20, kTrack), MakePicture("fill", kFillWidth, 10, kFillColour), 0.0);
        ASSERT_NE(bar->GetFillCanvas(), nullptr);
        bar->MoveTo(100, kY);
        bar->Show();
        bar->Invalidate();
        Frame();
    }
    void AddThumb()
    {
        bar->SetThumb(MakePicture("thumb", 6, 16, kThumbColour, 2, 100), owner->GetId());
        ASSERT_NE(bar->GetThumb(), nullptr);
    }
    // A mouse message through the host window, as the system delivers it.
    void Mouse(uint32_t message, int x, int y)
    {
        WindowInput(message, x, y);
        Frames(2);
    }
    void Press(int x, int y)
    {
        Mouse(platform::kWmMouseMove, x, y);
        Mouse(platform::kWmLButtonDown, x, y);
    }
    // The x where the fill's colour ends on the bar's middle row.
    int FillEnd()
    {
        int x = 0;
        while (x < kWidth && !Near(Pixel(x, kY), kFillShown))
            ++x;
        while (x < kWidth && Near(Pixel(x, kY), kFillShown))
            ++x;
        return x;
    }

    Owner* owner = nullptr;
    ProgressBar* bar = nullptr;
};

TEST_F(ProgressBarHost, ShowsTheLeftPartOfTheFillClamped)
{
    struct Case {
        double set;
        double stored;
        int fillEnd; // first x past the fill's colour; kFillLeft: none
    };
    for (const Case& c : { Case { 0.25, 0.25, kFillLeft + 40 }, Case { 1.5, 1.0, kFillLeft + kFillWidth },
             Case { -0.3, 0.0, kFillLeft }, Case { 0.5, 0.5, kFillLeft + 80 } }) {
        bar->SetProgress(c.set);
        Frame();
        EXPECT_DOUBLE_EQ(bar->GetProgress(), c.stored) << c.set;
        if (c.fillEnd == kFillLeft) {
            EXPECT_TRUE(Near(Pixel(kFillLeft, kY), kTrack)) << c.set;
            EXPECT_TRUE(Near(Pixel(kFillLeft + 80, kY), kTrack)) << c.set;
        } else {
            EXPECT_TRUE(Near(Pixel(kFillLeft, kY), kFillShown)) << c.set;
            EXPECT_EQ(FillEnd(), c.fillEnd) << c.set;
        }
        // Outside the fill the track shows.
        EXPECT_TRUE(Near(Pixel(15, kY), kTrack));
    }
}

TEST_F(ProgressBarHost, ThumbSitsAtTheFillsEndAndLoopsItsFramesWhileShown)
{
    bar->SetProgress(0.25);
    AddThumb();
    SpriteObject* thumb = bar->GetThumb();
    Frame();
    EXPECT_DOUBLE_EQ(thumb->GetX(), kFillLeft + 40);
    EXPECT_DOUBLE_EQ(thumb->GetY(), kY);
    EXPECT_GT(thumb->GetZ(), bar->GetFillCanvas()->GetZ());
    EXPECT_TRUE(Near(Pixel(kFillLeft + 40, kY), kThumbShown));
    EXPECT_TRUE(Near(Pixel(kFillLeft + 30, kY), kFillShown));

    std::vector<int> frames;
    for (int i = 0; i < 30; ++i) {
        Frame(20);
        frames.push_back(thumb->GetFrame());
    }
    EXPECT_NE(std::count(frames.begin(), frames.end(), 0), 0);
    EXPECT_NE(std::count(frames.begin(), frames.end(), 1), 0);

    bar->Hide();
    Frames(2);
    const int stopped = thumb->GetFrame();
    Frames(30, 20);
    EXPECT_EQ(thumb->GetFrame(), stopped);
    EXPECT_FALSE(thumb->IsShown());
}

TEST_F(ProgressBarHost, AnimationStepsOnTheClockAndSendsItsEndEventOnce)
{
    const EngineEvent end(owner->GetId(), kEndCode);
    bar->AnimateTo(1.0, 0.25, 100, &end);
    std::vector<double> seen;
    int endAt = -1;
    for (int t = 10; t <= 900; t += 10) {
        Frame(10);
        if (seen.empty() || seen.back() != bar->GetProgress())
            seen.push_back(bar->GetProgress());
        if (endAt < 0 && owner->Count(kEndCode) > 0)
            endAt = t;
    }
    EXPECT_EQ(seen, (std::vector<double> { 0.0, 0.25, 0.5, 0.75, 1.0 }));
    EXPECT_EQ(owner->Count(kEndCode), 1);
    EXPECT_GE(endAt, 480);
    EXPECT_LE(endAt, 620); // each tick waits for a frame as well
    EXPECT_EQ(FillEnd(), kFillLeft + kFillWidth);
}

TEST_F(ProgressBarHost, ANewAnimationSilencesTheOldOnesTicks)
{
    const EngineEvent first(owner->GetId(), kEndCode);
    const EngineEvent second(owner->GetId(), kEndCode + 1);
    bar->AnimateTo(1.0, 0.25, 100, &first);
    Frames(15, 10);
    ASSERT_DOUBLE_EQ(bar->GetProgress(), 0.25);
    bar->AnimateTo(0.0, 0.25, 300, &second);
    // The first animation's tick was due about 50 ms from here.
    Frames(20, 10);
    EXPECT_DOUBLE_EQ(bar->GetProgress(), 0.25);
    Frames(80, 10);
    EXPECT_DOUBLE_EQ(bar->GetProgress(), 0.0);
    EXPECT_EQ(owner->Count(kEndCode), 0);
    EXPECT_EQ(owner->Count(kEndCode + 1), 1);
}

TEST_F(ProgressBarHost, StepSignIsIgnoredAndZeroStepsByAHundredth)
{
    struct Case {
        double step;
        double first;
    };
    for (const Case& c : { Case { -0.1, 0.1 }, Case { 0.0, 0.01 }, Case { 0.3, 0.3 } }) {
        bar->SetProgress(0.0);
        bar->AnimateTo(1.0, c.step, 50, nullptr);
        Frames(6, 10);
        EXPECT_NEAR(bar->GetProgress(), c.first, 1e-9) << c.step;
    }
}

TEST_F(ProgressBarHost, AnimationToATargetPastTheEndsStillFinishes)
{
    const EngineEvent end(owner->GetId(), kEndCode);
    for (double target : { 1.5, -2.0 }) {
        owner->got.clear();
        bar->SetProgress(0.5);
        bar->AnimateTo(target, 0.5, 40, &end);
        Frames(40, 10);
        EXPECT_DOUBLE_EQ(bar->GetProgress(), target > 1 ? 1.0 : 0.0) << target;
        EXPECT_EQ(owner->Count(kEndCode), 1) << target;
    }
}

// An owner that chains a second animation from the first one's end event.
class Chainer : public BoundObject {
public:
    int OnEvent(const EngineEvent& event) override
    {
        codes.push_back(event.code);
        if (event.code == kEndCode) {
            const EngineEvent next(GetId(), kEndCode + 1);
            bar->AnimateTo(0.0, 0.5, 40, &next);
        }
        return 1;
    }
    ProgressBar* bar = nullptr;
    std::vector<int> codes;
};

TEST_F(ProgressBarHost, AnAnimationStartedFromTheEndEventKeepsItsOwnEndEvent)
{
    auto* chainer = static_cast<Chainer*>(root->RegisterObject(std::make_unique<Chainer>()));
    chainer->bar = bar;
    const EngineEvent end(chainer->GetId(), kEndCode);
    bar->AnimateTo(1.0, 0.5, 40, &end);
    Frames(60, 10);
    EXPECT_DOUBLE_EQ(bar->GetProgress(), 0.0);
    EXPECT_EQ(chainer->codes, (std::vector<int> { kEndCode, kEndCode + 1 }));
}

TEST_F(ProgressBarHost, SetProgressDropsThePendingEndEventButNotTheAnimation)
{
    const EngineEvent end(owner->GetId(), kEndCode);
    bar->AnimateTo(1.0, 0.25, 50, &end);
    Frames(7, 10);
    bar->SetProgress(0.5);
    Frames(40, 10);
    EXPECT_DOUBLE_EQ(bar->GetProgress(), 1.0);
    EXPECT_EQ(owner->Count(kEndCode), 0);
}

TEST_F(ProgressBarHost, PressingTheBarJumpsThereAndTellsTheOwner)
{
    AddThumb();
    bar->SetDraggable(true);
    Frame();
    struct Case {
        int x;
        int y;
        double progress;
    };
    // On the track below the fill (and the thumb), past each end of the
    // fill, and on the fill.
    for (const Case& c : { Case { 60, kY + 9, 0.25 }, Case { 185, kY, 1.0 }, Case { 12, kY, 0.0 },
             Case { 140, kY + 3, 0.75 } }) {
        owner->got.clear();
        Press(c.x, c.y);
        Mouse(platform::kWmLButtonUp, c.x, c.y);
        EXPECT_DOUBLE_EQ(bar->GetProgress(), c.progress) << c.x;
        ASSERT_EQ(owner->got.size(), 1u) << c.x;
        EXPECT_EQ(owner->got[0].code, EVT_PROGRESS_CHANGED);
        EXPECT_DOUBLE_EQ(owner->got[0].values[0], c.progress);
        EXPECT_DOUBLE_EQ(bar->GetThumb()->GetX(), kFillLeft + kFillWidth * c.progress);
        Frames(30, 20); // past the double-click time
    }
}

TEST_F(ProgressBarHost, DraggingTheThumbScrollsAndReportsOnRelease)
{
    bar->SetProgress(0.25);
    AddThumb();
    bar->SetDraggable(true);
    Frame();
    Press(60, kY);
    Mouse(platform::kWmMouseMove, 80, kY);
    EXPECT_TRUE(bar->IsDragging());
    EXPECT_DOUBLE_EQ(bar->GetProgress(), 0.375);
    ASSERT_EQ(owner->got.size(), 1u);
    EXPECT_EQ(owner->got[0].code, ProgressBar::kScrollEvent);
    EXPECT_EQ(owner->got[0].values, (std::vector<double> { 60.0, 0.0, 160.0 }));
    // The owner's own updates wait until the drag ends.
    bar->SetProgress(0.9);
    EXPECT_DOUBLE_EQ(bar->GetProgress(), 0.375);
    Frame();
    // The fill ends under the thumb at x 80.
    EXPECT_TRUE(Near(Pixel(76, kY), kFillShown));
    EXPECT_TRUE(Near(Pixel(80, kY), kThumbShown));
    EXPECT_TRUE(Near(Pixel(84, kY), kTrack));

    Mouse(platform::kWmLButtonUp, 80, kY);
    EXPECT_FALSE(bar->IsDragging());
    ASSERT_EQ(owner->got.size(), 2u);
    EXPECT_EQ(owner->got[1].code, EVT_PROGRESS_CHANGED);
    EXPECT_DOUBLE_EQ(owner->got[1].values[0], 0.375);
    bar->SetProgress(0.9);
    EXPECT_DOUBLE_EQ(bar->GetProgress(), 0.9);
}

TEST_F(ProgressBarHost, ADragPastTheEndEndsOnReleaseOffTheThumb)
{
    bar->SetProgress(0.75);
    AddThumb();
    bar->SetDraggable(true);
    Frame();
    Press(140, kY);
    Mouse(platform::kWmMouseMove, 195, kY);
    EXPECT_DOUBLE_EQ(bar->GetProgress(), 1.0);
    ASSERT_FALSE(owner->got.empty());
    EXPECT_EQ(owner->got.back().values, (std::vector<double> { 160.0, 0.0, 160.0 }));
    Mouse(platform::kWmLButtonUp, 195, kY);
    EXPECT_FALSE(bar->IsDragging());
    EXPECT_EQ(owner->Count(EVT_PROGRESS_CHANGED), 1);
    bar->SetProgress(0.5);
    EXPECT_DOUBLE_EQ(bar->GetProgress(), 0.5);
}

TEST_F(ProgressBarHost, SliderModeNeedsAThumbAndTurnsOff)
{
    bar->SetDraggable(true); // no thumb yet: nothing
    EXPECT_TRUE(bar->GetTrack()->Subscriptions().empty());
    Press(100, kY);
    Mouse(platform::kWmLButtonUp, 100, kY);
    EXPECT_DOUBLE_EQ(bar->GetProgress(), 0.0);
    EXPECT_TRUE(owner->got.empty());
    Frames(30, 20);

    AddThumb();
    bar->SetDraggable(true);
    Press(kFillLeft, kY);
    Mouse(platform::kWmMouseMove, 40, kY);
    ASSERT_TRUE(bar->IsDragging());
    // Turned off in the middle of a drag: no release will come.
    bar->SetDraggable(false);
    EXPECT_FALSE(bar->IsDragging());
    Mouse(platform::kWmLButtonUp, 40, kY);
    Frames(30, 20);
    owner->got.clear();
    Press(150, kY);
    Mouse(platform::kWmLButtonUp, 150, kY);
    EXPECT_TRUE(owner->got.empty());
    bar->SetProgress(0.6);
    EXPECT_DOUBLE_EQ(bar->GetProgress(), 0.6);
}

TEST_F(ProgressBarHost, TextIsCentredInTheFontOfTheCoreLimitedToTheHeight)
{
    CanvasObject* text = bar->GetTextCanvas();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(bar->GetTextCanvas(), text);
    EXPECT_EQ(text->GetBufferWidth(), kFillWidth);
    EXPECT_EQ(text->GetBufferHeight(), 10);
    EXPECT_DOUBLE_EQ(text->GetX(), 100);
    EXPECT_DOUBLE_EQ(text->GetY(), kY);
    EXPECT_GT(text->GetZ(), bar->GetFillCanvas()->GetZ());
    EXPECT_TRUE(text->IsShown());
    // No font property: two thirds of the height.
    EXPECT_EQ(text->Style().size, 6);

    bar->DrawText("50%", 0xffffff, 9);
    // Drawn around the middle, in the given size, which is not kept.
    int drawn = 0;
    int left = text->GetBufferWidth();
    int right = -1;
    for (int y = 0; y < text->GetBufferHeight(); ++y)
        for (int x = 0; x < text->GetBufferWidth(); ++x)
            if (text->GetPixelAlpha(x, y) != 0) {
                ++drawn;
                left = std::min(left, x);
                right = std::max(right, x);
            }
    EXPECT_GT(drawn, 0);
    EXPECT_NEAR((left + right) / 2.0, kFillWidth / 2.0, 3.0);
    EXPECT_EQ(text->Style().size, 6);
    EXPECT_EQ(text->Style().colour, 0xffffffu);

    // The core's font size, when set, below the limit.
    for (auto [property, size] : { std::pair { 4, 4 }, std::pair { 20, 6 } }) {
        root->SetIntProperty(5, property);
        auto* other = static_cast<ProgressBar*>(root->RegisterObject(std::make_unique<ProgressBar>()));
        other->Create(MakePicture("track", 180, 20, kTrack), MakePicture("fill", kFillWidth, 10, kFillColour), 0.0);
        ASSERT_NE(other->GetTextCanvas(), nullptr);
        EXPECT_EQ(other->GetTextCanvas()->Style().size, size) << property;
    }
}

} // namespace
