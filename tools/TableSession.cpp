#include "tools/TableSession.h"

namespace tools {

namespace {
// Unwritten output beyond which a client that does not read is dropped.
constexpr size_t kMaxPendingOutput = 8 * 1024 * 1024;
} // namespace

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
    if (!Open())
        return;
    PlainMessage m;
    m.head[1] = id;
    m.body = std::move(body);
    m_out += m_writer.Message(m);
}

void TableSession::Reply(uint32_t wireMessageId, uint32_t code, std::string body)
{
    if (!Open())
        return;
    PlainMessage m;
    m.head[1] = code;
    m.body = std::move(body);
    m_out += m_writer.Reply(wireMessageId, m);
}

} // namespace tools
