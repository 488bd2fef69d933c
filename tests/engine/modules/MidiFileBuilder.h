#pragma once
// Builds Standard MIDI Files byte by byte for the player's tests.

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace miditest {

using Bytes = std::vector<uint8_t>;

inline void PutVarLen(Bytes& out, uint32_t value)
{
    uint8_t groups[5];
    int n = 0;
    do {
        groups[n++] = value & 0x7F;
        value >>= 7;
    } while (value != 0);
    while (n > 1)
        out.push_back(groups[--n] | 0x80);
    out.push_back(groups[0]);
}

inline void PutBe32(Bytes& out, uint32_t v)
{
    out.insert(out.end(), { uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v) });
}

// One track's events; each call writes the delta time before its event.
class Track {
public:
    Track& Event(uint32_t delta, std::initializer_list<uint8_t> bytes)
    {
        PutVarLen(m_bytes, delta);
        m_bytes.insert(m_bytes.end(), bytes);
        return *this;
    }
    Track& NoteOn(uint32_t delta, int channel, int key, int velocity = 100)
    {
        return Event(delta, { uint8_t(0x90 | channel), uint8_t(key), uint8_t(velocity) });
    }
    Track& NoteOff(uint32_t delta, int channel, int key)
    {
        return Event(delta, { uint8_t(0x80 | channel), uint8_t(key), 0 });
    }
    Track& Tempo(uint32_t delta, uint32_t microsPerQuarter)
    {
        return Event(delta,
            { 0xFF, 0x51, 0x03, uint8_t(microsPerQuarter >> 16), uint8_t(microsPerQuarter >> 8),
                uint8_t(microsPerQuarter) });
    }
    Track& Meta(uint32_t delta, uint8_t type, const std::string& text)
    {
        PutVarLen(m_bytes, delta);
        m_bytes.push_back(0xFF);
        m_bytes.push_back(type);
        PutVarLen(m_bytes, static_cast<uint32_t>(text.size()));
        m_bytes.insert(m_bytes.end(), text.begin(), text.end());
        return *this;
    }
    Track& SysEx(uint32_t delta, const Bytes& body)
    {
        PutVarLen(m_bytes, delta);
        m_bytes.push_back(0xF0);
        PutVarLen(m_bytes, static_cast<uint32_t>(body.size()));
        m_bytes.insert(m_bytes.end(), body.begin(), body.end());
        return *this;
    }
    Track& End(uint32_t delta = 0) { return Event(delta, { 0xFF, 0x2F, 0x00 }); }
    // Raw bytes, no delta (for broken tracks).
    Track& Raw(std::initializer_list<uint8_t> bytes)
    {
        m_bytes.insert(m_bytes.end(), bytes);
        return *this;
    }
    const Bytes& Data() const { return m_bytes; }

private:
    Bytes m_bytes;
};

inline Bytes MidiFile(uint16_t format, uint16_t division, const std::vector<Track>& tracks)
{
    Bytes out { 'M', 'T', 'h', 'd' };
    PutBe32(out, 6);
    auto u16 = [&](uint16_t v) { out.insert(out.end(), { uint8_t(v >> 8), uint8_t(v) }); };
    u16(format);
    u16(static_cast<uint16_t>(tracks.size()));
    u16(division);
    for (const Track& t : tracks) {
        out.insert(out.end(), { 'M', 'T', 'r', 'k' });
        PutBe32(out, static_cast<uint32_t>(t.Data().size()));
        out.insert(out.end(), t.Data().begin(), t.Data().end());
    }
    return out;
}

inline std::unique_ptr<uint8_t[]> Copy(const Bytes& bytes)
{
    auto p = std::make_unique<uint8_t[]>(bytes.size() + 1);
    std::copy(bytes.begin(), bytes.end(), p.get());
    return p;
}

} // namespace miditest
