#include "tools/tableserver/TableSession.h"

#include "platform/Clock.h"

#include <array>
#include <utility>

namespace tools {

namespace {
// Unwritten output beyond which a client that does not read is dropped.
constexpr size_t kMaxPendingOutput = 8 * 1024 * 1024;
// A length word no frame can have (the largest is 4056 bytes).
constexpr uint32_t kOversizeLength = 0x7FFFFFF0u;
// The CRC word of a frame: after the length word and header words 0-2.
constexpr size_t kCrcWordAt = 16;
// The notification the faults wear (the turn sync: no body to read).
constexpr uint32_t kFaultCarrier = 221168;

constexpr std::array<std::pair<Hostility, const char*>, 4> kHostilityNames { {
    { Hostility::kBadFrame, "bad-frame" },
    { Hostility::kOversize, "oversize" },
    { Hostility::kDrop, "drop" },
    { Hostility::kStall, "stall" },
} };
} // namespace

bool ParseHostility(const std::string& text, Hostility& out)
{
    for (const auto& [kind, name] : kHostilityNames) {
        if (text == name) {
            out = kind;
            return true;
        }
    }
    return false;
}

const char* HostilityName(Hostility kind)
{
    for (const auto& [k, name] : kHostilityNames) {
        if (k == kind)
            return name;
    }
    return "none";
}

TableSession::TableSession(platform::Socket socket, const StageOptions& stages)
    : m_socket(std::move(socket))
    , m_reader(stages.key, true)
    , m_writer(stages)
{
    m_socket.SetNonBlocking(true);
    m_socket.SetNoDelay(true);
}

bool TableSession::Read(std::vector<LinkMessage>& requests)
{
    if (!Open())
        return false;
    char buffer[16384];
    bool closed = false;
    for (;;) {
        platform::IoResult r = platform::RecvSome(m_socket.Fd(), buffer, sizeof buffer);
        if (r.status == platform::IoResult::kOk) {
            m_reader.Feed(buffer, r.bytes);
            continue;
        }
        closed = r.status != platform::IoResult::kWouldBlock;
        break;
    }
    for (;;) {
        LinkMessage message;
        std::string hello;
        LinkReader::Result result = m_reader.Next(message, hello, m_error);
        if (result == LinkReader::kNeedMore)
            break;
        if (result == LinkReader::kError)
            return false;
        if (result == LinkReader::kHello) {
            if (hello != GameHello()) {
                m_error = "unexpected hello of " + std::to_string(hello.size()) + " bytes";
                return false;
            }
            continue;
        }
        if (message.type != kFrameMessage) {
            m_error = "a reply from the client";
            return false;
        }
        requests.push_back(std::move(message));
    }
    if (closed) {
        m_error = "closed by the client";
        m_closedByPeer = true;
    }
    return !closed;
}

bool TableSession::Write()
{
    if (Stalled())
        return true;
    // The stall starts once what was queued before it has gone out: the
    // client holds the turn it was given, and then hears nothing.
    if (m_hostility == Hostility::kStall && !m_stallStarted && m_outOffset == m_out.size()) {
        m_stallStarted = true;
        m_stallUntil = platform::TickMs() + static_cast<uint32_t>(m_stallMs);
        return true;
    }
    if (m_closeAfterWrite && m_outOffset == m_out.size()) {
        m_error = "closed by the server";
        return false;
    }
    while (Open() && m_outOffset < m_out.size()) {
        platform::IoResult r = platform::SendSome(m_socket.Fd(), m_out.data() + m_outOffset, m_out.size() - m_outOffset);
        if (r.status == platform::IoResult::kOk) {
            m_outOffset += r.bytes;
            continue;
        }
        if (r.status != platform::IoResult::kWouldBlock) {
            m_error = "write failed";
            return false;
        }
        break;
    }
    if (m_outOffset == m_out.size()) {
        m_out.clear();
        m_outOffset = 0;
        if (m_hostility == Hostility::kStall && !m_stallStarted) {
            m_stallStarted = true;
            m_stallUntil = platform::TickMs() + static_cast<uint32_t>(m_stallMs);
            return true;
        }
        if (m_closeAfterWrite) {
            m_error = "closed by the server";
            return false;
        }
    } else if (m_out.size() - m_outOffset > kMaxPendingOutput) {
        m_error = "client does not read";
        return false;
    }
    return Open();
}

void TableSession::Close()
{
    m_socket.Close();
    m_out.clear();
    m_outOffset = 0;
}

void TableSession::Notify(uint32_t id, std::string body)
{
    if (!Open() || Hostile())
        return;
    PlainMessage m;
    m.head[1] = id;
    m.body = std::move(body);
    m_out += m_writer.Message(m);
}

void TableSession::Reply(uint32_t wireMessageId, uint32_t code, std::string body)
{
    if (!Open() || Hostile())
        return;
    PlainMessage m;
    m.head[1] = code;
    m.body = std::move(body);
    m_out += m_writer.Reply(wireMessageId, m);
}


void TableSession::TurnHostile(Hostility kind, int stallMs)
{
    if (!Open() || Hostile() || kind == Hostility::kNone)
        return;
    PlainMessage carrier;
    carrier.head[1] = kFaultCarrier;
    switch (kind) {
    case Hostility::kBadFrame: {
        std::string frame = m_writer.Message(carrier, false, true);
        for (size_t i = kCrcWordAt; i < kCrcWordAt + 4 && i < frame.size(); ++i)
            frame[i] = static_cast<char>(frame[i] ^ 0x5A);
        m_out += frame;
        break;
    }
    case Hostility::kOversize:
        PutU32(m_out, kOversizeLength);
        m_out.append(16, '\xAB');
        break;
    case Hostility::kDrop: {
        const std::string frame = m_writer.Message(carrier);
        m_out += frame.substr(0, frame.size() / 2);
        m_closeAfterWrite = true;
        break;
    }
    case Hostility::kStall:
        m_stallMs = stallMs > 0 ? stallMs : 0;
        m_closeAfterWrite = true;
        break;
    case Hostility::kNone:
        break;
    }
    m_hostility = kind;
}

bool TableSession::Stalled() const
{
    return m_stallStarted && static_cast<int32_t>(platform::TickMs() - m_stallUntil) < 0;
}

} // namespace tools
