// The wait dialog without a display: its bar colours from the skin, the
// bar's run to the right while it shows, timed hiding on the settable clock,
// texts that replace each other inside their box, the skin's picture
// stretched behind them; and the communication thread driving its timers
// and descriptors by itself.

#include "frame/core/WaitDialog.h"

#include "platform/Clock.h"
#include "tests/frame/core/WaitSkin.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr uint32_t Rgb(int r, int g, int b)
{
    return static_cast<uint32_t>(r) | static_cast<uint32_t>(g) << 8 | static_cast<uint32_t>(b) << 16;
}

// A colour 0x00BBGGRR as the frame holds it.
constexpr uint32_t Pixel(uint32_t colour)
{
    return 0xFF000000u | (colour & 0xFF) << 16 | (colour & 0xFF00) | (colour >> 16 & 0xFF);
}

// The band colours the frame shows, read in the middle of each band.
std::array<uint32_t, 6> PaintedBands(const WaitDialog& dialog)
{
    const WaitDialog::Rect& bar = WaitDialog::kBarRect;
    const int band = bar.width / 6;
    std::array<uint32_t, 6> out {};
    for (int i = 0; i < 6; ++i)
        out[i] = dialog.FramePixel(bar.x + band * i + band / 2, bar.y + bar.height / 2);
    return out;
}

// Which band shows the bright colour (-1: none).
int BrightBand(const WaitDialog& dialog)
{
    const auto bands = PaintedBands(dialog);
    for (int i = 0; i < 6; ++i)
        if (bands[i] == Pixel(dialog.Bar().Bright()))
            return i;
    return -1;
}

bool IsInk(uint32_t pixel)
{
    // Black text blended over the light button face: clearly darker.
    return (pixel & 0xFF) < 0x90 && (pixel >> 8 & 0xFF) < 0x90 && (pixel >> 16 & 0xFF) < 0x90;
}

// Columns [x0, x1) and rows [y0, y1) of the frame that hold text ink.
int InkIn(const WaitDialog& dialog, int x0, int y0, int x1, int y1)
{
    int count = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            count += IsInk(dialog.FramePixel(x, y));
    return count;
}

class WaitDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path()
            / ("kbzn_wait_" + std::to_string(getpid()) + "_"
                + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        At(1000);
    }
    void TearDown() override
    {
        platform::SetFixedTick(std::nullopt);
        fs::remove_all(m_dir);
    }
    static void At(uint32_t tick) { platform::SetFixedTick(tick); }
    // The clock moves to tick and the dialog wakes, as the thread would.
    static void WakeAt(WaitDialog& dialog, uint32_t tick)
    {
        At(tick);
        dialog.OnWake();
    }

    fs::path m_dir;
};

