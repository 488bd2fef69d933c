#include "engine/modules/MusicModule.h"

#include "engine/core/EngineFiles.h"
#include "engine/modules/MidiPlayer.h"
#include "engine/modules/ResourceModule.h"

#include <cstring>
#include <new>
#include <string>

namespace engine {

namespace {

// Frees an end event that the core drops undelivered.
void FreeEndEvent(int, MessageWord data, MessageWord)
{
    delete FromWord<EngineEvent>(data);
}

bool IsMidiExtension(uint32_t extension)
{
    static const uint32_t mid = NameHash(".mid");
    static const uint32_t midi = NameHash(".midi");
    return extension == mid || extension == midi;
}

} // namespace

MusicModule::MusicModule(std::shared_ptr<platform::MidiSink> midiSink)
    : m_midiSink(std::move(midiSink))
{
    m_nodePool.Init(sizeof(PlayListNode), kPlayListPoolCount);
}

MusicModule::~MusicModule()
{
    Shutdown();
    m_nodePool.Destroy();
}

ResourceModule* MusicModule::Resources() const
{
    return dynamic_cast<ResourceModule*>(FindModule(MODULE_RESOURCE));
}

NameKey MusicModule::SoundKey(std::string_view name)
{
    return MakeNameKey(GetFileBaseName(name) + ".sound");
}

// ---- lifecycle -------------------------------------------------------------

int MusicModule::Init()
{
    if (!Resources())
        return 0;
    // Without an audio output the engine runs silent: the core drops the
    // module and every sound service then finds no module.
    if (!m_audio.Start())
        return 0;
    m_volume = m_audio.GetVolume();
    SetInterval(kMusicModuleInterval);
    return 1;
}

void MusicModule::Shutdown()
{
    FreePlayList();
    DeleteMidiPlayer();
    // Freeing the streams before their bytes: a stream may read its bytes
    // until it is freed.
    m_audio.Shutdown();
    m_sounds.clear();
}

void MusicModule::Update()
{
    PlayListNode** link = &m_head;
    while (PlayListNode* node = *link) {
        if (IsPlaying(node->channel) != 0) {
            link = &node->next;
            continue;
        }
        // Played to its end: 0 and below never reach 0 and so repeat until
        // stopped.
        if (--node->loops != 0) {
            Resume(node->channel, 1);
            link = &node->next;
            continue;
        }
        *link = node->next;
        NotifyFinished(node->endEvent);
        FreeNode(node);
    }
    const uint32_t now = GetFrameTime();
    if (m_head)
        m_lastSoundTime = now;
    else if (now - m_lastSoundTime >= kAudioIdleMs)
        m_audio.Suspend();
}

uint32_t MusicModule::MsUntilWork(uint32_t now)
{
    if (m_head)
        return 0;
    if (!m_audio.IsStarted() || m_audio.IsSuspended())
        return kNoWork;
    const uint32_t quiet = now - m_lastSoundTime;
    return quiet >= kAudioIdleMs ? 0 : kAudioIdleMs - quiet;
}

// ---- playing ---------------------------------------------------------------

uint32_t MusicModule::Play(const NameKey& key, int loops, const EngineEvent* endEvent)
{
    auto it = m_sounds.find(key);
    if (it != m_sounds.end())
        return PlayChannel(it->second.stream, loops, endEvent);
    uint32_t channel = 0;
    if (!LoadSound(key, channel))
        return 0;
    if (channel == kMidiChannel) {
        PlayMidi(loops, endEvent);
        return 0;
    }
    return PlayChannel(channel, loops, endEvent);
}

uint32_t MusicModule::PlaySound(std::string_view name, int loops, const EngineEvent* endEvent)
{
    if (!m_audio.IsStarted() || m_mute)
        return 0;
    return Play(SoundKey(name), loops, endEvent);
}

void MusicModule::SetVolume(float volume)
{
    m_volume = volume;
    m_audio.SetVolume(volume);
}

float MusicModule::GetVolume() const
{
    return m_audio.GetVolume();
}

void MusicModule::UnloadSound(std::string_view name)
{
    if (!m_audio.IsStarted() || m_mute)
        return;
    auto it = m_sounds.find(SoundKey(name));
    if (it == m_sounds.end()) {
        DeleteMidiPlayer();
        return;
    }
    // The stream's nodes go first: left in the list they would play a freed
    // (and later perhaps reused) handle again.
    EndNodesOf(it->second.stream);
    m_audio.FreeStream(it->second.stream);
    m_sounds.erase(it);
}

void MusicModule::Pause(uint32_t channel)
{
    if (channel == kMidiChannel) {
        if (m_midiPlayer)
            m_midiPlayer->Pause();
        return;
    }
    m_audio.Pause(channel);
}

void MusicModule::Stop(uint32_t channel)
{
    // Every node of the channel ends: the channel itself stops, and a node
    // left behind would start it again on the next turn.
    EndNodesOf(channel);
    if (channel == kMidiChannel) {
        if (m_midiPlayer)
            m_midiPlayer->Stop(1);
        return;
    }
    m_audio.Stop(channel);
}

void MusicModule::Resume(uint32_t channel, int restart)
{
    if (channel == kMidiChannel) {
        if (m_midiPlayer)
            m_midiPlayer->Play(0);
        return;
    }
    m_audio.Play(channel, restart != 0);
}

void MusicModule::StopAll()
{
    while (PlayListNode* node = m_head) {
        if (node->channel == kMidiChannel) {
            if (m_midiPlayer)
                m_midiPlayer->Stop(1);
        } else {
            m_audio.Stop(node->channel);
        }
        m_head = node->next;
        NotifyFinished(node->endEvent);
        FreeNode(node);
    }
}

int MusicModule::IsPlaying(uint32_t channel) const
{
    if (channel == kMidiChannel)
        return m_midiPlayer ? m_midiPlayer->IsPlaying() : 0;
    return static_cast<int>(m_audio.IsActive(channel));
}

int MusicModule::LoadSound(const NameKey& key, uint32_t& channel)
{
    if (!m_audio.IsStarted())
        return 0;
    // A stream already loaded is reused: a second one would have no place in
    // the map and could never be freed.
    auto loaded = m_sounds.find(key);
    if (loaded != m_sounds.end()) {
        channel = loaded->second.stream;
        return 1;
    }
    ResourceModule* resources = Resources();
    if (!resources || !resources->Exists(key))
        return 0;
    ResourceEntry* entry = resources->LoadEntry(key);
    if (!entry || !entry->data)
        return 0;

    if (IsMidiExtension(entry->extension)) {
        DeleteMidiPlayer();
        auto player = std::make_unique<MidiPlayer>(m_midiSink ? m_midiSink : platform::DefaultMidiSink());
        auto bytes = std::make_unique<uint8_t[]>(entry->length);
        std::memcpy(bytes.get(), entry->data.get(), entry->length);
        // A file the player refuses is not a playable sound: report it
        // rather than queue a song that can never start.
        if (!player->Load(bytes, entry->length, 0))
            return 0;
        entry->data.reset();
        m_midiPlayer = std::move(player);
        channel = kMidiChannel;
        return 1;
    }

    uint32_t stream = m_audio.CreateStream(reinterpret_cast<const uint8_t*>(entry->data.get()), entry->length);
    // 0 is no stream (and the MIDI player's channel): nothing is filed and
    // the bytes stay with the resource module.
    if (stream == 0)
        return 0;
    m_sounds.emplace(key, LoadedSound { stream, std::move(entry->data) });
    channel = stream;
    return 1;
}

uint32_t MusicModule::PlayChannel(uint32_t channel, int loops, const EngineEvent* endEvent)
{
    m_audio.Play(channel, false);
    AppendNode(channel, loops, endEvent);
    return channel;
}

int MusicModule::PlayMidi(int loops, const EngineEvent* endEvent)
{
    if (!m_midiPlayer)
        return 0;
    m_midiPlayer->Play(0);
    AppendNode(kMidiChannel, loops, endEvent);
    return 1;
}

void MusicModule::NotifyFinished(const EngineEvent& endEvent)
{
    if (endEvent.code == 0)
        return;
    auto* copy = new EngineEvent(endEvent);
    PostMessage(MODULE_OBJECT, MODMSG_OBJ_SEND_AND_FREE, ToWord(copy), 0, &FreeEndEvent);
}

size_t MusicModule::PlayListLength() const
{
    size_t count = 0;
    for (const PlayListNode* node = m_head; node; node = node->next)
        ++count;
    return count;
}

// ---- play list -------------------------------------------------------------

void MusicModule::AppendNode(uint32_t channel, int loops, const EngineEvent* endEvent)
{
    void* block = m_nodePool.Alloc(sizeof(PlayListNode));
    if (!block)
        return;
    auto* node = new (block) PlayListNode;
    node->channel = channel;
    node->loops = loops;
    if (endEvent)
        node->endEvent = *endEvent;
    PlayListNode** link = &m_head;
    while (*link)
        link = &(*link)->next;
    *link = node;
}

void MusicModule::EndNodesOf(uint32_t channel)
{
    PlayListNode** link = &m_head;
    while (PlayListNode* node = *link) {
        if (node->channel != channel) {
            link = &node->next;
            continue;
        }
        *link = node->next;
        NotifyFinished(node->endEvent);
        FreeNode(node);
    }
}

void MusicModule::FreeNode(PlayListNode* node)
{
    node->~PlayListNode();
    m_nodePool.Free(node);
}

void MusicModule::DeleteMidiPlayer()
{
    if (!m_midiPlayer)
        return;
    // Its song is gone: the nodes that wait for it end now, not never.
    EndNodesOf(kMidiChannel);
    m_midiPlayer.reset();
}

void MusicModule::FreePlayList()
{
    while (PlayListNode* node = m_head) {
        m_head = node->next;
        FreeNode(node);
    }
}

} // namespace engine
