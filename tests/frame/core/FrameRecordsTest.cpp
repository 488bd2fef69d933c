#include "frame/core/FrameRecordStore.h"
#include "frame/core/FrameRecords.h"
#include "frame/core/WireReader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using namespace frame;

constexpr int kDefaultPort = 21534;
constexpr int kOwnId = 5001;

// n GBK characters of two bytes each.
std::string Chinese(size_t n)
{
    std::string text;
    for (size_t i = 0; i < n; ++i)
        text += "中";
    return text;
}

int32_t IntAt(std::span<const uint8_t> bytes, size_t offset)
{
    return static_cast<int32_t>(LoadLe32(bytes.data() + offset));
}

// A received body built field by field.
class Body {
public:
    explicit Body(size_t size)
        : m_bytes(size, 0)
    {
    }
    Body& Int(size_t offset, int32_t value)
    {
        StoreLe32(m_bytes.data() + offset, static_cast<uint32_t>(value));
        return *this;
    }
    Body& Text(size_t offset, const std::string& text)
    {
        std::copy(text.begin(), text.end(), m_bytes.begin() + static_cast<std::ptrdiff_t>(offset));
        return *this;
    }
    Body& Record(size_t offset, std::span<const uint8_t> record)
    {
        std::copy(record.begin(), record.end(), m_bytes.begin() + static_cast<std::ptrdiff_t>(offset));
        return *this;
    }
    const uint8_t* Data() const { return m_bytes.data(); }
    size_t Size() const { return m_bytes.size(); }

private:
    std::vector<uint8_t> m_bytes;
};

VizeRidavuRecord Wire(int userId, int chair, const std::string& name = "p")
{
    VizeRidavuRecord wire;
    wire.SetUserId(userId);
    wire.SetChair(chair);
    wire.SetName(name);
    return wire;
}

// A store whose hooks record what reached them.
class TestStore : public FrameRecordStore {
public:
    TestStore()
        : FrameRecordStore("KbZn", kDefaultPort, 1, 1)
    {
        GetHallArgs().userId = kOwnId;
    }
    int GetChairCount() const override { return chairCount; }
    void RefreshAdvertBar() override { calls += "advert "; }
    void RefreshUserList() override { calls += "users "; }
    void RefreshUserListAll() override { calls += "all "; }
    void ShowSelectedPlayerDetail() override { calls += "detail "; }
    void OnSilverNotice(const uint8_t*, size_t) override { calls += "silver "; }
    void OnServerText(const uint8_t*, size_t) override { calls += "text "; }
    void OnMatchRankingSorted() override { calls += "ranking "; }
    int GetExitRequestCount() const override { return exitRequests; }
    int GetDetailPanelUserId() const override { return detailUser; }

    void Seat(int chair, int userId, const std::string& name = "p")
    {
        PlayerRecord& p = *GetSeatPlayer(chair);
        p.SetUserId(userId);
        p.SetChair(chair);
        p.SetName(name);
    }
    void LookOn(int slot, int userId, int watchedChair)
    {
        PlayerRecord& p = *GetLookOnPlayer(slot);
        p.SetUserId(userId);
        p.SetChair(watchedChair);
        p.SetLookOn(1);
    }
    // Every record the store holds, as bytes, to see that nothing changed.
    std::vector<uint8_t> Snapshot() const
    {
        std::vector<uint8_t> all;
        auto add = [&](std::span<const uint8_t> bytes) { all.insert(all.end(), bytes.begin(), bytes.end()); };
        for (int i = 0; i < kSeats; ++i) {
            add(GetSeatPlayer(i)->Bytes());
            add(GetMatchSeat(i)->Bytes());
        }
        for (int i = 0; i < kLookOnSlots; ++i)
            add(GetLookOnPlayer(i)->Bytes());
        add(GetRoomInfo().Bytes());
        add(GetTableInfo().Bytes());
        add(GetMatchRoomInfo().Bytes());
        add(GetMatchRanking().Bytes());
        add(GetRoundResult().Bytes());
        const int32_t words[] = { GetChair(), GetHallArgs().tableNo, GetMatchId(), static_cast<int32_t>(GetScoreHistory().RoundCount()) };
        for (int32_t w : words) {
            uint8_t b[4];
            StoreLe32(b, static_cast<uint32_t>(w));
            add(b);
        }
        return all;
    }

    int chairCount = 4;
    int exitRequests = 0;
    int detailUser = 0;
    std::string calls;
};

// ---- Lobby argument ------------------------------------------------------

TEST(HallArgs, ParseCases)
{
    struct Case {
        const char* name;
        std::string line;
        HallArgsLine expected;
    };
    HallLaunchArgs nine;
    nine.gameId = 12;
    nine.serverHost = "10.0.0.1";
    nine.lobbyWord = 3;
    nine.lobbyWindow = 77;
    nine.lobbyWord4 = 4;
    nine.userId = 5001;
    nine.tableNo = 6;
    nine.chair = 2;
    nine.lookOn = 1;
    nine.serverPort = kDefaultPort;
    HallLaunchArgs full = nine;
    full.reenter = 1;
    full.title = "好友找朋友";
    full.serverPort = 8000;
    HallLaunchArgs longTexts = nine;
    longTexts.serverHost = Chinese(15);       // 32 bytes given, the 16th character would split at 31
    longTexts.title = "x" + Chinese(63);       // 129 bytes given, cut at 127
    HallLaunchArgs numbers = nine;
    numbers.gameId = 12;
    numbers.userId = -5;
    numbers.tableNo = 0;

    const Case cases[] = {
        { "nine fields leave title, port and options at their defaults", "12|10.0.0.1|3|77|4|5001|6|2|1", { nine } },
        { "fifteen fields, quoted", "\"12|10.0.0.1|3|77|4|5001|6|2|1|1|好友找朋友|8000|4|4294967295|131072\"",
            { full, 4, 0xFFFFFFFFu, 0x20000 } },
        { "port 0 gives the default port", "12|10.0.0.1|3|77|4|5001|6|2|1|0||0", { nine } },
        { "texts cut on a character boundary",
            "12|" + Chinese(16) + "|3|77|4|5001|6|2|1|0|x" + Chinese(64) + "|0", { longTexts } },
        { "numbers read as atoi reads them", " 12abc|10.0.0.1|3|77|4|-5|x|2|1", { numbers } },
        { "fields past the thirtieth are dropped", "12|10.0.0.1|3|77|4|5001|6|2|1" + std::string(40, '|'), { nine } },
        { "a text ends at a zero byte", std::string("12|10.0.0.1\0junk|3|77|4|5001|6|2|1", 34), { nine } },
    };
    for (const Case& c : cases) {
        HallArgsLine line;
        EXPECT_EQ(ParseHallArgs(c.line, kDefaultPort, line), HallArgsStatus::Ok) << c.name;
        EXPECT_EQ(line, c.expected) << c.name;
    }
}

