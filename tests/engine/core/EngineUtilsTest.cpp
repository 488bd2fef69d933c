#include "TestSupport.h"

#include "engine/core/EngineFiles.h"
#include "engine/core/EngineParse.h"
#include "engine/core/EngineRunLog.h"
#include "engine/core/MemoryPool.h"
#include "engine/core/ZlibCodec.h"
#include "platform/Gbk.h"

#include <zlib.h>

#include <climits>
#include <cstring>
#include <filesystem>

using namespace engine;
using enginetest::Recorders;
using enginetest::ScratchDir;

TEST(EngineFiles, AppPathAndWholeFiles)
{
    ScratchDir scratch;
    Recorders rec;
    EXPECT_EQ(GetAppDir(), scratch.Dir());
    EXPECT_EQ(AppPath("GameRun.log"), scratch.Dir() + "GameRun.log");

    // Windows separators reach the disk as '/'.
    std::filesystem::create_directories(scratch.Dir() + "skins");
    std::string path = AppPath("skins\\data.bin");
    const char bytes[] = { 'a', '\0', 'b' };
    ASSERT_TRUE(WriteWholeFile(path, bytes, 3));
    EXPECT_TRUE(std::filesystem::exists(scratch.Dir() + "skins/data.bin"));

    size_t length = 99;
    auto block = ReadWholeFile(path, &length);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(length, 3u);
    EXPECT_EQ(0, std::memcmp(block.get(), bytes, 3));
    EXPECT_EQ(block[3], '\0');

    ASSERT_TRUE(WriteWholeFile(path, nullptr, 0));
    block = ReadWholeFile(path, &length);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(block[0], '\0');

    EXPECT_EQ(ReadWholeFile("", &length), nullptr);
    EXPECT_TRUE(rec.dailyLog.empty());
    EXPECT_EQ(ReadWholeFile(AppPath("missing.txt"), &length), nullptr);
    ASSERT_EQ(rec.dailyLog.size(), 1u);
    EXPECT_EQ(rec.dailyLog[0], "文件" + AppPath("missing.txt") + " 打开失败!");

    EXPECT_FALSE(WriteWholeFile(AppPath("no/such/dir/file"), bytes, 3));
}

