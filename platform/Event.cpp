#include "platform/Event.h"

#include "platform/MessageQueue.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <vector>

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

// Milliseconds left until the deadline, for poll (-1 without a deadline).
int RemainingMs(bool infinite, Clock::time_point deadline)
{
    if (infinite)
        return -1;
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left < 0 ? 0 : static_cast<int>(left);
}

WaitResult WaitOn(std::span<Event* const> events, MessageQueue* queue, int timeoutMs)
{
    std::vector<pollfd> fds;
    fds.reserve(events.size() + 1);
    for (Event* e : events) {
        if (e == nullptr || !e->Valid())
            return { WaitResult::kFailed, 0 };
        fds.push_back({ e->Fd(), POLLIN, 0 });
    }
    if (queue)
        fds.push_back({ queue->WakeFd(), POLLIN, 0 });
    if (fds.empty())
        return { WaitResult::kFailed, 0 };

    bool infinite = timeoutMs < 0;
    auto deadline = Clock::now() + std::chrono::milliseconds(infinite ? 0 : timeoutMs);
    for (;;) {
        int wait = RemainingMs(infinite, deadline);
        int ready = poll(fds.data(), fds.size(), wait);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            return { WaitResult::kFailed, 0 };
        }
        for (size_t i = 0; i < events.size(); ++i) {
            if ((fds[i].revents & POLLIN) && events[i]->TryTake())
                return { WaitResult::kEvent, i };
        }
        if (queue && (fds.back().revents & POLLIN))
            return { WaitResult::kMessage, 0 };
        // Nothing taken: timed out, or another waiter took an auto-reset
        // event first and we wait on for what is left.
        if (ready == 0 || (!infinite && Clock::now() >= deadline))
            return { WaitResult::kTimeout, 0 };
    }
}

} // namespace

Event::Event(EventReset mode, bool initiallySet)
    : m_mode(mode)
    , m_fd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
{
    if (initiallySet)
        Set();
}

Event::~Event()
{
    if (m_fd >= 0)
        close(m_fd);
}

void Event::Set()
{
    if (m_fd < 0)
        return;
    uint64_t one = 1;
    [[maybe_unused]] ssize_t n = write(m_fd, &one, sizeof one);
}

void Event::Reset()
{
    if (m_fd < 0)
        return;
    uint64_t value = 0;
    [[maybe_unused]] ssize_t n = read(m_fd, &value, sizeof value);
}

bool Event::TryTake()
{
    if (m_fd < 0)
        return false;
    if (m_mode == EventReset::kManual)
        return IsSet();
    uint64_t value = 0;
    return read(m_fd, &value, sizeof value) == static_cast<ssize_t>(sizeof value);
}

bool Event::IsSet() const
{
    if (m_fd < 0)
        return false;
    pollfd p { m_fd, POLLIN, 0 };
    return poll(&p, 1, 0) == 1 && (p.revents & POLLIN);
}

bool Event::Wait(int timeoutMs)
{
    Event* self = this;
    return WaitOn(std::span<Event* const>(&self, 1), nullptr, timeoutMs).kind == WaitResult::kEvent;
}

WaitResult WaitForEvents(std::span<Event* const> events, int timeoutMs)
{
    if (events.empty())
        return { WaitResult::kFailed, 0 };
    return WaitOn(events, nullptr, timeoutMs);
}

WaitResult WaitForEventsOrMessage(std::span<Event* const> events, int timeoutMs)
{
    MessageQueue* queue = MessageQueue::Current();
    if (queue == nullptr)
        return { WaitResult::kFailed, 0 };
    return WaitOn(events, queue, timeoutMs);
}

} // namespace platform