TEST(HallArgs, FewerThanNineFieldsIsRefusedAndChangesNothing)
{
    for (std::string line : { "", "\"", "1|2|3|4|5|6|7|8", "\"1|2|3|4|5|6|7|8", "1|2|3|4|5|6|7|8\"" }) {
        HallArgsLine out;
        out.args.gameId = 99;
        EXPECT_EQ(ParseHallArgs(line, kDefaultPort, out), HallArgsStatus::TooFewFields) << line;
        EXPECT_EQ(out.args.gameId, 99) << line;
    }
}

TEST(HallArgs, RelaunchLineReadsBackToTheSameRecord)
{
    TestStore store;
    ASSERT_TRUE(store.ParseHallArgs("\"12|host.example|3|77|4|5001|6|2|1|0|标题|8000|4|2147483650|262144\""));
    EXPECT_EQ(store.GetRoomOptionsA(), 4u);
    EXPECT_EQ(store.GetRoomOptionsB(), 2147483650u);
    EXPECT_EQ(store.GetRoomOptionsC(), 0x40000u);
    EXPECT_EQ(IntAt(store.GetRoomInfo().Bytes(), 16), 4);
    EXPECT_EQ(static_cast<uint32_t>(IntAt(store.GetRoomInfo().Bytes(), 292)), 2147483650u);
    EXPECT_EQ(IntAt(store.GetRoomInfo().Bytes(), 308), 0x40000);

    std::string line = store.BuildRelaunchLine();
    EXPECT_EQ(line, "\"12|host.example|3|77|4|5001|6|2|0|1|标题|8000|4|2147483650|262144\"");
    HallArgsLine again;
    ASSERT_EQ(ParseHallArgs(line, kDefaultPort, again), HallArgsStatus::Ok);
    EXPECT_EQ(again.args, store.GetHallArgs());
    EXPECT_EQ(again.args.reenter, 1);
    EXPECT_EQ(again.args.lookOn, 0);
    EXPECT_EQ(again.roomOptionsB, store.GetRoomOptionsB());
}

TEST(HallArgs, StandAloneSkipsTheArgument)
{
    TestStore store;
    store.SetReplayMode(1);
    EXPECT_TRUE(store.IsStandAlone());
    EXPECT_TRUE(store.ParseHallArgs("not an argument"));
    EXPECT_EQ(store.GetUserId(), kOwnId);
    EXPECT_EQ(store.GetServerPort(), kDefaultPort);
}

// ---- Layouts ---------------------------------------------------------------

TEST(RecordLayout, FieldsSitAtTheirOffsets)
{
    struct Case {
        const char* name;
        std::span<const uint8_t> bytes;
        size_t offset;
        int32_t value;
    };
    RoomInfo room;
    room.SetRoomId(11);
    room.SetWord12(12);
    room.SetNoticePeriod(288);
    room.SetWord296(296);
    room.SetWord304(304);
    room.SetHasRoomTexts(1);
    TableInfo table;
    table.SetTableNo(9);
    table.SetPlayerCount(3);
    table.SetLookOnCount(2);
    PlayerRecord player;
    player.SetFigure(76);
    player.SetScore(104);
    player.SetExperienceSeconds(136);
    player.SetChair(144);
    player.SetWord164(164);
    MatchRoomInfo matchRoom;
    matchRoom.SetMatchId(4);
    matchRoom.SetSeatCount(12);
    matchRoom.SetWord140(140);
    MatchSeatRecord seat;
    seat.SetWord96(96);
    seat.SetRankingKey(184);
    seat.SetSilver(192);
    seat.SetExperienceSeconds(216);
    seat.SetNextLevelPoints(264);
    MatchStateBlock state;
    state.SetStage(500);
    RoundResult result;
    result.SetMatchSeatCount(4);
    result.SetScoreBefore(0, 96);
    result.SetSilverBefore(7, 128);
    result.SetScoreChange(1, 160);
    result.SetSilverChange(2, 192);
    result.SetLevel(7, 256);
    result.SetKeepMask(0x8);
    MatchRanking ranking;
    ranking.SetEntryCount(3);
    ranking.SetPromotionMarking(1);
    MatchRankingEntry entry;
    entry.SetRankingKey(12);
    entry.SetOut(20);
    ranking.SetEntry(99, entry);

    const Case cases[] = {
        { "room id", room.Bytes(), 0, 11 },
        { "room word 12", room.Bytes(), 12, 12 },
        { "notice period", room.Bytes(), 288, 288 },
        { "room word 296", room.Bytes(), 296, 296 },
        { "room word 304", room.Bytes(), 304, 304 },
        { "room texts flag", room.Bytes(), 320, 1 },
        { "table number", table.Bytes(), 0, 9 },
        { "player count", table.Bytes(), 8, 3 },
        { "looker-on count", table.Bytes(), 12, 2 },
        { "figure", player.Bytes(), 76, 76 },
        { "score", player.Bytes(), 104, 104 },
        { "experience seconds", player.Bytes(), 136, 136 },
        { "chair", player.Bytes(), 144, 144 },
        { "player word 164", player.Bytes(), 164, 164 },
        { "match id", matchRoom.Bytes(), 4, 4 },
        { "seat count", matchRoom.Bytes(), 12, 12 },
        { "match room word 140", matchRoom.Bytes(), 140, 140 },
        { "seat level", seat.Bytes(), 96, 96 },
        { "seat ranking key", seat.Bytes(), 184, 184 },
        { "seat silver", seat.Bytes(), 192, 192 },
        { "seat experience", seat.Bytes(), 216, 216 },
        { "next level points", seat.Bytes(), 264, 264 },
        { "match stage", state.Bytes(), 8, 500 },
        { "match seats of a result", result.Bytes(), 8, 4 },
        { "score before of chair 0", result.Bytes(), 96, 96 },
        { "silver before of chair 7", result.Bytes(), 128 + 28, 128 },
        { "score change of chair 1", result.Bytes(), 164, 160 },
        { "silver change of chair 2", result.Bytes(), 200, 192 },
        { "level of chair 7", result.Bytes(), 256 + 28, 256 },
        { "keep mask", result.Bytes(), 420, 8 },
        { "ranking count", ranking.Bytes(), 4, 3 },
        { "promotion marking", ranking.Bytes(), 20, 1 },
        { "last entry's ranking key", ranking.Bytes(), 24 + 99 * 64 + 12, 12 },
        { "last entry's out flag", ranking.Bytes(), 24 + 99 * 64 + 20, 20 },
    };
    for (const Case& c : cases)
        EXPECT_EQ(IntAt(c.bytes, c.offset), c.value) << c.name;
}

