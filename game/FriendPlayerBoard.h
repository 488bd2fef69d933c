#pragma once
// This game's player board: the card layer's board with the round's marks
// beside the name (the score counting up to its new value, the silver, the
// badge of bombs played), the banker side's team plate, the finishing
// rank, the warning lamp that lights once a round when a hand falls to
// five cards or fewer, its own character figure and the canvases of the
// chat bubble.

#include "cards/CardPlayerBoard.h"
#include "cards/ChatBubble.h"

#include <string_view>

namespace game {

// Events the board sends itself.
inline constexpr int EVT_BOARD_SCORE_COUNTED = 80000004;
inline constexpr int EVT_BOARD_BUBBLE_TIMER = 80000152;
inline constexpr int EVT_BOARD_LAMP_END = 80000153;

// The remaining cards show, and the lamp warns, from this count down to 1.
inline constexpr int kFewCards = 5;

class FriendPlayerBoard : public CardPlayerBoard {
public:
    FriendPlayerBoard(int seat, CardArea table);
    ~FriendPlayerBoard() override = default;

    int OnEvent(const engine::EngineEvent& event) override;

    void CreateBoard(int seat) override;
    void UpdatePlayer(int chair) override;
    void ClearPlayer() override;
    void ResetRound() override;
    void Redraw() override;
    void PlaceBoard() override;
    void LayoutParts() override;
    CardPoint GetClockPosition(int mode) const override;
    // Counts the score toward its new value, 5 steps or more (every
    // 100 ms); a replay sets it at once.
    void AddScore(int amount) override;
    // Shows the number only at 1 to 5 cards (and not while dealing); the
    // first time in a round it also sounds the alert and lights the lamp.
    void MoveRemainCards(int x, int y) override;
    void RefreshCharacterFigure() override;
    void HideCharacterFigure() override;
    bool IsCharacterFigureShown() const override;
    // The card layer's figure canvas is not used here.
    void UpdateCharacterFigure() override { }
    void PlaceCharacterFigure() override { }

    virtual void PlaceScore();
    virtual void SetBombCount(int count);

    void SetTeamMark(int flag);
    int GetTeamMark() const { return m_teamMark; }
    void ShowFinishRank(int frame);
    void HideFinishRank();
    void PlaceSilver();
    // The bomb badge's centre.
    void GetBombBadgePosition(double* x, double* y) const;
    int IsAlertShown() const { return m_alertShown; }

    engine::ImageNumber* GetScoreNumber() const { return m_score; }
    engine::ImageNumber* GetSilverNumber() const { return m_silver; }
    engine::CanvasObject* GetBombBadge() const { return m_badge; }
    engine::SpriteObject* GetAlertLamp() const { return m_lamp; }
    engine::SpriteObject* GetFinishRank() const { return m_rank; }
    // A table chat line in the board's speech bubble for five seconds.
    void ShowChatBubble(std::string_view text);
    ChatBubble& GetChatBubble() { return m_chat; }
    engine::CanvasObject* GetBubble() const { return m_chat.GetCanvas(); }
    engine::CanvasObject* GetBubbleText() const { return m_chat.GetTextCanvas(); }
    engine::CanvasObject* GetGameFigure() const { return m_gameFigure; }

private:
    // Runs place() with the plate turned upright, then turns it back so the
    // parts on the plate turn with it.
    template <typename Place>
    void WithPlateUpright(Place place);
    // x of the centre of a number that begins after the name.
    int AfterName(double numberWidth) const;

    ChatBubble m_chat { *this };
    int m_alertShown = 0;
    engine::ImageNumber* m_score = nullptr;       // not owned
    engine::ImageNumber* m_silver = nullptr;      // not owned
    engine::CanvasObject* m_badge = nullptr;      // not owned
    engine::SpriteObject* m_rank = nullptr;       // not owned
    engine::CanvasObject* m_gameFigure = nullptr; // not owned
    engine::SpriteObject* m_lamp = nullptr;       // not owned
    int m_teamMark = 0;
};

} // namespace game
