#include "DealSimulation.h"

#include "HintSearch.h"

#include "platform/Clock.h"

#include <algorithm>

namespace table::testing {

DealSimulator::DealSimulator(int silver, int baseSilverArg)
{
    for (int c = 0; c < kFriendChairs; ++c) {
        auto player = std::make_unique<TablePlayer>();
        player->userId = 1000 + c;
        player->chair = c;
        player->score = 500;
        player->silver = silver;
        m_rules.AddPlayer(player);
        m_rules.SetOptionWords(c, 0x4, 0); // every player on the silver table
    }
    m_params.fill(0);
    m_params[kParamBaseSilver] = baseSilverArg;
    m_params[kParamMinSilver] = 0;
    m_params[kParamFeeRate6] = 2;
    m_params[kParamFeeKind] = 6;
    m_params[kParamTimeCap] = 3600;
    m_params[kParamMinScore] = -1000000000;
    m_params[kParamMaxScore] = 1000000000;
    m_params[kParamMaxRoundsPlayer] = 1000000000;
    m_params[kParamMaxRoundsTable] = 1000000000;
}

DealOutcome DealSimulator::RunDeal(uint32_t seed)
{
    DealOutcome outcome;
    outcome.plays.reserve(256);
    platform::SetFixedTick(seed * 2654435761u);
    m_rules.PlayerAt(0)->seeds[0] = static_cast<int>(seed);
    m_rules.StartRound(nullptr, 0);
    for (int c = 0; c < kFriendChairs; ++c) {
        outcome.scoreBefore[c] = m_rules.PlayerAt(c)->score;
        outcome.silverBefore[c] = m_rules.PlayerAt(c)->silver;
    }
    int chair = -1;
    outcome.startCode = m_rules.CheckAndStart(&chair, m_params);
    if (outcome.startCode != kStartOk)
        return outcome;

    for (int step = 0; step < 2000; ++step) {
        const FriendTableState& state = m_rules.State();
        const int current = m_rules.GetCurrentChair();
        int hand[kMaxPlayCards];
        int n = m_rules.GetHandCards(current, hand);
        const bool leading = state.lastPlayChair < 0;
        const PlayRecord& previous = leading ? m_none : state.lastPlay;
        PlayRecord& hint = m_hint;
        // Without wildcards first, then with them, as the table view hints;
        // a hand without jokers reads the same both ways.
        bool jokers = false;
        for (int i = 0; i < n && !jokers; ++i)
            jokers = m_rules.IsValidCard(hand[i]) && CardValue(hand[i]) >= kSmallJokerValue;
        bool found = (jokers && FindBeatingPlay(m_rules, hand, n, previous, hint, kFriendPlayMask, false))
            || FindBeatingPlay(m_rules, hand, n, previous, hint, kFriendPlayMask, true);
        PlayMessage& message = m_message;
        std::fill(message.head, message.head + 12, 0);
        message.head[PlayMessage::kChairWord] = current;
        if (!found) {
            if (leading) {
                outcome.allValid = false; // a leader always has a single
                return outcome;
            }
            outcome.plays.push_back({ current, PlayRecord() });
            m_rules.AdvanceTurn(message);
            continue;
        }
        // The player's side reads the chosen cards the way the client does.
        PlayList& list = m_list;
        list.count = 0;
        m_rules.FindPlays(current, hint.cards, hint.count, list, kCardTablePlayMask);
        if (leading)
            m_rules.PickStrongestPlay(list);
        else
            m_rules.PickBeatingPlay(previous, list);
        message.play = list.entries[0];
        if (!m_rules.ValidatePlay(message)) {
            outcome.allValid = false;
            return outcome;
        }
        outcome.plays.push_back({ current, message.play });
        m_rules.ApplyPlay(message);
        if (m_rules.CheckChairFinished(message) == 1) {
            outcome.finished = true;
            break;
        }
    }
    if (outcome.finished)
        m_rules.FinishFriendRound(outcome.result, 0, 0, false, nullptr);
    return outcome;
}

} // namespace table::testing
