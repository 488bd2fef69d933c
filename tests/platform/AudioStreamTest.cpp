#include "platform/AudioStream.h"
#include "tests/platform/WavBuilder.h"
#include "tests/support/TestTimeouts.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

using platform::AudioStream;
using platform::StreamActivity;
using namespace std::chrono_literals;

using soundtest::Wav;

template <typename Pred>
bool WaitUntil(Pred pred, std::chrono::milliseconds limit = 3s)
{
    auto end = std::chrono::steady_clock::now() + testsupport::Timeout(limit);
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

// The frames the mixer has produced since this was made: the output's own
// clock. Waiting on it measures how much sound has played rather than how
// much time went by, so a busy machine cannot end a wait before the sound
// it waits for could have been heard.
class MixedFrames {
public:
    MixedFrames()
    {
        Uint16 format = 0;
        int channels = 0;
        Mix_QuerySpec(&m_rate, &format, &channels);
        m_frameBytes = SDL_AUDIO_BITSIZE(format) / 8 * channels;
        Mix_SetPostMix(&MixedFrames::OnMix, this);
    }
    ~MixedFrames() { Mix_SetPostMix(nullptr, nullptr); }
    MixedFrames(const MixedFrames&) = delete;
    MixedFrames& operator=(const MixedFrames&) = delete;

    uint64_t Count() const
    {
        std::lock_guard guard(m_lock);
        return m_frames;
    }
    // The most one pass of the mixer has produced: how far past a point the
    // output may be by the time the count shows it.
    uint64_t Pass() const
    {
        std::lock_guard guard(m_lock);
        return m_largestPass;
    }
    uint64_t Of(std::chrono::milliseconds length) const
    {
        return static_cast<uint64_t>(m_rate) * static_cast<uint64_t>(length.count()) / 1000;
    }
    // Until the count reaches frames; false when the output stalls.
    bool WaitFor(uint64_t frames) const
    {
        std::unique_lock lock(m_lock);
        return m_mixed.wait_for(lock, testsupport::Timeout(5s), [&] { return m_frames >= frames; });
    }

private:
    static void OnMix(void* self, Uint8*, int bytes)
    {
        auto* me = static_cast<MixedFrames*>(self);
        std::lock_guard guard(me->m_lock);
        uint64_t frames = me->m_frameBytes > 0 ? static_cast<uint64_t>(bytes / me->m_frameBytes) : 0;
        me->m_frames += frames;
        me->m_largestPass = std::max(me->m_largestPass, frames);
        me->m_mixed.notify_all();
    }

    int m_rate = 0;
    int m_frameBytes = 0;
    mutable std::mutex m_lock;
    mutable std::condition_variable m_mixed;
    uint64_t m_frames = 0;
    uint64_t m_largestPass = 0;
};

class AudioStreamTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // No sound card in tests: SDL's dummy output plays in real time
        // into nothing.
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        ASSERT_TRUE(m_audio.Start());
    }
    AudioStream m_audio;
};

TEST_F(AudioStreamTest, HandlesAreNeverZeroAndFailuresGiveZero)
{
    auto wav = Wav(50);
    std::set<uint32_t> handles;
    // More streams than the mixer starts with voices for.
    for (int i = 0; i < 40; ++i) {
        uint32_t h = m_audio.CreateStream(wav.data(), wav.size());
        ASSERT_NE(h, 0u);
        EXPECT_TRUE(handles.insert(h).second);
    }
    const uint8_t junk[] = { 'n', 'o', 't', ' ', 'a', ' ', 's', 'o', 'u', 'n', 'd' };
    EXPECT_EQ(m_audio.CreateStream(junk, sizeof junk), 0u);
    EXPECT_EQ(m_audio.CreateStream(nullptr, 0), 0u);
    auto cut = Wav(50);
    cut.resize(20);
    EXPECT_EQ(m_audio.CreateStream(cut.data(), cut.size()), 0u);

    // Every one of them plays on its own.
    for (uint32_t h : handles)
        EXPECT_TRUE(m_audio.Play(h, false));
    for (uint32_t h : handles)
        EXPECT_NE(m_audio.IsActive(h), StreamActivity::kStopped);

    uint32_t first = *handles.begin();
    EXPECT_TRUE(m_audio.FreeStream(first));
    EXPECT_FALSE(m_audio.FreeStream(first));
    EXPECT_FALSE(m_audio.Play(first, false));
    EXPECT_EQ(m_audio.IsActive(first), StreamActivity::kStopped);
    EXPECT_FALSE(m_audio.Play(0, false));
}

