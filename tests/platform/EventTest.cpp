#include "platform/Event.h"
#include "platform/MessageQueue.h"
#include "platform/MessageThread.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <thread>

namespace {

using platform::Event;
using platform::EventReset;
using platform::WaitResult;
using Clock = std::chrono::steady_clock;

long long MsSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

TEST(Event, ManualStaysSetAutoReleasesOneWait)
{
    struct Case {
        EventReset mode;
        bool setAfterFirstWait;
    };
    for (Case c : { Case { EventReset::kManual, true }, Case { EventReset::kAuto, false } }) {
        Event e(c.mode);
        ASSERT_TRUE(e.Valid());
        EXPECT_FALSE(e.IsSet());
        e.Set();
        e.Set(); // a second Set is still one release
        EXPECT_TRUE(e.Wait(0));
        EXPECT_EQ(e.IsSet(), c.setAfterFirstWait);
        EXPECT_EQ(e.Wait(0), c.setAfterFirstWait);
        e.Reset();
        EXPECT_FALSE(e.Wait(0));
    }
    Event initially(EventReset::kManual, true);
    EXPECT_TRUE(initially.IsSet());
}

TEST(Event, WaitTimesOutAfterItsTimeAndWakesOnSetFromAnotherThread)
{
    Event e(EventReset::kAuto);
    auto start = Clock::now();
    EXPECT_FALSE(e.Wait(30));
    long long waited = MsSince(start);
    EXPECT_GE(waited, 29);
    EXPECT_LT(waited, 1000);

    std::thread setter([&e] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        e.Set();
    });
    start = Clock::now();
    EXPECT_TRUE(e.Wait(platform::kInfinite));
    setter.join();
    EXPECT_LT(MsSince(start), 1000);
}

TEST(Event, OneAutoResetSetReleasesExactlyOneOfTwoWaiters)
{
    Event e(EventReset::kAuto);
    std::atomic<int> released { 0 };
    auto waiter = [&] {
        if (e.Wait(300))
            ++released;
    };
    std::thread a(waiter), b(waiter);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    e.Set();
    a.join();
    b.join();
    EXPECT_EQ(released.load(), 1);
}

TEST(Event, WaitForEventsPicksTheLowestSetIndex)
{
    Event a(EventReset::kManual), b(EventReset::kAuto), c(EventReset::kAuto);
    std::array<Event*, 3> events { &a, &b, &c };
    EXPECT_EQ(platform::WaitForEvents(events, 20).kind, WaitResult::kTimeout);
    c.Set();
    b.Set();
    WaitResult r = platform::WaitForEvents(events, 0);
    EXPECT_EQ(r.kind, WaitResult::kEvent);
    EXPECT_EQ(r.index, 1u);
    r = platform::WaitForEvents(events, 0);
    EXPECT_EQ(r.index, 2u);
    EXPECT_EQ(platform::WaitForEvents(events, 0).kind, WaitResult::kTimeout);
    EXPECT_EQ(platform::WaitForEvents({}, 0).kind, WaitResult::kFailed);
}

TEST(Event, WaitForEventOrMessageReturnsWhicheverComes)
{
    Event stop(EventReset::kManual);
    std::array<Event*, 1> events { &stop };
    // Without a queue on this thread the wait cannot look at messages.
    EXPECT_EQ(platform::WaitForEventsOrMessage(events, 0).kind, WaitResult::kFailed);

    platform::MessageQueue queue;
    auto start = Clock::now();
    EXPECT_EQ(platform::WaitForEventsOrMessage(events, 30).kind, WaitResult::kTimeout);
    EXPECT_GE(MsSince(start), 29);

    uint32_t self = platform::CurrentThreadId();
    std::thread poster([self] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        platform::PostThreadMessage(self, platform::kUserMessage, 5, 0);
    });
    WaitResult r = platform::WaitForEventsOrMessage(events, 2000);
    poster.join();
    EXPECT_EQ(r.kind, WaitResult::kMessage);
    // The message stays queued until taken, and the wait sees it again.
    EXPECT_EQ(platform::WaitForEventsOrMessage(events, 0).kind, WaitResult::kMessage);
    platform::Message m;
    ASSERT_TRUE(platform::PeekMessage(m, platform::PeekMode::kRemove));
    EXPECT_EQ(m.wParam, 5u);

    std::thread setter([&stop] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        stop.Set();
    });
    r = platform::WaitForEventsOrMessage(events, 2000);
    setter.join();
    EXPECT_EQ(r.kind, WaitResult::kEvent);
    EXPECT_EQ(r.index, 0u);
}

} // namespace
