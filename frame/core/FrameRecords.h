#pragma once
// The frame's records: what the lobby and the server say about the room,
// the table, its players and the match, plus the in-memory lobby argument
// and score history.
//
// Every record that travels between processes is held as its exact bytes
// (`std::array<uint8_t, kSize>`), so the bytes the frame only carries reach
// the next reader unchanged. Named fields are read and written through
// little-endian accessors at fixed offsets; a text field is GBK bytes ending
// at its first zero, and a setter copies at most the field's size - 1 bytes,
// cut on a character boundary, and zero-fills the rest of the field.

#include "frame/core/WireReader.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>

namespace frame {

// Length of the longest prefix of text that has at most maxBytes bytes and
// does not end between the two bytes of a GBK character.
size_t GbkFitLength(std::string_view text, size_t maxBytes);
inline std::string GbkCut(std::string_view text, size_t maxBytes)
{
    return std::string(text.substr(0, GbkFitLength(text, maxBytes)));
}

// The bytes of one fixed-size record and its typed field access.
template <size_t N>
class ByteRecord {
public:
    static constexpr size_t kSize = N;

    // Takes the first kSize bytes of data; a shorter body changes nothing.
    bool Load(const uint8_t* data, size_t size)
    {
        if (data == nullptr || size < N)
            return false;
        std::copy(data, data + N, m_bytes.begin());
        return true;
    }
    const std::array<uint8_t, N>& Bytes() const { return m_bytes; }
    std::span<uint8_t, N> MutableBytes() { return m_bytes; }
    void Clear() { m_bytes.fill(0); }
    bool operator==(const ByteRecord&) const = default;

protected:
    template <size_t Offset>
    int32_t GetInt() const
    {
        static_assert(Offset + 4 <= N);
        return static_cast<int32_t>(LoadLe32(m_bytes.data() + Offset));
    }
    template <size_t Offset>
    void SetInt(int32_t value)
    {
        static_assert(Offset + 4 <= N);
        StoreLe32(m_bytes.data() + Offset, static_cast<uint32_t>(value));
    }
    template <size_t Offset>
    uint32_t GetWord() const
    {
        static_assert(Offset + 4 <= N);
        return LoadLe32(m_bytes.data() + Offset);
    }
    template <size_t Offset>
    void SetWord(uint32_t value)
    {
        static_assert(Offset + 4 <= N);
        StoreLe32(m_bytes.data() + Offset, value);
    }
    // Element i of an int[Count] array at Offset; 0 (and no write) for an
    // index outside the array.
    template <size_t Offset, size_t Count>
    int32_t GetIntAt(int i) const
    {
        static_assert(Offset + 4 * Count <= N);
        if (i < 0 || static_cast<size_t>(i) >= Count)
            return 0;
        return static_cast<int32_t>(LoadLe32(m_bytes.data() + Offset + 4 * static_cast<size_t>(i)));
    }
    template <size_t Offset, size_t Count>
    void SetIntAt(int i, int32_t value)
    {
        static_assert(Offset + 4 * Count <= N);
        if (i >= 0 && static_cast<size_t>(i) < Count)
            StoreLe32(m_bytes.data() + Offset + 4 * static_cast<size_t>(i), static_cast<uint32_t>(value));
    }
    template <size_t Offset, size_t Capacity>
    std::string GetText() const
    {
        static_assert(Offset + Capacity <= N && Capacity > 0);
        return TextIn(Offset, Capacity);
    }
    template <size_t Offset, size_t Capacity>
    void SetText(std::string_view text)
    {
        static_assert(Offset + Capacity <= N && Capacity > 0);
        TextOut(Offset, Capacity, text);
    }
    // Runtime forms for fields whose place depends on an index; the caller
    // has checked that the field lies inside the record.
    std::string TextIn(size_t offset, size_t capacity) const
    {
        // A field that arrived without its zero reads as if its last byte
        // were the zero, cut on a character boundary.
        WireReader reader(m_bytes.data(), N);
        return GbkCut(reader.Text(offset, capacity), capacity - 1);
    }
    void TextOut(size_t offset, size_t capacity, std::string_view text)
    {
        size_t n = GbkFitLength(text, capacity - 1);
        uint8_t* field = m_bytes.data() + offset;
        std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n), field);
        std::fill(field + n, field + capacity, uint8_t { 0 });
    }

private:
    std::array<uint8_t, N> m_bytes {};
};

