// The game table's texts and decisions without a view: result lines with
// names padded in bytes and signed changes, the header, banker and friend
// lines, who a play reveals as the friend, the sides and the result box's
// row order, and where the deal starts and shows the banker's card.

#include "game/FriendTableText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Card ids: 0-51 four suits of 13 (spades 0..12 …), 52 and 53 the jokers;
// the second deck repeats them from 54.
constexpr int kSecondDeck = 54;

TEST(FriendResultLines, NamesArePaddedInBytesAndChangesSigned)
{
    struct Case {
        std::string name;
        bool own;
        int score;
        bool silver;
        int silverChange;
        std::string line;
    };
    const std::string six = "张三丰";                // 6 bytes
    const std::string eighteen = "一二三四五六七八九"; // 18 bytes
    const std::string nineteen = eighteen + "x";     // 19 bytes
    const std::string red = "<c=255>";
    const std::string grey = "<c=2302755>";
    const Case cases[] = {
        { six, true, 12, false, 0, " " + red + "[" + six + "]" + std::string(13, ' ') + red + "+12分\r\n" },
        { six, false, -12, false, 0, " " + grey + "[" + six + "]" + std::string(13, ' ') + grey + "-12分\r\n" },
        // Zero takes the plus sign.
        { "abc", false, 0, false, 0, " " + grey + "[abc]" + std::string(16, ' ') + grey + "+0分\r\n" },
        { eighteen, false, 3, false, 0, " " + grey + "[" + eighteen + "] " + grey + "+3分\r\n" },
        { nineteen, false, 3, false, 0, " " + grey + "[" + nineteen + "]" + grey + "+3分\r\n" },
        { std::string(30, 'n'), false, 3, false, 0,
            " " + grey + "[" + std::string(30, 'n') + "]" + grey + "+3分\r\n" },
        { "", true, 1, false, 0, " " + red + "[]" + std::string(19, ' ') + red + "+1分\r\n" },
        { six, true, -5, true, 300,
            " " + red + "[" + six + "]" + std::string(13, ' ') + red + "-5分   " + red + "+300两\r\n" },
        { six, false, 5, true, -300,
            " " + grey + "[" + six + "]" + std::string(13, ' ') + grey + "+5分   " + grey + "-300两\r\n" },
        { six, false, 5, true, 0,
            " " + grey + "[" + six + "]" + std::string(13, ' ') + grey + "+5分   " + grey + "+0两\r\n" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name + " " + std::to_string(c.score));
        EXPECT_EQ(game::ResultLine(c.name, c.own, c.score, c.silver, c.silverChange), c.line);
    }
}

TEST(FriendResultLines, PaddingCountsBytesUpToTwentyOneColumns)
{
    const struct {
        size_t bytes;
        int blanks;
    } cases[] = { { 0, 19 }, { 6, 13 }, { 17, 2 }, { 18, 1 }, { 19, 0 }, { 20, 0 }, { 40, 0 } };
    for (const auto& c : cases)
        EXPECT_EQ(game::ResultNamePadding(std::string(c.bytes, 'a')), c.blanks) << c.bytes << " bytes";
}

TEST(FriendResultLines, BoxDigitsSignOnlyPositiveNumbers)
{
    EXPECT_EQ(game::SignedDigits(7), "+7");
    EXPECT_EQ(game::SignedDigits(0), "0");
    EXPECT_EQ(game::SignedDigits(-7), "-7");
}

TEST(FriendChatLines, HeaderBankerAndFriendLines)
{
    EXPECT_EQ(game::RoundHeaderLine(3, false, 500, 20), "\r\n<size=12>【第3局】基础分：<c=255>20<>分\r\n");
    EXPECT_EQ(game::RoundHeaderLine(3, true, 500, 20), "\r\n<size=12>【第3局】基础银：<c=255>500<>两\r\n");
    EXPECT_EQ(game::KnockoutHeaderLine(12), " <c=255><size=16>淘汰赛第十二轮\r\n");
    // The corner picture of the second deck's copy is the first deck's.
    EXPECT_EQ(game::BankerLine(true, "老王", kSecondDeck + 5),
        " <z=qh系统通知> <c=255>老王<>摸到翻牌 #角05,坐庄。\r\n");
    EXPECT_EQ(game::BankerLine(false, "老王", 53), " <z=qh系统通知> 庄家<c=255>老王<>亮出第一张牌 #角53\r\n");
    EXPECT_EQ(game::FriendLine("甲", "乙", false), " <z=qh系统通知> <c=255>甲<>和<c=255>乙<>是朋友。\r\n");
    EXPECT_EQ(game::FriendLine("甲", "乙", true), " <z=qh系统通知> 游戏结束，<c=255>甲<>和<c=255>乙<>是朋友。\r\n");
}

