#pragma once
// This game's card: the card layer's card with the game's picture sizes
// (chosen by the table's width), its spacings, a deal pile of two stacks
// that may show faces, the edge mark on the local player's cards that
// match the designated card, and the group a hand card was arranged in.

#include "cards/CardSprite.h"

namespace game {

// The size class this game chooses for a table width (2 to 4) and the size
// parts of its picture names ("_71_96" and so on).
int FriendSizeClassForWidth(int width);
std::string_view FriendBigSizePart(int sizeClass);
std::string_view FriendSmallSizePart(int sizeClass);

class FriendCardSprite : public CardSprite {
public:
    static constexpr int kGameCardIds = 108;

    FriendCardSprite() = default;
    ~FriendCardSprite() override = default;

    void Update() override;
    CardPoint GetPilePosition() const override;
    int GetHandSpacing() const override;
    int GetOpenHandSpacing() const override;
    int GetClosedHandSpacing() const override;

    // Resets opacity, rotation and tint; in the pile it also shows the pile
    // picture again, without moving the card.
    void RefreshPilePicture();
    // Shows or hides the mark "边牌标记" in the card's corner.
    void SetEdgeMark(bool shown);
    bool IsEdgeMarkShown() const { return m_edgeMarkShown; }
    engine::SpriteObject* GetEdgeMark() const { return m_edgeMark; }

    void SetGroup(int group) { m_group = group; }
    int GetGroup() const { return m_group; }
    bool HasGroup() const { return m_group != 0; }

protected:
    int GetLastCardId() const override { return kGameCardIds - 1; }
    int SizeClassForWidth(int width) const override { return FriendSizeClassForWidth(width); }
    int InitialSizeClass() const override { return 2; }
    std::string_view BigSizePart(int sizeClass) const override { return FriendBigSizePart(sizeClass); }
    std::string_view SmallSizePart(int sizeClass) const override { return FriendSmallSizePart(sizeClass); }
    void ShowPilePicture() override;
    int TopPlayedGap() const override { return 60; }

private:
    void PlaceEdgeMark();

    bool m_edgeMarkShown = false;
    engine::SpriteObject* m_edgeMark = nullptr; // not owned: the object module owns it
    int m_group = 0;
};

} // namespace game
