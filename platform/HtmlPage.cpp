#include "platform/HtmlPage.h"

#include "platform/FontRenderer.h"
#include "platform/Gbk.h"
#include "platform/ImageDecoder.h"

#include <litehtml/litehtml.h>
#include <litehtml/url.h>

#include <algorithm>
#include <cstring>
#include <optional>

namespace platform::html {

namespace {

// The defaults every page starts from, after the rendering customs of
// browsers; a page's own styles override them.
constexpr char kMasterCss[] = R"css(
html, address, blockquote, body, dd, div, dl, dt, fieldset, form, frame, frameset,
h1, h2, h3, h4, h5, h6, noframes, ol, p, ul, center, dir, hr, menu, pre,
header, footer, nav, section, article, aside, main, figure, figcaption, details, summary
{ display: block; }
head, script, style, title, meta, link, base, noscript, template, param { display: none; }
html { background-color: #ffffff; color: #000000; }
body { margin: 8px; line-height: normal; }
p, blockquote, dl, ul, ol, pre, fieldset, form, figure { margin-top: 1em; margin-bottom: 1em; }
blockquote, figure { margin-left: 40px; margin-right: 40px; }
h1 { font-size: 2em; margin-top: 0.67em; margin-bottom: 0.67em; font-weight: bold; }
h2 { font-size: 1.5em; margin-top: 0.83em; margin-bottom: 0.83em; font-weight: bold; }
h3 { font-size: 1.17em; margin-top: 1em; margin-bottom: 1em; font-weight: bold; }
h4 { margin-top: 1.33em; margin-bottom: 1.33em; font-weight: bold; }
h5 { font-size: 0.83em; margin-top: 1.67em; margin-bottom: 1.67em; font-weight: bold; }
h6 { font-size: 0.67em; margin-top: 2.33em; margin-bottom: 2.33em; font-weight: bold; }
b, strong, th { font-weight: bold; }
i, em, cite, var, address, dfn { font-style: italic; }
u, ins { text-decoration: underline; }
s, strike, del { text-decoration: line-through; }
big { font-size: 1.17em; }
small, sub, sup { font-size: 0.83em; }
sub { vertical-align: sub; }
sup { vertical-align: super; }
pre, tt, code, kbd, samp { font-family: monospace; }
pre { white-space: pre; }
center { text-align: center; }
hr { border: 1px inset #808080; margin-top: 0.5em; margin-bottom: 0.5em; }
ul, ol, dir, menu { padding-left: 40px; }
dd { margin-left: 40px; }
ul, menu, dir { list-style-type: disc; }
ol { list-style-type: decimal; }
ul ul, ol ul { list-style-type: circle; }
li { display: list-item; }
a[href] { color: #0000cc; text-decoration: underline; cursor: pointer; }
img { display: inline-block; }
table { display: table; border-collapse: separate; border-spacing: 2px; }
thead { display: table-header-group; vertical-align: middle; }
tbody { display: table-row-group; vertical-align: middle; }
tfoot { display: table-footer-group; vertical-align: middle; }
tr { display: table-row; vertical-align: inherit; }
td, th { display: table-cell; vertical-align: inherit; padding: 1px; }
th { text-align: center; }
caption { display: table-caption; text-align: center; }
col { display: table-column; }
colgroup { display: table-column-group; }
input, select, textarea, button { display: inline-block; border: 1px solid #808080; padding: 1px; }
br { display: block; }
)css";

constexpr size_t kSniffBytes = 4096;

std::string Lower(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// The charset token after "charset=" in the text, lower case; empty when
// there is none.
std::string CharsetAfter(std::string_view lower, size_t from)
{
    size_t at = lower.find("charset", from);
    if (at == std::string_view::npos)
        return std::string();
    at += 7;
    while (at < lower.size() && (lower[at] == ' ' || lower[at] == '\t'))
        ++at;
    if (at >= lower.size() || lower[at] != '=')
        return std::string();
    ++at;
    while (at < lower.size() && (lower[at] == ' ' || lower[at] == '"' || lower[at] == '\''))
        ++at;
    size_t end = at;
    while (end < lower.size()
        && ((lower[end] >= 'a' && lower[end] <= 'z') || (lower[end] >= '0' && lower[end] <= '9') || lower[end] == '-'
            || lower[end] == '_'))
        ++end;
    return std::string(lower.substr(at, end - at));
}

// The charset a <meta> tag names near the start of the page.
std::string MetaCharset(std::string_view bytes)
{
    const std::string lower = Lower(bytes.substr(0, kSniffBytes));
    for (size_t at = lower.find("<meta"); at != std::string::npos; at = lower.find("<meta", at + 5)) {
        const size_t close = lower.find('>', at);
        const std::string_view tag = std::string_view(lower).substr(at, close == std::string::npos ? close : close - at);
        std::string found = CharsetAfter(tag, 0);
        if (!found.empty())
            return found;
    }
    return std::string();
}

// The length of the well-formed UTF-8 character at the offset, or 0.
size_t Utf8Length(std::string_view bytes, size_t at)
{
    const auto lead = static_cast<uint8_t>(bytes[at]);
    size_t length = 0;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    else
        return 0;
    if (bytes.size() - at < length)
        return 0;
    for (size_t k = 1; k < length; ++k)
        if ((static_cast<uint8_t>(bytes[at + k]) & 0xC0) != 0x80)
            return 0;
    return length;
}

bool IsValidUtf8(std::string_view bytes)
{
    for (size_t i = 0; i < bytes.size();) {
        const size_t length = Utf8Length(bytes, i);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

std::string Latin1ToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        const auto b = static_cast<uint8_t>(c);
        if (b < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | b >> 6);
            out += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    return out;
}

bool IsGbkName(const std::string& name)
{
    return name == "gbk" || name == "gb2312" || name == "gb18030" || name == "x-gbk" || name == "cp936"
        || name == "windows-936" || name == "euc-cn" || name == "hz-gb-2312";
}

bool IsUtf8Name(const std::string& name) { return name == "utf-8" || name == "utf8"; }

bool IsLatin1Name(const std::string& name)
{
    return name == "iso-8859-1" || name == "latin1" || name == "windows-1252" || name == "us-ascii"
        || name == "ascii";
}

// Copies a UTF-8 text, turning every malformed sequence into U+FFFD, so the
// layout engine never meets broken bytes.
std::string CleanUtf8(std::string_view bytes)
{
    if (IsValidUtf8(bytes))
        return std::string(bytes);
    std::string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        const size_t length = Utf8Length(bytes, i);
        if (length == 0) {
            out += "\xEF\xBF\xBD";
            ++i;
        } else {
            out.append(bytes.substr(i, length));
            i += length;
        }
    }
    return out;
}

void BlendPixel(uint8_t* p, uint8_t blue, uint8_t green, uint8_t red, unsigned alpha)
{
    if (alpha == 0)
        return;
    if (alpha >= 255) {
        p[0] = blue;
        p[1] = green;
        p[2] = red;
    } else {
        p[0] = static_cast<uint8_t>((blue * alpha + p[0] * (255 - alpha) + 127) / 255);
        p[1] = static_cast<uint8_t>((green * alpha + p[1] * (255 - alpha) + 127) / 255);
        p[2] = static_cast<uint8_t>((red * alpha + p[2] * (255 - alpha) + 127) / 255);
    }
    p[3] = 255;
}

struct Box {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0; // half-open

    static Box Of(const litehtml::position& p) { return Box { p.x, p.y, p.x + p.width, p.y + p.height }; }
    Box Cut(const Box& o) const
    {
        return Box { std::max(x0, o.x0), std::max(y0, o.y0), std::min(x1, o.x1), std::min(y1, o.y1) };
    }
    bool Empty() const { return x0 >= x1 || y0 >= y1; }
};

constexpr int kFar = INT32_MAX / 4;
const Box kEverywhere { -kFar, -kFar, kFar, kFar };
// Rows of a page below this are never shown (a style may place things
// absurdly far down; the index of bands must stay small).
constexpr int kMaxPageRows = 1 << 22;

// Indices of things on a page by bands of rows, so that what lies in a few
// rows is found without looking at the whole page.
class BandIndex {
public:
    static constexpr int kBandRows = 128;

    void Add(uint32_t index, const Box& reach)
    {
        if (reach.Empty() || reach.y1 <= 0 || reach.y0 >= kMaxPageRows)
            return;
        const size_t first = static_cast<size_t>(std::max(reach.y0, 0) / kBandRows);
        const size_t last = static_cast<size_t>((std::min(reach.y1, kMaxPageRows) - 1) / kBandRows);
        if (m_bands.size() <= last)
            m_bands.resize(last + 1);
        for (size_t band = first; band <= last; ++band)
            m_bands[band].push_back(index);
    }
    // The indices of everything reaching rows [top, bottom), ascending.
    std::vector<uint32_t> Between(int top, int bottom) const
    {
        std::vector<uint32_t> found;
        if (bottom <= 0 || top >= kMaxPageRows || bottom <= top)
            return found;
        const size_t first = static_cast<size_t>(std::max(top, 0) / kBandRows);
        const size_t last = std::min(static_cast<size_t>((std::min(bottom, kMaxPageRows) - 1) / kBandRows) + 1,
            m_bands.size());
        for (size_t band = first; band < last; ++band)
            found.insert(found.end(), m_bands[band].begin(), m_bands[band].end());
        std::sort(found.begin(), found.end());
        found.erase(std::unique(found.begin(), found.end()), found.end());
        return found;
    }

private:
    std::vector<std::vector<uint32_t>> m_bands;
};

// One drawing operation of a laid-out page, in page coordinates, with the
// clip it was drawn under.
struct DrawItem {
    enum Kind : uint8_t { kFill, kText, kPicture };
    Kind kind = kFill;
    Box box; // fill: the area; text: the pen's start (x0, y0) and reach; picture: the area it covers
    Box clip = kEverywhere;
    litehtml::web_color colour;
    litehtml::uint_ptr font = 0;
    std::string text; // GBK
    std::shared_ptr<const Image> picture;
    int originX = 0;
    int originY = 0;
    int tileWidth = 0;
    int tileHeight = 0;
    bool repeatX = false;
    bool repeatY = false;
};

// What a page draws, recorded once after its layout (on the loading
// thread): drawing a view of the page then replays only the operations in
// the view's rows, however long the page.
struct DisplayList {
    std::vector<DrawItem> items;
    BandIndex index;

    void Add(DrawItem item)
    {
        const Box reach = item.box.Cut(item.clip);
        if (reach.Empty())
            return;
        index.Add(static_cast<uint32_t>(items.size()), reach);
        items.push_back(std::move(item));
    }
};

// The layout engine's drawing, recorded with the clips it asks for.
struct Recorder {
    DisplayList* list = nullptr;
    std::vector<Box> clips;

    Box Clip() const { return clips.empty() ? kEverywhere : clips.back(); }
    void Add(DrawItem item)
    {
        item.clip = Clip();
        list->Add(std::move(item));
    }
    void Fill(const Box& box, const litehtml::web_color& colour)
    {
        if (colour.alpha == 0)
            return;
        DrawItem item;
        item.box = box;
        item.colour = colour;
        Add(std::move(item));
    }
};

Recorder& CanvasOf(litehtml::uint_ptr hdc) { return *reinterpret_cast<Recorder*>(hdc); }

// The surface while a view of the page is painted.
struct Painter {
    Surface surface;

    uint8_t* At(int x, int y) const
    {
        return surface.pixels + static_cast<size_t>(y) * surface.stride + static_cast<size_t>(x) * 4;
    }
    void Fill(const Box& area, const litehtml::web_color& colour) const
    {
        for (int y = area.y0; y < area.y1; ++y)
            for (int x = area.x0; x < area.x1; ++x)
                BlendPixel(At(x, y), colour.blue, colour.green, colour.red, colour.alpha);
    }
};

Box Moved(const Box& box, int dx, int dy)
{
    const auto move = [](int v, int d) { return v <= -kFar || v >= kFar ? v : v + d; };
    return Box { move(box.x0, dx), move(box.y0, dy), move(box.x1, dx), move(box.y1, dy) };
}

std::string Trimmed(std::string_view text)
{
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; };
    std::string out;
    bool space = false;
    for (char c : text) {
        if (isSpace(c)) {
            space = !out.empty();
            continue;
        }
        if (space)
            out += ' ';
        space = false;
        out += c;
    }
    return out;
}

bool IsGenericFamily(const std::string& name)
{
    return name.empty() || name == "serif" || name == "sans-serif" || name == "monospace" || name == "cursive"
        || name == "fantasy" || name == "system-ui";
}

// The first family of a CSS font-family list.
std::string FirstFamily(const char* list)
{
    std::string_view all = list ? list : "";
    all = all.substr(0, all.find(','));
    std::string name = Trimmed(all);
    if (name.size() >= 2 && (name.front() == '"' || name.front() == '\'') && name.back() == name.front())
        name = name.substr(1, name.size() - 2);
    return name;
}

// Decodes one UTF-8 character (malformed input gives U+FFFD and one byte).
char32_t NextCodePoint(std::string_view text, size_t& at)
{
    const size_t length = Utf8Length(text, at);
    if (length == 0) {
        ++at;
        return 0xFFFD;
    }
    const auto lead = static_cast<uint8_t>(text[at]);
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k)
        c = c << 6 | (static_cast<uint8_t>(text[at + k]) & 0x3F);
    at += length;
    return c;
}

// Characters a line may break around without spaces: the CJK scripts.
bool BreaksAlone(char32_t c)
{
    return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7AF) || (c >= 0xF900 && c <= 0xFAFF)
        || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFFEF) || (c >= 0x20000 && c <= 0x2FFFF);
}

} // namespace

std::string DecodeHtml(std::string_view bytes, std::string_view contentType)
{
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF")
        return CleanUtf8(bytes.substr(3));
    std::string charset = CharsetAfter(Lower(contentType), 0);
    if (charset.empty())
        charset = MetaCharset(bytes);
    if (IsUtf8Name(charset))
        return CleanUtf8(bytes);
    if (IsGbkName(charset))
        return Gbk::ToUtf8(bytes);
    if (IsLatin1Name(charset))
        return Latin1ToUtf8(bytes);
    return IsValidUtf8(bytes) ? std::string(bytes) : Gbk::ToUtf8(bytes);
}

std::string ResolveUrl(const std::string& base, const std::string& reference)
{
    const std::string ref = Trimmed(reference);
    const litehtml::url parsed(ref);
    if (parsed.has_scheme() || base.empty())
        return ref;
    return litehtml::resolve(litehtml::url(base), parsed).string();
}

std::shared_ptr<const Image> DecodeImage(std::string_view bytes)
{
    int type = 0;
    if (bytes.substr(0, 8) == "\x89PNG\r\n\x1A\n")
        type = kImagePng;
    else if (bytes.substr(0, 4) == "GIF8")
        type = kImageGif;
    else if (bytes.substr(0, 3) == "\xFF\xD8\xFF")
        type = kImageJpg;
    else if (bytes.substr(0, 2) == "BM")
        type = kImageBmp;
    DecodedImage decoded;
    if (type == 0 || !ImageDecoder::Decode(bytes.data(), bytes.size(), type, decoded) || decoded.frames.empty())
        return nullptr;
    auto image = std::make_shared<Image>();
    image->width = decoded.width;
    image->height = decoded.height;
    const std::vector<uint8_t>& source = decoded.frames.front().pixels;
    const size_t count = static_cast<size_t>(decoded.width) * decoded.height;
    if (!decoded.indexed) {
        image->pixels = source;
        if (!decoded.alphaValid)
            for (size_t i = 0; i < count; ++i)
                image->pixels[i * 4 + 3] = 255;
        return image;
    }
    image->pixels.resize(count * 4);
    const size_t entries = decoded.palette.size() / 3;
    for (size_t i = 0; i < count; ++i) {
        const size_t index = source[i];
        uint8_t* out = &image->pixels[i * 4];
        if (index >= entries || static_cast<int>(index) == decoded.transparentIndex)
            continue; // stays transparent
        out[0] = decoded.palette[index * 3 + 2];
        out[1] = decoded.palette[index * 3 + 1];
        out[2] = decoded.palette[index * 3];
        out[3] = 255;
    }
    return image;
}

// Measures and draws for the layout engine with the program's glyphs.
class Page::Container final : public litehtml::document_container {
public:
    Container(const std::string& url, const FontChoice& fonts, const ResourceFetch& fetch, ImageMap known)
        : m_baseUrl(url)
        , m_fonts(fonts)
        , m_fetch(fetch)
        , m_images(std::move(known))
    {
    }

