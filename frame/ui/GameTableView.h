#pragma once
// The frame's part of the table view, the engine object "MainGame" that the
// main view shows in its centre. The card layer derives its table view from
// it and fills the empty hooks. The frame's own work is small: the replay
// recorder child, the idle kick (a player who never starts is asked to
// leave after the room's idle time) and the low-income allowance requests
// with the wait text shown while they block.
//
// User-interface thread only.

#include "engine/objects/RectObject.h"
#include "frame/core/GameFrameCalls.h"

#include <cstddef>
#include <cstdint>
#include <memory>

class GameState;

namespace frame {

// Events the frame's table view takes.
inline constexpr int EVT_TABLE_NOTICE = 80000063;  // notification 211920, the body as received
inline constexpr int EVT_PLAYER_NOTICE = 80000064; // notification 211430, the body as received
inline constexpr int EVT_IDLE_KICK = 80000097;     // the idle-kick timer ran out

// Where the text of a table notice lies in its body.
inline constexpr size_t kTableNoticeTextOffset = 32;
// The word of the enter data (reply 210200) with the idle-kick seconds.
inline constexpr size_t kIdleKickOffset = 56;

inline constexpr double kReplayRecorderDepth = 10000.0;
inline constexpr uint32_t kReplayRecorderMaxGapMs = 5000;

class GameTableView : public engine::RectObject, public TableViewCalls {
public:
    GameTableView() = default;
    ~GameTableView() override;

    // Takes the table notice, the portrait notice and the idle kick, and
    // swallows every other event.
    int OnEvent(const engine::EngineEvent& event) override;

    // ---- hooks of the card layer ----------------------------------------
    virtual void OnTableArranged() { }
    // The recorder child, only when replays are recorded for every table or
    // the client plays a replay; null otherwise.
    virtual engine::EngineObject* CreateReplayRecorder();
    virtual void OnTableReset() { }
    virtual void ResetCards() { }
    virtual void OnRoundStart() { }

    // ---- idle kick ------------------------------------------------------
    // Reads the room's idle seconds from the enter data.
    virtual void LoadIdleKickTime();
    // Arms the one pending kick (rooms whose option B has both idle bits).
    virtual void StartIdleKickTimer();
    void StopIdleKickTimer() override;

    // ---- requests -------------------------------------------------------
    virtual void RequestNewTable();
    virtual void FetchAllowanceConfig(int value);
    virtual void ClaimAllowance(int value, int kind);
    virtual void ClaimAllowanceChecked(int value, int kind);

    // ---- notices (bodies as received) -----------------------------------
    virtual void OnTableNotice(const uint8_t* /*data*/, size_t /*size*/) { }
    virtual void OnPlayerNotice(const uint8_t* /*data*/, size_t /*size*/) { }

    GameState* GetGameState() const;
    engine::RectObject* GetMainView() const;
    engine::EngineObject* GetReplayRecorder() const { return m_replayRecorder; }
    int GetIdleKickSeconds() const { return m_idleKickSeconds; }
    uint64_t GetIdleKickAction() const { return m_idleKickAction; }

protected:
    // Makes the recorder object of the replay panels; the frame alone has
    // none, the table views above it make theirs.
    virtual std::unique_ptr<engine::EngineObject> MakeReplayRecorder(bool /*matchMode*/) { return nullptr; }
    // The recorder's longest gap between two recorded steps.
    virtual void SetReplayMaxGap(engine::EngineObject* /*recorder*/, uint32_t /*ms*/) { }

private:
    engine::EngineObject* m_replayRecorder = nullptr; // not owned: the object module owns it
    uint64_t m_idleKickAction = 0;
    int m_idleKickSeconds = -1;
};

} // namespace frame
