#pragma once
// A notification's record read from a body a test built, as the handler
// reads it at a table of four chairs. A body the record refuses throws, so
// the test fails there instead of handing the view a record that never
// arrives.

#include "cards/CardRecords.h"

#include <cstdint>
#include <stdexcept>
#include <string>

namespace cardtest {

template <class Record, class Bytes>
Record Read(const Bytes& body, int chairs = 4)
{
    const auto parsed = Record::Parse(reinterpret_cast<const uint8_t*>(body.data()), body.size(), chairs);
    if (!parsed)
        throw std::runtime_error("body refused: " + parsed.Fault().Describe());
    return *parsed;
}

// Whether the record takes the body at all.
template <class Record, class Bytes>
bool Takes(const Bytes& body, int chairs = 4)
{
    return static_cast<bool>(Record::Parse(reinterpret_cast<const uint8_t*>(body.data()), body.size(), chairs));
}

} // namespace cardtest
