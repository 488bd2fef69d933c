#pragma once
// The board of one seat: a name plate ("PlayerBoardSmall") with the
// player's portrait and name, and around it what the table needs to see of
// that player: the turn, the remaining cards, automatic play or being
// offline (or the match rank badge in their place), a named animation such
// as "ready", and the character figure. The table view creates one board a
// seat, binds a chair to it and calls its operations; the board itself only
// reacts to the mouse on its plate and to its own timed events.
//
// Positions lie inside the table view's rectangle, which the board is
// given when it is made (or later through SetTableArea); while it holds
// none it asks for the "MainGame" object's rectangle.
//
// User-interface thread only.

#include "cards/CardSprite.h"

#include "engine/objects/BoundObject.h"
#include "frame/ui/CharacterPicture.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace engine {
class CanvasObject;
class ImageNumber;
class SpriteObject;
} // namespace engine

namespace game {

// Events the board sends itself (mouse on the plate).
inline constexpr int EVT_BOARD_MOUSE_ENTER = 80000001;
inline constexpr int EVT_BOARD_MOUSE_LEAVE = 80000002;
// Delivered to the main view with the chair's user id as the parameter:
// player details and the player menu.
inline constexpr int EVT_BOARD_PLAYER_DETAIL = 80000047;
inline constexpr int EVT_BOARD_PLAYER_MENU = 80000048;

inline constexpr int kCharacterFigureWidth = 135;
inline constexpr int kCharacterFigureHeight = 270;

// What the board shows of the chair bound to it.
struct BoardPlayer {
    int userId = 0;
    std::string name; // GBK
    int figure = 0;
    int silver = 0;
    int matchRank = -1; // frame of the rank badge "bit_Duan"; below 0 none
    int matchScore = 0;
};

// What the board needs to know of the room and the table.
struct BoardRoom {
    int chairs = 4;
    bool match = false;
    bool silver = false;
    bool replay = false;
    bool lookOn = false;
    int status = 0; // the table status word
};

class CardPlayerBoard : public engine::BoundObject {
public:
    CardPlayerBoard(int seat, CardArea table);
    ~CardPlayerBoard() override = default;

    // Builds the parts for the seat given at construction.
    int OnCreate() override;
    int OnEvent(const engine::EngineEvent& event) override;

    virtual void CreateBoard(int seat);
    // Binds a chair (-1 does nothing) and shows the board.
    virtual void UpdatePlayer(int chair);
    virtual void ClearPlayer();
    virtual void ResetRound();
    virtual void Redraw();
    virtual void PlaceBoard();
    virtual void LayoutParts();
    virtual void SetActive(int flag);
    virtual void ShowReady();
    virtual void HideReady();
    virtual void ShowAnimation(std::string_view pictureName);
    virtual void HideAnimation();
    // Where the turn clock of this seat stands; mode 1 and the other
    // nonzero modes move the local seat's clock further left.
    virtual CardPoint GetClockPosition(int mode) const;
    virtual void AddScore(int amount);
    // A name longer than 9 bytes is cut to at most 8 bytes, never inside a
    // double-byte character, and ends in "..".
    virtual std::string ShortenName(std::string_view name) const;
    virtual void RefreshText(int, int);
    virtual void SetAutoPlay(int flag);
    virtual void SetOffline(int flag);
    virtual bool IsOffline() const { return m_offline != 0; }
    virtual void HideAutoPlay();
    virtual void SetRemainCards(int count);
    virtual void MoveRemainCards(int x, int y);
    virtual void SetSeat(int seat) { m_seat = seat; }
    virtual void RefreshCharacterFigure();
    virtual void HideCharacterFigure();
    virtual bool IsCharacterFigureShown() const;
    virtual void Refresh(bool board, bool figure);
    virtual void UpdateCharacterFigure();
    virtual void PlaceCharacterFigure();

    // Size of the remaining-cards number (0 without it).
    double GetRemainCardsWidth() const;
    double GetRemainCardsHeight() const;