TEST(EngineFiles, NamesAndExtensions)
{
    struct Case {
        const char* path;
        const char* ext;
        const char* base;
        const char* lowerExt;
    };
    const Case cases[] = {
        { "skins\\Card.PNG", ".png", "Card", "Card.png" },
        { "/a/b.c/Name", "", "Name", "Name" },
        { "Pack.VKR", ".vkr", "Pack", "Pack.vkr" },
        { "dir/archive.tar.GZ", ".gz", "archive.tar", "archive.tar.gz" },
        // The second byte of this GBK character is a backslash: not a separator.
        { "\x95\x5Cname.Txt", ".txt", "\x95\x5Cname", "\x95\x5Cname.txt" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(GetFileExtLower(c.path), c.ext);
        EXPECT_EQ(GetFileBaseName(c.path), c.base);
        EXPECT_EQ(GetFileNameLowerExt(c.path), c.lowerExt);
    }
    EXPECT_EQ(ToHostPath("a\\b\\\x95\x5C.c"), "a/b/" + platform::Gbk::ToUtf8("\x95\x5C") + ".c");

    struct Lower {
        std::string text;
        std::string lower;
    };
    const Lower lowers[] = {
        // The byte after a lead byte stays, even when it looks like a capital.
        { "AbC\xC5\xC6Z\xB0\x41Q", "abc\xC5\xC6z\xB0\x41q" },
        // 0x80 and 0xFF lead nothing: the letter after them is lowered.
        { "\x80" "A\xFF" "B", "\x80" "a\xFF" "b" },
        { std::string("A\0B", 3), std::string("a\0B", 3) },
    };
    for (const Lower& c : lowers) {
        std::string text = c.text;
        ToLowerAscii(text);
        EXPECT_EQ(text, c.lower);
    }
}

TEST(EngineFiles, ExistenceAndDirectoryChains)
{
    ScratchDir scratch;
    Recorders rec;
    EXPECT_TRUE(AppFileExists(""));
    EXPECT_FALSE(AppFileExists("nothing"));
    ASSERT_TRUE(WriteWholeFile(AppPath("one.ini"), "x", 1));
    EXPECT_TRUE(AppFileExists("one.ini"));
    EXPECT_TRUE(AppFileExists("*.ini"));
    EXPECT_FALSE(AppFileExists("*.dat"));

    std::string chain = scratch.Dir() + "temp\\\\shots\\2026\\";
    EXPECT_FALSE(MakeDirectoryChain(chain, false));
    EXPECT_FALSE(std::filesystem::exists(scratch.Dir() + "temp"));
    EXPECT_TRUE(MakeDirectoryChain(chain, true));
    EXPECT_TRUE(std::filesystem::is_directory(scratch.Dir() + "temp/shots/2026"));
    EXPECT_TRUE(MakeDirectoryChain(chain, false));
    EXPECT_TRUE(MakeDirectoryChain(scratch.Dir() + "temp/last", true));
    EXPECT_TRUE(std::filesystem::is_directory(scratch.Dir() + "temp/last"));
    EXPECT_TRUE(rec.boxes.empty());

    // A file in the way of a level: reported and refused.
    EXPECT_FALSE(MakeDirectoryChain(scratch.Dir() + "one.ini/sub", true));
    ASSERT_EQ(rec.boxes.size(), 1u);
    EXPECT_EQ(rec.boxes[0].text, "Build   Directory" + scratch.Dir() + "one.ini/sub   Fail!");
}

TEST(EngineFiles, LastErrorBoxNamesTheOperation)
{
    Recorders rec;
    errno = ENOENT;
    ShowLastErrorBox("打开");
    ASSERT_EQ(rec.boxes.size(), 1u);
    EXPECT_EQ(rec.boxes[0].caption, "错误");
    EXPECT_EQ(rec.boxes[0].icon, MessageBoxIcon::Error);
    EXPECT_EQ(rec.boxes[0].text.rfind("打开 由于以下错误而失败: ", 0), 0u);
    EXPECT_GT(rec.boxes[0].text.size(), std::string("打开 由于以下错误而失败: ").size());
}

TEST(EngineParse, IntegersAndBooleans)
{
    const std::pair<const char*, int> ints[] = {
        { "42", 42 },
        { "  -17px", -17 },
        { "+8", 8 },
        { "abc", 0 },
        { "", 0 },
        { "99999999999", INT_MAX },
        { "-99999999999", INT_MIN },
        { "2147483647", INT_MAX },
        { "-2147483648", INT_MIN },
    };
    for (const auto& [text, value] : ints)
        EXPECT_EQ(ParseInt(text), value) << text;

    EXPECT_EQ(ParseBoolOrInt("TRUE"), 1);
    EXPECT_EQ(ParseBoolOrInt("FALSE"), 0);
    EXPECT_EQ(ParseBoolOrInt("true"), 0); // by the atoi rule
    EXPECT_EQ(ParseBoolOrInt("7"), 7);
    EXPECT_EQ(CStringToInt("12ab"), 12);
}

TEST(EngineParse, QuotesAndCommaLists)
{
    EXPECT_EQ(StripQuotes("\"宋体\""), "宋体");
    EXPECT_EQ(StripQuotes("face=\"Arial Black\";"), "Arial Black");
    EXPECT_EQ(StripQuotes("\"one"), "\"one");
    EXPECT_EQ(StripQuotes("plain"), "plain");
    EXPECT_EQ(StripQuotes("\"\""), "");

    std::vector<std::string> list { "kept" };
    EXPECT_EQ(SplitCommaList("a,,b,", list), 4u);
    EXPECT_EQ(list, (std::vector<std::string> { "kept", "a", "", "b" }));
    EXPECT_EQ(SplitCommaList("", list), 0u);
    EXPECT_EQ(list.size(), 4u);

    std::vector<std::string> lead;
    SplitCommaList(",x", lead);
    EXPECT_EQ(lead, (std::vector<std::string> { "", "x" }));

    std::vector<TagValue> values;
    EXPECT_EQ(SplitCommaValues("255,#w", values), 2u);
    EXPECT_EQ(values[0].text, "255");
    EXPECT_EQ(values[1].text, "#w");
    EXPECT_EQ(values[1].kind, TagValue::kPlainText);
    EXPECT_EQ(values[1].extra, 0);
    TagValue copy = values[1];
    EXPECT_EQ(copy.text, "#w");
}

TEST(ZlibCodec, RoundTripsIncludingEmptyAndTinyInputs)
{
    const std::string inputs[] = { "", "a", "hello hello hello hello", std::string(100000, 'z') };
    for (const std::string& input : inputs) {
        SCOPED_TRACE(input.size());
        std::vector<uint8_t> packed;
        ASSERT_TRUE(ZlibCompress(input.data(), input.size(), packed));
        EXPECT_FALSE(packed.empty());
        std::vector<uint8_t> unpacked;
        ASSERT_TRUE(ZlibUncompress(packed.data(), packed.size(), input.size(), unpacked));
        EXPECT_EQ(std::string(unpacked.begin(), unpacked.end()), input);
    }
    // A short text grows when deflated and must still come back whole.
    std::vector<uint8_t> packed;
    ASSERT_TRUE(ZlibCompress("ab", 2, packed));
    EXPECT_GT(packed.size(), 2u);
    uLongf size = 10;
    Bytef out[10];
    ASSERT_EQ(uncompress(out, &size, packed.data(), packed.size()), Z_OK);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out), size), "ab");
}