// The room as the lobby describes it (444 bytes).
class RoomInfo : public ByteRecord<444> {
public:
    static constexpr size_t kRoomId = 0;
    static constexpr size_t kWord12 = 12;
    static constexpr size_t kOptionsA = 16;
    static constexpr size_t kName = 20, kNameSize = 64;
    static constexpr size_t kAdvertHost = 84, kAdvertHostSize = 64;
    static constexpr size_t kNotifyHost = 148, kNotifyHostSize = 64;
    static constexpr size_t kLocationName = 212, kLocationNameSize = 76;
    static constexpr size_t kNoticePeriod = 288;
    static constexpr size_t kOptionsB = 292;
    static constexpr size_t kWord296 = 296;
    static constexpr size_t kWord304 = 304;
    static constexpr size_t kOptionsC = 308;
    static constexpr size_t kHasRoomTexts = 320;

    // Option word A.
    static constexpr uint32_t kOptionASilver = 0x4;
    static constexpr uint32_t kOptionAQuitLocked = 0x4000;
    // Option word B.
    static constexpr uint32_t kOptionB02 = 0x2;
    static constexpr uint32_t kOptionB08 = 0x8;
    static constexpr uint32_t kOptionB40 = 0x40;
    static constexpr uint32_t kOptionB80 = 0x80;
    static constexpr uint32_t kOptionBSeatChangeInGame = 0x1000;
    static constexpr uint32_t kOptionBSafeBoxTransfer = 0x1000000;
    // Option word C.
    static constexpr uint32_t kOptionC20000 = 0x20000;
    static constexpr uint32_t kOptionC40000 = 0x40000;

    int32_t RoomId() const { return GetInt<kRoomId>(); }
    void SetRoomId(int32_t v) { SetInt<kRoomId>(v); }
    int32_t Word12() const { return GetInt<kWord12>(); }
    void SetWord12(int32_t v) { SetInt<kWord12>(v); }
    uint32_t OptionsA() const { return GetWord<kOptionsA>(); }
    void SetOptionsA(uint32_t v) { SetWord<kOptionsA>(v); }
    std::string Name() const { return GetText<kName, kNameSize>(); }
    void SetName(std::string_view v) { SetText<kName, kNameSize>(v); }
    std::string AdvertHost() const { return GetText<kAdvertHost, kAdvertHostSize>(); }
    void SetAdvertHost(std::string_view v) { SetText<kAdvertHost, kAdvertHostSize>(v); }
    std::string NotifyHost() const { return GetText<kNotifyHost, kNotifyHostSize>(); }
    void SetNotifyHost(std::string_view v) { SetText<kNotifyHost, kNotifyHostSize>(v); }
    std::string LocationName() const { return GetText<kLocationName, kLocationNameSize>(); }
    void SetLocationName(std::string_view v) { SetText<kLocationName, kLocationNameSize>(v); }
    int32_t NoticePeriod() const { return GetInt<kNoticePeriod>(); }
    void SetNoticePeriod(int32_t v) { SetInt<kNoticePeriod>(v); }
    uint32_t OptionsB() const { return GetWord<kOptionsB>(); }
    void SetOptionsB(uint32_t v) { SetWord<kOptionsB>(v); }
    int32_t Word296() const { return GetInt<kWord296>(); }
    void SetWord296(int32_t v) { SetInt<kWord296>(v); }
    int32_t Word304() const { return GetInt<kWord304>(); }
    void SetWord304(int32_t v) { SetInt<kWord304>(v); }
    uint32_t OptionsC() const { return GetWord<kOptionsC>(); }
    void SetOptionsC(uint32_t v) { SetWord<kOptionsC>(v); }
    int32_t HasRoomTexts() const { return GetInt<kHasRoomTexts>(); }
    void SetHasRoomTexts(int32_t v) { SetInt<kHasRoomTexts>(v); }
};
static_assert(RoomInfo::kSize == 444);

// The table (176 bytes); the frame names three of its words.
class TableInfo : public ByteRecord<176> {
public:
    static constexpr size_t kTableNo = 0;
    static constexpr size_t kPlayerCount = 8;
    static constexpr size_t kLookOnCount = 12;

    int32_t TableNo() const { return GetInt<kTableNo>(); }
    void SetTableNo(int32_t v) { SetInt<kTableNo>(v); }
    int32_t PlayerCount() const { return GetInt<kPlayerCount>(); }
    void SetPlayerCount(int32_t v) { SetInt<kPlayerCount>(v); }
    int32_t LookOnCount() const { return GetInt<kLookOnCount>(); }
    void SetLookOnCount(int32_t v) { SetInt<kLookOnCount>(v); }
};
static_assert(TableInfo::kSize == 176);

