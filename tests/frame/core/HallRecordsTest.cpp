// The lobby records: the cipher against an independent AES, every record's
// byte layout, the init data's round trips, and each way a payload from the
// lobby is refused.

#include "frame/core/HallRecords.h"

#include "tools/wire/WireCodec.h"

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <functional>
#include <thread>

namespace {

using namespace frame;

std::vector<uint8_t> Pattern(size_t size, uint8_t seed)
{
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(seed + i * 13);
    return bytes;
}

std::string AsString(std::span<const uint8_t> bytes) { return std::string(bytes.begin(), bytes.end()); }

template <size_t N>
uint32_t WordAt(const std::array<uint8_t, N>& bytes, size_t offset)
{
    return LoadLe32(bytes.data() + offset);
}

uint32_t WordAt(const std::vector<uint8_t>& bytes, size_t offset) { return LoadLe32(bytes.data() + offset); }

TEST(HallDataCipherTest, PadsToTheNextWholeBlockAndMatchesPlainAes)
{
    tools::AesKey key;
    std::copy(HallDataCipher::kKey.begin(), HallDataCipher::kKey.end(), key.begin());
    const std::pair<size_t, size_t> lengths[] = { { 0, 16 }, { 1, 16 }, { 15, 16 }, { 16, 32 }, { 17, 32 },
        { 188, 192 }, { 272, 288 }, { 532, 544 }, { 1260, 1264 }, { 2548, 2560 } };
    for (const auto& [length, enciphered] : lengths) {
        SCOPED_TRACE(length);
        EXPECT_EQ(HallDataCipher::EncipheredLength(length), enciphered);
        const auto plain = Pattern(length, static_cast<uint8_t>(length));
        const auto cipher = HallDataCipher::Encipher(plain);
        ASSERT_EQ(cipher.size(), enciphered);
        std::string expected;
        ASSERT_TRUE(tools::AesEncryptZeroPadded(key, AsString(plain), expected));
        EXPECT_EQ(AsString(cipher), expected);

        const auto back = HallDataCipher::Decipher(cipher);
        ASSERT_EQ(back.size(), enciphered);
        EXPECT_TRUE(std::equal(plain.begin(), plain.end(), back.begin()));
        EXPECT_TRUE(std::all_of(back.begin() + static_cast<std::ptrdiff_t>(length), back.end(),
            [](uint8_t b) { return b == 0; }));
    }
}

TEST(HallDataCipherTest, DeciphersWholeBlocksOnly)
{
    const auto plain = Pattern(40, 3);
    auto cipher = HallDataCipher::Encipher(plain); // 48 bytes
    const auto whole = HallDataCipher::Decipher(cipher);
    for (size_t extra : { 1, 7, 15 }) {
        SCOPED_TRACE(extra);
        auto longer = cipher;
        longer.insert(longer.end(), extra, 0xEE);
        EXPECT_EQ(HallDataCipher::Decipher(longer), whole);
    }
    EXPECT_TRUE(HallDataCipher::Decipher(std::span(cipher.data(), 15)).empty());
    EXPECT_TRUE(HallDataCipher::Decipher({}).empty());
    const auto firstBlock = HallDataCipher::Decipher(std::span(cipher.data(), 31));
    ASSERT_EQ(firstBlock.size(), 16u);
    EXPECT_TRUE(std::equal(firstBlock.begin(), firstBlock.end(), plain.begin()));
}

TEST(HallRecordsTest, RecordsToTheLobbyHaveTheirFieldsAtTheirOffsets)
{
    HallCloseNotice close;
    close.SetWindow(0xA1B2C3D4);
    close.SetUserId(10001);
    close.SetTableNo(5);
    close.SetChair(2);
    close.SetNewerMajor(3);
    close.SetLookOn(1);
    close.SetLostWhilePlaying(1);
    close.SetGameId(7);
    close.SetNewerMinor(4);
    const auto& c = close.Bytes();
    EXPECT_EQ(c.size(), 188u);
    const std::pair<size_t, uint32_t> closeWords[]
        = { { 0, 0xA1B2C3D4 }, { 4, 10001 }, { 8, 5 }, { 12, 2 }, { 16, 3 }, { 20, 1 }, { 24, 1 }, { 28, 7 }, { 32, 4 } };
    for (const auto& [offset, value] : closeWords)
        EXPECT_EQ(WordAt(c, offset), value) << offset;
    EXPECT_TRUE(std::all_of(c.begin() + 36, c.end(), [](uint8_t b) { return b == 0; }));

    HallTextMessage text;
    text.SetWindow(77);
    text.SetUserId(10001);
    text.SetGameId(7);
    text.SetLobbyWord(3);
    text.SetValue(-2);
    text.SetText("http://example.test/a?b=1");
    const auto& t = text.Bytes();
    const std::pair<size_t, uint32_t> textWords[]
        = { { 0, 77 }, { 4, 10001 }, { 8, 7 }, { 12, 3 }, { 16, static_cast<uint32_t>(-2) } };
    for (const auto& [offset, value] : textWords)
        EXPECT_EQ(WordAt(t, offset), value) << offset;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(t.data() + 20)), "http://example.test/a?b=1");

    HallLeaveTable leave;
    leave.SetLobbyWindow(99);
    leave.SetUserId(10002);
    leave.SetTableNo(5);
    leave.SetChair(3);
    EXPECT_EQ(WordAt(leave.Bytes(), 0), 99u);
    EXPECT_EQ(WordAt(leave.Bytes(), 4), 10002u);
    EXPECT_EQ(WordAt(leave.Bytes(), 8), 5u);
    EXPECT_EQ(WordAt(leave.Bytes(), 12), 3u);

    HallSignAnswer sign;
    sign.SetUserId(10001);
    sign.SetText("abc123");
    sign.SetToken(0xDEADBEEF);
    EXPECT_EQ(WordAt(sign.Bytes(), 0), 10001u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(sign.Bytes().data() + 8)), "abc123");
    EXPECT_EQ(WordAt(sign.Bytes(), 268), 0xDEADBEEFu);
}