TEST(RecordLayout, TextFieldsAreCutOnCharacterBoundariesAndZeroFilled)
{
    struct Case {
        const char* name;
        std::string given;
        std::string kept;
    };
    const Case cases[] = {
        { "fits", "张三", "张三" },
        { "31 bytes fit a 32-byte field", std::string(31, 'a'), std::string(31, 'a') },
        { "ASCII cut at 31", std::string(40, 'a'), std::string(31, 'a') },
        { "a character straddling byte 31 is dropped whole", Chinese(16), Chinese(15) },
        { "a character ending at byte 31 stays", "a" + Chinese(16), "a" + Chinese(15) },
    };
    for (const Case& c : cases) {
        PlayerRecord player;
        player.SetName(std::string(31, 'z')); // a longer earlier name leaves no tail
        player.SetName(c.given);
        EXPECT_EQ(player.Name(), c.kept) << c.name;
        const auto& bytes = player.Bytes();
        EXPECT_EQ(std::string(bytes.begin() + 20, bytes.begin() + 20 + static_cast<std::ptrdiff_t>(c.kept.size())), c.kept)
            << c.name;
        for (size_t i = 20 + c.kept.size(); i < 52; ++i)
            ASSERT_EQ(bytes[i], 0) << c.name << " byte " << i;
    }

    // A received field without its zero reads as its first 15 bytes, again
    // without a half character.
    std::vector<uint8_t> raw(PlayerRecord::kSize, 0);
    std::string title = "a" + Chinese(8); // 17 bytes over a 16-byte field
    std::copy(title.begin(), title.begin() + 16, raw.begin() + 88);
    PlayerRecord player;
    ASSERT_TRUE(player.Load(raw.data(), raw.size()));
    EXPECT_EQ(player.LevelTitle(), "a" + Chinese(7));
}

TEST(RecordLayout, LoadKeepsCarriedBytesAndRefusesShortData)
{
    std::vector<uint8_t> raw(RoomInfo::kSize);
    for (size_t i = 0; i < raw.size(); ++i)
        raw[i] = static_cast<uint8_t>(i * 7 + 1);
    RoomInfo room;
    EXPECT_FALSE(room.Load(raw.data(), raw.size() - 1));
    EXPECT_EQ(room, RoomInfo {});
    ASSERT_TRUE(room.Load(raw.data(), raw.size()));
    room.SetOptionsB(0x1000000);
    for (size_t i = 0; i < raw.size(); ++i) {
        if (i < 292 || i >= 296) {
            ASSERT_EQ(room.Bytes()[i], raw[i]) << i;
        }
    }
}

// ---- Player record and the server's player record ------------------------

TEST(PlayerMapping, WireToPlayerAndBackIsExact)
{
    TestStore store;
    std::string titles = "新手|入门|熟练|高手";
    store.SetRoomTexts(reinterpret_cast<const uint8_t*>(titles.data()), titles.size());

    VizeRidavuRecord wire;
    wire.SetUserId(101);
    wire.SetFlags(0x1001);
    wire.SetStatus(12);
    wire.SetTableNo(33);
    wire.SetChair(2);
    wire.SetWord20(2020);
    wire.SetWord24(2424);
    wire.SetNetSpeed(28);
    wire.SetFigure(32);
    wire.SetName("名字" + std::string(27, 'n')); // 31 bytes, the whole field
    wire.SetNickname("小名");
    wire.SetSilver(-84);
    wire.SetLevel(3);
    wire.SetScore(92);
    wire.SetDisconnects(96);
    wire.SetWon(100);
    wire.SetLost(104);
    wire.SetDrawn(108);
    wire.SetPlayed(112);
    wire.SetExperienceSeconds(7265);

    PlayerRecord player;
    player.SetWord164(164); // not the wire's: carried
    store.WireToPlayer(player, wire);
    struct Field {
        const char* name;
        int32_t got;
        int32_t expected;
    };
    const Field fields[] = {
        { "user id", player.UserId(), 101 },
        { "flags", static_cast<int32_t>(player.Flags()), 0x1001 },
        { "status", player.Status(), 12 },
        { "table", player.TableNo(), 33 },
        { "chair", player.Chair(), 2 },
        { "word 68", player.Word68(), 2020 },
        { "word 72", player.Word72(), 2424 },
        { "net speed", player.NetSpeed(), 28 },
        { "figure", player.Figure(), 32 },
        { "silver", player.Silver(), -84 },
        { "level", player.Level(), 3 },
        { "score", player.Score(), 92 },
        { "disconnects", player.Disconnects(), 96 },
        { "won", player.Won(), 100 },
        { "lost", player.Lost(), 104 },
        { "drawn", player.Drawn(), 108 },
        { "played", player.Played(), 112 },
        { "experience seconds", player.ExperienceSeconds(), 7265 },
        { "experience minutes", player.ExperienceMinutes(), 121 },
        { "carried word", player.Word164(), 164 },
    };
    for (const Field& f : fields)
        EXPECT_EQ(f.got, f.expected) << f.name;
    EXPECT_EQ(player.Name(), wire.Name());
    EXPECT_EQ(player.Nickname(), "小名");
    EXPECT_EQ(player.LevelTitle(), "高手");

    // Bytes 0 to 119 of the wire record are all mapped fields, and the rest
    // is zero: the way back gives the record that came in.
    VizeRidavuRecord back;
    store.PlayerToWire(player, back);
    EXPECT_EQ(back, wire);
}

