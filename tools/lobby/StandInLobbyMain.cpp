// stand-in-lobby: the lobby's side of the client's start, for demos and
// manual tests.
//
//   stand-in-lobby --client <program> --server <host:port> [options]
//
//   --user N          own user id (10001)
//   --table T         table number (5)
//   --chair C         chair (2)
//   --lookon 0|1      looking on (0)
//   --game G          game id (7)
//   --title TEXT      room title, UTF-8 (测试房间)
//   --options A,B,C   room option words (0,0,0)
//   --proxy TYPE:HOST:PORT[:USER:PASSWORD]
//                     proxy settings in the lobby's ini
//   --advert-host H   the room's advert page host, host[:port] (none)
//   --notify-host H   the room's notice file host, host[:port] (none)
//   --sign TEXT       the text of sign answers (stand-in-sign)
//   --root DIR        where to lay out the system and lobby directories
//                     (default: a new temporary directory, removed at exit)
//   --timeout S       give up after S seconds (600)
//
// Registers the lobby window on the user's desktop channel, lays out the
// files, starts the client with the lobby argument and prints one line per
// message received and record sent. While it runs, lines on standard input
// send records to the client's main window:
//
//   looker <user id> <chair>     a looker-on joined (type 4)
//   leave <user id> <chair>      a player left the table (type 6)
//   show <user id>               show a player (type 7)
//   extra <bytes>                type 13 with that many zero bytes
//
// Ends when the client sends its close notice (exit 0), when the client
// ends without one (exit 3), at the time-out (exit 1) or on Ctrl-C or
// SIGTERM (exit 4); the client, in a process group of its own, is ended
// with it.

#include "platform/Gbk.h"
#include "tools/lobby/StandInLobby.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <sstream>
#include <string>

#include <poll.h>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t g_stop = 0;

void OnStopSignal(int)
{
    g_stop = 1;
}

struct Arguments {
    std::string client;
    std::string root;
    int timeoutSeconds = 600;
    std::optional<tools::LobbyProxy> proxy;
    tools::LobbyOptions options;
};

int Usage(const char* program)
{
    std::fprintf(stderr,
        "usage: %s --client <program> --server <host:port> [--user N] [--table T] [--chair C]\n"
        "       [--lookon 0|1] [--game G] [--title TEXT] [--options A,B,C] [--sign TEXT]\n"
        "       [--advert-host HOST[:PORT]] [--notify-host HOST[:PORT]]\n"
        "       [--proxy TYPE:HOST:PORT[:USER:PASSWORD]] [--root DIR] [--timeout S]\n",
        program);
    return 2;
}

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::stringstream stream(text);
    std::string part;
    while (std::getline(stream, part, separator))
        parts.push_back(part);
    return parts;
}

bool ParseArguments(int argc, char** argv, Arguments& out)
{
    tools::LobbyOptions& o = out.options;
    bool haveServer = false;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const std::string value = argv[i + 1];
        const int number = std::atoi(value.c_str());
        if (name == "--client") {
            out.client = value;
        } else if (name == "--server") {
            const size_t colon = value.rfind(':');
            if (colon == std::string::npos)
                return false;
            o.serverHost = value.substr(0, colon);
            o.serverPort = std::atoi(value.c_str() + colon + 1);
            haveServer = true;
        } else if (name == "--user") {
            o.userId = number;
        } else if (name == "--table") {
            o.tableNo = number;
        } else if (name == "--chair") {
            o.chair = number;
        } else if (name == "--lookon") {
            o.lookOn = number;
        } else if (name == "--game") {
            o.gameId = number;
        } else if (name == "--title") {
            o.title = platform::Gbk::FromUtf8(value);
        } else if (name == "--advert-host") {
            o.advertHost = value;
        } else if (name == "--notify-host") {
            o.notifyHost = value;
        } else if (name == "--sign") {
            o.signText = platform::Gbk::FromUtf8(value);
        } else if (name == "--options") {
            const auto words = Split(value, ',');
            if (words.size() != 3)
                return false;
            o.roomOptionsA = static_cast<uint32_t>(std::strtoul(words[0].c_str(), nullptr, 0));
            o.roomOptionsB = static_cast<uint32_t>(std::strtoul(words[1].c_str(), nullptr, 0));
            o.roomOptionsC = static_cast<uint32_t>(std::strtoul(words[2].c_str(), nullptr, 0));
        } else if (name == "--proxy") {
            const auto parts = Split(value, ':');
            if (parts.size() != 3 && parts.size() != 5)
                return false;
            tools::LobbyProxy proxy;
            proxy.type = std::atoi(parts[0].c_str());
            proxy.host = parts[1];
            proxy.port = std::atoi(parts[2].c_str());
            if (parts.size() == 5) {
                proxy.user = parts[3];
                proxy.password = parts[4];
            }
            out.proxy = proxy;
        } else if (name == "--root") {
            out.root = value;
        } else if (name == "--timeout") {
            out.timeoutSeconds = number;
        } else {
            return false;
        }
    }
    return argc % 2 == 1 && !out.client.empty() && haveServer;
}

