#include "frame/core/HallRecords.h"

#include "net/MessageCodec.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace frame {

namespace {

constexpr int kKeyBits = 128;

bool ValidChair(int32_t chair) { return chair >= 0 && chair < kHallMaxSeated; }

// Where the room text of a payload with n seated and m looking-on records
// begins (both counts already known to be non-negative).
uint64_t RoomTextOffset(int32_t n, int32_t m)
{
    return kHallInitGameHeadSize + (static_cast<uint64_t>(n) + static_cast<uint64_t>(m)) * PlayerRecord::kSize;
}

template <size_t N>
void Append(std::vector<uint8_t>& out, const std::array<uint8_t, N>& bytes)
{
    out.insert(out.end(), bytes.begin(), bytes.end());
}

} // namespace

std::vector<uint8_t> HallDataCipher::Encipher(std::span<const uint8_t> plain)
{
    net::CipherTransform cipher;
    size_t length = 0;
    std::vector<uint8_t> out(EncipheredLength(plain.size()));
    if (!cipher.Transform(kKey.data(), kKeyBits, plain.data(), plain.size(), out.data(), &length,
            net::kCipherAes | net::kCodecEncode))
        return {};
    out.resize(length);
    return out;
}

std::vector<uint8_t> HallDataCipher::Decipher(std::span<const uint8_t> enciphered)
{
    const size_t whole = enciphered.size() - enciphered.size() % 16;
    if (whole == 0)
        return {};
    net::CipherTransform cipher;
    size_t length = 0;
    std::vector<uint8_t> out(EncipheredLength(whole));
    if (!cipher.Transform(kKey.data(), kKeyBits, enciphered.data(), whole, out.data(), &length,
            net::kCipherAes | net::kCodecDecode))
        return {};
    out.resize(whole);
    return out;
}

std::optional<PlayerRecord> ReadHallLooker(const uint8_t* data, size_t size)
{
    auto record = ReadHallRecord<PlayerRecord>(data, size);
    if (!record || !ValidChair(record->Chair()))
        return std::nullopt;
    return record;
}

std::optional<HallLeaveTable> ReadHallLeaveTable(const uint8_t* data, size_t size)
{
    auto record = ReadHallRecord<HallLeaveTable>(data, size);
    if (!record || !ValidChair(record->Chair()))
        return std::nullopt;
    return record;
}

std::optional<PlayerRecord> ReadHallShowPlayer(const uint8_t* data, size_t size)
{
    return ReadHallRecord<PlayerRecord>(data, size);
}

std::map<int, std::string> HallInitGame::RoomTexts() const
{
    if (!HasRoomText())
        return {};
    return ParseRoomTexts(roomText.data(), roomText.size());
}

HallInitStatus ParseHallInitGame(const uint8_t* data, size_t size, HallInitGame& out)
{
    WireReader reader(data, size);
    if (!reader.Has(kHallInitGameHeadSize))
        return HallInitStatus::kTooShort;
    out = HallInitGame();
    out.room.Load(data, RoomInfo::kSize);
    out.table.Load(data + RoomInfo::kSize, TableInfo::kSize);
    const int32_t n = out.table.PlayerCount();
    const int32_t m = out.table.LookOnCount();
    if (n < 0 || m < 0)
        return HallInitStatus::kBadCounts;
    const uint64_t textOffset = RoomTextOffset(n, m);
    const uint64_t needed = textOffset + (out.HasRoomText() ? kHallRoomTextSize : 0);
    if (needed > size)
        return HallInitStatus::kTooShort;

    // A record whose chair is none of the table's is left out; the others
    // still make the table.
    const auto take = [](const uint8_t* records, size_t count, size_t limit, std::vector<PlayerRecord>& into) {
        for (size_t i = 0; i < count && into.size() < limit; ++i) {
            PlayerRecord record;
            record.Load(records + i * PlayerRecord::kSize, PlayerRecord::kSize);
            if (ValidChair(record.Chair()))
                into.push_back(record);
        }
    };
    const uint8_t* records = data + kHallInitGameHeadSize;
    take(records, static_cast<size_t>(n), kHallMaxSeated, out.seated);
    take(records + static_cast<size_t>(n) * PlayerRecord::kSize, static_cast<size_t>(m), kHallMaxLookers,
        out.lookers);
    if (out.HasRoomText()) {
        const uint8_t* text = data + textOffset;
        if (std::memchr(text, 0, kHallRoomTextSize) == nullptr)
            return HallInitStatus::kUnterminatedText;
        std::copy(text, text + kHallRoomTextSize, out.roomText.begin());
    }
    out.table.SetPlayerCount(static_cast<int32_t>(out.seated.size()));
    out.table.SetLookOnCount(static_cast<int32_t>(out.lookers.size()));
    return HallInitStatus::kOk;
}

