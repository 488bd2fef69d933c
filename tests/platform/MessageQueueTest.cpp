#include "platform/Event.h"
#include "platform/ImageDecoder.h"
#include "platform/MessageQueue.h"
#include "platform/MessageThread.h"

#include <gtest/gtest.h>

#include <poll.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

using platform::Message;
using platform::MessageQueue;
using platform::MessageThread;

constexpr uint32_t kRecordMessage = platform::kUserMessage + 1;

// A heap record carried in wParam; counts how often records are freed so a
// test can see that each one is freed exactly once.
struct Record {
    int value;
};
std::atomic<int> g_freed { 0 };

void FreeRecord(const Message& m)
{
    delete reinterpret_cast<Record*>(m.wParam);
    ++g_freed;
}

bool Readable(int fd)
{
    pollfd p { fd, POLLIN, 0 };
    return poll(&p, 1, 0) == 1;
}

TEST(MessageQueue, MessagesArriveInPostOrderAndQuitCarriesItsCode)
{
    std::vector<intptr_t> seen;
    MessageThread thread;
    ASSERT_TRUE(thread.Start([&seen](MessageQueue&) {
        Message m;
        while (platform::GetMessage(m))
            seen.push_back(m.lParam);
        return static_cast<int>(m.wParam);
    }));
    uint32_t id = thread.ThreadId();
    ASSERT_NE(id, 0u);
    for (intptr_t i = 0; i < 1000; ++i)
        ASSERT_TRUE(platform::PostThreadMessage(id, kRecordMessage, 0, i));
    EXPECT_FALSE(thread.Join(20)) << "still waiting for its quit";
    EXPECT_EQ(thread.ThreadId(), id);
    ASSERT_TRUE(platform::PostThreadQuit(id, 42));
    ASSERT_TRUE(thread.Join(5000));
    EXPECT_EQ(thread.ExitCode(), 42);
    ASSERT_EQ(seen.size(), 1000u);
    for (intptr_t i = 0; i < 1000; ++i)
        ASSERT_EQ(seen[i], i);
    // The thread is gone: posts fail and the caller keeps its record.
    EXPECT_FALSE(platform::PostThreadMessage(id, kRecordMessage, 0, 0));
    EXPECT_FALSE(platform::PostThreadQuit(id, 0));
}

TEST(MessageQueue, RecordsLeftQueuedAtThreadEndAreFreedOnce)
{
    g_freed = 0;
    platform::Event go(platform::EventReset::kManual);
    MessageThread thread;
    // The thread takes one message, then ends when told, leaving the rest
    // queued for the queue's destructor.
    ASSERT_TRUE(thread.Start([&go](MessageQueue& queue) {
        Message m;
        queue.Get(m);
        FreeRecord(m);
        go.Wait(platform::kInfinite);
        return 0;
    }));
    uint32_t id = thread.ThreadId();
    auto post = [id] {
        auto* r = new Record { 1 };
        if (platform::PostThreadMessage(id, kRecordMessage, reinterpret_cast<uintptr_t>(r), 0, FreeRecord))
            return true;
        FreeRecord(Message { kRecordMessage, reinterpret_cast<uintptr_t>(r), 0, nullptr });
        return false;
    };
    for (int i = 0; i < 50; ++i)
        ASSERT_TRUE(post());
    go.Set();
    ASSERT_TRUE(thread.Join(5000));
    EXPECT_EQ(g_freed.load(), 50);
    EXPECT_FALSE(post());
    EXPECT_EQ(g_freed.load(), 51);
}

TEST(MessageQueue, PeekLooksOrTakesAndTheWakeDescriptorFollowsTheQueue)
{
    MessageQueue queue;
    ASSERT_TRUE(queue.Valid());
    EXPECT_EQ(MessageQueue::Current(), &queue);
    // A second queue on the same thread is refused.
    {
        MessageQueue second;
        EXPECT_FALSE(second.Valid());
    }
    EXPECT_EQ(MessageQueue::Current(), &queue);

    Message m;
    EXPECT_FALSE(platform::PeekMessage(m, platform::PeekMode::kRemove));
    EXPECT_FALSE(Readable(queue.WakeFd()));
    ASSERT_TRUE(platform::PostThreadMessage(platform::CurrentThreadId(), kRecordMessage, 1, 0));
    ASSERT_TRUE(platform::PostThreadMessage(platform::CurrentThreadId(), kRecordMessage, 2, 0));
    EXPECT_TRUE(Readable(queue.WakeFd()));
    ASSERT_TRUE(platform::PeekMessage(m, platform::PeekMode::kNoRemove));
    EXPECT_EQ(m.wParam, 1u);
    ASSERT_TRUE(platform::PeekMessage(m, platform::PeekMode::kRemove));
    EXPECT_EQ(m.wParam, 1u);
    EXPECT_TRUE(Readable(queue.WakeFd()));
    platform::PostQuitMessage(7);
    ASSERT_TRUE(platform::GetMessage(m));
    EXPECT_EQ(m.wParam, 2u);
    EXPECT_FALSE(platform::GetMessage(m));
    EXPECT_EQ(m.message, platform::kQuitMessage);
    EXPECT_EQ(static_cast<int>(m.wParam), 7);
    EXPECT_FALSE(Readable(queue.WakeFd()));
    EXPECT_TRUE(queue.Empty());
}

TEST(MessageQueue, ThreadWithoutQueueGetsQuitAndPostsToUnknownIdsFail)
{
    MessageThread thread;
    bool got = true;
    Message m;
    // A plain std::thread has no queue.
    std::thread plain([&] { got = platform::GetMessage(m); });
    plain.join();
    EXPECT_FALSE(got);
    EXPECT_EQ(m.message, platform::kQuitMessage);
    EXPECT_EQ(static_cast<intptr_t>(m.wParam), -1);
    EXPECT_FALSE(platform::PostThreadMessage(0, kRecordMessage, 0, 0));
    EXPECT_FALSE(platform::PostThreadMessage(0xFFFFFFF0u, kRecordMessage, 0, 0));
    EXPECT_TRUE(thread.Join(0)); // never started
}

// The picture decoder's library keeps per-thread state (its error text)
// for every thread that calls it; a message thread gives that back when it
// ends, so a thread that decoded pictures leaves nothing behind (the leak
// checker of the sanitizer build would report it at exit).
TEST(MessageQueue, AThreadThatDecodedPicturesLeavesNothingBehind)
{
    MessageThread thread;
    ASSERT_TRUE(thread.Start([](MessageQueue&) {
        // A 1 x 1 BMP, and bytes that are no picture (the library sets its
        // error text).
        const uint8_t bmp[] = { 'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0,
            1, 0, 24, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 10, 20, 30, 0 };
        const uint8_t junk[] = { 'B', 'M', 1, 2, 3 };
        platform::DecodedImage image;
        const bool decoded = platform::ImageDecoder::Decode(bmp, sizeof bmp, platform::kImageBmp, image);
        const bool refused = !platform::ImageDecoder::Decode(junk, sizeof junk, platform::kImageBmp, image);
        return decoded && refused ? 0 : 1;
    }));
    ASSERT_TRUE(thread.Join(platform::kInfinite));
    EXPECT_EQ(thread.ExitCode(), 0);
}

} // namespace
