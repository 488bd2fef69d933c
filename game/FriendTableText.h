#pragma once
// What the game's table view writes into the chat and decides from the
// table state without any engine object: the round header, the banker's and
// the friend's lines, the result lines with their names padded in bytes,
// who a play reveals as the banker's friend, which chairs play on the own
// side and the order of the result box's rows.
//
// Texts are GBK bytes; a name's length counts bytes, so a double-byte
// character takes two columns of the chat's fixed-width result lines.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace game {

inline constexpr int kFriendChairs = 4;
inline constexpr int kDealCards = 108;
inline constexpr int kHighlightColour = 255;      // red names and numbers
inline constexpr int kOtherResultColour = 0x232323;

// " <z=qh系统通知> " followed by the text, the form of every system line.
std::string SystemLine(std::string_view text);

// "【第n局】" with the round's base silver (a silver room) or base score.
std::string RoundHeaderLine(int round, bool silverRoom, int baseSilver, int baseScore);
// The knockout round of a match program, written in Chinese numerals.
std::string KnockoutHeaderLine(int round);
// 1 -> "一", 10 -> "十", 12 -> "十二", 20 -> "二十", 99 -> "九十九"; other
// numbers in digits.
std::string ChineseNumeral(int n);

// The inline card-corner picture of the chat markup for a card id.
std::string CardCornerMarkup(int cardId);
// The banker's line when the flipped (first round) or first shown card
// reaches him.
std::string BankerLine(bool firstRound, std::string_view bankerName, int flipCard);
// "… and … are friends", as revealed by a play or at the round's end.
std::string FriendLine(std::string_view bankerName, std::string_view friendName, bool atRoundEnd);

// The score change as the chat writes it: "+" also before 0.
std::string SignedChange(int change, std::string_view unit);
// The digits of the result box: "+" before positive numbers only.
std::string SignedDigits(int value);
// Blanks after "[name]" so that the bracketed name and the blanks take 21
// byte columns; none when the bracketed name needs more than 20.
int ResultNamePadding(std::string_view name);
// One chair's result line in the chat.
std::string ResultLine(std::string_view name, bool own, int scoreChange, bool silverRoom, int silverChange);

// Whether a chair plays on the own side: the banker and his friend are one
// side, the other two the other side.
bool IsSameSide(int chair, int own, int banker, int friendChair);
// The chairs of the result box's rows: the own chair, then the own side in
// chair order, then the others. A chair outside the table (a looker-on's
// own chair) puts nobody first.
std::array<int, kFriendChairs> ResultRowOrder(int own, int banker, int friendChair);

// The chair a play reveals as the friend, or -1: nobody once the friend is
// known, nobody when the banker plays, otherwise the player when one of his
// ids is the other copy of the flip card (same suit and face, another id).
int RevealedFriend(int knownFriend, int banker, int flipCard, int playChair, std::span<const int> ids);

// The chair that gets the first card of the deal: chair 0 in a table's
// first round, the banker afterwards.
int FirstDealChair(int round, int banker);
// Whether deal step k (0 … 107) hands the banker the card he shows: his
// (place + 1)-th card.
bool IsBankerShowStep(int step, int dealChair, int banker, int place);

} // namespace game