    void SetViewSize(int width, int height)
    {
        m_viewWidth = width;
        m_viewHeight = height;
    }
    const std::string& BaseUrl() const { return m_baseUrl; }
    const std::string& Title() const { return m_title; }
    const ImageMap& Images() const { return m_images; }
    void ForgetFetch() { m_fetch = nullptr; }

    void LoadImages(const ResourceFetch& fetch, const std::function<bool()>& cancelled)
    {
        size_t tried = 0;
        for (const std::string& url : m_wanted) {
            if (m_images.count(url) || tried >= kMaxImages || (cancelled && cancelled()))
                continue;
            ++tried;
            std::string body;
            std::shared_ptr<const Image> image = fetch && fetch(url, body) ? DecodeImage(body) : nullptr;
            m_images[url] = image; // a failed picture is not fetched again
        }
    }

    // litehtml::document_container
    litehtml::uint_ptr create_font(const litehtml::tchar_t* faceName, int size, int weight,
        litehtml::font_style italic, unsigned int decoration, litehtml::font_metrics* fm) override
    {
        Font font;
        std::string family = FirstFamily(faceName);
        font.face = Gbk::FromUtf8(IsGenericFamily(Lower(family)) ? m_fonts.face : family);
        font.size = std::clamp(size, 1, FontRenderer::kMaxSize);
        font.weight = weight;
        font.italic = italic == litehtml::fontStyleItalic;
        font.underline = (decoration & litehtml::font_decoration_underline) != 0;
        font.lineThrough = (decoration & litehtml::font_decoration_linethrough) != 0;
        Select(font);
        const FontMetrics& metrics = m_renderer.Metrics();
        if (fm) {
            fm->height = metrics.size;
            fm->ascent = metrics.baseline;
            fm->descent = metrics.size - metrics.baseline;
            fm->x_height = std::max(1, metrics.size / 2);
            fm->draw_spaces = font.italic || font.underline || font.lineThrough;
        }
        m_fontList.push_back(std::move(font));
        return m_fontList.size();
    }
    void delete_font(litehtml::uint_ptr) override { }
    int text_width(const litehtml::tchar_t* text, litehtml::uint_ptr hFont) override
    {
        if (!SelectHandle(hFont) || !text)
            return 0;
        return m_renderer.MeasureText(Gbk::FromUtf8(text));
    }
    void draw_text(litehtml::uint_ptr hdc, const litehtml::tchar_t* text, litehtml::uint_ptr hFont,
        litehtml::web_color color, const litehtml::position& pos) override
    {
        if (!SelectHandle(hFont) || !text)
            return;
        DrawItem item;
        item.kind = DrawItem::kText;
        item.text = Gbk::FromUtf8(text);
        item.font = hFont;
        item.colour = color;
        const int width = m_renderer.MeasureText(item.text);
        const int size = m_renderer.Metrics().size;
        // The reach leaves room for ink past the advance (italic, bold).
        item.box = Box { pos.x, pos.y, pos.x + width + size, pos.y + size };
        Recorder& recorder = CanvasOf(hdc);
        recorder.Add(std::move(item));
        const Font& font = m_fontList[hFont - 1];
        if (font.lineThrough) {
            const int thickness = std::max(1, font.size / 14);
            const int y = pos.y + font.size * 11 / 20;
            recorder.Fill(Box { pos.x, y, pos.x + width, y + thickness }, color);
        }
    }
    int pt_to_px(int pt) const override { return pt * 96 / 72; }
    int get_default_font_size() const override { return m_fonts.size; }
    const litehtml::tchar_t* get_default_font_name() const override { return m_fonts.face.c_str(); }
    void draw_list_marker(litehtml::uint_ptr hdc, const litehtml::list_marker& marker) override
    {
        Recorder& canvas = CanvasOf(hdc);
        const litehtml::position& p = marker.pos;
        if (marker.marker_type == litehtml::list_style_type_circle) {
            canvas.Fill(Box { p.x, p.y, p.x + p.width, p.y + 1 }, marker.color);
            canvas.Fill(Box { p.x, p.y + p.height - 1, p.x + p.width, p.y + p.height }, marker.color);
            canvas.Fill(Box { p.x, p.y, p.x + 1, p.y + p.height }, marker.color);
            canvas.Fill(Box { p.x + p.width - 1, p.y, p.x + p.width, p.y + p.height }, marker.color);
        } else if (marker.marker_type != litehtml::list_style_type_none) {
            canvas.Fill(Box::Of(p), marker.color);
        }
    }
    void load_image(const litehtml::tchar_t* src, const litehtml::tchar_t* baseurl, bool) override
    {
        const std::string url = ImageUrl(src, baseurl);
        if (!url.empty() && std::find(m_wanted.begin(), m_wanted.end(), url) == m_wanted.end())
            m_wanted.push_back(url);
    }
    void get_image_size(const litehtml::tchar_t* src, const litehtml::tchar_t* baseurl, litehtml::size& sz) override
    {
        const std::shared_ptr<const Image> image = FindImage(src, baseurl);
        sz.width = image ? image->width : 0;
        sz.height = image ? image->height : 0;
    }
    void draw_background(litehtml::uint_ptr hdc, const litehtml::background_paint& bg) override
    {
        Recorder& canvas = CanvasOf(hdc);
        const Box clip = Box::Of(bg.clip_box);
        if (bg.image.empty()) {
            canvas.Fill(clip, bg.color);
            return;
        }
        std::shared_ptr<const Image> image = FindImage(bg.image.c_str(), bg.baseurl.c_str());
        if (!image || image->width <= 0 || image->height <= 0 || bg.image_size.width <= 0 || bg.image_size.height <= 0)
            return;
        DrawItem item;
        item.kind = DrawItem::kPicture;
        item.picture = std::move(image);
        item.originX = bg.position_x;
        item.originY = bg.position_y;
        item.tileWidth = bg.image_size.width;
        item.tileHeight = bg.image_size.height;
        item.repeatX = bg.repeat == litehtml::background_repeat_repeat || bg.repeat == litehtml::background_repeat_repeat_x;
        item.repeatY = bg.repeat == litehtml::background_repeat_repeat || bg.repeat == litehtml::background_repeat_repeat_y;
        item.box = clip;
        if (!item.repeatX)
            item.box = item.box.Cut(Box { item.originX, -kFar, item.originX + item.tileWidth, kFar });
        if (!item.repeatY)
            item.box = item.box.Cut(Box { -kFar, item.originY, kFar, item.originY + item.tileHeight });
        canvas.Add(std::move(item));
    }
    void draw_borders(litehtml::uint_ptr hdc, const litehtml::borders& borders, const litehtml::position& draw_pos,
        bool) override
    {
        Recorder& canvas = CanvasOf(hdc);
        const Box b = Box::Of(draw_pos);
        auto visible = [](const litehtml::border& side) {
            return side.width > 0 && side.style != litehtml::border_style_none
                && side.style != litehtml::border_style_hidden;
        };
        if (visible(borders.top))
            canvas.Fill(Box { b.x0, b.y0, b.x1, b.y0 + borders.top.width }, borders.top.color);
        if (visible(borders.bottom))
            canvas.Fill(Box { b.x0, b.y1 - borders.bottom.width, b.x1, b.y1 }, borders.bottom.color);
        if (visible(borders.left))
            canvas.Fill(Box { b.x0, b.y0, b.x0 + borders.left.width, b.y1 }, borders.left.color);
        if (visible(borders.right))
            canvas.Fill(Box { b.x1 - borders.right.width, b.y0, b.x1, b.y1 }, borders.right.color);
    }
    void set_caption(const litehtml::tchar_t* caption) override { m_title = caption ? caption : ""; }
    void set_base_url(const litehtml::tchar_t* base_url) override
    {
        if (base_url && *base_url)
            m_baseUrl = ResolveUrl(m_baseUrl, base_url);
    }
    void link(const std::shared_ptr<litehtml::document>&, const litehtml::element::ptr&) override { }
    // Links are followed by the view, which asks the page where they are.
    void on_anchor_click(const litehtml::tchar_t*, const litehtml::element::ptr&) override { }
    void set_cursor(const litehtml::tchar_t*) override { }
    void transform_text(litehtml::tstring& text, litehtml::text_transform tt) override
    {
        if (tt == litehtml::text_transform_uppercase)
            for (char& c : text)
                c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        else if (tt == litehtml::text_transform_lowercase)
            text = Lower(text);
        else if (tt == litehtml::text_transform_capitalize && !text.empty() && text[0] >= 'a' && text[0] <= 'z')
            text[0] = static_cast<char>(text[0] - 'a' + 'A');
    }
    void import_css(litehtml::tstring& text, const litehtml::tstring& url, litehtml::tstring& baseurl) override
    {
        const std::string address = ResolveUrl(baseurl.empty() ? m_baseUrl : baseurl, url);
        std::string body;
        if (m_fetch && ++m_stylesheets <= kMaxStylesheets && m_fetch(address, body)) {
            text = DecodeHtml(body, std::string_view());
            baseurl = address;
        }
    }
    void set_clip(const litehtml::position& pos, const litehtml::border_radiuses&, bool valid_x, bool valid_y) override
    {
        // Clips are asked for only while the page is recorded.
        if (!m_canvas)
            return;
        Box b = Box::Of(pos);
        if (!valid_x) {
            b.x0 = -kFar;
            b.x1 = kFar;
        }
        if (!valid_y) {
            b.y0 = -kFar;
            b.y1 = kFar;
        }
        m_canvas->clips.push_back(m_canvas->clips.empty() ? b : b.Cut(m_canvas->clips.back()));
    }
    void del_clip() override
    {
        if (m_canvas && !m_canvas->clips.empty())
            m_canvas->clips.pop_back();
    }
    void get_client_rect(litehtml::position& client) const override
    {
        client = litehtml::position(0, 0, m_viewWidth, m_viewHeight);
    }
    std::shared_ptr<litehtml::element> create_element(const litehtml::tchar_t*, const litehtml::string_map&,
        const std::shared_ptr<litehtml::document>&) override
    {
        return nullptr;
    }
    void get_media_features(litehtml::media_features& media) const override
    {
        media.type = litehtml::media_type_screen;
        media.width = m_viewWidth;
        media.height = m_viewHeight;
        media.device_width = m_viewWidth;
        media.device_height = m_viewHeight;
        media.color = 8;
        media.monochrome = 0;
        media.color_index = 256;
        media.resolution = 96;
    }
    void get_language(litehtml::tstring& language, litehtml::tstring& culture) const override
    {
        language = "zh";
        culture = "zh-CN";
    }
    // Chinese text has no spaces between its words: each CJK character is
    // a word of its own, so lines can break between any two of them.
    void split_text(const char* text, const std::function<void(const litehtml::tchar_t*)>& on_word,
        const std::function<void(const litehtml::tchar_t*)>& on_space) override
    {
        const std::string_view all = text ? text : "";
        std::string word;
        auto flush = [&] {
            if (!word.empty())
                on_word(word.c_str());
            word.clear();
        };
        for (size_t at = 0; at < all.size();) {
            const size_t start = at;
            const char32_t c = NextCodePoint(all, at);
            const std::string piece(all.substr(start, at - start));
            if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f') {
                flush();
                on_space(piece.c_str());
            } else if (BreaksAlone(c)) {
                flush();
                on_word(piece.c_str());
            } else {
                word += piece;
            }
        }
        flush();
    }

