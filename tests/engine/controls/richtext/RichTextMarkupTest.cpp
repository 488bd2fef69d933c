// Markup read by a view that is not attached to an engine: characters,
// styles, escapes and malformed input.

#include "engine/controls/richtext/RichText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace engine;

struct TextRun {
    std::string text;
    uint32_t colour;
    uint32_t style; // the style flags of the run's nodes
    friend bool operator==(const TextRun&, const TextRun&) = default;
};

void PrintTo(const TextRun& r, std::ostream* os)
{
    *os << "{\"" << r.text << "\", 0x" << std::hex << r.colour << ", 0x" << r.style << std::dec << "}";
}

constexpr uint32_t kStyleMask = NODE_ITALIC | NODE_UNDERLINE | NODE_BOLD | NODE_LINK;
constexpr uint32_t kDefault = 0x010101;

std::string CodeText(const RichTextNode& n)
{
    std::string s(1, static_cast<char>(n.code & 0xFF));
    if (n.flags & NODE_DBCS)
        s += static_cast<char>((n.code >> 8) & 0xFF);
    return s;
}

std::vector<TextRun> Runs(const RichText& view)
{
    std::vector<TextRun> runs;
    for (const RichTextNode* n = view.GetFirstNode(); n; n = n->next) {
        const uint32_t style = n->flags & kStyleMask;
        if (runs.empty() || runs.back().colour != n->colour || runs.back().style != style)
            runs.push_back(TextRun { "", n->colour, style });
        runs.back().text += CodeText(*n);
    }
    return runs;
}

std::vector<TextRun> Read(std::string_view markup)
{
    RichText view;
    view.AddMarkupText(markup);
    return Runs(view);
}

struct Case {
    const char* markup;
    std::vector<TextRun> runs;
};

TEST(RichTextMarkup, TableOfTextsAndTheRunsTheyGive)
{
    const std::vector<Case> cases = {
        { "abc", { { "abc", kDefault, 0 } } },
        // Escapes and the plain '#' forms.
        { "##", { { "#", kDefault, 0 } } },
        { "#<#>#/", { { "<>/", kDefault, 0 } } },
        { "#=", { { "#=", kDefault, 0 } } },
        { "#12", { { "#12", kDefault, 0 } } },
        { "#1", { { "#1", kDefault, 0 } } },
        { "#q", { { "#q", kDefault, 0 } } },
        { "a#", { { "a#", kDefault, 0 } } },
        { "#rx#Gy#bz#Kw#Yv#wu",
            { { "x", 0x0000FF, 0 }, { "y", 0x00FF00, 0 }, { "z", 0xFF0000, 0 }, { "w", 0, 0 }, { "v", 0x00FFFF, 0 },
                { "u", 0xFFFFFF, 0 } } },
        // Style tags, several keys in one tag, and "<>".
        { "<c=255>r", { { "r", 0x0000FF, 0 } } },
        { "<c= -1>r", { { "r", 0xFFFFFFFF, 0 } } },
        { "<c=255,e=b,s=240>x", { { "x", 0x0000FF, NODE_BOLD } } },
        { "<e=u>u<e=i>i", { { "u", kDefault, NODE_UNDERLINE }, { "i", kDefault, NODE_UNDERLINE | NODE_ITALIC } } },
        { "<color=ff0000>x", { { "x", 0x0000FF, 0 } } },
        { "<color=zz00FF>x", { { "x", 0xFF0000, 0 } } },
        { "<color=12>x", { { "x", 0x000012, 0 } } },
        { "<color=0000ff0000ff0000ff>x", { { "x", 0xFF0000, 0 } } },
        { "<c=255;#g>x", { { "x", 0x00FF00, 0 } } },
        { "a<c=255,e=b>b<>c", { { "a", kDefault, 0 }, { "b", 0x0000FF, NODE_BOLD }, { "c", kDefault, 0 } } },
        { "<notify;c=255>x", { { "x", kDefault, 0 } } },
        // Unrecognised or unclosed tags are text.
        { "a<b", { { "a<b", kDefault, 0 } } },
        { "<foo>", { { "<foo>", kDefault, 0 } } },
        { "<url_text=abc>", { { "<url_text=abc>", kDefault, 0 } } },
        { "<#q>", { { "<#q>", kDefault, 0 } } },
        // Links without RT_LINKS show their text in the current style; a key
        // inside a link's data also takes effect.
        { "<c=255><url=http://x/?c=65280>!", { { "http://x/?c=65280!", 0x00FF00, 0 } } },
        { "<url_text=http://a,看这里>", { { "看这里", kDefault, 0 } } },
        // Line ends and bytes at the edge of the double-byte range.
        { "a\r\nb", { { "a\nb", kDefault, 0 } } },
        { "\x80x", { { "\x80x", kDefault, 0 } } },
        { "\x81\x40x", { { "\x81\x40x", kDefault, 0 } } },
    };
    for (const Case& c : cases)
        EXPECT_EQ(Read(c.markup), c.runs) << "markup: " << c.markup;
}

