#include "platform/MessageThread.h"

#include "platform/Event.h"

#include <SDL.h>

#include <chrono>
#include <system_error>

namespace platform {

MessageThread::~MessageThread()
{
    Join(kInfinite);
}

bool MessageThread::Start(Body body)
{
    std::unique_lock guard(m_lock);
    if (m_thread.joinable())
        return false;
    m_ready = false;
    m_finished = false;
    m_threadId = 0;
    m_exitCode = 0;
    try {
        m_thread = std::thread([this, body = std::move(body)] {
            int code = -1;
            {
                MessageQueue queue;
                {
                    std::lock_guard inner(m_lock);
                    m_threadId = queue.Valid() ? queue.ThreadId() : 0;
                    m_ready = true;
                }
                m_changed.notify_all();
                if (queue.Valid())
                    code = body(queue);
            }
            // SDL keeps per-thread state (its error text) for any thread
            // that called it, and frees it only for threads it made itself.
            SDL_TLSCleanup();
            std::lock_guard inner(m_lock);
            m_exitCode = code;
            m_finished = true;
            m_changed.notify_all();
        });
    } catch (const std::system_error&) {
        return false;
    }
    m_changed.wait(guard, [this] { return m_ready; });
    if (m_threadId == 0) {
        guard.unlock();
        Join(kInfinite);
        return false;
    }
    return true;
}

bool MessageThread::Join(int timeoutMs)
{
    std::unique_lock guard(m_lock);
    if (!m_thread.joinable())
        return true;
    if (timeoutMs < 0)
        m_changed.wait(guard, [this] { return m_finished; });
    else if (!m_changed.wait_for(guard, std::chrono::milliseconds(timeoutMs), [this] { return m_finished; }))
        return false;
    std::thread finished = std::move(m_thread);
    m_threadId = 0;
    guard.unlock();
    finished.join();
    return true;
}

uint32_t MessageThread::ThreadId() const
{
    std::lock_guard guard(m_lock);
    return m_threadId;
}

int MessageThread::ExitCode() const
{
    std::lock_guard guard(m_lock);
    return m_exitCode;
}

} // namespace platform
