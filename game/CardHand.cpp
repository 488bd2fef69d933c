#include "game/CardHand.h"

#include "table/Cards.h"

#include <algorithm>
#include <array>
#include <climits>

namespace game {

using table::PlayRecord;

namespace {

constexpr int kHistogram = table::kHistogramSize;
using Histogram = std::array<int, kHistogram>;

// A search result is strictly above its start, so a cycle through the plays
// of a hand ends; the bound only guards against rules that disagree.
constexpr int kMaxSearchSteps = 512;

Histogram CountValues(const int* ids, int n)
{
    Histogram counts {};
    for (int i = 0; i < n; ++i) {
        const int v = table::CardValue(ids[i]);
        if (ids[i] >= 0 && v > 0 && v < kHistogram)
            ++counts[v];
    }
    return counts;
}

Histogram CountValues(const std::vector<int>& ids)
{
    return CountValues(ids.data(), static_cast<int>(ids.size()));
}

Histogram CountPlayValues(const PlayRecord& play)
{
    return CountValues(play.cards, std::clamp(play.count, 0, table::kMaxPlayCards));
}

// The play takes every hand card of each value it holds: it splits no pair,
// triple or bomb.
bool TakesWholeGroups(const PlayRecord& play, const Histogram& hand)
{
    const Histogram taken = CountPlayValues(play);
    for (int v = 1; v < kHistogram; ++v) {
        if (taken[v] > 0 && taken[v] < hand[v])
            return false;
    }
    return true;
}

bool Covers(const Histogram& have, const Histogram& need)
{
    return table::CoversCounts(have.data(), need.data(), kHistogram);
}

// The exchange sort of the hand: for every i < j the pair is swapped when it
// is out of the direction (equal keys stay as they are).
template <typename T>
void ExchangeSort(std::vector<T>& items, std::vector<int>& keys, bool largestFirst)
{
    const size_t n = items.size();
    for (size_t i = 0; i < n; ++i) {
        for (size_t j = i + 1; j < n; ++j) {
            const bool swap = largestFirst ? keys[j] > keys[i] : keys[j] < keys[i];
            if (swap) {
                std::swap(items[i], items[j]);
                std::swap(keys[i], keys[j]);
            }
        }
    }
}

bool IsRun(int type)
{
    return type == table::CT_STRAIGHT || type == table::CT_PAIR_RUN || type == table::CT_TRIPLE_RUN
        || type == table::CT_TRIPLE_PAIR_RUN;
}

bool LargestFirst(int mode)
{
    return mode == kSortBySizeDown || mode == kSortBySuit || mode == kSortByCountDown;
}

} // namespace

std::vector<int> UniquePlayMasks(bool leading, int playMask)
{
    std::vector<int> masks;
    const int first = leading ? 1 : 0;
    for (int i = first; i <= 3; ++i) {
        for (int j = first; j <= 7; ++j) {
            const int mask = (1 << i) << (4 * j);
            if ((mask & playMask) == mask)
                masks.push_back(mask);
        }
    }
    return masks;
}

std::string_view ThrowSoundName(int type, int count)
{
    if (type == table::CT_BOMB) {
        switch (count) {
        case 4:
            return "Snd_Bomb4";
        case 5:
            return "Snd_Bomb5";
        case 6:
            return "Snd_Bomb6";
        default:
            return count >= 7 ? "Snd_Bomb78" : "";
        }
    }
    if (type == table::CT_FOUR_JOKERS)
        return "Snd_4King";
    return "Snd_Throw";
}

void OrderPlayForDisplay(PlayRecord& play, int sortMode)
{
    if (!IsRun(play.type) || sortMode == kSortBySizeUp || sortMode == kSortByCountDown)
        return;
    const int n = std::clamp(play.count, 0, table::kMaxPlayCards);
    std::vector<int> ids(play.cards, play.cards + n);
    std::vector<int> keys;
    for (int id : ids)
        keys.push_back(table::CardOrder(id, 0) * 10 + table::CardSuit(id));
    ExchangeSort(ids, keys, true);
    std::copy(ids.begin(), ids.end(), play.cards);
}

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
    CountHandValues(counts.data(), kHistogram);
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

// --- Completion and the throw button ---

void CardHand::CompleteSelection(uint32_t now)
{
    std::vector<CardSprite*> marked;
    for (CardSprite* card : MyHand()) {
        if (card->rangeMark)
            marked.push_back(card);
    }
    const auto already = std::count_if(marked.begin(), marked.end(), [](const CardSprite* c) { return c->selected; });
    if (already >= 1 && already == static_cast<long>(marked.size())) {
        for (CardSprite* card : marked)
            card->Deselect();
    } else {
        for (CardSprite* card : marked) {
            card->Select();
            card->selectionTime = now;
        }
        const int m = static_cast<int>(marked.size());
        const int t = CountSelected();
        if (!CompleteToUniquePlay() && m > 1 && t == m && t > 4) {
            const std::vector<int> selected = GetSelectedCards();
            if (IsLeading())
                ReplaceWithLongestGroup(selected);
            else if (m_host.LastPlayRecord().count >= 4)
                ReplaceWithBeatingPlay(selected);
        }
    }
    m_host.PlaySound("Snd_HitCard");
    UpdateThrowButton();
}

void CardHand::ReplaceWithLongestGroup(const std::vector<int>& selected)
{
    // A long selection that is no play by itself becomes the play inside it
    // with the most values (then the most cards): a drag over 3 3 4 4 5 5 6 7
    // means the straight rather than the pairs.
    static constexpr int kTypes[] = { table::CT_TRIPLE_PAIR_RUN, table::CT_TRIPLE_PAIR, table::CT_TRIPLE_RUN,
        table::CT_PAIR_RUN, table::CT_STRAIGHT };
    const int n = static_cast<int>(selected.size());
    PlayRecord best;
    int bestScore = -1;
    for (int type : kTypes) {
        PlayRecord found;
        if (!m_rules->FindBeatingPlayAlt(selected.data(), n, PlayRecord(), found, type, false))
            continue;
        const int score = CountDistinctValues(found.cards, found.count) * 1000 + found.count;
        if (score > bestScore) {
            bestScore = score;
            best = found;
        }
    }
    if (bestScore < 0)
        return;
    DeselectAll();
    SelectCards(best.cards, best.count);
}

void CardHand::ReplaceWithBeatingPlay(const std::vector<int>& selected)
{
    const PlayRecord& last = m_host.LastPlayRecord();
    PlayRecord found;
    if (!m_rules->FindBeatingPlay(selected.data(), static_cast<int>(selected.size()), last, found, last.type, false))
        return;
    DeselectAll();
    SelectCards(found.cards, found.count);
}

bool CardHand::CompleteToUniquePlay()
{
    if (CountSelected() == 0)
        return false;
    const std::vector<int> hand = GetHandCards();
    return IsLeading() ? CompleteLeadToHand(hand) : CompleteFollowToPlay(hand);
}

bool CardHand::CompleteLeadToHand(const std::vector<int>& hand)
{
    // Leading with a hand that is one play by itself: take it all.
    const Histogram handCounts = CountValues(hand);
    const int n = static_cast<int>(hand.size());
    for (int mask : UniquePlayMasks(true, m_rules->PlayMask())) {
        PlayRecord found;
        if (!m_rules->FindBeatingPlayAlt(hand.data(), n, PlayRecord(), found, mask, false))
            continue;
        if (Covers(CountPlayValues(found), handCounts)) {
            SelectWholeHand();
            UpdateThrowButton();
            return true;
        }
    }
    return false;
}

bool CardHand::CompleteFollowToPlay(const std::vector<int>& hand)
{
    const std::vector<int> selected = GetSelectedCards();
    const Histogram need = CountValues(selected);
    const PlayRecord& last = m_host.LastPlayRecord();
    const int n = static_cast<int>(hand.size());
    int candidates = 0;
    PlayRecord only;
    for (int mask : UniquePlayMasks(false, m_rules->PlayMask())) {
        PlayRecord cursor = last;
        for (int step = 0; step < kMaxSearchSteps; ++step) {
            if (!m_rules->FindBeatingPlay(hand.data(), n, cursor, cursor, mask, false))
                break;
            if (!Covers(CountPlayValues(cursor), need))
                continue;
            if (++candidates > 1)
                return false;
            only = cursor;
        }
    }
    if (candidates != 1)
        return false;
    // Keep the cards the player chose: each selected card the play lacks
    // stands in for an unselected play card of the same value.
    const int count = std::clamp(only.count, 0, table::kMaxPlayCards);
    auto isSelected = [&](int id) { return std::find(selected.begin(), selected.end(), id) != selected.end(); };
    for (int id : selected) {
        if (std::find(only.cards, only.cards + count, id) != only.cards + count)
            continue;
        for (int k = 0; k < count; ++k) {
            if (table::CardValue(only.cards[k]) == table::CardValue(id) && !isSelected(only.cards[k])) {
                only.cards[k] = id;
                break;
            }
        }
    }
    SelectCards(only.cards, count);
    UpdateThrowButton();
    return true;
}

bool CardHand::UpdateThrowButton()
{
    if (m_host.IsLookerOn())
        return false;
    int ids[table::kMaxPlayCards];
    table::FillMinusOne(ids, table::kMaxPlayCards);
    const std::vector<int> selected = GetThrowCards();
    std::copy(selected.begin(), selected.end(), ids);
    m_selectedCount = static_cast<int>(selected.size());
    m_host.SetThrowEnabled(false);
    if (selected.empty()) {
        m_lastValueButton = 0;
        return false;
    }
    const bool may = ChooseThrowPlay(ids, table::kMaxPlayCards).has_value();
    if (may)
        m_host.SetThrowEnabled(true);
    return may;
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

bool CardHand::IsOppositeChair(int chair) const
{
    return chair == PrevChair(PrevChair(m_host.OwnChair()));
}

// --- Plays and hints ---

std::vector<int> CardHand::GetThrowCards() const
{
    std::vector<int> ids;
    for (const CardSprite* card : MyHand()) {
        if (card->selected && card->cardId >= 0 && ids.size() < table::kMaxPlayCards)
            ids.push_back(card->cardId);
    }
    return ids;
}

std::optional<PlayRecord> CardHand::ChooseThrowPlay(const int* ids, int n) const
{
    const PlayRecord* last = IsLeading() ? nullptr : &m_host.LastPlayRecord();
    return m_rules->ChoosePlay(m_host.OwnChair(), ids, n, last);
}

void CardHand::ClearHintCursors()
{
    m_hintCursor.Clear();
    m_wholeGroupCursor.Clear();
}

void CardHand::SelectHint(const PlayRecord& play)
{
    SelectCards(play.cards, std::clamp(play.count, 0, table::kMaxPlayCards));
    UpdateThrowButton();
    m_host.PlaySound("Snd_HitCard");
}

bool CardHand::FindWholeGroupPlay(const std::vector<int>& hand, PlayRecord& cursor, bool tryWithoutWildcards)
{
    const Histogram counts = CountValues(hand);
    const int n = static_cast<int>(hand.size());
    const int mask = m_rules->PlayMask();
    for (int step = 0; step < kMaxSearchSteps; ++step) {
        PlayRecord next;
        const bool found = (tryWithoutWildcards && m_rules->FindBeatingPlay(hand.data(), n, cursor, next, mask, false))
            || m_rules->FindBeatingPlay(hand.data(), n, cursor, next, mask, true);
        if (!found)
            return false;
        cursor = next;
        if (TakesWholeGroups(next, counts))
            return true;
    }
    return false;
}

HintOutcome CardHand::OnHintClicked()
{
    if (IsLeading())
        return HintOutcome::kNothing;
    DeselectAll();
    if (SelectWholeGroupHint())
        return HintOutcome::kSelected;
    const std::vector<int> hand = GetHandCards();
    const int n = static_cast<int>(hand.size());
    const int mask = m_rules->PlayMask();
    const PlayRecord& last = m_host.LastPlayRecord();
    if (m_hintCursor.type != 0) {
        if (m_rules->FindBeatingPlay(hand.data(), n, m_hintCursor, m_hintCursor, mask, true)) {
            SelectHint(m_hintCursor);
            return HintOutcome::kSelected;
        }
        // Past the largest play: start over with the whole groups.
        m_wholeGroupCursor.Clear();
        if (SelectWholeGroupHint()) {
            m_hintCursor.Clear();
            return HintOutcome::kSelected;
        }
    }
    if (m_rules->FindBeatingPlay(hand.data(), n, last, m_hintCursor, mask, true)) {
        SelectHint(m_hintCursor);
        return HintOutcome::kSelected;
    }
    return HintOutcome::kPass;
}

bool CardHand::SelectWholeGroupHint()
{
    const std::vector<int> hand = GetHandCards();
    PlayRecord cursor = m_wholeGroupCursor.type != 0 ? m_wholeGroupCursor : m_host.LastPlayRecord();
    if (!FindWholeGroupPlay(hand, cursor, false))
        return false;
    m_wholeGroupCursor = cursor;
    SelectHint(cursor);
    return true;
}

bool CardHand::SelectBeatingPlay()
{
    if (IsLeading())
        return false;
    DeselectAll();
    const std::vector<int> hand = GetHandCards();
    const PlayRecord& last = m_host.LastPlayRecord();
    PlayRecord cursor = last;
    if (FindWholeGroupPlay(hand, cursor, true)) {
        SelectCards(cursor.cards, cursor.count);
        UpdateThrowButton();
        return true;
    }
    // Every beating play splits a group: take the smallest one.
    const int n = static_cast<int>(hand.size());
    const int mask = m_rules->PlayMask();
    if (m_rules->FindBeatingPlay(hand.data(), n, last, m_hintCursor, mask, false)
        || m_rules->FindBeatingPlay(hand.data(), n, last, m_hintCursor, mask, true)) {
        SelectCards(m_hintCursor.cards, m_hintCursor.count);
        UpdateThrowButton();
        return true;
    }
    return false;
}

bool CardHand::HintSearch(const int* ids, int n, int typeMask, bool select)
{
    DeselectAll();
    PlayRecord found;
    if (!m_rules->FindBeatingPlay(ids, n, PlayRecord(), found, typeMask, true))
        return false;
    if (select) {
        SelectCards(found.cards, std::clamp(found.count, 0, table::kMaxPlayCards));
        UpdateThrowButton();
    }
    return true;
}

bool CardHand::HintFromHand(int typeMask, bool select)
{
    const std::vector<int> hand = GetHandCards();
    if (hand.empty())
        return false;
    return HintSearch(hand.data(), static_cast<int>(hand.size()), typeMask, select);
}

// --- Automatic play ---

AutoMove CardHand::PlayForMe()
{
    if (IsLeading()) {
        DeselectAll();
        AutoSelectGroup();
        UpdateThrowButton();
        return AutoMove::kThrow;
    }
    DeselectAll();
    ClearHintCursors();
    SelectBeatingPlay();
    const int selected = CountSelected();
    if (selected == 0)
        return AutoMove::kPass;
    if (selected == static_cast<int>(MyHand().size()))
        return AutoMove::kThrow; // the play empties the hand
    // The partner's play is left to stand.
    if (IsOppositeChair(m_host.LastPlayChair()))
        return AutoMove::kPass;
    return AutoMove::kThrow;
}

void CardHand::AutoSelectGroup()
{
    std::vector<int> hand = GetHandCards();
    const int n = SortIdsByOrder(hand.data(), static_cast<int>(hand.size()));
    if (n == 0)
        return;
    const Histogram counts = CountValues(hand);
    const int lowestValue = table::CardValue(hand[n - 1]);
    if (counts[lowestValue] < 4) {
        SelectCardsOfValue(lowestValue);
        return;
    }
    // The lowest card belongs to a bomb: lead the lowest small group instead.
    for (int size = 1; size <= 8; ++size) {
        if (SelectGroupOfValue(size) > 0)
            return;
    }
}

int CardHand::SelectGroupOfValue(int n)
{
    Histogram counts {};
    CountHandValues(counts.data(), kHistogram);
    int best = 0;
    int bestOrder = 0;
    for (int v = 1; v < kHistogram; ++v) {
        if (counts[v] != n)
            continue;
        const int order = table::MapOrderValue(v, m_host.LevelRank());
        if (best == 0 || order < bestOrder) {
            best = v;
            bestOrder = order;
        }
    }
    return SelectCardsOfValue(best);
}

int CardHand::SelectCardsOfValue(int value)
{
    int selected = 0;
    for (CardSprite* card : MyHand()) {
        if (card->cardId < 0 || table::CardValue(card->cardId) != value)
            continue;
        card->selected = 1;
        card->Update();
        ++selected;
    }
    return selected;
}

TurnStart CardHand::CheckTurnStart()
{
    if (IsLeading())
        return TurnStart::kLeading;
    const std::vector<int> hand = GetHandCards();
    const int n = static_cast<int>(hand.size());
    const PlayRecord& last = m_host.LastPlayRecord();
    TurnStart result = TurnStart::kCanPlay;
    if (n > 0 && !m_rules->FindBeatingPlay(hand.data(), n, last, m_hintCursor, m_rules->PlayMask(), true)) {
        const bool bigJoker = last.type == table::CT_SINGLE && table::CardValue(last.cards[0]) == table::kBigJokerValue;
        const bool nearlyOut = n <= 3 && (n < last.count || bigJoker);
        result = nearlyOut ? TurnStart::kPassAutomatically : TurnStart::kShowPassHint;
    }
    ClearHintCursors();
    return result;
}

} // namespace game
