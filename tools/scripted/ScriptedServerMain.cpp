// scripted-server: a scripted game server for demos and manual tests.
//
//   scripted-server <script file>
//
// Listens where the script says (default 127.0.0.1, a port the system picks),
// prints "listening on <host>:<port>", then one line per request received,
// and runs until interrupted (Ctrl-C or SIGTERM).
//
// The script file has one command a line:
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
// request with that id that asks for a reply; requests without a "reply"
// get no answer. A "push" without on= goes to each client once its hello
// arrived; with on= it follows the reply to (or the receipt of) that
// request. text= takes the rest of the line as the body, byte for byte;
// hex= takes pairs of hex digits. Example:
//
//   listen 127.0.0.1 9100
//   reply 201001 0 text=version ok
//   reply 201002 0 delay=500 hex=01000000
//   push 300001 on=201002 text=welcome

#include "platform/Files.h"
#include "platform/Gbk.h"
#include "tools/scripted/ScriptedServer.h"
#include "tools/scripted/ServerScript.h"

#include <csignal>
#include <cstdio>
#include <string>

namespace {

std::string Printable(const std::string& bytes)
{
    std::string out;
    for (unsigned char c : bytes.substr(0, 64)) {
        if (c >= 0x20 && c < 0x7F)
            out.push_back(static_cast<char>(c));
        else
            out.push_back('.');
    }
    if (bytes.size() > 64)
        out += "...";
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <script file>\n", argv[0]);
        return 2;
    }
    std::string text;
    if (!platform::ReadFile(platform::Gbk::FromUtf8(argv[1]), text)) {
        std::fprintf(stderr, "scripted-server: cannot read %s\n", argv[1]);
        return 2;
    }
    tools::ServerScript script;
    std::string error;
    if (!tools::ParseServerScript(text, script, error)) {
        std::fprintf(stderr, "scripted-server: %s: %s\n", argv[1], error.c_str());
        return 2;
    }

    // Block the stop signals before any thread starts, so only sigwait
    // below sees them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    tools::ScriptedServer server(script.options);
    tools::ApplyServerScript(script, server);
    server.SetRequestObserver([](const tools::ReceivedRequest& r) {
        std::printf("request %u (message %u%s): %zu body bytes \"%s\"\n", r.Id(), r.wireMessageId,
            r.expectsReply ? ", wants a reply" : "", r.message.body.size(), Printable(r.message.body).c_str());
        std::fflush(stdout);
    });
    if (!server.Start()) {
        std::fprintf(stderr, "scripted-server: cannot listen on %s:%u\n", script.options.host.c_str(),
            script.options.port);
        return 1;
    }
    std::printf("listening on %s:%u\n", script.options.host.c_str(), server.Port());
    std::fflush(stdout);

    int signal = 0;
    sigwait(&stopSignals, &signal);
    server.Stop();
    for (const std::string& e : server.Errors())
        std::printf("protocol error: %s\n", e.c_str());
    return 0;
}