TEST(RichTextMarkup, NodesCarryTheirSizesAndKinds)
{
    RichText view;
    view.SetFontSize(20);
    view.AddMarkupText("a\r\n中");
    std::vector<const RichTextNode*> nodes;
    for (const RichTextNode* n = view.GetFirstNode(); n; n = n->next)
        nodes.push_back(n);
    ASSERT_EQ(nodes.size(), 3u);
    EXPECT_EQ(view.GetNodeCount(), 3);
    EXPECT_EQ(nodes[0]->flags, NODE_CHAR);
    EXPECT_EQ(nodes[0]->width, 10);
    EXPECT_EQ(nodes[0]->height, 20);
    EXPECT_EQ(nodes[1]->flags, NODE_CHAR | NODE_NEWLINE);
    EXPECT_EQ(nodes[1]->code, 10u);
    EXPECT_EQ(nodes[2]->flags, NODE_DBCS);
    EXPECT_EQ(nodes[2]->width, 20);
    EXPECT_EQ(nodes[2]->height, 20);
    EXPECT_STREQ(reinterpret_cast<const char*>(&nodes[2]->code), "中");
}

// Bytes 0x81-0xFE lead a double-byte character; 0x80 and 0xFF are
// characters alone.
TEST(RichTextMarkup, OnlyLeadBytesStartPairs)
{
    struct LeadCase {
        std::string text;
        std::vector<uint32_t> flags; // of each node
    };
    const LeadCase cases[] = {
        { "\x81\x40", { NODE_DBCS } },
        { "\xFE\xFE", { NODE_DBCS } },
        { "\x80x", { NODE_CHAR, NODE_CHAR } },
        { "\xFFx", { NODE_CHAR, NODE_CHAR } },
        { "\xFF\xFF", { NODE_CHAR, NODE_CHAR } },
    };
    for (const LeadCase& c : cases) {
        RichText view;
        view.AddMarkupText(c.text);
        std::vector<uint32_t> flags;
        for (const RichTextNode* n = view.GetFirstNode(); n; n = n->next)
            flags.push_back(n->flags);
        EXPECT_EQ(flags, c.flags) << testing::PrintToString(c.text);
    }
}

TEST(RichTextMarkup, SizeAndFaceKeys)
{
    RichText view;
    view.AddMarkupText("<size=5000>a<size=0>b<size=-8>c<face=黑体;size=20>d");
    std::vector<const RichTextNode*> nodes;
    for (const RichTextNode* n = view.GetFirstNode(); n; n = n->next)
        nodes.push_back(n);
    ASSERT_EQ(nodes.size(), 4u);
    EXPECT_EQ(nodes[0]->height, 1000);
    EXPECT_EQ(nodes[1]->height, 0);
    EXPECT_EQ(nodes[2]->height, 0); // a negative size is taken as 0, never wrapped
    EXPECT_EQ(nodes[3]->height, 20);
    EXPECT_STREQ(nodes[3]->font, "黑体");
    EXPECT_EQ(nodes[3]->font, view.GetFontTable().names[1].data());

    view.SetMaxFontSize(30);
    view.AddMarkupText("<size=31>e");
    EXPECT_EQ(view.GetNodeCount(), 5);
    // The style is back after every text.
    EXPECT_EQ(view.GetStyle().fontSize, 14);
    EXPECT_EQ(view.GetStyle().face[0], '\0');
}

