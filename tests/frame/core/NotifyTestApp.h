#pragma once
// A frame application without a window, for the notification handler's
// tests and fuzz target. The main view, the table view and the system pane
// are recording stand-ins, and every call that reaches them, the lobby or
// the connection is written as one line of a log:
//
//   view.<operation> [args]       a main-view call (bodies by their length)
//   notice <seconds> <flags> <head>|<text>
//   result <seconds> <flags> <head>|<text>|<link>|<signed>|<ok>|<cancel>
//   board <colour> <size>|<text>
//   sound <name>
//   chat|<line>                   a chat line (event 80000057)
//   advert|<text>                 event 80000060 with its heap text
//   table <code> <length>         another event to the table view
//   pane <code> <length>          another event to the system pane
//   hall <message> <wParam> <lParam>
//   close                         the connection closed

#include "engine/core/EngineEvent.h"
#include "engine/core/EngineObject.h"
#include "engine/objects/RectObject.h"
#include "frame/core/CGameFrameApp.h"
#include "frame/core/GameFrameCalls.h"
#include "frame/core/GameState.h"
#include "tests/frame/core/StubGameState.h"

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace notifytest {

using Log = std::vector<std::string>;

inline std::string Hex(uint32_t value)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%X", value);
    return buffer;
}

class RecordingMainView : public engine::RectObject, public frame::GameFrameCalls {
public:
    explicit RecordingMainView(Log& log)
        : m_log(log)
    {
    }

    void ShowConfirmBox(const std::string& text, int seconds, uint32_t flags, const std::string& head) override
    {
        m_log.push_back("notice " + std::to_string(seconds) + " " + Hex(flags) + " " + head + "|" + text);
    }
    void ShowConfirmBoxEx(const std::string& text, const std::string& link, bool signedLink, int seconds,
        uint32_t flags, const std::string& head, const std::string& okPicture,
        const std::string& cancelPicture) override
    {
        m_log.push_back("result " + std::to_string(seconds) + " " + Hex(flags) + " " + head + "|" + text + "|" + link
            + "|" + std::to_string(signedLink) + "|" + okPicture + "|" + cancelPicture);
    }
    // The engine object's board of the same name stays visible beside it.
    using engine::GameObject::ShowSystemBoard;
    void ShowSystemBoard(const std::string& text, uint32_t colour, int size) override
    {
        m_log.push_back("board " + Hex(colour) + " " + std::to_string(size) + "|" + text);
    }
    void PlayViewSound(const std::string& name) override { m_log.push_back("sound " + name); }

    void OnPlayerEnter(const frame::PlayerRecord& record) override { Player("view.OnPlayerEnter", record); }
    void OnPlayerLeave(const frame::PlayerRecord& record) override { Player("view.OnPlayerLeave", record); }
    // The real view tells its children and clears the record.
    void OnLookerLeave(frame::PlayerRecord& record) override
    {
        Player("view.OnLookerLeave", record);
        record.Clear();
    }
    void OnRandomSeat() override { m_log.push_back("view.OnRandomSeat"); }
    void OnTableChanged() override { m_log.push_back("view.OnTableChanged"); }
    void OnSilverNotice(const uint8_t*, size_t size) override { Body("view.OnSilverNotice", size); }
    void OnServerText(const uint8_t*, size_t size) override { Body("view.OnServerText", size); }
    void ShowQuitRequest(const uint8_t*, size_t size) override { Body("view.ShowQuitRequest", size); }
    void OnMatchNextRound() override { m_log.push_back("view.OnMatchNextRound"); }
    void OnMatchBegin() override { m_log.push_back("view.OnMatchBegin"); }
    void QueueMatchEnd(const uint8_t*, size_t size) override { Body("view.QueueMatchEnd", size); }
    void QueueMatchResult(const uint8_t*, size_t size) override { Body("view.QueueMatchResult", size); }
    void ShowTablesRemaining(const uint8_t*, size_t size) override { Body("view.ShowTablesRemaining", size); }
    void ShowMatchPlayer(const uint8_t*, size_t size) override { Body("view.ShowMatchPlayer", size); }
    void ShowMatchSystemCancel(const uint8_t*, size_t size) override { Body("view.ShowMatchSystemCancel", size); }
    void OnSignUpOk(const uint8_t*, size_t size) override { Body("view.OnSignUpOk", size); }
    void OnWithdrawn(const uint8_t*, size_t size) override { Body("view.OnWithdrawn", size); }

private:
    void Player(const char* call, const frame::PlayerRecord& record)
    {
        m_log.push_back(std::string(call) + " " + std::to_string(record.UserId()) + "@"
            + std::to_string(record.Chair()));
    }
    void Body(const char* call, size_t size) { m_log.push_back(std::string(call) + " " + std::to_string(size)); }

    Log& m_log;
};

// The table view or the system pane.
class RecordingObject : public engine::EngineObject {
public:
    RecordingObject(Log& log, std::string name)
        : m_log(log)
        , m_name(std::move(name))
    {
    }
    int OnEvent(const engine::EngineEvent& event) override
    {
        if (event.code == 80000057) {
            m_log.push_back("chat|" + std::string(engine::FromWord<const char>(event.param)));
        } else if (event.code == 80000060) {
            // The pane owns the heap text.
            m_log.push_back("advert|" + std::string(engine::FromWord<const char>(event.param)));
            engine::FreeEventBlock(event.param);
        } else {
            m_log.push_back(m_name + " " + std::to_string(event.code) + " " + std::to_string(event.data));
        }
        return 1;
    }

private:
    Log& m_log;
    std::string m_name;
};

using TestGameState = frametest::StubGameState;

// Four chairs, like the game. Views are present unless switched off.
class NotifyTestApp : public CGameFrameApp {
public:
    NotifyTestApp()
        : CGameFrameApp("KbZn", 21534, 1, 1)
    {
    }

    engine::RectObject* GetMainView() const override { return m_views ? &m_view : nullptr; }
    engine::EngineObject* GetTableView() const override { return m_views ? &m_tableView : nullptr; }
    engine::EngineObject* GetSystemPane() const override { return m_views ? &m_systemPane : nullptr; }
    int GetChairCount() const override { return 4; }
    GameState* GetGameState() override { return &m_state; }
    void CloseConnection() override { m_log.push_back("close"); }
    bool PostToHall(uint32_t message, uintptr_t wParam, intptr_t lParam) override
    {
        m_log.push_back("hall " + Hex(message) + " " + std::to_string(wParam) + " " + std::to_string(lParam));
        return true;
    }

    void SetViews(bool on) { m_views = on; }
    TestGameState& State() { return m_state; }
    Log TakeLog() { return std::exchange(m_log, {}); }

protected:
    int RunLoop() override { return 0; }
    // For a derived application's own stand-ins.
    Log& LogLines() const { return m_log; }
    bool ViewsOn() const { return m_views; }

private:
    mutable Log m_log;
    bool m_views = true;
    mutable RecordingMainView m_view { m_log };
    mutable RecordingObject m_tableView { m_log, "table" };
    mutable RecordingObject m_systemPane { m_log, "pane" };
    TestGameState m_state;
};

} // namespace notifytest
