#pragma once
// One card on the table as an engine object. The table view sets the card's
// fields (which card, whose, where its owner sits on the screen, which group
// it lies in and the group's size) and calls Update; from that state alone
// the card picks its picture, size, rotation, position and depth. Raw mouse
// input on the card's picture reaches the table view ("MainGame") as the
// card's own command events, with the card as the parameter.
//
// Screen seats: 0 the local player at the bottom, 1 left, 2 top, 3 right
// (with three chairs: 1 left, 2 right). Every position lies inside the
// table view's rectangle.

#include "engine/objects/BoundObject.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace engine {
class SpriteObject;
}

namespace game {

// Command events the card delivers to "MainGame".
inline constexpr int EVT_CARD_LBUTTON_DOWN = 80000109;
inline constexpr int EVT_CARD_LBUTTON_UP = 80000110;
inline constexpr int EVT_CARD_RBUTTON_DOWN = 80000111;
inline constexpr int EVT_CARD_DRAG = 80000112;
inline constexpr int EVT_CARD_MOUSE_ENTER = 80000114;
inline constexpr int EVT_CARD_MOUSE_LEAVE = 80000115;
// Sent to the card as the end event of the move animation of a thrown card.
inline constexpr int EVT_CARD_FLIGHT_END = 80000116;

enum CardState : int32_t {
    kCardInPile = 0,
    kCardInHand = 1,
    kCardPlayed = 2,
    kCardHidden = 3, // and any other value
};

struct CardPoint {
    int x = 0;
    int y = 0;
    bool operator==(const CardPoint&) const = default;
};

// The table view's rectangle (left, top, width, height).
struct CardArea {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// The table view's ("MainGame") rectangle as the object finds it, the root
// view's while there is no table view; empty without either.
CardArea FindTableArea(const engine::GameObject& object);

// The size class the table width chooses (1 to 3) and the size parts of the
// picture names it uses.
int CardSizeClassForWidth(int width);
std::string_view CardBigSizePart(int sizeClass);
std::string_view CardSmallSizePart(int sizeClass);
// "牌正面" (face sheet) or "牌背面" (back) followed by the size part.
std::string CardPictureName(bool face, std::string_view sizePart);

class CardSprite : public engine::BoundObject {
public:
    static constexpr int kCardIds = 216;
    static constexpr int kClosedHandSpacing = 8;

    CardSprite() = default;
    ~CardSprite() override = default;

    int OnCreate() override;
    int OnEvent(const engine::EngineEvent& event) override;

    // Face 0..53 of a card id (0-51 four suits of 13, then the two jokers):
    // the frame of the face picture sheets.
    virtual int GetFace(int cardId) const;
    // Chooses the size class from the table width and reloads the sizes.
    virtual void LoadImages();
    // Applies the state to picture, size, rotation, position, depth,
    // opacity and visibility.
    virtual void Update();
    // Hides the card and forgets whose it was.
    virtual void Reset();
    virtual CardPoint GetPilePosition() const;
    virtual CardPoint GetHandPosition() const;
    virtual CardPoint GetPlayedPosition() const;
    // Step between the local player's hand cards and between played cards.
    virtual int GetHandSpacing() const;
    // Step between the face-up cards of the other players' hands.
    virtual int GetOpenHandSpacing() const;
    // Step between the face-down cards of the other players' hands.
    virtual int GetClosedHandSpacing() const { return kClosedHandSpacing; }
    virtual int GetCardHeight() const { return m_handHeight; }
    // Position in one centred row in the upper quarter of the table.
    virtual CardPoint GetPlayedOrigin() const;
    virtual void Select();
    virtual void SelectTimed();
    virtual void Deselect();

    // Carries the card from where it stands to the place the last Update
    // computed (GetPosition), after delaySteps of the engine's action
    // interval, in about 130 ms; flying is set on the way and the card's
    // EVT_CARD_FLIGHT_END clears it on arrival. The move's action id (0
    // when refused).
    uint64_t FlyToPlace(int delaySteps);

    // The depth and the picture rotation (degrees) the current state asks
    // for; the depth of a hidden card is 0.
    double ComputeDepth() const;
    double ComputeRotation() const;
    // Whether the state shows the face picture rather than the back.
    bool ShowsFace() const;

    // Fields the table view sets.
    int sizeClass = 0;
    int order = -1;
    int count = 0;
    int cardId = -1;
    int state = 0;
    int ownerChair = -1;
    int seat = -1;
    int flying = 0;
    int selected = 1;
    int rangeMark = 0;
    int faceUp = 0;
    int hovered = 0;
    uint32_t selectionTime = 0;

    int GetHandWidth() const { return m_handWidth; }
    int GetSmallWidth() const { return m_smallWidth; }
    int GetSmallHeight() const { return m_smallHeight; }
    // The last position Update computed (-10000 before the first).
    CardPoint GetPosition() const { return {m_x, m_y}; }
    engine::SpriteObject* GetSprite() const { return m_sprite; }

    // Sizes of the big (own hand, played) and small (other hands, pile)
    // pictures; LoadImages and OnCreate take them from the pictures.
    void SetCardSizes(int handWidth, int handHeight, int smallWidth, int smallHeight);

protected:
    // The table view's rectangle (the root view's without a table view);
    // empty without either.
    virtual CardArea GetTableArea() const;
    // The running application's chair count, 4 without one.
    virtual int GetChairCount() const;
    // The height of the picture as it is now shown.
    virtual double GetShownHeight() const;
    // The highest card id that shows its face.
    virtual int GetLastCardId() const { return kCardIds - 1; }
    // The size class of a table width, the one the pictures are looked up
    // in at creation, and the size parts of the picture names.
    virtual int SizeClassForWidth(int width) const;
    virtual int InitialSizeClass() const { return 1; }
    virtual std::string_view BigSizePart(int sizeClass) const;
    virtual std::string_view SmallSizePart(int sizeClass) const;
    // The picture of a card in the deal pile.
    virtual void ShowPilePicture();
    // How far below the top the top seat's played row lies, beyond one
    // and a half cards.
    virtual int TopPlayedGap() const { return 40; }

    bool HasFaceId() const { return cardId >= 0 && cardId <= GetLastCardId(); }
    // Shows the picture; fitSize gives the sprite the picture's size.
    void ShowPicture(const std::string& name, int frame, bool fitSize);

private:
    void SubscribeInput(int mainGame);

    int m_handWidth = 0;
    int m_handHeight = 0;
    int m_smallWidth = 0;
    int m_smallHeight = 0;
    int m_x = -10000;
    int m_y = -10000;
    engine::SpriteObject* m_sprite = nullptr; // owned through the bind link
};

} // namespace game
