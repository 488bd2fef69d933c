#include "frame/ui/ReplayFile.h"

#include "engine/core/EngineFiles.h"
#include "engine/core/ZlibCodec.h"
#include "frame/core/FrameRecords.h"
#include "frame/core/WireReader.h"
#include "frame/ui/ReplayBlocks.h"
#include "platform/Files.h"
#include "platform/Gbk.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <utility>

namespace frame {

namespace {

// Ordinary header, 108 bytes: the magic keeps its NUL and the game id
// follows the name.
constexpr ReplayLayout kOrdinary {
    .headerSize = 108,
    .magicSize = 6,
    .gameName = 6, .gameNameSize = 10,
    .gameId = 16,
    .versionMajor = 20, .versionMinor = 24,
    .recordCount = 52, .lastRecordTime = 56, .snapshotOffset = 60, .bodyLength = 64,
    .userId = 68, .chair = 72,
    .beginDate = 76, .beginTime = 80, .saveDate = 84, .saveTime = 88,
    .matchName = std::nullopt, .matchNameSize = 0,
    .matchId = std::nullopt,
    .tableBlockSize = ReplayTableBlock::kSize, .seatBlockSize = ReplaySeatBlock::kSize,
    .seatCountInTable = ReplayTableBlock::kSeatCount,
};

// Match header, 172 bytes: the magic has no NUL, so the name follows it at
// byte 5 and every shared field sits four bytes earlier than above.
constexpr ReplayLayout kMatch {
    .headerSize = 172,
    .magicSize = 5,
    .gameName = 5, .gameNameSize = 11,
    .gameId = std::nullopt,
    .versionMajor = 16, .versionMinor = 20,
    .recordCount = 48, .lastRecordTime = 52, .snapshotOffset = 56, .bodyLength = 60,
    .userId = 64, .chair = 68,
    .beginDate = 136, .beginTime = 140, .saveDate = 144, .saveTime = 148,
    .matchName = 72, .matchNameSize = 64,
    .matchId = 152,
    .tableBlockSize = MatchReplayTableBlock::kSize, .seatBlockSize = MatchReplaySeatBlock::kSize,
    .seatCountInTable = MatchReplayTableBlock::kSeatCount,
};

// True when the fields {offset, size}, listed in order, cover the header
// from byte 0 to its end without a gap or an overlap.
constexpr bool Tiles(size_t headerSize, std::initializer_list<std::pair<size_t, size_t>> fields)
{
    size_t at = 0;
    for (const auto& [offset, size] : fields) {
        if (offset != at)
            return false;
        at += size;
    }
    return at == headerSize;
}

static_assert(Tiles(kOrdinary.headerSize,
    { { 0, kOrdinary.magicSize }, { kOrdinary.gameName, kOrdinary.gameNameSize }, { *kOrdinary.gameId, 4 },
        { kOrdinary.versionMajor, 4 }, { kOrdinary.versionMinor, 4 }, { 28, 24 }, { kOrdinary.recordCount, 4 },
        { kOrdinary.lastRecordTime, 4 }, { kOrdinary.snapshotOffset, 4 }, { kOrdinary.bodyLength, 4 },
        { kOrdinary.userId, 4 }, { kOrdinary.chair, 4 }, { kOrdinary.beginDate, 4 }, { kOrdinary.beginTime, 4 },
        { kOrdinary.saveDate, 4 }, { kOrdinary.saveTime, 4 }, { 92, 16 } }));
static_assert(kOrdinary.headerSize == 108);

static_assert(Tiles(kMatch.headerSize,
    { { 0, kMatch.magicSize }, { kMatch.gameName, kMatch.gameNameSize }, { kMatch.versionMajor, 4 },
        { kMatch.versionMinor, 4 }, { 24, 24 }, { kMatch.recordCount, 4 }, { kMatch.lastRecordTime, 4 },
        { kMatch.snapshotOffset, 4 }, { kMatch.bodyLength, 4 }, { kMatch.userId, 4 }, { kMatch.chair, 4 },
        { *kMatch.matchName, kMatch.matchNameSize }, { kMatch.beginDate, 4 }, { kMatch.beginTime, 4 },
        { kMatch.saveDate, 4 }, { kMatch.saveTime, 4 }, { *kMatch.matchId, 4 }, { 156, 16 } }));
static_assert(kMatch.headerSize == 172);

// The shared fields keep their order, four bytes earlier in the match header.
static_assert(kMatch.recordCount + 4 == kOrdinary.recordCount && kMatch.chair + 4 == kOrdinary.chair);
static_assert(sizeof ReplayFile::kMagic - 1 == kMatch.magicSize);
static_assert(sizeof ReplayFile::kMagic == kOrdinary.magicSize);

constexpr size_t kMaxFileNamePart = 127;

void AppendWord(std::vector<uint8_t>& image, uint32_t value)
{
    uint8_t bytes[4];
    StoreLe32(bytes, value);
    image.insert(image.end(), bytes, bytes + 4);
}

bool IsControl(uint8_t byte)
{
    return byte < 0x20 || byte == 0x7F;
}

} // namespace

const ReplayLayout& ReplayLayout::Of(ReplayVariant variant)
{
    return variant == ReplayVariant::Match ? kMatch : kOrdinary;
}

const char* ToString(ReplayError error)
{
    switch (error) {
    case ReplayError::None: return "loaded";
    case ReplayError::Unreadable: return "cannot be read";
    case ReplayError::Truncated: return "shorter than its header";
    case ReplayError::BadMagic: return "not a replay file";
    case ReplayError::WrongGame: return "another game's replay";
    case ReplayError::BadBodyLength: return "impossible body length";
    case ReplayError::BadBody: return "body does not inflate to its length";
    case ReplayError::BadSeatCount: return "seat count out of range";
    case ReplayError::BadChair: return "chair out of range";
    case ReplayError::BadRecord: return "records do not fit the body";
    case ReplayError::BadSnapshot: return "snapshot outside the body";
    }
    return "unknown";
}

ReplayFile::ReplayFile(ReplayVariant variant)
    : m_variant(variant)
    , m_layout(&ReplayLayout::Of(variant))
{
}

// ---- Recording -----------------------------------------------------------

void ReplayFile::Begin(const ReplayIdentity& identity)
{
    const ReplayLayout& layout = *m_layout;
    m_image.assign(layout.headerSize, 0);
    std::memcpy(m_image.data(), kMagic, layout.magicSize);
    SetHeaderText(layout.gameName, layout.gameNameSize, identity.gameName);
    if (layout.gameId)
        SetHeaderWord(*layout.gameId, static_cast<uint32_t>(identity.gameId));
    SetHeaderWord(layout.versionMajor, static_cast<uint32_t>(identity.versionMajor));
    SetHeaderWord(layout.versionMinor, static_cast<uint32_t>(identity.versionMinor));
    SetHeaderWord(layout.snapshotOffset, static_cast<uint32_t>(-1));
    SetHeaderWord(layout.userId, static_cast<uint32_t>(identity.userId));
    SetHeaderWord(layout.chair, static_cast<uint32_t>(identity.chair));
    if (layout.matchName)
        SetHeaderText(*layout.matchName, layout.matchNameSize, identity.matchName);
    if (layout.matchId)
        SetHeaderWord(*layout.matchId, static_cast<uint32_t>(identity.matchId));
    SetHeaderWord(layout.beginDate, static_cast<uint32_t>(PackReplayDate(identity.begun)));
    SetHeaderWord(layout.beginTime, static_cast<uint32_t>(PackReplayTime(identity.begun)));
}

bool ReplayFile::AppendTableBlock(std::span<const uint8_t> block)
{
    if (!Begun() || block.size() != m_layout->tableBlockSize)
        return false;
    m_image.insert(m_image.end(), block.begin(), block.end());
    return true;
}

bool ReplayFile::AppendSeatBlock(std::span<const uint8_t> block)
{
    if (!Begun() || block.size() != m_layout->seatBlockSize)
        return false;
    m_image.insert(m_image.end(), block.begin(), block.end());
    return true;
}

bool ReplayFile::AppendRecord(uint32_t elapsed, int32_t id, std::span<const uint8_t> data)
{
    if (!Begun() || data.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
        return false;
    SetHeaderWord(m_layout->recordCount, RecordCount() + 1);
    SetHeaderWord(m_layout->lastRecordTime, elapsed);
    AppendWord(m_image, elapsed);
    AppendWord(m_image, static_cast<uint32_t>(id));
    AppendWord(m_image, static_cast<uint32_t>(data.size()));
    m_image.insert(m_image.end(), data.begin(), data.end());
    return true;
}

bool ReplayFile::AppendSnapshot(std::span<const uint8_t> data)
{
    if (!Begun())
        return false;
    SetHeaderWord(m_layout->snapshotOffset, static_cast<uint32_t>(m_image.size()));
    m_image.insert(m_image.end(), data.begin(), data.end());
    return true;
}

std::optional<std::vector<uint8_t>> ReplayFile::Encode(const platform::LocalTime& saved)
{
    const ReplayLayout& layout = *m_layout;
    if (!Begun() || m_image.size() - layout.headerSize > kMaxBodyLength)
        return std::nullopt;
    size_t bodyLength = m_image.size() - layout.headerSize;
    SetHeaderWord(layout.saveDate, static_cast<uint32_t>(PackReplayDate(saved)));
    SetHeaderWord(layout.saveTime, static_cast<uint32_t>(PackReplayTime(saved)));
    SetHeaderWord(layout.bodyLength, static_cast<uint32_t>(bodyLength));
    std::vector<uint8_t> compressed;
    if (!engine::ZlibCompress(m_image.data() + layout.headerSize, bodyLength, compressed))
        return std::nullopt;
    std::vector<uint8_t> file(m_image.begin(), m_image.begin() + static_cast<std::ptrdiff_t>(layout.headerSize));
    file.insert(file.end(), compressed.begin(), compressed.end());
    return file;
}

bool ReplayFile::Save(std::string_view path, const platform::LocalTime& saved)
{
    std::optional<std::vector<uint8_t>> file = Encode(saved);
    return file && engine::WriteWholeFile(path, file->data(), file->size());
}

void ReplayFile::Clear()
{
    m_image.clear();
}

// ---- Loading -------------------------------------------------------------

ReplayLoadResult ReplayFile::Load(std::span<const uint8_t> file, const ReplayProgram& program)
{
    const ReplayLayout& layout = *m_layout;
    ReplayLoadResult result;
    auto refuse = [&result](ReplayError error) {
        result.error = error;
        return result;
    };

    // The header, before anything is inflated.
    if (file.size() < layout.headerSize)
        return refuse(ReplayError::Truncated);
    if (std::memcmp(file.data(), kMagic, sizeof kMagic - 1) != 0)
        return refuse(ReplayError::BadMagic);
    ReplayFile scratch(m_variant);
    scratch.m_image.assign(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(layout.headerSize));
    // An ordinary header keeps the magic's NUL where a match header starts
    // its name, so each variant sees the other's file as another game.
    bool magicEnds = layout.magicSize == sizeof kMagic - 1 || file[sizeof kMagic - 1] == 0;
    if (!magicEnds || scratch.GameName() != GbkCut(program.gameName, layout.gameNameSize - 1))
        return refuse(ReplayError::WrongGame);

    // The body: a declared length that a table block fits in, that deflate
    // could have come from, under the cap; then exactly that many bytes.
    uint32_t declared = scratch.BodyLength();
    std::span<const uint8_t> compressed = file.subspan(layout.headerSize);
    if (declared < layout.tableBlockSize || declared > kMaxBodyLength
        || declared > compressed.size() * kMaxInflateRatio)
        return refuse(ReplayError::BadBodyLength);
    std::vector<uint8_t> body;
    if (!engine::ZlibUncompress(compressed.data(), compressed.size(), declared, body) || body.size() != declared)
        return refuse(ReplayError::BadBody);
    scratch.m_image.insert(scratch.m_image.end(), body.begin(), body.end());

    // The table and its seats.
    int maxSeats = std::clamp(program.maxSeats, 1, kMaxSeats);
    int32_t seats = scratch.SeatCount();
    if (seats < 1 || seats > maxSeats || scratch.FirstRecordOffset() > scratch.m_image.size())
        return refuse(ReplayError::BadSeatCount);
    if (scratch.Chair() < 0 || scratch.Chair() >= seats)
        return refuse(ReplayError::BadChair);
    if (m_variant == ReplayVariant::Ordinary) {
        for (int chair = 0; chair < seats; ++chair) {
            WireReader seat(scratch.SeatBlock(chair).data(), layout.seatBlockSize);
            int32_t seatChair = seat.Int(ReplaySeatBlock::kChair);
            if (seat.Int(ReplaySeatBlock::kUserId) != 0 && (seatChair < 0 || seatChair >= seats))
                return refuse(ReplayError::BadChair);
        }
    }

    // The snapshot, when there is one, ends the records.
    size_t recordsEnd = scratch.m_image.size();
    int32_t snapshot = scratch.SnapshotOffset();
    if (snapshot != -1) {
        if (snapshot < 0 || static_cast<size_t>(snapshot) < scratch.FirstRecordOffset()
            || scratch.Snapshot(program.snapshotSize).size() != program.snapshotSize)
            return refuse(ReplayError::BadSnapshot);
        recordsEnd = static_cast<size_t>(snapshot);
    }

    // Every record inside the body, and nothing between the last one and
    // the snapshot or the end. Each record takes at least 12 bytes, so a
    // huge count stops at the first record that is not there.
    size_t at = scratch.FirstRecordOffset();
    for (uint32_t i = 0; i < scratch.RecordCount(); ++i) {
        std::optional<ReplayRecord> record = scratch.RecordAt(at);
        if (!record || record->next > recordsEnd)
            return refuse(ReplayError::BadRecord);
        at = record->next;
    }
    if (at != recordsEnd)
        return refuse(ReplayError::BadRecord);

    m_image.swap(scratch.m_image);
    result.fileVersionMajor = VersionMajor();
    result.fileVersionMinor = VersionMinor();
    result.versionDiffers = result.fileVersionMajor != program.versionMajor
        || result.fileVersionMinor != program.versionMinor;
    return result;
}

ReplayLoadResult ReplayFile::LoadFile(std::string_view path, const ReplayProgram& program)
{
    std::string bytes;
    if (path.empty() || !platform::ReadFile(std::string(path), bytes)) {
        ReplayLoadResult result;
        result.error = ReplayError::Unreadable;
        return result;
    }
    return Load({ reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size() }, program);
}

// ---- The image -----------------------------------------------------------

std::span<const uint8_t> ReplayFile::Header() const
{
    if (!Begun())
        return {};
    return std::span<const uint8_t>(m_image).first(m_layout->headerSize);
}

uint32_t ReplayFile::HeaderWord(size_t offset) const
{
    return Begun() ? LoadLe32(m_image.data() + offset) : 0;
}

void ReplayFile::SetHeaderWord(size_t offset, uint32_t value)
{
    StoreLe32(m_image.data() + offset, value);
}

std::string ReplayFile::HeaderText(size_t offset, size_t size) const
{
    if (!Begun())
        return {};
    return WireReader(m_image.data(), m_layout->headerSize).Text(offset, size);
}

void ReplayFile::SetHeaderText(size_t offset, size_t size, std::string_view text)
{
    size_t n = GbkFitLength(text, size - 1);
    uint8_t* field = m_image.data() + offset;
    std::memcpy(field, text.data(), n);
    std::memset(field + n, 0, size - n);
}

std::string ReplayFile::GameName() const
{
    return HeaderText(m_layout->gameName, m_layout->gameNameSize);
}

int32_t ReplayFile::GameId() const
{
    return m_layout->gameId ? static_cast<int32_t>(HeaderWord(*m_layout->gameId)) : 0;
}

std::string ReplayFile::MatchName() const
{
    return m_layout->matchName ? HeaderText(*m_layout->matchName, m_layout->matchNameSize) : std::string();
}

int32_t ReplayFile::MatchId() const
{
    return m_layout->matchId ? static_cast<int32_t>(HeaderWord(*m_layout->matchId)) : 0;
}

int32_t ReplayFile::VersionMajor() const { return static_cast<int32_t>(HeaderWord(m_layout->versionMajor)); }
int32_t ReplayFile::VersionMinor() const { return static_cast<int32_t>(HeaderWord(m_layout->versionMinor)); }
uint32_t ReplayFile::RecordCount() const { return HeaderWord(m_layout->recordCount); }
uint32_t ReplayFile::LastRecordTime() const { return HeaderWord(m_layout->lastRecordTime); }
int32_t ReplayFile::SnapshotOffset() const
{
    return Begun() ? static_cast<int32_t>(HeaderWord(m_layout->snapshotOffset)) : -1;
}
uint32_t ReplayFile::BodyLength() const { return HeaderWord(m_layout->bodyLength); }
int32_t ReplayFile::UserId() const { return static_cast<int32_t>(HeaderWord(m_layout->userId)); }
int32_t ReplayFile::Chair() const { return static_cast<int32_t>(HeaderWord(m_layout->chair)); }
int32_t ReplayFile::BeginDate() const { return static_cast<int32_t>(HeaderWord(m_layout->beginDate)); }
int32_t ReplayFile::BeginTime() const { return static_cast<int32_t>(HeaderWord(m_layout->beginTime)); }
int32_t ReplayFile::SaveTime() const { return static_cast<int32_t>(HeaderWord(m_layout->saveTime)); }

std::span<const uint8_t> ReplayFile::TableBlock() const
{
    WireReader image(m_image.data(), m_image.size());
    return image.Bytes(m_layout->headerSize, m_layout->tableBlockSize);
}

int32_t ReplayFile::SeatCount() const
{
    std::span<const uint8_t> table = TableBlock();
    return table.empty() ? 0 : static_cast<int32_t>(LoadLe32(table.data() + m_layout->seatCountInTable));
}

std::span<const uint8_t> ReplayFile::SeatBlock(int chair) const
{
    if (chair < 0 || chair >= SeatCount())
        return {};
    size_t offset = m_layout->headerSize + m_layout->tableBlockSize
        + static_cast<size_t>(chair) * m_layout->seatBlockSize;
    return WireReader(m_image.data(), m_image.size()).Bytes(offset, m_layout->seatBlockSize);
}

size_t ReplayFile::FirstRecordOffset() const
{
    // A negative seat count counts as none; the table block's word is
    // outside input until Load has checked it.
    size_t seats = static_cast<size_t>(std::max<int32_t>(SeatCount(), 0));
    return m_layout->headerSize + m_layout->tableBlockSize + seats * m_layout->seatBlockSize;
}

std::optional<ReplayRecord> ReplayFile::RecordAt(size_t offset) const
{
    WireReader image(m_image.data(), m_image.size());
    if (!image.Has(offset, ReplayRecord::kHeadSize))
        return std::nullopt;
    int32_t length = image.Int(offset + 8);
    size_t data = offset + ReplayRecord::kHeadSize;
    if (length < 0 || !image.Has(data, static_cast<size_t>(length)))
        return std::nullopt;
    ReplayRecord record;
    record.elapsed = image.Word(offset);
    record.id = image.Int(offset + 4);
    record.data = std::span<const uint8_t>(m_image).subspan(data, static_cast<size_t>(length));
    record.next = data + static_cast<size_t>(length);
    return record;
}

std::span<const uint8_t> ReplayFile::Snapshot(size_t size) const
{
    int32_t offset = SnapshotOffset();
    if (offset < 0)
        return {};
    return WireReader(m_image.data(), m_image.size()).Bytes(static_cast<size_t>(offset), size);
}

// ---- Dates and texts -----------------------------------------------------

int32_t PackReplayDate(const platform::LocalTime& time)
{
    return time.year * 10000 + time.month * 100 + time.day;
}

int32_t PackReplayTime(const platform::LocalTime& time)
{
    return time.hour * 10000 + time.minute * 100 + time.second;
}

std::string ReplayWrongGameText()
{
    return "游戏类型不符，请选择本游戏的Replay";
}

std::string ReplayVersionWarningText(int32_t programMajor, int32_t programMinor, int32_t fileMajor,
    int32_t fileMinor)
{
    char text[160];
    std::snprintf(text, sizeof text, "当前游戏版本:%d,%d，录像版本:%d,%d,可能出现无法预料的观看错误!", programMajor,
        programMinor, fileMajor, fileMinor);
    return text;
}

// ---- Paths ---------------------------------------------------------------

std::string SafeFileNamePart(std::string_view text)
{
    std::string_view kept = text.substr(0, GbkFitLength(text, kMaxFileNamePart));
    std::string safe;
    safe.reserve(kept.size());
    for (size_t i = 0; i < kept.size(); ++i) {
        uint8_t byte = static_cast<uint8_t>(kept[i]);
        if (platform::Gbk::IsLeadByte(byte)) {
            // A character keeps both bytes, even a '\' as its second one;
            // a lead byte without a trail byte would take the next byte
            // written after it (a separator) into a character.
            if (i + 1 < kept.size() && platform::Gbk::IsTrailByte(static_cast<uint8_t>(kept[i + 1]))) {
                safe += kept.substr(i, 2);
                ++i;
            } else {
                safe += '_';
            }
        } else if (byte == '/' || byte == '\\' || IsControl(byte)) {
            safe += '_';
        } else {
            safe += static_cast<char>(byte);
        }
    }
    if (safe.find_first_not_of('.') == std::string::npos)
        std::replace(safe.begin(), safe.end(), '.', '_');
    return safe.empty() ? std::string("_") : safe;
}

std::string ReplayDirectory(std::string_view hallDir, int32_t userId, std::string_view titleText)
{
    return std::string(hallDir) + "replays\\" + std::to_string(userId) + "\\" + SafeFileNamePart(titleText) + "\\";
}

std::string ReplayFileStem(std::string_view name, const platform::LocalTime& saved)
{
    char stamp[96];
    std::snprintf(stamp, sizeof stamp, "_%d年%d月%d日%d时%d分%d秒", saved.year, saved.month, saved.day, saved.hour,
        saved.minute, saved.second);
    return SafeFileNamePart(name) + stamp;
}

std::string ReplayFilePath(std::string_view directory, std::string_view stem)
{
    return std::string(directory) + std::string(stem) + ReplayFile::kExtension;
}

std::string ReplayUserNameFile(std::string_view hallDir, int32_t userId)
{
    return std::string(hallDir) + "replays\\" + std::to_string(userId) + "\\user.text";
}

std::string ReplayIconDirectory(std::string_view hallDir)
{
    return std::string(hallDir) + "replays\\skins\\";
}

std::string ReplayGameIconPath(std::string_view hallDir, std::string_view titleText)
{
    return ReplayIconDirectory(hallDir) + "ico_" + SafeFileNamePart(titleText) + ".pps";
}

} // namespace frame
