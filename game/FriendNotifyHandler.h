#pragma once
// This game's layer of the notification dispatcher: the game's own ids
// (round start, round result, table state, the award notifications) become
// calls on the game data (FriendGameData) and on the game's table view
// (FriendTableCalls); a few of the frame's ids get the game's handling
// (chat at the seats, the end of a game when a player leaves, a player who
// left, the QR-code text, the round start behind the seat list); every
// other id goes down to the card layer and the frame.
//
// Bodies come from the server: a body shorter than the record a handler
// reads is logged and dropped and chairs outside the table are refused; the
// card layer's records refuse a play or shown hand of more than a hand.
//
// User-interface thread only.

#include "cards/CardNotifyHandler.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace game {

class FriendGameData;
class FriendTableCalls;

// The game's notification ids.
constexpr uint32_t kNotifyRoundStart = 211040;
constexpr uint32_t kNotifyRoundResult = 211080;
constexpr uint32_t kNotifyTableState = 211160;
constexpr uint32_t kNotifyBonusCounts = 402000;
constexpr uint32_t kNotifyWinStreakAward = 404000;
constexpr uint32_t kNotifyBonusAward = 406001;
constexpr uint32_t kNotifyRoundsAward = 406004;

class FriendNotifyHandler : public CardNotifyHandler {
public:
    // The ids the game handles itself, in the order of its dispatch.
    static std::span<const uint32_t> GameIds();

    explicit FriendNotifyHandler(CGameFrameApp& app);
    ~FriendNotifyHandler() override;

    void Dispatch(uint32_t id, const uint8_t* body, size_t length) override;

    // 201210: the frame's chat line to the side pane, then the chat at the
    // seat.
    void OnChatText(const uint8_t* body, size_t length) override;
    // 211000 (28): +4 the chair that left, +8 forced exit, +20 score change,
    // +24 silver change. The frame ends the table; the game says why.
    void OnGameAborted(const uint8_t* body, size_t length) override;
    // 211200: the table view's line, then the side pane's.
    void OnChatText2(const uint8_t* body, size_t length) override;
    // 211920 (32 + text): the text from +32 becomes a QR-code picture.
    void On211920(const uint8_t* body, size_t length) override;
    // 211010 (36): +4 chair, +32 agreed exit. Replaces the frame's handling.
    void OnPlayerLeft(const uint8_t* body, size_t length) override;
    // The bytes behind the seat list of 211028 are a round-start record.
    void OnSeatPlayersTail(const uint8_t* tail, size_t length) override;

    // 211040 (216): the round's start record.
    virtual void OnRoundStart(const uint8_t* body, size_t length);
    // 211080 (1408): the round's result.
    virtual void OnRoundResult(const uint8_t* body, size_t length);
    // 211160 (5488): the whole table state.
    virtual void OnTableState(const uint8_t* body, size_t length);

protected:
    FriendTableCalls* FriendCalls() const;
    FriendGameData* GameData() const;

private:
    void ShowLeaveNotices(int chair, bool agreed);
    void BringMainWindowToFront() const;
};

} // namespace game
