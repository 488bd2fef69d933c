#include "table/FriendCardRules.h"
#include "platform/Bytes.h"

#include "CardNotation.h"

#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/IniFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

namespace table {

using platform::LoadI32;
namespace {

using testing::Cards;

class TestRules : public FriendCardRules {
public:
    void SetKind(int kind) { m_resultKind = kind; }
    void SetBases(int score, int silver)
    {
        m_baseScore = score;
        m_baseSilver = silver;
    }
    void SetParam(int index, int value) { m_params[index] = value; }
    void SetAllHave(int bit2, int bit4) { m_allHave = { bit2, bit4, 0 }; }
};

class SettlementTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::SetFixedTick(5000u);
        platform::SetFixedLocalTime(platform::LocalTime { 2026, 12, 10, 12, 30, 0, 0 });
        m_dir = std::filesystem::temp_directory_path()
            / ("kbzn_settle_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::create_directories(m_dir);
        platform::SetExecutableDir(m_dir.string());
    }
    void TearDown() override
    {
        platform::SetExecutableDir("");
        std::filesystem::remove_all(m_dir);
        platform::SetFixedTick(std::nullopt);
        platform::SetFixedLocalTime(std::nullopt);
    }

    static void Seat(GameTable& table, std::vector<int> scores, std::vector<int> silver = { 1000, 1000, 1000, 1000 })
    {
        for (int c = 0; c < static_cast<int>(scores.size()); ++c) {
            auto p = std::make_unique<TablePlayer>();
            p->userId = 10 + c;
            p->chair = c;
            p->score = scores[c];
            p->silver = silver[c];
            table.AddPlayer(p);
        }
    }
    static StartParams Params()
    {
        StartParams p {};
        p[kParamMinScore] = -100000;
        p[kParamMaxScore] = 100000;
        p[kParamMaxRoundsPlayer] = 100;
        p[kParamMaxRoundsTable] = 100;
        return p;
    }
    static void Arrange(FriendCardRules& rules, const std::vector<std::vector<int>>& hands)
    {
        for (int c = 0; c < 4; ++c) {
            for (int id : hands[c])
                rules.MoveCardOwner(rules.FindCard(id)->owner, c, id);
        }
    }