    void BeginRecord(Recorder* recorder) { m_canvas = recorder; }

    // Replays the recorded operations that reach the view at the scroll
    // offsets.
    void Paint(const DisplayList& list, const Surface& surface, int scrollX, int scrollY)
    {
        const Painter painter { surface };
        const Box view { 0, 0, surface.width, surface.height };
        for (const uint32_t index : list.index.Between(scrollY, scrollY + surface.height)) {
            const DrawItem& item = list.items[index];
            const Box clip = Moved(item.clip, -scrollX, -scrollY).Cut(view);
            const Box box = Moved(item.box, -scrollX, -scrollY);
            switch (item.kind) {
            case DrawItem::kFill:
                painter.Fill(box.Cut(clip), item.colour);
                break;
            case DrawItem::kText:
                PaintText(painter, clip, item, box.x0, box.y0);
                break;
            case DrawItem::kPicture:
                PaintPicture(painter, box.Cut(clip), item, item.originX - scrollX, item.originY - scrollY);
                break;
            }
        }
    }

private:
    static constexpr int kMaxStylesheets = 16;

    struct Font {
        std::string face; // GBK
        int size = 12;
        int weight = 400;
        bool italic = false;
        bool underline = false;
        bool lineThrough = false;
    };

    void Select(const Font& font) { m_renderer.SelectFont(font.size, font.weight, font.face, font.italic, font.underline); }
    bool SelectHandle(litehtml::uint_ptr handle)
    {
        if (handle == 0 || handle > m_fontList.size())
            return false;
        Select(m_fontList[handle - 1]);
        return true;
    }

