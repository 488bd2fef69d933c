#pragma once
// Commands that pages of the embedded web view give through links with the
// client's own schemes. Every navigation a page starts is wrapped in a
// WebUrlCommand first; when the address is a command the navigation is
// cancelled and the command carried out instead:
//   "qheold:..."  opens in place, in the page, with the signing query;
//   "qhenew:..."  opens in the system browser;
//   "qheapp://<word>/" asks the lobby to change clothing or to make the
//                 player a member; "memberclose" is taken and does nothing.
// "qheold:" and "qhenew:" addresses become http addresses with the same
// host, path and query, so a page can never reach anything else through
// them.

#include "frame/core/HallRecords.h"
#include "frame/core/WebAddresses.h"
#include "platform/Window.h"

#include <cstdint>
#include <memory>
#include <string>

namespace frame {

// To the owner's window: wParam carries the WebUrlCommand to open (take it
// with TakeUrlCommand, call Open, let it go).
inline constexpr uint32_t WM_WEB_URLCOMMAND = 0x85B9;
// The app commands go to the lobby's frame window as WM_HALL_CHANGECLOTHING
// and WM_HALL_BECOMEMEMBER (HallRecords.h), wParam = the own user id.

// What a command needs of the page control that met the address. The
// control's window receives WM_WEB_URLCOMMAND (a window that goes first
// drops the queued commands unopened); a control that goes first leaves
// its commands with nothing to open.
class WebUrlOwner {
public:
    WebUrlOwner();
    virtual ~WebUrlOwner();
    WebUrlOwner(const WebUrlOwner&) = delete;
    WebUrlOwner& operator=(const WebUrlOwner&) = delete;
    // Whether the owner still exists: a command opened after its page
    // control went does nothing.
    static bool IsLive(const WebUrlOwner* owner);
    // The window that receives WM_WEB_URLCOMMAND.
    virtual platform::WindowHandle GetUrlCommandWindow() const = 0;
    // Navigates the page in place (no flags, target, headers or post data).
    virtual void NavigateInPlace(const std::string& url) = 0;
};

class WebUrlCommand {
public:
    // The URL is copied; the owner is not owned.
    WebUrlCommand(WebUrlOwner* owner, std::string url, WebSession session);
    virtual ~WebUrlCommand() = default;
    WebUrlCommand(const WebUrlCommand&) = delete;
    WebUrlCommand& operator=(const WebUrlCommand&) = delete;

    // Scheme tests; letter case is ignored.
    virtual bool IsOld() const;   // begins with "qheold:"
    virtual bool IsNew() const;   // begins with "qhenew:"
    virtual bool IsBlank() const; // is "about:blank"
    virtual bool IsHttp() const;  // begins with "http:"
    virtual bool IsApp() const;   // begins with "qheapp:"

    // Opens a "qheold:" or "qhenew:" address (the owner calls it on
    // WM_WEB_URLCOMMAND): the http form of the URL, signed unless the
    // client runs stand-alone, in the system browser ("qhenew:") or in place
    // ("qheold:"). True when it was one of the two.
    virtual bool Open();

    // The URL with its scheme word replaced by "http": "http" followed by
    // the URL from its first ':' on; "http" alone when it holds no ':'.
    virtual std::string GetHttpUrl() const;

    // Carries out an app command ("qheapp://<word>/", the whole URL
    // compared without case); true when the URL was one.
    virtual bool RunAppCommand();

    const std::string& GetUrl() const { return m_url; }
    WebUrlOwner* GetOwner() const { return m_owner; }

private:
    std::string m_url;
    WebUrlOwner* m_owner;
    WebSession m_session;
};

// Decides a navigation: 1 when the address was a command (the caller
// cancels the navigation), 0 otherwise. Takes the command over: a
// "qheold:" or "qhenew:" command travels to the owner's window in
// WM_WEB_URLCOMMAND (freed here when that post fails), an app command is
// carried out at once; the object is freed once it is no longer needed.
int HandleUrlCommand(std::unique_ptr<WebUrlCommand> command);

// The owner's side of WM_WEB_URLCOMMAND: the command back from wParam.
std::unique_ptr<WebUrlCommand> TakeUrlCommand(uintptr_t wParam);
// Frees a posted command that was never handled; the disposer of
// WM_WEB_URLCOMMAND.
void DisposeUrlCommandPost(const platform::Message& message);

} // namespace frame