TEST(PlayerMapping, LevelWithoutRoomTextGivesAnEmptyTitle)
{
    TestStore store;
    PlayerRecord player;
    player.SetLevelTitle("old");
    VizeRidavuRecord wire = Wire(1, 0);
    wire.SetLevel(7);
    store.WireToPlayer(player, wire);
    EXPECT_EQ(player.LevelTitle(), "");
}

TEST(RoomTexts, SplitAtBarsUpToTheFirstEmptyField)
{
    struct Case {
        const char* name;
        std::string text;
        size_t count;
        std::string last;
    };
    std::string many;
    for (int i = 0; i < 70; ++i)
        many += "t" + std::to_string(i) + "|";
    const Case cases[] = {
        { "plain", "甲|乙|丙", 3, "丙" },
        { "stops at an empty field", "甲||丙", 1, "甲" },
        { "at most 60", many, 60, "t59" },
        { "ends at the zero", std::string("甲|乙\0|丙", 10), 2, "乙" },
        { "empty", "", 0, "" },
    };
    for (const Case& c : cases) {
        TestStore store;
        store.SetRoomTexts(reinterpret_cast<const uint8_t*>(c.text.data()), c.text.size());
        EXPECT_EQ(store.GetRoomTexts().size(), c.count) << c.name;
        EXPECT_EQ(store.GetRoomText(static_cast<int>(c.count) - 1), c.last) << c.name;
        EXPECT_EQ(store.GetRoomText(static_cast<int>(c.count)), "") << c.name;
    }
}

// ---- Loaders ---------------------------------------------------------------

// Each loader with a body one byte shorter than what it reads first.
TEST(Loaders, ShortBodiesAreRefusedAndChangeNothing)
{
    using Loader = bool (FrameRecordStore::*)(const uint8_t*, size_t);
    struct Case {
        const char* name;
        Loader loader;
        size_t size;
    };
    const Case cases[] = {
        { "211028 seat players", &FrameRecordStore::LoadSeatPlayers, 64 },
        { "210210 other seats", &FrameRecordStore::LoadOtherSeatPlayers, 60 },
        { "211700 players by chair", &FrameRecordStore::LoadPlayersByChair, 68 },
        { "211150 match table", &FrameRecordStore::LoadMatchTable, 244 },
        { "211080 round result", &FrameRecordStore::ApplyRoundResult, 432 },
        { "211510 player result", &FrameRecordStore::UpdatePlayerResult, 64 },
        { "211600 player money", &FrameRecordStore::UpdatePlayerMoney, 20 },
        { "211910 player names", &FrameRecordStore::SetPlayerNames, 52 },
        { "211430 portrait", &FrameRecordStore::SetPlayerPortrait, 12 },
        { "211440 privilege", &FrameRecordStore::SetPlayerPrivileged, 12 },
        { "replay table block", &FrameRecordStore::RestoreRoomFromReplay, 216 },
    };
    for (const Case& c : cases) {
        TestStore store;
        store.Seat(0, kOwnId);
        store.Seat(1, 77);
        store.SetOwnChair(0);
        std::vector<uint8_t> before = store.Snapshot();
        // A body that would change something were it long enough: counts
        // of 1, chair 1, valid flags set.
        std::vector<uint8_t> body(c.size, 1);
        EXPECT_FALSE((store.*c.loader)(body.data(), body.size() - 1)) << c.name;
        EXPECT_FALSE((store.*c.loader)(nullptr, 0)) << c.name;
        EXPECT_EQ(store.Snapshot(), before) << c.name;
        EXPECT_EQ(store.calls, "") << c.name;
    }
    TestStore store;
    PlayerRecord player;
    std::vector<uint8_t> block(FrameRecordStore::kReplaySeatBlockSize - 1, 1);
    EXPECT_FALSE(store.ReplaySeatToPlayer(player, block.data(), block.size()));
    EXPECT_EQ(player, PlayerRecord {});
}

TEST(Loaders, SeatPlayersTakeWhatTheBodyHolds)
{
    struct Case {
        const char* name;
        int32_t count;
        size_t recordsInBody;
        int32_t expectedCount;
    };
    const Case cases[] = {
        { "count as sent", 3, 3, 3 },
        { "count above the body", 200, 2, 2 },
        { "count above the seats", 12, 12, 8 },
        { "negative count", -1, 2, 0 },
    };
    for (const Case& c : cases) {
        TestStore store;
        store.Seat(6, 999); // cleared by the load
        Body body(64 + c.recordsInBody * 136);
        body.Int(4, 41).Int(8, c.count);
        for (size_t i = 0; i < c.recordsInBody; ++i) {
            int userId = i == 1 ? kOwnId : 100 + static_cast<int>(i);
            if (i < 13)
                body.Int(12 + 4 * i, userId);
            body.Record(64 + i * 136, Wire(userId, static_cast<int>(i)).Bytes());
        }
        ASSERT_TRUE(store.LoadSeatPlayers(body.Data(), body.Size())) << c.name;
        EXPECT_EQ(store.GetTablePlayerCount(), c.expectedCount) << c.name;
        EXPECT_EQ(store.GetTableNo(), 41) << c.name;
        for (int chair = 0; chair < 8; ++chair)
            EXPECT_EQ(store.IsChairOccupied(chair), chair < c.expectedCount) << c.name << " chair " << chair;
        EXPECT_EQ(store.GetChair(), c.expectedCount > 1 ? 1 : -1) << c.name;
    }
}