    std::string ImageUrl(const char* src, const char* baseurl) const
    {
        if (!src || !*src)
            return std::string();
        return ResolveUrl(baseurl && *baseurl ? ResolveUrl(m_baseUrl, baseurl) : m_baseUrl, src);
    }
    std::shared_ptr<const Image> FindImage(const char* src, const char* baseurl) const
    {
        auto found = m_images.find(ImageUrl(src, baseurl));
        return found == m_images.end() ? nullptr : found->second;
    }

    void PaintText(const Painter& painter, const Box& clip, const DrawItem& item, int left, int top)
    {
        if (clip.Empty() || !SelectHandle(item.font))
            return;
        const std::string& text = item.text;
        int x = left;
        for (size_t at = 0; at < text.size() && x < clip.x1;) {
            const size_t length = Gbk::IsLeadByte(static_cast<uint8_t>(text[at])) && at + 1 < text.size() ? 2 : 1;
            const GlyphImage& glyph = m_renderer.RenderGlyph(std::string_view(text).substr(at, length));
            const Box b = Box { x, top, x + glyph.width, top + glyph.height }.Cut(clip);
            for (int y = b.y0; y < b.y1; ++y)
                for (int gx = b.x0; gx < b.x1; ++gx) {
                    const unsigned cover = glyph.At(gx - x, y - top);
                    if (cover)
                        BlendPixel(painter.At(gx, y), item.colour.blue, item.colour.green, item.colour.red,
                            cover * item.colour.alpha / 255);
                }
            x += glyph.advance;
            at += length;
        }
    }