// What a chat view takes before each line: black plain text of its own
// size and face, whatever the last text left set. Flags that are not text
// styles stay.
TEST(RichTextMarkup, ResetStyleGivesBlackPlainTextOfTheSizeAndFace)
{
    struct View : RichText {
        using RichText::ResetStyleTo;
        RichTextStyle& Style() { return m_style; }
    } view;
    view.SetTextColour(0x123456);
    view.Style().flags = NODE_BOLD | NODE_ITALIC | NODE_UNDERLINE | NODE_LINK | NODE_NEWLINE;
    view.Style().face.fill('x');

    view.ResetStyleTo(12, "宋体");
    EXPECT_EQ(view.GetStyle().colour, 0u);
    EXPECT_EQ(view.GetStyle().flags, NODE_NEWLINE);
    EXPECT_EQ(view.GetStyle().fontSize, 12);
    EXPECT_STREQ(view.GetStyle().face.data(), "宋体");

    // A face longer than the style holds is cut, still ending in a zero.
    view.ResetStyleTo(9, std::string(40, 'f'));
    EXPECT_EQ(view.GetStyle().fontSize, 9);
    EXPECT_EQ(std::string(view.GetStyle().face.data()), std::string(kFaceBytes - 1, 'f'));
}

TEST(RichTextMarkup, FaceTableLimits)
{
    RichText view;
    // Over-long face names are cut to 31 bytes, never inside a character;
    // a 0xFF byte is a character alone.
    view.AddMarkupText("<face=" + std::string(40, 'f') + ">a<face=" + std::string(15, 'x') + "汉字>b<face="
        + std::string(30, 'y') + "\xFF\xFF>c");
    const RichTextNode* a = view.GetFirstNode();
    ASSERT_TRUE(a && a->next && a->next->next);
    EXPECT_EQ(std::string(a->font), std::string(31, 'f'));
    EXPECT_EQ(std::string(a->next->font), std::string(15, 'x') + "汉字");
    EXPECT_EQ(std::string(a->next->next->font), std::string(30, 'y') + "\xFF");

    // Fill the table: new faces beyond its 20 entries get none.
    std::string text;
    for (int i = 0; i < 25; ++i)
        text += "<face=f" + std::to_string(i) + ">x";
    view.AddMarkupText(text);
    EXPECT_EQ(view.GetFontTable().count, FontFaceTable::kEntries);
    const RichTextNode* last = view.GetFirstNode();
    while (last->next)
        last = last->next;
    EXPECT_EQ(last->font, nullptr);
    view.AddMarkupText("<face=黑体>y");
    EXPECT_STREQ(last->next->font, "黑体");

    // Clear forgets all but the first two faces.
    view.Clear();
    EXPECT_EQ(view.GetFontTable().count, 2);
    EXPECT_EQ(view.GetNodeCount(), 0);
    EXPECT_EQ(view.GetFirstNode(), nullptr);
}

