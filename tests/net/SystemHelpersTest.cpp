#include "net/Base64Codec.h"
#include "net/Crc32.h"
#include "net/Paths.h"
#include "net/SocketHelpers.h"
#include "net/SystemInfo.h"

#include "platform/Resolver.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cerrno>
#include <cstring>
#include <random>

using namespace net;

TEST(Crc32, MatchesZlibAndKnownValue)
{
    const char* check = "123456789";
    EXPECT_EQ(Crc32(reinterpret_cast<const uint8_t*>(check), 9), 0xCBF43926u);
    EXPECT_EQ(Crc32(nullptr, 5), 0u);
    EXPECT_EQ(Crc32(reinterpret_cast<const uint8_t*>(check), 0), 0u);

    std::mt19937 rng(7);
    for (int round = 0; round < 20; ++round) {
        std::vector<uint8_t> data(rng() % 5000 + 1);
        for (auto& b : data)
            b = static_cast<uint8_t>(rng());
        EXPECT_EQ(Crc32(data.data(), data.size()), ::crc32(0, data.data(), static_cast<uInt>(data.size())));
    }
    EXPECT_EQ(ReflectBits(0x1, 8), 0x80u);
    EXPECT_EQ(ReflectBits(0x0F, 4), 0x0Fu);
}

static std::vector<uint8_t> Bytes(const std::string& s) { return { s.begin(), s.end() }; }

TEST(Base64Codec, EncodesWithPaddingAndLineBreaks)
{
    Base64Codec codec;
    struct Case {
        std::string input, text;
    } cases[] = {
        { "", "" },
        { "a", "YQ==" },
        { "ab", "YWI=" },
        { "abc", "YWJj" },
        { "abcd", "YWJjZA==" },
    };
    for (const auto& c : cases) {
        std::string text;
        EXPECT_EQ(codec.EncodeText(Bytes(c.input), text), 1);
        EXPECT_EQ(text, c.text) << c.input;
    }

    std::string text;
    codec.EncodeText(std::vector<uint8_t>(54, 'x'), text);
    ASSERT_EQ(text.size(), 74u);
    EXPECT_EQ(text.substr(72), "\r\n");
    codec.EncodeText(std::vector<uint8_t>(108, 'x'), text);
    ASSERT_EQ(text.size(), 148u);
    EXPECT_EQ(text.substr(72, 2), "\r\n");
    EXPECT_EQ(text.substr(146), "\r\n");

    std::vector<uint8_t> encoded;
    codec.EncodeBytes(std::vector<uint8_t>(108, 'x'), encoded);
    EXPECT_EQ(encoded.size(), 144u); // no line breaks
}

TEST(Base64Codec, DecodesRoundTripsAndRejects)
{
    Base64Codec codec;
    std::mt19937 rng(3);
    for (size_t n : { 0, 1, 2, 3, 53, 54, 55, 200 }) {
        std::vector<uint8_t> data(n);
        for (auto& b : data)
            b = static_cast<uint8_t>(rng());
        std::string text;
        codec.EncodeText(data, text);
        std::vector<uint8_t> back;
        EXPECT_EQ(codec.DecodeText(text, back), 1);
        EXPECT_EQ(back, data) << n;
    }

    struct Case {
        std::string text;
        int result;
        std::string bytes;
    } cases[] = {
        { "YW Jj", 1, "abc" },
        { " Y\tW\r\nJ j\n", 1, "abc" },
        { "YWI=", 1, "ab" },
        { "YQ==", 1, "a" },
        { "YWJj=ignored*", 1, "abc" }, // the first '=' ends decoding
        { "YW*j", 0, "" },
        { "*", 0, "" },
        { "YWJjY", 0, "" }, // the text ends inside a group
        { "YWJjYW", 0, "" },
        { "", 1, "" },
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> out { 1, 2, 3 };
        EXPECT_EQ(codec.DecodeText(c.text, out), c.result) << c.text;
        EXPECT_EQ(std::string(out.begin(), out.end()), c.bytes) << c.text;
    }
    std::vector<uint8_t> out;
    EXPECT_EQ(codec.DecodeBytes(Bytes("YWJj"), out), 1);
    EXPECT_EQ(out, Bytes("abc"));
}

