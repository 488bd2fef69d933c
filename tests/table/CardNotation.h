#pragma once
// Short card names for tests: rank 2..9, T, J, Q, K, A followed by the suit
// a..d (suits 0..3), "SJ" and "BJ" for the jokers; a trailing "2" names the
// second deck's copy ("7a2" is id 59). Ids above 107 can be written as "#110".

#include "table/Cards.h"

#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace table::testing {

inline int RankValue(char rank)
{
    static const std::string kRanks = "23456789TJQKA";
    auto at = kRanks.find(rank);
    if (at == std::string::npos)
        throw std::invalid_argument(std::string("bad rank ") + rank);
    return static_cast<int>(at) + 1;
}

// Id of the card of a value (1 = two .. 13 = ace) and suit in a deck.
inline int CardId(int value, int suit, int deck = 0)
{
    return deck * kFacesPerDeck + suit * 13 + (value - 1);
}

inline int ParseCard(const std::string& token)
{
    if (token[0] == '#')
        return std::stoi(token.substr(1));
    int deck = token.size() > 2 && token.back() == '2' ? 1 : 0;
    std::string base = deck ? token.substr(0, token.size() - 1) : token;
    if (base == "SJ")
        return deck * kFacesPerDeck + kSmallJokerFace;
    if (base == "BJ")
        return deck * kFacesPerDeck + kBigJokerFace;
    if (base.size() != 2 || base[1] < 'a' || base[1] > 'd')
        throw std::invalid_argument("bad card " + token);
    return CardId(RankValue(base[0]), base[1] - 'a', deck);
}

inline std::vector<int> Cards(const std::string& text)
{
    std::vector<int> ids;
    std::istringstream in(text);
    std::string token;
    while (in >> token)
        ids.push_back(ParseCard(token));
    return ids;
}

inline std::string CardName(int id)
{
    if (id < 0 || id >= 108)
        return "#" + std::to_string(id);
    int k = id % kFacesPerDeck;
    std::string deck = id >= kFacesPerDeck ? "2" : "";
    if (k == kSmallJokerFace)
        return "SJ" + deck;
    if (k == kBigJokerFace)
        return "BJ" + deck;
    static const char kRanks[] = "23456789TJQKA";
    return std::string(1, kRanks[k % 13]) + static_cast<char>('a' + k / 13) + deck;
}

inline std::string CardNames(const int* ids, int n)
{
    std::string out;
    for (int i = 0; i < n; ++i) {
        if (ids[i] == kNoCard)
            continue;
        if (!out.empty())
            out += ' ';
        out += CardName(ids[i]);
    }
    return out;
}

} // namespace table::testing