TEST_F(AudioStreamTest, PlaysToItsEndAndAgainFromTheStart)
{
    auto wav = Wav(100);
    uint32_t h = m_audio.CreateStream(wav.data(), wav.size());
    ASSERT_NE(h, 0u);
    EXPECT_EQ(m_audio.IsActive(h), StreamActivity::kStopped);
    ASSERT_TRUE(m_audio.Play(h, false));
    EXPECT_EQ(m_audio.IsActive(h), StreamActivity::kPlaying);
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(WaitUntil([&] { return m_audio.IsActive(h) == StreamActivity::kStopped; }));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 60ms) << "ended before it could have played";

    // An ended stream plays again without a restart.
    ASSERT_TRUE(m_audio.Play(h, false));
    EXPECT_EQ(m_audio.IsActive(h), StreamActivity::kPlaying);
    ASSERT_TRUE(WaitUntil([&] { return m_audio.IsActive(h) == StreamActivity::kStopped; }));
}

TEST_F(AudioStreamTest, PausedStaysActiveAndContinues)
{
    auto wav = Wav(150);
    uint32_t h = m_audio.CreateStream(wav.data(), wav.size());
    MixedFrames mixed;
    ASSERT_TRUE(m_audio.Play(h, false));
    ASSERT_TRUE(m_audio.Pause(h));
    EXPECT_EQ(m_audio.IsActive(h), StreamActivity::kPaused);
    // The output plays on for longer than the sound: had the pause not
    // held, the sound would have ended by then.
    ASSERT_TRUE(mixed.WaitFor(mixed.Count() + mixed.Of(150ms) + 2 * std::max<uint64_t>(mixed.Pass(), 1024)));
    EXPECT_EQ(m_audio.IsActive(h), StreamActivity::kPaused);

    ASSERT_TRUE(m_audio.Play(h, false));
    EXPECT_EQ(m_audio.IsActive(h), StreamActivity::kPlaying);
    ASSERT_TRUE(WaitUntil([&] { return m_audio.IsActive(h) == StreamActivity::kStopped; }));
}

// The output device's threads, by the names SDL gives them.
int AudioThreads()
{
    int count = 0;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream comm(task.path() / "comm");
        std::string name;
        if (std::getline(comm, name) && name.rfind("SDLAudio", 0) == 0)
            ++count;
    }
    return count;
}

