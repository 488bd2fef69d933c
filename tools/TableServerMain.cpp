// table-server: a game server with robot players for tests and play.
//
//   table-server [--listen HOST:PORT] [--rules FILE] [--seed N] [--deals N]
//                [--turn-seconds N] [--robot-delay MS] [--deal-show MS]
//                [--auto-start 0|1]
//
// Prints "listening on <host>:<port>" and serves one table until
// interrupted (Ctrl-C or SIGTERM) or, with --deals, until that many deals
// are played and their results sent. Clients enter with the game's enter
// request; empty chairs get robots; a deal starts when every person at the
// table has pressed start (with --auto-start 1 at once, and again after
// each result).

#include "tools/TableServer.h"

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

namespace {

volatile std::sig_atomic_t g_stop = 0;

void OnStopSignal(int)
{
    g_stop = 1;
}

} // namespace

int main(int argc, char** argv)
{
    tools::TableServerOptions options;
    std::string error;
    if (!tools::ParseTableServerArgs(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::fprintf(stderr, "table-server: %s\n", error.c_str());
        std::fprintf(stderr,
            "usage: %s [--listen HOST:PORT] [--rules FILE] [--seed N] [--deals N] [--turn-seconds N]"
            " [--robot-delay MS] [--deal-show MS] [--auto-start 0|1]\n",
            argv[0]);
        return 2;
    }
    tools::TableServer server(options);
    if (!server.Listen()) {
        std::fprintf(stderr, "table-server: cannot listen on %s:%u\n", options.host.c_str(), options.port);
        return 1;
    }
    std::printf("listening on %s:%u\n", options.host.c_str(), server.Port());
    std::fflush(stdout);
    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGTERM, OnStopSignal);
    std::signal(SIGPIPE, SIG_IGN);
    while (!g_stop && !server.Done())
        server.RunOnce(200);
    std::printf("%d deals played\n", server.GetTable().DealsFinished());
    return 0;
}