TEST(Loaders, PlayersByChairSkipChairsOutsideTheSeats)
{
    TestStore store;
    Body body(68 + 4 * 136);
    body.Int(8, 17).Int(12, 3).Int(16, 4);
    body.Record(68, Wire(101, 3).Bytes());
    body.Record(68 + 136, Wire(102, 8).Bytes());
    body.Record(68 + 272, Wire(103, -1).Bytes());
    body.Record(68 + 408, Wire(104, 0).Bytes());
    ASSERT_TRUE(store.LoadPlayersByChair(body.Data(), body.Size()));
    EXPECT_EQ(store.GetChair(), 3);
    EXPECT_EQ(store.GetTableNo(), 17);
    EXPECT_EQ(store.GetChairUserId(3), 101);
    EXPECT_EQ(store.GetChairUserId(0), 104);
    EXPECT_EQ(store.GetUserChair(102), -1);
    EXPECT_EQ(store.GetUserChair(103), -1);

    // An own chair that is neither a seat nor -1 refuses the whole list.
    std::vector<uint8_t> before = store.Snapshot();
    body.Int(12, 8);
    EXPECT_FALSE(store.LoadPlayersByChair(body.Data(), body.Size()));
    EXPECT_EQ(store.Snapshot(), before);
}

TEST(Loaders, OtherSeatPlayersLeaveTheOwnChair)
{
    TestStore store;
    store.Seat(1, kOwnId, "me");
    store.SetOwnChair(1);
    Body body(60 + 3 * 136);
    body.Int(8, 3);
    body.Record(60, Wire(100, 0, "a").Bytes());
    body.Record(60 + 136, Wire(kOwnId, 1, "server copy").Bytes());
    body.Record(60 + 272, Wire(102, 2, "c").Bytes());
    ASSERT_TRUE(store.LoadOtherSeatPlayers(body.Data(), body.Size()));
    EXPECT_EQ(store.GetChairName(0), "a");
    EXPECT_EQ(store.GetChairName(1), "me");
    EXPECT_EQ(store.GetChairName(2), "c");
}

TEST(Loaders, MatchTableReadsTheSeatsItHolds)
{
    TestStore store;
    store.SetMatchMode(true);
    MatchRoomInfo room;
    room.SetRoomId(7);
    room.SetMatchId(900);
    room.SetTableNo(12);
    room.SetSeatCount(100);
    MatchSeatRecord other;
    other.SetUserId(300);
    other.SetName("对手");
    other.SetSilver(1900);
    other.SetDisconnects(3);
    other.SetExperienceSeconds(216);
    MatchSeatRecord own;
    own.SetUserId(kOwnId);
    Body body(244 + 2 * 288);
    body.Record(0, room.Bytes()).Record(244, other.Bytes()).Record(244 + 288, own.Bytes());
    store.Seat(5, 999);
    store.GetSeatPlayer(0)->SetLookOn(1); // bytes 148.. are cleared for a match seat

    ASSERT_TRUE(store.LoadMatchTable(body.Data(), body.Size()));
    EXPECT_EQ(store.GetRoomId(), 7);
    EXPECT_EQ(store.GetMatchId(), 900);
    EXPECT_EQ(store.GetTableNo(), 12);
    EXPECT_EQ(store.GetTablePlayerCount(), 8);
    EXPECT_EQ(store.GetChair(), 1);
    EXPECT_FALSE(store.IsChairOccupied(5));
    const PlayerRecord& p = *store.GetSeatPlayer(0);
    EXPECT_EQ(p.UserId(), 300);
    EXPECT_EQ(p.Name(), "对手");
    EXPECT_EQ(p.Silver(), 1900);
    EXPECT_EQ(p.Disconnects(), 3);
    EXPECT_EQ(p.ExperienceSeconds(), 216);
    EXPECT_EQ(p.TableNo(), 12);
    EXPECT_EQ(p.Chair(), 0);
    EXPECT_EQ(p.LookOn(), 0);
    EXPECT_EQ(store.FindMatchSeat(300), store.GetMatchSeat(0));
}

TEST(Loaders, MatchRankingCountIsClampedToTheBody)
{
    MatchRanking ranking;
    Body body(24 + 3 * 64 + 10);
    body.Int(4, 1000);
    body.Int(24 + 2 * 64, 33);
    ASSERT_TRUE(ranking.LoadNotification(body.Data(), body.Size()));
    EXPECT_EQ(ranking.Count(), 3u);
    EXPECT_EQ(ranking.Entry(2).UserId(), 33);
    EXPECT_FALSE(ranking.LoadNotification(body.Data(), 23));
}

TEST(Loaders, NamesForTheChairsTheBodyHolds)
{
    TestStore store;
    store.chairCount = 4;
    store.Seat(0, 10, "old0");
    store.Seat(1, 11, "old1");
    store.Seat(3, 13, "old3");
    Body body(2 * 52);
    body.Text(0, "新0").Text(52, std::string(52, 'x'));
    ASSERT_TRUE(store.SetPlayerNames(body.Data(), body.Size()));
    EXPECT_EQ(store.GetChairName(0), "新0");
    EXPECT_EQ(store.GetChairName(1), std::string(31, 'x'));
    EXPECT_EQ(store.GetChairName(3), "old3");
    EXPECT_FALSE(store.IsChairOccupied(2));
    EXPECT_EQ(store.calls, "text ");
}

// ---- Round results ---------------------------------------------------------

TEST(RoundResults, TableRoundUpdatesOccupiedChairsOutsideTheMask)
{
    for (bool silverRoom : { false, true }) {
        TestStore store;
        store.GetRoomInfo().SetOptionsA(silverRoom ? RoomInfo::kOptionASilver : 0);
        for (int chair = 0; chair < 4; ++chair)
            store.Seat(chair, 100 + chair);
        RoundResult result;
        // Chair 0: score up, silver down; chair 1: both even; chair 2 is
        // masked; chair 3 loses score, wins silver.
        const int32_t scoreChange[] = { 5, 0, 9, -3 };
        const int32_t silverChange[] = { -50, 0, 90, 30 };
        for (int chair = 0; chair < 4; ++chair) {
            result.SetScoreBefore(chair, 100);
            result.SetSilverBefore(chair, 1000);
            result.SetScoreChange(chair, scoreChange[chair]);
            result.SetSilverChange(chair, silverChange[chair]);
            result.SetLevel(chair, 6);
            result.SetLevelTitle(chair, "大师");
        }
        result.SetKeepMask(1u << 2);
        ASSERT_TRUE(store.ApplyRoundResult(result.Bytes().data(), RoundResult::kSize));

        const PlayerRecord& p0 = *store.GetSeatPlayer(0);
        EXPECT_EQ(p0.Score(), 105);
        EXPECT_EQ(p0.Silver(), 950);
        EXPECT_EQ(p0.Level(), 6);
        EXPECT_EQ(p0.LevelTitle(), "大师");
        EXPECT_EQ(p0.Played(), 1);
        EXPECT_EQ(p0.Won(), silverRoom ? 0 : 1);
        EXPECT_EQ(p0.Lost(), silverRoom ? 1 : 0);
        EXPECT_EQ(store.GetSeatPlayer(1)->Drawn(), 1);
        EXPECT_EQ(store.GetSeatPlayer(2)->Played(), 0);
        EXPECT_EQ(store.GetSeatPlayer(2)->Score(), 0);
        EXPECT_EQ(store.GetSeatPlayer(3)->Won(), silverRoom ? 1 : 0);
        EXPECT_EQ(store.GetScoreHistory().Total(0), silverRoom ? -50 : 5);
        EXPECT_EQ(store.calls, "advert users all detail ");
    }
}