TEST_F(WaitDialogTest, BandsFadeFromTheBrightColourTowardsTheBase)
{
    struct Case {
        const char* name;
        std::string bright, base; // as the skin writes them; empty: key missing
        std::array<uint32_t, 6> bands;
    };
    const Case cases[] = {
        // Defaults 0x1A462E and 0x429473: steps -23, -26, -13 (-40 / 3
        // truncated toward zero, so band 0's blue stops one short of 66).
        { "no keys", "", "",
            { Rgb(115, 148, 65), Rgb(92, 122, 52), Rgb(69, 96, 39), Rgb(46, 70, 26), Rgb(69, 96, 39),
                Rgb(92, 122, 52) } },
        { "equal colours", "10 20 30", "10 20 30",
            { Rgb(10, 20, 30), Rgb(10, 20, 30), Rgb(10, 20, 30), Rgb(10, 20, 30), Rgb(10, 20, 30),
                Rgb(10, 20, 30) } },
        // Steps of both signs and of 0 in one colour.
        { "mixed steps", "200 100 0", "0 100 255",
            { Rgb(2, 100, 255), Rgb(68, 100, 170), Rgb(134, 100, 85), Rgb(200, 100, 0), Rgb(134, 100, 85),
                Rgb(68, 100, 170) } },
        { "white to black", "255 255 255", "0 0 0",
            { Rgb(0, 0, 0), Rgb(85, 85, 85), Rgb(170, 170, 170), Rgb(255, 255, 255), Rgb(170, 170, 170),
                Rgb(85, 85, 85) } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string ini = waitskin::WriteSkinIni(m_dir / c.name, "", c.bright, c.base);
        WaitDialog dialog(ini, WaitDialog::Output::kMemoryOnly);
        EXPECT_EQ(dialog.Bar().Bands(), c.bands);

        dialog.ShowText("x", 0);
        std::array<uint32_t, 6> painted {};
        for (int i = 0; i < 6; ++i)
            painted[i] = Pixel(c.bands[i]);
        EXPECT_EQ(PaintedBands(dialog), painted);
        // The last band reaches the right edge; the bar stays in its box.
        const WaitDialog::Rect& bar = WaitDialog::kBarRect;
        EXPECT_EQ(dialog.FramePixel(bar.x + bar.width - 1, bar.y), painted[5]);
        EXPECT_EQ(dialog.FramePixel(bar.x, bar.y + bar.height - 1), painted[0]);
        EXPECT_NE(dialog.FramePixel(bar.x + bar.width, bar.y), painted[5]);
        EXPECT_NE(dialog.FramePixel(bar.x, bar.y + bar.height), painted[0]);
    }
}

TEST_F(WaitDialogTest, TheBrightBandRunsRightWhileTheDialogShows)
{
    WaitDialog dialog("", WaitDialog::Output::kMemoryOnly);
    EXPECT_EQ(dialog.NextWakeMs(), -1); // hidden: nothing to animate
    dialog.ShowText("等待", 0);
    ASSERT_EQ(BrightBand(dialog), 3);
    EXPECT_EQ(dialog.NextWakeMs(), 200);

    WakeAt(dialog, 1199);
    EXPECT_EQ(BrightBand(dialog), 3);
    EXPECT_EQ(dialog.NextWakeMs(), 1);
    // Another text while it shows does not restart the interval.
    dialog.ShowText("再等", 0);
    EXPECT_EQ(dialog.NextWakeMs(), 1);
    const int expected[] = { 4, 5, 0, 1 };
    uint32_t tick = 1200;
    for (int band : expected) {
        WakeAt(dialog, tick);
        EXPECT_EQ(BrightBand(dialog), band) << "at " << tick;
        tick += 200;
    }

    // Hidden, it stands still; shown again, it starts a whole interval.
    const auto bands = dialog.Bar().Bands();
    dialog.Hide();
    EXPECT_EQ(dialog.NextWakeMs(), -1);
    WakeAt(dialog, 5000);
    EXPECT_EQ(dialog.Bar().Bands(), bands);
    At(5050);
    dialog.ShowText("又来", 0);
    EXPECT_EQ(dialog.NextWakeMs(), 200);
    WakeAt(dialog, 5249);
    EXPECT_EQ(dialog.Bar().Bands(), bands);
    WakeAt(dialog, 5250);
    EXPECT_EQ(BrightBand(dialog), 2);
}

TEST_F(WaitDialogTest, TheBarKeepsItsBeatAcrossTheClockWrap)
{
    WaitDialog dialog("", WaitDialog::Output::kMemoryOnly);
    At(0xFFFFFFA0u);
    dialog.ShowText("x", 0); // due at 0x68, past the wrap
    WakeAt(dialog, 0xFFFFFFFFu);
    EXPECT_EQ(BrightBand(dialog), 3);
    EXPECT_EQ(dialog.NextWakeMs(), 0x69);
    WakeAt(dialog, 0x67);
    EXPECT_EQ(BrightBand(dialog), 3);
    WakeAt(dialog, 0x68);
    EXPECT_EQ(BrightBand(dialog), 4);
}

TEST_F(WaitDialogTest, TimedHiding)
{
    enum Kind { kShow, kHide, kVisible, kHidden };
    struct Step {
        uint32_t at;
        Kind kind;
        int seconds = 0;
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        { "three seconds", { { 0, kShow, 3 }, { 2999, kVisible }, { 3000, kHidden } } },
        { "a text without seconds stays", { { 0, kShow, 0 }, { 1000000, kVisible } } },
        // A later text without seconds does not cancel the earlier timer.
        { "zero seconds in between", { { 0, kShow, 3 }, { 1000, kShow, 0 }, { 2999, kVisible }, { 3000, kHidden } } },
        { "a second timed text restarts it", { { 0, kShow, 3 }, { 2000, kShow, 2 }, { 3000, kVisible },
                                                 { 3999, kVisible }, { 4000, kHidden } } },
        // Hiding leaves the timer running: it hides the next text too.
        { "hidden and shown again", { { 0, kShow, 3 }, { 1000, kHide }, { 2000, kShow, 0 }, { 2999, kVisible },
                                        { 3000, kHidden } } },
        // The timer ends when it has hidden the dialog.
        { "fires once", { { 0, kShow, 1 }, { 1000, kHidden }, { 1500, kShow, 0 }, { 60000, kVisible } } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WaitDialog dialog("", WaitDialog::Output::kMemoryOnly);
        int shown = 0;
        for (const Step& step : c.steps) {
            WakeAt(dialog, 10000 + step.at);
            switch (step.kind) {
            case kShow:
                dialog.ShowText("text " + std::to_string(++shown), step.seconds);
                break;
            case kHide:
                dialog.Hide();
                break;
            case kVisible:
            case kHidden:
                EXPECT_EQ(dialog.IsVisible(), step.kind == kVisible) << "at " << step.at;
                break;
            }
        }
        EXPECT_EQ(dialog.Text(), "text " + std::to_string(shown)); // hiding keeps the last text
    }
}

TEST_F(WaitDialogTest, TheThreadIsWokenForTheHideTimer)
{
    WaitDialog dialog("", WaitDialog::Output::kMemoryOnly);
    dialog.ShowText("x", 3);
    dialog.Hide(); // only the hide timer is left to wait for
    EXPECT_EQ(dialog.NextWakeMs(), 3000);
    At(3500);
    EXPECT_EQ(dialog.NextWakeMs(), 500);
    WakeAt(dialog, 4000);
    EXPECT_FALSE(dialog.HideTimerPending());
    EXPECT_EQ(dialog.NextWakeMs(), -1);
}

TEST_F(WaitDialogTest, TextsReplaceEachOtherInsideTheirBox)
{
    WaitDialog dialog("", WaitDialog::Output::kMemoryOnly);
    EXPECT_TRUE(dialog.Frame().empty()); // nothing painted before the first text
    const WaitDialog::Rect& box = WaitDialog::kTextRect;
    const WaitDialog::Rect& bar = WaitDialog::kBarRect;
    const int lineBottom = box.y + WaitDialog::kFontSize;

    dialog.ShowText("正在连接游戏服务器......", 0);
    EXPECT_EQ(dialog.Text(), "正在连接游戏服务器......");
    EXPECT_GT(InkIn(dialog, box.x, box.y, box.x + 120, lineBottom), 100);
    EXPECT_EQ(InkIn(dialog, box.x, lineBottom, box.x + box.width, box.y + box.height), 0); // one line
    // Outside the text and the bar: the button face everywhere.
    for (int y = 0; y < WaitDialog::kHeight; ++y) {
        for (int x = 0; x < WaitDialog::kWidth; ++x) {
            const bool inText = x >= box.x && x < box.x + box.width && y >= box.y && y < box.y + box.height;
            const bool inBar = x >= bar.x && x < bar.x + bar.width && y >= bar.y && y < bar.y + bar.height;
            if (!inText && !inBar) {
                ASSERT_EQ(dialog.FramePixel(x, y), Pixel(WaitDialog::kButtonFace)) << x << "," << y;
            }
        }
    }

    // One character replaces the whole line.
    dialog.ShowText("好", 0);
    EXPECT_EQ(dialog.Text(), "好");
    EXPECT_GT(InkIn(dialog, box.x, box.y, box.x + WaitDialog::kFontSize, lineBottom), 10);
    EXPECT_EQ(InkIn(dialog, box.x + WaitDialog::kFontSize, box.y, box.x + box.width, box.y + box.height), 0);

    // A text wider than the box goes on below and is cut at its bottom.
    std::string longText;
    for (int i = 0; i < 60; ++i)
        longText += "等";
    dialog.ShowText(longText, 0);
    EXPECT_GT(InkIn(dialog, box.x, lineBottom, box.x + box.width, box.y + box.height), 100);
    EXPECT_EQ(InkIn(dialog, box.x + box.width, box.y, WaitDialog::kWidth, bar.y), 0);
    EXPECT_EQ(InkIn(dialog, 0, box.y + box.height, WaitDialog::kWidth, bar.y), 0);

    // Hidden, the dialog keeps its last frame.
    const std::vector<uint32_t> last = dialog.Frame();
    const uint64_t painted = dialog.FramesPainted();
    dialog.Hide();
    EXPECT_FALSE(dialog.IsVisible());
    EXPECT_EQ(dialog.Frame(), last);
    EXPECT_EQ(dialog.FramesPainted(), painted);
}

TEST_F(WaitDialogTest, TheSkinPictureIsStretchedBehindTheDialog)
{
    const auto& checker = waitskin::Checker();
    waitskin::WriteFile(m_dir / "skin" / "wait24.bmp", waitskin::Bmp(4, 2, checker));
    waitskin::WriteFile(m_dir / "skin" / "pics" / "wait8.bmp", waitskin::Bmp(4, 2, checker, true));
    struct Case {
        const char* name;
        std::string picture; // CommDlgBK
        bool loaded;
    };
    const Case cases[] = {
        { "24 bits", "wait24.bmp", true },
        { "8 bits with a palette, in a subdirectory", "pics\\wait8.bmp", true },
        { "missing file", "none.bmp", false },
        { "empty name", "", false },
    };
    // Dialog pixel -> picture pixel (4 x 2 stretched over 311 x 68).
    struct Point {
        int x, y;
        int px, py;
    };
    const Point points[] = { { 0, 0, 0, 0 }, { 77, 33, 0, 0 }, { 78, 34, 1, 1 }, { 160, 10, 2, 0 },
        { 310, 67, 3, 1 }, { 5, 60, 0, 1 } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string ini = waitskin::WriteSkinIni(m_dir / "skin", c.picture, "", "");
        WaitDialog dialog(ini, WaitDialog::Output::kMemoryOnly);
        EXPECT_EQ(dialog.HasBackground(), c.loaded);
        dialog.ShowText("", 0);
        for (const Point& p : points) {
            const uint32_t expected = c.loaded ? 0xFF000000u | checker[static_cast<size_t>(p.py * 4 + p.px)]
                                               : Pixel(WaitDialog::kButtonFace);
            EXPECT_EQ(dialog.FramePixel(p.x, p.y), expected) << p.x << "," << p.y;
        }
        fs::remove(m_dir / "skin" / "skin.ini");
    }
}

// ---- on the communication thread ------------------------------------------------

// What a dialog on the thread did, for the test thread to wait on.
struct Seen {
    std::mutex lock;
    std::condition_variable changed;
    bool visible = false;
    int moves = 0; // bar rotations seen
    int signals = 0; // event source callbacks

    template <class Pred> bool Await(Pred pred)
    {
        std::unique_lock guard(lock);
        return changed.wait_for(guard, std::chrono::seconds(30), pred);
    }
};

// The real dialog, reporting after every call what it shows.
class ObservedDialog : public WaitDialog {
public:
    ObservedDialog(std::shared_ptr<Seen> seen, int signalFd)
        : WaitDialog("", Output::kMemoryOnly)
        , m_seen(std::move(seen))
    {
        AddEventSource(signalFd, [this, signalFd] {
            char byte;
            if (read(signalFd, &byte, 1) == 1)
                Report(true);
        });
    }
    void ShowText(const std::string& text, int seconds) override
    {
        WaitDialog::ShowText(text, seconds);
        Report(false);
    }
    void OnWake() override
    {
        WaitDialog::OnWake();
        Report(false);
    }

private:
    void Report(bool signalled)
    {
        std::lock_guard guard(m_seen->lock);
        if (m_seen->visible && IsVisible() && Bar().Bands() != m_bands)
            ++m_seen->moves;
        m_bands = Bar().Bands();
        m_seen->visible = IsVisible();
        m_seen->signals += signalled;
        m_seen->changed.notify_all();
    }

    std::shared_ptr<Seen> m_seen;
    std::array<uint32_t, CWaitBar::kBands> m_bands {};
};

TEST(WaitDialogThreadTest, TheThreadRunsTheDialogsTimersAndDescriptors)
{
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    auto seen = std::make_shared<Seen>();
    const int readFd = pipeFds[0];
    CGameCommThread thread([seen, readFd] { return std::make_unique<ObservedDialog>(seen, readFd); });
    ASSERT_TRUE(thread.Start());

    // Nothing but the thread's own wait drives the bar and the hide timer.
    ASSERT_TRUE(thread.PostWaitText("正在打开网页...", 1));
    EXPECT_TRUE(seen->Await([&] { return seen->visible && seen->moves >= 2; }));
    EXPECT_TRUE(seen->Await([&] { return !seen->visible; }));

    // A readable descriptor of the dialog wakes the thread.
    ASSERT_EQ(write(pipeFds[1], "x", 1), 1);
    EXPECT_TRUE(seen->Await([&] { return seen->signals == 1; }));

    EXPECT_TRUE(thread.Stop(10000));
    close(pipeFds[0]);
    close(pipeFds[1]);
}

} // namespace
