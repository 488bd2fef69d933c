#pragma once
// The body of a request to the game server as the frame, the card layer and
// the game write it: N bytes, zero until written, fields placed by byte
// offset and checked against N when compiled. Every request record is one
// of these: built in place with the chained setters, made with its head
// (RequestHead), or a named record that derives from it and names its own
// fields.

#include "frame/core/FrameRecords.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace frame {

template <size_t N>
class RequestRecord : public ByteRecord<N> {
public:
    using ByteRecord<N>::Bytes;

    template <size_t Offset>
    RequestRecord& Int(int32_t value)
    {
        this->template SetInt<Offset>(value);
        return *this;
    }
    // At most Capacity - 1 bytes of text, never half a character; the rest
    // of the field is zero.
    template <size_t Offset, size_t Capacity>
    RequestRecord& Text(std::string_view text)
    {
        this->template SetText<Offset, Capacity>(text);
        return *this;
    }
    template <size_t Offset, size_t Size>
    RequestRecord& Bytes(const std::array<uint8_t, Size>& bytes)
    {
        static_assert(Offset + Size <= N);
        std::copy(bytes.begin(), bytes.end(), this->MutableBytes().begin() + Offset);
        return *this;
    }
    // The head most requests start with: {0 own user id, 4 room id, 8 table
    // number, 12 own chair}.
    RequestRecord& Head(int32_t userId, int32_t roomId, int32_t tableNo, int32_t chair)
    {
        return Int<0>(userId).template Int<4>(roomId).template Int<8>(tableNo).template Int<12>(chair);
    }
    const uint8_t* Data() const { return Bytes().data(); }
    static constexpr uint32_t kLength = static_cast<uint32_t>(N);
};

// A request record that starts with the head of the application's own seat,
// then zeros. App: the application (CGameFrameApp).
template <size_t N>
class RequestHead : public RequestRecord<N> {
public:
    template <class App>
    explicit RequestHead(const App& app)
    {
        this->Head(app.GetUserId(), app.GetRoomId(), app.GetTableNo(), app.GetChair());
    }
};

} // namespace frame