TEST(RoundResults, MatchRoundSetsMatchSeatsFromTheirBeforeColumns)
{
    TestStore store;
    store.SetMatchMode(true);
    RoundResult result;
    result.SetMatchSeatCount(20);
    for (int i = 0; i < 8; ++i) {
        result.SetScoreBefore(i, 10 * i);
        result.SetScoreChange(i, 1);
        result.SetSilverBefore(i, 1000);
        result.SetSilverChange(i, -i);
    }
    ASSERT_TRUE(store.ApplyRoundResult(result.Bytes().data(), RoundResult::kSize));
    EXPECT_EQ(store.GetMatchSeat(3)->MatchScore(), 31);
    EXPECT_EQ(store.GetMatchSeat(3)->Silver(), 997);
    EXPECT_EQ(store.GetMatchSeat(7)->Silver(), 993);
}

TEST(RoundResults, ExtremeValuesWrapInsteadOfOverflowing)
{
    TestStore store;
    store.Seat(0, 100);
    store.GetSeatPlayer(0)->SetPlayed(INT32_MAX);
    RoundResult result;
    result.SetScoreBefore(0, INT32_MAX);
    result.SetScoreChange(0, 1);
    ASSERT_TRUE(store.ApplyRoundResult(result.Bytes().data(), RoundResult::kSize));
    EXPECT_EQ(store.GetSeatPlayer(0)->Score(), INT32_MIN);
    EXPECT_EQ(store.GetSeatPlayer(0)->Played(), INT32_MIN);
}

TEST(RoundResults, ScoreRingOverwritesTheOldestRoundAndTotalsKeepGrowing)
{
    TestStore store;
    store.chairCount = 4;
    for (int round = 0; round < 33; ++round) {
        std::array<int32_t, 8> values {};
        for (int chair = 0; chair < 8; ++chair)
            values[static_cast<size_t>(chair)] = round * 10 + chair;
        store.AddRoundScores(values);
    }
    const ScoreHistory& history = store.GetScoreHistory();
    EXPECT_EQ(history.RoundCount(), 33);
    EXPECT_EQ(history.Entry(1, 0), 301); // round 30 overwrote round 0
    EXPECT_EQ(history.Entry(1, 2), 321);
    EXPECT_EQ(history.Entry(1, 3), 31); // round 3 is still there
    EXPECT_EQ(history.Total(2), 10 * (32 * 33 / 2) + 2 * 33);
    EXPECT_EQ(history.Total(4), 0); // beyond the chair count
    store.ClearScoreHistory();
    EXPECT_EQ(store.GetScoreHistory().RoundCount(), 0);
    EXPECT_EQ(store.GetScoreHistory().Total(2), 0);
}

TEST(RoundResults, PlayerResultAndMoney)
{
    TestStore store;
    store.Seat(2, 102);
    Body result(64);
    result.Int(4, 2).Int(24, 100).Int(28, 500).Int(32, -7).Int(36, -70).Int(44, 4).Text(48, Chinese(8));
    ASSERT_TRUE(store.UpdatePlayerResult(result.Data(), result.Size()));
    const PlayerRecord& p = *store.GetSeatPlayer(2);
    EXPECT_EQ(p.Score(), 93);
    EXPECT_EQ(p.Silver(), 430);
    EXPECT_EQ(p.Level(), 4);
    EXPECT_EQ(p.LevelTitle(), Chinese(7)); // 16 bytes without a zero: cut to 15, one character less
    EXPECT_EQ(p.Played(), 1);
    EXPECT_EQ(p.Lost(), 1);
    result.Int(4, 3);
    EXPECT_FALSE(store.UpdatePlayerResult(result.Data(), result.Size()));

    store.calls.clear();
    Body money(20);
    money.Int(4, 2).Int(8, 1).Int(16, 888);
    ASSERT_TRUE(store.UpdatePlayerMoney(money.Data(), money.Size()));
    EXPECT_EQ(store.GetSeatPlayer(2)->Silver(), 888);
    EXPECT_EQ(store.calls, "users detail silver ");
    store.SetMatchMode(true);
    money.Int(16, 999);
    ASSERT_TRUE(store.UpdatePlayerMoney(money.Data(), money.Size()));
    EXPECT_EQ(store.GetMatchSeat(2)->Silver(), 999);
    EXPECT_EQ(store.GetSeatPlayer(2)->Silver(), 888);
    money.Int(8, 0);
    EXPECT_FALSE(store.UpdatePlayerMoney(money.Data(), money.Size()));
}

// ---- Lookups ---------------------------------------------------------------

TEST(Lookups, AbsentUsers)
{
    TestStore store;
    store.Seat(0, 100, "甲");
    for (int userId : { 0, 55, -1 }) {
        EXPECT_EQ(store.GetUserChair(userId), -1) << userId;
        EXPECT_EQ(store.GetUserName(userId), "") << userId;
        EXPECT_EQ(store.GetUserDisplayName(userId), "") << userId;
        EXPECT_EQ(store.FindPlayer(userId), nullptr) << userId;
        EXPECT_EQ(store.GetUserWord164(userId), 0) << userId;
        EXPECT_FALSE(store.IsLookOnUser(userId)) << userId;
    }
    for (int chair : { -1, 8, 1000 }) {
        EXPECT_EQ(store.GetChairUserId(chair), 0) << chair;
        EXPECT_EQ(store.GetChairName(chair), "") << chair;
        EXPECT_EQ(store.GetMatchSeatWord96(chair), -1) << chair;
    }
}

