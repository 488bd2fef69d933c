#include "engine/modules/MusicModule.h"

#include "MidiFileBuilder.h"
#include "tests/platform/WavBuilder.h"
#include "engine/core/EngineObject.h"
#include "engine/core/GameCore.h"
#include "engine/core/ObjectModule.h"
#include "engine/modules/ResourceModule.h"
#include "platform/AudioStream.h"
#include "platform/RecordingMidiSink.h"
#include "tests/engine/core/TestSupport.h"
#include "tools/pack/PackWriter.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

using namespace engine;
using namespace std::chrono_literals;

namespace {

constexpr int kEndCode = 80000123;

using soundtest::Wav;

// A one-track song: a note held for ms milliseconds at 120 beats a minute.
std::vector<uint8_t> Song(int ms)
{
    miditest::Track track;
    track.NoteOn(0, 0, 60).NoteOff(static_cast<uint32_t>(ms * 96 / 500), 0, 60).End();
    return miditest::MidiFile(0, 96, { track });
}

// Records the codes of the events it is sent.
class Listener final : public EngineObject {
public:
    int OnEvent(const EngineEvent& event) override
    {
        codes.push_back(event.code);
        params.push_back(event.param);
        return 1;
    }
    std::vector<int> codes;
    std::vector<MessageWord> params;
};

// Counts the repeats the play list asks for.
class CountingMusic final : public MusicModule {
public:
    using MusicModule::MusicModule;
    void Resume(uint32_t channel, int restart) override
    {
        if (restart)
            ++repeats;
        MusicModule::Resume(channel, restart);
    }
    int repeats = 0;
};

class Music : public ::testing::Test {
protected:
    void SetUp() override
    {
        // No sound card in tests: SDL's dummy output plays in real time into
        // nothing.
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        core.Init(nullptr);
        auto rm = std::make_unique<ResourceModule>();
        resources = rm.get();
        ASSERT_EQ(core.LoadModule(std::move(rm), true, false), ORBITVANE_RETURN_OK);
        auto om = std::make_unique<ObjectModule>();
        objects = om.get();
        ASSERT_EQ(core.LoadModule(std::move(om), true, false), ORBITVANE_RETURN_OK);
        auto mm = std::make_unique<CountingMusic>(midiSink);
        music = mm.get();
        ASSERT_EQ(core.LoadModule(std::move(mm), true, false), ORBITVANE_RETURN_OK);
        auto object = std::make_unique<Listener>();
        listener = object.get();
        objects->AddObject(std::move(object), nullptr);
        endEvent = EngineEvent(listener->GetId(), kEndCode, 7);
    }

    // Builds a pack in memory and hands it to the resource module.
    void LoadPack(const std::vector<std::pair<std::string, std::vector<uint8_t>>>& files)
    {
        tools::PackWriter writer;
        for (const auto& [name, bytes] : files)
            writer.AddBytes(name, bytes);
        std::vector<uint8_t> image = writer.Build();
        ASSERT_EQ(resources->LoadPackMemory(image.data(), image.size()), static_cast<int>(files.size()));
    }

    // Runs engine frames until pred holds; false after the limit.
    template <typename Pred>
    bool RunUntil(Pred pred, std::chrono::milliseconds limit = 5s)
    {
        auto end = std::chrono::steady_clock::now() + limit;
        while (!pred()) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            core.RunFrame();
            std::this_thread::sleep_for(5ms);
        }
        return true;
    }
    void RunFor(std::chrono::milliseconds span)
    {
        RunUntil([] { return false; }, span);
    }
    size_t EndEvents() const
    {
        size_t count = 0;
        for (int code : listener->codes)
            count += code == kEndCode;
        return count;
    }

    enginetest::ScratchDir dir;
    enginetest::Recorders recorders;
    std::shared_ptr<platform::RecordingMidiSink> midiSink = std::make_shared<platform::RecordingMidiSink>(true);
    GameCore core;
    ResourceModule* resources = nullptr;
    ObjectModule* objects = nullptr;
    CountingMusic* music = nullptr;
    Listener* listener = nullptr;
    EngineEvent endEvent;
};

