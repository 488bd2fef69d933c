#include "table/Random.h"

#include "platform/Clock.h"

namespace table {

namespace {
thread_local uint32_t t_state = 1;

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
int64_t DaysFromCivil(int y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}
} // namespace

void SeedRandom(uint32_t seed)
{
    t_state = seed;
}

int NextRandom()
{
    t_state = t_state * 214013u + 2531011u;
    return static_cast<int>((t_state >> 16) & kRandMax);
}

uint32_t NowSeconds()
{
    return SecondsOf(platform::LocalNow());
}

uint32_t SecondsOf(const platform::LocalTime& now)
{
    int64_t days = DaysFromCivil(now.year, static_cast<unsigned>(now.month), static_cast<unsigned>(now.day));
    return static_cast<uint32_t>(days * 86400 + now.hour * 3600 + now.minute * 60 + now.second);
}

int RandomBelow(int n)
{
    if (n <= 0)
        return 0;
    SeedRandom(NowSeconds());
    return NextRandom() % n;
}

} // namespace table
