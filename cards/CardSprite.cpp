#include "cards/CardSprite.h"

#include "engine/core/EventCodes.h"
#include "engine/core/EngineEvent.h"
#include "engine/core/ObjectGeometry.h"
#include "engine/objects/RectObject.h"
#include "engine/objects/SpriteObject.h"
#include "frame/core/CGameFrameApp.h"

#include <algorithm>
#include <cmath>

namespace game {

namespace {

constexpr uint32_t kNoTint = 0xff00ff;
constexpr uint32_t kMarkTint = 0x50ff0000;
constexpr int kPileStack = 54;

struct InputCommand {
    int input;
    int command;
};

constexpr InputCommand kInputCommands[] = {
    {engine::EVT_LBUTTON_DOWN, EVT_CARD_LBUTTON_DOWN},
    {engine::EVT_LBUTTON_UP, EVT_CARD_LBUTTON_UP},
    {engine::EVT_RBUTTON_DOWN, EVT_CARD_RBUTTON_DOWN},
    {engine::EVT_DRAG, EVT_CARD_DRAG},
    {engine::EVT_MOUSE_ENTER, EVT_CARD_MOUSE_ENTER},
    {engine::EVT_MOUSE_LEAVE, EVT_CARD_MOUSE_LEAVE},
};

int Trunc(double value)
{
    return static_cast<int>(std::trunc(value));
}

} // namespace

int CardSizeClassForWidth(int width)
{
    if (width <= 1000)
        return 1;
    return width <= 1400 ? 2 : 3;
}

std::string_view CardBigSizePart(int sizeClass)
{
    switch (sizeClass) {
    case 2:
        return "82x110";
    case 3:
        return "98x132";
    default:
        return "71x96";
    }
}

std::string_view CardSmallSizePart(int sizeClass)
{
    return sizeClass == 3 ? "71x96" : "50x68";
}

std::string CardPictureName(bool face, std::string_view sizePart)
{
    std::string name = face ? "牌正面" : "牌背面";
    name += sizePart;
    return name;
}

void CardSprite::SetCardSizes(int handWidth, int handHeight, int smallWidth, int smallHeight)
{
    m_handWidth = handWidth;
    m_handHeight = handHeight;
    m_smallWidth = smallWidth;
    m_smallHeight = smallHeight;
}

int CardSprite::OnCreate()
{
    engine::PictureDesc big;
    engine::PictureDesc small;
    LookupPicture(&big, CardPictureName(false, BigSizePart(InitialSizeClass())), 0);
    LookupPicture(&small, CardPictureName(false, SmallSizePart(InitialSizeClass())), 0);
    SetCardSizes(big.width, big.height, small.width, small.height);
    m_sprite = CreateSprite(big);
    if (m_sprite)
        Bind(m_sprite, engine::LINK_STANDARD);
    if (engine::EngineObject* mainGame = FindObjectByName("MainGame"))
        SubscribeInput(mainGame->GetId());
    return 0;
}

void CardSprite::SubscribeInput(int mainGame)
{
    if (!m_sprite)
        return;
    // The view knows the card by its object id: an id that outlives its card
    // finds nothing, where an address could name another object.
    const auto self = static_cast<engine::MessageWord>(GetId());
    for (const InputCommand& entry : kInputCommands)
        m_sprite->SubscribeEvent(entry.input, mainGame, entry.command, self, 0);
}

int CardSprite::OnEvent(const engine::EngineEvent& event)
{
    if (event.code == EVT_CARD_FLIGHT_END) {
        flying = 0;
        Update();
        return 1;
    }
    return BoundObject::OnEvent(event);
}

int CardSprite::GetFace(int id) const
{
    return id % 54;
}

void CardSprite::LoadImages()
{
    sizeClass = SizeClassForWidth(GetTableArea().width);
    engine::PictureDesc big;
    engine::PictureDesc small;
    LookupPicture(&big, CardPictureName(false, BigSizePart(sizeClass)), 0);
    LookupPicture(&small, CardPictureName(false, SmallSizePart(sizeClass)), 0);
    SetCardSizes(big.width, big.height, small.width, small.height);
    if (m_sprite)
        m_sprite->SetPicture(big, true);
    // Faces show only once cards are dealt; their sheets are decoded
    // meanwhile, so the frame that first shows one need not decode them.
    DecodePicturesAhead({ CardPictureName(true, BigSizePart(sizeClass)), CardPictureName(true, SmallSizePart(sizeClass)) });
}

bool CardSprite::ShowsFace() const
{
    if (state == kCardPlayed)
        return true;
    if (state == kCardInHand)
        return faceUp != 0 && HasFaceId();
    return false;
}

void CardSprite::ShowPicture(const std::string& name, int frame, bool fitSize)
{
    if (!m_sprite)
        return;
    engine::PictureDesc desc;
    LookupPicture(&desc, name, frame);
    m_sprite->SetPicture(desc, fitSize);
}

void CardSprite::ShowPilePicture()
{
    // The pile never gives a card away: its backs all look alike.
    ShowPicture(CardPictureName(false, CardSmallSizePart(1)), 0, true);
}

int CardSprite::SizeClassForWidth(int width) const
{
    return CardSizeClassForWidth(width);
}

std::string_view CardSprite::BigSizePart(int cls) const
{
    return CardBigSizePart(cls);
}

std::string_view CardSprite::SmallSizePart(int cls) const
{
    return CardSmallSizePart(cls);
}

uint64_t CardSprite::FlyToPlace(int delaySteps)
{
    flying = 1;
    const uint32_t interval = std::max<uint32_t>(GetMinActionInterval(), 1);
    // A quarter of the way a step at the engine's 30 ms: the card lands in
    // about 130 ms wherever it comes from.
    const int steps = std::max(1, 130 / static_cast<int>(interval));
    const double distance = std::hypot(m_x - GetX(), m_y - GetY());
    const double speed = std::max(1.0, distance / steps);
    const engine::EngineEvent landed(GetId(), EVT_CARD_FLIGHT_END);
    BeginActionGroup();
    if (delaySteps > 0) {
        Delay(interval * static_cast<uint32_t>(delaySteps), nullptr);
        NextActionGroup();
    }
    const uint64_t id = MoveTowards(this, m_x, m_y, speed, 0.0, speed, &landed);
    EndActionGroup();
    return id;
}

void CardSprite::Update()
{
    SetOpacity(1.0);
    if (m_sprite) {
        m_sprite->RotateTo(0);
        m_sprite->SetMatteColour(kNoTint);
    }
    CardPoint at;
    switch (state) {
    case kCardInPile:
        ShowPilePicture();
        at = GetPilePosition();
        break;
    case kCardInHand: {
        const bool own = seat == 0;
        const std::string_view part = own ? BigSizePart(sizeClass) : SmallSizePart(sizeClass);
        const bool face = ShowsFace();
        ShowPicture(CardPictureName(face, part), face ? GetFace(cardId) : 0, false);
        if (m_sprite) {
            m_sprite->RotateTo(ComputeRotation());
            if (own)
                m_sprite->SetSize(m_handWidth, m_handHeight);
            else
                m_sprite->SetSize(m_smallWidth, m_smallHeight);
        }
        if (own && (rangeMark || hovered)) {
            SetOpacity(rangeMark ? 0.7 : 0.9);
            if (m_sprite)
                m_sprite->SetMatteColour(kMarkTint);
        }
        at = GetHandPosition();
        break;
    }
    case kCardPlayed:
        ShowPicture(CardPictureName(true, BigSizePart(sizeClass)), GetFace(cardId), true);
        if (m_sprite)
            m_sprite->SetOpacity(1.0);
        at = GetPlayedPosition();
        break;
    default:
        Hide();
        Invalidate();
        return;
    }
    SetZ(ComputeDepth());
    m_x = at.x;
    m_y = at.y;
    if (state != kCardPlayed || !flying)
        MoveTo(at.x, at.y);
    Show();
    Invalidate();
}

void CardSprite::Reset()
{
    ownerChair = -1;
    seat = -1;
    order = -1;
    cardId = -1;
    state = kCardHidden;
    count = 0;
    flying = 0;
    selected = 0;
    rangeMark = 0;
    faceUp = 0;
    hovered = 0;
    selectionTime = 0;
    Update();
}

double CardSprite::ComputeDepth() const
{
    switch (state) {
    case kCardInPile:
        return -order;
    case kCardInHand:
        return seat == 0 ? 1000 + 10 * order : 1000 - 10 * order;
    case kCardPlayed:
        return 5240 + order - 324 * seat;
    default:
        return 0;
    }
}

double CardSprite::ComputeRotation() const
{
    if (state != kCardInHand)
        return 0;
    if (GetChairCount() == 3) {
        if (seat == 1)
            return 270;
        return seat == 2 ? 90 : 0;
    }
    switch (seat) {
    case 1:
        return 270;
    case 3:
        return 90;
    default:
        return 0;
    }
}

CardPoint CardSprite::GetPilePosition() const
{
    const CardArea a = GetTableArea();
    const int i = order;
    const int x = i < kPileStack ? a.left + a.width / 2 + m_smallWidth / 2 + 2
                                 : a.left + a.width / 2 - m_smallWidth / 2 - 2;
    const int y = a.top + a.height / 2 - 216 + 2 * ((i % kPileStack) / 2);
    return {x, y};
}

CardPoint CardSprite::GetHandPosition() const
{
    const CardArea a = GetTableArea();
    const int i = order;
    const int n = count;
    const int s = GetHandSpacing();
    const int d = faceUp ? GetOpenHandSpacing() : GetClosedHandSpacing();
    const double h = GetShownHeight();
    int row = seat;
    if (GetChairCount() == 3 && seat == 2)
        row = 3;
    switch (row) {
    case 0:
        return {a.left + a.width / 2 + s * i + m_handWidth / 2 - (m_handWidth + s * (n - 1)) / 2,
            a.top + Trunc(a.height - h / 2 - 48) - (selected ? 10 : 0)};
    case 1:
        return {a.left + Trunc(h / 2 + 48), a.top + a.height / 2 + (d * n) / 2 - d * i};
    case 2:
        return {a.left + a.width / 2 + (d * n) / 2 - d * i, a.top + Trunc(h / 2 + 48)};
    case 3:
        return {a.left + Trunc(a.width - (h / 2 + 48)), a.top + a.height / 2 + d * i - (d * n) / 2};
    default:
        return {a.left, a.top};
    }
}

CardPoint CardSprite::GetPlayedPosition() const
{
    const CardArea a = GetTableArea();
    const int i = order;
    const int n = count;
    const int s = GetHandSpacing();
    const int cw = m_handWidth;
    const int ch = m_handHeight;
    const int chairs = GetChairCount();
    if (chairs != 3 && chairs != 4)
        return {a.left, a.top};
    int row = seat;
    if (chairs == 3) {
        if (seat == 2)
            row = 3;
        else if (seat != 0 && seat != 1)
            return {a.left, a.top};
    }
    switch (row) {
    case 1:
        return {a.left + s * i + cw / 2 + ch + 85, a.top + a.height / 2};
    case 2:
        return {a.left + a.width / 2 + s * i - s * (n / 2), a.top + ch / 2 + ch + TopPlayedGap()};
    case 3:
        return {a.left + a.width - 85 - ch - cw / 2 - s * n + s * i, a.top + a.height / 2};
    default:
        return {a.left + a.width / 2 + s * i - s * (n / 2), a.top + a.height - ch / 2 - ch - 100};
    }
}

int CardSprite::GetHandSpacing() const
{
    if (sizeClass == 1)
        return 16;
    return sizeClass == 2 ? 20 : 22;
}

int CardSprite::GetOpenHandSpacing() const
{
    return sizeClass == 3 ? 16 : 13;
}

CardPoint CardSprite::GetPlayedOrigin() const
{
    const CardArea a = GetTableArea();
    const int i = order;
    const int n = count;
    const int e = m_handWidth + 20;
    return {a.left + a.width / 2 + (e / 2) * (1 - (n % 2)) - (n / 2 - i) * e, a.top + a.height / 4};
}

void CardSprite::Select()
{
    selected = 1;
    rangeMark = 0;
    Update();
}

void CardSprite::SelectTimed()
{
    Select();
    selectionTime = GetTime();
}

void CardSprite::Deselect()
{
    selected = 0;
    rangeMark = 0;
    Update();
}

CardArea FindTableArea(const engine::GameObject& object)
{
    // The table view's rectangle, or the root view's while there is no
    // table view.
    auto& self = const_cast<engine::GameObject&>(object);
    const engine::EngineObject* view = self.FindObjectByName("MainGame");
    if (!view)
        view = object.GetRoot();
    const auto* rectView = dynamic_cast<const engine::RectObject*>(view);
    if (!rectView)
        return {};
    engine::Rect r;
    rectView->GetRect(&r);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

CardArea CardSprite::GetTableArea() const
{
    return FindTableArea(*this);
}

int CardSprite::GetChairCount() const
{
    const ::CGameFrameApp* app = ::CGameFrameApp::Current();
    return app ? app->GetChairCount() : 4;
}

double CardSprite::GetShownHeight() const
{
    if (m_sprite)
        return m_sprite->GetHeight();
    return seat == 0 ? m_handHeight : m_smallHeight;
}

} // namespace game
