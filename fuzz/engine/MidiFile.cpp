// The MIDI player over arbitrary files: header and track parsing, the
// merging converter, tempo handling and the buffer refills on the stream's
// thread, played into a recording sink at full speed. The first byte picks
// how it is played: once to the end, or looping and then stopped. Either
// way the player must end up not playing.
#include "engine/modules/MidiPlayer.h"
#include "platform/RecordingMidiSink.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>

namespace {

bool WaitForEnd(const engine::MidiPlayer& player)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (player.IsPlaying()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > (1u << 20))
        return 0;
    uint8_t mode = data[0];
    auto file = std::make_unique<uint8_t[]>(size - 1 + 1);
    std::memcpy(file.get(), data + 1, size - 1);

    auto sink = std::make_shared<platform::RecordingMidiSink>();
    engine::MidiPlayer player(sink);
    if (!player.Load(file, static_cast<uint32_t>(size - 1))) {
        if (!file)
            std::abort(); // a refused file stays with the caller
        return 0;
    }
    if (file)
        std::abort(); // a loaded file belongs to the player

    if (mode & 1) {
        player.Play(1);
        sink->WaitForCount(64, 2);
        if (player.Stop(1) != 1 || player.IsPlaying())
            std::abort();
    }
    if (player.Play(0) == 1 && !WaitForEnd(player))
        std::abort(); // stuck "playing"
    return 0;
}
