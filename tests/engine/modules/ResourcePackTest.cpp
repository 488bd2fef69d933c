#include "engine/core/NameKey.h"
#include "engine/modules/ResourceNames.h"
#include "engine/modules/ResourcePack.h"
#include "platform/Bytes.h"
#include "tests/engine/core/TestSupport.h"
#include "tools/pack/PackWriter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <fstream>
#include <string>
#include <vector>

namespace {

using engine::NameHash;
using engine::NameKey;

// Hashes worked out by hand (outside this code) for the names the pack
// format stores; a change here breaks every pack already written.
TEST(ResourceNames, KeysAndCategoriesAreBitExact)
{
    EXPECT_EQ(NameHash(".imge"), 0x53485754u);
    EXPECT_EQ(NameHash(".png"), 0x702f88e7u);
    EXPECT_EQ(engine::MakeNameKey(engine::ResourceLookupName("skins\\btnThrow.png")),
        (NameKey { 0x2e918d56u, 0x248da4b7u, 0x28b66a86u }));
    // A GBK base name keeps its bytes: "牌背" from a .BMP file.
    EXPECT_EQ(engine::MakeNameKey(engine::ResourceLookupName("pic/\xC5\xC6\xB1\xB3.BMP")),
        (NameKey { 0x5925c8a5u, 0x53d78619u, 0x382e298du }));
    EXPECT_EQ(engine::MakeNameKey(engine::ResourceLookupName("a\\b\\Snd_HitCard.wav")),
        (NameKey { 0x2829e930u, 0x2d592777u, 0x117ecc0eu }));
    EXPECT_EQ(engine::MakeNameKey(engine::ResourceLookupName("QRCode_Image.bmp")),
        (NameKey { 0x3be8e982u, 0x4760ea49u, 0xcd4e1706u }));
}

TEST(ResourceNames, LookupNames)
{
    struct Case {
        const char* path;
        const char* name;
        const char* expected;
    };
    const Case cases[] = {
        { "skins\\btnThrow.png", nullptr, "btnThrow.imge" },
        { "btnThrow.bmp", nullptr, "btnThrow.imge" },
        { "x/y/Readme.TXT", nullptr, "Readme.text" },
        { "cfg.vki", nullptr, "cfg.ini" },
        { "Beep.sound", nullptr, "Beep.sound" },
        { "Intro.rmvb", nullptr, "Intro.vedio" },
        { "page.aspx", nullptr, "page.http" },
        { "logic.lua", nullptr, "logic.script" },
        { "Data.Xyz", nullptr, "Data.xyz" }, // unknown: kept, lower-cased
        { "NoExtension", nullptr, "NoExtension" },
        { "dir\\file.png", "Other", "Other.imge" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(engine::ResourceLookupName(c.path, c.name), c.expected) << c.path;

    std::string base = "a";
    EXPECT_EQ(engine::CategoryExtension(base, ".jpeg"), 1);
    EXPECT_EQ(base, "a.imge");
    base = "a";
    EXPECT_EQ(engine::CategoryExtension(base, ".zip"), 0);
    EXPECT_EQ(base, "a.zip");
}

TEST(ResourceNames, CategoryTable)
{
    for (const char* ext : { ".pps", ".png", ".jpg", ".jpeg", ".gif", ".bmp", ".mng", ".ico", ".tga", ".tif", ".pcx",
             ".wbmp", ".wmf" })
        EXPECT_EQ(engine::ExtensionCategory(NameHash(ext)), NameHash(".imge")) << ext;
    for (const char* ext : { ".mp3", ".wav", ".ogg", ".mid" })
        EXPECT_EQ(engine::ExtensionCategory(NameHash(ext)), NameHash(".sound")) << ext;
    EXPECT_EQ(engine::ExtensionCategory(NameHash(".vks")), NameHash(".script"));
    EXPECT_EQ(engine::ExtensionCategory(NameHash(".flv")), NameHash(".flash"));
    EXPECT_EQ(engine::ExtensionCategory(NameHash(".mpeg")), NameHash(".vedio"));
    EXPECT_EQ(engine::ExtensionCategory(NameHash(".cgi")), NameHash(".http"));
    // The wider name list's extras have no row: they map to themselves.
    for (const char* ext : { ".txt", ".doc", ".ini", ".vki", ".sound", ".zip" })
        EXPECT_EQ(engine::ExtensionCategory(NameHash(ext)), NameHash(ext)) << ext;
}

std::vector<uint8_t> Bytes(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

TEST(ResourcePack, WriterLayoutIsBitExact)
{
    tools::PackWriter writer;
    writer.AddBytes("btnThrow.png", Bytes("PNGDATA"));
    writer.AddBytes("Snd_HitCard.wav", Bytes("RIFF"));
    std::vector<uint8_t> pack = writer.Build();
    ASSERT_EQ(pack.size(), 176u + 64 + 7 + 4);
    EXPECT_EQ(platform::LoadLe32(pack.data() + 100), 2u);
    EXPECT_EQ(platform::LoadLe32(pack.data() + 104), 2u);
    const uint8_t expected0[24] = {
        0x56, 0x8d, 0x91, 0x2e, 0xb7, 0xa4, 0x8d, 0x24, 0x86, 0x6a, 0xb6, 0x28, // key
        0xf0, 0x00, 0x00, 0x00, // offset 240
        0x07, 0x00, 0x00, 0x00, // length
        0xe7, 0x88, 0x2f, 0x70, // ".png"
    };
    EXPECT_EQ(std::memcmp(pack.data() + 176, expected0, sizeof expected0), 0);
    EXPECT_EQ(platform::LoadLe32(pack.data() + 176 + 32 + 12), 247u);
    EXPECT_EQ(std::string(pack.begin() + 240, pack.begin() + 247), "PNGDATA");
}

class PackFiles : public ::testing::Test {
protected:
    enginetest::ScratchDir dir;
};

TEST_F(PackFiles, IterationAndFilterAndReads)
{
    tools::PackWriter writer;
    writer.AddBytes("a.png", Bytes("AAAA"));
    writer.AddBytes("b.wav", Bytes("BB"));
    writer.AddBytes("c.wav", Bytes("C"));
    writer.AddBytes("d.png", Bytes("DDD"));
    writer.AddBytes("e.txt", {});
    ASSERT_TRUE(writer.Write(dir.Dir() + "p.vkr"));

    // Windows separators reach the same file.
    std::string windowsPath = dir.Dir() + "p.vkr";
    for (char& c : windowsPath)
        if (c == '/')
            c = '\\';
    engine::PackReader reader(windowsPath);
    ASSERT_TRUE(reader.IsOpen());
    ASSERT_EQ(reader.EntryCount(), 5u);

    engine::PackDirEntry e;
    std::vector<uint32_t> lengths;
    reader.Rewind();
    ASSERT_TRUE(reader.CurrentEntry(e));
    do {
        reader.CurrentEntry(e);
        lengths.push_back(e.length);
    } while (reader.NextEntry(0));
    EXPECT_EQ(lengths, (std::vector<uint32_t> { 4, 2, 1, 3, 0 }));

    // Filtered: stops on the next ".png" record, or at the end on the last.
    uint32_t png = NameHash(".png");
    reader.Rewind();
    EXPECT_EQ(reader.NextEntry(png), 1);
    EXPECT_EQ(reader.CurrentIndex(), 3u);
    EXPECT_EQ(reader.NextEntry(png), 0);
    EXPECT_EQ(reader.CurrentIndex(), 4u);

    // Reads by index, with exact and short buffers.
    char buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(reader.ReadEntryInto(3, buffer, 3), 1);
    EXPECT_EQ(std::string(buffer, 4), "DDD#");
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(reader.ReadEntryInto(0, buffer, 3), 0);
    EXPECT_EQ(std::string(buffer, 4), "####");
    EXPECT_EQ(reader.ReadEntryInto(5, buffer, sizeof buffer), 0);
    auto block = reader.ReadEntry(1);
    ASSERT_TRUE(block);
    EXPECT_STREQ(block.get(), "BB");
    auto empty = reader.ReadEntry(4);
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty[0], '\0');
    EXPECT_FALSE(reader.ReadEntry(99));
}

TEST_F(PackFiles, OneRecordYieldsExactlyIt)
{
    tools::PackWriter writer;
    writer.AddBytes("only.png", Bytes("X"));
    ASSERT_TRUE(writer.Write(dir.Dir() + "one.vkr"));
    engine::PackReader reader(dir.Dir() + "one.vkr");
    engine::PackDirEntry e;
    ASSERT_TRUE(reader.CurrentEntry(e));
    EXPECT_EQ(e.key, engine::MakeNameKey("only.imge"));
    EXPECT_EQ(reader.NextEntry(0), 0);
}

// Packs whose header or directory lie: never a read outside the file.
TEST_F(PackFiles, LyingHeadersAndDirectories)
{
    tools::PackWriter writer;
    writer.AddBytes("a.png", Bytes("AAAA"));
    writer.AddBytes("b.png", Bytes("BBBB"));
    const std::vector<uint8_t> good = writer.Build();

    struct Case {
        const char* name;
        std::function<void(std::vector<uint8_t>&)> damage;
        bool open;
        uint32_t entries;
    };
    const Case cases[] = {
        { "missing file", nullptr, false, 0 },
        { "shorter than a header", [](auto& p) { p.resize(100); }, false, 0 },
        { "record count beyond the file", [](auto& p) { platform::StoreLe32(p.data() + 104, 1000); }, false, 0 },
        { "record count 0xFFFFFFFF", [](auto& p) { platform::StoreLe32(p.data() + 104, 0xffffffffu); }, false, 0 },
        { "directory cut", [](auto& p) { p.resize(176 + 40); }, false, 0 },
        { "entry count 0", [](auto& p) { platform::StoreLe32(p.data() + 100, 0); }, true, 0 },
        { "both counts 0", [](auto& p) { platform::StoreLe32(p.data() + 100, 0); platform::StoreLe32(p.data() + 104, 0); }, true, 0 },
        { "entry count above the records", [](auto& p) { platform::StoreLe32(p.data() + 100, 7); }, true, 2 },
        { "record count above the entries", [](auto& p) { platform::StoreLe32(p.data() + 100, 1); }, true, 1 },
    };
    for (const Case& c : cases) {
        std::string path = dir.Dir() + "bad.vkr";
        std::remove(path.c_str());
        if (c.damage) {
            std::vector<uint8_t> pack = good;
            c.damage(pack);
            WriteFile(path, pack);
        }
        engine::PackReader reader(path);
        EXPECT_EQ(reader.IsOpen() != 0, c.open) << c.name;
        EXPECT_EQ(reader.EntryCount(), c.entries) << c.name;
        engine::PackDirEntry e;
        EXPECT_EQ(reader.CurrentEntry(e), c.entries > 0) << c.name;
        EXPECT_EQ(reader.NextEntry(0), c.entries > 1 ? 1 : 0) << c.name;
    }
}

TEST_F(PackFiles, RecordsOutsideTheFileDoNotRead)
{
    tools::PackWriter writer;
    writer.AddBytes("a.png", Bytes("AAAA"));
    std::vector<uint8_t> pack = writer.Build();
    const std::pair<uint32_t, uint32_t> lies[] = {
        { 208, 5 }, // one byte past the end
        { 0xfffffff0u, 0x20 }, // offset + length wraps 32 bits
        { 208, 0xffffffffu }, // length + 1 wraps
        { 5000, 1 },
    };
    for (auto [offset, length] : lies) {
        platform::StoreLe32(pack.data() + 176 + 12, offset);
        platform::StoreLe32(pack.data() + 176 + 16, length);
        WriteFile(dir.Dir() + "lie.vkr", pack);
        engine::PackReader reader(dir.Dir() + "lie.vkr");
        ASSERT_TRUE(reader.IsOpen());
        char buffer[16];
        EXPECT_EQ(reader.ReadEntryInto(0, buffer, sizeof buffer), 0) << offset << "+" << length;
        EXPECT_FALSE(reader.ReadEntry(0)) << offset << "+" << length;

        engine::MemoryPackReader memory(pack.data(), pack.size());
        ASSERT_TRUE(memory.IsOpen());
        EXPECT_EQ(memory.ReadEntryInto(0, buffer, sizeof buffer), 0);
        EXPECT_FALSE(memory.ReadEntry(0));
    }
}

TEST(MemoryPack, ReadsAndRefusals)
{
    tools::PackWriter writer;
    writer.AddBytes("a.png", Bytes("AAAA"));
    writer.AddBytes("b.txt", Bytes("text"));
    std::vector<uint8_t> pack = writer.Build();

    engine::MemoryPackReader reader(pack.data(), pack.size());
    ASSERT_TRUE(reader.IsOpen());
    EXPECT_EQ(reader.EntryCount(), 2u);
    auto block = reader.ReadEntry(1);
    ASSERT_TRUE(block);
    EXPECT_STREQ(block.get(), "text");

    EXPECT_FALSE(engine::MemoryPackReader(nullptr, 1000).IsOpen());
    EXPECT_FALSE(engine::MemoryPackReader(pack.data(), 175).IsOpen());
    EXPECT_FALSE(engine::MemoryPackReader(pack.data(), 176 + 40).IsOpen()); // directory cut
}

} // namespace