// A player at the table or looking on (320 bytes, also the lobby's layout).
class PlayerRecord : public ByteRecord<320> {
public:
    static constexpr size_t kUserId = 0;
    static constexpr size_t kFlags = 4;
    static constexpr size_t kStatus = 8;
    static constexpr size_t kName = 20, kNameSize = 32;
    static constexpr size_t kNickname = 52, kNicknameSize = 16;
    static constexpr size_t kWord68 = 68;
    static constexpr size_t kWord72 = 72;
    static constexpr size_t kFigure = 76;
    static constexpr size_t kSilver = 80;
    static constexpr size_t kLevel = 84;
    static constexpr size_t kLevelTitle = 88, kLevelTitleSize = 16;
    static constexpr size_t kScore = 104;
    static constexpr size_t kExperienceMinutes = 108;
    static constexpr size_t kDisconnects = 112;
    static constexpr size_t kNetSpeed = 116;
    static constexpr size_t kWon = 120;
    static constexpr size_t kLost = 124;
    static constexpr size_t kDrawn = 128;
    static constexpr size_t kPlayed = 132;
    static constexpr size_t kExperienceSeconds = 136;
    static constexpr size_t kTableNo = 140;
    static constexpr size_t kChair = 144;
    static constexpr size_t kLookOn = 148;
    static constexpr size_t kWord164 = 164;

    static constexpr uint32_t kFlagPrivileged = 0x1;
    static constexpr uint32_t kFlagMember = 0x1000;

    int32_t UserId() const { return GetInt<kUserId>(); }
    void SetUserId(int32_t v) { SetInt<kUserId>(v); }
    uint32_t Flags() const { return GetWord<kFlags>(); }
    void SetFlags(uint32_t v) { SetWord<kFlags>(v); }
    int32_t Status() const { return GetInt<kStatus>(); }
    void SetStatus(int32_t v) { SetInt<kStatus>(v); }
    std::string Name() const { return GetText<kName, kNameSize>(); }
    void SetName(std::string_view v) { SetText<kName, kNameSize>(v); }
    std::string Nickname() const { return GetText<kNickname, kNicknameSize>(); }
    void SetNickname(std::string_view v) { SetText<kNickname, kNicknameSize>(v); }
    int32_t Word68() const { return GetInt<kWord68>(); }
    void SetWord68(int32_t v) { SetInt<kWord68>(v); }
    int32_t Word72() const { return GetInt<kWord72>(); }
    void SetWord72(int32_t v) { SetInt<kWord72>(v); }
    int32_t Figure() const { return GetInt<kFigure>(); }
    void SetFigure(int32_t v) { SetInt<kFigure>(v); }
    int32_t Silver() const { return GetInt<kSilver>(); }
    void SetSilver(int32_t v) { SetInt<kSilver>(v); }
    int32_t Level() const { return GetInt<kLevel>(); }
    void SetLevel(int32_t v) { SetInt<kLevel>(v); }
    std::string LevelTitle() const { return GetText<kLevelTitle, kLevelTitleSize>(); }
    void SetLevelTitle(std::string_view v) { SetText<kLevelTitle, kLevelTitleSize>(v); }
    int32_t Score() const { return GetInt<kScore>(); }
    void SetScore(int32_t v) { SetInt<kScore>(v); }
    int32_t ExperienceMinutes() const { return GetInt<kExperienceMinutes>(); }
    void SetExperienceMinutes(int32_t v) { SetInt<kExperienceMinutes>(v); }
    int32_t Disconnects() const { return GetInt<kDisconnects>(); }
    void SetDisconnects(int32_t v) { SetInt<kDisconnects>(v); }
    int32_t NetSpeed() const { return GetInt<kNetSpeed>(); }
    void SetNetSpeed(int32_t v) { SetInt<kNetSpeed>(v); }
    int32_t Won() const { return GetInt<kWon>(); }
    void SetWon(int32_t v) { SetInt<kWon>(v); }
    int32_t Lost() const { return GetInt<kLost>(); }
    void SetLost(int32_t v) { SetInt<kLost>(v); }
    int32_t Drawn() const { return GetInt<kDrawn>(); }
    void SetDrawn(int32_t v) { SetInt<kDrawn>(v); }
    int32_t Played() const { return GetInt<kPlayed>(); }
    void SetPlayed(int32_t v) { SetInt<kPlayed>(v); }
    int32_t ExperienceSeconds() const { return GetInt<kExperienceSeconds>(); }
    void SetExperienceSeconds(int32_t v) { SetInt<kExperienceSeconds>(v); }
    int32_t TableNo() const { return GetInt<kTableNo>(); }
    void SetTableNo(int32_t v) { SetInt<kTableNo>(v); }
    int32_t Chair() const { return GetInt<kChair>(); }
    void SetChair(int32_t v) { SetInt<kChair>(v); }
    int32_t LookOn() const { return GetInt<kLookOn>(); }
    void SetLookOn(int32_t v) { SetInt<kLookOn>(v); }
    int32_t Word164() const { return GetInt<kWord164>(); }
    void SetWord164(int32_t v) { SetInt<kWord164>(v); }

