#pragma once
// The script file of the scripted-server program: one command a line.
//
//   # a comment (only at the start of a line)
//   listen <host> <port>        where to listen (default 127.0.0.1 0: any port)
//   key <32 hex digits>         AES-128 key (default 000102...0e0f)
//   cipher on|off               cipher stage on what the server sends (on)
//   zip on|off                  zip stage on what the server sends (off)
//   crc on|off                  CRC-32 on every frame the server sends (on)
//   reply <request id> <code> [delay=<ms>] [hex=<hex bytes> | text=<rest of line>]
//   noreply <request id>
//   push <notification id> [on=<request id>] [hex=<hex bytes> | text=<rest of line>]
//
// Ids and codes are decimal (or 0x hexadecimal). A "reply" answers every
// request with that id that asks for a reply; "noreply" leaves it waiting.
// A "push" without on= goes to each client once its hello arrived; with
// on= it follows the reply to (or the receipt of) that request. text= takes
// the rest of the line as the body, byte for byte (so a GBK file gives GBK
// text); hex= takes pairs of hex digits.

#include "tools/scripted/ScriptedServer.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tools {

struct ServerScript {
    ServerOptions options;
    std::vector<std::pair<uint32_t, ScriptedReply>> replies;
    std::vector<PlainMessage> pushesOnHello;
    std::vector<std::pair<uint32_t, PlainMessage>> pushesAfter;
};

// False with "line N: ..." in error for the first line it cannot take.
bool ParseServerScript(std::string_view text, ServerScript& out, std::string& error);

// Installs the replies and pushes into a server made with script.options.
void ApplyServerScript(const ServerScript& script, ScriptedServer& server);

} // namespace tools
