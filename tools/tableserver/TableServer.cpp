#include "tools/tableserver/TableServer.h"

#include "platform/Files.h"

#include <poll.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <limits>

namespace tools {

namespace {

template <class T>
bool ParseNumber(const std::string& text, T low, T high, T& out)
{
    T value {};
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < low || value > high)
        return false;
    out = value;
    return true;
}

} // namespace

bool ParseTableServerArgs(const std::vector<std::string>& args, TableServerOptions& out, std::string& error)
{
    constexpr int kMaxInt = std::numeric_limits<int>::max();
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        if (i + 1 >= args.size()) {
            error = option.rfind("--", 0) == 0 ? option + " needs a value" : "unexpected argument " + option;
            return false;
        }
        const std::string& value = args[++i];
        auto bad = [&](const char* what) {
            error = option + " " + value + ": " + what;
            return false;
        };
        if (option == "--listen") {
            const size_t colon = value.rfind(':');
            uint16_t port = 0;
            if (colon == std::string::npos || colon == 0
                || !ParseNumber<uint16_t>(value.substr(colon + 1), 0, 65535, port))
                return bad("expected HOST:PORT");
            out.host = value.substr(0, colon);
            out.port = port;
            if (!platform::ParseIpv4(out.host, port))
                return bad("expected a dotted IPv4 address");
        } else if (option == "--rules") {
            std::string contents;
            if (!platform::ReadFile(value, contents))
                return bad("cannot be read");
            out.table.rulesPath = value;
        } else if (option == "--seed") {
            uint32_t seed = 0;
            if (!ParseNumber<uint32_t>(value, 0, std::numeric_limits<uint32_t>::max(), seed))
                return bad("expected a number from 0 to 4294967295");
            out.table.seed = seed;
        } else if (option == "--deals") {
            if (!ParseNumber(value, 1, kMaxInt, out.table.deals))
                return bad("expected a positive number");
        } else if (option == "--turn-seconds") {
            if (!ParseNumber(value, 1, 3600, out.table.turnSeconds))
                return bad("expected seconds from 1 to 3600");
        } else if (option == "--robot-delay") {
            if (!ParseNumber(value, 0, 600000, out.table.robotDelayMs))
                return bad("expected milliseconds from 0 to 600000");
        } else if (option == "--deal-show") {
            if (!ParseNumber(value, 0, 600000, out.table.dealShowMs))
                return bad("expected milliseconds from 0 to 600000");
        } else if (option == "--auto-start") {
            if (value != "0" && value != "1")
                return bad("expected 0 or 1");
            out.table.autoStart = value == "1";
        } else if (option == "--grace") {
            if (!ParseNumber(value, 0, 600000, out.table.graceMs))
                return bad("expected milliseconds from 0 to 600000");
        } else if (option == "--banker") {
            if (!ParseNumber(value, 0, 3, out.table.bankerChair))
                return bad("expected a chair from 0 to 3");
        } else if (option == "--friend") {
            if (!ParseNumber(value, 0, 3, out.table.friendChair))
                return bad("expected a chair from 0 to 3");
        } else if (option == "--hostile") {
            if (!ParseHostility(value, out.table.hostile))
                return bad("expected bad-frame, oversize, drop or stall");
        } else if (option == "--hostile-after") {
            if (!ParseNumber(value, 0, 1000, out.table.hostileAfterMoves))
                return bad("expected a number of moves from 0 to 1000");
        } else if (option == "--stall") {
            if (!ParseNumber(value, 0, 600000, out.table.stallMs))
                return bad("expected milliseconds from 0 to 600000");
        } else if (option == "--keep-open") {
            if (value != "0" && value != "1")
                return bad("expected 0 or 1");
            out.keepOpen = value == "1";
        } else {
            error = "unknown option " + option;
            return false;
        }
    }
    return true;
}

TableServer::TableServer(TableServerOptions options)
    : m_options(std::move(options))
    , m_table(m_options.table)
{
}

bool TableServer::Listen()
{
    m_listener = platform::ListenTcp(m_options.host, m_options.port, 16);
    if (!m_listener.Valid() || !m_listener.SetNonBlocking(true))
        return false;
    m_port = platform::LocalPort(m_listener.Fd());
    return m_port != 0;
}

bool TableServer::Done() const
{
    if (!m_table.Finished())
        return false;
    return std::none_of(m_sessions.begin(), m_sessions.end(), [](const auto& s) { return s->WantsWrite(); });
}

void TableServer::Accept()
{
    for (;;) {
        platform::Socket incoming = platform::AcceptTcp(m_listener.Fd());
        if (!incoming.Valid())
            return;
        m_sessions.push_back(std::make_unique<TableSession>(std::move(incoming), m_options.stages));
    }
}

void TableServer::Serve(TableSession& session, short events)
{
    if (events & (POLLIN | POLLHUP | POLLERR)) {
        std::vector<LinkMessage> requests;
        const bool open = session.Read(requests);
        for (const LinkMessage& request : requests) {
            ++m_requestCounts[request.message.Id()];
            m_table.Handle(session, request);
        }
        if (!open) {
            if (!session.ClosedByPeer()) {
                std::fprintf(stderr, "table-server: a link ended: %s\n", session.LastError().c_str());
                m_linkErrors.push_back(session.LastError());
            }
            m_table.Leave(session);
            session.Close();
        }
    }
}

void TableServer::DropClosed()
{
    for (auto& s : m_sessions) {
        if (s->Open() && !s->Write()) {
            m_table.Leave(*s);
            s->Close();
        }
    }
    m_sessions.erase(std::remove_if(m_sessions.begin(), m_sessions.end(), [](const auto& s) { return !s->Open(); }),
        m_sessions.end());
}

void TableServer::RunOnce(int maxWaitMs)
{
    std::vector<pollfd> fds;
    fds.push_back({ m_listener.Fd(), POLLIN, 0 });
    // A stalled link is left alone: not even its hang-up is looked at.
    for (const auto& s : m_sessions)
        fds.push_back({ s->Stalled() ? -1 : s->Fd(), static_cast<short>(POLLIN | (s->WantsWrite() ? POLLOUT : 0)), 0 });
    int timeout = maxWaitMs;
    const int due = m_table.MsUntilDue();
    if (due >= 0 && (timeout < 0 || due < timeout))
        timeout = due;
    const int ready = poll(fds.data(), fds.size(), timeout);
    if (ready > 0) {
        if (fds[0].revents & POLLIN)
            Accept();
        // Sessions accepted just now come after the polled ones.
        const size_t polled = fds.size() - 1;
        for (size_t i = 0; i < polled; ++i) {
            if (fds[i + 1].revents != 0 && m_sessions[i]->Open())
                Serve(*m_sessions[i], fds[i + 1].revents);
        }
    }
    m_table.OnTimer();
    DropClosed();
}

} // namespace tools
