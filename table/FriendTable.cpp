// This game's table side: dealing with the called card and the hidden
// friend, checking and applying plays, finishing places, passing the lead and
// the per-seat copies of the table state.

#include "table/FriendCardRules.h"
#include "table/Random.h"
#include "platform/Bytes.h"

#include "platform/Clock.h"

#include <algorithm>
#include <cstring>

namespace table {

using platform::StoreI32Array;

namespace {
bool IsJoker(int id)
{
    return id >= 0 && (id % kFacesPerDeck == kSmallJokerFace || id % kFacesPerDeck == kBigJokerFace);
}
} // namespace

int FriendCardRules::PrepareState()
{
    if (!m_state) {
        m_state = std::make_unique<FriendTableState>();
        InitTableState(m_state.get());
    }
    return 1;
}

void FriendCardRules::Reset(bool full)
{
    CardTable::Reset(full);
    PrepareState();
    m_calledCard = -1;
    m_calledRound = 0;
    m_friendChair = -1;
    m_dealMode = 0;
    // The turn lengths survive a reset between deals: cleared to 0 they would
    // give every turn a one-second limit.
    int turnLength[kFriendChairs];
    for (int c = 0; c < kFriendChairs; ++c)
        turnLength[c] = m_state->chair[c][kTurnLength];
    InitTableState(m_state.get());
    std::fill(m_cardIndex, m_cardIndex + kFriendCards, -1);
    ClearHeld();
    for (auto& hand : m_dealt)
        FillMinusOne(hand, kFriendHandSize);
    for (int c = 0; c < kFriendChairs; ++c)
        m_state->chair[c][kTurnLength] = full ? 20 : turnLength[c];
    if (full) {
        m_presetBanker = -1;
        std::memset(m_history, 0, sizeof m_history);
        std::memset(m_historyTotal, 0, sizeof m_historyTotal);
        m_historyCount = 0;
        std::memset(m_lastSign, 0, sizeof m_lastSign);
    }
    m_unusedWord = -1;
    m_endAtNextFinish = false;
}

int FriendCardRules::ResetRound()
{
    GameTable::ResetRound();
    m_dealMode = 0;
    for (int c = 0; c < kMaxChairs; ++c)
        m_team[c] = -1;
    PrepareState();
    InitTableState(m_state.get());
    for (int c = 0; c < kFriendChairs; ++c)
        m_state->chair[c][kTurnLength] = 20;
    std::fill(m_cardIndex, m_cardIndex + kFriendCards, -1);
    ClearHeld();
    m_presetBanker = -1;
    std::memset(m_history, 0, sizeof m_history);
    std::memset(m_historyTotal, 0, sizeof m_historyTotal);
    m_historyCount = 0;
    return 0;
}

void FriendCardRules::ClearHeld()
{
    std::memset(m_held, 0, sizeof m_held);
    std::memset(m_onTable, 0, sizeof m_onTable);
}

void FriendCardRules::RefreshHeld(int id)
{
    if (id < 0 || id >= kFriendCards || m_cardIndex[id] < 0)
        return;
    const int index = m_cardIndex[id];
    const uint64_t bit = uint64_t { 1 } << (index % 64);
    for (int c = 0; c < kFriendChairs; ++c) {
        m_held[c][index / 64] &= ~bit;
        m_onTable[c][index / 64] &= ~bit;
    }
    const CardRecord& card = m_state->cards[index];
    if (card.owner >= 0 && card.owner < kFriendChairs) {
        if (card.state == kCardInHand)
            m_held[card.owner][index / 64] |= bit;
        else if (card.state == kCardOnTable)
            m_onTable[card.owner][index / 64] |= bit;
    }
}

CardRecord* FriendCardRules::CardOf(int id)
{
    if (id < 0 || id >= kFriendCards || m_cardIndex[id] < 0)
        return nullptr;
    return &m_state->cards[m_cardIndex[id]];
}

const CardRecord* FriendCardRules::FindCard(int id) const
{
    if (id < 0 || id >= kFriendCards || m_cardIndex[id] < 0)
        return nullptr;
    return &m_state->cards[m_cardIndex[id]];
}

int FriendCardRules::ChooseBanker()
{
    return RandomBelow(m_chairCount);
}

int FriendCardRules::ChooseRoundBanker(const int*, int)
{
    return m_banker;
}

void FriendCardRules::DealCards()
{
    PrepareState();
    FriendTableState& s = *m_state;
    // A state that holds an earlier deal starts afresh (the owner may deal
    // again without a reset); the turn lengths and the level stay.
    if (s.dealIndex != 0) {
        int turnLength[kFriendChairs];
        for (int c = 0; c < kFriendChairs; ++c)
            turnLength[c] = s.chair[c][kTurnLength];
        const int level = s.level;
        InitTableState(&s);
        for (int c = 0; c < kFriendChairs; ++c)
            s.chair[c][kTurnLength] = turnLength[c];
        s.level = level;
    }
    s.dealIndex = 0;
    m_dealMode = m_allHave[2] ? 16 : (m_allHave[1] ? 8 : 0);
    const int banker = m_presetBanker >= 0 && m_presetBanker < kFriendChairs ? m_presetBanker : ChooseBanker();
    m_banker = banker;

    // Shuffle: a key per id, larger keys first (exchange sort).
    const TablePlayer* first = m_players[0];
    const platform::LocalTime now = platform::LocalNow();
    SeedRandom(platform::TickMs() + 10u * static_cast<uint32_t>(now.second)
        + static_cast<uint32_t>(first ? first->seeds[0] : 0));
    struct Keyed {
        int key;
        int id;
    } order[kFriendCards];
    for (int id = 0; id < kFriendCards; ++id)
        order[id] = Keyed { NextRandom() % 108000, id };
    // Distinct keys have one descending order, which a quick sort finds; only
    // equal keys need the exchange sort itself to come out the same.
    Keyed sorted[kFriendCards];
    std::copy(order, order + kFriendCards, sorted);
    std::sort(sorted, sorted + kFriendCards, [](const Keyed& a, const Keyed& b) { return a.key > b.key; });
    bool ties = false;
    for (int i = 1; i < kFriendCards && !ties; ++i)
        ties = sorted[i].key == sorted[i - 1].key;
    if (ties) {
        for (int i = 0; i < kFriendCards; ++i) {
            for (int j = i + 1; j < kFriendCards; ++j) {
                if (order[i].key < order[j].key)
                    std::swap(order[i], order[j]);
            }
        }
    } else {
        std::copy(sorted, sorted + kFriendCards, order);
    }
    ClearHeld();
    for (int i = 0; i < kFriendCards; ++i) {
        int id = order[i].id;
        s.cards[i] = CardRecord { id, CallCardValue(id), CallCardSuit(id), CallCardFace(id), kCardInDeck, -1, i, 0 };
        m_cardIndex[id] = i;
    }

    // The called card is one the banker will receive; the other copy of its
    // face must go to someone else, the hidden friend.
    const bool inChairOrder = m_presetBanker < 0 || m_roundCount <= 1;
    const int calledIndex = inChairOrder ? banker + 56 : 0;
    m_calledCard = s.cards[calledIndex].id;
    m_calledRound = inChairOrder ? 14 : 0;
    const int face = m_calledCard % kFacesPerDeck;
    for (int j = 0; j < kFriendCards; ++j) {
        int id = s.cards[j].id;
        if (id == m_calledCard || id % kFacesPerDeck != face)
            continue;
        bool toBanker = inChairOrder ? (j - calledIndex) % 4 == 0 : j % 4 == 0;
        if (!toBanker)
            continue;
        SeedRandom(SecondsOf(now));
        int r = NextRandom() % 3 + 1;
        bool later = inChairOrder ? j < calledIndex : j < 54;
        int t = later ? j + r : j - r;
        std::swap(s.cards[j], s.cards[t]);
        s.cards[j].position = j;
        s.cards[t].position = t;
        m_cardIndex[s.cards[j].id] = j;
        m_cardIndex[s.cards[t].id] = t;
    }

    for (auto& histogram : m_handHistogram)
        histogram.fill(0);
    int dealtCount[kFriendChairs] = {};
    for (int round = 0; round < kFriendHandSize; ++round) {
        int chair = inChairOrder ? 0 : banker;
        for (int k = 0; k < kFriendChairs; ++k) {
            int id = DealCardTo(chair);
            if (id >= 0 && dealtCount[chair] < kFriendHandSize)
                m_dealt[chair][dealtCount[chair]++] = id;
            chair = inChairOrder ? chair + 1 : NextChair(chair);
        }
    }

    m_friendChair = -1;
    for (int i = 0; i < kFriendCards; ++i) {
        int id = s.cards[i].id;
        if (id != m_calledCard && id % kFacesPerDeck == face) {
            m_friendChair = s.cards[i].owner;
            break;
        }
    }
    for (int c = 0; c < kFriendChairs; ++c)
        m_team[c] = (c == banker || c == m_friendChair) ? 0 : 1;
    SetCurrentChair(banker, 20);
}

int FriendCardRules::DealCardTo(int chair)
{
    FriendTableState& s = *m_state;
    if (s.dealIndex < 0 || s.dealIndex >= kFriendCards || chair < 0 || chair >= kFriendChairs)
        return -1;
    CardRecord& card = s.cards[s.dealIndex++];
    card.state = kCardInHand;
    card.owner = chair;
    card.position = 0;
    if (card.value > 0 && card.value < kHistogramSize)
        ++m_handHistogram[chair][card.value];
    RefreshHeld(card.id);
    return card.id;
}

int FriendCardRules::MoveCardOwner(int from, int to, int id)
{
    CardRecord* card = CardOf(id);
    if (!card || card->owner != from || from < 0 || from >= kFriendChairs || to < 0 || to >= kFriendChairs)
        return 0;
    card->owner = to;
    if (card->state == kCardInHand && card->value > 0 && card->value < kHistogramSize) {
        --m_handHistogram[from][card->value];
        ++m_handHistogram[to][card->value];
    }
    RefreshHeld(id);
    return 1;
}

int FriendCardRules::SetCardState(int id, int owner, int state)
{
    CardRecord* card = CardOf(id);
    if (!card)
        return 0;
    card->owner = owner;
    card->state = state;
    RefreshHeld(id);
    return 1;
}

int FriendCardRules::GetHandCards(int chair, int* out) const
{
    if (chair < 0 || chair >= kFriendChairs)
        return 0;
    int n = 0;
    for (int word = 0; word < 2; ++word) {
        for (uint64_t bits = m_held[chair][word]; bits != 0 && n < m_handSize; bits &= bits - 1)
            out[n++] = m_state->cards[word * 64 + __builtin_ctzll(bits)].id;
    }
    return n;
}

int FriendCardRules::GetHighestCard(int chair) const
{
    int level = m_state->level;
    int best = -1;
    int bestOrder = 0;
    for (const CardRecord& card : m_state->cards) {
        if (card.owner != chair || card.state != kCardInHand || IsWildcard(card.id))
            continue;
        int order = CallCardOrder(card.id, level);
        if (best < 0 || order > bestOrder) {
            best = card.id;
            bestOrder = order;
        }
    }
    return best;
}

bool FriendCardRules::OwnsCards(int chair, const int* cards, int n) const
{
    for (int i = 0; i < n; ++i) {
        if (cards[i] == kNoCard)
            continue;
        const CardRecord* card = FindCard(cards[i]);
        // A card already played is no longer the chair's to play.
        if (!card || card->owner != chair || card->state != kCardInHand)
            return false;
    }
    return true;
}

void FriendCardRules::ClearTableCardsOf(int chair)
{
    if (chair < 0 || chair >= kFriendChairs)
        return;
    for (int word = 0; word < 2; ++word) {
        for (uint64_t bits = m_onTable[chair][word]; bits != 0; bits &= bits - 1) {
            CardRecord& card = m_state->cards[word * 64 + __builtin_ctzll(bits)];
            if (card.owner == chair && card.state == kCardOnTable)
                card.state = kCardPlayed;
        }
        m_onTable[chair][word] = 0;
    }
}

void FriendCardRules::ClearTableCards()
{
    for (int c = 0; c < kFriendChairs; ++c)
        ClearTableCardsOf(c);
}

bool FriendCardRules::ValidatePlay(const PlayMessage& message)
{
    const PlayRecord& claim = message.play;
    if (!IsTurnOf(message))
        return false;
    // In one pass: every card is the chair's, in its hand, and named once (a
    // repeated id would be taken from the hand twice); the cards are
    // gathered without the empty places between them.
    const int chair = message.Chair();
    uint64_t seen[2] = {};
    int cards[kMaxPlayCards];
    int n = 0;
    for (int id : claim.cards) {
        if (id == kNoCard)
            continue;
        if (id < 0 || id >= kFriendCards || m_cardIndex[id] < 0)
            return false;
        const CardRecord* card = &m_state->cards[m_cardIndex[id]];
        if (card->owner != chair || card->state != kCardInHand)
            return false;
        uint64_t bit = uint64_t { 1 } << (id % 64);
        if (seen[id / 64] & bit)
            return false;
        seen[id / 64] |= bit;
        cards[n++] = id;
    }
    if (n != claim.count || n <= 0)
        return false;
    PlayList& list = m_scratchList;
    list.count = 0; // the collectors clear each entry they fill
    if (FindPlays(message.Chair(), cards, n, list, claim.type) == 0)
        return false;
    // The play is what the rules read from its cards, not what the message
    // says of them: the claimed type, value and count must be that reading.
    const bool following = m_state->lastPlayChair >= 0 && m_state->lastPlay.type != 0;
    if (following) {
        if (PickBeatingPlay(m_state->lastPlay, list) == 0)
            return false;
    } else {
        PickStrongestPlay(list);
    }
    const PlayRecord& read = list.entries[0];
    if (read.type != claim.type || read.value != claim.value || read.count != claim.count || read.mask != claim.mask)
        return false;
    return !following || CanBeat(m_state->lastPlay, read);
}

void FriendCardRules::ListCard(int chair, int id, bool front)
{
    FriendTableState& s = *m_state;
    // Both ends share 28 places; a full list takes no more.
    if (s.bombListed[chair] + s.jokerListed[chair] >= kChairListSize)
        return;
    if (front)
        s.lists[chair][s.bombListed[chair]++] = id;
    else
        s.lists[chair][kChairListSize - 1 - s.jokerListed[chair]++] = id;
}

int FriendCardRules::ApplyPlay(PlayMessage& message)
{
    FriendTableState& s = *m_state;
    const int chair = message.Chair();
    if (chair < 0 || chair >= kFriendChairs)
        return 0;
    const PlayRecord& play = message.play;
    s.lastPlayChair = chair;
    s.lastPlay = play;
    const int calledFace = m_calledCard >= 0 ? m_calledCard % kFacesPerDeck : -1;
    int jokers = 0;
    int ordinary = 0;
    for (int i = 0; i < kMaxPlayCards; ++i) {
        CardRecord* card = CardOf(play.cards[i]);
        if (!card)
            continue;
        if (card->state == kCardInHand && card->owner == chair && card->value > 0 && card->value < kHistogramSize)
            --m_handHistogram[chair][card->value];
        card->state = kCardOnTable;
        card->owner = chair;
        card->position = i;
        card->extra = play.count;
        RefreshHeld(card->id);
        if (s.friendRevealed == -1 && chair == m_friendChair && card->id != m_calledCard
            && card->id % kFacesPerDeck == calledFace)
            s.friendRevealed = chair;
        if (IsJoker(card->id))
            ++jokers;
        else
            ++ordinary;
    }
    if (play.type == CT_BOMB || jokers > 0) {
        bool bombCards = play.type == CT_BOMB && ordinary > 3;
        for (int i = 0; i < kMaxPlayCards; ++i) {
            int id = play.cards[i];
            if (!CardOf(id))
                continue;
            // Jokers only at the back, even where they are no wildcards.
            if (IsJoker(id))
                ListCard(chair, id, false);
            else if (bombCards)
                ListCard(chair, id, true);
        }
    }
    int points = ScorePlay(chair, play);
    s.runningScore[chair] = s.chair[chair][kChairScore];
    OnTurnTimer(chair);
    SetStatus(kStatusPlaying | kStatusPlayPhase);
    return points;
}

int FriendCardRules::OnTurnTimer(int chair)
{
    if (chair >= 0 && chair < kFriendChairs) {
        m_state->chair[chair][kTimeoutSeconds] += static_cast<int>((platform::TickMs() - m_statusTick) / 1000u);
        m_state->chair[chair][kTimeoutLength] = 20;
    }
    return 20;
}

void FriendCardRules::OnPlayApplied()
{
    SetStatus(kStatusPlaying | kStatusPlayPhase);
}

int FriendCardRules::ChairOfPlace(int place) const
{
    for (int c = 0; c < kFriendChairs; ++c) {
        if (m_state->place[c] == place)
            return c;
    }
    return -1;
}

int FriendCardRules::GetPartnerChair(int chair) const
{
    if (chair < 0 || chair >= kFriendChairs)
        return -1;
    for (int c = 0; c < kFriendChairs; ++c) {
        if (c != chair && m_team[c] == m_team[chair] && m_team[c] != -1)
            return c;
    }
    return -1;
}

int FriendCardRules::CheckChairFinished(PlayMessage& message)
{
    FriendTableState& s = *m_state;
    const int chair = m_currentChair;
    if (chair < 0 || chair >= kFriendChairs)
        return 0;
    if (GetHandCount(chair) == 0 && !s.finished[chair]) {
        s.finished[chair] = 1;
        int finishedCount = 0;
        for (int c = 0; c < kFriendChairs; ++c)
            finishedCount += s.finished[c] ? 1 : 0;
        s.place[chair] = finishedCount;
        message.head[PlayMessage::kWord24] = finishedCount;
        int partner = GetPartnerChair(chair);
        if (m_endAtNextFinish || (partner >= 0 && s.finished[partner])) {
            int next = finishedCount + 1;
            for (int c = 0; c < kFriendChairs; ++c) {
                if (s.place[c] == 0)
                    s.place[c] = next++;
            }
            m_resultKind = 1;
            message.head[PlayMessage::kWord20] = chair;
            m_presetBanker = ChairOfPlace(1);
            return 1;
        }
    }
    int next = chair;
    for (int k = 0; k < kFriendChairs; ++k) {
        next = NextChair(next);
        SetCurrentChair(next, s.chair[next][kTurnLength]);
        ClearTableCardsOf(next);
        if (GetHandCount(next) > 0)
            break;
    }
    message.head[PlayMessage::kWord20] = next;
    return 0;
}

int FriendCardRules::LeadAfterClosedRound(int winner) const
{
    if (GetHandCount(winner) > 0)
        return winner;
    if (m_state->friendRevealed == -1) {
        int next = NextChair(winner);
        if (GetHandCount(next) > 0)
            return next;
        int after = NextChair(next);
        if (GetHandCount(after) > 0)
            return after;
    } else {
        int partner = GetPartnerChair(winner);
        if (partner >= 0 && GetHandCount(partner) > 0)
            return partner;
    }
    // Not reached in a deal that goes on; any chair still holding cards.
    for (int c = NextChair(winner), k = 0; k < kFriendChairs; ++k, c = NextChair(c)) {
        if (GetHandCount(c) > 0)
            return c;
    }
    return winner;
}

int FriendCardRules::AdvanceTurn(PlayMessage& message)
{
    FriendTableState& s = *m_state;
    if (s.lastPlayChair < 0 || m_currentChair < 0 || m_currentChair >= kFriendChairs)
        return 0; // an open round has nothing to pass on
    if (message.Chair() != m_currentChair)
        return 0; // only the chair holding the turn passes
    int chair = m_currentChair;
    for (int k = 0; k < kFriendChairs; ++k) {
        chair = NextChair(chair);
        if (chair == s.lastPlayChair)
            break;
        SetCurrentChair(chair, s.chair[chair][kTurnLength]);
        ClearTableCardsOf(chair);
        if (GetHandCount(chair) > 0) {
            message.head[PlayMessage::kWord16] = chair;
            message.head[PlayMessage::kWord20] = 0;
            return 1;
        }
    }
    // Everyone else passed: the round goes to the last player.
    const int winner = s.lastPlayChair;
    message.head[PlayMessage::kWord24] = winner;
    s.lastPlayChair = -1;
    s.lastPlay.Zero();
    ClearTableCards();
    message.head[PlayMessage::kWord20] = 1;
    int leader = LeadAfterClosedRound(winner);
    SetCurrentChair(leader, s.chair[leader][kTurnLength]);
    message.head[PlayMessage::kWord16] = leader;
    return 1;
}

void FriendCardRules::FillSnapshot(std::span<uint8_t> out)
{
    FriendStartInfo& h = m_state->header;
    std::memcpy(h.gameId, m_gameId, sizeof h.gameId);
    h.roundCount = m_roundCount;
    h.baseSilver = m_baseSilver;
    h.baseScore = m_baseScore;
    h.allFlag4 = m_allHave[1];
    h.allFlag4000 = m_allHave[2];
    h.banker = m_banker;
    h.currentChair = m_currentChair;
    h.status = m_status;
    h.constant20 = 20;
    h.constant90 = 90;
    h.constant3 = 3;
    h.handSize = kFriendHandSize;
    FillMinusOne(h.cards, kFriendHandSize);
    h.calledCard = m_calledCard;
    h.calledRound = m_calledRound;
    h.friendChair = m_friendChair;
    h.Write(out);
}

int FriendCardRules::FillStartInfo(std::span<uint8_t> out, int chair, bool none)
{
    if (out.size() < FriendStartInfo::kWireSize)
        return 0;
    std::fill(out.begin(), out.begin() + FriendStartInfo::kWireSize, uint8_t { 0 });
    FillSnapshot(out);
    FriendStartInfo info = m_state->header;
    info.handSize = kFriendHandSize;
    if (!none && chair >= 0 && chair < kFriendChairs)
        GetHandCards(chair, info.cards);
    info.Write(out);
    return static_cast<int>(FriendStartInfo::kWireSize);
}

int FriendCardRules::FillTableState(std::span<uint8_t> out, int chair, bool hideAll)
{
    if (out.size() < FriendTableState::kWireSize)
        return 0;
    FillSnapshot(out);
    FriendTableState copy = *m_state;
    for (int c = 0; c < kFriendChairs; ++c) {
        copy.chair[c][kCardsInHand] = GetHandCount(c);
        copy.chairFlags[c] = GetChairFlags(c);
        copy.historyTotal[c] = m_historyTotal[c];
        for (int r = 0; r < kHistoryRounds; ++r)
            copy.history[c][r] = m_history[c][r];
    }
    copy.historyCount = m_historyCount;
    copy.turnSeconds = static_cast<int>((platform::TickMs() - m_turnStartTick) / 1000u);
    const bool valid = chair >= 0 && chair < kFriendChairs;
    const int partner = valid ? GetPartnerChair(chair) : -1;
    const bool showPartner = valid && GetHandCount(chair) == 0;
    for (CardRecord& card : copy.cards) {
        if (card.state != kCardInHand)
            continue;
        card.extra = card.owner >= 0 && card.owner < kFriendChairs ? GetHandCount(card.owner) : 0;
        bool visible = !hideAll && valid && (card.owner == chair || (showPartner && card.owner == partner));
        if (!visible) {
            // Hidden hands show neither the id nor what it would tell.
            card.id = -1;
            card.value = card.suit = card.face = 0;
        }
    }
    copy.Write(out);
    return static_cast<int>(FriendTableState::kWireSize);
}

int FriendCardRules::FillTableInfo(std::span<uint8_t> out) const
{
    if (out.size() < static_cast<size_t>(GetTableInfoSize()))
        return 0;
    CardTable::FillTableInfo(out);
    StoreI32Array(out, 88, &m_history[0][0], kFriendChairs * kHistoryRounds);
    StoreI32Array(out, 1048, m_historyTotal, kFriendChairs);
    return GetTableInfoSize();
}

} // namespace table
