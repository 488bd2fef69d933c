// A play message from outside: its record is parsed, its cards are read by
// the recognisers and its record is compared and used as the play to beat by
// every builder. Nothing may read or write outside the records.

#include "table/FriendCardRules.h"
#include "table/PlayRecord.h"

#include "platform/Clock.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace table;
    PlayMessage message;
    if (!PlayMessage::Read(std::span<const uint8_t>(data, size), message))
        return 0;
    static FriendCardRules rules;
    const PlayRecord& play = message.play;
    for (int options : { 0, kOptionWildcards }) {
        rules.SetOptions(options);
        PlayList list;
        list.Clear();
        rules.FindPlays(message.Chair(), play.cards, kMaxPlayCards, list, play.type);
        rules.FindPlays(message.Chair(), play.cards, play.count, list, kFriendPlayMask);
        PlayList copy = list;
        rules.PickStrongestPlay(list);
        rules.PickBeatingPlay(play, copy);
        rules.CanBeat(play, list.entries[0]);

        int histogram[kHistogramSize] = {};
        int wild = 0;
        rules.CountCardsByValue(play.cards, kMaxPlayCards, histogram, kHistogramSize, &wild);
        const int* h = histogram;
        PlayRecord r = play;
        rules.BuildSingle(play.cards, kMaxPlayCards, h, kHistogramSize, wild, r);
        r = play;
        rules.BuildPair(play.cards, kMaxPlayCards, h, kHistogramSize, wild, r);
        r = play;
        rules.BuildTriple(play.cards, kMaxPlayCards, h, kHistogramSize, wild, r);
        r = play;
        rules.BuildTriplePair(play.cards, kMaxPlayCards, h, kHistogramSize, wild, r);
        for (int k = 0; k <= 13; ++k) {
            r = play;
            rules.BuildStraight(play.cards, kMaxPlayCards, h, kHistogramSize, wild, r, k);
            r = play;
            rules.BuildPairRun(play.cards, kMaxPlayCards, h, kHistogramSize, wild, r, k);
            r = play;
            rules.BuildTripleRun(play.cards, kMaxPlayCards, h, kHistogramSize, wild, r, k);
            r = play;
            rules.BuildTriplePairRun(play.cards, kMaxPlayCards, h, kHistogramSize, wild, r, k);
            r = play;
            rules.BuildQuadRun(play.cards, kMaxPlayCards, h, kHistogramSize, wild, r, k);
            r = play;
            rules.BuildBomb(play.cards, kMaxPlayCards, h, kHistogramSize, wild, r, k);
            r = play;
            rules.BuildStraightFlush(play.cards, kMaxPlayCards, h, kHistogramSize, wild, r, k);
        }
        r = play;
        rules.BuildJokerBomb(play.cards, kMaxPlayCards, h, kHistogramSize, wild, r, play.count);
        r = play;
        rules.BuildFiveTenKing(play.cards, kMaxPlayCards, h, kHistogramSize, wild, r);
        r = play;
        rules.BuildQuad(play.cards, kMaxPlayCards, h, kHistogramSize, wild, r);
        r = play;
        rules.BuildFourJokers(play.cards, kMaxPlayCards, h, kHistogramSize, wild, r);
        r = play;
        rules.BuildBigBomb(play.cards, kMaxPlayCards, h, kHistogramSize, wild, r, 0);
    }

    // The same message played on a dealt table: checked, and applied only
    // when the check passes; a pass in its place.
    static FriendCardRules table;
    platform::SetFixedTick(12345u);
    table.Reset(false);
    table.SetRoundCount(1);
    table.SetPresetBanker(0);
    table.DealCards();
    table.SetPlaying();
    PlayMessage copy = message;
    if (table.ValidatePlay(copy)) {
        table.ApplyPlay(copy);
        table.CheckChairFinished(copy);
        std::vector<uint8_t> seat(FriendTableState::kWireSize);
        table.FillTableState(seat, copy.Chair(), false);
    } else {
        table.AdvanceTurn(copy);
    }
    return 0;
}