TEST(HallRecordsTest, TextsAreCutTo255BytesOnACharacterBoundary)
{
    struct Case {
        std::string text;
        std::string expected;
    };
    std::string wide;
    for (int i = 0; i < 200; ++i)
        wide += "中";
    const Case cases[] = {
        { std::string(300, 'a'), std::string(255, 'a') },
        { std::string(255, 'b'), std::string(255, 'b') },
        { wide, wide.substr(0, 254) },
        { "x" + wide, "x" + wide.substr(0, 254) },
    };
    for (const Case& c : cases) {
        HallTextMessage text;
        text.SetText(c.text);
        EXPECT_EQ(text.Text(), c.expected);
        HallSignAnswer sign;
        sign.SetText(c.text);
        EXPECT_EQ(sign.Text(), c.expected);
    }
    // An answer whose text fills its field without a zero reads as 255 bytes.
    std::vector<uint8_t> raw(HallSignAnswer::kSize, 'z');
    auto read = ReadHallRecord<HallSignAnswer>(raw.data(), raw.size());
    ASSERT_TRUE(read);
    EXPECT_EQ(read->Text(), std::string(255, 'z'));
}

TEST(HallRecordsTest, TheTextMessageEnciphersTo544BytesWithZerosAfterIt)
{
    HallTextMessage text;
    text.SetUserId(10001);
    text.SetText(std::string(300, 'q'));
    const auto cipher = HallDataCipher::Encipher(text.Bytes());
    ASSERT_EQ(cipher.size(), HallTextMessage::kEncipheredSize);
    const auto plain = HallDataCipher::Decipher(cipher);
    auto back = ReadHallRecord<HallTextMessage>(plain.data(), plain.size());
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, text);
    EXPECT_TRUE(std::all_of(plain.begin() + 532, plain.end(), [](uint8_t b) { return b == 0; }));
}

PlayerRecord Player(int32_t userId, int32_t chair, int32_t lookOn, const std::string& name)
{
    PlayerRecord record;
    record.SetUserId(userId);
    record.SetChair(chair);
    record.SetLookOn(lookOn);
    record.SetName(name);
    record.SetTableNo(5);
    return record;
}

void SetRoomText(HallInitGame& init, const std::string& text)
{
    init.room.MutableBytes()[RoomInfo::kHasRoomTexts] = 1;
    init.roomText.fill(0);
    std::copy(text.begin(), text.end(), init.roomText.begin());
}

HallInitGame SampleInit()
{
    HallInitGame init;
    init.room.SetRoomId(31);
    init.room.SetName("测试房间");
    init.room.SetOptionsB(RoomInfo::kOptionB40);
    init.table.SetTableNo(5);
    init.seated = { Player(10001, 2, 0, "甲"), Player(10002, 0, 0, "乙"), Player(10003, 3, 0, "丙") };
    init.lookers = { Player(20001, 2, 1, "丁"), Player(20002, 0, 1, "戊") };
    SetRoomText(init, "新手|入门|高手||不读");
    return init;
}