TEST(RichTextMarkup, MalformedInputStaysInBounds)
{
    // Each is read from a buffer of exactly its length, so the sanitizer
    // catches any read past the end.
    const std::vector<std::string> texts = {
        std::string("a\x81", 2),
        std::string("\x81", 1),
        std::string("#", 1),
        std::string("#\x81", 2),
        std::string("<", 1),
        std::string("<c=", 3),
        std::string("<color=", 7),
        std::string("<color=ab", 9),
        std::string("<face=", 6),
        std::string("<url_text=,", 11),
        std::string("<url_text=a,\x81", 13),
        std::string("<url=\x81>", 7),
        std::string("#1z=ab", 6),
        std::string("a\0<c=255>b", 10),
    };
    for (const std::string& t : texts) {
        auto bytes = std::make_unique<char[]>(t.size());
        std::copy(t.begin(), t.end(), bytes.get());
        RichText view;
        view.AddMarkupText(std::string_view(bytes.get(), t.size()));
        int count = 0;
        for (const RichTextNode* n = view.GetFirstNode(); n; n = n->next)
            ++count;
        EXPECT_EQ(count, view.GetNodeCount()) << t;
    }
    EXPECT_EQ(Read(std::string_view("a\x81", 2)), (std::vector<TextRun> { { "a", kDefault, 0 } }));
    EXPECT_EQ(Read(std::string_view("a\0<c=255>b", 10)), (std::vector<TextRun> { { "a", kDefault, 0 } }));
    EXPECT_EQ(Read(std::string_view("<url=\x81>", 7)), (std::vector<TextRun> {}));
}

class LoadingView : public RichText {
public:
    int LoadUrl(std::string_view a, std::string_view b, int c, const std::string* d) override
    {
        calls.push_back(std::string(a) + "|" + std::string(b) + "|" + std::to_string(c) + "|" + (d ? *d : "-"));
        return result;
    }
    std::vector<std::string> calls;
    int result = 1;
};

TEST(RichTextMarkup, LoadLinksReachTheHookOnlyWhenEnabled)
{
    LoadingView view;
    view.AddMarkupText("<url_load=a,b,TRUE,d>x");
    EXPECT_TRUE(view.calls.empty());
    EXPECT_EQ(Runs(view).front().text, "<url_load=a,b,TRUE,d>x");

    view.Clear();
    view.SetStyleFlagsRaw(view.GetStyleFlags() | RT_LOAD_LINKS);
    view.AddMarkupText("<url_load=a,b,TRUE,d>x<url_load=p,q>y<url_load=one>z");
    EXPECT_EQ(view.calls, (std::vector<std::string> { "b|a|1|d", "q|p|0|-" }));
    EXPECT_EQ(Runs(view).front().text, "xy<url_load=one>z");

    // The hook's answer is the tag's answer.
    view.Clear();
    view.result = 0;
    view.AddMarkupText("<c=255,url_load=a,b>x");
    EXPECT_EQ(Runs(view).front().text, "<c=255,url_load=a,b>x");
}

// A "url_load=" key that does not call the hook (fewer than two parts)
// leaves the tag's answer to its other keys: a tag whose other keys took
// effect is not shown as text as well.
TEST(RichTextMarkup, LoadKeysDecideTheTagOnlyWhenTheHookIsCalled)
{
    struct LoadCase {
        const char* markup;
        int hookResult;
        std::vector<TextRun> runs;
        std::vector<std::string> calls;
    };
    constexpr uint32_t kLink = NODE_LINK | NODE_UNDERLINE;
    const std::vector<LoadCase> cases = {
        { "<c=255;url_load=x>a", 1, { { "a", 0x0000FF, 0 } }, {} },
        { "<c=255;url_load=x>a", 0, { { "a", 0x0000FF, 0 } }, {} },
        { "<url=http://q;url_load=x>a", 1, { { "http://q", 0xFF0000, kLink }, { "a", kDefault, 0 } }, {} },
        { "<url_load=x>a", 1, { { "<url_load=x>a", kDefault, 0 } }, {} },
        { "<c=255;url_load=p,q>a", 0, { { "<c=255;url_load=p,q>a", 0x0000FF, 0 } }, { "q|p|0|-" } },
        { "<url_load=p,q>a", 1, { { "a", kDefault, 0 } }, { "q|p|0|-" } },
    };
    for (const LoadCase& c : cases) {
        LoadingView view;
        view.SetStyleFlagsRaw(view.GetStyleFlags() | RT_LINKS | RT_LOAD_LINKS);
        view.result = c.hookResult;
        view.AddMarkupText(c.markup);
        EXPECT_EQ(Runs(view), c.runs) << c.markup << " (hook answers " << c.hookResult << ")";
        EXPECT_EQ(view.calls, c.calls) << c.markup;
    }
}

} // namespace