TEST(Lookups, SeatRecordFirstExceptForMembership)
{
    TestStore store;
    store.Seat(2, 100, "座");
    store.GetSeatPlayer(2)->SetNickname("昵称");
    store.LookOn(5, 100, 3);
    store.GetLookOnPlayer(5)->SetFlags(PlayerRecord::kFlagMember);
    store.LookOn(6, 200, 1);

    EXPECT_TRUE(store.IsSeatedUser(100));
    EXPECT_FALSE(store.IsLookOnUser(100));
    EXPECT_TRUE(store.IsLookOnUser(200));
    EXPECT_EQ(store.GetUserChair(100), 2);
    EXPECT_EQ(store.GetUserChair(200), 1);
    EXPECT_TRUE(store.IsMemberUser(100));
    EXPECT_EQ(store.GetUserDisplayName(100), "座[昵称]");
    EXPECT_EQ(store.GetChairDisplayName(2), "座[昵称]");
}

TEST(Lookups, RoomRules)
{
    struct Case {
        const char* name;
        uint32_t a, b;
        int lookOn;
        int exits;
        bool forcedQuit;
        bool safeBox;
    };
    const Case cases[] = {
        { "plain room", 0, 0, 0, 0, true, false },
        { "one exit request sent", 0, 0, 0, 1, true, false },
        { "two exit requests sent", 0, 0, 0, 2, false, false },
        { "no forced quit in the room", 0, 0x2, 0, 0, false, false },
        { "silver room with transfer", 0x4, 0x1000000, 0, 0, true, true },
        { "looker-on in that room", 0x4, 0x1000000, 1, 0, true, false },
        { "transfer without silver", 0, 0x1000000, 0, 0, true, false },
    };
    for (const Case& c : cases) {
        TestStore store;
        store.GetRoomInfo().SetOptionsA(c.a);
        store.GetRoomInfo().SetOptionsB(c.b);
        store.GetHallArgs().lookOn = c.lookOn;
        store.exitRequests = c.exits;
        EXPECT_EQ(store.CanRequestForcedQuit(), c.forcedQuit) << c.name;
        EXPECT_EQ(store.IsSafeBoxTransferAllowed(), c.safeBox) << c.name;
    }
}

TEST(Lookups, MatchWords)
{
    TestStore store;
    store.GetMatchSeat(1)->SetWord96(7);
    store.GetMatchRoomInfo().SetWord140(1);
    EXPECT_EQ(store.GetMatchSeatWord96(1), -1); // not a match client
    store.SetMatchMode(true);
    EXPECT_EQ(store.GetMatchSeatWord96(1), -1); // word 88 is 0
    store.GetMatchSeat(1)->SetWord88(1);
    EXPECT_EQ(store.GetMatchSeatWord96(1), 7);
    EXPECT_EQ(store.GetMatchRoomWord140(), 1);
    store.SetReplayMode(1);
    EXPECT_EQ(store.GetMatchRoomWord140(), 0);

    store.GetMatchStateBlock().SetStage(500);
    EXPECT_FALSE(store.IsMatchKindBelow500());
    EXPECT_TRUE(store.IsMatchKind500Plus());
    EXPECT_FALSE(store.IsMatchKind600Plus());
}

// ---- Ranking ---------------------------------------------------------------

TEST(Ranking, SortPutsOwnEntryFirstThenPromotedThenByKey)
{
    struct Entry {
        int userId;
        int key;
    };
    struct Case {
        const char* name;
        std::vector<Entry> entries;
        int promoted;
        int marking;
        std::vector<int> order;
    };
    const std::vector<Entry> field = { { 1, 10 }, { 2, 30 }, { 3, 5 }, { 4, 20 }, { kOwnId, 40 } };
    const Case cases[] = {
        { "own entry last comes first", field, 2, 0, { kOwnId, 3, 1, 4, 2 } },
        { "marked promotions come next, in their order", field, 2, 1, { kOwnId, 1, 2, 3, 4 } },
        { "equal keys keep their order", { { 7, 1 }, { 8, 1 }, { 9, 0 }, { 6, 1 } }, 0, 0, { 9, 7, 8, 6 } },
        { "promotion count beyond the entries", { { 2, 9 }, { 1, 8 } }, 50, 1, { 1, 2 } },
    };
    for (const Case& c : cases) {
        TestStore store;
        MatchRanking& ranking = store.GetMatchRanking();
        ranking.SetEntryCount(static_cast<int32_t>(c.entries.size()));
        ranking.SetPromotionCount(c.promoted);
        ranking.SetPromotionMarking(c.marking);
        for (size_t i = 0; i < c.entries.size(); ++i) {
            MatchRankingEntry e;
            e.SetUserId(c.entries[i].userId);
            e.SetRankingKey(c.entries[i].key);
            e.SetName("n" + std::to_string(c.entries[i].userId));
            ranking.SetEntry(i, e);
        }
        store.SortMatchRanking();
        std::vector<int> order;
        for (size_t i = 0; i < ranking.Count(); ++i) {
            order.push_back(ranking.Entry(i).UserId());
            EXPECT_EQ(ranking.Entry(i).Name(), "n" + std::to_string(order.back())) << c.name;
        }
        EXPECT_EQ(order, c.order) << c.name;
        EXPECT_EQ(store.calls, "ranking ") << c.name;
    }
}

// ---- Portrait and privilege ------------------------------------------------