    // The picture scaled to its tile size from the origin, repeated as
    // recorded, over the area.
    static void PaintPicture(const Painter& painter, const Box& area, const DrawItem& item, int originX, int originY)
    {
        const Image& image = *item.picture;
        const int w = item.tileWidth;
        const int h = item.tileHeight;
        for (int y = area.y0; y < area.y1; ++y) {
            const int ty = ((y - originY) % h + h) % h;
            const int sy = static_cast<int>(static_cast<int64_t>(ty) * image.height / h);
            for (int x = area.x0; x < area.x1; ++x) {
                const int tx = ((x - originX) % w + w) % w;
                const int sx = static_cast<int>(static_cast<int64_t>(tx) * image.width / w);
                const uint8_t* s = &image.pixels[(static_cast<size_t>(sy) * image.width + sx) * 4];
                BlendPixel(painter.At(x, y), s[0], s[1], s[2], s[3]);
            }
        }
    }

    std::string m_baseUrl;
    FontChoice m_fonts;
    ResourceFetch m_fetch;
    ImageMap m_images;
    std::vector<std::string> m_wanted;
    std::string m_title;
    int m_stylesheets = 0;
    int m_viewWidth = 0;
    int m_viewHeight = 0;
    FontRenderer m_renderer;
    std::vector<Font> m_fontList;
    Recorder* m_canvas = nullptr; // while the page is recorded
};

