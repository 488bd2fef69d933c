#include "engine/core/GameCore.h"
#include "engine/core/NameKey.h"
#include "engine/modules/ResourceModule.h"
#include "platform/Bytes.h"
#include "tests/engine/core/TestSupport.h"
#include "tools/pack/PackWriter.h"

#include "platform/Files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

using engine::MakeNameKey;
using engine::NameKey;

std::vector<uint8_t> Bytes(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

class Resources : public ::testing::Test {
protected:
    void WriteFile(const std::string& name, const std::string& bytes)
    {
        // Names are the program's (GBK); the file system holds them in UTF-8.
        std::ofstream out(platform::NativePath(dir.Dir() + name), std::ios::binary);
        out << bytes;
    }
    std::string Data(const char* name)
    {
        const char* data = module.GetData(MakeNameKey(name));
        return data ? std::string(data) : std::string("<null>");
    }

    enginetest::ScratchDir dir;
    enginetest::Recorders recorders;
    engine::ResourceModule module;
};

TEST_F(Resources, LooseFileIsReadOnDemandAndAgainAfterItWasTaken)
{
    WriteFile("Readme.TXT", "hello");
    NameKey key = module.AddFile(dir.Dir() + "Readme.TXT");
    EXPECT_EQ(key, MakeNameKey("Readme.text"));
    ASSERT_EQ(module.Exists(key), 1);

    engine::ResourceEntry* entry = module.LoadEntry(key);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->length, 5u);
    EXPECT_EQ(entry->kind, engine::kResourceLoose);
    EXPECT_EQ(entry->extension, engine::NameHash(".txt"));
    EXPECT_EQ(entry->data[5], '\0');
    const char* first = module.GetData(key);
    EXPECT_EQ(first, entry->data.get()); // no second read
    EXPECT_STREQ(first, "hello");

    // A consumer takes the block; the next request reads the file again.
    std::unique_ptr<char[]> taken = std::move(entry->data);
    WriteFile("Readme.TXT", "HELLO");
    EXPECT_EQ(Data("Readme.text"), "HELLO");
    EXPECT_STREQ(taken.get(), "hello");
}

TEST_F(Resources, PrecedenceOfLooseFilesAndPacks)
{
    tools::PackWriter first;
    first.AddBytes("btnThrow.png", Bytes("first pack"));
    first.AddBytes("Snd_HitCard.wav", Bytes("pack sound"));
    ASSERT_TRUE(first.Write(dir.Dir() + "first.vkr"));
    tools::PackWriter second;
    second.AddBytes("btnThrow.bmp", Bytes("second pack"));
    second.AddBytes("Other.png", Bytes("other"));
    ASSERT_TRUE(second.Write(dir.Dir() + "second.vkr"));
    std::filesystem::create_directory(dir.Dir() + "loose");
    WriteFile("loose/Snd_HitCard.WAV", "loose sound");

    // Packs: the first loaded wins; the count includes skipped records.
    EXPECT_EQ(module.LoadPackFile(dir.Dir() + "first.vkr"), 2);
    EXPECT_EQ(module.LoadPackFile(dir.Dir() + "second.vkr"), 2);
    EXPECT_EQ(Data("btnThrow.imge"), "first pack");
    EXPECT_EQ(Data("Other.imge"), "other");

    // A loose file replaces the pack's entry; a pack loaded after it does not.
    module.AddFile(dir.Dir() + "loose/Snd_HitCard.WAV");
    EXPECT_EQ(Data("Snd_HitCard.sound"), "loose sound");
    EXPECT_EQ(module.LoadPackFile(dir.Dir() + "first.vkr"), 2);
    EXPECT_EQ(Data("Snd_HitCard.sound"), "loose sound");
    EXPECT_EQ(module.OpenFileCount(), 4u); // three packs and the loose file

    // Releasing the loose file closes its own handle; pack handles stay.
    module.ReleaseByName("Snd_HitCard.wav");
    EXPECT_EQ(module.Exists(MakeNameKey("Snd_HitCard.sound")), 0);
    EXPECT_EQ(module.OpenFileCount(), 3u);
    module.Release(MakeNameKey("Other.imge"));
    EXPECT_EQ(module.OpenFileCount(), 3u);
}

