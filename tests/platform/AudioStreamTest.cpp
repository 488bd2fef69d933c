#include "platform/AudioStream.h"
#include "tests/platform/WavBuilder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <set>
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
    auto end = std::chrono::steady_clock::now() + limit;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

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
    ASSERT_TRUE(m_audio.Play(h, false));
    ASSERT_TRUE(m_audio.Pause(h));
    EXPECT_EQ(m_audio.IsActive(h), StreamActivity::kPaused);
    std::this_thread::sleep_for(300ms); // longer than the sound
    EXPECT_EQ(m_audio.IsActive(h), StreamActivity::kPaused);

    ASSERT_TRUE(m_audio.Play(h, false));
    EXPECT_EQ(m_audio.IsActive(h), StreamActivity::kPlaying);
    ASSERT_TRUE(WaitUntil([&] { return m_audio.IsActive(h) == StreamActivity::kStopped; }));
}

TEST_F(AudioStreamTest, StopAndRestart)
{
    auto wav = Wav(400);
    uint32_t h = m_audio.CreateStream(wav.data(), wav.size());
    ASSERT_TRUE(m_audio.Play(h, false));
    ASSERT_TRUE(m_audio.Stop(h));
    EXPECT_EQ(m_audio.IsActive(h), StreamActivity::kStopped);

    // A restart in the middle plays the whole sound again: still playing
    // after the first start's end would have come.
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(m_audio.Play(h, false));
    std::this_thread::sleep_for(250ms);
    ASSERT_TRUE(m_audio.Play(h, true));
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(m_audio.IsActive(h), StreamActivity::kPlaying);
    ASSERT_TRUE(WaitUntil([&] { return m_audio.IsActive(h) == StreamActivity::kStopped; }));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 600ms);
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
