// The communication thread: wait texts reach its display in order, server
// messages are relayed to the frame window or freed, and stopping works
// also when the thread does not answer.

#include "frame/core/CGameCommThread.h"

#include "net/NetMessage.h"
#include "platform/MessageLoop.h"
#include "platform/Window.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

namespace {

// What the display was told, shared with the test thread.
struct Record {
    std::mutex lock;
    std::condition_variable changed;
    std::vector<std::string> calls;
    bool blockNextShow = false;
    bool released = false;
    bool destroyed = false;

    template <class Pred> bool Await(Pred pred)
    {
        std::unique_lock guard(lock);
        return changed.wait_for(guard, std::chrono::seconds(30), pred);
    }
};

class RecordingDisplay : public WaitTextDisplay {
public:
    explicit RecordingDisplay(std::shared_ptr<Record> record)
        : m_record(std::move(record))
    {
    }
    ~RecordingDisplay() override
    {
        std::lock_guard guard(m_record->lock);
        m_record->destroyed = true;
        m_record->changed.notify_all();
    }
    void ShowText(const std::string& text, int seconds) override
    {
        std::unique_lock guard(m_record->lock);
        m_record->calls.push_back(text + "/" + std::to_string(seconds));
        m_record->changed.notify_all();
        if (m_record->blockNextShow)
            m_record->changed.wait(guard, [&] { return m_record->released; });
    }
    void Hide() override
    {
        std::lock_guard guard(m_record->lock);
        m_record->calls.push_back("hide");
        m_record->changed.notify_all();
    }

private:
    std::shared_ptr<Record> m_record;
};

WaitDisplayFactory Recording(const std::shared_ptr<Record>& record)
{
    return [record] { return std::make_unique<RecordingDisplay>(record); };
}

TEST(CGameCommThreadTest, WaitTextsReachTheDisplayInOrder)
{
    auto record = std::make_shared<Record>();
    CGameCommThread thread(Recording(record));
    EXPECT_FALSE(thread.PostWaitText("before", 0)); // no thread: nothing posted, nothing kept
    ASSERT_TRUE(thread.Start());
    EXPECT_FALSE(thread.Start());

    EXPECT_TRUE(thread.PostWaitText("正在连接游戏服务器......", 0));
    EXPECT_TRUE(thread.PostWaitText("second", 3));
    EXPECT_TRUE(thread.PostHideWaitText());
    ASSERT_TRUE(record->Await([&] { return record->calls.size() == 3; }));
    EXPECT_TRUE(thread.Stop());
    EXPECT_TRUE(thread.Stop()); // the second stop has nothing to do
    EXPECT_FALSE(thread.IsRunning());

    const std::vector<std::string> expected = { "正在连接游戏服务器....../0", "second/3", "hide", "hide" };
    EXPECT_EQ(record->calls, expected); // the last hide: the thread ends with its display hidden
    EXPECT_TRUE(record->destroyed);
}

TEST(CGameCommThreadTest, AThreadThatDoesNotAnswerIsLeftToEndAlone)
{
    auto record = std::make_shared<Record>();
    CGameCommThread thread(Recording(record));
    ASSERT_TRUE(thread.Start());
    {
        std::lock_guard guard(record->lock);
        record->blockNextShow = true;
    }
    ASSERT_TRUE(thread.PostWaitText("blocks", 0));
    ASSERT_TRUE(record->Await([&] { return !record->calls.empty(); }));
    // Queued behind the blocked text, and behind them the quit.
    for (int i = 0; i < 5; ++i)
        thread.PostWaitText("queued", 0);

    EXPECT_FALSE(thread.Stop(100)); // does not answer: left to finish alone
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_EQ(thread.ThreadId(), 0u);
    EXPECT_TRUE(thread.Stop()); // nothing left to stop

    {
        std::lock_guard guard(record->lock);
        record->released = true;
        record->blockNextShow = false;
    }
    record->changed.notify_all();
    // The abandoned thread goes on: it shows the queued texts, then takes
    // the quit and ends with its display.
    EXPECT_TRUE(record->Await([&] { return record->destroyed; }));
    EXPECT_EQ(CGameCommThread::ReapAbandoned(30000), 0u);
}

class CGameCommThreadRelayTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { setenv("SDL_VIDEODRIVER", "offscreen", 0); }
};

std::unique_ptr<net::NetMessage> Notification(uint32_t id, const std::string& body)
{
    auto message = std::make_unique<net::NetMessage>();
    message->messageId = id;
    message->bodyLength = static_cast<uint32_t>(body.size());
    message->body = std::make_unique<uint8_t[]>(body.size());
    std::copy(body.begin(), body.end(), message->body.get());
    return message;
}

// Posts as the network library does.
bool PostNet(uint32_t threadId, uint32_t id, const std::string& body)
{
    auto context = std::make_unique<net::MessageContext>();
    auto message = Notification(id, body);
    if (!platform::PostThreadMessage(threadId, net::WM_NETMSG, reinterpret_cast<uintptr_t>(context.get()),
            reinterpret_cast<intptr_t>(message.get()),
            [](const platform::Message& m) { net::DisposeNetMessage(m.wParam, m.lParam); }))
        return false;
    context.release();
    message.release();
    return true;
}

TEST_F(CGameCommThreadRelayTest, ServerMessagesGoToTheTargetWindowOrAreFreed)
{
    platform::Window window;
    std::vector<std::string> received;
    window.SetMessageHandler([&](uint32_t message, uintptr_t wParam, intptr_t lParam) -> intptr_t {
        if (message == net::WM_NETMSG) {
            const auto* m = reinterpret_cast<const net::NetMessage*>(lParam);
            received.push_back(std::to_string(m->messageId) + ":"
                + std::string(reinterpret_cast<const char*>(m->body.get()), m->bodyLength));
            net::DisposeNetMessage(wParam, lParam);
        }
        return 0;
    });
    if (!window.Create("relay", 64, 64))
        GTEST_SKIP() << "no video driver";

    CGameCommThread thread;
    ASSERT_TRUE(thread.Start());
    // Before the target is known: freed on the thread.
    ASSERT_TRUE(PostNet(thread.ThreadId(), 211000, "early"));
    ASSERT_TRUE(thread.PostTarget(window.Handle()));
    ASSERT_TRUE(PostNet(thread.ThreadId(), 211001, "one"));
    ASSERT_TRUE(PostNet(thread.ThreadId(), 211002, "two"));
    for (int i = 0; i < 3000 && received.size() < 2; ++i)
        platform::MessageLoop::PumpOnce(10);
    EXPECT_EQ(received, (std::vector<std::string> { "211001:one", "211002:two" }));

    // After the window has gone: freed on the thread, never delivered.
    const platform::WindowHandle gone = window.Handle();
    window.Destroy();
    EXPECT_FALSE(platform::IsWindow(gone));
    ASSERT_TRUE(PostNet(thread.ThreadId(), 211003, "late"));
    EXPECT_TRUE(thread.Stop(10000));
    EXPECT_EQ(received.size(), 2u);
}

} // namespace
