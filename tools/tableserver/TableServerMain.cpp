// table-server: a game server with robot players for tests and play.
//
//   table-server [--listen HOST:PORT] [--rules FILE] [--seed N] [--deals N]
//                [--turn-seconds N] [--robot-delay MS] [--deal-show MS]
//                [--auto-start 0|1] [--grace MS] [--keep-open 0|1]
//                [--banker C] [--friend C] [--hostile KIND]
//                [--hostile-after N] [--stall MS]      (see TableServer.h)
//
// Prints "listening on <host>:<port>" and serves one table until
// interrupted (Ctrl-C or SIGTERM) or, with --deals, until that many deals
// are played and their results sent (with --keep-open 1 it goes on serving
// without starting more). Clients enter with the game's enter request;
// empty chairs get robots; a deal starts when every person at the table has
// pressed start (with --auto-start 1 at once, and again after each result).
//
// What happens at the table is printed a line at a time, for people and
// scripts that watch a run:
//   chair C: user U sits down | chair C: robot U | chair C: empty
//   deal N starts | turn: chair C | deal N over
//   links: N                              (connections open)
//   client moves: P plays, Q passes       (the moves people sent themselves)
// and, for the end-to-end checks that hold a client's view against the
// server's, after every move and at the settlement:
//   state D.N (chair C plays IDS|passes): cards A B C D; last C IDS|last -;
//       turn C; banker C; friend C|-       (one line: deal D, move N)
//   settled D: score changes ...; silver changes ...; scores ...; silver ...
//   hostile: KIND to chair C

#include "tools/tableserver/SettlementLine.h"
#include "tools/tableserver/TableServer.h"

#include <algorithm>
#include <array>
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

// Prints what changed at the table since it last looked: who sits where,
// deals starting and ending, whose turn it is and the moves people sent.
class TableWatch {
public:
    void Look(tools::TableServer& server)
    {
        if (server.SessionCount() != m_links) {
            m_links = server.SessionCount();
            Say("links: " + std::to_string(m_links));
        }
        tools::Table& table = server.GetTable();
        tools::Deal& deal = table.GetDeal();
        for (int c = 0; c < 4; ++c) {
            const std::string seat = DescribeSeat(table, c);
            if (seat != m_seats[c])
                Say("chair " + std::to_string(c) + ": " + seat);
            m_seats[c] = seat;
        }
        if (table.DealsFinished() != m_finished) {
            m_finished = table.DealsFinished();
            Say("deal " + std::to_string(m_finished) + " over");
            m_turn = -1;
        }
        const int started = m_finished + (deal.Running() ? 1 : 0);
        if (started != m_started) {
            m_started = started;
            Say("deal " + std::to_string(started) + " starts");
        }
        const int turn = deal.Running() && !deal.Over() ? deal.CurrentChair() : -1;
        if (turn != m_turn && turn >= 0)
            Say("turn: chair " + std::to_string(turn));
        m_turn = turn;
        const int plays = Count(server, tools::table_ids::kThrow);
        const int passes = Count(server, tools::table_ids::kPass);
        if (plays != m_plays || passes != m_passes)
            Say("client moves: " + std::to_string(plays) + " plays, " + std::to_string(passes) + " passes");
        m_plays = plays;
        m_passes = passes;
    }

private:
    static std::string DescribeSeat(tools::Table& table, int chair)
    {
        const table::TablePlayer* player = table.GetDeal().Player(chair);
        if (!player)
            return "empty";
        const std::string user = std::to_string(player->userId);
        return table.IsRobot(chair) ? "robot " + user : "user " + user + " sits down";
    }

    static int Count(const tools::TableServer& server, uint32_t id)
    {
        const auto it = server.RequestCounts().find(id);
        return it == server.RequestCounts().end() ? 0 : it->second;
    }

    static void Say(const std::string& line)
    {
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    }

    std::array<std::string, 4> m_seats { "empty", "empty", "empty", "empty" };
    int m_finished = 0;
    int m_started = 0;
    int m_turn = -1;
    int m_plays = 0;
    int m_passes = 0;
    size_t m_links = 0;
};

std::string Ids(const table::PlayRecord& play)
{
    std::vector<int> ids(play.cards, play.cards + std::clamp(play.count, 0, table::kMaxPlayCards));
    std::sort(ids.begin(), ids.end());
    std::string text;
    for (const int id : ids)
        text += " " + std::to_string(id);
    return text;
}

// The deal as the move left it: what a client at the table must show too.
void SayState(tools::Table& table, const tools::MoveResult& r)
{
    const tools::Deal& deal = table.GetDeal();
    const table::FriendCardRules& rules = deal.Rules();
    const table::FriendTableState& state = rules.State();
    std::array<int, 4> cards {};
    for (int c = 0; c < 4; ++c)
        cards[static_cast<size_t>(c)] = rules.GetHandCount(c);
    std::string line = "state " + std::to_string(table.DealsFinished() + 1) + "." + std::to_string(table.MovesInDeal())
        + " (chair " + std::to_string(r.chair) + (r.passed ? " passes" : " plays" + Ids(r.play)) + "): cards "
        + tools::WordRow(cards) + "; last ";
    line += state.lastPlayChair < 0 ? "-" : std::to_string(state.lastPlayChair) + Ids(state.lastPlay);
    line += "; turn " + std::to_string(deal.CurrentChair()) + "; banker " + std::to_string(rules.GetBanker())
        + "; friend " + (state.friendRevealed < 0 ? "-" : std::to_string(state.friendRevealed));
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

void SaySettled(tools::Table& table, const table::FriendResultInfo& result)
{
    std::array<int, 4> scores {};
    std::array<int, 4> silver {};
    for (int c = 0; c < 4; ++c) {
        if (const table::TablePlayer* p = table.GetDeal().Player(c)) {
            scores[static_cast<size_t>(c)] = p->score;
            silver[static_cast<size_t>(c)] = p->silver;
        }
    }
    std::printf("%s\n", tools::SettlementLine(table.DealsFinished() + 1, result, scores, silver).c_str());
    std::fflush(stdout);
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
            " [--robot-delay MS] [--deal-show MS] [--auto-start 0|1] [--grace MS] [--keep-open 0|1]"
            " [--banker C] [--friend C] [--hostile KIND] [--hostile-after N] [--stall MS]\n",
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
    tools::Table& table = server.GetTable();
    table.SetMoveWatcher([&table](const tools::MoveResult& r) { SayState(table, r); });
    table.SetSettleWatcher([&table](const table::FriendResultInfo& result) { SaySettled(table, result); });
    table.SetHostileWatcher([](int chair, tools::Hostility kind) {
        std::printf("hostile: %s to chair %d\n", tools::HostilityName(kind), chair);
        std::fflush(stdout);
    });
    TableWatch watch;
    while (!g_stop && !(server.Done() && !options.keepOpen)) {
        server.RunOnce(200);
        watch.Look(server);
    }
    std::printf("%d deals played\n", server.GetTable().DealsFinished());
    return 0;
}