std::vector<uint8_t> BuildHallInitGame(const HallInitGame& init)
{
    TableInfo table = init.table;
    table.SetPlayerCount(static_cast<int32_t>(init.seated.size()));
    table.SetLookOnCount(static_cast<int32_t>(init.lookers.size()));
    std::vector<uint8_t> out;
    out.reserve(RoomTextOffset(table.PlayerCount(), table.LookOnCount()) + kHallRoomTextSize);
    Append(out, init.room.Bytes());
    Append(out, table.Bytes());
    for (const PlayerRecord& record : init.seated)
        Append(out, record.Bytes());
    for (const PlayerRecord& record : init.lookers)
        Append(out, record.Bytes());
    if (init.HasRoomText())
        Append(out, init.roomText);
    return out;
}

bool ParseHallInitMatch(const uint8_t* data, size_t size, HallInitMatch& out)
{
    if (data == nullptr || size < kHallInitMatchSize)
        return false;
    out = HallInitMatch();
    out.room.Load(data, RoomInfo::kSize);
    std::copy(data + RoomInfo::kSize, data + kHallRoomBlockSize, out.roomTail.begin());
    size_t offset = kHallRoomBlockSize;
    out.table.Load(data + offset, TableInfo::kSize);
    offset += TableInfo::kSize;
    out.own.Load(data + offset, PlayerRecord::kSize);
    offset += PlayerRecord::kSize;
    out.match.Load(data + offset, MatchInfo::kSize);
    return true;
}

std::vector<uint8_t> BuildHallInitMatch(const HallInitMatch& init)
{
    std::vector<uint8_t> out;
    out.reserve(kHallInitMatchSize);
    Append(out, init.room.Bytes());
    Append(out, init.roomTail);
    Append(out, init.table.Bytes());
    Append(out, init.own.Bytes());
    Append(out, init.match.Bytes());
    return out;
}

uint32_t HallSignRequests::Open(int32_t userId)
{
    std::lock_guard guard(m_lock);
    uint32_t token = 0;
    do {
        token = m_nextToken++;
    } while (token == 0 || m_requests.count(token) != 0);
    m_requests[token].userId = userId;
    return token;
}

bool HallSignRequests::Answer(const HallSignAnswer& answer)
{
    {
        std::lock_guard guard(m_lock);
        auto it = m_requests.find(answer.Token());
        if (it == m_requests.end())
            return false;
        Request& request = it->second;
        if (!request.answered && request.userId == answer.UserId())
            request.text = answer.Text();
        request.answered = true;
    }
    m_answered.notify_all();
    return true;
}

std::string HallSignRequests::Wait(uint32_t token, uint32_t timeoutMs)
{
    std::unique_lock guard(m_lock);
    auto it = m_requests.find(token);
    if (it == m_requests.end())
        return {};
    const Request& request = it->second;
    m_answered.wait_for(guard, std::chrono::milliseconds(timeoutMs), [&] { return request.answered; });
    return request.answered ? request.text : std::string();
}

size_t HallSignRequests::Count() const
{
    std::lock_guard guard(m_lock);
    return m_requests.size();
}

} // namespace frame
