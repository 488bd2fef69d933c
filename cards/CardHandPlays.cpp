#include "cards/CardHand.h"

#include "cards/HandCounts.h"

#include "table/Cards.h"

#include <algorithm>

namespace game {

using table::PlayRecord;
using namespace hand_detail;

namespace {

bool IsRun(int type)
{
    return type == table::CT_STRAIGHT || type == table::CT_PAIR_RUN || type == table::CT_TRIPLE_RUN
        || type == table::CT_TRIPLE_PAIR_RUN;
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
        if (FindNextHint(hand.data(), n, m_hintCursor, m_hintCursor, mask)) {
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
    if (FindNextHint(hand.data(), n, last, m_hintCursor, mask)) {
        SelectHint(m_hintCursor);
        return HintOutcome::kSelected;
    }
    return HintOutcome::kPass;
}

bool CardHand::FindNextHint(const int* hand, int n, const PlayRecord& from, PlayRecord& found, int mask) const
{
    const PlayRecord start = from;
    return (HintsTryNaturalFirst() && m_rules->FindBeatingPlay(hand, n, start, found, mask, false))
        || m_rules->FindBeatingPlay(hand, n, start, found, mask, true);
}

bool CardHand::SelectWholeGroupHint()
{
    const std::vector<int> hand = GetHandCards();
    PlayRecord cursor = m_wholeGroupCursor.type != 0 ? m_wholeGroupCursor : m_host.LastPlayRecord();
    if (!FindWholeGroupPlay(hand, cursor, HintsTryNaturalFirst()))
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
    // Only groups larger than eight are left: lead the lowest of them rather
    // than nothing, which would let the turn run out.
    SelectCardsOfValue(lowestValue);
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
