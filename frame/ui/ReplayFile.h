#pragma once
// The replay file (".qhrep"): one recorded game as a plain header followed
// by a zlib stream of the body. The body holds the table block, one seat
// block per chair, the recorded server notifications and, optionally, the
// table view's snapshot.
//
// ReplayFile keeps the in-memory image that the recorders build and play
// from: the header's bytes followed directly by the uncompressed body, so
// that every offset the header holds (the snapshot's) counts from the
// header's first byte. It knows the bytes of both variants, the ordinary
// one and the match one, whose headers hold the same fields in a different
// order. Of the blocks it reads only the seat count and, in an ordinary
// seat block, the chair; the rest is in ReplayBlocks.h.
//
// A file from disk is outside input. Load checks all of it (header, body
// length, inflation, seat count, chairs, every record and the snapshot)
// against a scratch image and replaces this one only when everything holds,
// so a refused file changes nothing, here or in whoever acts on the result.
// Once loaded, every record lies inside the image and the records end
// exactly where the snapshot (or the image) begins.
//
// No user interface here: the recorders show the refusal and the version
// warning with the texts below.

#include "platform/Clock.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace frame {

enum class ReplayVariant { Ordinary, Match };

// Where the fields of one variant lie. Offsets are from the header's first
// byte; the blocks' sizes and the table block's seat-count word complete it.
struct ReplayLayout {
    size_t headerSize;
    size_t magicSize;         // "QhRep" and, in the ordinary header, its NUL
    size_t gameName, gameNameSize;
    std::optional<size_t> gameId; // ordinary only
    size_t versionMajor, versionMinor;
    size_t recordCount, lastRecordTime, snapshotOffset, bodyLength;
    size_t userId, chair;
    size_t beginDate, beginTime, saveDate, saveTime;
    std::optional<size_t> matchName; // match only
    size_t matchNameSize;
    std::optional<size_t> matchId; // match only
    size_t tableBlockSize, seatBlockSize;
    size_t seatCountInTable; // offset of the seat count inside the table block

    static const ReplayLayout& Of(ReplayVariant variant);
};

// One recorded notification: a 12-byte head {elapsed ms, id, length} and
// the payload as the server sent it.
struct ReplayRecord {
    static constexpr size_t kHeadSize = 12;
    uint32_t elapsed = 0;
    int32_t id = 0;
    std::span<const uint8_t> data;
    size_t next = 0; // offset of the record that follows
};

// What Begin writes into a new header.
struct ReplayIdentity {
    std::string gameName;
    int32_t gameId = 0; // ordinary only
    int32_t versionMajor = 0;
    int32_t versionMinor = 0;
    int32_t userId = 0;
    int32_t chair = 0;
    std::string matchName; // match only
    int32_t matchId = 0;   // match only
    platform::LocalTime begun;
};

// The running program a file is checked against.
struct ReplayProgram {
    std::string gameName;
    int32_t versionMajor = 0;
    int32_t versionMinor = 0;
    // Seat blocks a file may hold (1..maxSeats), at most the 8 seats the
    // application keeps records for.
    int maxSeats = 8;
    // Bytes the table view reads from the snapshot; a snapshot that does
    // not hold them all is refused.
    size_t snapshotSize = 432;
};

enum class ReplayError {
    None,
    Unreadable,    // the file could not be read
    Truncated,     // shorter than its header
    BadMagic,      // does not begin with "QhRep"
    WrongGame,     // another game's name, or the other variant's header
    BadBodyLength, // a declared body length no table block fits in, or over the cap
    BadBody,       // the body does not inflate to exactly its declared length
    BadSeatCount,  // a seat count outside 1..maxSeats, or more seat blocks than the body holds
    BadChair,      // the recording chair, or an occupied seat's chair, is not a chair of the table
    BadRecord,     // a record runs past the body, or the records do not end where they should
    BadSnapshot,   // the snapshot offset is neither -1 nor a snapshot inside the image
};
const char* ToString(ReplayError error);

struct ReplayLoadResult {
    ReplayError error = ReplayError::None;
    // Set when a loaded file was recorded by another version (a warning;
    // the file is loaded).
    bool versionDiffers = false;
    int32_t fileVersionMajor = 0;
    int32_t fileVersionMinor = 0;

    bool Loaded() const { return error == ReplayError::None; }
};

class ReplayFile {
public:
    static constexpr char kMagic[] = "QhRep";
    static constexpr char kExtension[] = ".qhrep";
    // The most uncompressed body a file may declare; a whole game's records
    // are a small fraction of it.
    static constexpr uint32_t kMaxBodyLength = 16u << 20;
    // Deflate cannot expand beyond this ratio, so a declared length above
    // it times the compressed size cannot be the truth.
    static constexpr size_t kMaxInflateRatio = 1032;
    static constexpr int kMaxSeats = 8;

    explicit ReplayFile(ReplayVariant variant);

    ReplayVariant Variant() const { return m_variant; }
    const ReplayLayout& Layout() const { return *m_layout; }

