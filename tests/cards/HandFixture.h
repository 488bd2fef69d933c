#pragma once
// A table view stand-in for the hand logic: card sprites that only count
// their updates (no engine), a host that answers the chair, level and last
// play the test sets, and the short card names of the rules tests ("7a",
// "BJ2").

#include "cards/CardHand.h"

#include "tests/table/CardNotation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace game::testing {

using table::testing::CardName;
using table::testing::Cards;

// A card that places itself on a 1024 x 700 table with the smallest
// pictures, and whose Update only counts.
class CountingCard : public CardSprite {
public:
    CountingCard()
    {
        sizeClass = 1;
        SetCardSizes(71, 96, 50, 68);
        selected = 0;
    }
    int updates = 0;
    void Update() override { ++updates; }

protected:
    CardArea GetTableArea() const override { return { 0, 0, 1024, 700 }; }
    int GetChairCount() const override { return 4; }
};

class HandHost : public CardHandHost {
public:
    std::vector<std::unique_ptr<CountingCard>> owned;
    std::vector<CardSprite*> cards;
    int own = 0;
    bool lookerOn = false;
    int level = 0;
    int lastChair = -1;
    table::PlayRecord last;
    bool throwEnabled = false;
    std::vector<std::string> sounds;
    std::string sortPicture;

    std::span<CardSprite* const> Cards() const override { return cards; }
    int OwnChair() const override { return own; }
    bool IsLookerOn() const override { return lookerOn; }
    int LevelRank() const override { return level; }
    int LastPlayChair() const override { return lastChair; }
    const table::PlayRecord& LastPlayRecord() const override { return last; }
    void SetThrowEnabled(bool enabled) override { throwEnabled = enabled; }
    void PlaySound(std::string_view name) override { sounds.emplace_back(name); }
    void SetSortSizePicture(std::string_view name) override { sortPicture = name; }
};

inline std::string PlayNames(const table::PlayRecord& play)
{
    return table::testing::CardNames(play.cards, std::clamp(play.count, 0, 64));
}

// The sorted values of cards: which copies of a value a search takes
// depends on the hand order, the values do not.
inline std::vector<int> ValuesOf(std::vector<int> ids)
{
    for (int& id : ids)
        id = table::CardValue(id);
    std::sort(ids.begin(), ids.end());
    return ids;
}

// A list of cards in a parametrised case's name, which allows only letters,
// digits and underscores: "9a 3b Kc" as "9a3bKc".
inline std::string NameCards(std::string_view cards)
{
    std::string out;
    for (const char c : cards) {
        if (c != ' ')
            out += c;
    }
    return out.empty() ? "None" : out;
}

// The hand of a case and the play it answers ("Leading" without one).
inline std::string NameHand(std::string_view hand, std::string_view last)
{
    return "Hand" + NameCards(hand) + (last.empty() ? "_Leading" : "_After" + NameCards(last));
}

class HandTest : public ::testing::Test {
protected:
    HandHost host;
    CardHand hand { host };

    // Puts cards into a chair's hand, left to right as written (order 0 is
    // the first), in the local row when the chair is the own one.
    std::vector<CountingCard*> Deal(const std::string& names, int chair = 0)
    {
        std::vector<int> ids = Cards(names);
        std::vector<CountingCard*> dealt;
        for (size_t k = 0; k < ids.size(); ++k) {
            auto card = std::make_unique<CountingCard>();
            card->cardId = ids[k];
            card->state = kCardInHand;
            card->ownerChair = chair;
            card->seat = chair == host.own ? 0 : 1;
            card->order = static_cast<int>(k);
            card->count = static_cast<int>(ids.size());
            dealt.push_back(card.get());
            host.cards.push_back(card.get());
            host.owned.push_back(std::move(card));
        }
        return dealt;
    }

    // The play these cards form as the chair threw it.
    void LastPlay(const std::string& names, int chair = 1)
    {
        std::vector<int> ids = Cards(names);
        auto play = HandRules().ChoosePlay(chair, ids.data(), static_cast<int>(ids.size()), nullptr);
        ASSERT_TRUE(play.has_value()) << names;
        host.last = *play;
        host.lastChair = chair;
    }

    CountingCard* Card(const std::string& name) const
    {
        const int id = table::testing::ParseCard(name);
        for (const auto& card : host.owned) {
            if (card->cardId == id)
                return card.get();
        }
        ADD_FAILURE() << "no card " << name;
        return nullptr;
    }

    void Select(const std::string& names)
    {
        std::vector<int> ids = Cards(names);
        hand.SelectCards(ids.data(), static_cast<int>(ids.size()));
    }

    // Names of my hand cards, left to right.
    std::string HandLeftToRight() const
    {
        std::vector<CardSprite*> mine;
        for (CardSprite* card : host.cards) {
            if (card->state == kCardInHand && card->ownerChair == host.own)
                mine.push_back(card);
        }
        std::stable_sort(mine.begin(), mine.end(), [](auto* a, auto* b) { return a->order < b->order; });
        return Names(mine);
    }

    // Names of my selected hand cards, left to right.
    std::string Selected() const
    {
        std::vector<CardSprite*> mine;
        for (CardSprite* card : host.cards) {
            if (card->state == kCardInHand && card->ownerChair == host.own && card->selected)
                mine.push_back(card);
        }
        std::stable_sort(mine.begin(), mine.end(), [](auto* a, auto* b) { return a->order < b->order; });
        return Names(mine);
    }

    static std::string Names(const std::vector<CardSprite*>& cards)
    {
        std::string out;
        for (const CardSprite* card : cards)
            out += (out.empty() ? "" : " ") + CardName(card->cardId);
        return out;
    }
};

} // namespace game::testing
