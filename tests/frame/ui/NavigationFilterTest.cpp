// The embedded page's navigation filter: the allow-list file and the host
// rules that decide which addresses may be opened.

#include "frame/ui/NavigationFilter.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// One 64-byte block enciphered by an independent AES, so the file format is
// checked against more than our own writer.
std::string OpenSslBlock(const std::string& plain64)
{
    std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> ctx(EVP_CIPHER_CTX_new(), EVP_CIPHER_CTX_free);
    EXPECT_EQ(EVP_EncryptInit_ex(ctx.get(), EVP_aes_128_ecb(), nullptr, frame::kAllowListKey, nullptr), 1);
    EVP_CIPHER_CTX_set_padding(ctx.get(), 0);
    std::string out(64, '\0');
    int length = 0;
    EXPECT_EQ(EVP_EncryptUpdate(ctx.get(), reinterpret_cast<unsigned char*>(out.data()), &length,
                  reinterpret_cast<const unsigned char*>(plain64.data()), 64),
        1);
    EXPECT_EQ(length, 64);
    return out;
}

std::string Padded(const std::string& text)
{
    std::string block = text;
    block.resize(64, '\0');
    return block;
}

class NavigationFilterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() / ("kbzn_filter_" + std::to_string(getpid()));
        fs::create_directories(m_dir);
        filter.SetWhitelistFile(Path());
        filter.SetRestricted(true);
    }
    void TearDown() override { fs::remove_all(m_dir); }
    std::string Path() const { return (m_dir / "domain.dat").string(); }
    void WriteRaw(const std::string& bytes) { std::ofstream(Path(), std::ios::binary) << bytes; }

    frame::CFixHtmlView filter;

private:
    fs::path m_dir;
};