TEST_F(Music, SoundPlaysItsLoopsThenSendsItsEndEventOnce)
{
    LoadPack({ { "Snd_HitCard.wav", Wav(150) } });
    auto start = std::chrono::steady_clock::now();
    uint32_t channel = music->PlaySound("sounds\\Snd_HitCard.ogg", 2, &endEvent);
    ASSERT_NE(channel, 0u);
    EXPECT_NE(music->IsPlaying(channel), 0);
    EXPECT_EQ(music->PlayListLength(), 1u);

    ASSERT_TRUE(RunUntil([&] { return EndEvents() > 0; }));
    auto took = std::chrono::steady_clock::now() - start;
    // Played twice: restarted once, and not ended before two lengths.
    EXPECT_EQ(music->repeats, 1);
    EXPECT_GE(took, 300ms);
    EXPECT_EQ(music->PlayListLength(), 0u);
    EXPECT_EQ(listener->params.back(), 7u);

    RunFor(400ms);
    EXPECT_EQ(EndEvents(), 1u);
    EXPECT_EQ(music->repeats, 1);
    EXPECT_EQ(music->IsPlaying(channel), 0);
    // The stream stays loaded and plays again on the same channel.
    EXPECT_EQ(music->PlaySound("Snd_HitCard", 1, nullptr), channel);
    EXPECT_EQ(music->LoadedStreamCount(), 1u);
}

// Once nothing has played for a while the output sleeps (its device closed)
// and no frame is due for it; the next sound wakes it.
TEST_F(Music, TheOutputSleepsWhenNothingPlaysAndWakesForTheNextSound)
{
    LoadPack({ { "Snd_HitCard.wav", Wav(50) } });
    enginetest::FixedTick tick(500000);
    auto frameUntil = [&](auto done) {
        for (int i = 0; i < 1000 && !done(); ++i) {
            tick.Advance(10);
            core.RunFrame();
            std::this_thread::sleep_for(5ms); // the sound plays in real time
        }
        return done();
    };
    uint32_t channel = music->PlaySound("Snd_HitCard", 1, &endEvent);
    ASSERT_NE(channel, 0u);
    ASSERT_TRUE(frameUntil([&] { return EndEvents() > 0; }));
    EXPECT_FALSE(music->IsAudioSuspended());
    EXPECT_NE(core.MsUntilNextFrame(), kNoWork) << "the output is still to be put to sleep";

    tick.Advance(kAudioIdleMs - 200);
    core.RunFrame();
    EXPECT_FALSE(music->IsAudioSuspended());
    tick.Advance(300);
    core.RunFrame();
    EXPECT_TRUE(music->IsAudioSuspended());
    EXPECT_EQ(core.MsUntilNextFrame(), kNoWork);

    EXPECT_EQ(music->PlaySound("Snd_HitCard", 1, &endEvent), channel);
    EXPECT_FALSE(music->IsAudioSuspended());
    EXPECT_NE(music->IsPlaying(channel), 0);
    EXPECT_LE(core.MsUntilNextFrame(), kMusicModuleInterval + 1) << "its next turn looks at the sound";
    ASSERT_TRUE(frameUntil([&] { return EndEvents() > 1; }));
}

TEST_F(Music, LoopsZeroRepeatsUntilStopAndStopEndsAtOnce)
{
    LoadPack({ { "Snd_Tick.wav", Wav(60) } });
    uint32_t channel = music->PlaySound("Snd_Tick", 0, &endEvent);
    ASSERT_NE(channel, 0u);
    ASSERT_TRUE(RunUntil([&] { return music->repeats >= 3; }));
    EXPECT_EQ(EndEvents(), 0u);

    // The same sound played again gets a second node; Stop ends both.
    EXPECT_EQ(music->PlaySound("Snd_Tick", 0, &endEvent), channel);
    EXPECT_EQ(music->PlayListLength(), 2u);
    music->Stop(channel);
    EXPECT_EQ(music->PlayListLength(), 0u);
    EXPECT_EQ(music->IsPlaying(channel), 0);
    int repeats = music->repeats;
    RunFor(300ms);
    EXPECT_EQ(EndEvents(), 2u);
    EXPECT_EQ(music->repeats, repeats);
    EXPECT_EQ(music->IsPlaying(channel), 0);
}