    std::filesystem::path m_dir;
};

TEST_F(SettlementTest, StartChecksAndTheirCodes)
{
    struct Case {
        const char* what;
        int chairs; // seated
        int param;
        int value;
        int code;
        int chair;
    } cases[] = {
        { "empty chair", 3, 0, 0, kStartEmptyChair, 3 },
        { "score too low", 4, kParamMinScore, 600, kStartLowScore, 0 },
        { "score too high", 4, kParamMaxScore, 640, kStartHighScore, 3 },
        { "player rounds", 4, kParamMaxRoundsPlayer, 0, kStartPlayerRounds, 0 },
        { "table rounds", 4, kParamMaxRoundsTable, 0, kStartTableRounds, -1 },
        { "started", 4, 0, 0, kStartOk, -1 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestRules rules;
        for (int chair = 0; chair < c.chairs; ++chair) {
            auto p = std::make_unique<TablePlayer>();
            p->userId = 10 + chair;
            p->chair = chair;
            p->score = 500 + 50 * chair;
            rules.AddPlayer(p);
        }
        StartParams params = Params();
        if (c.param)
            params[c.param] = c.value;
        int chair = 99;
        EXPECT_EQ(rules.CheckAndStart(&chair, params), c.code);
        EXPECT_EQ(chair, c.chair);
        if (c.code == kStartOk) {
            EXPECT_EQ(rules.GetRoundCount(), 1);
            EXPECT_TRUE(rules.IsPlaying());
            EXPECT_EQ(std::string(rules.GetGameId()).size(), 30u);
            EXPECT_EQ(rules.PlayerAt(2)->rounds, 1);
        } else {
            // A failed start uses up no round.
            EXPECT_EQ(rules.GetRoundCount(), 0);
            if (rules.PlayerAt(0)) {
                EXPECT_EQ(rules.PlayerAt(0)->rounds, 0);
            }
        }
    }
}

TEST_F(SettlementTest, SilverTableNeedsTheMinimumAndReadyModeCountsReadyChairs)
{
    TestRules rules;
    Seat(rules, { 0, 0, 0, 0 }, { 5000, 99, 5000, 5000 });
    for (int c = 0; c < 4; ++c)
        rules.SetOptionWords(c, 0x4, 0);
    StartParams params = Params();
    params[kParamBaseSilver] = 10;
    params[kParamMinSilver] = 100;
    int chair = -1;
    EXPECT_EQ(rules.CheckAndStart(&chair, params), kStartLowSilver);
    EXPECT_EQ(chair, 1);

    TestRules ready;
    Seat(ready, { 0, 0, 0, 0 });
    ready.SetOptionWords(0, 0, 0x1000);
    ready.SetChairReady(0);
    ready.SetChairReady(2);
    params = Params();
    params[kParamFewestReady] = 3;
    EXPECT_EQ(ready.CheckAndStart(&chair, params), kStartEmptyChair);
    EXPECT_EQ(chair, -1);
    ready.SetChairReady(3);
    EXPECT_EQ(ready.CheckAndStart(&chair, params), kStartOk);
    EXPECT_TRUE(ready.IsReadyMode());
    EXPECT_EQ(ready.PlayerAt(1)->notCounted, 1);
    EXPECT_EQ(ready.GetMissedRounds(1), 1);
    EXPECT_EQ(ready.GetMissedRounds(0), 0);
}

TEST_F(SettlementTest, LevelsAndBaseScore)
{
    struct Case {
        int value;
        int scale;
        int level;
    } cases[] = { { 9, 1, 0 }, { 10, 1, 1 }, { 86640, 1, 19 }, { 86639, 1, 18 }, { 19, 2, 0 }, { 20, 2, 1 },
        { 0, 1, 0 }, { -50, 1, 0 }, { 2000000000, 3, 19 } };
    for (const Case& c : cases)
        EXPECT_EQ(GameTable::GetLevelIndex(c.value, c.scale), c.level) << c.value << " " << c.scale;

    GameTable table(GameTableArgs { 1, 1, 1, 4, 0, 0, 0 });
    Seat(table, { 150, 700, 35, 99 });
    EXPECT_EQ(table.GetBaseScore(0), 3); // lowest 35 is level 2
    EXPECT_EQ(table.GetBaseScore(7), 7);
    table.RemovePlayer(12);
    EXPECT_EQ(table.GetBaseScore(0), 1); // an empty chair counts as 0
}

TEST_F(SettlementTest, FeesClampingAndTheZeroSumCheck)
{
    TestRules rules;
    Seat(rules, { 0, 0, 0, 0 }, { 100000, 300, 100000, 1000 });
    rules.SetParam(kParamFeeKind, 6);
    rules.SetParam(kParamFeeRate6, 2);
    ResultRecord r;
    r.silverChange[0] = 250;
    r.silverChange[1] = 30000;
    r.silverChange[2] = 200000;
    r.silverChange[3] = 100;
    rules.ApplyFeeA(r);
    EXPECT_EQ(r.fee[0], 4);
    EXPECT_EQ(r.fee[1], 1200); // (300 x 2) x 2, below the cap of 1500
    EXPECT_EQ(r.fee[2], 10000); // 2000 x 2 x 5 is capped at 5 x 2000
    EXPECT_EQ(r.fee[3], 0);
    EXPECT_EQ(r.silverChange[1], 28800);

    // Two losers of 500 against a poorest balance of 300: each loses 300 and
    // the 400 is taken back from the winners in proportion.
    int balances[8] = { 100000, 300, 100000, 1000 };
    int changes[8] = { 500, -500, 500, -500 };
    EXPECT_EQ(rules.ClampLosses(balances, changes), 0);
    EXPECT_EQ(changes[0], 300);
    EXPECT_EQ(changes[1], -300);
    EXPECT_EQ(changes[2], 300);
    EXPECT_EQ(changes[3], -300);
    // Nobody won: the caps apply and nothing is divided by zero.
    int none[8] = { -500, -500, 0, 0 };
    rules.ClampLosses(balances, none);
    EXPECT_EQ(none[0], -300);

    int sumChanges[8] = { 10, -5, 0, 0 };
    int fees[8] = { 1, 0, 0, 0 };
    EXPECT_EQ(rules.CheckZeroSum(sumChanges, fees, 1), 0);
    EXPECT_EQ(sumChanges[0], 0);
    EXPECT_EQ(fees[0], 0);
    int balanced[8] = { 9, -10, 0, 0 };
    int paid[8] = { 1, 0, 0, 0 };
    EXPECT_EQ(rules.CheckZeroSum(balanced, paid, 1), 1);
    EXPECT_EQ(balanced[0], 9);

    // Kind 1: a fixed fee, never negative; what a player cannot pay comes
    // from the winners.
    rules.SetParam(kParamFeeKind, 1);
    rules.SetParam(kParamFixedFee, 50);
    ResultRecord k1;
    k1.silverBefore[0] = 1000;
    k1.silverChange[0] = 400;
    k1.silverBefore[1] = 100;
    k1.silverChange[1] = -130; // left with nothing: pays nothing
    k1.silverBefore[2] = 30;
    k1.silverChange[2] = 0;
    k1.silverBefore[3] = 1000;
    k1.silverChange[3] = -270;
    rules.ApplyFeeA(k1);
    EXPECT_EQ(k1.fee[1], 0);
    EXPECT_EQ(k1.fee[2], 30);
    EXPECT_EQ(k1.fee[0], 50 + 50 + 20);
    for (int c = 0; c < 4; ++c)
        EXPECT_GE(k1.fee[c], 0);
}

TEST_F(SettlementTest, TitlesAndDefaultNames)
{
    ResultRecord r;
    // 12 two-byte characters: only seven fit in 15 bytes.
    GameTable::CopyTitle(r.title[0], "一二三四五六七八九十百千");
    EXPECT_EQ(std::string(r.title[0]), "一二三四五六七");
    GameTable::CopyTitle(r.title[1], "a一二三四五六七八");
    EXPECT_EQ(std::string(r.title[1]), "a一二三四五六七");
    GameTable::CopyTitle(r.title[2], "abcdefghijklmnopqrstuvwxyz0123456");
    EXPECT_EQ(std::string(r.title[2]), "abcdefghijklmno");
    EXPECT_EQ(r.title[2][15], 0);

    EXPECT_EQ(GameTable::GetDefaultPlayerName(3), "游戏玩家【丁】");
    EXPECT_EQ(GameTable::GetDefaultPlayerName(0), "游戏玩家【甲】");
    EXPECT_EQ(GameTable::GetDefaultPlayerName(9), "游戏玩家");

    TestRules rules;
    Seat(rules, { 0, 0, 0, 0 });
    TitleMap titles { { 3, "乡绅地主大财主员外郎中书令尚书" } };
    ResultRecord levels;
    levels.levelAfter[1] = 3;
    rules.FillPlayerNames(levels, &titles);
    EXPECT_LE(std::string(levels.title[1]).size(), 15u);
    EXPECT_EQ(levels.title[0][0], 0);
}

TEST_F(SettlementTest, RunningBombAndJokerBonus)
{
    TestRules rules;
    rules.DealCards();
    auto bomb = [](const char* cards) {
        std::vector<int> ids = Cards(cards);
        PlayRecord p;
        p.Set(CT_BOMB, 0x1147, 0, static_cast<int>(ids.size()));
        std::copy(ids.begin(), ids.end(), p.cards);
        return p;
    };
    struct Step {
        const char* cards;
        int points;
    } steps[] = {
        { "3a 3b 3c 3d", 0 },          // first 4-card bomb
        { "4a 4b 4c 4d", 0 },
        { "5a 5b 5c 5d", 1 },          // the third: N_4 - 2
        { "6a 6c 6a2 6c2", 2 },        // four of one colour group (+1), fourth 4-card bomb (+1)
        { "7a 7b 7c 7d 7a2", 1 },      // 5-card level: n 1 adds nothing; 4-card level n 5: +1
        { "8a 8b 8c 8d 8a2 8b2", 3 },  // the 4- and 5-card levels go on (+1, +1), 6-card n 1 (+1)
    };
    int total = 0;
    for (const Step& s : steps) {
        int got = rules.ScorePlay(0, bomb(s.cards));
        total += got;
        EXPECT_EQ(rules.State().chair[0][kChairScore], total) << s.cards;
        EXPECT_EQ(got, s.points) << s.cards;
    }
    EXPECT_EQ(rules.State().chair[0][kBombsExactly4], 4);
    EXPECT_EQ(rules.State().chair[0][kBombsAtLeast4], 6);
    EXPECT_EQ(rules.State().chair[0][kBombsAtLeast4 + 1], 2);
    EXPECT_EQ(rules.State().chair[0][kSameColourBombs], 1);

    // Jokers: three played make 1, all four in one play 4 more.
    PlayRecord jokers;
    jokers.Set(CT_FOUR_JOKERS, 0x81767, 1, 4);
    std::vector<int> j = Cards("SJ SJ2 BJ BJ2");
    std::copy(j.begin(), j.end(), jokers.cards);
    EXPECT_EQ(rules.ScorePlay(1, jokers), 4);
    EXPECT_EQ(rules.State().chair[1][kAllFourJokers], 1);
    TestRules plain;
    plain.SetOptions(0); // jokers are no wildcards: they earn nothing played
    plain.DealCards();
    EXPECT_EQ(plain.ScorePlay(1, jokers), 0);
    PlayRecord three;
    three.Set(CT_TRIPLE, 4, 8, 3);
    std::vector<int> t = Cards("9a SJ BJ");
    std::copy(t.begin(), t.end(), three.cards);
    EXPECT_EQ(rules.ScorePlay(2, three), 0);
    PlayRecord single;
    single.Set(CT_SINGLE, 1, 21, 1);
    single.cards[0] = 106;
    EXPECT_EQ(rules.ScorePlay(2, single), 1); // the third joker
}

TEST_F(SettlementTest, FinalBonusOfHandMadeHands)
{
    struct Case {
        const char* what;
        const char* hand;
        int bonus;
    } cases[] = {
        { "four sevens of four suits, two nines, the big joker", "7a 7b 7c 7d 9a 9b BJ", 0 },
        { "bombs of three, seven and jack", "3a 3b 3c 3d 7a 7b 7c 7d Ja Jb Jc Jd", 1 },
        { "bombs of three, four and five", "3a 3b 3c 3d 4a 4b 4c 4d 5a 5b 5c 5d", 2 },
        { "bombs of three to eight", "3a 3b 3c 3d 4a 4b 4c 4d 5a 5b 5c 5d 6a 6b 6c 6d 7a 7b 7c 7d 8a 8b 8c 8d", 5 },
        { "four of one colour group", "9a 9c 9a2 9c2", 1 },
        { "a six-card bomb", "9a 9b 9c 9d 9a2 9b2", 1 },
        { "a seven and an eight-card bomb", "9a 9b 9c 9d 9a2 9b2 9c2 Ka Kb Kc Kd Ka2 Kb2 Kc2 Kd2", 22 }, // N_7 2 (12), N_8 1 (10)
        { "three jokers", "SJ SJ2 BJ", 1 },
        { "two five-card bombs", "9a 9b 9c 9d 9a2 Ka Kb Kc Kd Ka2", 1 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestRules rules;
        rules.DealCards();
        std::vector<int> hand = Cards(c.hand);
        // Chair 0 keeps exactly these cards.
        int out[64];
        int n = rules.GetHandCards(0, out);
        for (int i = 0; i < n; ++i)
            rules.MoveCardOwner(0, 1, out[i]);
        for (int id : hand)
            rules.MoveCardOwner(rules.FindCard(id)->owner, 0, id);
        FriendResultInfo result;
        rules.SetKind(2);
        rules.FillFriendResult(result, 0, 0);
        EXPECT_EQ(result.bonus[0], c.bonus);
        EXPECT_EQ(result.leftCount[0], static_cast<int>(hand.size()));
    }
}

TEST_F(SettlementTest, TeamOutcomesAndBonusPayments)
{
    struct Case {
        int partnerPlace;
        int points;
        int teamResult;
    } cases[] = { { 2, 4, 1 }, { 3, 2, 2 }, { 4, 0, 3 } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.partnerPlace);
        TestRules rules;
        rules.SetPresetBanker(0);
        rules.DealCards();
        const int friendChair = rules.GetFriendChair();
        FriendTableState& s = rules.MutableState();
        s.place[0] = 1;
        s.place[friendChair] = c.partnerPlace;
        int next = 2;
        for (int chair = 1; chair < 4; ++chair) {
            if (chair == friendChair)
                continue;
            if (next == c.partnerPlace)
                ++next;
            s.place[chair] = next++;
        }
        rules.SetKind(1);
        rules.SetBases(10, 0);
        FriendResultInfo result;
        rules.FillFriendResult(result, 0, 0);
        EXPECT_EQ(result.teamResult, c.teamResult);
        int sum = 0;
        for (int chair = 0; chair < 4; ++chair) {
            int team = (chair == 0 || chair == friendChair) ? c.points : -c.points;
            int bonus = 3 * result.bonus[chair];
            for (int o = 0; o < 4; ++o)
                bonus -= o == chair ? 0 : result.bonus[o];
            EXPECT_EQ(result.base.teamPoints[chair], team + bonus);
            EXPECT_EQ(result.base.scoreChange[chair], 10 * (team + bonus));
            sum += result.base.teamPoints[chair];
        }
        EXPECT_EQ(sum, 0);
    }

    // A bonus of 3 is paid by each of the three others.
    TestRules rules;
    rules.SetPresetBanker(0);
    rules.DealCards();
    std::vector<std::vector<int>> hands(4);
    std::vector<int> keep = Cards("3a 3b 3c 3d 5a 5b 5c 5d 7a 7b 7c 7d 9a 9b 9c 9d Ja Jb Jc Jd 2a 4a 6a 8a Ta Qa Ka");
    std::vector<bool> taken(108, false);
    for (int id : keep)
        taken[id] = true;
    hands[0] = keep;
    int turn = 1;
    for (int id = 0; id < 108; ++id) {
        if (taken[id])
            continue;
        hands[turn].push_back(id);
        turn = turn % 3 + 1;
    }
    Arrange(rules, hands);
    FriendTableState& s = rules.MutableState();
    const int friendChair = rules.GetFriendChair();
    s.place[0] = 1;
    s.place[friendChair] = 4;
    for (int chair = 1, next = 2; chair < 4; ++chair) {
        if (chair != friendChair)
            s.place[chair] = next++;
    }
    rules.SetKind(1);
    rules.SetBases(1, 0);
    FriendResultInfo result;
    rules.FillFriendResult(result, 0, 0);
    ASSERT_EQ(result.bonus[0], 3); // five 4-card bombs: N_4 - 2
    for (int chair = 1; chair < 4; ++chair)
        ASSERT_EQ(result.bonus[chair], 0) << chair;
    EXPECT_EQ(result.base.teamPoints[0], 9);
    for (int chair = 1; chair < 4; ++chair)
        EXPECT_EQ(result.base.teamPoints[chair], -3);
}

TEST_F(SettlementTest, MobileDoublingInsideAndOutsideItsPeriod)
{
    struct Case {
        const char* ini; // null: no file
        bool doubled;
    } cases[] = {
        { nullptr, false },
        { "[MobileDoubleScore]\nBeginTime=2026-12-10-12-00\nEndTime=2026-12-10-13-00\nDouble=3\n", true },
        { "[MobileDoubleScore]\nBeginTime=2026-12-10-12-30\nEndTime=2026-12-10-12-30\nDouble=3\n", true },
        { "[MobileDoubleScore]\nBeginTime=2026-12-10-12-31\nEndTime=2026-12-10-13-00\nDouble=3\n", false },
        { "[MobileDoubleScore]\nBeginTime=2026-12-10-12-00\nEndTime=2026-12-10-13-00\nDouble=0\n", false },
        { "[MobileDoubleScore]\nBeginTime=garbage\nEndTime=2026-12-10-13-00\nDouble=3\n", false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ini ? c.ini : "no file");
        std::filesystem::remove(m_dir / "KbZnSvr.ini");
        if (c.ini) {
            std::ofstream(m_dir / "KbZnSvr.ini") << c.ini;
        }
        TestRules rules;
        Seat(rules, { 0, 0, 0, 0 });
        rules.PlayerAt(0)->flags = kPlayerMobile;
        rules.PlayerAt(1)->flags = kPlayerMobile;
        rules.SetBases(10, 0);
        ResultRecord r;
        r.teamPoints[0] = 4;
        r.teamPoints[1] = -4;
        r.teamPoints[2] = 4;
        r.teamPoints[3] = -4;
        rules.ComputeChanges(r, 0, r.scoreChange, r.silverChange);
        EXPECT_EQ(r.scoreChange[0], c.doubled ? 120 : 40);
        EXPECT_EQ(r.scoreChange[1], -40); // a loss is never doubled
        EXPECT_EQ(r.scoreChange[2], 40);  // not on a mobile device
        EXPECT_EQ(r.doubledMask, c.doubled ? 1 : 0);
    }
}

TEST_F(SettlementTest, HistoryKeepsTheLastThirtyRounds)
{
    TestRules rules;
    Seat(rules, { 0, 0, 0, 0 });
    rules.SetBases(1, 0);
    for (int round = 1; round <= 32; ++round) {
        ResultRecord r;
        r.teamPoints[0] = round;
        r.teamPoints[1] = -round;
        rules.ComputeChanges(r, 0, r.scoreChange, r.silverChange);
    }
    EXPECT_EQ(rules.GetHistoryCount(), 30);
    EXPECT_EQ(rules.GetHistory(0, 0), 3);
    EXPECT_EQ(rules.GetHistory(0, 29), 32);
    int total = 0;
    for (int round = 3; round <= 32; ++round)
        total += round;
    EXPECT_EQ(rules.GetHistoryTotal(0), total);
    EXPECT_EQ(rules.GetHistoryTotal(1), -total);
}

TEST_F(SettlementTest, ResultRecordLayout)
{
    FriendResultInfo info;
    info.base.kind = 1;
    info.base.team[7] = 5;
    info.base.baseSilver = 300;
    info.base.levelAfter[3] = 19;
    GameTable::CopyTitle(info.base.title[1], "员外");
    info.base.doubledMask = 0x5;
    info.teamResult = 2;
    info.cardsLeft[3][26] = 107;
    info.baseAmount = 50;
    info.dealt[0][0] = 11;
    info.friendChair = 3;
    info.prepared = 1;
    std::vector<uint8_t> bytes(FriendResultInfo::kWireSize, 0xCC);
    ASSERT_TRUE(info.Write(bytes));
    EXPECT_EQ(LoadI32(bytes, 0), 1);
    EXPECT_EQ(LoadI32(bytes, 48), 5);
    EXPECT_EQ(LoadI32(bytes, 92), 300);
    EXPECT_EQ(LoadI32(bytes, 256 + 12), 19);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data()) + 288 + 16), "员外");
    EXPECT_EQ(LoadI32(bytes, 424), 5);
    EXPECT_EQ(LoadI32(bytes, 428), 0);
    EXPECT_EQ(LoadI32(bytes, 432), 2);
    EXPECT_EQ(LoadI32(bytes, 452 + 4 * (3 * 27 + 26)), 107);
    EXPECT_EQ(LoadI32(bytes, 932), 5);
    EXPECT_EQ(LoadI32(bytes, 936), 50);
    EXPECT_EQ(LoadI32(bytes, 940), 11);
    EXPECT_EQ(LoadI32(bytes, 1372), 3);
    EXPECT_EQ(LoadI32(bytes, 1392), 1);
    EXPECT_EQ(LoadI32(bytes, 1404), 0);
    FriendResultInfo back;
    ASSERT_TRUE(FriendResultInfo::Read(bytes, back));
    EXPECT_EQ(back.cardsLeft[3][26], 107);
    EXPECT_EQ(back.base.levelAfter[3], 19);
}

TEST_F(SettlementTest, BaseAmountFromTheServerRulesFile)
{
    std::ofstream(m_dir / "KbZnSvr.ini") << "[basescore]\n7=250\n[SoloAlone]\nKickTime=45\n";
    FriendCardRules rules(GameTableArgs { 7, 1, 1, 4, 1, 0, 3 }, FriendCardTableArgs());
    EXPECT_EQ(rules.GetKickTime(), 45);
    Seat(rules, { 0, 0, 0, 0 });
    StartParams params = Params();
    int chair = -1;
    ASSERT_EQ(rules.CheckAndStart(&chair, params), kStartOk);
    FriendResultInfo result;
    rules.FinishFriendRound(result, 0, 0, true, nullptr);
    EXPECT_EQ(result.baseAmount, 250);
    EXPECT_EQ(result.prepared, 1);
    EXPECT_EQ(rules.PlayerAt(0)->score, 0); // only prepared, nothing applied
}

} // namespace
} // namespace table
