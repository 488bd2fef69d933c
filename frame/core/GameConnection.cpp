#include "frame/core/GameConnection.h"

#include "frame/core/CGameFrameApp.h"
#include "frame/core/WaitCursor.h"
#include "net/NetMessage.h"
#include "platform/Clock.h"
#include "platform/Gbk.h"
#include "platform/IniFile.h"
#include "platform/Bytes.h"

#include <cstring>

namespace {

// The proxy fields are 32-byte texts: at most 31 bytes, never half a
// character.
std::string Field31(std::string text)
{
    size_t keep = 0;
    while (keep < text.size()) {
        const size_t step = platform::Gbk::IsLeadByte(static_cast<uint8_t>(text[keep])) ? 2 : 1;
        if (keep + step > 31)
            break;
        keep += step;
    }
    text.resize(std::min(keep, text.size()));
    return text;
}

// A reply body read as text: up to its first zero, never past its end.
std::string BodyText(const uint8_t* body, uint32_t length)
{
    if (!body)
        return {};
    const auto* begin = reinterpret_cast<const char*>(body);
    return std::string(begin, strnlen(begin, length));
}

} // namespace

GameConnection::GameConnection()
    : net::SocketConnection(nullptr, 0, 0, 0, true, net::kMaxChunk)
{
}

GameConnection::~GameConnection()
{
    // The base's destructor cannot reach our Close: stop the link while the
    // proxy socket still exists.
    Close();
}

const std::array<uint8_t, 16>& GameConnection::CipherKey()
{
    // Shared with the game server (and the scripted server's default).
    static constexpr std::array<uint8_t, 16> key = { 0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09,
        0x0a, 0x0b, 0x0c, 0x0d, 0x0e, 0x0f };
    return key;
}

int GameConnection::SetCipherKey()
{
    return SetCodecParams(CipherKey().data(), 128, 0x100, 0);
}

int GameConnection::Close()
{
    if (m_proxySocket)
        m_proxySocket->Close();
    return net::SocketConnection::Close();
}

int GameConnection::Connect(const std::string& name, const std::string& host, int port, bool& proxyFailed)
{
    frame::WaitCursor cursor;
    proxyFailed = false;
    net::SocketConnection::Close();

    const auto* hello = reinterpret_cast<const uint8_t*>(kHello);
    const uint32_t helloLength = sizeof(kHello); // with its terminating zero
    int result = 0;
    if (m_proxy.need) {
        m_proxySocket = std::make_unique<net::ProxyConnectSocket>();
        const bool credentials = !m_proxy.user.empty();
        if (!m_proxySocket->ConnectWithTimeout(host, port, m_proxy.type, m_proxy.host, m_proxy.port,
                credentials ? m_proxy.user.c_str() : nullptr, credentials ? m_proxy.password.c_str() : nullptr,
                10)) {
            proxyFailed = true;
            return 0;
        }
        // The link takes the tunnel's socket over; the proxy object keeps
        // nothing to close.
        const int socket = m_proxySocket->Detach();
        result = Attach(socket, m_notifyThread, false, hello, helloLength, 10000, "", 0, 5);
    } else {
        result = net::SocketConnection::Connect(host, port, 10, m_notifyThread, false, hello, helloLength, 10000);
    }
    if (result) {
        m_port = port;
        m_name = Field31(name);
        m_serverHost = Field31(host);
    }
    return result;
}

void GameConnection::LoadProxySettings(const std::string& hallIniPath)
{
    const platform::IniFile ini(hallIniPath);
    m_proxy.need = ini.GetInt("PROXY", "Need", 0);
    m_proxy.port = ini.GetInt("PROXY", "Port", 1080);
    m_proxy.type = ini.GetInt("PROXY", "Sock", net::kProxySocks5);
    m_proxy.host = Field31(ini.GetString("PROXY", "Host", ""));
    m_proxy.user = Field31(ini.GetString("PROXY", "User", ""));
    m_proxy.password = Field31(ini.GetString("PROXY", "pwd", ""));
}

int GameConnection::Request(std::string& errorText, uint32_t requestId, const uint8_t* data, uint32_t length,
    RequestReply& reply, bool wait)
{
    frame::WaitCursor cursor;
    reply.length = 0;
    reply.data.reset();
    if (!IsConnected()) {
        reply.code = kReplyNotConnected;
        errorText = "与服务器连接断开。";
        return 0;
    }

    net::MessageContext context;
    context.socket = static_cast<uint32_t>(GetSocket());
    context.expectsReply = wait ? 1 : 0;
    net::NetMessage message;
    message.messageId = requestId;
    message.bodyLength = data ? length : 0;
    if (message.bodyLength) {
        message.body = std::make_unique<uint8_t[]>(message.bodyLength);
        std::memcpy(message.body.get(), data, message.bodyLength);
    }

    const uint32_t start = platform::TickMs();
    net::NetMessage answer;
    int timedOut = 0;
    if (!SendRequest(context, message, &answer, &timedOut, GetRequestTimeout(requestId) * 1000, 0, 0, true)) {
        if (timedOut) {
            reply.code = kReplyTimedOut;
            errorText = "请求处理超时。";
        } else {
            errorText = "请求发送失败。";
        }
        return 0;
    }
    if (!wait)
        return 1;

    RecordRoundTrip(platform::TickMs() - start);

    reply.code = answer.messageId;
    reply.length = answer.bodyLength;
    reply.data = std::move(answer.body);
    if (reply.code == kReplyServerText) {
        errorText = BodyText(reply.data.get(), reply.length);
        reply.data.reset();
        reply.length = 0;
        return 0;
    }
    GetReplyText(errorText, reply.code);
    return 1;
}