    // ---- Recording ---------------------------------------------------
    // Clears the image and writes a header: record count 0, snapshot -1,
    // the identity's fields (texts cut to their fields on a character
    // boundary) and the begin date and time.
    void Begin(const ReplayIdentity& identity);
    // Append a block of exactly the variant's size; false (nothing
    // appended) for another size or before Begin.
    bool AppendTableBlock(std::span<const uint8_t> block);
    bool AppendSeatBlock(std::span<const uint8_t> block);
    // Counts the record, makes its time the last record's time and appends
    // head and data. False (nothing appended) before Begin or for data
    // longer than a signed 32-bit length.
    bool AppendRecord(uint32_t elapsed, int32_t id, std::span<const uint8_t> data);
    // Points the header's snapshot offset at the current end and appends
    // the bytes. False before Begin.
    bool AppendSnapshot(std::span<const uint8_t> data);
    // The save date and time and the body length go into the header; the
    // file's bytes are the header and the compressed body. Nullopt before
    // Begin, for a body over kMaxBodyLength, or when compression fails.
    std::optional<std::vector<uint8_t>> Encode(const platform::LocalTime& saved);
    // Encode, then one write of the whole file (GBK path). False when
    // nothing or not all was written.
    bool Save(std::string_view path, const platform::LocalTime& saved);
    void Clear();

    // ---- Loading -----------------------------------------------------
    // Checks the file's bytes against the program and, only when all of it
    // holds, makes it this image. A refused file leaves the image as it was.
    ReplayLoadResult Load(std::span<const uint8_t> file, const ReplayProgram& program);
    // Reads the whole file (GBK path), then Load.
    ReplayLoadResult LoadFile(std::string_view path, const ReplayProgram& program);

    // ---- The image ---------------------------------------------------
    bool Empty() const { return m_image.empty(); }
    std::span<const uint8_t> Image() const { return m_image; }
    std::span<const uint8_t> Header() const;

    std::string GameName() const;
    int32_t GameId() const;     // 0 in the match variant
    std::string MatchName() const; // empty in the ordinary variant
    int32_t MatchId() const;    // 0 in the ordinary variant
    int32_t VersionMajor() const;
    int32_t VersionMinor() const;
    uint32_t RecordCount() const;
    uint32_t LastRecordTime() const;
    int32_t SnapshotOffset() const;
    uint32_t BodyLength() const;
    int32_t UserId() const;
    int32_t Chair() const;
    int32_t BeginDate() const;
    int32_t BeginTime() const;
    int32_t SaveTime() const;

    // The table block; empty when the image does not hold one.
    std::span<const uint8_t> TableBlock() const;
    // The table block's seat count (0 without a table block).
    int32_t SeatCount() const;
    // The chair's seat block; empty for a chair that is not below the seat
    // count or whose block the image does not hold.
    std::span<const uint8_t> SeatBlock(int chair) const;
    // Header size + table block size + seat count × seat block size.
    size_t FirstRecordOffset() const;
    // The record whose head begins at offset; nullopt when its head or its
    // data would reach past the image or its length is negative.
    std::optional<ReplayRecord> RecordAt(size_t offset) const;
    // The snapshot, `size` bytes from the header's snapshot offset; empty
    // without a snapshot or when those bytes are not all in the image.
    std::span<const uint8_t> Snapshot(size_t size) const;

private:
    uint32_t HeaderWord(size_t offset) const;
    void SetHeaderWord(size_t offset, uint32_t value);
    std::string HeaderText(size_t offset, size_t size) const;
    void SetHeaderText(size_t offset, size_t size, std::string_view text);
    bool Begun() const { return m_image.size() >= m_layout->headerSize; }

    ReplayVariant m_variant;
    const ReplayLayout* m_layout;
    std::vector<uint8_t> m_image;
};

// ---- Dates as the header packs them -----------------------------------
// year × 10000 + month × 100 + day.
int32_t PackReplayDate(const platform::LocalTime& time);
// hour × 10000 + minute × 100 + second.
int32_t PackReplayTime(const platform::LocalTime& time);

// ---- Texts the recorders show -------------------------------------------
// Refusal of another game's (or the other variant's) file.
std::string ReplayWrongGameText();
// The version warning: the program's version first, then the file's.
std::string ReplayVersionWarningText(int32_t programMajor, int32_t programMinor, int32_t fileMajor,
    int32_t fileMinor);

// ---- Where files go (GBK paths, Windows separators) ----------------------
// Text from the server or the lobby made fit to be one path component:
// '/', '\' and control bytes become '_', a lead byte without its trail byte
// (which would swallow the separator after it) becomes '_', a name of dots
// alone becomes underscores, an empty one "_"; cut to 127 bytes on a
// character boundary. A '\' that is the second byte of a character stays.
std::string SafeFileNamePart(std::string_view text);
// "<hall>replays\<user id>\<title>\".
std::string ReplayDirectory(std::string_view hallDir, int32_t userId, std::string_view titleText);
// "<name>_<year>年<month>月<day>日<hour>时<minute>分<second>秒", unpadded; the
// name is the match name in a match client, else the title text.
std::string ReplayFileStem(std::string_view name, const platform::LocalTime& saved);
// "<directory><stem>.qhrep".
std::string ReplayFilePath(std::string_view directory, std::string_view stem);
// "<hall>replays\<user id>\user.text".
std::string ReplayUserNameFile(std::string_view hallDir, int32_t userId);
// "<hall>replays\skins\".
std::string ReplayIconDirectory(std::string_view hallDir);
// "<hall>replays\skins\ico_<title>.pps".
std::string ReplayGameIconPath(std::string_view hallDir, std::string_view titleText);

} // namespace frame