TEST(ZlibCodec, CorruptTruncatedOrOversizedDataFails)
{
    std::string input(5000, 'k');
    std::vector<uint8_t> packed;
    ASSERT_TRUE(ZlibCompress(input.data(), input.size(), packed));
    std::vector<uint8_t> out { 1, 2, 3 };

    // Truncated stream.
    EXPECT_FALSE(ZlibUncompress(packed.data(), packed.size() / 2, input.size(), out));
    EXPECT_TRUE(out.empty());
    // Corrupt bytes.
    std::vector<uint8_t> corrupt = packed;
    corrupt[0] ^= 0xFF;
    EXPECT_FALSE(ZlibUncompress(corrupt.data(), corrupt.size(), input.size(), out));
    // More data than the header promised.
    EXPECT_FALSE(ZlibUncompress(packed.data(), packed.size(), input.size() - 1, out));
    // An expected size beyond the cap is refused before allocating.
    EXPECT_FALSE(ZlibUncompress(packed.data(), packed.size(), kZlibMaxUncompressed + 1, out));
    // Fewer bytes than expected is fine: the real size is reported.
    ASSERT_TRUE(ZlibUncompress(packed.data(), packed.size(), input.size() + 100, out));
    EXPECT_EQ(out.size(), input.size());
    EXPECT_FALSE(ZlibUncompress(nullptr, 0, 10, out));
}

TEST(EngineRunLog, StartTruncatesThenAppendsDatedLines)
{
    ScratchDir scratch;
    platform::SetFixedLocalTime(platform::LocalTime { 2026, 3, 4, 5, 6, 7, 0 });
    // A line before any start creates the missing state directory.
    LogPrintf("old contents");
    std::string log;
    ASSERT_TRUE(platform::ReadFile(scratch.StateDir() + "GameRun.log", log));
    EXPECT_EQ(log, "2026/03/04     05:06:07     old contents\r\n");

    LogStart();
    LogPrintf("OrbitVaneVesion:%f", 1.0);
    std::string longText(3000, 'x');
    LogPrintf("%s", longText.c_str());
    platform::SetFixedLocalTime(std::nullopt);

    ASSERT_TRUE(platform::ReadFile(scratch.StateDir() + "GameRun.log", log));
    std::string expected = "2026/03/04     05:06:07     GameCore Start\r\n"
                           "2026/03/04     05:06:07     OrbitVaneVesion:1.000000\r\n"
                           "2026/03/04     05:06:07     "
        + std::string(1023, 'x') + "\r\n";
    EXPECT_EQ(log, expected);
    EXPECT_FALSE(std::filesystem::exists(scratch.Dir() + "GameRun.log")) << "nothing beside the program";
}

