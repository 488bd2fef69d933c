#include "table/CardTable.h"
#include "table/FriendCardRules.h"
#include "table/GameTable.h"
#include "table/Random.h"
#include "platform/Bytes.h"

#include "platform/Clock.h"

#include <gtest/gtest.h>

#include <vector>

namespace table {

using platform::StoreI32;
namespace {

class GameTableTest : public ::testing::Test {
protected:
    void SetUp() override { platform::SetFixedTick(100000u); }
    void TearDown() override { platform::SetFixedTick(std::nullopt); }

    static std::unique_ptr<TablePlayer> Player(int userId, int chair)
    {
        auto p = std::make_unique<TablePlayer>();
        p->userId = userId;
        p->chair = chair;
        return p;
    }

    GameTable m_table { GameTableArgs { 12, 3, 1, 4, 0, 0, 0 } };
};

TEST_F(GameTableTest, SeatingRefusesFullTablesTakenChairsAndChairsOutOfRange)
{
    m_table.SetChairFlags(1, kChairReady | kChairPresent);
    auto a = Player(10, 1);
    EXPECT_EQ(m_table.AddPlayer(a), 1);
    EXPECT_EQ(a, nullptr);
    EXPECT_EQ(m_table.GetChairFlags(1), kChairPresent); // ready cleared

    struct Refused {
        int userId;
        int chair;
    } refused[] = { { 11, 1 }, { 10, 2 }, { 12, 4 }, { 13, -1 }, { 14, 1000000 } };
    for (const Refused& r : refused) {
        auto p = Player(r.userId, r.chair);
        EXPECT_EQ(m_table.AddPlayer(p), -1) << r.userId;
        ASSERT_NE(p, nullptr); // the caller keeps a refused record
    }
    EXPECT_EQ(m_table.UserCount(), 1u);

    for (int chair : { 0, 2, 3 }) {
        auto p = Player(20 + chair, chair);
        EXPECT_GT(m_table.AddPlayer(p), 0);
    }
    EXPECT_TRUE(m_table.IsFull());
    auto extra = Player(99, 0);
    EXPECT_EQ(m_table.AddPlayer(extra), -1);
    EXPECT_EQ(m_table.GetPlayerCount(), 4);
    EXPECT_FALSE(m_table.IsFullWithInfo());
}

TEST_F(GameTableTest, RemovingPlayersAndLookersOn)
{
    auto a = Player(10, 2);
    m_table.AddPlayer(a);
    m_table.SetTeam(2, 1);
    auto looker = Player(30, 0);
    ASSERT_TRUE(m_table.AddLooker(looker, 2));
    EXPECT_TRUE(m_table.IsLooker(30));
    EXPECT_FALSE(m_table.IsSeatedPlayer(30));
    EXPECT_TRUE(m_table.IsSeatedPlayer(10));

    EXPECT_EQ(m_table.RemovePlayer(77), -1);
    EXPECT_EQ(m_table.RemovePlayer(30), -1); // a looker-on frees no chair
    EXPECT_EQ(m_table.PlayerAt(2)->userId, 10);

    std::unique_ptr<TablePlayer> kept;
    EXPECT_EQ(m_table.RemovePlayer(10, &kept), 2);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->userId, 10);
    EXPECT_EQ(m_table.PlayerAt(2), nullptr);
    EXPECT_EQ(m_table.GetTeam(2), -1);
    EXPECT_TRUE(m_table.LookersOf(2).empty()); // the chair's lookers-on map is emptied
    EXPECT_TRUE(m_table.IsLooker(30));         // their records are the owner's business
    m_table.RemoveLooker(30, 2);
    EXPECT_FALSE(m_table.IsLooker(30));
    EXPECT_EQ(m_table.UserCount(), 0u);
}

TEST_F(GameTableTest, TurnOrderAndTheTurnClock)
{
    EXPECT_EQ(m_table.NextChair(0), 3);
    EXPECT_EQ(m_table.NextChair(3), 2);
    EXPECT_EQ(m_table.PrevChair(3), 0);
    EXPECT_EQ(m_table.NextChair(-1), -1);
    EXPECT_EQ(m_table.NextChair(4), -1);

    EXPECT_EQ(m_table.SetCurrentChair(2, 20), 2);
    EXPECT_EQ(m_table.GetTurnLimitMs(), 21000u);
    platform::SetFixedTick(120999u);
    EXPECT_FALSE(m_table.IsTurnTimedOut());
    platform::SetFixedTick(121000u);
    EXPECT_TRUE(m_table.IsTurnTimedOut());
    m_table.SetCurrentChair(1, 15);
    EXPECT_EQ(m_table.GetAccumulatedTurnMs(2), 21000u);
    EXPECT_EQ(m_table.GetTurnLimitMs(), 16000u);
    m_table.SwitchToChair(1); // already holds the turn: nothing happens
    EXPECT_EQ(m_table.GetAccumulatedTurnMs(1), 0u);

    // The tick wraps around like the system tick.
    platform::SetFixedTick(0xFFFFFF00u);
    m_table.SetCurrentChair(0, 1);
    platform::SetFixedTick(0x000006CFu); // 1999 ms later
    EXPECT_FALSE(m_table.IsTurnTimedOut());
    platform::SetFixedTick(0x000006D0u);
    EXPECT_TRUE(m_table.IsTurnTimedOut());
}

TEST_F(GameTableTest, TimeOutsStaleTablesAndRecentSeats)
{
    m_table.SetCurrentChair(1, 10); // limit 11000 ms from 100000
    m_table.SetChairFlags(2, kChairAway);
    EXPECT_TRUE(m_table.IsChairTimedOut(2)); // away counts as timed out
    platform::SetFixedTick(111000u);
    EXPECT_FALSE(m_table.IsChairTimedOut(1));
    platform::SetFixedTick(111001u);
    EXPECT_TRUE(m_table.IsChairTimedOut(1));
    EXPECT_EQ(m_table.GetTimedOutChair(1, 5), 1); // the chair holding the turn
    EXPECT_EQ(m_table.GetTimedOutChair(3, 5), 1); // more than 5 s since the last action
    EXPECT_EQ(m_table.GetTimedOutChair(3, 20), 3);
    m_table.TouchAction();
    EXPECT_EQ(m_table.GetTimedOutChair(3, 5), 3);

    // While playing, idle after twice the limit plus 10 s.
    m_table.AddStatus(kStatusPlaying);
    m_table.SetCurrentChair(0, 10);
    platform::SetFixedTick(111001u + 2 * 11000u + 9999u);
    EXPECT_FALSE(m_table.IsTableIdle());
    platform::SetFixedTick(111001u + 2 * 11000u + 10000u);
    EXPECT_TRUE(m_table.IsTableIdle());

    // Stale only with the block's word at 136 set.
    std::vector<uint8_t> block(kTableBlockSize);
    StoreI32(block, 4, 1);
    m_table.SetTableInfo(block);
    platform::SetFixedTick(platform::TickMs() + 60001u);
    EXPECT_FALSE(m_table.IsStale());
    StoreI32(block, 136, 1);
    m_table.SetTableInfo(block);
    platform::SetFixedTick(platform::TickMs() + 60001u);
    EXPECT_TRUE(m_table.IsStale());

    EXPECT_FALSE(m_table.IsWithinSeconds(0));
    // Recently seated: only before play, in the first round, with the third
    // cleared word set by the owner.
    m_table.SetStatus(0);
    m_table.SetRoundCount(1);
    m_table.SetChairTakenTick(2, platform::TickMs() - 3000u);
    EXPECT_FALSE(m_table.IsRecentlySeated(2, 5));
    m_table.SetClearedWord(2, 1);
    EXPECT_TRUE(m_table.IsRecentlySeated(2, 5));
    EXPECT_FALSE(m_table.IsRecentlySeated(2, 3));
    m_table.SetRoundCount(2);
    EXPECT_FALSE(m_table.IsRecentlySeated(2, 5));
}

TEST_F(GameTableTest, StartRoundKeepsSeatsAndResetRoundKeepsTeams)
{
    auto p = Player(10, 1);
    m_table.AddPlayer(p);
    m_table.SetTeam(1, 1);
    m_table.SetRoundCount(4);
    m_table.SetBanker(2);
    m_table.AddStatus(kStatusPlaying);
    const int record[2] = { 7, 33 };
    EXPECT_EQ(m_table.StartRound(record, 0), 1);
    EXPECT_EQ(m_table.GetRoundParam(), 33);
    EXPECT_EQ(m_table.GetStatus(), 0);
    EXPECT_EQ(m_table.PlayerAt(1)->userId, 10);
    EXPECT_EQ(m_table.GetRoundCount(), 4);
    m_table.ResetRound();
    EXPECT_EQ(m_table.GetRoundCount(), 0);
    EXPECT_EQ(m_table.GetBanker(), -1);
    EXPECT_EQ(m_table.GetTeam(1), 1);
    EXPECT_EQ(m_table.PlayerAt(1)->userId, 10);
    m_table.ResetAll();
    EXPECT_EQ(m_table.PlayerAt(1), nullptr);
    EXPECT_EQ(m_table.UserCount(), 0u);
}

TEST_F(GameTableTest, StatusIdleAndStopping)
{
    m_table.SetStatus(kStatusInfoSet);
    EXPECT_EQ(m_table.AddStatus(kStatusPlaying), kStatusPlaying); // playing clears "info set"
    EXPECT_TRUE(m_table.IsPlaying());
    int status = m_table.GetStatus();
    EXPECT_EQ(m_table.StopPlaying(), status); // the generic table only renews the tick

    m_table.SetStatus(0);
    platform::SetFixedTick(100000u + 120000u);
    EXPECT_FALSE(m_table.IsTableIdle());
    platform::SetFixedTick(100000u + 120001u);
    EXPECT_TRUE(m_table.IsTableIdle());

    FriendCardRules rules;
    rules.SetPlaying();
    EXPECT_EQ(rules.GetStatus(), kStatusPlaying | kStatusPlayPhase);
    rules.StopPlaying();
    EXPECT_EQ(rules.GetStatus(), 0);
}

class CountdownTable : public GameTable {
public:
    CountdownTable()
        : GameTable(GameTableArgs {})
    {
    }
    bool HasCountdown() const override { return true; }
};

TEST_F(GameTableTest, CountdownNeverReportsZeroWhileRunning)
{
    EXPECT_EQ(m_table.StartCountdown(true, 10), 0); // no countdown on this table
    CountdownTable table;
    EXPECT_EQ(table.StartCountdown(true, 0), 0);
    EXPECT_EQ(table.StartCountdown(true, 10), 1);
    EXPECT_EQ(table.StartCountdown(true, 10), 0); // one runs already
    EXPECT_EQ(table.GetCountdownLeft(100000u), 9); // at least one second counts
    EXPECT_EQ(table.GetCountdownLeft(103500u), 7);
    EXPECT_EQ(table.GetCountdownLeft(110000u), 2);
    EXPECT_EQ(table.GetCountdownLeft(500000u), 2);
    EXPECT_EQ(table.StartCountdown(false, 0), 1);
    EXPECT_FALSE(table.IsCountdownRunning());
    EXPECT_EQ(table.GetCountdownLeft(100000u), 0);
}

TEST_F(GameTableTest, TeamsSharesAndAgreement)
{
    for (int c = 0; c < 4; ++c)
        m_table.SetTeam(c, c % 2);
    EXPECT_EQ(m_table.CountTeams(), 2);
    EXPECT_EQ(m_table.CountOthers(0), 2);
    EXPECT_EQ(m_table.NextChairInTeam(0, 0), 2);
    EXPECT_EQ(m_table.NextChairNotInTeam(0, 0), 3);
    // Chair 0 pays 7 to the other team: 3 each, the first in turn order (3)
    // also gets the remainder; its partner gets nothing.
    EXPECT_EQ(m_table.ShareOfTeam(3, 0, 7), 4);
    EXPECT_EQ(m_table.ShareOfTeam(1, 0, 7), 3);
    EXPECT_EQ(m_table.ShareOfTeam(2, 0, 7), 0);
    EXPECT_EQ(m_table.ShareOfTeam(0, 0, 7), 0);
    EXPECT_EQ(m_table.CompareTeams(1, 1, 5), -5);
    EXPECT_EQ(m_table.CompareTeams(0, 1, 5), 1);
    EXPECT_EQ(m_table.CompareTeams(0, 2, 5), 0);
    // Everybody in one team: nobody outside to share with, and no division
    // by zero.
    for (int c = 0; c < 4; ++c)
        m_table.SetTeam(c, 0);
    EXPECT_EQ(m_table.ShareOfTeam(1, 0, 7), 0);
    EXPECT_EQ(m_table.NextChairNotInTeam(0, 0), -1);

    for (int c = 0; c < 3; ++c) {
        auto p = Player(40 + c, c);
        m_table.AddPlayer(p);
    }
    m_table.SetAgreement(1, 1);
    EXPECT_FALSE(m_table.AllOthersAgree(0));
    m_table.SetAgreementMark(0, 2, 1);
    EXPECT_TRUE(m_table.AllOthersAgree(0));
}

TEST_F(GameTableTest, TableInformationBlockAndDescription)
{
    std::vector<uint8_t> block(kTableBlockSize);
    StoreI32(block, 4, 555);
    StoreI32(block, 120, 17);
    EXPECT_FALSE(m_table.SetTableInfo(std::span<const uint8_t>(block.data(), 100)));
    ASSERT_TRUE(m_table.SetTableInfo(block));
    EXPECT_TRUE(m_table.HasTableInfo());
    EXPECT_EQ(m_table.GetInfoId(), 555);
    EXPECT_EQ(m_table.GetRoundCount(), 17);
    EXPECT_EQ(m_table.GetStatus(), kStatusInfoSet);

    m_table.SetChairFlags(3, 0x22);
    std::vector<uint8_t> out(TableInfo::kWireSize);
    ASSERT_EQ(m_table.FillTableInfo(out), 88);
    TableInfo info;
    ASSERT_TRUE(TableInfo::Read(out, info));
    EXPECT_EQ(info.tableNumber, 12);
    EXPECT_EQ(info.roomNumber, 3);
    EXPECT_EQ(info.chairCount, 4);
    EXPECT_EQ(info.chairFlags[3], 0x22);
    EXPECT_EQ(info.roundCount, 17);
    EXPECT_EQ(info.kickTime, 120);
    EXPECT_EQ(m_table.FillTableInfo(std::span<uint8_t>(out.data(), 87)), 0);

    m_table.ClearTableInfo();
    EXPECT_FALSE(m_table.HasTableInfo());
}

TEST_F(GameTableTest, ChairCountIsKeptWithinEightAndRandomBelowZeroIsZero)
{
    GameTable big(GameTableArgs { 1, 1, 1, 50, 0, 0, 0 });
    EXPECT_EQ(big.GetChairCount(), 8);
    GameTable none(GameTableArgs { 1, 1, 1, 0, 0, 0, 0 });
    EXPECT_EQ(none.GetChairCount(), 1);
    EXPECT_EQ(RandomBelow(0), 0);
    EXPECT_EQ(RandomBelow(-3), 0);
    for (int i = 0; i < 20; ++i) {
        int r = RandomBelow(4);
        EXPECT_GE(r, 0);
        EXPECT_LT(r, 4);
    }
}

TEST_F(GameTableTest, BidsEndWithAHighBidAndHandTheTurnToTheBanker)
{
    FriendCardRules rules;
    std::vector<uint8_t> message(24);
    int done = 0;
    StoreI32(message, 12, 1);
    StoreI32(message, 20, 200);
    EXPECT_EQ(rules.ResolveBid(message, &done), 0);
    EXPECT_EQ(done, 0);
    EXPECT_EQ(rules.GetCurrentChair(), 0);
    StoreI32(message, 12, 0);
    StoreI32(message, 20, 400);
    EXPECT_EQ(rules.ResolveBid(message, &done), 1);
    EXPECT_EQ(done, 1);
    EXPECT_EQ(rules.GetBanker(), 0);
    EXPECT_EQ(rules.GetCurrentBid(), 400);
    EXPECT_EQ(rules.GetStatus() & kStatusPlayPhase, kStatusPlayPhase);
    EXPECT_EQ(rules.GetCurrentChair(), 0);
    StoreI32(message, 12, 9); // a chair from outside that no table has
    EXPECT_EQ(rules.ResolveBid(message, &done), 0);
    EXPECT_EQ(rules.ResolveBid(std::span<const uint8_t>(message.data(), 20), &done), 0);
}

} // namespace
} // namespace table
