#include "platform/MessageQueue.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace platform {

struct MessageQueue::State {
    std::mutex lock;
    std::condition_variable posted;
    std::deque<Message> messages;
    bool closed = false;
    // Readable while messages are queued. Written when the queue turns
    // non-empty and drained when it turns empty, both under the lock, so
    // its readiness always matches the queue.
    int wakeFd = -1;
    bool wakeSignalled = false;

    ~State()
    {
        if (wakeFd >= 0)
            close(wakeFd);
    }

    void SignalLocked()
    {
        if (!wakeSignalled && wakeFd >= 0) {
            uint64_t one = 1;
            [[maybe_unused]] ssize_t n = write(wakeFd, &one, sizeof one);
            wakeSignalled = true;
        }
    }
    void ClearIfEmptyLocked()
    {
        if (messages.empty() && wakeSignalled) {
            uint64_t value = 0;
            [[maybe_unused]] ssize_t n = read(wakeFd, &value, sizeof value);
            wakeSignalled = false;
        }
    }
};

namespace {

std::atomic<uint32_t> g_nextThreadId { 1 };
thread_local uint32_t t_threadId = 0;
thread_local MessageQueue* t_queue = nullptr;

struct Registry {
    std::mutex lock;
    std::unordered_map<uint32_t, std::shared_ptr<MessageQueue::State>> queues;
};

Registry& TheRegistry()
{
    static Registry registry;
    return registry;
}

std::shared_ptr<MessageQueue::State> FindQueue(uint32_t threadId)
{
    auto& r = TheRegistry();
    std::lock_guard guard(r.lock);
    auto it = r.queues.find(threadId);
    return it == r.queues.end() ? nullptr : it->second;
}

bool PostTo(MessageQueue::State& state, const Message& message)
{
    std::lock_guard guard(state.lock);
    if (state.closed)
        return false;
    state.messages.push_back(message);
    state.SignalLocked();
    state.posted.notify_one();
    return true;
}

} // namespace

uint32_t CurrentThreadId()
{
    if (t_threadId == 0)
        t_threadId = g_nextThreadId.fetch_add(1);
    return t_threadId;
}

MessageQueue::MessageQueue()
    : m_state(std::make_shared<State>())
    , m_threadId(CurrentThreadId())
{
    m_state->wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (t_queue != nullptr || m_state->wakeFd < 0)
        return;
    auto& r = TheRegistry();
    std::lock_guard guard(r.lock);
    r.queues[m_threadId] = m_state;
    m_registered = true;
    t_queue = this;
}

MessageQueue::~MessageQueue()
{
    if (m_registered) {
        auto& r = TheRegistry();
        std::lock_guard guard(r.lock);
        r.queues.erase(m_threadId);
        if (t_queue == this)
            t_queue = nullptr;
    }
    std::deque<Message> dropped;
    {
        std::lock_guard guard(m_state->lock);
        m_state->closed = true;
        dropped.swap(m_state->messages);
        m_state->ClearIfEmptyLocked();
    }
    // Outside the lock: a disposer may post elsewhere or free freely.
    for (const Message& m : dropped) {
        if (m.disposer)
            m.disposer(m);
    }
}

MessageQueue* MessageQueue::Current()
{
    return t_queue;
}

bool MessageQueue::Valid() const
{
    return m_registered;
}

int MessageQueue::WakeFd() const
{
    return m_state->wakeFd;
}

bool MessageQueue::Post(const Message& message)
{
    return PostTo(*m_state, message);
}

bool MessageQueue::Get(Message& out)
{
    std::unique_lock guard(m_state->lock);
    m_state->posted.wait(guard, [this] { return !m_state->messages.empty(); });
    out = m_state->messages.front();
    m_state->messages.pop_front();
    m_state->ClearIfEmptyLocked();
    return out.message != kQuitMessage;
}

bool MessageQueue::Peek(Message& out, PeekMode mode)
{
    std::lock_guard guard(m_state->lock);
    if (m_state->messages.empty())
        return false;
    out = m_state->messages.front();
    if (mode == PeekMode::kRemove) {
        m_state->messages.pop_front();
        m_state->ClearIfEmptyLocked();
    }
    return true;
}

bool MessageQueue::Empty() const
{
    std::lock_guard guard(m_state->lock);
    return m_state->messages.empty();
}

bool PostThreadMessage(uint32_t threadId, const Message& message)
{
    auto state = FindQueue(threadId);
    return state && PostTo(*state, message);
}

bool PostThreadMessage(uint32_t threadId, uint32_t message, uintptr_t wParam, intptr_t lParam,
    MessageDisposer disposer)
{
    return PostThreadMessage(threadId, Message { message, wParam, lParam, disposer });
}

bool GetMessage(Message& out)
{
    MessageQueue* queue = MessageQueue::Current();
    if (queue == nullptr) {
        out = Message { kQuitMessage, static_cast<uintptr_t>(-1), 0, nullptr };
        return false;
    }
    return queue->Get(out);
}

bool PeekMessage(Message& out, PeekMode mode)
{
    MessageQueue* queue = MessageQueue::Current();
    return queue != nullptr && queue->Peek(out, mode);
}

void PostQuitMessage(int exitCode)
{
    if (MessageQueue* queue = MessageQueue::Current())
        queue->Post(Message { kQuitMessage, static_cast<uintptr_t>(static_cast<intptr_t>(exitCode)), 0, nullptr });
}

bool PostThreadQuit(uint32_t threadId, int exitCode)
{
    return PostThreadMessage(threadId,
        Message { kQuitMessage, static_cast<uintptr_t>(static_cast<intptr_t>(exitCode)), 0, nullptr });
}

} // namespace platform