TEST_F(Music, PausedSoundKeepsItsNodeAndResumes)
{
    LoadPack({ { "Snd_Long.wav", Wav(250) } });
    uint32_t channel = music->PlaySound("Snd_Long", 1, &endEvent);
    ASSERT_NE(channel, 0u);
    music->Pause(channel);
    RunFor(500ms); // longer than the sound
    EXPECT_EQ(music->IsPlaying(channel), static_cast<int>(platform::StreamActivity::kPaused));
    EXPECT_EQ(music->PlayListLength(), 1u);
    EXPECT_EQ(EndEvents(), 0u);
    EXPECT_EQ(music->repeats, 0);

    music->Resume(channel, 0);
    EXPECT_EQ(music->IsPlaying(channel), static_cast<int>(platform::StreamActivity::kPlaying));
    ASSERT_TRUE(RunUntil([&] { return EndEvents() == 1; }));
    EXPECT_EQ(music->repeats, 0);
}

TEST_F(Music, UnloadingAPlayingSoundEndsItsNodes)
{
    LoadPack({ { "Snd_Loop.wav", Wav(80) }, { "Snd_Other.wav", Wav(2000) } });
    uint32_t channel = music->PlaySound("Snd_Loop", 0, &endEvent);
    uint32_t other = music->PlaySound("Snd_Other", 1, nullptr);
    ASSERT_NE(channel, 0u);
    ASSERT_NE(other, 0u);
    EXPECT_NE(channel, other);
    EXPECT_EQ(music->PlayListLength(), 2u);

    music->UnloadSound("Snd_Loop.wav");
    EXPECT_EQ(music->PlayListLength(), 1u);
    EXPECT_EQ(music->LoadedStreamCount(), 1u);
    EXPECT_EQ(music->IsPlaying(channel), 0);
    int repeats = music->repeats;
    RunFor(300ms);
    EXPECT_EQ(EndEvents(), 1u);
    EXPECT_EQ(music->repeats, repeats); // the freed handle is never played again
    EXPECT_NE(music->IsPlaying(other), 0);
}

TEST_F(Music, LooseFileIsReadAgainAfterUnload)
{
    std::vector<uint8_t> wav = Wav(50);
    {
        std::ofstream out(dir.Dir() + "Snd_Win.wav", std::ios::binary);
        out.write(reinterpret_cast<const char*>(wav.data()), static_cast<std::streamsize>(wav.size()));
    }
    ASSERT_EQ(resources->AddFile(dir.Dir() + "Snd_Win.wav"), MakeNameKey("Snd_Win.sound"));
    uint32_t first = music->PlaySound("Snd_Win", 1, nullptr);
    ASSERT_NE(first, 0u);
    music->UnloadSound("Snd_Win");
    EXPECT_EQ(music->LoadedStreamCount(), 0u);
    uint32_t second = music->PlaySound("Snd_Win", 1, nullptr);
    EXPECT_NE(second, 0u);
    EXPECT_EQ(music->LoadedStreamCount(), 1u);
}