namespace {

// Where a link can be clicked: its own box when it is laid out as a box,
// and the boxes of what it holds (its words and pictures, and boxes inside
// it).
void AddLinkBoxes(const litehtml::element::ptr& el, std::vector<Box>& boxes)
{
    const size_t children = el->get_children_count();
    if (children == 0 || el->get_display() != litehtml::display_inline) {
        const Box box = Box::Of(el->get_placement());
        if (!box.Empty())
            boxes.push_back(box);
    }
    for (size_t i = 0; i < children; ++i)
        AddLinkBoxes(el->get_child(static_cast<int>(i)), boxes);
}

} // namespace

// The document and the context whose master stylesheet it uses (the
// document goes first, while the container it calls is still there), and
// what the user-interface thread asks of the laid-out page: its drawing
// and its links, made ready with the layout.
struct Page::Document {
    litehtml::context context;
    litehtml::document::ptr document;
    int layoutWidth = 0;
    DisplayList drawing;
    std::vector<PageLink> links;
    std::vector<std::pair<Box, uint32_t>> linkBoxes; // the box and its link
    BandIndex linkIndex;
};

Page::Page(std::string url, std::string html, const FontChoice& fonts, const ResourceFetch& fetch, ImageMap known)
    : m_url(std::move(url))
    , m_html(std::move(html))
    , m_container(std::make_unique<Container>(m_url, fonts, fetch, std::move(known)))
    , m_document(std::make_unique<Document>())
{
    m_document->context.load_master_stylesheet(kMasterCss);
    m_document->document
        = litehtml::document::createFromUTF8(m_html.c_str(), m_container.get(), &m_document->context);
    m_container->ForgetFetch();
}

