#pragma once
// The state of the game at the table as the frame and the card layer see
// it. The game implements it; the frame reaches it through
// CGameFrameApp::GetGameState and reads only what is declared here.
//
// The base keeps the player's exit requests: how many the main view has
// sent and when the last one went out, so that a close soon after a
// request waits for the other players instead of asking again.

#include <cstdint>

class GameState {
public:
    GameState() = default;
    virtual ~GameState() = default;
    GameState(const GameState&) = delete;
    GameState& operator=(const GameState&) = delete;

    virtual bool IsPlaying() const = 0;
    virtual int GetTableWord48() const = 0;
    virtual bool IsChairReady(int chair) const = 0;
    // Bit 0x100: the play phase.
    virtual int GetStatus() const = 0;
    virtual void SetStatus(int value) = 0;
    // The round number.
    virtual int GetTableWord32() const = 0;
    // The base silver.
    virtual int GetTableWord36() const = 0;
    // The base score.
    virtual int GetTableWord40() const = 0;
    // The chair whose turn it is.
    virtual int GetTableWord56() const = 0;
    virtual int GetTableWord52() const = 0;
    virtual void ResetTable() = 0;
    virtual void SetTableWord56(int value) = 0;
    virtual void SetChairReady(int chair) = 0;
    // The chair's status word (bit 0x10 automatic play, 0x08 and 0x20
    // offline); 0 for a game that keeps none.
    virtual int GetChairStatus(int /*chair*/) const { return 0; }
    // Forgets the exit requests; the game also clears every chair's ready
    // mark.
    virtual void ResetFlags();

    int GetExitRequestCount() const { return m_exitRequestCount; }
    void SetExitRequestCount(int count) { m_exitRequestCount = count; }
    // Tick of the last exit request; 0 when none is pending.
    uint32_t GetExitRequestTick() const { return m_exitRequestTick; }
    void SetExitRequestTick(uint32_t tick) { m_exitRequestTick = tick; }
    // One more exit request sent at tick `now`. A request at tick 0 is kept
    // as tick 1, since 0 means that none is pending.
    void RecordExitRequest(uint32_t now);

private:
    int m_exitRequestCount = 0;
    uint32_t m_exitRequestTick = 0;
};
