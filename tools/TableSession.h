#pragma once
// One connection to the table server: its link (the client's hello, then
// request frames in, replies and notifications out) and who it is at the
// table. Non-blocking; the server's loop reads and writes it when its
// socket is ready.

#include "tools/WireLink.h"

#include "platform/Socket.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tools {

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
};

} // namespace tools
