#include "frame/core/CGameCommThread.h"

#include "net/NetMessage.h"
#include "platform/Gbk.h"

#include <cstdio>
#include <poll.h>
#include <vector>

namespace {

// Until the wait dialog exists the texts are at least readable somewhere.
class StderrWaitDisplay : public WaitTextDisplay {
public:
    void ShowText(const std::string& text, int) override
    {
        std::fprintf(stderr, "%s\n", platform::Gbk::ToUtf8(text).c_str());
    }
    void Hide() override { }
};

void DisposeNetPost(const platform::Message& m)
{
    net::DisposeNetMessage(m.wParam, m.lParam);
}

void DisposeText(const platform::Message& m)
{
    delete reinterpret_cast<std::string*>(m.wParam);
}

// Threads that did not stop in time. They are never destroyed: destroying
// one would wait for it, and the process is ending anyway. Holding them here
// keeps them reachable, so that nothing they use counts as leaked.
std::vector<std::unique_ptr<platform::MessageThread>>& AbandonedThreads()
{
    static auto* threads = new std::vector<std::unique_ptr<platform::MessageThread>>;
    return *threads;
}

} // namespace

CGameCommThread::CGameCommThread(WaitDisplayFactory factory)
    : m_factory(std::move(factory))
{
}

CGameCommThread::~CGameCommThread()
{
    Stop();
}

bool CGameCommThread::Start()
{
    if (m_thread)
        return false;
    auto thread = std::make_unique<platform::MessageThread>();
    WaitDisplayFactory factory = m_factory;
    if (!thread->Start([factory](platform::MessageQueue& queue) { return Run(factory, queue); }))
        return false;
    m_thread = std::move(thread);
    return true;
}

bool CGameCommThread::Stop(int timeoutMs)
{
    if (!m_thread)
        return true;
    std::unique_ptr<platform::MessageThread> thread = std::move(m_thread);
    platform::PostThreadMessage(thread->ThreadId(), WM_COMM_QUIT, 0, 0);
    if (thread->Join(timeoutMs))
        return true;
    AbandonedThreads().push_back(std::move(thread));
    return false;
}

size_t CGameCommThread::ReapAbandoned(int timeoutMs)
{
    auto& threads = AbandonedThreads();
    std::erase_if(threads, [timeoutMs](const std::unique_ptr<platform::MessageThread>& thread) {
        return thread->Join(timeoutMs);
    });
    return threads.size();
}

uint32_t CGameCommThread::ThreadId() const
{
    return m_thread ? m_thread->ThreadId() : 0;
}

bool CGameCommThread::PostTarget(platform::WindowHandle window) const
{
    return m_thread && platform::PostThreadMessage(m_thread->ThreadId(), WM_COMM_SETTARGET, window, 0);
}

bool CGameCommThread::PostWaitText(const std::string& text, int seconds) const
{
    if (!m_thread)
        return false;
    auto copy = std::make_unique<std::string>(text);
    if (!platform::PostThreadMessage(m_thread->ThreadId(), WM_COMM_WAITTEXT, reinterpret_cast<uintptr_t>(copy.get()),
            seconds, DisposeText))
        return false;
    copy.release(); // the thread owns it now
    return true;
}

bool CGameCommThread::PostHideWaitText() const
{
    return m_thread && platform::PostThreadMessage(m_thread->ThreadId(), WM_COMM_WAITTEXT, 0, 0);
}

int CGameCommThread::Run(const WaitDisplayFactory& factory, platform::MessageQueue& queue)
{
    std::unique_ptr<WaitTextDisplay> display = factory ? factory() : nullptr;
    if (!display)
        display = std::make_unique<StderrWaitDisplay>();
    platform::WindowHandle target = 0;

    for (;;) {
        platform::Message message;
        while (queue.Peek(message, platform::PeekMode::kRemove)) {
            switch (message.message) {
            case platform::kQuitMessage:
                return 0;
            case WM_COMM_SETTARGET:
                target = static_cast<platform::WindowHandle>(message.wParam);
                break;
            case WM_COMM_QUIT:
                display->Hide();
                return 0;
            case net::WM_NETMSG:
                // The frame window frees what it receives; a message for a
                // window that is gone (or not yet known) is freed here.
                if (!target
                    || !platform::PostMessage(target, net::WM_NETMSG, message.wParam, message.lParam, DisposeNetPost))
                    DisposeNetPost(message);
                break;
            case WM_COMM_WAITTEXT:
                if (message.wParam) {
                    const std::unique_ptr<std::string> text(reinterpret_cast<std::string*>(message.wParam));
                    display->ShowText(*text, static_cast<int>(message.lParam));
                } else {
                    display->Hide();
                }
                break;
            default:
                if (message.disposer)
                    message.disposer(message);
                break;
            }
        }
        WaitForWork(queue, *display);
        display->OnWake();
    }
}

void CGameCommThread::WaitForWork(const platform::MessageQueue& queue, WaitTextDisplay& display)
{
    std::vector<int> fds;
    display.AddEventFds(fds);
    std::vector<pollfd> watched;
    watched.push_back({ queue.WakeFd(), POLLIN, 0 });
    for (int fd : fds)
        if (fd >= 0)
            watched.push_back({ fd, POLLIN, 0 });
    // Interrupted waits simply end early: the loop looks at everything again.
    poll(watched.data(), watched.size(), display.NextWakeMs());
}
