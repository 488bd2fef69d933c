#pragma once
// The frame's connection to the game server: the network library's message
// connection plus the lobby's proxy settings, the message cipher key, the
// connect-and-hello sequence, one blocking request operation with a
// time-out per request id, the texts of reply codes, and round-trip
// statistics for the pulse.
//
// Every operation runs on the user-interface thread and blocks it while it
// waits; the network thread only stores replies and posts notifications to
// the notify thread (the communication thread).

#include "net/ProxySocket.h"
#include "net/SocketConnection.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

class CGameFrameApp;

// Results that Request reports in place of a server's reply code.
constexpr uint32_t kReplyNotConnected = 1031;
constexpr uint32_t kReplyTimedOut = 1030;
// The server refused with a text of its own, carried in the reply body.
constexpr uint32_t kReplyServerText = 60031;

// Request 201001: the server's version.
constexpr uint32_t kRequestVersion = 201001;

// The lobby's [PROXY] section.
struct ProxySettings {
    int need = 0;
    int port = 1080;
    int type = net::kProxySocks5;
    std::string host;
    std::string user;
    std::string password;
};

// What Request hands back.
struct RequestReply {
    uint32_t code = 0;
    uint32_t length = 0;
    std::unique_ptr<uint8_t[]> data; // length bytes, null when 0; the caller's
};

class GameConnection : public net::SocketConnection {
public:
    GameConnection();
    ~GameConnection() override;

    // The message key shared with the game server (AES-128).
    static const std::array<uint8_t, 16>& CipherKey();
    static constexpr const char kHello[] = "Hello! Game Channel.";

    virtual int SetCipherKey();
    int Close() override;
    // Connects directly or through the lobby's proxy and sends the hello.
    // proxyFailed is set when the proxy could not be reached, so that the
    // caller can name the proxy host.
    virtual int Connect(const std::string& name, const std::string& host, int port, bool& proxyFailed);
    virtual std::string GetProxyHost() const { return m_proxy.host; }
    virtual void SetNotifyThread(uint32_t threadId) { m_notifyThread = threadId; }
    uint32_t NotifyThread() const { return m_notifyThread; }
    virtual void LoadProxySettings(const std::string& hallIniPath);
    const ProxySettings& Proxy() const { return m_proxy; }

    // Sends request id with its body. wait: block for the reply (up to
    // GetRequestTimeout(id) seconds). 1 when a reply came, whatever its
    // code (callers test reply.code); 0 with errorText set otherwise:
    // not connected (code 1031), timed out (1030), send failed (code left
    // as the caller set it), or the server's own refusal (60031, its text).
    // With wait 0, 1 means the message was handed to the socket.
    virtual int Request(std::string& errorText, uint32_t requestId, const uint8_t* data, uint32_t length,
        RequestReply& reply, bool wait);
    virtual int GetRequestTimeout(uint32_t requestId) const;
    // Leaves the text unchanged for codes it does not know.
    virtual void GetReplyText(std::string& text, uint32_t code) const;
    virtual void GetSafeBoxReplyText(std::string& text, uint32_t code) const;
    virtual void GetGeneralReplyText(std::string& text, uint32_t code) const;

    // Request 201001 against the program's version. 1 when equal; 0 with a
    // text otherwise, and the server's newer major or minor when the
    // program is the older side.
    virtual int CheckVersion(std::string& text, int& newerMajor, int& newerMinor);

    // The running application (null when none).
    virtual CGameFrameApp* GetApp() const;

    // Round trips of waited requests since the last reset (the pulse reads
    // and resets them).
    struct RoundTrips {
        uint32_t totalMs = 0;
        uint32_t count = 0;
        uint32_t maxMs = 0;
    };
    const RoundTrips& GetRoundTrips() const { return m_roundTrips; }
    void ResetRoundTrips() { m_roundTrips = {}; }

    int ConnectedPort() const { return m_port; }
    const std::string& ConnectedHost() const { return m_serverHost; }

    // The program version CheckVersion compares with; the application sets
    // it from its own.
    void SetProgramVersion(int major, int minor)
    {
        m_versionMajor = major;
        m_versionMinor = minor;
    }

private:
    int m_port = 0;
    std::string m_name;
    std::string m_serverHost;
    ProxySettings m_proxy;
    uint32_t m_notifyThread = 0;
    std::unique_ptr<net::ProxyConnectSocket> m_proxySocket;
    RoundTrips m_roundTrips;
    int m_versionMajor = 0;
    int m_versionMinor = 0;
};