Page::~Page()
{
    m_document.reset();
}

void Page::LoadImages(const ResourceFetch& fetch, const std::function<bool()>& cancelled)
{
    m_container->LoadImages(fetch, cancelled);
}

void Page::Layout(int width, int height)
{
    Document& d = *m_document;
    m_container->SetViewSize(width, height);
    d.layoutWidth = width;
    d.drawing = DisplayList();
    d.links.clear();
    d.linkBoxes.clear();
    d.linkIndex = BandIndex();
    if (!d.document || !d.document->root())
        return;
    d.document->render(std::max(width, 1));

    Recorder recorder;
    recorder.list = &d.drawing;
    m_container->BeginRecord(&recorder);
    const litehtml::position everywhere(-kFar, -kFar, 2 * kFar, 2 * kFar);
    d.document->draw(reinterpret_cast<litehtml::uint_ptr>(&recorder), 0, 0, &everywhere);
    m_container->BeginRecord(nullptr);

    for (const litehtml::element::ptr& el : d.document->root()->select_all(std::string("a"))) {
        const char* href = el->get_attr("href");
        if (!href)
            continue;
        std::string text;
        el->get_text(text);
        const auto link = static_cast<uint32_t>(d.links.size());
        d.links.push_back(PageLink { Trimmed(text), ResolveUrl(m_container->BaseUrl(), href) });
        std::vector<Box> boxes;
        AddLinkBoxes(el, boxes);
        for (const Box& box : boxes) {
            d.linkIndex.Add(static_cast<uint32_t>(d.linkBoxes.size()), box);
            d.linkBoxes.emplace_back(box, link);
        }
    }
}

