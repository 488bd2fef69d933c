#include "cards/CardHand.h"

#include "cards/HandCounts.h"

#include "table/Cards.h"

#include <algorithm>
#include <array>
#include <climits>

namespace game {

using table::PlayRecord;
using namespace hand_detail;

namespace {

bool LargestFirst(int mode)
{
    return mode == kSortBySizeDown || mode == kSortBySuit || mode == kSortByCountDown;
}

} // namespace

CardHand::CardHand(CardHandHost& host, std::unique_ptr<HandRules> rules)
    : m_host(host)
    , m_rules(rules ? std::move(rules) : std::make_unique<HandRules>())
{
}

void CardHand::ResetRoundState()
{
    m_dragAnchor = -1;
    m_selectedCount = 0;
    m_lastValueButton = 0;
    ClearHintCursors();
}

// --- Cards ---

bool CardHand::IsHandCardOf(const CardSprite& card, int chair) const
{
    return card.state == kCardInHand && card.ownerChair == chair;
}

bool CardHand::IsMyHandCard(const CardSprite& card) const
{
    return IsHandCardOf(card, m_host.OwnChair());
}

std::vector<CardSprite*> CardHand::MyHand() const
{
    std::vector<CardSprite*> hand;
    for (CardSprite* card : m_host.Cards()) {
        if (card && IsMyHandCard(*card))
            hand.push_back(card);
    }
    return hand;
}

CardSprite* CardHand::FindMyCardById(int id) const
{
    if (id < 0)
        return nullptr;
    for (CardSprite* card : m_host.Cards()) {
        if (card && IsMyHandCard(*card) && card->cardId == id)
            return card;
    }
    return nullptr;
}

// --- Sorting ---

int CardHand::CardKey(int mode, const CardSprite& card, const int* counts) const
{
    const int id = card.cardId;
    if (id < 0)
        return 0;
    const int order = table::CardOrder(id, m_host.LevelRank());
    const int suit = table::CardSuit(id);
    switch (mode) {
    case kSortBySizeDown:
    case kSortBySizeUp:
        return order * 10 + suit;
    case kSortBySuit:
        return suit * 1000 + order;
    case kSortByCountUp:
    case kSortByCountDown:
        return counts[table::CardValue(id)] * 100000 + order * 10 + suit;
    default:
        return card.order;
    }
}

void CardHand::SortHand(int mode)
{
    std::vector<CardSprite*> hand = MyHand();
    Histogram counts {};
    for (const CardSprite* card : hand)
        if (const int v = table::CardValue(card->cardId); v > 0 && v < kHistogram && CountsInSort(*card))
            ++counts[static_cast<size_t>(v)];
    std::vector<int> keys;
    for (const CardSprite* card : hand)
        keys.push_back(CardKey(mode, *card, counts.data()));
    ExchangeSort(hand, keys, LargestFirst(mode));
    for (size_t k = 0; k < hand.size(); ++k) {
        hand[k]->order = static_cast<int>(k);
        hand[k]->Update();
    }
}

void CardHand::ToggleSortBySize()
{
    if (m_sortMode == kSortBySuit)
        m_sortMode = m_previousSortMode;
    const bool toSmall = m_sortMode == kSortBySizeDown;
    m_host.SetSortSizePicture(toSmall ? "btn_SortSmall" : "btn_SortBig");
    ResortAs(toSmall ? kSortBySizeUp : kSortBySizeDown);
}

void CardHand::ToggleSortByCount()
{
    if (m_sortMode == kSortByCountUp || m_sortMode == kSortByCountDown)
        ResortAs(m_sortMode == kSortByCountUp ? kSortByCountDown : kSortByCountUp);
    else
        ResortAs(kSortByCountUp, true);
}

void CardHand::ToggleSortMode3()
{
    if (m_sortMode == kSortBySuit)
        ResortAs(m_previousSortMode);
    else
        ResortAs(kSortBySuit, true);
}

void CardHand::ResortAs(int mode, bool rememberCurrent)
{
    m_lastValueButton = 0;
    if (rememberCurrent)
        m_previousSortMode = m_sortMode;
    m_sortMode = mode;
    SortHand(m_sortMode);
    m_host.PlaySound("snd_sort");
}

// --- Value buttons and selection ---

bool CardHand::ClearOnSecondPress(int code)
{
    m_host.PlaySound("Snd_HitCard");
    DeselectAll();
    if (m_lastValueButton != code)
        return false;
    // A second press of the same button clears the selection.
    UpdateThrowButton();
    m_lastValueButton = 0;
    return true;
}

void CardHand::PressValueButton(int code, int k)
{
    if (ClearOnSecondPress(code))
        return;
    SelectByValueCount(k);
    m_lastValueButton = code;
}

void CardHand::SelectBombs(int code)
{
    if (ClearOnSecondPress(code))
        return;
    HintFromHand(table::CT_FOUR_JOKERS, true);
    for (int k = 4; k <= 8; ++k)
        SelectByValueCount(k);
    m_lastValueButton = code;
}

void CardHand::SelectByValueCount(int k)
{
    Histogram counts {};
    CountHandValues(counts.data(), kHistogram);
    for (CardSprite* card : MyHand()) {
        if (card->cardId < 0 || counts[table::CardValue(card->cardId)] != k)
            continue;
        card->selected = 1;
        card->Update();
    }
    UpdateThrowButton();
}

void CardHand::SelectCards(const int* ids, int n)
{
    for (int i = 0; i < n; ++i) {
        // A card the hand does not hold (a hand out of step with the play
        // that named it) is left out rather than standing in another card.
        CardSprite* card = FindMyCardById(ids[i]);
        if (!card)
            continue;
        card->selected = 1;
        card->Update();
    }
}

void CardHand::DeselectAll()
{
    for (CardSprite* card : MyHand()) {
        if (!card->selected)
            continue;
        card->selected = 0;
        card->flying = 0;
        card->Update();
    }
    m_selectedCount = 0;
}

void CardHand::SelectWholeHand()
{
    for (CardSprite* card : MyHand()) {
        card->selected = 1;
        card->Update();
    }
}

// --- Mouse ---

CardHand::CardSpan CardHand::SpanOf(const CardSprite& card) const
{
    const int width = card.GetHandWidth();
    const int left = card.GetHandPosition().x - width / 2;
    return { left, left + width, card.ComputeDepth() };
}

bool CardHand::OnCardPress(CardSprite& card)
{
    if (m_host.IsLookerOn() || !IsMyHandCard(card))
        return false;
    if (card.seat == 0) {
        m_dragAnchor = card.order;
        card.rangeMark = 1;
        card.Update();
    } else {
        m_dragAnchor = -1;
    }
    return true;
}

bool CardHand::OnCardRelease(CardSprite& card, uint32_t now)
{
    if (m_host.IsLookerOn() || !IsMyHandCard(card))
        return false;
    CompleteSelection(now);
    return true;
}

bool CardHand::OnCardDrag(CardSprite& card, int pointerX)
{
    if (m_host.IsLookerOn() || !IsMyHandCard(card) || card.seat != 0)
        return false;
    const std::vector<CardSprite*> hand = MyHand();
    int target = -1;
    double targetDepth = 0;
    int highest = 0;
    for (const CardSprite* c : hand) {
        highest = std::max(highest, c->order);
        const CardSpan span = SpanOf(*c);
        if (pointerX >= span.left && pointerX < span.right && (target < 0 || span.depth > targetDepth)) {
            target = c->order;
            targetDepth = span.depth;
        }
    }
    if (m_dragAnchor == -1) {
        m_dragAnchor = card.order;
        return true;
    }
    if (target < 0) {
        const CardSpan pressed = SpanOf(card);
        target = pointerX > (pressed.left + pressed.right) / 2 ? highest : 0;
    }
    const int low = std::min(m_dragAnchor, target);
    const int high = std::max(m_dragAnchor, target);
    for (CardSprite* c : hand) {
        c->rangeMark = c->order >= low && c->order <= high ? 1 : 0;
        c->Update();
    }
    return true;
}

bool CardHand::OnCardEnter(CardSprite& card, uint32_t now)
{
    if (card.state != kCardInHand || card.seat != 0)
        return false;
    if (card.ownerChair != m_host.OwnChair() || card.hovered)
        return true;
    for (CardSprite* other : MyHand()) {
        if (other != &card && other->hovered) {
            other->hovered = 0;
            other->Update();
        }
    }
    // A card just selected by a drag would jump under the pointer: it rises
    // only once the selection is older than the hover delay.
    card.hovered = now - card.selectionTime > kHoverDelayMs ? 1 : 0;
    card.Update();
    return true;
}

void CardHand::OnCardLeave(CardSprite& card)
{
    card.hovered = 0;
    card.Update();
}

void CardHand::OnEmptyRightPress()
{
    DeselectAll();
    UpdateThrowButton();
}

// --- Hands of every chair ---

int CardHand::LayoutSeatCards(int chair)
{
    std::vector<CardSprite*> cards;
    for (CardSprite* card : m_host.Cards()) {
        if (card && IsHandCardOf(*card, chair))
            cards.push_back(card);
    }
    const int n = static_cast<int>(cards.size());
    const bool ownRow = n > 0 && cards.front()->seat == 0;
    for (int k = 0; k < n; ++k) {
        if (!ownRow)
            cards[k]->order = k;
        cards[k]->count = n;
        cards[k]->Update();
    }
    if (!ownRow)
        ArrangeCards(chair);
    return n;
}

void CardHand::ArrangeCards(int chair)
{
    std::vector<CardSprite*> cards;
    std::vector<int> keys;
    for (CardSprite* card : m_host.Cards()) {
        if (!card || !IsHandCardOf(*card, chair))
            continue;
        cards.push_back(card);
        keys.push_back(card->cardId < 0 ? 0 : table::CardOrder(card->cardId, m_host.LevelRank()));
    }
    ExchangeSort(cards, keys, false);
    for (size_t k = 0; k < cards.size(); ++k) {
        cards[k]->order = static_cast<int>(k);
        cards[k]->Update();
    }
}

// --- Cards shown to lookers-on ---

bool CardHand::SetSeatCards(int chair, const int* ids, int n)
{
    std::vector<int> list(ids, ids + std::max(n, 0));
    const int count = SortIdsByOrder(list.data(), static_cast<int>(list.size()));
    std::vector<CardSprite*> cards;
    for (CardSprite* card : m_host.Cards()) {
        if (card && IsHandCardOf(*card, chair))
            cards.push_back(card);
    }
    if (count == 0 || count != static_cast<int>(cards.size()))
        return false;
    for (int k = 0; k < count; ++k) {
        cards[k]->faceUp = 1;
        cards[k]->count = count;
        cards[k]->order = k;
        cards[k]->cardId = list[k];
        cards[k]->Update();
    }
    return true;
}

bool CardHand::HasMarkedCard() const
{
    const std::vector<CardSprite*> hand = MyHand();
    return std::any_of(hand.begin(), hand.end(), [](const CardSprite* c) { return c->faceUp != 0; });
}

int CardHand::HideShownCards()
{
    int hidden = 0;
    for (CardSprite* card : MyHand()) {
        if (!card->faceUp)
            continue;
        card->faceUp = 0;
        card->cardId = table::kNoCard;
        card->Update();
        ++hidden;
    }
    return hidden;
}

// --- Queries ---

std::vector<CardSprite*> CardHand::MyHandByOrder() const
{
    std::vector<CardSprite*> hand = MyHand();
    std::stable_sort(
        hand.begin(), hand.end(), [](const CardSprite* a, const CardSprite* b) { return a->order > b->order; });
    return hand;
}

std::vector<int> CardHand::GetHandCards() const
{
    std::vector<int> ids;
    for (const CardSprite* card : MyHandByOrder()) {
        if (card->cardId >= 0)
            ids.push_back(card->cardId);
    }
    return ids;
}

std::vector<int> CardHand::GetSelectedCards() const
{
    std::vector<int> ids;
    for (const CardSprite* card : MyHandByOrder()) {
        if (card->cardId >= 0 && card->selected)
            ids.push_back(card->cardId);
    }
    return ids;
}

std::vector<int> CardHand::GetHandCardsOfValue(int k) const
{
    const std::vector<int> hand = GetHandCards();
    const Histogram counts = CountValues(hand);
    std::vector<int> ids;
    for (int id : hand) {
        if (counts[table::CardValue(id)] == k)
            ids.push_back(id);
    }
    return ids;
}

int CardHand::CountHandValues(int* counts, int size) const
{
    std::fill(counts, counts + std::max(size, 0), 0);
    int total = 0;
    for (const CardSprite* card : MyHand()) {
        const int v = table::CardValue(card->cardId);
        if (v > 0 && v < size) {
            ++counts[v];
            ++total;
        }
    }
    return total;
}

int CardHand::CountDistinctValues(const int* ids, int n)
{
    bool seen[kHistogram] = {};
    int distinct = 0;
    for (int i = 0; i < n; ++i) {
        const int v = table::CardValue(ids[i]);
        if (ids[i] >= 0 && v < kHistogram && !seen[v]) {
            seen[v] = true;
            ++distinct;
        }
    }
    return distinct;
}

int CardHand::CountCards(int chair, int state) const
{
    int n = 0;
    for (const CardSprite* card : m_host.Cards()) {
        if (card && card->state == state && (chair == -1 || card->ownerChair == chair))
            ++n;
    }
    return n;
}

int CardHand::CountSelected() const
{
    const std::vector<CardSprite*> hand = MyHand();
    return static_cast<int>(std::count_if(hand.begin(), hand.end(), [](const CardSprite* c) { return c->selected; }));
}

int CardHand::SortIdsByOrder(int* ids, int n) const
{
    std::vector<int> list(ids, ids + std::max(n, 0));
    std::vector<int> keys;
    // Empty places go last: "no card" has no order of its own.
    for (int id : list)
        keys.push_back(id < 0 ? INT_MIN : table::CardOrder(id, m_host.LevelRank()) * 1000 + id);
    ExchangeSort(list, keys, true);
    std::copy(list.begin(), list.end(), ids);
    return static_cast<int>(std::count_if(list.begin(), list.end(), [](int id) { return id != table::kNoCard; }));
}

CardSprite* CardHand::FindCardById(int id) const
{
    for (CardSprite* card : m_host.Cards()) {
        if (card && card->cardId == id)
            return card;
    }
    return nullptr;
}

CardSprite* CardHand::FindSeatCardById(int chair, int id) const
{
    CardSprite* first = nullptr;
    for (CardSprite* card : m_host.Cards()) {
        if (!card || !IsHandCardOf(*card, chair))
            continue;
        if (card->cardId == id)
            return card;
        if (!first)
            first = card;
    }
    return first;
}

CardSprite* CardHand::FindHandCardAt(int chair, int order) const
{
    for (CardSprite* card : m_host.Cards()) {
        if (card && IsHandCardOf(*card, chair) && card->order == order)
            return card;
    }
    return nullptr;
}

std::vector<CardSprite*> CardHand::CardsForPlay(int chair, const int* ids, int n) const
{
    std::vector<CardSprite*> hand;
    for (CardSprite* card : m_host.Cards()) {
        if (card && IsHandCardOf(*card, chair))
            hand.push_back(card);
    }
    std::vector<CardSprite*> taken;
    auto unused = [&](CardSprite* card) { return std::find(taken.begin(), taken.end(), card) == taken.end(); };
    for (int i = 0; i < n; ++i) {
        if (ids[i] == table::kNoCard)
            continue;
        auto named = [&](CardSprite* c) { return c->cardId == ids[i] && unused(c); };
        auto match = std::find_if(hand.begin(), hand.end(), named);
        if (match == hand.end())
            match = std::find_if(hand.begin(), hand.end(), unused);
        if (match != hand.end())
            taken.push_back(*match);
    }
    return taken;
}

int CardHand::PrevChair(int chair) const
{
    const int n = std::max(m_host.ChairCount(), 1);
    return ((chair - 1) % n + n) % n;
}

bool CardHandHost::IsOppositeChair(int chair) const
{
    const int n = std::max(ChairCount(), 1);
    return chair == ((OwnChair() - 2) % n + n) % n;
}

} // namespace game
