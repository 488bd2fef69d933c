#pragma once
// What the frame's core asks of the main view. The main view (the root
// engine object "GameFrame", built above the frame's core) implements it;
// the core finds it through CGameFrameApp::GetMainViewCalls and does nothing
// while there is none. Every body below is the main view's concern; the
// defaults do nothing, so a view may implement only what it shows.
//
// Bodies are passed as received, with their length; the view reads them
// through a bounded reader.

#include <cstddef>
#include <cstdint>
#include <string>

namespace engine {
struct EngineEvent;
}

namespace frame {

class PlayerRecord;

// Box flags of the frame's message boxes.
constexpr uint32_t SIB_TWO_BUTTONS = 0x01;
constexpr uint32_t SIB_EXPIRE_CANCEL = 0x04;
constexpr uint32_t SIB_HEAD_PICTURE = 0x10;
constexpr uint32_t SIB_HEAD_ANIMATED = 0x20;

// An event a box button sends: {receiver object id, code, param, data}.
struct BoxEvent {
    uint32_t receiver = 0;
    uint32_t code = 0;
    intptr_t param = 0;
    intptr_t data = 0;
};

class GameFrameCalls {
public:
    virtual ~GameFrameCalls() = default;

    // ---- boxes -------------------------------------------------------
    virtual void ShowMessageBox(const std::string& /*text*/, const BoxEvent* /*ok*/, const BoxEvent* /*cancel*/,
        int /*seconds*/, uint32_t /*flags*/, const std::string& /*head*/)
    {
    }
    // The confirm box: OK leaves the seat and closes, Cancel closes.
    virtual void ShowConfirmBox(const std::string& /*text*/, int /*seconds*/, uint32_t /*flags*/,
        const std::string& /*head*/)
    {
    }
    virtual void ShowConfirmBoxEx(const std::string& /*text*/, const std::string& /*link*/, bool /*signedLink*/,
        int /*seconds*/, uint32_t /*flags*/, const std::string& /*head*/, const std::string& /*okPicture*/,
        const std::string& /*cancelPicture*/)
    {
    }
    virtual void ShowSystemBoard(const std::string& /*text*/, uint32_t /*colour*/, int /*size*/) { }
    virtual void PlayViewSound(const std::string& /*name*/) { }

    // ---- entering ------------------------------------------------------
    virtual void OnEnterGameReply(const uint8_t* /*data*/, size_t /*size*/) { }
    virtual void OnEnterLookOnReply(const uint8_t* /*data*/, size_t /*size*/) { }
    virtual void OnEnterReplyAlt(const uint8_t* /*data*/, size_t /*size*/) { }
    virtual void OnMatchEnterReply(const uint8_t* /*data*/, size_t /*size*/) { }
    virtual void ShowNotSignedUp(const uint8_t* /*data*/, size_t /*size*/) { }
    virtual void ShowWashout(const uint8_t* /*data*/, size_t /*size*/) { }
    virtual void ShowMatchEnded(const uint8_t* /*data*/, size_t /*size*/) { }
    virtual void ShowMatchLate(const uint8_t* /*data*/, size_t /*size*/) { }
    virtual void ShowMatchStarted(const uint8_t* /*data*/, size_t /*size*/) { }
    virtual void ShowMatchSystemCancel(const uint8_t* /*data*/, size_t /*size*/) { }
    virtual void ShowMatchSelfCancel(const uint8_t* /*data*/, size_t /*size*/) { }
    virtual void ShowWaitSignUpCheck(const uint8_t* /*data*/, size_t /*size*/) { }
    virtual void ShowMatchRejected(const uint8_t* /*data*/, size_t /*size*/) { }

    // ---- players and seats -------------------------------------------
    virtual void OnPlayerEnter(const PlayerRecord& /*record*/) { }
    virtual void OnPlayerLeave(const PlayerRecord& /*record*/) { }
    virtual void OnLookerEnter(const PlayerRecord& /*record*/) { }
    // Tells the views and clears the record.
    virtual void OnLookerLeave(PlayerRecord& /*record*/) { }
    virtual void OnRandomSeat() { }
    virtual void OnTableChanged() { }
    virtual void ShowSelectedPlayerDetail() { }
    virtual void OnSilverNotice(const uint8_t* /*data*/, size_t /*size*/) { }
    virtual void OnServerText(const uint8_t* /*data*/, size_t /*size*/) { }
    // The lobby's show-player record.
    virtual void ShowPlayerDetailPanel(const uint8_t* /*data*/, size_t /*size*/) { }
    // The user whose details the detail panel shows while visible, else 0.
    virtual int DetailPanelUserId() const { return 0; }
    virtual void PlacePlayerBoardSmall(int /*userId*/, int /*x*/, int /*y*/) { }

    // ---- quitting ------------------------------------------------------
    virtual void ShowQuitRequest(const uint8_t* /*data*/, size_t /*size*/) { }
    virtual void ShowQuitConfirmBoard() { }
    virtual void RequestForcedQuit() { }

    // ---- matches -------------------------------------------------------
    virtual void OnMatchNextRound() { }
    virtual void OnMatchBegin() { }
    virtual void QueueMatchEnd(const uint8_t* /*data*/, size_t /*size*/) { }
    virtual void QueueMatchResult(const uint8_t* /*data*/, size_t /*size*/) { }
    virtual void ShowTablesRemaining(const uint8_t* /*data*/, size_t /*size*/) { }
    virtual void ShowMatchPlayer(const uint8_t* /*data*/, size_t /*size*/) { }
    virtual void OnSignUpOk(const uint8_t* /*data*/, size_t /*size*/) { }
    virtual void OnWithdrawn(const uint8_t* /*data*/, size_t /*size*/) { }

    // ---- window --------------------------------------------------------
    virtual int GetMinWindowWidth() const { return 800; }
    virtual int GetMinWindowHeight() const { return 600; }
    // 1 while the window has the work area's size.
    virtual bool IsFitToWorkArea() const { return true; }
};

// What the frame window asks of the side pane's advertisement bar (the
// pane's child kAdvertBarObject).
inline constexpr const char* kAdvertBarObject = "AdvertBar";
class AdvertPageCalls {
public:
    virtual ~AdvertPageCalls() = default;
    // Opens the advert page.
    virtual void LoadPage() { }
};

// What the frame's core asks of the table view.
class TableViewCalls {
public:
    virtual ~TableViewCalls() = default;
    virtual void StopIdleKickTimer() { }
};

} // namespace frame