TEST(HallInitGameTest, ReadsBackWhatWasBuilt)
{
    const HallInitGame init = SampleInit();
    auto payload = BuildHallInitGame(init);
    ASSERT_EQ(payload.size(), 620u + 5 * 320 + 360);
    EXPECT_EQ(WordAt(payload, 444 + 8), 3u);
    EXPECT_EQ(WordAt(payload, 444 + 12), 2u);
    EXPECT_EQ(WordAt(payload, 620 + 320 + 0), 10002u);
    EXPECT_EQ(WordAt(payload, 620 + 3 * 320 + 0), 20001u);

    // As it arrives: enciphered, then deciphered with the padding behind it.
    const auto arrived = HallDataCipher::Decipher(HallDataCipher::Encipher(payload));
    ASSERT_GT(arrived.size(), payload.size());
    HallInitGame read;
    ASSERT_EQ(ParseHallInitGame(arrived.data(), arrived.size(), read), HallInitStatus::kOk);
    EXPECT_EQ(read.room, init.room);
    EXPECT_EQ(read.table.TableNo(), 5);
    EXPECT_EQ(read.table.PlayerCount(), 3);
    EXPECT_EQ(read.table.LookOnCount(), 2);
    EXPECT_EQ(read.seated, init.seated);
    EXPECT_EQ(read.lookers, init.lookers);
    EXPECT_EQ(read.RoomTexts(), (std::map<int, std::string> { { 0, "新手" }, { 1, "入门" }, { 2, "高手" } }));
    EXPECT_EQ(BuildHallInitGame(read), payload);

    // Without a room text the payload ends with the records.
    HallInitGame plain = SampleInit();
    plain.room.MutableBytes()[RoomInfo::kHasRoomTexts] = 0;
    payload = BuildHallInitGame(plain);
    ASSERT_EQ(payload.size(), 620u + 5 * 320);
    ASSERT_EQ(ParseHallInitGame(payload.data(), payload.size(), read), HallInitStatus::kOk);
    EXPECT_TRUE(read.RoomTexts().empty());
    EXPECT_EQ(read.lookers, plain.lookers);
}

TEST(HallInitGameTest, LeavesOutRecordsWhoseChairIsNotTheTables)
{
    // Seated 10001 (chair 2), 10002 (0), 10003 (3); lookers-on 20001, 20002.
    const HallInitGame init = SampleInit();
    auto payload = BuildHallInitGame(init);
    auto setWord = [&](size_t offset, int32_t v) { StoreLe32(payload.data() + offset, static_cast<uint32_t>(v)); };
    setWord(620 + 320 + 144, 8);      // 10002
    setWord(620 + 144, -1);           // 10001
    setWord(620 + 4 * 320 + 144, 9); // 20002
    HallInitGame read;
    ASSERT_EQ(ParseHallInitGame(payload.data(), payload.size(), read), HallInitStatus::kOk);
    ASSERT_EQ(read.seated.size(), 1u);
    EXPECT_EQ(read.seated[0].UserId(), 10003);
    ASSERT_EQ(read.lookers.size(), 1u);
    EXPECT_EQ(read.lookers[0].UserId(), 20001);
    EXPECT_EQ(read.table.PlayerCount(), 1);
    EXPECT_EQ(read.table.LookOnCount(), 1);
    EXPECT_EQ(read.RoomTexts().at(0), "新手") << "the room text is still found behind every record";
}

TEST(HallInitGameTest, TakesAtMost8SeatedAnd64LookersButReadsPastAllTheCountsSay)
{
    HallInitGame init = SampleInit();
    init.seated.clear();
    init.lookers.clear();
    for (int i = 0; i < 10; ++i)
        init.seated.push_back(Player(100 + i, i % 8, 0, "s"));
    for (int i = 0; i < 70; ++i)
        init.lookers.push_back(Player(1000 + i, i % 8, 1, "l"));
    SetRoomText(init, "一|二");
    const auto payload = BuildHallInitGame(init);
    HallInitGame read;
    ASSERT_EQ(ParseHallInitGame(payload.data(), payload.size(), read), HallInitStatus::kOk);
    ASSERT_EQ(read.seated.size(), 8u);
    ASSERT_EQ(read.lookers.size(), 64u);
    EXPECT_EQ(read.table.PlayerCount(), 8);
    EXPECT_EQ(read.table.LookOnCount(), 64);
    EXPECT_EQ(read.seated[7].UserId(), 107);
    // The lookers-on begin after all ten seated records.
    EXPECT_EQ(read.lookers[0].UserId(), 1000);
    EXPECT_EQ(read.lookers[63].UserId(), 1063);
    EXPECT_EQ(read.RoomTexts(), (std::map<int, std::string> { { 0, "一" }, { 1, "二" } }));
}