int Page::LayoutWidth() const { return m_document->layoutWidth; }
int Page::ContentWidth() const { return m_document->document ? m_document->document->width() : 0; }
int Page::ContentHeight() const { return m_document->document ? m_document->document->height() : 0; }

void Page::Draw(const Surface& surface, int scrollX, int scrollY)
{
    if (surface.pixels)
        m_container->Paint(m_document->drawing, surface, scrollX, scrollY);
}

std::string Page::LinkAt(int x, int y, int scrollX, int scrollY) const
{
    const int px = x + scrollX;
    const int py = y + scrollY;
    const Document& d = *m_document;
    // The last link in document order that covers the point: an inner
    // link comes after the one around it.
    std::optional<uint32_t> hit;
    for (const uint32_t index : d.linkIndex.Between(py, py + 1)) {
        const auto& [box, link] = d.linkBoxes[index];
        if (px >= box.x0 && px < box.x1 && py >= box.y0 && py < box.y1 && (!hit || link > *hit))
            hit = link;
    }
    return hit ? d.links[*hit].url : std::string();
}

const std::vector<PageLink>& Page::Links() const { return m_document->links; }

const std::string& Page::Title() const { return m_container->Title(); }
const ImageMap& Page::Images() const { return m_container->Images(); }

} // namespace platform::html