TEST(FriendChatLines, ChineseNumerals)
{
    const struct {
        int n;
        const char* text;
    } cases[] = { { 0, "零" }, { 1, "一" }, { 9, "九" }, { 10, "十" }, { 11, "十一" }, { 20, "二十" },
        { 99, "九十九" }, { 100, "100" }, { -1, "-1" } };
    for (const auto& c : cases)
        EXPECT_EQ(game::ChineseNumeral(c.n), c.text) << c.n;
}

TEST(FriendReveal, OnlyTheOtherCopyPlayedByAnotherChairRevealsOnce)
{
    constexpr int kBanker = 1;
    constexpr int kFlip = 5;            // the banker holds this one
    constexpr int kCopy = kSecondDeck + 5;
    struct Case {
        const char* what;
        int known;
        int chair;
        std::vector<int> ids;
        int revealed;
    };
    const Case cases[] = {
        { "the other copy by another chair", -1, 3, { 7, kCopy, 9 }, 3 },
        { "the other copy alone", -1, 0, { kCopy }, 0 },
        { "the banker plays the other copy", -1, kBanker, { kCopy }, -1 },
        { "the flip card's own id", -1, 3, { kFlip }, -1 },
        { "same face, other suit", -1, 3, { kFlip + 13, kSecondDeck + kFlip + 13 }, -1 },
        { "friend already known", 2, 3, { kCopy }, -1 },
        { "no cards", -1, 3, {}, -1 },
        { "hidden ids", -1, 3, { -1, -1 }, -1 },
    };
    for (const Case& c : cases)
        EXPECT_EQ(game::RevealedFriend(c.known, kBanker, kFlip, c.chair, c.ids), c.revealed) << c.what;
    // Jokers: the small joker's copy is the small joker of the other deck,
    // not the big one.
    EXPECT_EQ(game::RevealedFriend(-1, kBanker, 52, 2, std::vector { kSecondDeck + 53 }), -1);
    EXPECT_EQ(game::RevealedFriend(-1, kBanker, 52, 2, std::vector { kSecondDeck + 52 }), 2);
    EXPECT_EQ(game::RevealedFriend(-1, kBanker, kSecondDeck + 52, 2, std::vector { 52 }), 2);
    EXPECT_EQ(game::RevealedFriend(-1, kBanker, -1, 2, std::vector { 52 }), -1);
}

TEST(FriendSides, SidesAndResultRowOrder)
{
    struct Case {
        int own;
        int banker;
        int friendChair;
        std::array<int, 4> rows;
    };
    const Case cases[] = {
        { 0, 0, 2, { 0, 2, 1, 3 } }, // own is the banker
        { 2, 0, 2, { 2, 0, 1, 3 } }, // own is the friend
        { 1, 0, 2, { 1, 3, 0, 2 } }, // own on the other side
        { 3, 1, 0, { 3, 2, 0, 1 } },
        { 1, 1, 1, { 1, 0, 2, 3 } }, // the banker is his own friend: one against three
        { -1, 0, 2, { 0, 1, 2, 3 } }, // a looker-on: chair order
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("own " + std::to_string(c.own));
        EXPECT_EQ(game::ResultRowOrder(c.own, c.banker, c.friendChair), c.rows);
    }
    EXPECT_TRUE(game::IsSameSide(3, 1, 0, 2));
    EXPECT_FALSE(game::IsSameSide(2, 1, 0, 2));
    EXPECT_TRUE(game::IsSameSide(2, 0, 0, 2));
    EXPECT_FALSE(game::IsSameSide(3, 0, 0, 2));
}

TEST(FriendDealStart, FirstChairAndBankerShowStep)
{
    EXPECT_EQ(game::FirstDealChair(1, 3), 0);
    EXPECT_EQ(game::FirstDealChair(2, 3), 3);
    EXPECT_TRUE(game::IsBankerShowStep(4 * 7 + 2, 1, 1, 7));
    EXPECT_FALSE(game::IsBankerShowStep(4 * 7 + 2, 0, 1, 7));
    EXPECT_FALSE(game::IsBankerShowStep(4 * 8, 1, 1, 7));
}

} // namespace