    bool IsPrivileged() const { return (Flags() & kFlagPrivileged) != 0; }
    bool IsMember() const { return (Flags() & kFlagMember) != 0; }
    // "name[nickname]", or the name alone when the nickname is empty.
    std::string DisplayName() const;
};
static_assert(PlayerRecord::kSize == 320);

// The server's player record (136 bytes; bytes 120 to 135 are not read).
class VizeRidavuRecord : public ByteRecord<136> {
public:
    static constexpr size_t kUserId = 0;
    static constexpr size_t kFlags = 4;
    static constexpr size_t kStatus = 8;
    static constexpr size_t kTableNo = 12;
    static constexpr size_t kChair = 16;
    static constexpr size_t kWord20 = 20;
    static constexpr size_t kWord24 = 24;
    static constexpr size_t kNetSpeed = 28;
    static constexpr size_t kFigure = 32;
    static constexpr size_t kName = 36, kNameSize = 32;
    static constexpr size_t kNickname = 68, kNicknameSize = 16;
    static constexpr size_t kSilver = 84;
    static constexpr size_t kLevel = 88;
    static constexpr size_t kScore = 92;
    static constexpr size_t kDisconnects = 96;
    static constexpr size_t kWon = 100;
    static constexpr size_t kLost = 104;
    static constexpr size_t kDrawn = 108;
    static constexpr size_t kPlayed = 112;
    static constexpr size_t kExperienceSeconds = 116;

    int32_t UserId() const { return GetInt<kUserId>(); }
    void SetUserId(int32_t v) { SetInt<kUserId>(v); }
    uint32_t Flags() const { return GetWord<kFlags>(); }
    void SetFlags(uint32_t v) { SetWord<kFlags>(v); }
    int32_t Status() const { return GetInt<kStatus>(); }
    void SetStatus(int32_t v) { SetInt<kStatus>(v); }
    int32_t TableNo() const { return GetInt<kTableNo>(); }
    void SetTableNo(int32_t v) { SetInt<kTableNo>(v); }
    int32_t Chair() const { return GetInt<kChair>(); }
    void SetChair(int32_t v) { SetInt<kChair>(v); }
    int32_t Word20() const { return GetInt<kWord20>(); }
    void SetWord20(int32_t v) { SetInt<kWord20>(v); }
    int32_t Word24() const { return GetInt<kWord24>(); }
    void SetWord24(int32_t v) { SetInt<kWord24>(v); }
    int32_t NetSpeed() const { return GetInt<kNetSpeed>(); }
    void SetNetSpeed(int32_t v) { SetInt<kNetSpeed>(v); }
    int32_t Figure() const { return GetInt<kFigure>(); }
    void SetFigure(int32_t v) { SetInt<kFigure>(v); }
    std::string Name() const { return GetText<kName, kNameSize>(); }
    void SetName(std::string_view v) { SetText<kName, kNameSize>(v); }
    std::string Nickname() const { return GetText<kNickname, kNicknameSize>(); }
    void SetNickname(std::string_view v) { SetText<kNickname, kNicknameSize>(v); }
    int32_t Silver() const { return GetInt<kSilver>(); }
    void SetSilver(int32_t v) { SetInt<kSilver>(v); }
    int32_t Level() const { return GetInt<kLevel>(); }
    void SetLevel(int32_t v) { SetInt<kLevel>(v); }
    int32_t Score() const { return GetInt<kScore>(); }
    void SetScore(int32_t v) { SetInt<kScore>(v); }
    int32_t Disconnects() const { return GetInt<kDisconnects>(); }
    void SetDisconnects(int32_t v) { SetInt<kDisconnects>(v); }
    int32_t Won() const { return GetInt<kWon>(); }
    void SetWon(int32_t v) { SetInt<kWon>(v); }
    int32_t Lost() const { return GetInt<kLost>(); }
    void SetLost(int32_t v) { SetInt<kLost>(v); }
    int32_t Drawn() const { return GetInt<kDrawn>(); }
    void SetDrawn(int32_t v) { SetInt<kDrawn>(v); }
    int32_t Played() const { return GetInt<kPlayed>(); }
    void SetPlayed(int32_t v) { SetInt<kPlayed>(v); }
    int32_t ExperienceSeconds() const { return GetInt<kExperienceSeconds>(); }
    void SetExperienceSeconds(int32_t v) { SetInt<kExperienceSeconds>(v); }
};
static_assert(VizeRidavuRecord::kSize == 136);

