#include "frame/core/WebAddresses.h"

#include "frame/core/FrameConfig.h"
#include "frame/core/WaitCursor.h"
#include "platform/IniFile.h"
#include "platform/OpenExternal.h"

#include <strings.h>
#include <system_error>
#include <thread>

namespace frame {

namespace {

constexpr size_t kWaitTextAddressBytes = 32;

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && strncasecmp(text.data(), prefix.data(), prefix.size()) == 0;
}

bool NeedsEscape(unsigned char c)
{
    if (c <= 0x20 || c >= 0x7F)
        return true;
    switch (c) {
    case '"':
    case '<':
    case '>':
    case '\\':
    case '^':
    case '`':
    case '{':
    case '|':
    case '}':
        return true;
    default:
        return false;
    }
}

std::string TrimmedIniValue(const std::string& gameIniPath, std::string_view key)
{
    std::string value = platform::IniFile(gameIniPath).GetString("ADVERT", key, "");
    return TrimSpaces(value);
}

} // namespace

std::string AppendUrlQuery(std::string_view base, std::string_view query)
{
    std::string out(base);
    if (query.empty())
        return out;
    out += base.find('?') == std::string_view::npos ? '?' : '&';
    out += query;
    return out;
}

std::string SignQuery(int userId, std::string_view sign)
{
    return "uid=" + std::to_string(userId) + "&sign=" + std::string(sign);
}

std::string BuildSignedUrl(const WebSession& session, std::string_view address, bool sign)
{
    if (!sign || session.standAlone)
        return std::string(address);
    const std::string token = session.fetchSign ? session.fetchSign() : std::string();
    return AppendUrlQuery(address, SignQuery(session.userId, token));
}

bool IsWebAddress(std::string_view address)
{
    for (std::string_view scheme : { std::string_view("http://"), std::string_view("https://") }) {
        if (StartsWithNoCase(address, scheme))
            return address.size() > scheme.size();
    }
    return false;
}

std::string EncodeForBrowser(std::string_view address)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(address.size());
    for (char ch : address) {
        const auto c = static_cast<unsigned char>(ch);
        if (NeedsEscape(c)) {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += ch;
        }
    }
    return out;
}

std::string BrowserWaitText(std::string_view address)
{
    return "正在打开" + GbkCut(address, kWaitTextAddressBytes) + "...";
}

std::string GetAdvertPageUrl(const std::string& gameIniPath, const RoomInfo& room, int gameId)
{
    std::string url = TrimmedIniValue(gameIniPath, "WWW3");
    if (url.empty())
        url = "http://" + room.AdvertHost() + "/advert/window/" + std::to_string(gameId) + "/vk.htm";
    return url;
}

std::string GetPayPageUrl(const std::string& gameIniPath)
{
    return TrimmedIniValue(gameIniPath, "Pay");
}

// ---- the browser launch ---------------------------------------------------------

bool OpenUrlInBrowser(const WebSession& session, std::string_view address, bool sign)
{
    if (!IsWebAddress(address))
        return false;
    WaitCursor cursor;
    if (session.showWaitText)
        session.showWaitText(BrowserWaitText(address), kBrowserWaitSeconds);
    return StartBrowserOpen(MakeBrowserOpenRequest(session.mainWindow, BuildSignedUrl(session, address, sign)));
}

std::unique_ptr<BrowserOpenRequest> MakeBrowserOpenRequest(platform::WindowHandle window, std::string_view address)
{
    auto job = std::make_unique<BrowserOpenRequest>();
    job->window = window;
    job->address = GbkCut(address, kBrowserAddressMax);
    return job;
}

void LaunchBrowser(BrowserOpenRequest& job)
{
    job.started = IsWebAddress(job.address) && platform::OpenExternal(EncodeForBrowser(job.address));
}

void DisposeBrowserOpenPost(const platform::Message& message)
{
    delete reinterpret_cast<BrowserOpenRequest*>(message.wParam);
}

std::unique_ptr<BrowserOpenRequest> TakeBrowserOpenRequest(uintptr_t wParam)
{
    return std::unique_ptr<BrowserOpenRequest>(reinterpret_cast<BrowserOpenRequest*>(wParam));
}

void DeliverBrowserOpen(std::unique_ptr<BrowserOpenRequest> job)
{
    BrowserOpenRequest* raw = job.get();
    if (raw
        && platform::PostMessage(raw->window, WM_FRAME_URLOPENED, reinterpret_cast<uintptr_t>(raw), 0,
            DisposeBrowserOpenPost))
        job.release(); // the window owns it now
}

bool StartBrowserOpen(std::unique_ptr<BrowserOpenRequest> job)
{
    if (!job)
        return false;
    try {
        std::thread([job = std::move(job)]() mutable {
            LaunchBrowser(*job);
            DeliverBrowserOpen(std::move(job));
        }).detach();
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

} // namespace frame