TEST_F(NavigationFilterTest, HostRulesAgainstAList)
{
    ASSERT_TRUE(frame::WriteAllowListFile(Path(),
        { "ads.example.com", "game.net", "Mixed.Case.ORG", "intranet", "d.e.f", "ftp:", "127.0.0.1:8080" }));
    struct Case {
        const char* url;
        bool allowed;
    };
    const Case cases[] = {
        // the exact host, whatever the path
        { "http://ads.example.com/banner/1.html?x=1", true },
        { "ads.example.com", true },
        // the host without its first label
        { "http://www.ads.example.com/", true },
        // the last two labels
        { "http://a.b.game.net/x", true },
        { "http://game.net", true },
        { "http://x.y.z.game.net/", true },
        // four labels: the host without its first label; five labels: the
        // last three are not looked at
        { "http://d.e.f/", true },
        { "http://w.d.e.f/", true },
        { "http://v.w.d.e.f/", false },
        // the first label dropped only once
        { "http://a.b.ads.example.com/", false },
        { "http://example.com/", false },
        { "http://other.org/", false },
        // no dot: only the host itself
        { "http://intranet/page", true },
        { "http://extranet/page", false },
        // upper case in the address; entries lowered when read
        { "HTTP://ADS.EXAMPLE.COM/A", true },
        { "http://mixed.case.org/", true },
        { "http://WWW.MIXED.CASE.ORG/", true },
        // other schemes are examined as their scheme word and ':'
        { "https://ads.example.com/", false },
        { "https://game.net/", false },
        { "ftp://any.host.at.all/", true }, // its scheme word is listed
        { "file:///etc/passwd", false },
        { "about:blank", false },
        { "qheapp://changeclothing/", false },
        // scripts always pass
        { "javascript:void(0)", true },
        { "JavaScript:alert(1)", true },
        // the port is part of the host text
        { "http://127.0.0.1:8080/index.html", true },
        { "http://127.0.0.1:8081/index.html", false },
        { "http://127.0.0.1/", false },
        // nothing to examine
        { "", false },
        { "http://", false },
        { "http:///path", false },
        { "/relative", false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        EXPECT_EQ(filter.IsUrlAllowed(c.url), c.allowed);
        EXPECT_EQ(filter.Permits(c.url), c.allowed);
    }
    filter.SetRestricted(false);
    EXPECT_TRUE(filter.Permits("http://other.org/"));
    EXPECT_TRUE(filter.Permits("about:blank"));
}

TEST_F(NavigationFilterTest, MissingOrEmptyListRefusesAllButScripts)
{
    for (const bool exists : { false, true }) {
        SCOPED_TRACE(exists ? "empty file" : "no file");
        if (exists)
            WriteRaw("");
        std::vector<std::string> list;
        EXPECT_EQ(filter.LoadWhitelist(list), 0);
        EXPECT_FALSE(filter.IsUrlAllowed("http://ads.example.com/"));
        EXPECT_FALSE(filter.IsUrlAllowed("about:blank"));
        EXPECT_TRUE(filter.IsUrlAllowed("javascript:void(0)"));
    }
    // A list with nothing but a block that deciphers to an empty entry
    // is not empty: it simply matches no host.
    ASSERT_TRUE(frame::WriteAllowListFile(Path(), { "" }));
    std::vector<std::string> list;
    EXPECT_EQ(filter.LoadWhitelist(list), 1);
    EXPECT_FALSE(filter.IsUrlAllowed("http://ads.example.com/"));
}

TEST_F(NavigationFilterTest, FileFormatBlocksAndTrailingPart)
{
    // Blocks from an independent AES: the format is AES-128-ECB per block
    // under the program's key, entries lower-cased.
    std::string file = OpenSslBlock(Padded("First.Example.com")) + OpenSslBlock(Padded("second.net"));
    WriteRaw(file + std::string(63, 'x'));
    std::vector<std::string> list { "kept" };
    EXPECT_EQ(filter.LoadWhitelist(list), 3); // appended to what the list held
    EXPECT_EQ(list, (std::vector<std::string> { "kept", "first.example.com", "second.net" }));

    // A trailing part block is ignored even when it holds a whole entry's
    // worth of bytes of the next block.
    const std::string third = OpenSslBlock(Padded("third.org"));
    WriteRaw(file + third.substr(0, 63));
    EXPECT_FALSE(filter.IsUrlAllowed("http://third.org/"));
    WriteRaw(file + third);
    EXPECT_TRUE(filter.IsUrlAllowed("http://third.org/"));

    // The list is read for every address: a new file counts at once.
    WriteRaw(OpenSslBlock(Padded("fourth.org")));
    EXPECT_FALSE(filter.IsUrlAllowed("http://third.org/"));
    EXPECT_TRUE(filter.IsUrlAllowed("http://fourth.org/"));
}

TEST_F(NavigationFilterTest, EntryIsReadWithinItsBlock)
{
    // A block with no NUL at all: its entry is its first 63 bytes, and
    // nothing past the block is read.
    const std::string full(64, 'a');
    WriteRaw(OpenSslBlock(full));
    std::vector<std::string> list;
    ASSERT_EQ(filter.LoadWhitelist(list), 1);
    EXPECT_EQ(list[0], std::string(63, 'a'));

    // Our writer cuts long entries the same way.
    EXPECT_EQ(frame::DecodeAllowList(frame::EncodeAllowList({ std::string(70, 'b') })),
        (std::vector<std::string> { std::string(63, 'b') }));
}

TEST(AllowListTest, ListIsReadOnlyWhenTheAddressGetsThatFar)
{
    int reads = 0;
    const auto read = [&reads] {
        ++reads;
        return std::vector<std::string> { "a.com" };
    };
    EXPECT_FALSE(frame::AllowListPermits("http:///x", read));
    EXPECT_TRUE(frame::AllowListPermits("javascript:x", read));
    EXPECT_EQ(reads, 0);
    EXPECT_TRUE(frame::AllowListPermits("http://a.com/", read));
    EXPECT_EQ(reads, 1);
}

TEST(AllowListTest, LowerCasingLeavesDoubleByteCharactersAlone)
{
    // A trail byte in 'A'..'Z' belongs to its character and is not lowered.
    const std::string host = "\xB0\x41.cn"; // a lead byte and trail byte 'A'
    const auto list = frame::DecodeAllowList(frame::EncodeAllowList({ host, "WWW.CN" }));
    EXPECT_EQ(list, (std::vector<std::string> { host, "www.cn" }));
    EXPECT_TRUE(frame::AllowListPermits("http://" + host + "/", [&] { return list; }));
}

} // namespace
