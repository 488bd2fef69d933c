#pragma once
// The turn clock's watchdog: a second timer beside the clock's own ticks.
// Every clock tick sets its counter back; two watchdog seconds without one
// mean the clock's action was lost, and the clock's ticks start again. The
// counter is shared by the clock's ticks, the watchdog and the clock's
// start, so each of them changes it under the watchdog's lock.

#include "cards/CardTableLinks.h"

#include <cstdint>
#include <mutex>

namespace game {

class ClockWatchdog {
public:
    static constexpr uint32_t kTickMs = 1000;

    // The watchdog's seconds arrive as the view's event `tickCode`.
    ClockWatchdog(CardTableLinks& links, int tickCode);
    ClockWatchdog(const ClockWatchdog&) = delete;
    ClockWatchdog& operator=(const ClockWatchdog&) = delete;

    // The watchdog's seconds run (again, from now).
    void Start();
    void Stop();
    // The running seconds' action, 0 while none run.
    uint64_t Action() const { return m_action; }
    // Watchdog seconds since the clock last ticked.
    int Ticks() const;

    // A clock tick came.
    void ClockTicked();
    // The clock starts: `start` runs under the lock, and the clock's new
    // ticks count from there.
    template <class Start> void ClockStarts(Start&& start)
    {
        const std::lock_guard lock(m_lock);
        start();
        m_ticks = 0;
    }
    // One watchdog second; `restartClock` runs under the lock once two went
    // by without a clock tick.
    template <class Restart> void Tick(Restart&& restartClock)
    {
        const std::lock_guard lock(m_lock);
        if (++m_ticks <= 1)
            return;
        m_ticks = 0;
        restartClock();
    }

private:
    CardTableLinks& m_links;
    int m_tickCode;
    uint64_t m_action = 0;
    mutable std::mutex m_lock;
    int m_ticks = 0;
};

} // namespace game