TEST(EngineRunLog, StartCreatesTheStateDirectory)
{
    ScratchDir scratch;
    LogStart();
    std::string log;
    ASSERT_TRUE(platform::ReadFile(scratch.StateDir() + "GameRun.log", log));
    EXPECT_NE(log.find("     GameCore Start\r\n"), std::string::npos) << log;
}

TEST(MemoryPool, BlocksGrowAndDouble)
{
    MemoryPool pool;
    long long requestedBefore = PoolBytesRequested();
    long long inUseBefore = PoolBytesInUse();
    pool.Init(56, 64);
    const size_t record = 56 + MemoryPool::kChunkHeader;
    EXPECT_EQ(pool.BlockCount(), 1u);
    EXPECT_EQ(pool.BlockPayload(0), 64 * record);
    EXPECT_EQ(PoolBytesRequested() - requestedBefore, static_cast<long long>(64 * record));

    std::vector<void*> taken;
    for (int i = 0; i < 64; ++i)
        taken.push_back(pool.Alloc(56));
    EXPECT_EQ(pool.BlockCount(), 1u);
    for (void* p : taken)
        EXPECT_EQ(pool.BlockOf(p), 0);
    EXPECT_EQ(PoolBytesInUse() - inUseBefore, 64 * 56);

    void* sixtyFifth = pool.Alloc(56);
    EXPECT_EQ(pool.BlockCount(), 2u);
    EXPECT_EQ(pool.BlockOf(sixtyFifth), 1);
    EXPECT_EQ(pool.BlockPayload(1), 64 * record);
    EXPECT_EQ(pool.NextBlockSize(), 128 * record); // a third block would be twice as big

    // A request bigger than the next block size gets a block of its own.
    void* big = pool.Alloc(100000);
    EXPECT_EQ(pool.BlockOf(big), 2);
    EXPECT_EQ(pool.BlockPayload(2), 100000 + MemoryPool::kChunkHeader);

    // Payloads are aligned and writable end to end.
    for (void* p : taken) {
        EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % MemoryPool::kAlign, 0u);
        std::memset(p, 0xAB, 56);
    }
    void* odd = pool.Alloc(13);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(odd) % MemoryPool::kAlign, 0u);

    pool.Destroy();
    EXPECT_EQ(PoolBytesRequested(), requestedBefore);
    EXPECT_EQ(PoolBytesInUse(), inUseBefore);
}

TEST(MemoryPool, FreeReusesChunksAndIgnoresForeignPointers)
{
    long long inUseBefore = PoolBytesInUse();
    MemoryPool pool;
    pool.Init(32, 4);
    void* a = pool.Alloc(32);
    void* b = pool.Alloc(32);
    size_t freeBefore = pool.FreeBytes();

    int outside = 0;
    pool.Free(&outside);
    pool.Free(nullptr);
    EXPECT_EQ(pool.FreeBytes(), freeBefore);

    pool.Free(a);
    EXPECT_EQ(pool.FreeBytes(), freeBefore + 32);
    EXPECT_EQ(pool.Alloc(32), a); // the freed chunk is first on the list
    // A smaller request takes the front of the freed chunk.
    pool.Free(b);
    EXPECT_EQ(pool.Alloc(8), b);

    pool.Reset();
    EXPECT_EQ(pool.FreeBytes(), pool.TotalBytes());
    EXPECT_EQ(PoolBytesInUse(), inUseBefore);
    EXPECT_EQ(pool.Alloc(32), a); // the block is whole again
    pool.Free(a);
    EXPECT_EQ(PoolBytesInUse(), inUseBefore);
}
