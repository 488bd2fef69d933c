// The card layer's records: for each, a table of bodies (good, longer than
// the record, short, with a chair outside the table, with card counts
// below 0, beyond a hand or beyond the body) and the fields read or the
// rule that refused the body.

#include "cards/CardRecords.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

using game::RecordFault;

constexpr int kChairs = 4;

// A body of `size` zero bytes with the words written at their offsets.
std::vector<uint8_t> Body(size_t size, std::initializer_list<std::pair<size_t, int32_t>> words = {})
{
    std::vector<uint8_t> body(size, 0);
    for (const auto& [offset, value] : words)
        for (size_t i = 0; i < 4; ++i)
            body[offset + i] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
    return body;
}

// What a parse made of a body: the fields the test follows, or the fault.
template <class Record>
std::string Outcome(const std::vector<uint8_t>& body, const std::function<std::string(const Record&)>& fields)
{
    const auto parsed = Record::Parse(body.data(), body.size(), kChairs);
    return parsed ? fields(*parsed) : "refused: " + parsed.Fault().Describe();
}

struct Case {
    const char* name;
    std::vector<uint8_t> body;
    std::string outcome;
};

template <class Record>
void Check(const std::vector<Case>& cases, const std::function<std::string(const Record&)>& fields)
{
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Outcome<Record>(c.body, fields), c.outcome);
    }
}

std::string Ids(const int* ids, size_t n)
{
    std::string out;
    for (size_t i = 0; i < n; ++i)
        out += (i ? "," : "") + std::to_string(ids[i]);
    return out;
}

TEST(CardRecords, AThrownPlayHoldsAtMostAHandAndNoMoreThanItsBody)
{
    auto play = [](int count, size_t ids) {
        return Body(64 + 4 * ids, { { 12, 2 }, { 20, 1 }, { 24, 3 }, { 28, 18 }, { 48, 4 }, { 52, 6 }, { 56, 9 },
                                       { 60, count } });
    };
    std::vector<uint8_t> three = play(3, 3);
    three[64] = 7, three[68] = 8, three[72] = 107;
    std::vector<uint8_t> longer = three;
    longer.resize(100, 0xee);
    Check<game::ThrownPlay>(
        {
            { "three cards", three, "2>1 place 3 18s type 4/6/9 [7,8,107]" },
            { "trailing bytes ignored", longer, "2>1 place 3 18s type 4/6/9 [7,8,107]" },
            { "no cards", play(0, 0), "2>1 place 3 18s type 4/6/9 []" },
            { "a full hand", play(27, 27), "2>1 place 3 18s type 4/6/9 [" + Ids(std::vector<int>(27, 0).data(), 27) + "]" },
            { "beyond a hand", play(28, 28), "refused: 28 cards" },
            { "the most a play record holds", play(64, 64), "refused: 64 cards" },
            { "negative count", play(-1, 0), "refused: -1 cards" },
            { "huge count", play(0x40000000, 0), "refused: 1073741824 cards" },
            { "count past the body", play(3, 2), "refused: 72 bytes, 76 needed" },
            { "head cut short", Body(63), "refused: 63 bytes, 64 needed" },
            { "empty body", {}, "refused: 0 bytes, 64 needed" },
            { "playing chair outside", Body(64, { { 12, 4 }, { 20, 1 } }), "refused: chair 4 outside the table" },
            { "next chair negative", Body(64, { { 12, 2 }, { 20, -2 } }), "refused: chair -2 outside the table" },
        },
        std::function([](const game::ThrownPlay& r) {
            return std::to_string(r.chair) + ">" + std::to_string(r.nextChair) + " place "
                + std::to_string(r.finishPlace) + " " + std::to_string(r.seconds) + "s type "
                + std::to_string(r.play.type) + "/" + std::to_string(r.play.mask) + "/" + std::to_string(r.play.value)
                + " [" + Ids(r.play.cards, static_cast<size_t>(r.play.count)) + "]";
        }));
}

TEST(CardRecords, ShownCardsFollowTheSameCountRule)
{
    Check<game::ShownCards>(
        {
            { "two cards", Body(20, { { 4, 3 }, { 8, 2 }, { 12, 40 }, { 16, 41 } }), "3 [40,41]" },
            { "a full hand", Body(12 + 4 * 27, { { 4, 1 }, { 8, 27 } }), "1 [" + Ids(std::vector<int>(27, 0).data(), 27) + "]" },
            { "beyond a hand", Body(12 + 4 * 28, { { 4, 1 }, { 8, 28 } }), "refused: 28 cards" },
            { "negative count", Body(20, { { 4, 3 }, { 8, -1 } }), "refused: -1 cards" },
            { "count past the body", Body(20, { { 4, 3 }, { 8, 3 } }), "refused: 20 bytes, 24 needed" },
            { "chair outside", Body(20, { { 4, 4 }, { 8, 2 } }), "refused: chair 4 outside the table" },
            { "short", Body(11), "refused: 11 bytes, 12 needed" },
        },
        std::function([](const game::ShownCards& r) {
            return std::to_string(r.chair) + " [" + Ids(r.cards.data(), r.cards.size()) + "]";
        }));
}

