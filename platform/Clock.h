#pragma once
// The process clock. Everything that shows dates or measures time reads it
// here, so tests can pin the wall clock and drive the millisecond tick
// without sleeping.

#include <cstdint>
#include <optional>

namespace platform {

struct LocalTime {
    int year = 0;   // four digits
    int month = 0;  // 1..12
    int day = 0;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

// Local wall-clock time (or the fixed time a test set).
LocalTime LocalNow();

// Milliseconds from an arbitrary origin; wraps around at 2^32 like the
// system tick it stands in for. Monotonic unless a test overrides it.
uint32_t TickMs();

// Test hooks. A fixed local time or tick stays until cleared with nullopt.
void SetFixedLocalTime(std::optional<LocalTime> time);
void SetFixedTick(std::optional<uint32_t> tick);

} // namespace platform
