#include "table/GameTable.h"
#include "platform/Bytes.h"

#include "platform/Clock.h"

#include <gtest/gtest.h>

#include <vector>

namespace table {

using platform::LoadI32;
using platform::StoreI32;
namespace {

class ReliefTable : public GameTable {
public:
    ReliefTable()
        : GameTable(GameTableArgs { 9, 21, 1, 4, 0, 0, 0 })
    {
    }
    bool IsReliefEnabled() const override { return true; }
    void SetParam(int index, int value) { m_params[index] = value; }
    void SetBases(int score, int silver)
    {
        m_baseScore = score;
        m_baseSilver = silver;
    }
    void SetAllBit4() { m_allHave[1] = 1; }
};

class ReportsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::SetFixedTick(777u);
        platform::SetFixedLocalTime(platform::LocalTime { 2026, 12, 10, 12, 0, 5, 0 });
        for (int c = 0; c < 4; ++c) {
            auto p = std::make_unique<TablePlayer>();
            p->userId = 50 + c;
            p->chair = c;
            p->score = 100 * c;
            p->silver = 300 + 1000 * c;
            p->seeds[1] = 4000 + c;
            m_table.AddPlayer(p);
        }
    }
    void TearDown() override
    {
        platform::SetFixedTick(std::nullopt);
        platform::SetFixedLocalTime(std::nullopt);
    }

    ReliefTable m_table;
};

TEST_F(ReportsTest, PlayerResultsAndHeaders)
{
    ResultRecord result;
    result.kind = 1;
    result.baseScore = 5;
    result.scoreChange[0] = 20;
    result.scoreChange[1] = -20;
    result.silverChange[0] = 200;
    result.fee[0] = 4;
    result.levelAfter[2] = 3;
    GameTable::CopyTitle(result.title[2], "员外");
    m_table.PlayerAt(3)->notCounted = 1;

    std::vector<PlayerResultItem> items;
    ResultHeader header;
    ASSERT_EQ(m_table.BuildResultHeader(result, 66, header, items), 4);
    EXPECT_EQ(header.count, 4);
    EXPECT_EQ(header.tableNumber, 9);
    EXPECT_EQ(header.value, 66);
    EXPECT_EQ(header.flags[0] & 0x1, 0x1); // not every player has option A bit 4
    EXPECT_EQ(items[0].win, 1);
    EXPECT_EQ(items[1].loss, 1);
    EXPECT_EQ(items[2].draw, 1);
    EXPECT_EQ(items[0].fee, 4);
    EXPECT_EQ(items[0].roomNumber, 21);
    EXPECT_EQ(items[2].level, 3);
    EXPECT_EQ(std::string(items[2].title), "员外");

    ASSERT_EQ(m_table.BuildResultHeaderEx(result, 66, header, items), 3); // counted players only
    EXPECT_EQ(header.count, 3);

    std::vector<uint8_t> bytes(PlayerResultItem::kWireSize);
    ASSERT_TRUE(items[0].Write(bytes));
    EXPECT_EQ(LoadI32(bytes, 16), 66);
    EXPECT_EQ(LoadI32(bytes, 44), 1);
    EXPECT_EQ(LoadI32(bytes, 52), 1);
    EXPECT_EQ(LoadI32(bytes, 64), 20);
    EXPECT_EQ(LoadI32(bytes, 92), 4);
    std::vector<uint8_t> head(ResultHeader::kWireSize);
    ASSERT_TRUE(header.Write(head));
    EXPECT_EQ(head[17], 0);
    EXPECT_EQ(LoadI32(head, 8), 66);

    items[0].minutes = 7;
    m_table.AddPlayerStats(items);
    EXPECT_EQ(m_table.PlayerAt(0)->minutes, 7);
    EXPECT_EQ(m_table.GetPlayerField48(52), 4002);
    EXPECT_EQ(m_table.GetPlayerField48(99), 0);

    std::vector<GameTable::PlayerListEntry> list;
    EXPECT_EQ(m_table.BuildPlayerList(list, nullptr), 0); // chairs not all present
    for (int c = 0; c < 4; ++c)
        m_table.SetChairFlags(c, kChairPresent);
    TitleMap titles { { 0, "新手" } };
    ASSERT_EQ(m_table.BuildPlayerList(list, &titles), 4);
    EXPECT_EQ(list[3].silver, 3300);
    EXPECT_EQ(std::string(list[0].title), "新手");
}

TEST_F(ReportsTest, SettlementOfOneLeavingPlayer)
{
    m_table.SetAllBit4();
    m_table.SetBases(2, 10);
    m_table.SetParam(kParamFeeKind, 6);
    m_table.SetParam(kParamFeeRate6, 2);
    GameTable::Settlement s;
    s.scoreChange = -30;
    s.silverChange = -500; // more than the 300 held
    ASSERT_EQ(m_table.BuildSettlement(s, 0, false, nullptr), 1);
    EXPECT_EQ(s.silverChange, -300);
    EXPECT_EQ(s.fee, 0);
    EXPECT_EQ(m_table.PlayerAt(0)->silver, 0);
    EXPECT_EQ(m_table.PlayerAt(0)->score, -30);
    EXPECT_EQ(s.level, 0);

    // Kinds 7 to 9 take the fee from the silver first.
    m_table.SetParam(kParamFeeKind, 7);
    m_table.SetParam(kParamFixedFee, 100);
    GameTable::Settlement t;
    t.silverChange = -2000;
    ASSERT_EQ(m_table.BuildSettlement(t, 1, true, nullptr), 1);
    EXPECT_EQ(t.fee, 100);
    EXPECT_EQ(t.silverChange, -1200 - 100); // what is left after the fee, then the fee
    EXPECT_EQ(m_table.PlayerAt(1)->silver, 1300); // only prepared

    ResultHeader header;
    PlayerResultItem item;
    m_table.SetOptionWords(0, 0x4, 0);
    m_table.BuildSingleResultHeader(1, 5, t, header, item);
    EXPECT_EQ(header.count, 1);
    EXPECT_EQ(header.flags[0], 0x1);
    EXPECT_EQ(header.flags[1], 0x1);
    EXPECT_EQ(item.loss, 1);
    EXPECT_EQ(item.silverChange, t.silverChange);
    EXPECT_EQ(m_table.BuildSettlement(t, 7, false, nullptr), 0); // no such player
}