TEST(CardRecords, PassesTurnsAndStartsNameChairsOfTheTable)
{
    Check<game::PassedTurn>(
        {
            { "a pass ending the trick", Body(36, { { 8, 1 }, { 16, 0 }, { 20, 1 }, { 32, 15 } }), "1>0 clears 15s" },
            { "a pass", Body(40, { { 8, 3 }, { 16, 2 }, { 32, 20 } }), "3>2 20s" },
            { "short", Body(35, { { 8, 1 } }), "refused: 35 bytes, 36 needed" },
            { "passing chair outside", Body(36, { { 8, 4 } }), "refused: chair 4 outside the table" },
            { "next chair negative", Body(36, { { 8, 1 }, { 16, -1 } }), "refused: chair -1 outside the table" },
        },
        std::function([](const game::PassedTurn& r) {
            return std::to_string(r.chair) + ">" + std::to_string(r.nextChair) + (r.clearsTable ? " clears " : " ")
                + std::to_string(r.seconds) + "s";
        }));
    Check<game::TurnNotice>(
        {
            { "turn", Body(8, { { 4, 3 } }), "3" },
            { "chair outside", Body(8, { { 4, 4 } }), "refused: chair 4 outside the table" },
            { "short", Body(7), "refused: 7 bytes, 8 needed" },
        },
        std::function([](const game::TurnNotice& r) { return std::to_string(r.chair); }));
    Check<game::PlayerStarted>(
        {
            { "start", Body(16, { { 12, 2 } }), "2" },
            { "chair outside", Body(16, { { 12, -1 } }), "refused: chair -1 outside the table" },
            { "short", Body(15), "refused: 15 bytes, 16 needed" },
        },
        std::function([](const game::PlayerStarted& r) { return std::to_string(r.chair); }));
}

TEST(CardRecords, LookersOnAndPresence)
{
    Check<game::ViewCardsAnswer>(
        {
            { "allowed", Body(40, { { 0, 501 }, { 12, 3 }, { 16, 900 }, { 20, 1 } }), "501@3 allows 900" },
            { "refused", Body(40, { { 0, 501 }, { 12, 3 }, { 16, 900 } }), "501@3 refuses 900" },
            { "chair outside", Body(40, { { 12, 9 } }), "refused: chair 9 outside the table" },
            { "short", Body(39), "refused: 39 bytes, 40 needed" },
        },
        std::function([](const game::ViewCardsAnswer& r) {
            return std::to_string(r.userId) + "@" + std::to_string(r.chair) + (r.allowed ? " allows " : " refuses ")
                + std::to_string(r.requester);
        }));
    Check<game::ViewCardsRequest>(
        {
            { "request", Body(4, { { 0, 30003 } }), "30003" },
            { "short", Body(3), "refused: 3 bytes, 4 needed" },
        },
        std::function([](const game::ViewCardsRequest& r) { return std::to_string(r.requester); }));
    Check<game::PlayerOffline>(
        {
            { "offline", Body(4, { { 0, 777 } }), "777" },
            { "short", Body(0), "refused: 0 bytes, 4 needed" },
        },
        std::function([](const game::PlayerOffline& r) { return std::to_string(r.userId); }));
}

// A table message's payload stays within its body and is read in the form
// its kind gives it.
TEST(CardRecords, TableMessagesReadTheirPayloadByKind)
{
    const int show = game::kTableMsgShowCards;
    const int on = game::kTableMsgAutoPlayOn;
    Check<game::TableMessage>(
        {
            { "a seat notice", Body(24, { { 8, on }, { 16, 4 }, { 20, 2 } }), "auto on, chair 2" },
            { "a seat notice naming no chair of the table", Body(24, { { 8, on }, { 16, 4 }, { 20, 9 } }), "auto on" },
            { "a payload too short for a chair", Body(23, { { 8, on }, { 16, 3 } }), "auto on" },
            { "an empty payload", Body(20, { { 8, on } }), "auto on" },
            { "shown cards",
                Body(20 + 16, { { 8, show }, { 16, 16 }, { 24, 1 }, { 28, 1 }, { 32, 33 } }), "show, chair 0 shows 1 [33]" },
            { "shown cards beyond a hand", Body(20 + 12 + 4 * 28, { { 8, show }, { 16, 12 + 4 * 28 }, { 24, 1 }, { 28, 28 } }),
                "show, chair 0" },
            { "payload past the body", Body(28, { { 8, on }, { 16, 9 } }), "refused: payload of 9 bytes in 28" },
            { "huge payload length", Body(28, { { 8, on }, { 16, -1 } }), "refused: payload of 4294967295 bytes in 28" },
            { "short head", Body(19), "refused: 19 bytes, 20 needed" },
        },
        std::function([&](const game::TableMessage& r) {
            std::string out = r.kind == show ? "show" : r.kind == on ? "auto on" : std::to_string(r.kind);
            if (r.chair)
                out += ", chair " + std::to_string(*r.chair);
            if (r.shown)
                out += " shows " + std::to_string(r.shown->chair) + " [" + Ids(r.shown->cards.data(), r.shown->cards.size()) + "]";
            return out;
        }));
}

} // namespace
