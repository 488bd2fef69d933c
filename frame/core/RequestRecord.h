#pragma once
// The body of a request to the game server as the frame and the game
// layers write it: N bytes, zero until written, fields placed by byte
// offset and checked against N when compiled.

#include "frame/core/FrameRecords.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace frame {

template <size_t N>
class RequestRecord {
public:
    template <size_t Offset>
    RequestRecord& Int(int32_t value)
    {
        static_assert(Offset + 4 <= N);
        StoreLe32(m_bytes.data() + Offset, static_cast<uint32_t>(value));
        return *this;
    }
    // At most Capacity - 1 bytes of text, never half a character; the rest
    // of the field stays zero.
    template <size_t Offset, size_t Capacity>
    RequestRecord& Text(std::string_view text)
    {
        static_assert(Offset + Capacity <= N && Capacity > 0);
        const size_t n = GbkFitLength(text, Capacity - 1);
        std::memcpy(m_bytes.data() + Offset, text.data(), n);
        return *this;
    }
    template <size_t Offset, size_t Size>
    RequestRecord& Bytes(const std::array<uint8_t, Size>& bytes)
    {
        static_assert(Offset + Size <= N);
        std::copy(bytes.begin(), bytes.end(), m_bytes.begin() + Offset);
        return *this;
    }
    const uint8_t* Data() const { return m_bytes.data(); }
    static constexpr uint32_t kLength = static_cast<uint32_t>(N);

private:
    std::array<uint8_t, N> m_bytes {};
};

// {0 own user id, 4 room id, 8 table number, 12 own chair}, then zeros.
// App: the application (CGameFrameApp).
template <size_t N, class App>
RequestRecord<N> HeadRecord(const App& app)
{
    RequestRecord<N> record;
    record.template Int<0>(app.GetUserId())
        .template Int<4>(app.GetRoomId())
        .template Int<8>(app.GetTableNo())
        .template Int<12>(app.GetChair());
    return record;
}

} // namespace frame
