// The replay loader over bytes from outside, in both variants.
//
// Input: a flag byte, then the file. Flag bit 0 picks the match variant.
// Bit 1 makes the rest a header followed by the body uncompressed, which
// the target compresses before loading, so that inputs reach the checks
// behind inflation; with bit 2 as well the header's body length is set to
// the body's. Bits 3 to 5 give the program's chair count (0 for 8).
//
// A refused file must leave the loader empty. A loaded one must hold what
// the loader promises: seats and chair in range, every record inside the
// body and ending at the snapshot or the end, the snapshot whole; saved
// again it must load again to the same image; and its blocks must restore
// into the application's records.
#include "engine/core/ZlibCodec.h"
#include "frame/core/FrameRecordStore.h"
#include "frame/core/WireReader.h"
#include "frame/ui/ReplayBlocks.h"
#include "frame/ui/ReplayFile.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace {

using frame::ReplayFile;
using frame::ReplayVariant;

constexpr size_t kSnapshotSize = 432;

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

std::vector<uint8_t> CompressBody(std::span<const uint8_t> input, const frame::ReplayLayout& layout, bool fixLength)
{
    if (input.size() < layout.headerSize)
        return { input.begin(), input.end() };
    std::vector<uint8_t> file(input.begin(), input.begin() + static_cast<std::ptrdiff_t>(layout.headerSize));
    std::span<const uint8_t> body = input.subspan(layout.headerSize);
    if (fixLength)
        frame::StoreLe32(file.data() + layout.bodyLength, static_cast<uint32_t>(body.size()));
    std::vector<uint8_t> compressed;
    if (!engine::ZlibCompress(body.data(), body.size(), compressed))
        return {};
    file.insert(file.end(), compressed.begin(), compressed.end());
    return file;
}

void CheckRecords(const ReplayFile& replay)
{
    size_t at = replay.FirstRecordOffset();
    for (uint32_t i = 0; i < replay.RecordCount(); ++i) {
        std::optional<frame::ReplayRecord> record = replay.RecordAt(at);
        Check(record.has_value() && record->next <= replay.Image().size());
        at = record->next;
    }
    int32_t snapshot = replay.SnapshotOffset();
    Check(at == (snapshot == -1 ? replay.Image().size() : static_cast<size_t>(snapshot)));
    Check(snapshot == -1 || replay.Snapshot(kSnapshotSize).size() == kSnapshotSize);
}

void RestoreBlocks(const ReplayFile& replay)
{
    frame::FrameRecordStore store("KbZn", 21534, 1, 2);
    if (replay.Variant() == ReplayVariant::Ordinary) {
        std::span<const uint8_t> table = replay.TableBlock();
        Check(store.RestoreRoomFromReplay(table.data(), table.size()));
        for (int chair = 0; chair < replay.SeatCount(); ++chair) {
            std::span<const uint8_t> seat = replay.SeatBlock(chair);
            Check(store.ReplaySeatToPlayer(*store.GetSeatPlayer(chair), seat.data(), seat.size()));
        }
        return;
    }
    frame::MatchReplayTableBlock table;
    Check(table.Load(replay.TableBlock().data(), replay.TableBlock().size()));
    table.ApplyTo(store.GetMatchRoomInfo());
    store.ApplyMatchRoomInfo();
    for (int chair = 0; chair < replay.SeatCount(); ++chair) {
        frame::MatchReplaySeatBlock seat;
        Check(seat.Load(replay.SeatBlock(chair).data(), replay.SeatBlock(chair).size()));
        seat.ApplyTo(*store.GetMatchSeat(chair));
        store.MatchSeatToPlayer(*store.GetSeatPlayer(chair), *store.GetMatchSeat(chair), chair, store.GetTableNo());
    }
}

void CheckLoaded(ReplayFile& replay, const frame::ReplayProgram& program)
{
    const frame::ReplayLayout& layout = replay.Layout();
    Check(replay.Image().size() == layout.headerSize + replay.BodyLength());
    Check(replay.SeatCount() >= 1 && replay.SeatCount() <= program.maxSeats);
    Check(replay.Chair() >= 0 && replay.Chair() < replay.SeatCount());
    for (int chair = 0; chair < replay.SeatCount(); ++chair)
        Check(replay.SeatBlock(chair).size() == layout.seatBlockSize);
    CheckRecords(replay);
    RestoreBlocks(replay);

    // Saved again, it loads again to the same image but for the save time.
    std::vector<uint8_t> before(replay.Image().begin(), replay.Image().end());
    std::optional<std::vector<uint8_t>> file = replay.Encode(platform::LocalTime { 2024, 1, 2, 3, 4, 5, 0 });
    Check(file.has_value());
    ReplayFile again(replay.Variant());
    Check(again.Load(*file, program).Loaded());
    std::vector<uint8_t> after(again.Image().begin(), again.Image().end());
    for (size_t offset : { layout.saveDate, layout.saveTime })
        for (size_t i = 0; i < 4; ++i)
            after[offset + i] = before[offset + i];
    Check(after == before);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    uint8_t flags = data[0];
    ReplayVariant variant = (flags & 1) ? ReplayVariant::Match : ReplayVariant::Ordinary;
    const frame::ReplayLayout& layout = frame::ReplayLayout::Of(variant);
    int chairs = (flags >> 3) & 7;
    frame::ReplayProgram program { "KbZn", 1, 2, chairs == 0 ? 8 : chairs, kSnapshotSize };

    std::span<const uint8_t> input(data + 1, size - 1);
    std::vector<uint8_t> file = (flags & 2) ? CompressBody(input, layout, (flags & 4) != 0)
                                            : std::vector<uint8_t>(input.begin(), input.end());
    ReplayFile replay(variant);
    frame::ReplayLoadResult result = replay.Load(file, program);
    if (!result.Loaded()) {
        Check(replay.Empty());
        return 0;
    }
    CheckLoaded(replay, program);
    return 0;
}
