#include "frame/core/UrlCommands.h"

#include <mutex>
#include <unordered_set>

#include <strings.h>

namespace frame {

namespace {

constexpr char kOld[] = "qheold:";
constexpr char kNew[] = "qhenew:";
constexpr char kApp[] = "qheapp:";
constexpr char kHttp[] = "http:";
constexpr char kBlank[] = "about:blank";

struct AppCommand {
    const char* word;
    uint32_t message; // 0: taken, nothing sent
};

constexpr AppCommand kAppCommands[] = {
    { "changeclothing", WM_HALL_CHANGECLOTHING },
    { "becomemember", WM_HALL_BECOMEMEMBER },
    { "memberclose", 0 },
};

bool StartsWithNoCase(const std::string& text, std::string_view prefix)
{
    return text.size() >= prefix.size() && strncasecmp(text.data(), prefix.data(), prefix.size()) == 0;
}

bool EqualsNoCase(const std::string& text, const std::string& other)
{
    return text.size() == other.size() && strcasecmp(text.c_str(), other.c_str()) == 0;
}

// The owners that exist now.
struct LiveOwners {
    std::mutex lock;
    std::unordered_set<const WebUrlOwner*> owners;
};

LiveOwners& Owners()
{
    static LiveOwners live;
    return live;
}

} // namespace

WebUrlOwner::WebUrlOwner()
{
    std::lock_guard guard(Owners().lock);
    Owners().owners.insert(this);
}

WebUrlOwner::~WebUrlOwner()
{
    std::lock_guard guard(Owners().lock);
    Owners().owners.erase(this);
}

bool WebUrlOwner::IsLive(const WebUrlOwner* owner)
{
    std::lock_guard guard(Owners().lock);
    return owner && Owners().owners.count(owner) != 0;
}

WebUrlCommand::WebUrlCommand(WebUrlOwner* owner, std::string url, WebSession session)
    : m_url(std::move(url))
    , m_owner(owner)
    , m_session(std::move(session))
{
}

bool WebUrlCommand::IsOld() const { return StartsWithNoCase(m_url, kOld); }
bool WebUrlCommand::IsNew() const { return StartsWithNoCase(m_url, kNew); }
bool WebUrlCommand::IsBlank() const { return EqualsNoCase(m_url, kBlank); }
bool WebUrlCommand::IsHttp() const { return StartsWithNoCase(m_url, kHttp); }
bool WebUrlCommand::IsApp() const { return StartsWithNoCase(m_url, kApp); }

std::string WebUrlCommand::GetHttpUrl() const
{
    const size_t colon = m_url.find(':');
    return colon == std::string::npos ? std::string("http") : "http" + m_url.substr(colon);
}

bool WebUrlCommand::Open()
{
    const std::string url = GetHttpUrl();
    const bool sign = !m_session.standAlone;
    if (IsNew()) {
        OpenUrlInBrowser(m_session, url, sign);
        return true;
    }
    if (IsOld()) {
        if (WebUrlOwner::IsLive(m_owner))
            m_owner->NavigateInPlace(BuildSignedUrl(m_session, url, sign));
        return true;
    }
    return false;
}

bool WebUrlCommand::RunAppCommand()
{
    if (!IsApp())
        return false;
    for (const AppCommand& command : kAppCommands) {
        if (!EqualsNoCase(m_url, std::string(kApp) + "//" + command.word + "/"))
            continue;
        if (command.message != 0 && m_session.postToHall)
            m_session.postToHall(command.message, static_cast<uintptr_t>(m_session.userId), 0);
        return true;
    }
    return false;
}

void DisposeUrlCommandPost(const platform::Message& message)
{
    delete reinterpret_cast<WebUrlCommand*>(message.wParam);
}

std::unique_ptr<WebUrlCommand> TakeUrlCommand(uintptr_t wParam)
{
    return std::unique_ptr<WebUrlCommand>(reinterpret_cast<WebUrlCommand*>(wParam));
}

int HandleUrlCommand(std::unique_ptr<WebUrlCommand> command)
{
    if (!command)
        return 0;
    if (command->IsOld() || command->IsNew()) {
        const platform::WindowHandle window = command->GetOwner() ? command->GetOwner()->GetUrlCommandWindow() : 0;
        WebUrlCommand* raw = command.get();
        if (platform::PostMessage(window, WM_WEB_URLCOMMAND, reinterpret_cast<uintptr_t>(raw), 0,
                DisposeUrlCommandPost))
            command.release(); // the owner's window has it now
        return 1;
    }
    return command->RunAppCommand() ? 1 : 0;
}

} // namespace frame
