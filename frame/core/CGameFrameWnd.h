#pragma once
// The frame window: the engine's host window as the client's main window.
// It covers the work area, keeps five timers (lobby watch, notice download,
// delayed close, the wait for the lobby's init data, pulse), takes every server message the communication
// thread relays and hands it to the notification handler under the
// engine's frame lock, reacts to a lost connection, runs the close sequence
// (asking the server whether the player may leave), and shows the room's
// notice file. The game's main window derives from it.
//
// User-interface thread only.

#include "engine/objects/COrbitVaneWnd.h"
#include "platform/CopyData.h"

#include <cstdint>
#include <string>

class CGameFrameApp;

// Messages of the frame window.
constexpr uint32_t WM_FRAME_INITDONE = 0x85B1;
constexpr uint32_t WM_FRAME_POSTEVENT = 0x85B5;

// Timer ids.
constexpr uint32_t kTimerHallWatch = 1;
constexpr uint32_t kTimerNotice = 2;
constexpr uint32_t kTimerDelayedClose = 3;
constexpr uint32_t kTimerInitWait = 4;
constexpr uint32_t kTimerPulse = 5;

class CGameFrameWnd : public engine::COrbitVaneWnd {
public:
    explicit CGameFrameWnd(CGameFrameApp& app);
    ~CGameFrameWnd() override;

    // Creates the window over the work area and starts the lobby watch.
    bool Create(std::string_view title, int width, int height, uint32_t style = platform::kWindowResizable) override;

    virtual void StartPulseTimer(int seconds);
    virtual void StartPulse() { StartPulseTimer(60); }
    // Starts the notice timer (match form) with the period in seconds.
    virtual void StartNoticeTimer(int seconds);
    virtual void OnConnectionLost();
    // The lobby's leave message: "<name>已经退出,游戏结束。" for 3 seconds,
    // then the window closes (unless the table was aborted meanwhile).
    virtual void OnTableClosed(const uint8_t* data, size_t size);
    // Fetches the room's notice file on a thread of its own.
    virtual void StartNotifyDownload();
    // The lobby has been told the window exists: its init data must come
    // within kInitWaitMs, else the client says so and ends as for refused
    // data (a lobby that could not send them leaves no other sign).
    static constexpr uint32_t kInitWaitMs = 30000;
    void StartInitWait() { Start(kTimerInitWait, kInitWaitMs); }

    uint32_t LastReceiveTick() const { return m_lastReceiveTick; }

protected:
    void OnDestroy() override;
    void OnClose() override;
    void OnTimer(uint32_t timerId) override;
    intptr_t OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
    void OnCopyData(const platform::CopyDataRecord& record) override;

    // The steps of the close sequence; true when the window may go.
    virtual bool MayClose();
    virtual void OnNetMessage(uintptr_t context, intptr_t message);
    virtual void OnInitDone();
    virtual void OnNotifyFile(uintptr_t job);
    // The lobby's records, deciphered.
    virtual void OnHallRecord(uintptr_t type, const uint8_t* data, size_t size);
    virtual void OnHallInitGame(const uint8_t* data, size_t size);
    virtual void OnHallInitMatch(const uint8_t* data, size_t size);
    virtual void OnHallLookerJoined(const uint8_t* data, size_t size);
    virtual void OnHallLeaveTable(const uint8_t* data, size_t size);
    // The lobby's init data refused or missing: the text in the wait
    // display, a pause, then the window closes.
    void OnInitFailed(const std::string& text);
    virtual void OnHallShowPlayer(const uint8_t* data, size_t size);

    CGameFrameApp& App() const { return m_app; }

private:
    bool Start(uint32_t timerId, uint32_t intervalMs);
    void Stop(uint32_t timerId);

    CGameFrameApp& m_app;
    bool m_timers[6] = {};
    uint32_t m_lastReceiveTick = 0;
};