    void SetTableArea(CardArea table) { m_table = table; }
    // Set by the table view while it deals: the remaining cards stay hidden.
    void SetDealing(bool dealing) { m_dealing = dealing; }

    int GetChair() const { return m_chair; }
    int GetSeat() const { return m_seat; }
    int IsActive() const { return m_active; }
    int IsHovered() const { return m_hover; }
    int GetNameEnd() const { return m_nameEnd; }
    engine::CanvasObject* GetBoardCanvas() const { return m_board; }
    engine::CanvasObject* GetFigureCanvas() const { return m_figure; }
    engine::SpriteObject* GetStatusSprite() const { return m_status; }
    engine::SpriteObject* GetAnimationSprite() const { return m_animation; }
    engine::ImageNumber* GetRemainNumber() const { return m_remain; }

protected:
    // The table view's rectangle.
    virtual CardArea GetTableArea() const;
    // The running application's records of the chair and its room.
    virtual BoardPlayer GetBoardPlayer(int chair) const;
    virtual BoardRoom GetBoardRoom() const;
    // "Character%dType%d"; figure 0's picture when the figure has none.
    virtual std::string GetCharacterImageName(int figure, int size) const;
    // The object that gets the player-detail and player-menu events.
    virtual engine::EngineObject* GetMainViewObject() const;
    virtual void PlayBoardSound(std::string_view name);
    virtual bool IsDealing() const { return m_dealing; }

    // Parts shared by the layers.
    engine::CanvasObject* MakeBoardCanvas();
    engine::CanvasObject* MakeFigureCanvas(double depth);
    engine::SpriteObject* MakeStatusSprite();
    engine::ImageNumber* MakeNumber(std::string_view digits, uint32_t flags, std::string_view suffix,
        std::string_view suffixPicture, double depth);
    // Makes the part ride on the plate (see kRideLink).
    void AttachToPlate(engine::EngineObject* part);
    // Topmost at depth 1000, white pen, bound, named after the seat.
    void FinishBoard();
    // The plate: frame of "PlayerBoardSmall", the portrait, the name.
    void DrawPlate(int frame, uint32_t pen);
    void SubscribeMouse();
    // The rank badge in the status sprite, or the sprite hidden.
    void ShowRankOrHide();
    void ShowStatus(std::string_view pictureName);
    // The board's centre and angle for the seat.
    void PlaceBoardCanvas(bool threeChairs);
    // The board's size (that of "PlayerBoardSmall").
    int PlateWidth() const { return m_plateWidth; }
    int PlateHeight() const { return m_plateHeight; }
    void SetNameEnd(int value) { m_nameEnd = value; }
    void SetOfflineFlag(int flag) { m_offline = flag; }
    void SetChairField(int chair) { m_chair = chair; }
    void SetActiveField(int flag) { m_active = flag; }
    void SetFigureCanvas(engine::CanvasObject* canvas) { m_figure = canvas; }
    void SetRemainNumber(engine::ImageNumber* number) { m_remain = number; }
    void SetStatusSprite(engine::SpriteObject* sprite) { m_status = sprite; }

private:
    int m_active = 0;
    int m_chair = -1;
    int m_seat = -1;
    int m_nameEnd = 0;
    engine::CanvasObject* m_board = nullptr;      // owned through the bind link
    engine::SpriteObject* m_status = nullptr;     // not owned: the object module owns the parts
    engine::SpriteObject* m_animation = nullptr;  // not owned
    engine::ImageNumber* m_remain = nullptr;      // not owned
    int m_offline = 0;
    int m_hover = 0;
    engine::CanvasObject* m_figure = nullptr;     // not owned
    CardArea m_table;
    int m_plateWidth = 0;
    int m_plateHeight = 0;
    bool m_dealing = false;
};

// The size of a character figure's large pose (see frame::CharacterPicture).
inline constexpr int kCharacterLargeSize = 3;
using frame::CharacterPicture;

// The name cut to the board's plate: a name longer than 9 bytes becomes at
// most its first 8 bytes, ending on a character boundary, then "..".
std::string ShortenBoardName(std::string_view name);

} // namespace game
