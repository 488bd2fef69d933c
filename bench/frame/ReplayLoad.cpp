// Opening a replay of 1,000 recorded notifications: inflating and checking
// the whole file, then walking every record to the end, as seeking to the
// end of the game does. Saving the same recording is measured beside it.

#include "frame/ui/ReplayBlocks.h"
#include "frame/ui/ReplayFile.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int kSeats = 4;
constexpr int kRecords = 1000;
const platform::LocalTime kTime { 2024, 3, 7, 21, 45, 30, 0 };

frame::ReplayProgram Program()
{
    return frame::ReplayProgram { "KbZn", 1, 2, kSeats, 432 };
}

// A game's worth of notifications: mostly short plays and turn changes,
// now and then a long result, payloads of small integers as the server
// sends them.
frame::ReplayFile Recording()
{
    frame::ReplayFile replay(frame::ReplayVariant::Ordinary);
    frame::ReplayIdentity id;
    id.gameName = "KbZn";
    id.versionMajor = 1;
    id.versionMinor = 2;
    id.userId = 5001;
    id.chair = 0;
    id.begun = kTime;
    replay.Begin(id);
    frame::ReplayTableBlock table;
    table.SetSeatCount(kSeats);
    replay.AppendTableBlock(table.Bytes());
    for (int chair = 0; chair < kSeats; ++chair) {
        frame::PlayerRecord player;
        player.SetUserId(5001 + chair);
        player.SetChair(chair);
        player.SetName("玩家" + std::to_string(chair));
        replay.AppendSeatBlock(frame::ReplaySeatBlock::FromPlayer(player).Bytes());
    }
    uint32_t seed = 12345;
    uint32_t elapsed = 0;
    for (int i = 0; i < kRecords; ++i) {
        seed = seed * 1103515245u + 12345u;
        size_t length = i % 50 == 49 ? 432 : 16 + (seed >> 16) % 96;
        std::vector<uint8_t> data(length);
        for (uint8_t& byte : data) {
            seed = seed * 1103515245u + 12345u;
            byte = static_cast<uint8_t>((seed >> 24) % 60);
        }
        elapsed += 200 + (seed >> 20) % 3000;
        replay.AppendRecord(elapsed, 229500 + i % 7, data);
    }
    std::vector<uint8_t> snapshot(432, 7);
    replay.AppendSnapshot(snapshot);
    return replay;
}

std::vector<uint8_t> RecordedFile()
{
    frame::ReplayFile replay = Recording();
    return replay.Encode(kTime).value_or(std::vector<uint8_t> {});
}

// Every record from the first to the end; the sum of their lengths.
size_t WalkToEnd(const frame::ReplayFile& replay)
{
    size_t at = replay.FirstRecordOffset();
    size_t bytes = 0;
    for (uint32_t i = 0; i < replay.RecordCount(); ++i) {
        std::optional<frame::ReplayRecord> record = replay.RecordAt(at);
        bytes += record->data.size();
        at = record->next;
    }
    return bytes;
}

void BM_LoadAndSeekToEnd(benchmark::State& state)
{
    std::vector<uint8_t> file = RecordedFile();
    for (auto _ : state) {
        frame::ReplayFile replay(frame::ReplayVariant::Ordinary);
        if (!replay.Load(file, Program()).Loaded()) {
            state.SkipWithError("the recording did not load");
            break;
        }
        benchmark::DoNotOptimize(WalkToEnd(replay));
    }
    state.counters["file_bytes"] = static_cast<double>(file.size());
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kRecords);
}
BENCHMARK(BM_LoadAndSeekToEnd)->Unit(benchmark::kMillisecond);

void BM_LoadFileFromDiskAndSeekToEnd(benchmark::State& state)
{
    std::string path = (std::filesystem::temp_directory_path()
        / ("kbzn_replay_bench_" + std::to_string(getpid()) + ".qhrep")).string();
    frame::ReplayFile recording = Recording();
    if (!recording.Save(path, kTime)) {
        state.SkipWithError("cannot write the recording");
        return;
    }
    for (auto _ : state) {
        frame::ReplayFile replay(frame::ReplayVariant::Ordinary);
        if (!replay.LoadFile(path, Program()).Loaded()) {
            state.SkipWithError("the recording did not load");
            break;
        }
        benchmark::DoNotOptimize(WalkToEnd(replay));
    }
    std::remove(path.c_str());
}
BENCHMARK(BM_LoadFileFromDiskAndSeekToEnd)->Unit(benchmark::kMillisecond);

void BM_Encode(benchmark::State& state)
{
    frame::ReplayFile replay = Recording();
    for (auto _ : state)
        benchmark::DoNotOptimize(replay.Encode(kTime));
    state.counters["body_bytes"] = static_cast<double>(replay.BodyLength());
}
BENCHMARK(BM_Encode)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