TEST(HallInitGameTest, RefusesPayloadsThatDoNotHoldWhatTheyAnnounce)
{
    struct Case {
        const char* what;
        std::function<void(std::vector<uint8_t>&)> damage;
        HallInitStatus expected;
    };
    const size_t full = 620 + 5 * 320 + 360;
    auto setWord = [](std::vector<uint8_t>& p, size_t offset, int32_t v) {
        StoreLe32(p.data() + offset, static_cast<uint32_t>(v));
    };
    const Case cases[] = {
        { "shorter than the room and the table", [](auto& p) { p.resize(619); }, HallInitStatus::kTooShort },
        { "empty", [](auto& p) { p.clear(); }, HallInitStatus::kTooShort },
        { "the room text cut by a byte", [&](auto& p) { p.resize(full - 1); }, HallInitStatus::kTooShort },
        { "the room text missing", [&](auto& p) { p.resize(full - 360); }, HallInitStatus::kTooShort },
        { "one seated record more than present", [&](auto& p) { setWord(p, 452, 4); },
            HallInitStatus::kTooShort },
        { "two lookers-on more than present", [&](auto& p) { setWord(p, 456, 4); }, HallInitStatus::kTooShort },
        { "counts that would overflow", [&](auto& p) { setWord(p, 452, INT32_MAX), setWord(p, 456, INT32_MAX); },
            HallInitStatus::kTooShort },
        { "a negative player count", [&](auto& p) { setWord(p, 452, -1); }, HallInitStatus::kBadCounts },
        { "a negative looker-on count", [&](auto& p) { setWord(p, 456, INT32_MIN); },
            HallInitStatus::kBadCounts },
        { "a room text without its zero",
            [&](auto& p) { std::fill(p.end() - 360, p.end(), static_cast<uint8_t>('a')); },
            HallInitStatus::kUnterminatedText },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto payload = BuildHallInitGame(SampleInit());
        ASSERT_EQ(payload.size(), full);
        c.damage(payload);
        // In its own allocation, so that a read past it is caught.
        std::vector<uint8_t> exact(payload.begin(), payload.end());
        HallInitGame read;
        EXPECT_EQ(ParseHallInitGame(exact.data(), exact.size(), read), c.expected);
    }
    HallInitGame read;
    EXPECT_EQ(ParseHallInitGame(nullptr, 5000, read), HallInitStatus::kTooShort);

    // A text filling all but its last byte is still terminated.
    auto payload = BuildHallInitGame(SampleInit());
    std::fill(payload.end() - 360, payload.end() - 1, static_cast<uint8_t>('a'));
    ASSERT_EQ(ParseHallInitGame(payload.data(), payload.size(), read), HallInitStatus::kOk);
    EXPECT_EQ(read.RoomTexts().at(0), std::string(359, 'a'));
}

TEST(HallInitMatchTest, ReadsBackWhatWasBuiltAndRefusesAShortPayload)
{
    HallInitMatch init;
    init.room.SetNoticePeriod(30);
    init.room.SetName("比赛房间");
    init.roomTail.fill(0x5C);
    init.table.SetTableNo(12);
    init.own = Player(10001, 0, 0, "自己");
    init.match.SetMatchName("周末杯");
    const auto payload = BuildHallInitMatch(init);
    ASSERT_EQ(payload.size(), 2548u);
    EXPECT_EQ(WordAt(payload, 288), 30u);
    EXPECT_EQ(WordAt(payload, 572), 12u);
    EXPECT_EQ(WordAt(payload, 748), 10001u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(payload.data() + 1068 + 72)), "周末杯");

    const auto arrived = HallDataCipher::Decipher(HallDataCipher::Encipher(payload));
    ASSERT_EQ(arrived.size(), 2560u);
    HallInitMatch read;
    ASSERT_TRUE(ParseHallInitMatch(arrived.data(), arrived.size(), read));
    EXPECT_EQ(BuildHallInitMatch(read), payload);
    EXPECT_EQ(read.match.MatchName(), "周末杯");

    std::vector<uint8_t> shortPayload(payload.begin(), payload.end() - 1);
    EXPECT_FALSE(ParseHallInitMatch(shortPayload.data(), shortPayload.size(), read));
    EXPECT_FALSE(ParseHallInitMatch(nullptr, 4000, read));
}

