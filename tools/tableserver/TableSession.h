#pragma once
// One connection to the table server: its link (the client's hello, then
// request frames in, replies and notifications out) and who it is at the
// table. Non-blocking; the server's loop reads and writes it when its
// socket is ready.

#include "tools/wire/WireLink.h"

#include "platform/Socket.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tools {

// How a link turns against its client, for the end-to-end checks of what the
// client does with a server that breaks the protocol: a frame with a wrong
// CRC, a length word far beyond any frame, half a frame and the close, or
// silence (nothing read, nothing written) for a while and then the close.
enum class Hostility { kNone, kBadFrame, kOversize, kDrop, kStall };

// "bad-frame", "oversize", "drop", "stall"; false for anything else.
bool ParseHostility(const std::string& text, Hostility& out);
const char* HostilityName(Hostility kind);

class TableSession {
public:
    TableSession(platform::Socket socket, const StageOptions& stages);

    int Fd() const { return m_socket.Fd(); }
    bool Open() const { return m_socket.Valid(); }
    bool WantsWrite() const { return m_outOffset < m_out.size(); }

    // Takes in what arrived: the whole requests, in order. False when the
    // link ended (closed by the peer, or bytes that break the protocol).
    bool Read(std::vector<LinkMessage>& requests);
    // Writes what it can; false when the link failed.
    bool Write();
    void Close();

    void Notify(uint32_t id, std::string body);
    void Reply(uint32_t wireMessageId, uint32_t code, std::string body);

    // From now on the link sends nothing true: what is queued goes out, then
    // the fault; a stall holds the link silent for stallMs before closing it.
    void TurnHostile(Hostility kind, int stallMs);
    bool Hostile() const { return m_hostility != Hostility::kNone; }
    // Stalled: neither read nor written, from when what was queued before
    // the stall has gone out until its time is over.
    bool Stalled() const;
    const std::string& LastError() const { return m_error; }
    bool ClosedByPeer() const { return m_closedByPeer; }

    // Who the session is at the table (set by the table).
    int userId = 0;
    int chair = -1;
    bool looker = false;
    bool entered = false;
    std::string name;

private:
    platform::Socket m_socket;
    LinkReader m_reader;
    LinkWriter m_writer;
    std::string m_out;
    size_t m_outOffset = 0;
    std::string m_error;
    bool m_closedByPeer = false;
    Hostility m_hostility = Hostility::kNone;
    bool m_closeAfterWrite = false;
    int m_stallMs = 0;
    bool m_stallStarted = false;
    uint32_t m_stallUntil = 0;
};

} // namespace tools