// With nothing playing the output closes its device, and its thread goes;
// the streams stay, and the next one played (or made) opens it again.
TEST_F(AudioStreamTest, SuspendedOutputOpensAgainForTheNextSound)
{
    // Long enough that a busy machine cannot let a sound end between its
    // play and the checks that it is playing.
    auto wav = Wav(1000);
    uint32_t h = m_audio.CreateStream(wav.data(), wav.size());
    ASSERT_NE(h, 0u);
    ASSERT_TRUE(m_audio.Play(h, false));
    EXPECT_FALSE(m_audio.Suspend()) << "a sound plays";
    ASSERT_TRUE(m_audio.Pause(h));
    EXPECT_FALSE(m_audio.Suspend()) << "a paused sound must be able to go on";
    EXPECT_FALSE(m_audio.IsSuspended());
    EXPECT_GT(AudioThreads(), 0);

    ASSERT_TRUE(m_audio.Stop(h));
    EXPECT_TRUE(m_audio.Suspend());
    EXPECT_TRUE(m_audio.IsSuspended());
    EXPECT_EQ(AudioThreads(), 0);
    EXPECT_EQ(m_audio.IsActive(h), StreamActivity::kStopped);
    EXPECT_TRUE(m_audio.Stop(h));
    EXPECT_TRUE(m_audio.Pause(h));

    ASSERT_TRUE(m_audio.Play(h, false));
    EXPECT_FALSE(m_audio.IsSuspended());
    EXPECT_EQ(m_audio.IsActive(h), StreamActivity::kPlaying);
    ASSERT_TRUE(WaitUntil([&] { return m_audio.IsActive(h) == StreamActivity::kStopped; }));

    ASSERT_TRUE(m_audio.Suspend());
    const uint32_t second = m_audio.CreateStream(wav.data(), wav.size());
    ASSERT_NE(second, 0u);
    EXPECT_FALSE(m_audio.IsSuspended());
    ASSERT_TRUE(m_audio.Play(second, false));
    EXPECT_EQ(m_audio.IsActive(second), StreamActivity::kPlaying);
    ASSERT_TRUE(m_audio.Suspend() == false);

    // Shut down while suspended: the streams still go.
    ASSERT_TRUE(m_audio.Stop(second));
    ASSERT_TRUE(m_audio.Suspend());
    m_audio.Shutdown();
    EXPECT_FALSE(m_audio.IsStarted());
    EXPECT_TRUE(m_audio.Start());
}

TEST_F(AudioStreamTest, StopAndRestart)
{
    auto wav = Wav(600);
    uint32_t h = m_audio.CreateStream(wav.data(), wav.size());
    ASSERT_TRUE(m_audio.Play(h, false));
    ASSERT_TRUE(m_audio.Stop(h));
    EXPECT_EQ(m_audio.IsActive(h), StreamActivity::kStopped);

    // A restart in the middle plays the whole sound again: still playing
    // after the first start's end would have come. The mixer's count says
    // where the output is: a start begins at the first pass after the call,
    // so the first start ends by firstStart + sound (plus the pass it ends
    // in), and the restart no earlier than restart + sound.
    MixedFrames mixed;
    const uint64_t sound = mixed.Of(600ms);
    ASSERT_TRUE(m_audio.Play(h, false));
    const uint64_t firstStart = mixed.Count();
    ASSERT_TRUE(mixed.WaitFor(firstStart + mixed.Of(400ms)));
    const uint64_t restart = mixed.Count();
    ASSERT_TRUE(m_audio.Play(h, true));
    ASSERT_TRUE(mixed.WaitFor(firstStart + sound + 2 * std::max<uint64_t>(mixed.Pass(), 1024)));
    StreamActivity activity = m_audio.IsActive(h);
    const uint64_t checked = mixed.Count();
    // Only a check made before the restarted sound could have ended says
    // anything; a machine too busy to make it in time proves nothing.
    if (checked + mixed.Pass() < restart + sound) {
        EXPECT_EQ(activity, StreamActivity::kPlaying);
    }
    ASSERT_TRUE(WaitUntil([&] { return m_audio.IsActive(h) == StreamActivity::kStopped; }));
    EXPECT_GE(mixed.Count() + mixed.Pass(), restart + sound) << "the restart did not play the whole sound";
}

TEST_F(AudioStreamTest, VolumeAndOneOutputPerProcess)
{
    m_audio.SetVolume(0.5f);
    EXPECT_NEAR(m_audio.GetVolume(), 0.5f, 1.0f / 128);
    m_audio.SetVolume(3.0f);
    EXPECT_FLOAT_EQ(m_audio.GetVolume(), 1.0f);
    m_audio.SetVolume(-1.0f);
    EXPECT_FLOAT_EQ(m_audio.GetVolume(), 0.0f);

    AudioStream second;
    EXPECT_FALSE(second.Start());
    auto wav = Wav(50);
    EXPECT_EQ(second.CreateStream(wav.data(), wav.size()), 0u);

    // Shut down, the output can be opened again.
    m_audio.Shutdown();
    EXPECT_TRUE(second.Start());
    EXPECT_NE(second.CreateStream(wav.data(), wav.size()), 0u);
}

} // namespace
