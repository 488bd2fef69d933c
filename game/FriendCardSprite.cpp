#include "game/FriendCardSprite.h"

#include "engine/objects/SpriteObject.h"

namespace game {

namespace {

constexpr uint32_t kNoTint = 0xff00ff;
constexpr int kPileStack = 54;
// The mark rides on the card: it shows, hides, moves, turns and redraws
// with it and keeps above it, but keeps its own size when the card's
// picture is sized.
constexpr uint32_t kEdgeMarkLink = engine::kLinkHide | engine::kLinkShow | engine::kLinkZ | engine::kLinkMove
    | engine::kLinkInvalidate | engine::kLinkRotate;

} // namespace

int FriendSizeClassForWidth(int width)
{
    if (width <= 800)
        return 2;
    return width <= 1200 ? 3 : 4;
}

std::string_view FriendBigSizePart(int sizeClass)
{
    switch (sizeClass) {
    case 3:
        return "_82_110";
    case 4:
        return "_98_132";
    default:
        return "_71_96";
    }
}

std::string_view FriendSmallSizePart(int sizeClass)
{
    switch (sizeClass) {
    case 3:
        return "_71_96";
    case 4:
        return "_82_110";
    default:
        return "_50_68";
    }
}

void FriendCardSprite::ShowPilePicture()
{
    // Unlike the card layer's pile, the game's may deal cards face up.
    const bool face = faceUp && HasFaceId();
    ShowPicture(CardPictureName(face, SmallSizePart(sizeClass)), face ? GetFace(cardId) : 0, true);
}

void FriendCardSprite::Update()
{
    CardSprite::Update();
    if (m_edgeMarkShown && (state == kCardInPile || state == kCardInHand || state == kCardPlayed))
        PlaceEdgeMark();
}

void FriendCardSprite::RefreshPilePicture()
{
    SetOpacity(1.0);
    if (engine::SpriteObject* sprite = GetSprite()) {
        sprite->RotateTo(0);
        sprite->SetMatteColour(kNoTint);
    }
    if (state == kCardInPile) {
        ShowPilePicture();
        Invalidate();
    }
}

CardPoint FriendCardSprite::GetPilePosition() const
{
    const CardArea a = GetTableArea();
    const int i = order;
    const int sw = GetSmallWidth();
    const int x = i < kPileStack ? a.left + a.width / 2 + sw / 2 + 2 : a.left + a.width / 2 - sw / 2 - 2;
    const int y = a.top + a.height / 2 + 2 * ((i % kPileStack) / 2) - GetSmallHeight() / 2;
    return {x, y};
}

int FriendCardSprite::GetHandSpacing() const
{
    switch (sizeClass) {
    case 1:
        return 13;
    case 2:
        return 16;
    case 3:
        return 20;
    default:
        return 23;
    }
}

int FriendCardSprite::GetOpenHandSpacing() const
{
    switch (sizeClass) {
    case 3:
        return 16;
    case 4:
        return 20;
    default:
        return 13;
    }
}

int FriendCardSprite::GetClosedHandSpacing() const
{
    return sizeClass == 4 ? 5 : 3;
}

void FriendCardSprite::SetEdgeMark(bool shown)
{
    if (shown == m_edgeMarkShown)
        return;
    m_edgeMarkShown = shown;
    if (!shown) {
        if (m_edgeMark) {
            RemoveChild(m_edgeMark->GetId());
            m_edgeMark->Hide();
            m_edgeMark->Invalidate();
        }
        return;
    }
    if (!m_edgeMark) {
        engine::PictureDesc desc;
        LookupPicture(&desc, "边牌标记", 0);
        m_edgeMark = CreateSprite(desc);
        if (!m_edgeMark)
            return;
        m_edgeMark->SetTopmost();
    }
    PlaceEdgeMark();
    m_edgeMark->Show();
    m_edgeMark->Invalidate();
    AddChild(m_edgeMark, kEdgeMarkLink);
}

void FriendCardSprite::PlaceEdgeMark()
{
    if (!m_edgeMark)
        return;
    const double mw = m_edgeMark->GetWidth();
    const double mh = m_edgeMark->GetHeight();
    if (seat == 1 || seat == 3) {
        m_edgeMark->MoveTo((GetX() - GetSmallWidth() / 2.0) + mw / 2 - 6, (GetY() - GetSmallHeight() / 2.0) + mh / 2 + 18);
    } else {
        m_edgeMark->MoveTo(GetLeft() + mw / 2 + 3, GetBottom() - mh / 2 - 2);
    }
    m_edgeMark->Invalidate();
}

} // namespace game
