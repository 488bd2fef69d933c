#pragma once
// What a close request leads to at a table: the decision alone, from the
// facts the view gathers, so that every branch can be checked by itself.

#include <cstdint>
#include <string>

namespace frame {

// The server's reply to 201130 while a game is running.
inline constexpr uint32_t kExitWaitMs = 30000;

struct QuitFacts {
    bool lookOn = false;
    // The server said the game is still running (reply 210030).
    bool gameRunning = false;
    bool inGame = false;
    // Tick of the last exit request (0: none) and the tick now.
    uint32_t exitTick = 0;
    uint32_t now = 0;
    bool mayRequestForcedQuit = false;
    bool quitLocked = false;
};

enum class QuitStep {
    kLeave,          // leave the seat and close
    kWaitForAnswers, // a request is still out: the wait line in the chat
    kAskOthers,      // the forced-quit reason box
    kStayLocked,     // the quit-locked room's message
    kConfirmLeave,   // the leave confirmation (OK leaves)
};

QuitStep DecideQuit(const QuitFacts& facts);

// The seconds still to wait for the other players' answers.
int ExitWaitSecondsLeft(uint32_t exitTick, uint32_t now);

// The texts of the decision's boxes and lines.
std::string ExitWaitLine(int secondsLeft);
extern const char* const kQuitLockedText;
extern const char* const kConfirmLeaveText;
std::string ForcedQuitText(bool silverRoom);

} // namespace frame