// The match table's head (244 bytes).
class MatchRoomInfo : public ByteRecord<244> {
public:
    static constexpr size_t kRoomId = 0;
    static constexpr size_t kMatchId = 4;
    static constexpr size_t kTableNo = 8;
    static constexpr size_t kSeatCount = 12;
    static constexpr size_t kWord140 = 140;
    // The match's kind ("定局淘汰" and the like) and its description, as
    // the table's information box shows them.
    static constexpr size_t kKindText = 144, kKindTextSize = 16;
    static constexpr size_t kDescription = 160, kDescriptionSize = 64;

    int32_t RoomId() const { return GetInt<kRoomId>(); }
    void SetRoomId(int32_t v) { SetInt<kRoomId>(v); }
    int32_t MatchId() const { return GetInt<kMatchId>(); }
    void SetMatchId(int32_t v) { SetInt<kMatchId>(v); }
    int32_t TableNo() const { return GetInt<kTableNo>(); }
    void SetTableNo(int32_t v) { SetInt<kTableNo>(v); }
    int32_t SeatCount() const { return GetInt<kSeatCount>(); }
    void SetSeatCount(int32_t v) { SetInt<kSeatCount>(v); }
    int32_t Word140() const { return GetInt<kWord140>(); }
    void SetWord140(int32_t v) { SetInt<kWord140>(v); }
    std::string KindText() const { return GetText<kKindText, kKindTextSize>(); }
    void SetKindText(std::string_view v) { SetText<kKindText, kKindTextSize>(v); }
    std::string Description() const { return GetText<kDescription, kDescriptionSize>(); }
    void SetDescription(std::string_view v) { SetText<kDescription, kDescriptionSize>(v); }
};
static_assert(MatchRoomInfo::kSize == 244);

// One seat of a match table (288 bytes).
class MatchSeatRecord : public ByteRecord<288> {
public:
    static constexpr size_t kUserId = 0;
    static constexpr size_t kFlags = 4;
    static constexpr size_t kWord8 = 8;
    static constexpr size_t kWord12 = 12;
    static constexpr size_t kFigure = 16;
    static constexpr size_t kName = 20, kNameSize = 32;
    static constexpr size_t kNickname = 52, kNicknameSize = 16;
    static constexpr size_t kWord88 = 88;
    static constexpr size_t kWord96 = 96; // the level; frame of the level badge
    static constexpr size_t kRankPoints = 100;
    static constexpr size_t kTotalWon = 108;
    static constexpr size_t kTotalLost = 112;
    static constexpr size_t kTotalDrawn = 116;
    static constexpr size_t kWord120 = 120;
    static constexpr size_t kWord124 = 124;
    static constexpr size_t kRankingKey = 184;
    static constexpr size_t kMatchScore = 188;
    static constexpr size_t kSilver = 192;
    static constexpr size_t kWon = 196;
    static constexpr size_t kLost = 200;
    static constexpr size_t kDrawn = 204;
    static constexpr size_t kPlayed = 208;
    static constexpr size_t kDisconnects = 212;
    static constexpr size_t kExperienceSeconds = 216;
    static constexpr size_t kNextLevelPoints = 264;

