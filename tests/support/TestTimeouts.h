#pragma once
// Time-outs of the tests' waits for something expected to happen (a reply, a
// message, a connection), scaled for slow or crowded machines: the
// environment variable KBZN_TEST_TIMEOUT_SCALE, a positive number (default
// 1), multiplies them. A value that is not a positive number counts as 1 and
// says so on stderr.
//
// Only limits are scaled. A short wait that checks that nothing happens, or
// a time-out that is itself under test, keeps its length: a longer one would
// change what the test checks, not how patient it is.

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace testsupport {

// The scale from the environment; 1 when it is unset or not usable.
inline double ParseTimeoutScale(const char* text)
{
    if (text == nullptr || *text == '\0')
        return 1.0;
    char* end = nullptr;
    double scale = std::strtod(text, &end);
    if (end == text || *end != '\0' || !std::isfinite(scale) || scale <= 0.0) {
        std::fprintf(stderr, "KBZN_TEST_TIMEOUT_SCALE=\"%s\" is not a positive number; using 1\n", text);
        return 1.0;
    }
    return scale;
}

inline double TimeoutScale()
{
    static const double scale = ParseTimeoutScale(std::getenv("KBZN_TEST_TIMEOUT_SCALE"));
    return scale;
}

// ms scaled, at least 1 and at most a day: a limit, never "forever".
inline int TimeoutMs(int ms)
{
    double scaled = std::ceil(ms * TimeoutScale());
    return scaled < 1.0 ? 1 : scaled > 86'400'000.0 ? 86'400'000 : static_cast<int>(scaled);
}

inline std::chrono::milliseconds Timeout(std::chrono::milliseconds limit)
{
    return std::chrono::milliseconds(TimeoutMs(static_cast<int>(limit.count())));
}

} // namespace testsupport
