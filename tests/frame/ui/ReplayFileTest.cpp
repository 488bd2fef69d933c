#include "frame/ui/ReplayFile.h"

#include "engine/core/ZlibCodec.h"
#include "frame/core/FrameRecordStore.h"
#include "frame/core/WireReader.h"
#include "frame/ui/ReplayBlocks.h"
#include "platform/Files.h"
#include "platform/Gbk.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <numeric>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace frame {
// Refusals print by name in failure messages.
void PrintTo(ReplayError error, std::ostream* out)
{
    *out << ToString(error);
}
} // namespace frame

namespace {

using namespace frame;
using Bytes = std::vector<uint8_t>;

constexpr int32_t kUserId = 5001;
constexpr int32_t kChair = 2;
constexpr int kSeats = 4;
constexpr size_t kSnapshotSize = 432;

const platform::LocalTime kBegun { 2024, 3, 7, 9, 5, 1, 0 };
const platform::LocalTime kSaved { 2024, 3, 7, 21, 45, 30, 0 };

ReplayProgram Program()
{
    return ReplayProgram { "KbZn", 1, 2, ReplayFile::kMaxSeats, kSnapshotSize };
}

ReplayIdentity Identity()
{
    ReplayIdentity id;
    id.gameName = "KbZn";
    id.gameId = 77;
    id.versionMajor = 1;
    id.versionMinor = 2;
    id.userId = kUserId;
    id.chair = kChair;
    id.matchName = "春季赛";
    id.matchId = 901;
    id.begun = kBegun;
    return id;
}

int32_t IntAt(std::span<const uint8_t> bytes, size_t offset)
{
    return static_cast<int32_t>(LoadLe32(bytes.data() + offset));
}

void PutInt(Bytes& bytes, size_t offset, int32_t value)
{
    StoreLe32(bytes.data() + offset, static_cast<uint32_t>(value));
}

std::string TextAt(std::span<const uint8_t> bytes, size_t offset, size_t n)
{
    return std::string(reinterpret_cast<const char*>(bytes.data() + offset), n);
}

// A table block of the variant with the seat count.
Bytes TableBlock(ReplayVariant variant, int32_t seats)
{
    if (variant == ReplayVariant::Match) {
        MatchRoomInfo room;
        room.SetRoomId(12);
        room.SetTableNo(3);
        room.SetSeatCount(seats);
        auto block = MatchReplayTableBlock::FromMatchRoom(room).Bytes();
        return Bytes(block.begin(), block.end());
    }
    ReplayTableBlock block;
    block.SetRoomId(12);
    block.SetTableNo(3);
    block.SetSeatCount(seats);
    return Bytes(block.Bytes().begin(), block.Bytes().end());
}

Bytes SeatBlock(ReplayVariant variant, int chair)
{
    if (variant == ReplayVariant::Match) {
        MatchSeatRecord seat;
        seat.SetUserId(kUserId - kChair + chair);
        seat.SetName("座" + std::to_string(chair));
        auto block = MatchReplaySeatBlock::FromMatchSeat(seat).Bytes();
        return Bytes(block.begin(), block.end());
    }
    PlayerRecord player;
    player.SetUserId(kUserId - kChair + chair);
    player.SetChair(chair);
    player.SetName("座" + std::to_string(chair));
    auto block = ReplaySeatBlock::FromPlayer(player).Bytes();
    return Bytes(block.begin(), block.end());
}

// The records a sample holds: {elapsed, id, data}; one of them empty.
struct SampleRecord {
    uint32_t elapsed;
    int32_t id;
    Bytes data;
};
const std::vector<SampleRecord>& SampleRecords()
{
    static const std::vector<SampleRecord> records {
        { 0, 211040, Bytes(40, 0x11) },
        { 1500, 229500, Bytes {} },
        { 1500, 211080, Bytes(432, 0x22) },
    };
    return records;
}

Bytes SampleSnapshot()
{
    Bytes snapshot(kSnapshotSize);
    std::iota(snapshot.begin(), snapshot.end(), uint8_t { 0 });
    return snapshot;
}

// A recording of four seats and the sample records, encoded; `image` is the
// in-memory image as saved (header with body length, then the body).
struct Sample {
    ReplayVariant variant;
    Bytes image;
    Bytes file;
    const ReplayLayout& Layout() const { return ReplayLayout::Of(variant); }
};

Sample Record(ReplayVariant variant, bool withSnapshot = true)
{
    ReplayFile replay(variant);
    replay.Begin(Identity());
    EXPECT_TRUE(replay.AppendTableBlock(TableBlock(variant, kSeats)));
    for (int chair = 0; chair < kSeats; ++chair)
        EXPECT_TRUE(replay.AppendSeatBlock(SeatBlock(variant, chair)));
    for (const SampleRecord& record : SampleRecords())
        EXPECT_TRUE(replay.AppendRecord(record.elapsed, record.id, record.data));
    if (withSnapshot) {
        EXPECT_TRUE(replay.AppendSnapshot(SampleSnapshot()));
    }
    std::optional<Bytes> file = replay.Encode(kSaved);
    EXPECT_TRUE(file.has_value());
    Bytes image(replay.Image().begin(), replay.Image().end());
    return Sample { variant, image, file.value_or(Bytes {}) };
}

// A file from an image: the header, with the body length given (by default
// the body's), and the compressed body.
Bytes Pack(Bytes image, const ReplayLayout& layout, std::optional<uint32_t> declared = std::nullopt)
{
    size_t bodyLength = image.size() - layout.headerSize;
    PutInt(image, layout.bodyLength, static_cast<int32_t>(declared.value_or(static_cast<uint32_t>(bodyLength))));
    Bytes compressed;
    EXPECT_TRUE(engine::ZlibCompress(image.data() + layout.headerSize, bodyLength, compressed));
    Bytes file(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(layout.headerSize));
    file.insert(file.end(), compressed.begin(), compressed.end());
    return file;
}

int32_t Int(size_t n)
{
    return static_cast<int32_t>(n);
}

uint32_t BodySize(const Sample& s)
{
    return static_cast<uint32_t>(s.image.size() - s.Layout().headerSize);
}

size_t SeatBlockAt(const Sample& s, int chair)
{
    return s.Layout().headerSize + s.Layout().tableBlockSize + static_cast<size_t>(chair) * s.Layout().seatBlockSize;
}

size_t FirstRecordAt(const Sample& s)
{
    return SeatBlockAt(s, kSeats);
}

size_t LastRecordAt(const Sample& s)
{
    size_t at = FirstRecordAt(s);
    for (size_t i = 0; i + 1 < SampleRecords().size(); ++i)
        at += ReplayRecord::kHeadSize + SampleRecords()[i].data.size();
    return at;
}

const std::vector<ReplayVariant> kVariants { ReplayVariant::Ordinary, ReplayVariant::Match };

const char* Name(ReplayVariant variant)
{
    return variant == ReplayVariant::Match ? "match" : "ordinary";
}

// ---- The bytes of both variants ---------------------------------------------

TEST(ReplayFileBytes, OrdinaryHeaderHoldsItsFieldsAtTheirOffsets)
{
    Sample s = Record(ReplayVariant::Ordinary);
    std::span<const uint8_t> h(s.file);
    ASSERT_GE(h.size(), 108u);
    EXPECT_EQ(TextAt(h, 0, 6), std::string("QhRep\0", 6));
    EXPECT_EQ(TextAt(h, 6, 10), std::string("KbZn\0\0\0\0\0\0", 10));
    const std::pair<size_t, int32_t> words[] = {
        { 16, 77 }, { 20, 1 }, { 24, 2 }, { 52, 3 }, { 56, 1500 }, { 60, Int(LastRecordAt(s) + 12 + 432) },
        { 64, static_cast<int32_t>(s.image.size() - 108) }, { 68, kUserId }, { 72, kChair },
        { 76, 20240307 }, { 80, 90501 }, { 84, 20240307 }, { 88, 214530 },
    };
    for (const auto& [offset, value] : words)
        EXPECT_EQ(IntAt(h, offset), value) << "header byte " << offset;
    EXPECT_TRUE(std::all_of(h.begin() + 28, h.begin() + 52, [](uint8_t b) { return b == 0; }));
    EXPECT_TRUE(std::all_of(h.begin() + 92, h.begin() + 108, [](uint8_t b) { return b == 0; }));
    // The body: table block, seat blocks, then the records from 108 + 216 + 4 × 192.
    EXPECT_EQ(IntAt(s.image, 108 + 8), kSeats);
    EXPECT_EQ(IntAt(s.image, 108 + 216 + 2 * 192), kUserId);
    EXPECT_EQ(FirstRecordAt(s), 108u + 216 + 4 * 192);
    EXPECT_EQ(IntAt(s.image, FirstRecordAt(s) + 4), 211040);
    EXPECT_EQ(IntAt(s.image, FirstRecordAt(s) + 8), 40);
    EXPECT_EQ(s.image.size(), LastRecordAt(s) + 12 + 432 + 432);
}

TEST(ReplayFileBytes, MatchHeaderRunsMagicAndNameTogetherAndShiftsTheSharedFields)
{
    Sample s = Record(ReplayVariant::Match, false);
    std::span<const uint8_t> h(s.file);
    ASSERT_GE(h.size(), 172u);
    EXPECT_EQ(TextAt(h, 0, 16), std::string("QhRepKbZn\0\0\0\0\0\0\0", 16));
    const std::pair<size_t, int32_t> words[] = {
        { 16, 1 }, { 20, 2 }, { 48, 3 }, { 52, 1500 }, { 56, -1 }, { 60, static_cast<int32_t>(s.image.size() - 172) },
        { 64, kUserId }, { 68, kChair }, { 136, 20240307 }, { 140, 90501 }, { 144, 20240307 }, { 148, 214530 },
        { 152, 901 },
    };
    for (const auto& [offset, value] : words)
        EXPECT_EQ(IntAt(h, offset), value) << "header byte " << offset;
    EXPECT_EQ(TextAt(h, 72, 7), std::string("春季赛\0", 7));
    EXPECT_TRUE(std::all_of(h.begin() + 79, h.begin() + 136, [](uint8_t b) { return b == 0; }));
    EXPECT_TRUE(std::all_of(h.begin() + 24, h.begin() + 48, [](uint8_t b) { return b == 0; }));
    EXPECT_TRUE(std::all_of(h.begin() + 156, h.begin() + 172, [](uint8_t b) { return b == 0; }));
    EXPECT_EQ(IntAt(s.image, 172 + 12), kSeats);
    EXPECT_EQ(FirstRecordAt(s), 172u + 252 + 4 * 180);
    EXPECT_EQ(IntAt(s.image, FirstRecordAt(s) + 4), 211040);
}

TEST(ReplayFileBytes, TextsAreCutToTheirFieldsOnACharacterBoundary)
{
    ReplayIdentity id = Identity();
    id.gameName = "KbZn中文名字"; // 4 + 8 bytes
    id.matchName = std::string(62, 'm') + "中";
    ReplayFile ordinary(ReplayVariant::Ordinary);
    ordinary.Begin(id);
    EXPECT_EQ(ordinary.GameName(), "KbZn中文"); // 8 of the 9 bytes: no half character
    ReplayFile match(ReplayVariant::Match);
    match.Begin(id);
    EXPECT_EQ(match.GameName(), "KbZn中文名"); // 10 bytes in the match header's wider field
    EXPECT_EQ(match.MatchName(), std::string(62, 'm'));
    EXPECT_EQ(match.Header()[5 + 10], 0);
}

// ---- Written and read back --------------------------------------------------

TEST(ReplayFileRoundTrip, EveryFieldRecordAndTheSnapshotReadBack)
{
    for (ReplayVariant variant : kVariants) {
        SCOPED_TRACE(Name(variant));
        Sample s = Record(variant);
        ReplayFile replay(variant);
        ReplayLoadResult result = replay.Load(s.file, Program());
        ASSERT_TRUE(result.Loaded()) << ToString(result.error);
        EXPECT_FALSE(result.versionDiffers);
        EXPECT_EQ(Bytes(replay.Image().begin(), replay.Image().end()), s.image);

        EXPECT_EQ(replay.GameName(), "KbZn");
        EXPECT_EQ(replay.GameId(), variant == ReplayVariant::Ordinary ? 77 : 0);
        EXPECT_EQ(replay.MatchName(), variant == ReplayVariant::Match ? "春季赛" : "");
        EXPECT_EQ(replay.MatchId(), variant == ReplayVariant::Match ? 901 : 0);
        EXPECT_EQ(replay.UserId(), kUserId);
        EXPECT_EQ(replay.Chair(), kChair);
        EXPECT_EQ(replay.RecordCount(), 3u);
        EXPECT_EQ(replay.LastRecordTime(), 1500u);
        EXPECT_EQ(replay.BeginDate(), 20240307);
        EXPECT_EQ(replay.BeginTime(), 90501);
        EXPECT_EQ(replay.SaveTime(), 214530);
        EXPECT_EQ(replay.SeatCount(), kSeats);
        EXPECT_EQ(replay.FirstRecordOffset(), FirstRecordAt(s));
        for (int chair = 0; chair < kSeats; ++chair)
            EXPECT_EQ(Bytes(replay.SeatBlock(chair).begin(), replay.SeatBlock(chair).end()), SeatBlock(variant, chair));
        EXPECT_TRUE(replay.SeatBlock(kSeats).empty());
        EXPECT_TRUE(replay.SeatBlock(-1).empty());

        size_t at = replay.FirstRecordOffset();
        for (const SampleRecord& expected : SampleRecords()) {
            std::optional<ReplayRecord> record = replay.RecordAt(at);
            ASSERT_TRUE(record);
            EXPECT_EQ(record->elapsed, expected.elapsed);
            EXPECT_EQ(record->id, expected.id);
            EXPECT_EQ(Bytes(record->data.begin(), record->data.end()), expected.data);
            at = record->next;
        }
        EXPECT_EQ(static_cast<int32_t>(at), replay.SnapshotOffset());
        std::span<const uint8_t> snapshot = replay.Snapshot(kSnapshotSize);
        EXPECT_EQ(Bytes(snapshot.begin(), snapshot.end()), SampleSnapshot());
    }
}

TEST(ReplayFileRoundTrip, AFileWithoutSnapshotEndsWithItsLastRecord)
{
    for (ReplayVariant variant : kVariants) {
        SCOPED_TRACE(Name(variant));
        ReplayFile replay(variant);
        ASSERT_TRUE(replay.Load(Record(variant, false).file, Program()).Loaded());
        EXPECT_EQ(replay.SnapshotOffset(), -1);
        EXPECT_TRUE(replay.Snapshot(kSnapshotSize).empty());
        size_t at = replay.FirstRecordOffset();
        for (uint32_t i = 0; i < replay.RecordCount(); ++i)
            at = replay.RecordAt(at)->next;
        EXPECT_EQ(at, replay.Image().size());
        EXPECT_FALSE(replay.RecordAt(at));
    }
}

TEST(ReplayFileRoundTrip, SavedToAChinesePathAndLoadedFromIt)
{
    namespace fs = std::filesystem;
    fs::path root = fs::temp_directory_path() / ("kbzn_replay_" + std::to_string(getpid()));
    fs::create_directories(root);
    std::string dir = root.string() + "/";
    std::string path = ReplayFilePath(dir, ReplayFileStem("欢乐赛", kSaved));

    ReplayFile writer(ReplayVariant::Ordinary);
    writer.Begin(Identity());
    writer.AppendTableBlock(TableBlock(ReplayVariant::Ordinary, kSeats));
    for (int chair = 0; chair < kSeats; ++chair)
        writer.AppendSeatBlock(SeatBlock(ReplayVariant::Ordinary, chair));
    writer.AppendRecord(0, 211040, Bytes(8, 1));
    ASSERT_TRUE(writer.Save(path, kSaved));
    EXPECT_TRUE(fs::exists(fs::path(platform::NativePath(path))));

    ReplayFile reader(ReplayVariant::Ordinary);
    ReplayLoadResult result = reader.LoadFile(path, Program());
    EXPECT_TRUE(result.Loaded()) << ToString(result.error);
    EXPECT_EQ(reader.RecordCount(), 1u);
    EXPECT_EQ(reader.LoadFile(dir + "missing.qhrep", Program()).error, ReplayError::Unreadable);
    EXPECT_FALSE(writer.Save(dir + "no such dir/x.qhrep", kSaved));
    fs::remove_all(root);
}

TEST(ReplayFileLoad, AnotherVersionLoadsWithTheWarningNamingBothVersions)
{
    ReplayProgram program = Program();
    program.versionMinor = 3;
    ReplayFile replay(ReplayVariant::Ordinary);
    ReplayLoadResult result = replay.Load(Record(ReplayVariant::Ordinary).file, program);
    EXPECT_TRUE(result.Loaded());
    EXPECT_TRUE(result.versionDiffers);
    EXPECT_EQ(result.fileVersionMajor, 1);
    EXPECT_EQ(result.fileVersionMinor, 2);
    EXPECT_EQ(ReplayVersionWarningText(program.versionMajor, program.versionMinor, result.fileVersionMajor,
                  result.fileVersionMinor),
        "当前游戏版本:1,3，录像版本:1,2,可能出现无法预料的观看错误!");
}

// ---- Refusals ---------------------------------------------------------------

// One damaged file: made from a good sample's image or file.
struct Damage {
    const char* what;
    Bytes (*make)(const Sample&);
    ReplayError expected;
};

Bytes WithImageInt(const Sample& s, size_t offset, int32_t value)
{
    Bytes image = s.image;
    PutInt(image, offset, value);
    return Pack(image, s.Layout());
}

const Damage kDamages[] = {
    { "empty file", [](const Sample&) { return Bytes {}; }, ReplayError::Truncated },
    { "header cut short",
        [](const Sample& s) { return Bytes(s.file.begin(), s.file.begin() + Int(s.Layout().headerSize) - 1); },
        ReplayError::Truncated },
    { "bad magic",
        [](const Sample& s) {
            Bytes file = s.file;
            file[4] = 'q';
            return file;
        },
        ReplayError::BadMagic },
    { "another game",
        [](const Sample& s) {
            Bytes file = s.file;
            file[s.Layout().gameName] = 'X';
            return file;
        },
        ReplayError::WrongGame },
    { "name filling its field without a terminator",
        [](const Sample& s) {
            Bytes file = s.file;
            std::fill_n(file.begin() + static_cast<std::ptrdiff_t>(s.Layout().gameName + 4),
                s.Layout().gameNameSize - 4, uint8_t { 'K' });
            return file;
        },
        ReplayError::WrongGame },
    { "body that does not inflate",
        [](const Sample& s) {
            Bytes file = s.file;
            for (size_t i = s.Layout().headerSize + 2; i < file.size(); i += 7)
                file[i] ^= 0x5A;
            return file;
        },
        ReplayError::BadBody },
    { "body cut short",
        [](const Sample& s) { return Bytes(s.file.begin(), s.file.end() - 20); }, ReplayError::BadBody },
    { "declared length one too long",
        [](const Sample& s) { return Pack(s.image, s.Layout(), BodySize(s) + 1); },
        ReplayError::BadBody },
    { "declared length one too short",
        [](const Sample& s) { return Pack(s.image, s.Layout(), BodySize(s) - 1); },
        ReplayError::BadBody },
    { "declared length over the cap",
        [](const Sample& s) {
            // Enough bytes after the stream that deflate could have given that much.
            Bytes file = Pack(s.image, s.Layout(), ReplayFile::kMaxBodyLength + 1);
            file.resize(file.size() + ReplayFile::kMaxBodyLength / ReplayFile::kMaxInflateRatio + 1, 0);
            return file;
        },
        ReplayError::BadBodyLength },
    { "declared length beyond what deflate could give",
        [](const Sample& s) { return Pack(s.image, s.Layout(), ReplayFile::kMaxBodyLength); },
        ReplayError::BadBodyLength },
    { "declared length without a table block",
        [](const Sample& s) {
            Bytes image(s.image.begin(), s.image.begin() + static_cast<std::ptrdiff_t>(s.Layout().headerSize + 100));
            return Pack(image, s.Layout());
        },
        ReplayError::BadBodyLength },
    { "seat count 0",
        [](const Sample& s) { return WithImageInt(s, s.Layout().headerSize + s.Layout().seatCountInTable, 0); },
        ReplayError::BadSeatCount },
    { "seat count 9",
        [](const Sample& s) { return WithImageInt(s, s.Layout().headerSize + s.Layout().seatCountInTable, 9); },
        ReplayError::BadSeatCount },
    { "seat count -1",
        [](const Sample& s) { return WithImageInt(s, s.Layout().headerSize + s.Layout().seatCountInTable, -1); },
        ReplayError::BadSeatCount },
    { "more seats than the body holds",
        [](const Sample& s) {
            Bytes image(s.image.begin(), s.image.begin() + static_cast<std::ptrdiff_t>(FirstRecordAt(s)));
            PutInt(image, s.Layout().recordCount, 0);
            PutInt(image, s.Layout().snapshotOffset, -1);
            PutInt(image, s.Layout().headerSize + s.Layout().seatCountInTable, kSeats + 1);
            return Pack(image, s.Layout());
        },
        ReplayError::BadSeatCount },
    { "recording chair past the seats",
        [](const Sample& s) { return WithImageInt(s, s.Layout().chair, kSeats); }, ReplayError::BadChair },
    { "recording chair -1", [](const Sample& s) { return WithImageInt(s, s.Layout().chair, -1); },
        ReplayError::BadChair },
    { "record running past the end",
        [](const Sample& s) {
            Bytes image = s.image;
            PutInt(image, s.Layout().snapshotOffset, -1);
            image.resize(LastRecordAt(s) + 12 + 432);
            PutInt(image, LastRecordAt(s) + 8, 433);
            return Pack(image, s.Layout());
        },
        ReplayError::BadRecord },
    { "record running into the snapshot",
        [](const Sample& s) { return WithImageInt(s, LastRecordAt(s) + 8, 433); }, ReplayError::BadRecord },
    { "record with a negative length",
        [](const Sample& s) { return WithImageInt(s, LastRecordAt(s) + 8, -12); }, ReplayError::BadRecord },
    { "record length near 2^31",
        [](const Sample& s) { return WithImageInt(s, FirstRecordAt(s) + 8, 0x7FFFFFF4); }, ReplayError::BadRecord },
    { "more records counted than stored",
        [](const Sample& s) { return WithImageInt(s, s.Layout().recordCount, 4); }, ReplayError::BadRecord },
    { "a huge record count", [](const Sample& s) { return WithImageInt(s, s.Layout().recordCount, -1); },
        ReplayError::BadRecord },
    { "fewer records counted than stored",
        [](const Sample& s) { return WithImageInt(s, s.Layout().recordCount, 2); }, ReplayError::BadRecord },
    { "snapshot offset inside a record",
        [](const Sample& s) { return WithImageInt(s, s.Layout().snapshotOffset, Int(LastRecordAt(s))); },
        ReplayError::BadRecord },
    { "snapshot running past the end",
        [](const Sample& s) { return WithImageInt(s, s.Layout().snapshotOffset, Int(s.image.size() - 431)); },
        ReplayError::BadSnapshot },
    { "snapshot offset before the records",
        [](const Sample& s) { return WithImageInt(s, s.Layout().snapshotOffset, Int(s.Layout().headerSize)); },
        ReplayError::BadSnapshot },
    { "snapshot offset -2",
        [](const Sample& s) { return WithImageInt(s, s.Layout().snapshotOffset, -2); }, ReplayError::BadSnapshot },
};

TEST(ReplayFileLoad, DamagedFilesAreRefusedAndTheLoadedFileStays)
{
    for (ReplayVariant variant : kVariants) {
        Sample good = Record(variant);
        for (const Damage& damage : kDamages) {
            SCOPED_TRACE(std::string(Name(variant)) + ": " + damage.what);
            ReplayFile replay(variant);
            ASSERT_TRUE(replay.Load(good.file, Program()).Loaded());
            Bytes before(replay.Image().begin(), replay.Image().end());

            EXPECT_EQ(replay.Load(damage.make(good), Program()).error, damage.expected);
            EXPECT_EQ(Bytes(replay.Image().begin(), replay.Image().end()), before);

            ReplayFile empty(variant);
            EXPECT_FALSE(empty.Load(damage.make(good), Program()).Loaded());
            EXPECT_TRUE(empty.Empty());
        }
    }
}

TEST(ReplayFileLoad, SeatBlocksOfPlayersMustSitOnChairsOfTheTable)
{
    Sample s = Record(ReplayVariant::Ordinary);
    ReplayFile replay(ReplayVariant::Ordinary);
    for (int32_t chair : { -1, kSeats, 1000 }) {
        Bytes image = s.image;
        PutInt(image, SeatBlockAt(s, 1) + ReplaySeatBlock::kChair, chair);
        EXPECT_EQ(replay.Load(Pack(image, s.Layout()), Program()).error, ReplayError::BadChair) << chair;
    }
    // An empty seat's block keeps whatever its record held.
    Bytes image = s.image;
    PutInt(image, SeatBlockAt(s, 1) + ReplaySeatBlock::kUserId, 0);
    PutInt(image, SeatBlockAt(s, 1) + ReplaySeatBlock::kChair, -1);
    EXPECT_TRUE(replay.Load(Pack(image, s.Layout()), Program()).Loaded());
}

TEST(ReplayFileLoad, SeatCountAboveTheGamesChairsIsRefused)
{
    ReplayProgram fourChairs = Program();
    fourChairs.maxSeats = 4;
    Sample s = Record(ReplayVariant::Ordinary);
    ReplayFile replay(ReplayVariant::Ordinary);
    EXPECT_TRUE(replay.Load(s.file, fourChairs).Loaded());
    Bytes image = s.image;
    PutInt(image, s.Layout().headerSize + ReplayTableBlock::kSeatCount, 5);
    EXPECT_EQ(replay.Load(Pack(image, s.Layout()), fourChairs).error, ReplayError::BadSeatCount);
}

TEST(ReplayFileLoad, EachVariantTakesTheOthersFileForAnotherGame)
{
    ReplayFile ordinary(ReplayVariant::Ordinary);
    EXPECT_EQ(ordinary.Load(Record(ReplayVariant::Match).file, Program()).error, ReplayError::WrongGame);
    ReplayFile match(ReplayVariant::Match);
    EXPECT_EQ(match.Load(Record(ReplayVariant::Ordinary).file, Program()).error, ReplayError::WrongGame);
    EXPECT_EQ(ReplayWrongGameText(), "游戏类型不符，请选择本游戏的Replay");
}

TEST(ReplayFileLoad, ALongGameNameIsComparedAsItsFieldHoldsIt)
{
    // The writer keeps 9 (ordinary) or 10 (match) bytes of the name; the
    // program still knows its own files, and a name that only begins the
    // same is another game.
    for (ReplayVariant variant : kVariants) {
        SCOPED_TRACE(Name(variant));
        ReplayIdentity id = Identity();
        id.gameName = "KbZnLongGameName";
        id.chair = 0;
        ReplayFile writer(variant);
        writer.Begin(id);
        writer.AppendTableBlock(TableBlock(variant, 1));
        writer.AppendSeatBlock(SeatBlock(variant, 0));
        std::optional<Bytes> file = writer.Encode(kSaved);
        ASSERT_TRUE(file);
        const Bytes& bytes = *file;

        ReplayProgram program = Program();
        program.gameName = id.gameName;
        ReplayFile reader(variant);
        EXPECT_TRUE(reader.Load(bytes, program).Loaded());
        program.gameName = "KbZnLong";
        EXPECT_EQ(reader.Load(bytes, program).error, ReplayError::WrongGame);
    }
}

// ---- Writing rules -----------------------------------------------------------

TEST(ReplayFileWrite, NothingIsAppendedBeforeBeginOrInTheWrongSize)
{
    ReplayFile replay(ReplayVariant::Ordinary);
    EXPECT_FALSE(replay.AppendRecord(0, 1, {}));
    EXPECT_FALSE(replay.AppendSnapshot(SampleSnapshot()));
    EXPECT_FALSE(replay.AppendTableBlock(TableBlock(ReplayVariant::Ordinary, 4)));
    EXPECT_FALSE(replay.Encode(kSaved));
    EXPECT_TRUE(replay.Empty());

    replay.Begin(Identity());
    EXPECT_FALSE(replay.AppendTableBlock(TableBlock(ReplayVariant::Match, 4)));
    EXPECT_FALSE(replay.AppendSeatBlock(SeatBlock(ReplayVariant::Match, 0)));
    EXPECT_EQ(replay.Image().size(), 108u);
    EXPECT_EQ(replay.SnapshotOffset(), -1);
    EXPECT_EQ(replay.RecordCount(), 0u);

    // A new Begin discards what was recorded.
    replay.AppendTableBlock(TableBlock(ReplayVariant::Ordinary, 4));
    replay.AppendRecord(9, 1, Bytes(3));
    replay.Begin(Identity());
    EXPECT_EQ(replay.Image().size(), 108u);
    EXPECT_EQ(replay.RecordCount(), 0u);
    EXPECT_EQ(replay.LastRecordTime(), 0u);
}

// ---- Blocks against the application's records ------------------------------

TEST(ReplayBlocks, OrdinarySeatBlockReadsBackIntoThePlayerRecord)
{
    PlayerRecord player;
    int32_t n = 100;
    player.SetUserId(++n);
    player.SetFlags(static_cast<uint32_t>(++n));
    player.SetStatus(++n);
    player.SetChair(3);
    player.SetWord68(++n);
    player.SetWord72(++n);
    player.SetFigure(++n);
    player.SetName("甲乙丙丁");
    player.SetNickname("戊");
    player.SetSilver(++n);
    player.SetLevel(++n);
    player.SetLevelTitle("己庚");
    player.SetScore(++n);
    player.SetDisconnects(++n);
    player.SetWon(++n);
    player.SetLost(++n);
    player.SetDrawn(++n);
    player.SetPlayed(++n);
    player.SetExperienceSeconds(++n);
    player.SetNetSpeed(999); // not part of the block

    ReplaySeatBlock block = ReplaySeatBlock::FromPlayer(player);
    EXPECT_EQ(IntAt(block.Bytes(), 104), player.Disconnects());
    EXPECT_EQ(IntAt(block.Bytes(), 124), player.ExperienceSeconds());
    EXPECT_TRUE(std::all_of(block.Bytes().begin() + 128, block.Bytes().end(), [](uint8_t b) { return b == 0; }));

    FrameRecordStore store("KbZn", 21534, 1, 2);
    PlayerRecord back;
    ASSERT_TRUE(store.ReplaySeatToPlayer(back, block.Bytes().data(), block.Bytes().size()));
    back.SetNetSpeed(999);
    EXPECT_EQ(back, player);
}

TEST(ReplayBlocks, OrdinaryTableBlockRestoresTheRoom)
{
    FrameRecordStore store("KbZn", 21534, 1, 2);
    store.GetRoomInfo().SetRoomId(31);
    store.SetTableNo(32);
    store.GetRoomInfo().SetOptionsA(RoomInfo::kOptionASilver | 0x100);
    store.GetRoomInfo().SetOptionsB(0x48);
    ReplayTableBlock block = ReplayTableBlock::FromStore(store);
    EXPECT_EQ(block.SilverRoom(), 1);
    EXPECT_EQ(block.SeatCount(), 8);

    FrameRecordStore other("KbZn", 21534, 1, 2);
    ASSERT_TRUE(other.RestoreRoomFromReplay(block.Bytes().data(), block.Bytes().size()));
    EXPECT_EQ(other.GetRoomId(), 31);
    EXPECT_EQ(other.GetTableNo(), 32);
    EXPECT_EQ(other.GetTablePlayerCount(), 8);
    EXPECT_EQ(other.GetRoomOptionsA(), RoomInfo::kOptionASilver | 0x100);
    EXPECT_EQ(other.GetRoomOptionsB(), 0x48u);
}

TEST(ReplayBlocks, MatchBlocksCarryTheirFieldsBothWays)
{
    MatchRoomInfo room;
    for (size_t offset = 0; offset < MatchRoomInfo::kSize; offset += 4)
        StoreLe32(room.MutableBytes().data() + offset, static_cast<uint32_t>(offset + 1));
    std::string first = "一二三四五六七";             // 14 bytes of the 16
    std::string second = std::string(81, 's') + "中"; // 83 bytes: the field's 84 with its zero
    std::copy(first.begin(), first.end(), room.MutableBytes().begin() + 144);
    room.MutableBytes()[144 + first.size()] = 0;
    std::copy(second.begin(), second.end(), room.MutableBytes().begin() + 160);
    room.MutableBytes()[243] = 0;

    MatchReplayTableBlock table = MatchReplayTableBlock::FromMatchRoom(room);
    EXPECT_EQ(IntAt(table.Bytes(), 12), room.SeatCount());
    EXPECT_EQ(IntAt(table.Bytes(), 40), room.Word140());
    EXPECT_EQ(WireReader(table.Bytes().data(), 252).Text(44, 16), first);
    EXPECT_EQ(WireReader(table.Bytes().data(), 252).Text(60, 192), second);
    EXPECT_TRUE(std::all_of(table.Bytes().begin() + 60 + 84, table.Bytes().end(), [](uint8_t b) { return b == 0; }));

    MatchRoomInfo back;
    table.ApplyTo(back);
    for (size_t offset : { 0, 4, 8, 12, 116, 128, 140 })
        EXPECT_EQ(IntAt(back.Bytes(), offset), IntAt(room.Bytes(), offset)) << "room byte " << offset;
    EXPECT_EQ(IntAt(back.Bytes(), 112), 0); // not carried
    EXPECT_EQ(WireReader(back.Bytes().data(), 244).Text(144, 16), first);
    EXPECT_EQ(WireReader(back.Bytes().data(), 244).Text(160, 84), second);

    MatchSeatRecord seat;
    for (size_t offset = 0; offset < MatchSeatRecord::kSize; offset += 4)
        StoreLe32(seat.MutableBytes().data() + offset, static_cast<uint32_t>(offset + 1));
    seat.SetName("选手");
    seat.SetNickname("昵称");
    MatchReplaySeatBlock block = MatchReplaySeatBlock::FromMatchSeat(seat);
    EXPECT_EQ(IntAt(block.Bytes(), 0), seat.UserId());
    EXPECT_EQ(IntAt(block.Bytes(), 68), seat.Word96());
    EXPECT_EQ(IntAt(block.Bytes(), 76), seat.NextLevelPoints());
    EXPECT_EQ(IntAt(block.Bytes(), 80), 0);
    EXPECT_EQ(IntAt(block.Bytes(), 84), seat.RankingKey());
    EXPECT_EQ(IntAt(block.Bytes(), 88), seat.MatchScore());
    EXPECT_EQ(IntAt(block.Bytes(), 112), seat.Disconnects());

    MatchSeatRecord seatBack;
    block.ApplyTo(seatBack);
    for (size_t offset : { 0, 16, 96, 100, 264, 184, 212 })
        EXPECT_EQ(IntAt(seatBack.Bytes(), offset), IntAt(seat.Bytes(), offset)) << "seat byte " << offset;
    EXPECT_EQ(seatBack.Name(), "选手");
    EXPECT_EQ(seatBack.Nickname(), "昵称");
    EXPECT_EQ(seatBack.Word88(), 0); // not carried
}

// ---- File names ----------------------------------------------------------------

TEST(ReplayFileNames, ServerTextBecomesOnePathComponent)
{
    struct Case {
        std::string text;
        std::string safe;
    };
    const Case cases[] = {
        { "欢乐赛", "欢乐赛" },
        { "a/b\\c", "a_b_c" },
        { "..", "__" },
        { ".", "_" },
        { "a..b", "a..b" },
        { "", "_" },
        { std::string("x\0y", 3), "x_y" },
        { "tab\there\x7f", "tab_here_" },
        { "\x81\x5C", "\x81\x5C" },        // a character whose second byte is '\'
        { "ab\x81", "ab_" },               // a lead byte that would swallow the separator
        { "\x81/x", "__x" },               // '/' is no trail byte: both go
        { std::string(130, 'n'), std::string(127, 'n') },
    };
    for (const Case& c : cases)
        EXPECT_EQ(SafeFileNamePart(c.text), c.safe) << c.text;
}

TEST(ReplayFileNames, PathsStayInsideTheReplayDirectory)
{
    EXPECT_EQ(ReplayDirectory("H\\", 42, "升级"), "H\\replays\\42\\升级\\");
    EXPECT_EQ(ReplayDirectory("H\\", 42, "..\\..\\etc"), "H\\replays\\42\\.._.._etc\\");
    EXPECT_EQ(ReplayFileStem("春季赛", kSaved), "春季赛_2024年3月7日21时45分30秒");
    EXPECT_EQ(ReplayFilePath("D\\", "s"), "D\\s.qhrep");
    EXPECT_EQ(ReplayUserNameFile("H\\", 42), "H\\replays\\42\\user.text");
    EXPECT_EQ(ReplayIconDirectory("H\\"), "H\\replays\\skins\\");
    EXPECT_EQ(ReplayGameIconPath("H\\", "a/b"), "H\\replays\\skins\\ico_a_b.pps");

    // On disk: the directory and the file name are one component each, also
    // for a title that ends in a lead byte or holds a character ending in '\'.
    for (std::string title : { std::string("x\x81"), std::string("\x81\x5C"), std::string("../..") }) {
        std::string path = ReplayFilePath(ReplayDirectory("/h/", 42, title), ReplayFileStem(title, kSaved));
        std::string native = platform::NativePath(path);
        EXPECT_EQ(std::count(native.begin(), native.end(), '/'), 5) << native;
        EXPECT_EQ(native.find("/../"), std::string::npos) << native;
    }
}

} // namespace
