#pragma once
// The table server: a game server for tests and play, built on the rules
// library (table/) and the wire code of this folder, independent of the
// client's network and frame code. One table (see TableRoom.h) on one
// listening port; every connection is a session that may sit down, look on
// or just ask. One thread: RunOnce polls the sockets and the table's clock.

#include "tools/tableserver/TableRoom.h"
#include "tools/tableserver/TableSession.h"

#include "platform/Socket.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tools {

struct TableServerOptions {
    std::string host = "127.0.0.1";
    uint16_t port = 0; // 0: the system picks one (see Port())
    StageOptions stages; // key, cipher on, zip off
    TableOptions table;
    bool keepOpen = false; // with deals: keep serving after the last result
};

// The program's command line (without the program name):
//   --listen HOST:PORT   where to listen (default 127.0.0.1:0, any port)
//   --rules FILE         the server-rules INI (must exist)
//   --seed N             deal k of the run is dealt with seed N + k
//   --deals N            play N deals, then end (default: without end)
//   --turn-seconds N     a person's turn clock (default: the rules file's)
//   --robot-delay MS     before a robot moves (default 800)
//   --deal-show MS       the clients' deal on screen (default 6000)
//   --auto-start 0|1     start deals without waiting for start presses (0)
//   --grace MS           after a person's turn clock before the server moves
//                        for him (default 3000)
//   --keep-open 0|1      with --deals: keep the links after the last result,
//                        starting no more deals, until interrupted (0)
//   --banker C           the first deal's banker sits at chair C
//   --friend C           with --seed: the first deal is the first from the
//                        seed on whose hidden friend sits at chair C
//   --hostile KIND       in the first deal a person's link turns hostile:
//                        bad-frame (a wrong CRC), oversize (a length word
//                        beyond any frame), drop (half a frame, then the
//                        close) or stall (silence, then the close)
//   --hostile-after N    ...at the first person's turn after N moves (8)
//   --stall MS           the stall's silence (8000)
// False with a message naming the option on anything else.
bool ParseTableServerArgs(const std::vector<std::string>& args, TableServerOptions& out, std::string& error);

class TableServer {
public:
    explicit TableServer(TableServerOptions options);

    // False when the address cannot be bound.
    bool Listen();
    uint16_t Port() const { return m_port; }

    // Waits at most maxWaitMs for the sockets or a move that falls due, and
    // handles what came: connections, requests, moves, writes.
    void RunOnce(int maxWaitMs);
    // The asked deals are played and everything has been written.
    bool Done() const;

    Table& GetTable() { return m_table; }
    size_t SessionCount() const { return m_sessions.size(); }
    // Requests taken so far, by id; links dropped for breaking the protocol.
    const std::map<uint32_t, int>& RequestCounts() const { return m_requestCounts; }
    const std::vector<std::string>& LinkErrors() const { return m_linkErrors; }

private:
    void Accept();
    void Serve(TableSession& session, short events);
    void DropClosed();

    TableServerOptions m_options;
    platform::Socket m_listener;
    uint16_t m_port = 0;
    Table m_table;
    std::vector<std::unique_ptr<TableSession>> m_sessions;
    std::map<uint32_t, int> m_requestCounts;
    std::vector<std::string> m_linkErrors;
};

} // namespace tools