TEST_F(Music, BytesThatAreNoSoundNeverBecomeChannelZero)
{
    std::vector<uint8_t> junk(400, 0x5A);
    std::vector<uint8_t> cut = Wav(100);
    cut.resize(30);
    LoadPack({ { "Snd_Junk.wav", junk }, { "Snd_Cut.mp3", cut } });
    for (const char* name : { "Snd_Junk", "Snd_Cut", "Snd_Missing" }) {
        SCOPED_TRACE(name);
        EXPECT_EQ(music->PlaySound(name, 0, &endEvent), 0u);
        uint32_t channel = 99;
        EXPECT_EQ(music->LoadSound(MakeNameKey(std::string(name) + ".sound"), channel), 0);
        EXPECT_EQ(channel, 99u);
    }
    EXPECT_EQ(music->PlayListLength(), 0u);
    EXPECT_EQ(music->LoadedStreamCount(), 0u);
    EXPECT_FALSE(music->HasMidiPlayer());
    // The bytes stay with the resource module.
    EXPECT_NE(resources->GetData(MakeNameKey("Snd_Junk.sound")), nullptr);
    RunFor(250ms);
    EXPECT_EQ(EndEvents(), 0u);
    EXPECT_EQ(music->repeats, 0);
}

TEST_F(Music, ChannelZeroWithoutAMidiPlayerDoesNothing)
{
    LoadPack({ { "Snd_A.wav", Wav(1000) } });
    uint32_t channel = music->PlaySound("Snd_A", 1, &endEvent);
    ASSERT_NE(channel, 0u);
    music->UnloadSound("NoSuchSound"); // deletes a MIDI player, when there is one
    music->Pause(0);
    music->Resume(0, 1);
    music->Stop(0);
    EXPECT_EQ(music->IsPlaying(0), 0);
    EXPECT_EQ(music->PlayMidi(0, &endEvent), 0);
    EXPECT_EQ(music->PlayListLength(), 1u);
    EXPECT_NE(music->IsPlaying(channel), 0);

    music->StopAll();
    EXPECT_EQ(music->PlayListLength(), 0u);
    EXPECT_EQ(music->IsPlaying(channel), 0);
    RunFor(150ms);
    EXPECT_EQ(EndEvents(), 1u);
}

TEST_F(Music, MidiSoundPlaysOnChannelZeroAndEnds)
{
    LoadPack({ { "Tune.mid", Song(300) } });
    EXPECT_EQ(music->PlaySound("Tune", 1, &endEvent), 0u);
    ASSERT_TRUE(music->HasMidiPlayer());
    EXPECT_EQ(music->PlayListLength(), 1u);
    EXPECT_NE(music->IsPlaying(0), 0);
    EXPECT_EQ(music->LoadedStreamCount(), 0u);

    ASSERT_TRUE(RunUntil([&] { return EndEvents() == 1; }));
    EXPECT_EQ(music->IsPlaying(0), 0);
    EXPECT_EQ(music->PlayListLength(), 0u);
    // The note went to the synthesizer: on, then off.
    auto entries = midiSink->Entries();
    ASSERT_GE(entries.size(), 2u);
    EXPECT_EQ(entries[0].message & 0xFFFF, 0x3C90u);
    RunFor(300ms);
    EXPECT_EQ(EndEvents(), 1u);
}

TEST_F(Music, StoppingTheMidiSoundEndsItAtOnceWithoutRepeats)
{
    LoadPack({ { "Theme.mid", Song(5000) } });
    EXPECT_EQ(music->PlaySound("Theme", 0, &endEvent), 0u);
    ASSERT_NE(music->IsPlaying(0), 0);
    RunFor(150ms);
    music->Stop(0);
    EXPECT_EQ(music->IsPlaying(0), 0);
    EXPECT_EQ(music->PlayListLength(), 0u);
    RunFor(300ms);
    EXPECT_EQ(EndEvents(), 1u);
    EXPECT_EQ(music->repeats, 0);
    EXPECT_EQ(music->IsPlaying(0), 0);
}