    int32_t UserId() const { return GetInt<kUserId>(); }
    void SetUserId(int32_t v) { SetInt<kUserId>(v); }
    uint32_t Flags() const { return GetWord<kFlags>(); }
    void SetFlags(uint32_t v) { SetWord<kFlags>(v); }
    int32_t Word8() const { return GetInt<kWord8>(); }
    void SetWord8(int32_t v) { SetInt<kWord8>(v); }
    int32_t Word12() const { return GetInt<kWord12>(); }
    void SetWord12(int32_t v) { SetInt<kWord12>(v); }
    int32_t Figure() const { return GetInt<kFigure>(); }
    void SetFigure(int32_t v) { SetInt<kFigure>(v); }
    std::string Name() const { return GetText<kName, kNameSize>(); }
    void SetName(std::string_view v) { SetText<kName, kNameSize>(v); }
    std::string Nickname() const { return GetText<kNickname, kNicknameSize>(); }
    void SetNickname(std::string_view v) { SetText<kNickname, kNicknameSize>(v); }
    int32_t Word88() const { return GetInt<kWord88>(); }
    void SetWord88(int32_t v) { SetInt<kWord88>(v); }
    int32_t Word96() const { return GetInt<kWord96>(); }
    void SetWord96(int32_t v) { SetInt<kWord96>(v); }
    int32_t RankPoints() const { return GetInt<kRankPoints>(); }
    void SetRankPoints(int32_t v) { SetInt<kRankPoints>(v); }
    int32_t TotalWon() const { return GetInt<kTotalWon>(); }
    void SetTotalWon(int32_t v) { SetInt<kTotalWon>(v); }
    int32_t TotalLost() const { return GetInt<kTotalLost>(); }
    void SetTotalLost(int32_t v) { SetInt<kTotalLost>(v); }
    int32_t TotalDrawn() const { return GetInt<kTotalDrawn>(); }
    void SetTotalDrawn(int32_t v) { SetInt<kTotalDrawn>(v); }
    int32_t Word120() const { return GetInt<kWord120>(); }
    void SetWord120(int32_t v) { SetInt<kWord120>(v); }
    int32_t Word124() const { return GetInt<kWord124>(); }
    void SetWord124(int32_t v) { SetInt<kWord124>(v); }
    int32_t RankingKey() const { return GetInt<kRankingKey>(); }
    void SetRankingKey(int32_t v) { SetInt<kRankingKey>(v); }
    int32_t MatchScore() const { return GetInt<kMatchScore>(); }
    void SetMatchScore(int32_t v) { SetInt<kMatchScore>(v); }
    int32_t Silver() const { return GetInt<kSilver>(); }
    void SetSilver(int32_t v) { SetInt<kSilver>(v); }
    int32_t Won() const { return GetInt<kWon>(); }
    void SetWon(int32_t v) { SetInt<kWon>(v); }
    int32_t Lost() const { return GetInt<kLost>(); }
    void SetLost(int32_t v) { SetInt<kLost>(v); }
    int32_t Drawn() const { return GetInt<kDrawn>(); }
    void SetDrawn(int32_t v) { SetInt<kDrawn>(v); }
    int32_t Played() const { return GetInt<kPlayed>(); }
    void SetPlayed(int32_t v) { SetInt<kPlayed>(v); }
    int32_t Disconnects() const { return GetInt<kDisconnects>(); }
    void SetDisconnects(int32_t v) { SetInt<kDisconnects>(v); }
    int32_t ExperienceSeconds() const { return GetInt<kExperienceSeconds>(); }
    void SetExperienceSeconds(int32_t v) { SetInt<kExperienceSeconds>(v); }
    int32_t NextLevelPoints() const { return GetInt<kNextLevelPoints>(); }
    void SetNextLevelPoints(int32_t v) { SetInt<kNextLevelPoints>(v); }
};
static_assert(MatchSeatRecord::kSize == 288);

// The match as the lobby describes it (1480 bytes).
class MatchInfo : public ByteRecord<1480> {
public:
    static constexpr size_t kMatchName = 72, kMatchNameSize = 128;
    // The award page address is the last field the frame knows of; it is
    // read up to its zero or the end of the record.
    static constexpr size_t kAwardUrl = 200, kAwardUrlSize = 1480 - 200;

    std::string MatchName() const { return GetText<kMatchName, kMatchNameSize>(); }
    void SetMatchName(std::string_view v) { SetText<kMatchName, kMatchNameSize>(v); }
    std::string AwardUrl() const { return GetText<kAwardUrl, kAwardUrlSize>(); }
    void SetAwardUrl(std::string_view v) { SetText<kAwardUrl, kAwardUrlSize>(v); }
};
static_assert(MatchInfo::kSize == 1480);

// The match's state (68 bytes).
class MatchStateBlock : public ByteRecord<68> {
public:
    static constexpr size_t kStage = 8;
    static constexpr int32_t kStageFinals = 500; // set by notification 211199
    static constexpr int32_t kStageOver = 600;   // set by notification 211190

    int32_t Stage() const { return GetInt<kStage>(); }
    void SetStage(int32_t v) { SetInt<kStage>(v); }
};
static_assert(MatchStateBlock::kSize == 68);

// One entry of the match ranking (64 bytes).
class MatchRankingEntry : public ByteRecord<64> {
public:
    static constexpr size_t kUserId = 0;
    static constexpr size_t kMatchScore = 4;
    static constexpr size_t kSilver = 8;
    static constexpr size_t kRankingKey = 12;
    static constexpr size_t kStatus = 16;
    static constexpr size_t kOut = 20;
    static constexpr size_t kName = 32, kNameSize = 32;

