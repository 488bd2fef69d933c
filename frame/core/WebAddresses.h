#pragma once
// Web page addresses of the frame and the system browser: where the
// addresses come from, how one is signed for the logged-in user with the
// lobby's token, and how a page is opened without blocking the
// user-interface thread.
//
// Pages open through platform::OpenExternal (xdg-open, the address as its
// one argument, never a shell), and only http and https addresses are
// opened: the addresses come from the lobby, the server, ini files and
// pages, none of which may start a local program or open a local file.

#include "frame/core/FrameRecords.h"
#include "platform/Window.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace frame {

// The browser has been started (or could not be); wParam carries the
// BrowserOpenRequest, which the frame window takes back with
// TakeBrowserOpenRequest and frees, then hides the wait text.
inline constexpr uint32_t WM_FRAME_URLOPENED = 0x8618;

// The longest address handed to the browser, in bytes.
inline constexpr size_t kBrowserAddressMax = 1023;
// How long the "opening" wait text stays up, in seconds.
inline constexpr int kBrowserWaitSeconds = 15;

// What the address code needs of the running client. The application
// fills it (see the functions' notes); tests fill it with stand-ins.
struct WebSession {
    int userId = 0;
    // Replays run without a lobby: nothing can sign, so addresses stay
    // unsigned.
    bool standAlone = false;
    // Where WM_FRAME_URLOPENED goes: the main window (0 without one).
    platform::WindowHandle mainWindow = 0;
    // The lobby's sign token (CGameFrameApp::FetchHallSign); empty when the
    // lobby does not answer. Called on the user-interface thread and may
    // wait there.
    std::function<std::string()> fetchSign;
    // A wait text shown for some seconds (CGameFrameApp::ShowWaitTextTimed).
    std::function<void(const std::string& text, int seconds)> showWaitText;
    // A message to the lobby's frame window (CGameFrameApp::PostToHallFrame).
    std::function<bool(uint32_t message, uintptr_t wParam, intptr_t lParam)> postToHall;
};

// base followed by query: after '?' when base holds no '?', else after
// '&'. An empty query gives base unchanged.
std::string AppendUrlQuery(std::string_view base, std::string_view query);

// "uid=<user id>&sign=<token>".
std::string SignQuery(int userId, std::string_view sign);

// The address unchanged when sign is false or the client runs stand-alone;
// otherwise with the signing query of the user and the lobby's token
// appended (the token's value is empty when the lobby gave none).
std::string BuildSignedUrl(const WebSession& session, std::string_view address, bool sign);

// An http or https address (scheme in any case) with something after "//".
bool IsWebAddress(std::string_view address);

// The address as handed to the browser: bytes that do not belong in an
// address (GBK characters, controls, space, quotes, angle brackets and the
// like) written as %XX of the byte, so the server gets the very bytes the
// address holds and the opener sees plain ASCII.
std::string EncodeForBrowser(std::string_view address);

// The wait text while a page opens: "正在打开%s..." with at most the first
// 32 bytes of the address (cut on a character boundary).
std::string BrowserWaitText(std::string_view address);

// ---- address sources --------------------------------------------------------

// [ADVERT] WWW3 of the game ini with spaces trimmed; when empty,
// "http://<advert host>/advert/window/<game id>/vk.htm" with the room's
// advertisement host.
std::string GetAdvertPageUrl(const std::string& gameIniPath, const RoomInfo& room, int gameId);
// [ADVERT] Pay of the game ini with spaces trimmed; empty when absent.
std::string GetPayPageUrl(const std::string& gameIniPath);

// ---- the browser launch -----------------------------------------------------

// One launch, handed to its thread and back to the window.
struct BrowserOpenRequest {
    platform::WindowHandle window = 0;
    std::string address;  // at most kBrowserAddressMax bytes
    bool started = false; // set by the thread: the opener could be started
};

// Opens the page in the system browser without waiting for it: the wait
// text for the address, then a request for the session's main window with
// the (signed) address cut to kBrowserAddressMax bytes, carried out on a
// short-lived thread of its own. The wait cursor shows meanwhile (signing
// may wait for the lobby). False, with nothing shown or started, when the
// address is not an http or https address or the thread cannot start.
bool OpenUrlInBrowser(const WebSession& session, std::string_view address, bool sign);

// The request for a window, the address cut to kBrowserAddressMax bytes on
// a character boundary.
std::unique_ptr<BrowserOpenRequest> MakeBrowserOpenRequest(platform::WindowHandle window,
    std::string_view address);

// Starts the opener for the request's address (refusing any that is not an
// http or https address); the outcome in job.started.
void LaunchBrowser(BrowserOpenRequest& job);

// Posts the finished request to its window as WM_FRAME_URLOPENED; the
// window owns it from then on. When the post fails (no window, or the
// window has gone) the request is freed here.
void DeliverBrowserOpen(std::unique_ptr<BrowserOpenRequest> job);

// LaunchBrowser and DeliverBrowserOpen on a detached thread that owns the
// request until the post succeeds. False (the request freed) when the
// thread cannot start.
bool StartBrowserOpen(std::unique_ptr<BrowserOpenRequest> job);

// The frame window's side of WM_FRAME_URLOPENED: the request back from the
// message's wParam (null for 0).
std::unique_ptr<BrowserOpenRequest> TakeBrowserOpenRequest(uintptr_t wParam);
// Frees a posted request that was never handled; the disposer of
// WM_FRAME_URLOPENED.
void DisposeBrowserOpenPost(const platform::Message& message);

} // namespace frame