TEST(RandomId, FillsOnlyEmptyBuffers)
{
    char id[31] = "";
    ASSERT_EQ(MakeRandomId(id, sizeof id), 1);
    EXPECT_EQ(std::strlen(id), 30u);
    for (char c : std::string(id))
        EXPECT_TRUE((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')) << id;

    char other[31] = "";
    MakeRandomId(other, sizeof other);
    EXPECT_STRNE(id, other);

    char kept[40] = "already";
    EXPECT_EQ(MakeRandomId(kept, sizeof kept), 0);
    EXPECT_STREQ(kept, "already");

    char small[30] = "";
    EXPECT_EQ(MakeRandomId(small, sizeof small), 0);

    std::string hex;
    const uint8_t bytes[] = { 0x00, 0xAB, 0x7F };
    BytesToHex(bytes, 3, hex);
    BytesToHex(bytes, 0, hex);
    EXPECT_EQ(hex, "00ab7f");
}

TEST(MacAddresses, StopAtTheBufferCapacity)
{
    uint8_t buffer[128] = {};
    int all = GetMacAddresses(buffer, sizeof buffer);
    ASSERT_GE(all, 0);
    uint8_t none[5];
    EXPECT_EQ(GetMacAddresses(none, sizeof none), 0); // no whole address fits
    if (all > 0) {
        uint8_t one[6];
        EXPECT_EQ(GetMacAddresses(one, sizeof one), 1);
        EXPECT_EQ(0, std::memcmp(one, buffer, 6));
    }
    uint32_t flags = 0xFFFF;
    EXPECT_EQ(GetOsVersionFlags(flags), 1);
    EXPECT_EQ(flags, 0u);
}

TEST(SocketHelpers, ResolveAndLiveness)
{
    sockaddr_in address {};
    EXPECT_EQ(ResolveAddress("", 21534, address), 1);
    EXPECT_EQ(address.sin_addr.s_addr, htonl(INADDR_ANY));
    EXPECT_EQ(ntohs(address.sin_port), 21534);
    EXPECT_EQ(ResolveAddress("127.0.0.1", 80, address), 1);
    EXPECT_EQ(address.sin_addr.s_addr, htonl(INADDR_LOOPBACK));
    // Names go to the host resolver (replaced here: tests use no name server).
    platform::SetHostResolver([](const std::string& name, in_addr& a) {
        a.s_addr = htonl(0x7F000002);
        return name == "game.test";
    });
    EXPECT_EQ(ResolveAddress("game.test", 80, address), 1);
    EXPECT_EQ(address.sin_addr.s_addr, htonl(0x7F000002));
    errno = 0;
    EXPECT_EQ(ResolveAddress("no-such-host.test", 80, address), 0);
    EXPECT_EQ(errno, EINVAL);
    platform::SetHostResolver(nullptr);

    EXPECT_EQ(GetConnectTime(-1), -1);
    EXPECT_EQ(GetConnectTime(0), -1);
    int unconnected = ::socket(AF_INET, SOCK_STREAM, 0);
    EXPECT_FALSE(IsSocketConnected(unconnected));
    ::close(unconnected);
}

TEST(Paths, SplitCopyAndNumbers)
{
    struct Case {
        std::string path;
        unsigned parts;
        std::string out;
    } cases[] = {
        { "/opt/kbzn/skins/skin.ini", kPathDirectory, "/opt/kbzn/skins/" },
        { "/opt/kbzn/skins/skin.ini", kPathFileName | kPathExtension, "skin.ini" },
        { "/opt/kbzn/skins/skin.ini", kPathExtension, ".ini" },
        { "skins\\skin.ini", kPathDirectory | kPathFileName, "skins\\skin" },
        { "/a.b/name", kPathExtension, "" },
        { "name", kPathDrive | kPathDirectory, "" },
    };
    for (const auto& c : cases) {
        std::string out = "junk";
        SplitPathParts(c.path, c.parts, out);
        EXPECT_EQ(out, c.out) << c.path << " " << c.parts;
    }

    std::string dir;
    GetExeDir(dir);
    EXPECT_EQ(dir.back(), '/');
    EXPECT_TRUE(PathExists(dir, true));
    EXPECT_FALSE(PathExists(dir, false));
    EXPECT_FALSE(PathExists("", false));

    char buffer[8];
    std::memset(buffer, 'z', sizeof buffer);
    CopyString(buffer, "abcdef", 3);
    EXPECT_EQ(std::string(buffer, 4), "abcz"); // no terminator when the source is longer
    CopyString(buffer, "ab", 5);
    EXPECT_STREQ(buffer, "ab");
    CopyString(buffer, "whole", -1);
    EXPECT_STREQ(buffer, "whole");
    CopyString(nullptr, "x", -1);

    EXPECT_EQ(FloorLog2(1024), 10);
    EXPECT_EQ(FloorLog2(1023), 9);
    EXPECT_EQ(FloorLog2(0), 0);
    EXPECT_EQ(PowerOfTwo(10), 1024u);
    EXPECT_EQ(PowerOfTwo(-3), 1u);
}