// One command line from standard input; false when it is not understood.
bool RunCommand(tools::StandInLobby& lobby, const std::string& line)
{
    const auto words = Split(line, ' ');
    if (words.empty())
        return false;
    const auto number = [&](size_t i) { return i < words.size() ? std::atoi(words[i].c_str()) : 0; };
    const tools::LobbyOptions& o = lobby.Options();
    frame::PlayerRecord player;
    player.SetUserId(number(1));
    player.SetName("玩家" + std::to_string(number(1)));
    player.SetTableNo(o.tableNo);
    if (words[0] == "looker" && words.size() == 3) {
        player.SetChair(number(2));
        player.SetLookOn(1);
        lobby.SendLookerJoined(player);
    } else if (words[0] == "leave" && words.size() == 3) {
        lobby.SendLeaveTable(number(1), o.tableNo, number(2));
    } else if (words[0] == "show" && words.size() == 2) {
        lobby.SendShowPlayer(player);
    } else if (words[0] == "extra" && words.size() == 2) {
        lobby.SendExtra(std::vector<uint8_t>(static_cast<size_t>(std::max(0, number(1)))));
    } else {
        return false;
    }
    return true;
}

// Reads what standard input has ready and runs each whole line.
void ReadCommands(tools::StandInLobby& lobby, std::string& pending, bool& inputOpen)
{
    char chunk[256];
    const ssize_t n = ::read(0, chunk, sizeof chunk);
    if (n <= 0) {
        inputOpen = false;
        return;
    }
    pending.append(chunk, static_cast<size_t>(n));
    size_t end;
    while ((end = pending.find('\n')) != std::string::npos) {
        const std::string line = pending.substr(0, end);
        pending.erase(0, end + 1);
        if (!line.empty() && !RunCommand(lobby, line))
            std::fprintf(stderr, "stand-in-lobby: not understood: %s\n", line.c_str());
    }
}

int Run(const Arguments& args, const std::string& root)
{
    const platform::DesktopChannel& channel = platform::DesktopChannel::Desktop();
    if (!channel.Usable()) {
        std::fprintf(stderr, "stand-in-lobby: no private desktop directory\n");
        return 1;
    }
    std::mutex printLock;
    tools::StandInLobby lobby(channel, args.options);
    lobby.SetObserver([&printLock](const tools::LobbyEvent& event) {
        std::lock_guard guard(printLock);
        std::printf("%s\n", event.Describe().c_str());
        std::fflush(stdout);
    });
    if (!lobby.Start()) {
        std::fprintf(stderr, "stand-in-lobby: cannot register the lobby window (is another one running?)\n");
        return 1;
    }
    if (!lobby.LayOutTree(root, args.proxy)) {
        std::fprintf(stderr, "stand-in-lobby: cannot lay out %s\n", root.c_str());
        return 1;
    }
    if (!lobby.LaunchClient(args.client)) {
        std::fprintf(stderr, "stand-in-lobby: cannot start %s\n", args.client.c_str());
        return 1;
    }
    {
        std::lock_guard guard(printLock);
        std::printf("lobby window %u, client started with %s\n", lobby.Handle(),
            platform::Gbk::ToUtf8(lobby.LaunchArgument()).c_str());
        std::fflush(stdout);
    }

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(args.timeoutSeconds);
    std::string pending;
    bool inputOpen = true;
    const auto isClose = [](const tools::LobbyEvent& e) { return e.IsClose(); };
    while (std::chrono::steady_clock::now() < deadline) {
        if (g_stop) {
            std::lock_guard guard(printLock);
            std::printf("stopped\n");
            std::fflush(stdout);
            return 4;
        }
        if (lobby.WaitForEvent(isClose, 0)) {
            // The client closes after its notice; let it end on its own.
            for (int i = 0; i < 300 && lobby.ClientRunning(); ++i)
                ::usleep(10000);
            return 0;
        }
        if (!lobby.ClientRunning()) {
            // A close notice sent just before the end still counts.
            if (lobby.WaitForEvent(isClose, 200))
                return 0;
            std::lock_guard guard(printLock);
            std::printf("client ended with %d without a close notice\n", lobby.ClientExitCode().value_or(-1));
            return 3;
        }
        pollfd input { 0, POLLIN, 0 };
        if (inputOpen && ::poll(&input, 1, 100) > 0)
            ReadCommands(lobby, pending, inputOpen);
        else if (!inputOpen)
            lobby.WaitForEvent(isClose, 100);
    }
    std::lock_guard guard(printLock);
    std::printf("timed out\n");
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    Arguments args;
    if (!ParseArguments(argc, argv, args))
        return Usage(argv[0]);
    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGTERM, OnStopSignal);
    std::string root = args.root;
    bool ownRoot = false;
    if (root.empty()) {
        std::string pattern = (std::filesystem::temp_directory_path() / "stand-in-lobby-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) {
            std::fprintf(stderr, "stand-in-lobby: cannot make a temporary directory\n");
            return 1;
        }
        root = pattern;
        ownRoot = true;
    }
    const int code = Run(args, root);
    if (ownRoot) {
        std::error_code error;
        std::filesystem::remove_all(root, error);
    }
    return code;
}
