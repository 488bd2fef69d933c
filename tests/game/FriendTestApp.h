#pragma once
// The game's application without a window, for the game's notification
// tests and fuzz target: four chairs, the game data as the game state and
// as the enter buffers, and recording stand-ins for the main view, the
// game's table view and side pane. Every call that reaches them is one line
// of a log, in the main view's forms of notifytest (notices, chat lines,
// pane events) plus:
//
//   box <seconds> <flags> <head>|<text>    a message box
//   view.<call> [args]                     a call of the game's table view
//   pane.scores, pane.matchlist            the side pane's refreshes
//   view.record <id> <length>              a notification handed to the recorder

#include "game/FriendGameData.h"
#include "game/FriendTableCalls.h"
#include "tests/frame/core/NotifyTestApp.h"

#include <span>
#include <string>

namespace friendtest {

using notifytest::Hex;
using notifytest::Log;

inline std::string Sized(const char* call, size_t length)
{
    return std::string(call) + " " + std::to_string(length);
}

class MainView : public notifytest::RecordingMainView {
public:
    explicit MainView(Log& log)
        : RecordingMainView(log)
        , m_log(log)
    {
    }
    void ShowMessageBox(const std::string& text, const frame::BoxEvent* ok, const frame::BoxEvent* cancel,
        int seconds, uint32_t flags, const std::string& head) override
    {
        m_log.push_back(std::string(ok || cancel ? "box+events " : "box ") + std::to_string(seconds) + " "
            + Hex(flags) + " " + head + "|" + text);
    }

private:
    Log& m_log;
};

// The game's table view. The round's header and result lines write what
// the game data holds when they are called.
class TableView : public notifytest::RecordingObject, public game::FriendTableCalls {
public:
    TableView(Log& log, const game::FriendGameData& data)
        : RecordingObject(log, "table")
        , m_log(log)
        , m_data(data)
    {
    }
    void OnPlayerStarted(int chair) override { m_log.push_back("view.started " + std::to_string(chair)); }
    void OnTableMessage(const game::TableMessage& message) override
    {
        m_log.push_back("view.message " + std::to_string(message.kind));
    }
    void OnPlayerOffline(int userId) override { m_log.push_back("view.offline " + std::to_string(userId)); }
    void OnPassed(const game::PassedTurn& pass) override { m_log.push_back("view.passed " + std::to_string(pass.chair)); }
    void OnCardsThrown(const game::ThrownPlay& thrown) override
    {
        m_log.push_back("view.thrown " + std::to_string(thrown.chair) + " " + std::to_string(thrown.play.count));
    }

    void ShowChatLine(const uint8_t*, size_t length) override { m_log.push_back(Sized("view.chat", length)); }
    void OnTableChatLine(const uint8_t*, size_t length) override { m_log.push_back(Sized("view.tablechat", length)); }
    void BuildQrCodePicture(const std::string& text) override { m_log.push_back("view.qr|" + text); }
    void OnOwnExitAgreed(const uint8_t*, size_t length) override { m_log.push_back(Sized("view.exitagreed", length)); }
    void ShowRoundHeader() override
    {
        int ready = 0;
        for (int chair = 0; chair < game::FriendGameData::kChairFlagWords; ++chair)
            ready |= m_data.IsChairReady(chair) ? 1 << chair : 0;
        m_log.push_back("view.header round " + std::to_string(m_data.GetTableWord32()) + " ready "
            + std::to_string(ready) + " result " + std::to_string(m_data.GetResultRecord().teamResult));
    }
    void ShowRoundResultLines() override
    {
        m_log.push_back("view.result playing " + std::to_string(m_data.IsPlaying()) + " kind "
            + std::to_string(m_data.GetResultRecord().teamResult));
    }
    void ResetRoundState() override { m_log.push_back("view.reset banker " + std::to_string(m_data.GetTableWord52())); }
    void RefreshSeatedBoards() override
    {
        m_log.push_back("view.boards banker " + std::to_string(m_data.GetTableWord52()));
    }
    void OnBonusCounts(const uint8_t*, size_t length) override { m_log.push_back(Sized("view.bonuscounts", length)); }
    void OnWinStreakAward(const uint8_t*, size_t length) override { m_log.push_back(Sized("view.winstreak", length)); }
    void OnBonusAward(const uint8_t*, size_t length) override { m_log.push_back(Sized("view.bonus", length)); }
    void OnRoundsAward(const uint8_t*, size_t length) override { m_log.push_back(Sized("view.rounds", length)); }
    void OnServerNotify(uint32_t id, const uint8_t*, size_t length) override
    {
        m_log.push_back("view.record " + std::to_string(id) + " " + std::to_string(length));
    }

private:
    Log& m_log;
    const game::FriendGameData& m_data;
};

class SidePane : public notifytest::RecordingObject, public game::FriendPaneCalls {
public:
    explicit SidePane(Log& log)
        : RecordingObject(log, "pane")
        , m_log(log)
    {
    }
    void RefreshScores() override { m_log.push_back("pane.scores"); }
    void RefreshMatchList() override { m_log.push_back("pane.matchlist"); }

private:
    Log& m_log;
};

// The frame's test application with the game's data, views and exit flag.
class FriendTestApp : public notifytest::NotifyTestApp, public game::FriendAppCalls {
public:
    engine::RectObject* GetMainView() const override { return ViewsOn() ? &m_view : nullptr; }
    engine::EngineObject* GetTableView() const override { return ViewsOn() ? &m_tableView : nullptr; }
    engine::EngineObject* GetSystemPane() const override { return ViewsOn() ? &m_pane : nullptr; }
    GameState* GetGameState() override { return &m_data; }
    std::span<uint8_t> GetEnterDataBuffer() override { return m_data.TableInfoBuffer(); }
    std::span<uint8_t> GetLookOnDataBuffer() override { return m_data.TableStateBuffer(); }
    bool IsExitAgreed() const override { return m_exitAgreed; }
    void SetExitAgreed() override { m_exitAgreed = true; }
    bool IsRoomOptionC20000() const override { return recording; }

    game::FriendGameData& Data() { return m_data; }
    void ClearExitAgreed() { m_exitAgreed = false; }
    bool recording = false;

private:
    bool m_exitAgreed = false;
    game::FriendGameData m_data;
    mutable MainView m_view { LogLines() };
    mutable TableView m_tableView { LogLines(), m_data };
    mutable SidePane m_pane { LogLines() };
};

} // namespace friendtest