    int32_t UserId() const { return GetInt<kUserId>(); }
    void SetUserId(int32_t v) { SetInt<kUserId>(v); }
    int32_t MatchScore() const { return GetInt<kMatchScore>(); }
    void SetMatchScore(int32_t v) { SetInt<kMatchScore>(v); }
    int32_t Silver() const { return GetInt<kSilver>(); }
    void SetSilver(int32_t v) { SetInt<kSilver>(v); }
    int32_t RankingKey() const { return GetInt<kRankingKey>(); }
    void SetRankingKey(int32_t v) { SetInt<kRankingKey>(v); }
    int32_t Status() const { return GetInt<kStatus>(); }
    void SetStatus(int32_t v) { SetInt<kStatus>(v); }
    int32_t Out() const { return GetInt<kOut>(); }
    void SetOut(int32_t v) { SetInt<kOut>(v); }
    std::string Name() const { return GetText<kName, kNameSize>(); }
    void SetName(std::string_view v) { SetText<kName, kNameSize>(v); }
};
static_assert(MatchRankingEntry::kSize == 64);

// The match ranking: a 24-byte head and up to 100 entries (6424 bytes).
class MatchRanking : public ByteRecord<6424> {
public:
    static constexpr size_t kHeadSize = 24;
    static constexpr size_t kMaxEntries = 100;
    static constexpr size_t kEntryCount = 4;
    static constexpr size_t kPromotionCount = 8;
    static constexpr size_t kPlayersLeft = 12;
    static constexpr size_t kPromotionMarking = 20;

    int32_t EntryCount() const { return GetInt<kEntryCount>(); }
    void SetEntryCount(int32_t v) { SetInt<kEntryCount>(v); }
    int32_t PromotionCount() const { return GetInt<kPromotionCount>(); }
    void SetPromotionCount(int32_t v) { SetInt<kPromotionCount>(v); }
    int32_t PlayersLeft() const { return GetInt<kPlayersLeft>(); }
    void SetPlayersLeft(int32_t v) { SetInt<kPlayersLeft>(v); }
    int32_t PromotionMarking() const { return GetInt<kPromotionMarking>(); }
    void SetPromotionMarking(int32_t v) { SetInt<kPromotionMarking>(v); }

    // The entry count clamped to 0..100: the number of entries to read.
    size_t Count() const;
    // Entry i (a copy); an empty entry outside 0..99.
    MatchRankingEntry Entry(size_t i) const;
    void SetEntry(size_t i, const MatchRankingEntry& entry);

    // The ranking notification: the head and as many entries as its count
    // says, at most 100 and at most what the body holds whole; the stored
    // count is the number taken. Entries after them keep their bytes. A body
    // shorter than the head changes nothing.
    bool LoadNotification(const uint8_t* data, size_t size);
    // Reorders the first Count() entries ascending by key; equal keys keep
    // their order. keys[i] belongs to entry i.
    void SortByKeys(std::span<const int64_t> keys);
};
static_assert(MatchRanking::kSize == MatchRanking::kHeadSize + MatchRanking::kMaxEntries * MatchRankingEntry::kSize);

// The result of a round (432 bytes).
class RoundResult : public ByteRecord<432> {
public:
    static constexpr size_t kMatchSeatCount = 8;
    static constexpr size_t kScoreBefore = 96;
    static constexpr size_t kSilverBefore = 128;
    static constexpr size_t kScoreChange = 160;
    static constexpr size_t kSilverChange = 192;
    static constexpr size_t kLevel = 256;
    static constexpr size_t kLevelTitles = 288, kLevelTitleSize = 16;
    static constexpr size_t kKeepMask = 420;
    static constexpr size_t kChairs = 8;

    int32_t MatchSeatCount() const { return GetInt<kMatchSeatCount>(); }
    void SetMatchSeatCount(int32_t v) { SetInt<kMatchSeatCount>(v); }
    int32_t ScoreBefore(int chair) const { return GetIntAt<kScoreBefore, kChairs>(chair); }
    void SetScoreBefore(int chair, int32_t v) { SetIntAt<kScoreBefore, kChairs>(chair, v); }
    int32_t SilverBefore(int chair) const { return GetIntAt<kSilverBefore, kChairs>(chair); }
    void SetSilverBefore(int chair, int32_t v) { SetIntAt<kSilverBefore, kChairs>(chair, v); }
    int32_t ScoreChange(int chair) const { return GetIntAt<kScoreChange, kChairs>(chair); }
    void SetScoreChange(int chair, int32_t v) { SetIntAt<kScoreChange, kChairs>(chair, v); }
    int32_t SilverChange(int chair) const { return GetIntAt<kSilverChange, kChairs>(chair); }
    void SetSilverChange(int chair, int32_t v) { SetIntAt<kSilverChange, kChairs>(chair, v); }
    int32_t Level(int chair) const { return GetIntAt<kLevel, kChairs>(chair); }
    void SetLevel(int chair, int32_t v) { SetIntAt<kLevel, kChairs>(chair, v); }
    std::string LevelTitle(int chair) const;
    void SetLevelTitle(int chair, std::string_view title);
    // Chairs whose records the round leaves unchanged (bit = 1 << chair).
    uint32_t KeepMask() const { return GetWord<kKeepMask>(); }
    void SetKeepMask(uint32_t v) { SetWord<kKeepMask>(v); }
};
static_assert(RoundResult::kSize == 432);
static_assert(RoundResult::kLevelTitles + RoundResult::kChairs * RoundResult::kLevelTitleSize <= RoundResult::kKeepMask);