TEST_F(ReportsTest, LossReliefGivesBackAShareOfLosses)
{
    int chance = 0;
    int odds[4];
    int shares[4];
    EXPECT_EQ(m_table.GetReliefOdds(&chance, odds, shares, 4), 55);
    EXPECT_EQ(odds[0], 84);
    EXPECT_EQ(shares[2], 100);
    int granted = 0;
    for (uint32_t tick = 1; tick < 60; ++tick) {
        platform::SetFixedTick(tick);
        for (int c = 0; c < 4; ++c)
            m_table.PlayerAt(c)->flags = c == 3 ? 0 : kPlayerRelief;
        int changes[8] = { -1000, -3, 500, -700 };
        m_table.ApplyLossRelief(changes);
        const int loss[4] = { 1000, 3, 0, 700 };
        for (int c = 0; c < 2; ++c) {
            int back = m_table.GetReliefGranted(c);
            EXPECT_TRUE(back == 0 || back == std::max(1, loss[c] / 10) || back == std::max(1, loss[c] / 2)
                || back == loss[c])
                << back;
            EXPECT_EQ(changes[c], -loss[c] + back);
            granted += back > 0;
        }
        EXPECT_EQ(changes[2], 500);
        EXPECT_EQ(changes[3], -700); // no relief flag
        std::vector<std::pair<int, int>> list;
        m_table.GetReliefList(list);
        for (auto [user, amount] : list)
            EXPECT_GT(amount, 0) << user;
    }
    EXPECT_GT(granted, 0);
}

TEST_F(ReportsTest, PlaceholderPlayers)
{
    std::vector<uint8_t> record(GameTable::kRobotRecordSize, 0xEE);
    StoreI32(record, 16, 3);
    ASSERT_TRUE(m_table.MakeRobotInfo(0, record));
    EXPECT_LE(LoadI32(record, 4), 1);
    EXPECT_LT(LoadI32(record, 24), 107);
    EXPECT_GE(LoadI32(record, 28), 10);
    EXPECT_LE(LoadI32(record, 28), 100);
    EXPECT_LT(LoadI32(record, 32), 187);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(record.data()) + 36), "游戏玩家【丁】");
    EXPECT_EQ(LoadI32(record, 84), 1000);
    EXPECT_EQ(LoadI32(record, 88), 4); // the level of 100
    EXPECT_EQ(LoadI32(record, 92), 100);
    EXPECT_EQ(record[70], 0);
    EXPECT_EQ(record[119], 0);
    EXPECT_FALSE(m_table.MakeRobotInfo(0, std::span<uint8_t>(record.data(), 100)));

    // A list: count 4 at word 2, chairs 1 and 3 present, entries from byte 64.
    std::vector<uint8_t> list(64 + 4 * GameTable::kListEntrySize, 0);
    StoreI32(list, 8, 4);
    StoreI32(list, 12 + 4, 1);
    StoreI32(list, 12 + 12, 1);
    for (int i = 0; i < 4; ++i)
        StoreI32(list, 64 + GameTable::kListEntrySize * i + 16, i);
    ASSERT_TRUE(m_table.FillRobotInfos(0, list));
    size_t entry3 = 64 + GameTable::kListEntrySize * 3;
    EXPECT_EQ(LoadI32(list, entry3 + 84), 1000);
    EXPECT_EQ(LoadI32(list, 64 + GameTable::kListEntrySize * 2 + 84), 0); // absent entry untouched
    // The stored words come back for the same viewer and chair.
    std::vector<uint8_t> again(GameTable::kRobotRecordSize, 0);
    StoreI32(again, 16, 3);
    platform::SetFixedTick(999999u);
    ASSERT_TRUE(m_table.MakeRobotInfoEx(0, again));
    EXPECT_EQ(LoadI32(again, 20), LoadI32(list, entry3 + 20));
    EXPECT_EQ(LoadI32(again, 24), LoadI32(list, entry3 + 24));
    EXPECT_EQ(LoadI32(again, 32), LoadI32(list, entry3 + 32));
    EXPECT_FALSE(m_table.FillRobotInfos(0, std::span<uint8_t>(list.data(), 40)));
    std::vector<uint8_t> shortList(64 + 100, 0);
    StoreI32(shortList, 8, 4);
    StoreI32(shortList, 12 + 4, 1);
    EXPECT_TRUE(m_table.FillRobotInfos(0, shortList)); // entries beyond the bytes are left alone
}

} // namespace
} // namespace table