TEST_F(Resources, LooseFileReplacesEarlierLooseFileAndClosesIt)
{
    WriteFile("a.png", "one");
    WriteFile("a.bmp", "two");
    module.AddFile(dir.Dir() + "a.png");
    module.AddFile(dir.Dir() + "a.bmp");
    EXPECT_EQ(module.EntryCount(), 1u);
    EXPECT_EQ(module.OpenFileCount(), 1u);
    EXPECT_EQ(Data("a.imge"), "two");
    EXPECT_EQ(module.LoadEntry(MakeNameKey("a.imge"))->extension, engine::NameHash(".bmp"));
}

TEST_F(Resources, AddFileWithNameAndMissingFile)
{
    WriteFile("x.png", "px");
    EXPECT_EQ(module.AddFile(dir.Dir() + "x.png", "Named"), MakeNameKey("Named.imge"));
    EXPECT_EQ(module.AddFile(dir.Dir() + "nothing.png"), NameKey {});
    EXPECT_EQ(module.EntryCount(), 1u);
    EXPECT_EQ(module.GetData(MakeNameKey("nothing.imge")), nullptr);
    EXPECT_EQ(module.LoadEntry(MakeNameKey("nothing.imge")), nullptr);
}

TEST_F(Resources, MemoryEntryUnderItsNormalisedName)
{
    const char bitmap[] = "BM fake";
    NameKey key = module.AddEntry("QRCode_Image.bmp", engine::MakeResourceBlock(bitmap, 7), 7);
    EXPECT_EQ(key, MakeNameKey("QRCode_Image.imge"));
    EXPECT_EQ(Data("QRCode_Image.imge"), "BM fake");
    // Replaced by a later registration of the same name.
    module.AddEntry("QRCode_Image.png", engine::MakeResourceBlock("new", 3), 3);
    EXPECT_EQ(Data("QRCode_Image.imge"), "new");
    EXPECT_EQ(module.EntryCount(), 1u);
}

TEST_F(Resources, DirectoryRegistersTopLevelFilesOnly)
{
    std::filesystem::create_directories(dir.Dir() + "skin/sub");
    WriteFile("skin/one.png", "1");
    WriteFile("skin/\xC5\xC6\xB1\xB3.bmp", "2"); // a GBK file name
    WriteFile("skin/sub/deep.png", "3");
    std::string path = dir.Dir() + "skin";
    EXPECT_EQ(module.AddDirectory(path), 2);
    EXPECT_EQ(Data("one.imge"), "1");
    EXPECT_EQ(Data("\xC5\xC6\xB1\xB3.imge"), "2");
    EXPECT_EQ(module.Exists(MakeNameKey("deep.imge")), 0);
    EXPECT_EQ(module.AddDirectory(dir.Dir() + "missing"), 0);
}

TEST_F(Resources, ZeroLengthPackEntryIsEmptyNotTheRestOfThePack)
{
    tools::PackWriter writer;
    writer.AddBytes("empty.txt", {});
    writer.AddBytes("after.txt", Bytes("secret bytes of another resource"));
    ASSERT_TRUE(writer.Write(dir.Dir() + "p.vkr"));
    ASSERT_EQ(module.LoadPackFile(dir.Dir() + "p.vkr"), 2);
    engine::ResourceEntry* entry = module.LoadEntry(MakeNameKey("empty.text"));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->length, 0u);
    EXPECT_EQ(entry->data[0], '\0');
}