// Round scores by chair: a ring of the last 30 rounds and running totals.
class ScoreHistory {
public:
    static constexpr int kChairs = 8;
    static constexpr int kRounds = 30;

    // Records one round for chairs 0 to chairCount - 1 (at most 8): the
    // round's slot is the round counter modulo 30, so after 30 rounds the
    // oldest slot is overwritten while the totals keep growing.
    void AddRound(std::span<const int32_t, kChairs> values, int chairCount);
    void Clear();
    // Puts back what the server kept for chairs 0 to chairs - 1 (at most 8):
    // their 30 ring slots, chair after chair, and their totals; the other
    // chairs keep theirs. A negative round counter from outside starts
    // again at 0, so that the next round's slot stays inside the ring.
    void Restore(int64_t rounds, int chairs, std::span<const int32_t> ring, std::span<const int32_t> totals);

    // The score of the chair in ring slot `slot` (0..29); 0 outside.
    int32_t Entry(int chair, int slot) const;
    int32_t Total(int chair) const;
    // Rounds recorded since the last Clear.
    int64_t RoundCount() const { return m_rounds; }

private:
    int32_t m_ring[kChairs][kRounds] = {};
    int32_t m_totals[kChairs] = {};
    int64_t m_rounds = 0;
};

// The lobby's argument, parsed (fields 0 to 11 of the '|' list).
struct HallLaunchArgs {
    static constexpr size_t kHostMax = 31;
    static constexpr size_t kTitleMax = 127;

    int gameId = 0;           // field 0
    std::string serverHost;   // field 1, at most 31 bytes
    int lobbyWord = 0;        // field 2
    int lobbyWindow = 0;      // field 3, the lobby window's handle
    int lobbyWord4 = 0;       // field 4
    int userId = 0;           // field 5
    int tableNo = -1;         // field 6
    int chair = -1;           // field 7
    int lookOn = 0;           // field 8
    int reenter = 0;          // field 9, 1 when the program restarted itself
    int serverPort = 0;       // field 11; 0 or absent gives the default port
    std::string title;        // field 10, at most 127 bytes

    bool operator==(const HallLaunchArgs&) const = default;
};

// The whole lobby argument: the launch fields and the room option words A,
// B and C of fields 12 to 14, which belong in RoomInfo.
struct HallArgsLine {
    HallLaunchArgs args;
    uint32_t roomOptionsA = 0;
    uint32_t roomOptionsB = 0;
    uint32_t roomOptionsC = 0;

    bool operator==(const HallArgsLine&) const = default;
};

enum class HallArgsStatus { Ok, TooFewFields };

constexpr size_t kHallArgsMaxFields = 30;
constexpr size_t kHallArgsMinFields = 9;

// Reads the lobby argument: a leading double quote drops the first and the
// last character; the text is split at '|' into at most 30 fields; fewer
// than 9 is TooFewFields (out unchanged). Numbers are read as atoi reads
// them (leading blanks, a sign, digits; anything else ends the number),
// texts end at a zero byte and are cut to their limits on a character
// boundary; fields 9 to 14 are read only when present, and a port of 0
// becomes defaultPort.
HallArgsStatus ParseHallArgs(std::string_view commandLine, int defaultPort, HallArgsLine& out);

// The relaunch argument: one double-quoted string of the fifteen fields
// joined by '|' (host and title as text, the others in decimal, the option
// words unsigned). ParseHallArgs reads it back to the same line as long as
// neither text holds a '|'.
std::string FormatHallArgs(const HallArgsLine& line);

// The room texts of the lobby's init data: the text (up to its first zero
// within size bytes) split at '|' into at most 60 fields, kept under keys
// 0, 1, 2 ... up to the first empty field.
std::map<int, std::string> ParseRoomTexts(const uint8_t* data, size_t size);
constexpr size_t kRoomTextsMaxFields = 60;

} // namespace frame
