#include "game/FriendTableText.h"

#include "table/Cards.h"

#include <algorithm>
#include <cstdio>

namespace game {

namespace {

constexpr int kResultNameColumns = 21;
constexpr int kCornerFrames = 54;

std::string Colour(int colour)
{
    return "<c=" + std::to_string(colour) + ">";
}

std::string Highlighted(std::string_view name)
{
    return Colour(kHighlightColour) + std::string(name) + "<>";
}

} // namespace

std::string SystemLine(std::string_view text)
{
    return " <z=qh系统通知> " + std::string(text) + "\r\n";
}

std::string RoundHeaderLine(int round, bool silverRoom, int baseSilver, int baseScore)
{
    const std::string head = "\r\n<size=12>【第" + std::to_string(round) + "局】";
    if (silverRoom)
        return head + "基础银：" + Colour(kHighlightColour) + std::to_string(baseSilver) + "<>两\r\n";
    return head + "基础分：" + Colour(kHighlightColour) + std::to_string(baseScore) + "<>分\r\n";
}

std::string KnockoutHeaderLine(int round)
{
    return " " + Colour(kHighlightColour) + "<size=16>淘汰赛第" + ChineseNumeral(round) + "轮\r\n";
}

std::string ChineseNumeral(int n)
{
    static constexpr const char* kDigits[] = { "零", "一", "二", "三", "四", "五", "六", "七", "八", "九" };
    if (n < 0 || n > 99)
        return std::to_string(n);
    if (n < 10)
        return kDigits[n];
    const std::string tens = n / 10 == 1 ? "" : kDigits[n / 10];
    return tens + "十" + (n % 10 ? kDigits[n % 10] : "");
}

std::string CardCornerMarkup(int cardId)
{
    char text[16];
    std::snprintf(text, sizeof text, "#角%02d", ((cardId % kCornerFrames) + kCornerFrames) % kCornerFrames);
    return text;
}

std::string BankerLine(bool firstRound, std::string_view bankerName, int flipCard)
{
    const std::string card = CardCornerMarkup(flipCard);
    if (firstRound)
        return SystemLine(Highlighted(bankerName) + "摸到翻牌 " + card + ",坐庄。");
    return SystemLine("庄家" + Highlighted(bankerName) + "亮出第一张牌 " + card);
}

std::string FriendLine(std::string_view bankerName, std::string_view friendName, bool atRoundEnd)
{
    const std::string pair = Highlighted(bankerName) + "和" + Highlighted(friendName) + "是朋友。";
    return SystemLine(atRoundEnd ? "游戏结束，" + pair : pair);
}

std::string SignedChange(int change, std::string_view unit)
{
    return (change < 0 ? "" : "+") + std::to_string(change) + std::string(unit);
}

std::string SignedDigits(int value)
{
    return (value > 0 ? "+" : "") + std::to_string(value);
}

int ResultNamePadding(std::string_view name)
{
    const int bracketed = static_cast<int>(std::min<size_t>(name.size(), kResultNameColumns)) + 2;
    return bracketed > kResultNameColumns - 1 ? 0 : kResultNameColumns - bracketed;
}

std::string ResultLine(std::string_view name, bool own, int scoreChange, bool silverRoom, int silverChange)
{
    const std::string colour = Colour(own ? kHighlightColour : kOtherResultColour);
    std::string line = " " + colour + "[" + std::string(name) + "]";
    line.append(static_cast<size_t>(ResultNamePadding(name)), ' ');
    line += colour + SignedChange(scoreChange, "分");
    if (silverRoom)
        line += "   " + colour + SignedChange(silverChange, "两");
    return line + "\r\n";
}

bool IsSameSide(int chair, int own, int banker, int friendChair)
{
    const bool ownWithBanker = own == banker || own == friendChair;
    const bool chairWithBanker = chair == banker || chair == friendChair;
    return ownWithBanker == chairWithBanker;
}

std::array<int, kFriendChairs> ResultRowOrder(int own, int banker, int friendChair)
{
    std::array<int, kFriendChairs> rows {};
    size_t next = 0;
    const bool seated = own >= 0 && own < kFriendChairs;
    if (seated)
        rows[next++] = own;
    for (const bool sameSide : { true, false })
        for (int chair = 0; chair < kFriendChairs; ++chair)
            if (chair != own && (seated && IsSameSide(chair, own, banker, friendChair)) == sameSide)
                rows[next++] = chair;
    return rows;
}

int RevealedFriend(int knownFriend, int banker, int flipCard, int playChair, std::span<const int> ids)
{
    if (knownFriend != -1 || playChair == banker || flipCard < 0)
        return -1;
    const int suit = table::CallCardSuit(flipCard);
    const int face = table::CallCardFace(flipCard);
    for (const int id : ids)
        if (id >= 0 && id != flipCard && table::CallCardSuit(id) == suit && table::CallCardFace(id) == face)
            return playChair;
    return -1;
}

int FirstDealChair(int round, int banker)
{
    return round == 1 ? 0 : banker;
}

bool IsBankerShowStep(int step, int dealChair, int banker, int place)
{
    return dealChair == banker && step / kFriendChairs == place;
}

} // namespace game