TEST_F(Resources, PackRecordsThatLieAreUnreadable)
{
    tools::PackWriter writer;
    writer.AddBytes("a.txt", Bytes("aaaa"));
    writer.AddBytes("b.txt", Bytes("bbbb"));
    writer.AddBytes("c.txt", Bytes("cccc"));
    std::vector<uint8_t> pack = writer.Build();
    platform::StoreLe32(pack.data() + 176 + 16, 0xffffffffu); // a: length + 1 wraps
    platform::StoreLe32(pack.data() + 176 + 32 + 12, 0x7ffffff0u); // b: offset far past the end
    std::ofstream(dir.Dir() + "lie.vkr", std::ios::binary)
        .write(reinterpret_cast<const char*>(pack.data()), static_cast<std::streamsize>(pack.size()));

    ASSERT_EQ(module.LoadPackFile(dir.Dir() + "lie.vkr"), 3);
    EXPECT_EQ(module.LoadEntry(MakeNameKey("a.text")), nullptr);
    EXPECT_EQ(module.GetData(MakeNameKey("b.text")), nullptr);
    EXPECT_EQ(Data("c.text"), "cccc");

    // The same in memory: lying records are skipped, good ones copied.
    engine::ResourceModule memory;
    EXPECT_EQ(memory.LoadPackMemory(pack.data(), pack.size()), 3);
    EXPECT_EQ(memory.Exists(MakeNameKey("a.text")), 0);
    EXPECT_EQ(memory.Exists(MakeNameKey("b.text")), 0);
    EXPECT_STREQ(memory.GetData(MakeNameKey("c.text")), "cccc");
}

TEST_F(Resources, TruncatedPackFileIsAShortReadNotData)
{
    tools::PackWriter writer;
    writer.AddBytes("a.txt", Bytes("0123456789"));
    ASSERT_TRUE(writer.Write(dir.Dir() + "p.vkr"));
    ASSERT_EQ(module.LoadPackFile(dir.Dir() + "p.vkr"), 1);
    std::filesystem::resize_file(dir.Dir() + "p.vkr", 176 + 32 + 4);
    EXPECT_EQ(module.GetData(MakeNameKey("a.text")), nullptr);
}

TEST_F(Resources, PackWithoutRecordsRegistersNothing)
{
    tools::PackWriter writer;
    std::vector<uint8_t> pack = writer.Build();
    ASSERT_EQ(pack.size(), 176u);
    EXPECT_EQ(module.LoadPackMemory(pack.data(), pack.size()), 0);
    EXPECT_EQ(module.EntryCount(), 0u);
    EXPECT_TRUE(recorders.dailyLog.empty());
}

TEST_F(Resources, PackFailuresAreLoggedAndNoticed)
{
    engine::GameCore core;
    core.Init(nullptr);
    auto owned = std::make_unique<engine::ResourceModule>();
    engine::ResourceModule* resources = owned.get();
    ASSERT_EQ(core.LoadModule(std::move(owned), true, true), engine::ORBITVANE_RETURN_OK);

    std::string path = dir.Dir() + "missing.vkr";
    EXPECT_EQ(core.SendModuleMessage(engine::MODULE_RESOURCE, engine::MODMSG_RES_LOAD_PACK_FILE,
                  engine::ToWord(path.c_str()), 0),
        0); // the count, not "handled"
    ASSERT_FALSE(recorders.dailyLog.empty());
    EXPECT_NE(recorders.dailyLog.back().find("\xD7\xCA\xD4\xB4\xB0\xFC" + path), std::string::npos); // "资源包"
    EXPECT_EQ(core.PostedCount(), 1u); // the notice to the sink

    EXPECT_EQ(resources->OnMessage(engine::MODMSG_RES_LOAD_PACK_MEMORY, 0, 0), 0);
    EXPECT_NE(recorders.dailyLog.back().find("\xD7\xCA\xD4\xB4\xB0\xFC" "0"), std::string::npos);

    // The count comes back through the message; unknown messages are handled.
    tools::PackWriter writer;
    writer.AddBytes("m.png", Bytes("m"));
    std::vector<uint8_t> pack = writer.Build();
    EXPECT_EQ(resources->OnMessage(engine::MODMSG_RES_LOAD_PACK_MEMORY, engine::ToWord(pack.data()), pack.size()), 1);
    EXPECT_EQ(resources->OnMessage(4242, 0, 0), engine::ORBITVANE_RETURN_OK);
    core.UnloadAllModules();
}

TEST_F(Resources, ShutdownClosesFilesAndLeavesNoDanglingHandle)
{
    WriteFile("a.txt", "a");
    NameKey key = module.AddFile(dir.Dir() + "a.txt");
    module.Shutdown();
    EXPECT_EQ(module.OpenFileCount(), 0u);
    EXPECT_EQ(module.GetData(key), nullptr);
}

} // namespace