TEST_F(Music, ReplacingOrUnloadingTheMidiPlayerEndsItsNodes)
{
    std::vector<uint8_t> broken = Song(300);
    broken.resize(20); // the track runs past the end of the file
    LoadPack({ { "First.mid", Song(5000) }, { "Second.mid", Song(5000) }, { "Broken.mid", broken } });
    music->PlaySound("First", 0, &endEvent);
    ASSERT_NE(music->IsPlaying(0), 0);
    music->PlaySound("Second", 0, &endEvent);
    EXPECT_NE(music->IsPlaying(0), 0);
    EXPECT_EQ(music->PlayListLength(), 1u); // First's node ended with its player
    RunFor(50ms);
    EXPECT_EQ(EndEvents(), 1u);
    music->UnloadSound("NotAStream");
    EXPECT_FALSE(music->HasMidiPlayer());
    EXPECT_EQ(music->PlayListLength(), 0u);
    RunFor(150ms);
    EXPECT_EQ(EndEvents(), 2u);
    EXPECT_EQ(music->repeats, 0);

    // A file the player refuses is reported and leaves no player behind.
    EXPECT_EQ(music->PlaySound("Broken", 1, &endEvent), 0u);
    EXPECT_FALSE(music->HasMidiPlayer());
    EXPECT_EQ(music->PlayListLength(), 0u);
    EXPECT_EQ(music->IsPlaying(0), 0);
    EXPECT_NE(resources->GetData(MakeNameKey("Broken.sound")), nullptr);
}

TEST_F(Music, MuteVolumeAndEventsWithoutCode)
{
    LoadPack({ { "Snd_Click.wav", Wav(50) } });
    music->SetMute(1);
    EXPECT_EQ(music->PlaySound("Snd_Click", 1, &endEvent), 0u);
    EXPECT_EQ(music->PlayListLength(), 0u);
    uint32_t channel = music->Play(MakeNameKey("Snd_Click.sound"), 1, nullptr);
    EXPECT_NE(channel, 0u); // by key it still plays
    music->UnloadSound("Snd_Click"); // ignored while muted
    EXPECT_EQ(music->LoadedStreamCount(), 1u);
    music->SetMute(0);

    music->SetVolume(0.5f);
    EXPECT_NEAR(music->GetVolume(), 0.5f, 0.01f);

    size_t posted = core.PostedCount();
    music->NotifyFinished(EngineEvent(listener->GetId(), 0, 1));
    EXPECT_EQ(core.PostedCount(), posted);
    EngineEvent silent(listener->GetId(), 0, 1);
    music->PlaySound("Snd_Click", 1, &silent);
    RunFor(300ms);
    EXPECT_TRUE(listener->codes.empty());
}

TEST(MusicInit, FailsWithoutAudioOrResourcesAndNothingCrashes)
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    enginetest::ScratchDir dir;
    enginetest::Recorders recorders;
    {
        GameCore core;
        core.Init(nullptr);
        EXPECT_EQ(core.LoadModule(std::make_unique<MusicModule>(), true, false), ORBITVANE_RETURN_MODULE_INITIAL_FAILD);
    }
    {
        GameCore core;
        core.Init(nullptr);
        ASSERT_EQ(core.LoadModule(std::make_unique<ResourceModule>(), true, false), ORBITVANE_RETURN_OK);
        // The process's one output is taken: as on a machine without audio.
        platform::AudioStream holder;
        ASSERT_TRUE(holder.Start());
        EXPECT_EQ(core.LoadModule(std::make_unique<MusicModule>(), true, false), ORBITVANE_RETURN_MODULE_INITIAL_FAILD);
        EXPECT_EQ(core.FindModule(MODULE_MUSIC), nullptr);
        core.RunFrame();
    }
    // A module never started answers every call with nothing.
    MusicModule idle;
    EXPECT_EQ(idle.PlaySound("Snd_HitCard", 1, nullptr), 0u);
    EXPECT_EQ(idle.Play(MakeNameKey("Snd_HitCard.sound"), 1, nullptr), 0u);
    uint32_t channel = 5;
    EXPECT_EQ(idle.LoadSound(MakeNameKey("Snd_HitCard.sound"), channel), 0);
    idle.Stop(0);
    idle.Stop(3);
    idle.StopAll();
    idle.Update();
    EXPECT_EQ(idle.IsPlaying(3), 0);
}

} // namespace