TEST(HallRecordsTest, LobbyNoticesAreCheckedBeforeTheyAreUsed)
{
    const PlayerRecord looker = Player(20003, 3, 1, "己");
    std::vector<uint8_t> bytes(looker.Bytes().begin(), looker.Bytes().end());
    ASSERT_TRUE(ReadHallLooker(bytes.data(), bytes.size()));
    EXPECT_EQ(ReadHallLooker(bytes.data(), bytes.size())->UserId(), 20003);
    EXPECT_FALSE(ReadHallLooker(bytes.data(), bytes.size() - 1));
    for (int32_t chair : { -1, 8, INT32_MAX }) {
        StoreLe32(bytes.data() + PlayerRecord::kChair, static_cast<uint32_t>(chair));
        EXPECT_FALSE(ReadHallLooker(bytes.data(), bytes.size())) << chair;
        // A player shown from the lobby need not sit here.
        ASSERT_TRUE(ReadHallShowPlayer(bytes.data(), bytes.size())) << chair;
    }
    EXPECT_FALSE(ReadHallShowPlayer(bytes.data(), 319));

    HallLeaveTable leave;
    leave.SetChair(7);
    std::vector<uint8_t> leaveBytes(leave.Bytes().begin(), leave.Bytes().end());
    EXPECT_TRUE(ReadHallLeaveTable(leaveBytes.data(), leaveBytes.size()));
    EXPECT_FALSE(ReadHallLeaveTable(leaveBytes.data(), 15));
    for (int32_t chair : { -1, 8, INT32_MIN }) {
        StoreLe32(leaveBytes.data() + HallLeaveTable::kChair, static_cast<uint32_t>(chair));
        EXPECT_FALSE(ReadHallLeaveTable(leaveBytes.data(), leaveBytes.size())) << chair;
    }
    EXPECT_FALSE(ReadHallRecord<HallSignAnswer>(leaveBytes.data(), leaveBytes.size()));
    EXPECT_FALSE(ReadHallRecord<HallCloseNotice>(nullptr, 188));
}

HallSignAnswer SignAnswer(uint32_t token, int32_t userId, const std::string& text)
{
    HallSignAnswer answer;
    answer.SetToken(token);
    answer.SetUserId(userId);
    answer.SetText(text);
    return answer;
}

TEST(HallSignRequestsTest, AnAnswerReachesTheRequestItNames)
{
    HallSignRequests requests;
    const uint32_t first = requests.Open(10001);
    const uint32_t second = requests.Open(10001);
    EXPECT_NE(first, 0u);
    EXPECT_NE(first, second);

    // Answered before the wait begins: the request was registered first.
    EXPECT_TRUE(requests.Answer(SignAnswer(second, 10001, "sig-2")));
    EXPECT_EQ(requests.Wait(second, 0), "sig-2");
    // A later answer to the same request changes nothing.
    EXPECT_TRUE(requests.Answer(SignAnswer(second, 10001, "again")));
    EXPECT_EQ(requests.Wait(second, 0), "sig-2");

    // An answer for another user wakes the waiter with nothing.
    EXPECT_TRUE(requests.Answer(SignAnswer(first, 10009, "not yours")));
    EXPECT_EQ(requests.Wait(first, 0), "");

    // A token nobody opened.
    EXPECT_FALSE(requests.Answer(SignAnswer(first + 100, 10001, "x")));
    EXPECT_EQ(requests.Wait(first + 100, 0), "");
}

TEST(HallSignRequestsTest, AWaiterWakesOnAnAnswerFromAnotherThreadAndALateAnswerIsHarmless)
{
    HallSignRequests requests;
    const uint32_t token = requests.Open(10001);
    std::thread lobby([&] { requests.Answer(SignAnswer(token, 10001, "from the lobby")); });
    EXPECT_EQ(requests.Wait(token, 60000), "from the lobby");
    lobby.join();

    const uint32_t late = requests.Open(10001);
    EXPECT_EQ(requests.Wait(late, 20), ""); // gave up
    EXPECT_TRUE(requests.Answer(SignAnswer(late, 10001, "too late")));
    EXPECT_EQ(requests.Count(), 2u);
}

} // namespace