int GameConnection::GetRequestTimeout(uint32_t requestId) const
{
    switch (requestId) {
    case 200110:
    case 201220:
    case 214000:
    case 214001:
    case 214010:
        return 30;
    case kRequestVersion:
        return 15;
    case 201130:
        return 5;
    default:
        return 10;
    }
}

void GameConnection::GetReplyText(std::string& text, uint32_t code) const
{
    switch (code) {
    case 1000: text = "对象不存在。"; break;
    case 1001: text = "对象已存在。"; break;
    case 1010: text = "请求处理失败。"; break;
    case 10000: text = "不支持的请求。"; break;
    case 210008: text = "用户认证失败。"; break;
    case 210010: text = "游戏还没有准备好,请稍候再旁观。"; break;
    case 210020: text = "没有空余的旁观位置。"; break;
    case 210060:
    case 210070:
    case 210078:
    case 210535: text = "进入游戏失败，请重新开始。"; break;
    default: break;
    }
}

namespace {

// The safe box's texts; false for codes it does not know.
bool SafeBoxText(std::string& text, uint32_t code)
{
    switch (code) {
    case 60017: text = "该功能暂不支持。"; return true;
    case 60019: text = "非常抱歉，系统正在维护中，请稍候再操作。"; return true;
    case 60023:
    case 60027: text = "请求失败，请您重新登录大厅进行身份验证。"; return true;
    case 60038: text = "密码位数不正确。"; return true;
    case 60039: text = "请先登录游戏大厅。"; return true;
    case 60040: text = "对不起，此房间已关闭，请到别的房间。"; return true;
    case 60050: text = "该房间暂时关闭，请换一个房间。"; return true;
    case 60078: text = "房间未开放。"; return true;
    case 60087: text = "服务器繁忙！"; return true;
    case 60101: text = "帐户已被禁用，请与管理员联系。"; return true;
    default: return false;
    }
}

} // namespace

void GameConnection::GetSafeBoxReplyText(std::string& text, uint32_t code) const
{
    if (!SafeBoxText(text, code))
        text = "操作失败！";
}

void GameConnection::GetGeneralReplyText(std::string& text, uint32_t code) const
{
    switch (code) {
    case 1000:
    case 1001:
    case 1010:
    case 10000: GetReplyText(text, code); return;
    case 1011: text = "无效的参数。"; return;
    case 1020: text = "密码错误。"; return;
    case 60021: text = "密码太简单，容易被盗号，请换一个密码。"; return;
    case 60023: text = "与服务器连接已经断开。"; return;
    case 60035: text = "没有许可！"; return;
    case 60043: text = "用户名位数不正确。"; return;
    case 60060: text = "身份证号码无效，请准确输入您本人的身份证号码。"; return;
    case 60061: text = "真实姓名无效，请准确输入您本人的真实姓名。"; return;
    default: SafeBoxText(text, code); return;
    }
}

int GameConnection::CheckVersion(std::string& text, int& newerMajor, int& newerMinor)
{
    RequestReply reply;
    std::string requestText;
    // The body starts with the server's major and minor version; anything
    // shorter is no answer at all.
    if (!Request(requestText, kRequestVersion, nullptr, 0, reply, true) || reply.length < 8) {
        text = "服务器繁忙，请稍候再试。";
        return 0;
    }
    const int major = static_cast<int32_t>(platform::LoadLe32(reply.data.get()));
    const int minor = static_cast<int32_t>(platform::LoadLe32(reply.data.get() + 4));
    if (major > m_versionMajor) {
        text = "您的游戏程序太旧了,必须下载新的程序才能玩游戏。";
        newerMajor = major;
        return 0;
    }
    if (major < m_versionMajor || minor < m_versionMinor) {
        text = "服务正在更新中，请稍候再试。";
        return 0;
    }
    if (minor > m_versionMinor) {
        text = "您的游戏程序需要更新。";
        newerMinor = minor;
        return 0;
    }
    return 1;
}

CGameFrameApp* GameConnection::GetApp() const
{
    return CGameFrameApp::Current();
}
