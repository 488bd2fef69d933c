#pragma once
// A game's table state with nothing in it: not playing, no chair ready,
// every word 0, and setters that keep nothing. A test derives from it to
// answer only what it looks at.

#include "frame/core/GameState.h"

namespace frametest {

class StubGameState : public GameState {
public:
    bool IsPlaying() const override { return false; }
    int GetTableWord48() const override { return 0; }
    bool IsChairReady(int) const override { return false; }
    int GetStatus() const override { return 0; }
    void SetStatus(int) override { }
    int GetTableWord32() const override { return 0; }
    int GetTableWord36() const override { return 0; }
    int GetTableWord40() const override { return 0; }
    int GetTableWord56() const override { return 0; }
    int GetTableWord52() const override { return 0; }
    void ResetTable() override { }
    void SetTableWord56(int) override { }
    void SetChairReady(int) override { }
};

} // namespace frametest
