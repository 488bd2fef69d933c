#include "tools/tableserver/TableRobot.h"

#include <algorithm>
#include <vector>

namespace tools {

using namespace table;

namespace {

bool Within(int type, int mask)
{
    return (type & mask) == type;
}

bool IsJoker(int id)
{
    return id >= 0 && CardValue(id) >= kSmallJokerValue;
}

bool IsBombType(int type)
{
    return type == CT_BOMB || type == CT_FOUR_JOKERS || type == CT_BIG_BOMB || type == CT_STRAIGHT_FLUSH;
}

} // namespace

bool Robot::FindBeating(FriendCardRules& rules, const int* hand, int n, const PlayRecord& start, PlayRecord& out,
    bool wildcards, bool bombs)
{
    const int savedOptions = rules.GetOptions();
    rules.SetOptions(wildcards ? savedOptions | kOptionWildcards : savedOptions & ~kOptionWildcards);
    int histogram[kHistogramSize] = {};
    int wild = 0;
    rules.CountCardsByValue(hand, n, histogram, kHistogramSize, &wild);

    const int t = start.type;
    bool found = false;
    // A builder leaves the record as it was when it fails; one that builds
    // a play not beating the start gets the start back.
    PlayRecord trial = start;
    auto attempt = [&](auto build) {
        if (found || !build(trial))
            return;
        if (rules.CanBeat(start, trial)) {
            out = trial;
            found = true;
        } else {
            trial = start;
        }
    };
    const int* h = histogram;
    const int hs = kHistogramSize;
    if (Within(t, CT_SINGLE))
        attempt([&](PlayRecord& r) { return rules.BuildSingle(hand, n, h, hs, wild, r); });
    if (Within(t, CT_PAIR))
        attempt([&](PlayRecord& r) { return rules.BuildPair(hand, n, h, hs, wild, r); });
    if (Within(t, CT_TRIPLE))
        attempt([&](PlayRecord& r) { return rules.BuildTriple(hand, n, h, hs, wild, r); });
    if (Within(t, CT_STRAIGHT)) {
        for (int length = 5; length <= 12; ++length)
            attempt([&](PlayRecord& r) { return rules.BuildStraight(hand, n, h, hs, wild, r, length); });
    }
    if (Within(t, CT_PAIR_RUN)) {
        for (int pairs = 3; pairs <= 12; ++pairs)
            attempt([&](PlayRecord& r) { return rules.BuildPairRun(hand, n, h, hs, wild, r, pairs); });
    }
    if (bombs && Within(t, kFriendPlayMask & ~CT_FOUR_JOKERS)) {
        for (int size = 4; size <= 12; ++size)
            attempt([&](PlayRecord& r) { return rules.BuildBomb(hand, n, h, hs, wild, r, size); });
    }
    if (bombs && Within(t, kFriendPlayMask))
        attempt([&](PlayRecord& r) { return rules.BuildFourJokers(hand, n, h, hs, wild, r); });
    rules.SetOptions(savedOptions);
    return found;
}

bool Robot::ReadPlay(FriendCardRules& rules, int chair, const int* cards, int n, PlayRecord& out)
{
    if (n <= 0 || n > kMaxPlayCards)
        return false;
    const FriendTableState& state = rules.State();
    PlayList list;
    list.count = 0;
    if (rules.FindPlays(chair, cards, n, list, kFriendPlayMask) == 0 || list.count == 0)
        return false;
    const bool leading = state.lastPlayChair < 0 || state.lastPlay.type == 0;
    if (leading)
        rules.PickStrongestPlay(list);
    else if (rules.PickBeatingPlay(state.lastPlay, list) == 0)
        return false;
    out = list.entries[0];
    return true;
}

bool Robot::Lead(FriendCardRules& rules, int chair, const int* hand, int n, PlayRecord& out)
{
    const int level = rules.GetLevel();
    // The hand by value: ordinary cards of one value are a group, the jokers
    // one more.
    struct Group {
        int order = 0;
        std::vector<int> cards;
    };
    std::vector<Group> groups(kHistogramSize);
    std::vector<int> jokers;
    for (int i = 0; i < n; ++i) {
        if (IsJoker(hand[i])) {
            jokers.push_back(hand[i]);
            continue;
        }
        Group& g = groups[CardValue(hand[i])];
        g.order = CardOrder(hand[i], level);
        g.cards.push_back(hand[i]);
    }
    std::vector<const Group*> plain;
    std::vector<const Group*> bombs;
    for (const Group& g : groups) {
        if (g.cards.empty())
            continue;
        (g.cards.size() < 4 ? plain : bombs).push_back(&g);
    }
    auto lowest = [](const Group* a, const Group* b) { return a->order < b->order; };
    std::sort(plain.begin(), plain.end(), lowest);
    std::sort(bombs.begin(), bombs.end(), lowest);
    std::vector<const std::vector<int>*> choices;
    for (const Group* g : plain)
        choices.push_back(&g->cards);
    for (const Group* g : bombs)
        choices.push_back(&g->cards);
    if (!jokers.empty())
        choices.push_back(&jokers);
    for (const std::vector<int>* cards : choices) {
        if (ReadPlay(rules, chair, cards->data(), static_cast<int>(cards->size()), out))
            return true;
    }
    // Nothing reads as a group: the lowest single card.
    PlayRecord none;
    none.type = 0;
    PlayRecord single;
    return FindBeating(rules, hand, n, none, single, false, false)
        && ReadPlay(rules, chair, single.cards, single.count, out);
}

bool Robot::Follow(FriendCardRules& rules, int chair, const int* hand, int n, PlayRecord& out)
{
    const FriendTableState& state = rules.State();
    const int lastChair = state.lastPlayChair;
    const PlayRecord& last = state.lastPlay;
    const bool partnerKnown = state.friendRevealed != -1 || chair == rules.GetFriendChair();
    if (partnerKnown && lastChair == rules.GetPartnerChair(chair))
        return false;
    const bool lastIsBomb = IsBombType(last.type);
    const bool matters = rules.GetHandCount(lastChair) <= kOpponentShortHand || n <= kOwnShortHand;
    PlayRecord found;
    bool hasJokers = std::any_of(hand, hand + n, IsJoker);
    // Ordinary plays first, without spending jokers as wildcards while
    // ordinary cards do; bombs only when they matter.
    for (bool bombs : { false, true }) {
        if (bombs && !matters)
            break;
        if (!bombs && lastIsBomb)
            continue;
        if ((hasJokers && FindBeating(rules, hand, n, last, found, false, bombs))
            || FindBeating(rules, hand, n, last, found, true, bombs)) {
            if (ReadPlay(rules, chair, found.cards, found.count, out))
                return true;
        }
    }
    return false;
}

RobotMove Robot::Choose(FriendCardRules& rules, int chair)
{
    RobotMove move;
    int hand[kMaxPlayCards];
    const int n = rules.GetHandCards(chair, hand);
    if (n <= 0)
        return move;
    const FriendTableState& state = rules.State();
    const bool leading = state.lastPlayChair < 0 || state.lastPlay.type == 0;
    if (leading ? Lead(rules, chair, hand, n, move.play) : Follow(rules, chair, hand, n, move.play))
        move.pass = false;
    return move;
}

} // namespace tools