TEST(PlayerChanges, Privilege)
{
    struct Case {
        const char* name;
        uint32_t flags;
        int chair;
        int on;
        bool changed;
        uint32_t after;
    };
    const Case cases[] = {
        { "grant", 0x1000, 2, 1, true, 0x1001 },
        { "revoke", 0x1001, 2, 0, true, 0x1000 },
        { "already granted", 0x1001, 2, 7, false, 0x1001 },
        { "already revoked", 0x1000, 2, 0, false, 0x1000 },
        { "wrong chair", 0, 3, 1, false, 0 },
        { "chair outside the seats", 0, 8, 1, false, 0 },
    };
    for (const Case& c : cases) {
        TestStore store;
        store.Seat(2, 100);
        store.GetSeatPlayer(2)->SetFlags(c.flags);
        Body body(12);
        body.Int(0, 100).Int(4, c.chair).Int(8, c.on);
        EXPECT_EQ(store.SetPlayerPrivileged(body.Data(), body.Size()), c.changed) << c.name;
        EXPECT_EQ(store.GetSeatPlayer(2)->Flags(), c.after) << c.name;
    }
}

TEST(PlayerChanges, Portrait)
{
    struct Case {
        const char* name;
        int userId;
        int chair;
        int figure;
        uint32_t optionsB;
        int lookOn;
        int detailUser;
        bool changed;
        const char* calls;
    };
    const Case cases[] = {
        { "another player's figure", 100, 2, 9, 0, 0, 0, true, "users " },
        { "shown in the detail panel", 100, 2, 9, 0, 0, 100, true, "users detail " },
        { "a looker-on shown in the detail panel", 200, 1, 9, 0, 0, 200, true, "users " },
        { "same figure", 100, 2, 4, 0, 0, 0, false, "" },
        { "negative figure", 100, 2, -1, 0, 0, 0, false, "" },
        { "wrong chair", 100, 3, 9, 0, 0, 0, false, "" },
        { "chair outside the seats", 100, 9, 9, 0, 0, 0, false, "" },
        { "unknown user", 300, 2, 9, 0, 0, 0, false, "" },
        { "hidden seats: another player", 100, 2, 9, 0x8, 0, 0, false, "" },
        { "hidden seats: oneself", kOwnId, 0, 9, 0x8, 0, 0, true, "users " },
        { "hidden seats: seen looking on", 100, 2, 9, 0x8, 1, 0, true, "users " },
    };
    for (const Case& c : cases) {
        TestStore store;
        store.Seat(0, kOwnId);
        store.Seat(2, 100);
        store.LookOn(0, 200, 1);
        for (int user : { kOwnId, 100, 200 })
            store.FindPlayer(user)->SetFigure(4);
        store.GetRoomInfo().SetOptionsB(c.optionsB);
        store.GetHallArgs().lookOn = c.lookOn;
        store.detailUser = c.detailUser;
        Body body(12);
        body.Int(0, c.userId).Int(4, c.chair).Int(8, c.figure);
        EXPECT_EQ(store.SetPlayerPortrait(body.Data(), body.Size()), c.changed) << c.name;
        if (c.changed) {
            EXPECT_EQ(store.FindPlayer(c.userId)->Figure(), c.figure) << c.name;
        }
        EXPECT_EQ(store.calls, c.calls) << c.name;
    }
}

// ---- Replays ---------------------------------------------------------------

TEST(Replay, TableAndSeatBlocksRestoreTheirFields)
{
    TestStore store;
    Body table(216);
    table.Int(0, 31).Int(4, 32).Int(8, 4).Int(16, 0x4).Int(64, 0x8);
    ASSERT_TRUE(store.RestoreRoomFromReplay(table.Data(), table.Size()));
    EXPECT_EQ(store.GetRoomId(), 31);
    EXPECT_EQ(store.GetTableNo(), 32);
    EXPECT_EQ(store.GetTablePlayerCount(), 4);
    EXPECT_TRUE(store.IsSilverRoom());
    EXPECT_TRUE(store.IsRoomOptionB08());

    Body seat(192);
    for (size_t offset : { 0, 4, 8, 12, 16, 20, 24, 76, 80, 100, 104, 108, 112, 116, 120, 124 })
        seat.Int(offset, static_cast<int32_t>(1000 + offset));
    seat.Text(28, "甲乙").Text(60, "丙").Text(84, "丁");
    PlayerRecord player;
    ASSERT_TRUE(store.ReplaySeatToPlayer(player, seat.Data(), seat.Size()));
    const std::pair<int32_t, size_t> fields[] = {
        { player.UserId(), 0 }, { static_cast<int32_t>(player.Flags()), 4 }, { player.Status(), 8 },
        { player.Chair(), 12 }, { player.Word68(), 16 }, { player.Word72(), 20 }, { player.Figure(), 24 },
        { player.Silver(), 76 }, { player.Level(), 80 }, { player.Score(), 100 }, { player.Disconnects(), 104 },
        { player.Won(), 108 }, { player.Lost(), 112 }, { player.Drawn(), 116 }, { player.Played(), 120 },
        { player.ExperienceSeconds(), 124 },
    };
    for (const auto& [value, offset] : fields)
        EXPECT_EQ(value, static_cast<int32_t>(1000 + offset)) << "block offset " << offset;
    EXPECT_EQ(player.Name(), "甲乙");
    EXPECT_EQ(player.Nickname(), "丙");
    EXPECT_EQ(player.LevelTitle(), "丁");
}

// ---- The bounded reader ----------------------------------------------------

TEST(WireReaderBounds, ReadsOutsideTheBodyGiveNothing)
{
    const uint8_t bytes[] = { 1, 0, 0, 0, 'a', 'b', 'c' };
    WireReader reader(bytes, sizeof bytes);
    EXPECT_EQ(reader.Int(0), 1);
    EXPECT_EQ(reader.Int(4), 0); // three bytes left
    EXPECT_EQ(reader.Int(SIZE_MAX - 1), 0);
    EXPECT_FALSE(reader.Has(SIZE_MAX, 2));
    EXPECT_EQ(reader.Text(4, 10), "abc");
    EXPECT_EQ(reader.Text(4, 2), "ab");
    EXPECT_EQ(reader.Text(9, 2), "");
    EXPECT_TRUE(reader.Bytes(5, 3).empty());
    EXPECT_EQ(reader.CountFitting(0, 2, 100, 50), 3u);
    EXPECT_EQ(reader.CountFitting(0, 2, -5, 50), 0u);
    EXPECT_EQ(reader.CountFitting(8, 2, 1, 50), 0u);
}

} // namespace
