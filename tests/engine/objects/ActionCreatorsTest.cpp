// The fourteen timed-action creators, run by the object module on a
// settable clock: each one's steps, completion and finish event.

#include "HostFixture.h"

#include <cmath>
#include <cstring>

using namespace engine;
using namespace objectstest;

namespace {

constexpr int kDone = 424242;

class Creators : public HostEngine {
protected:
    EngineEvent Done(int param = 0) { return EngineEvent(root->GetId(), kDone, static_cast<MessageWord>(param)); }
    int DoneCount() const
    {
        int n = 0;
        for (const EngineEvent& e : root->events)
            n += e.code == kDone;
        return n;
    }
    CanvasObject* Box(int w = 10, int h = 10)
    {
        CanvasObject* c = root->CreateCanvas(w, h, 0);
        c->Show();
        return c;
    }
    // Runs frames of `advance` ms and samples f after each, keeping only
    // changes, until the finish event came or `limit` frames ran.
    template <typename F>
    auto Samples(F f, uint32_t advance = 30, int limit = 60)
    {
        std::vector<decltype(f())> out;
        for (int i = 0; i < limit && DoneCount() == 0; ++i) {
            Frame(advance);
            auto v = f();
            if (out.empty() || out.back() != v)
                out.push_back(v);
        }
        return out;
    }
};

std::vector<int> Tenths(const std::vector<double>& values)
{
    std::vector<int> out;
    for (double v : values) {
        const int tenths = static_cast<int>(std::lround(v * 10));
        if (out.empty() || out.back() != tenths)
            out.push_back(tenths);
    }
    return out;
}

TEST_F(Creators, FadeOpacityStepsToTheTargetAndFinishesOnTheNextRun)
{
    CanvasObject* c = Box();
    c->SetOpacity(0.0);
    EXPECT_EQ(root->FadeOpacity(c, -0.1, 1.0, 30, nullptr), 0u);
    EXPECT_EQ(root->FadeOpacity(c, 0.0, 1.0, 30, nullptr), 0u);
    EXPECT_EQ(root->FadeOpacity(nullptr, 0.1, 1.0, 30, nullptr), 0u);
    const EngineEvent done = Done();
    ASSERT_NE(root->FadeOpacity(c, 0.1, 1.0, 5, &done), 0u); // 5 ms is raised to 30
    auto seen = Tenths(Samples([&] { return c->GetOpacity(); }, 30));
    EXPECT_EQ(seen, (std::vector<int> { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10 }));
    EXPECT_EQ(DoneCount(), 1);
}

TEST_F(Creators, PulseOpacityReversesAtTheUpperBoundPerCycle)
{
    CanvasObject* c = Box();
    c->SetOpacity(0.5);
    const EngineEvent done = Done();
    ASSERT_NE(root->PulseOpacity(c, 0.5, 2, 30, 1.0, 0.0, &done), 0u);
    auto seen = Tenths(Samples([&] { return c->GetOpacity(); }));
    // 1.0 (reverse, 1 left), 0.5, 0.0 (turn), 0.5, 1.0 (reverse, 0 left: done).
    EXPECT_EQ(seen, (std::vector<int> { 10, 5, 0, 5, 10 }));
    EXPECT_EQ(DoneCount(), 1);
}

TEST_F(Creators, RotateStepSnapsToTheTarget)
{
    CanvasObject* c = Box();
    const EngineEvent done = Done();
    ASSERT_NE(root->RotateStep(c, 10, 45, 30, &done), 0u);
    auto seen = Samples([&] { return c->GetAngle(); });
    EXPECT_EQ(seen, (std::vector<double> { 10, 20, 30, 45 }));
    EXPECT_EQ(DoneCount(), 1);

    CanvasObject* slow = Box();
    root->events.clear();
    ASSERT_NE(root->RotateStep(slow, 0.5, 2, 30, &done), 0u);
    Frames(20, 30);
    EXPECT_EQ(DoneCount(), 0); // a step below 1 degree never finishes
    EXPECT_GT(slow->GetAngle(), 5);
}

TEST_F(Creators, ShowLaterAndRemoveLater)
{
    CanvasObject* c = root->CreateCanvas(4, 4, 0);
    const EngineEvent done = Done();
    ASSERT_NE(root->ShowLater(c, true, &done), 0u);
    EXPECT_FALSE(c->IsShown());
    Frame(30);
    EXPECT_TRUE(c->IsShown());
    EXPECT_EQ(DoneCount(), 1);

    const int id = c->GetId();
    ASSERT_NE(root->RemoveLater(c, nullptr), 0u);
    Frames(3, 30);
    EXPECT_EQ(objects->FindById(id), nullptr);
}

TEST_F(Creators, MoveTowardsLandsExactlyOnTheTarget)
{
    CanvasObject* c = Box();
    c->MoveTo(0, 0);
    const EngineEvent done = Done();
    ASSERT_NE(root->MoveTowards(c, 10, 0, 4.7, 0, 0, &done), 0u); // speed 4 (integer part)
    auto seen = Samples([&] { return c->GetX(); });
    EXPECT_EQ(seen, (std::vector<double> { 4, 8, 10 }));
    EXPECT_EQ(DoneCount(), 1);

    root->events.clear();
    c->MoveTo(0, 0);
    ASSERT_NE(root->MoveTowards(c, 30, 40, 10, 0, 0, &done), 0u);
    auto diagonal = Samples([&] { return std::make_pair(c->GetX(), c->GetY()); });
    ASSERT_FALSE(diagonal.empty());
    EXPECT_EQ(diagonal.front(), std::make_pair(6.0, 8.0));
    EXPECT_EQ(diagonal.back(), std::make_pair(30.0, 40.0));
}

TEST_F(Creators, DelayAndWaitTime)
{
    const EngineEvent zero = Done(0);
    ASSERT_NE(root->Delay(0, &zero), 0u);
    Frame(11);
    EXPECT_EQ(DoneCount(), 1);

    root->events.clear();
    const EngineEvent later = Done(1);
    ASSERT_NE(root->Delay(100, &later), 0u);
    Frame(11); // first run
    Frame(50);
    EXPECT_EQ(DoneCount(), 0);
    Frame(60);
    EXPECT_EQ(DoneCount(), 1);

    root->events.clear();
    ASSERT_NE(root->WaitTime(40, &later), 0u);
    Frame(20);
    Frame(20); // exactly 40 since creation: not more
    EXPECT_EQ(DoneCount(), 0);
    Frame(11);
    EXPECT_EQ(DoneCount(), 1);
}

TEST_F(Creators, RepeatEventDeliversEachIntervalAndCatchesUp)
{
    const EngineEvent tick(root->GetId(), 777);
    EXPECT_EQ(root->RepeatEvent(1000, 3, nullptr), 0u);
    EXPECT_EQ(root->RepeatEvent(0, 3, &tick), 0u);
    const EngineEvent nobody(99999, 777);
    EXPECT_EQ(root->RepeatEvent(1000, 3, &nobody), 0u);
    const uint64_t id = root->RepeatEvent(1000, 3, &tick);
    ASSERT_NE(id, 0u);
    auto count = [&] {
        int n = 0;
        for (const EngineEvent& e : root->events)
            n += e.code == 777;
        return n;
    };
    Frame(11); // first run: elapsed 0
    EXPECT_EQ(count(), 0);
    Frame(2500); // a turn 2.5 intervals late: two calls at once
    EXPECT_EQ(count(), 2);
    Frame(1000);
    EXPECT_EQ(count(), 3);
    Frame(2000);
    EXPECT_EQ(count(), 3);
    EXPECT_EQ(objects->GetLiveActionCount(), 0u);
}

TEST_F(Creators, PlayFramesModes)
{
    const PictureDesc anim = MakePicture("frames", 4, 4, 0xff, 4, 100);
    SpriteObject* s = root->CreateSprite(anim);
    ASSERT_NE(s, nullptr);
    const EngineEvent done = Done();
    // Mode 3: show frame value mod count at once.
    ASSERT_NE(root->PlayFrames(s, 3, 6, 0, 10, &done), 0u);
    Frame(11);
    EXPECT_EQ(s->GetFrame(), 2);
    EXPECT_EQ(DoneCount(), 1);

    // Mode 0, one loop from frame 1: ends on the frame before the start.
    root->events.clear();
    ASSERT_NE(root->PlayFrames(s, 0, 1, 1, 0, &done), 0u);
    auto frames = Samples([&] { return s->GetFrame(); }, 50);
    EXPECT_EQ(DoneCount(), 1);
    EXPECT_EQ(s->GetFrame(), 0);
    EXPECT_GE(frames.size(), 3u);

    // Mode 4: step a number of frames.
    root->events.clear();
    s->SetFrame(0);
    ASSERT_NE(root->PlayFrames(s, 4, 3, 0, 40, &done), 0u);
    Samples([&] { return s->GetFrame(); }, 40);
    EXPECT_EQ(s->GetFrame(), 3);
    EXPECT_EQ(DoneCount(), 1);

    EXPECT_EQ(root->PlayFrames(nullptr, 0, 1, 0, 0, &done), 0u);
}

TEST_F(Creators, ResizeTowardsStepsWithoutPassing)
{
    CanvasObject* c = Box(100, 50);
    const EngineEvent done = Done();
    ASSERT_NE(root->ResizeTowards(c, 100, 50, 40, 50, 25, 25, &done), 0u);
    auto seen = Samples([&] { return std::make_pair(c->GetWidth(), c->GetHeight()); });
    EXPECT_EQ(seen,
        (std::vector<std::pair<double, double>> { { 75, 50 }, { 50, 50 }, { 40, 50 } }));
    EXPECT_EQ(DoneCount(), 1);
}

TEST_F(Creators, FlipOverSwapsPicturesAtNinetyDegrees)
{
    const PictureDesc front = MakePicture("front", 20, 10, 0x0000ff);
    const PictureDesc back = MakePicture("back", 20, 10, 0xff0000);
    SpriteObject* s = root->CreateSprite(front);
    s->MoveTo(50, 50);
    s->Show();
    const EngineEvent done = Done();
    ASSERT_NE(root->FlipOver(s, 30, 180, back, 30, &done), 0u);
    std::vector<std::pair<int, bool>> seen; // width, showing the back
    for (int i = 0; i < 20 && DoneCount() == 0; ++i) {
        Frame(30);
        seen.emplace_back(static_cast<int>(std::lround(s->GetWidth())),
            s->GetPicture()->GetDesc().record == back.record);
    }
    EXPECT_EQ(DoneCount(), 1);
    // 20 wide, then 30 .. 180 degrees: the picture changes at exactly 90.
    const std::vector<std::pair<int, bool>> expected { { 20, false }, { 17, false }, { 10, false }, { 0, true },
        { 10, true }, { 17, true }, { 20, true } };
    EXPECT_EQ(seen, expected);
}

TEST_F(Creators, PlaySoundLaterRefusesLongNames)
{
    EXPECT_EQ(root->PlaySoundLater(std::string(32, 'a'), 1, nullptr), 0u);
    EXPECT_NE(root->PlaySoundLater(std::string(31, 'a'), 1, nullptr), 0u);
    Frame(11); // no music module: logged, finished
    EXPECT_EQ(objects->GetLiveActionCount(), 0u);
}

struct CallRecord {
    int calls = 0;
    char copy[60] = {};
};
CallRecord g_call;

void RecordCall(void* data)
{
    ++g_call.calls;
    std::memcpy(g_call.copy, data, sizeof g_call.copy);
}

TEST_F(Creators, CallLaterCopiesItsDataAndRefusesWhatDoesNotFit)
{
    g_call = {};
    char data[61];
    std::memset(data, 'x', sizeof data);
    EXPECT_EQ(root->CallLater(RecordCall, data, 61), 0u);
    EXPECT_EQ(root->CallLater(RecordCall, nullptr, 4), 0u);
    data[59] = 'y';
    ASSERT_NE(root->CallLater(RecordCall, data, 60), 0u);
    std::memset(data, 0, sizeof data); // the action has its own copy
    Frame(11);
    EXPECT_EQ(g_call.calls, 1);
    EXPECT_EQ(g_call.copy[0], 'x');
    EXPECT_EQ(g_call.copy[59], 'y');
    Frame(40);
    EXPECT_EQ(g_call.calls, 1);
}

TEST_F(Creators, IdsAreDistinctAndNeverZero)
{
    CanvasObject* c = Box();
    const uint64_t a = root->ShowLater(c, true, nullptr);
    const uint64_t b = root->ShowLater(c, false, nullptr);
    EXPECT_NE(a, 0u);
    EXPECT_NE(b, 0u);
    EXPECT_NE(a, b);
}

} // namespace
