#include "engine/text/TextRenderer.h"

#include "engine/core/EngineDailyLog.h"
#include "engine/core/EngineFiles.h"
#include "engine/core/EngineParse.h"
#include "platform/FontRenderer.h"
#include "platform/Gbk.h"

#include <algorithm>
#include <cstring>

namespace engine {

namespace {

// Layout targets of the measuring operations: wide and high enough never to
// wrap or stop.
constexpr int kMeasureWidth = 9999999;
constexpr int kMeasureHeight = 999999;

bool IsTagSpace(char c)
{
    return c == ' ';
}

} // namespace

TextRenderer::TextRenderer() = default;

TextRenderer::~TextRenderer()
{
    Destroy();
}

void TextRenderer::Init()
{
    m_style = TextStyle {};
    m_font = std::make_unique<platform::FontRenderer>();
    if (!m_font->SelectFont(12, 400, "宋体", false, false)) {
        // No font at all: the renderer still lays text out and measures it.
        EngineDailyLog("字体创建错误，m_hBitmap==NULL||m_data==NULL");
        ShowLastErrorBox("字体创建");
        m_font.reset();
    } else {
        m_font->EnableGlyphCache(m_cacheGlyphs);
    }
    m_fontSelected = false;
    SetColour(kDefaultTextColour);
    m_style.charSpacing = 0;
    m_style.rowSpacing = 0;
    ClearTagList();
    m_lineStartStyle = TextStyle {};
}

void TextRenderer::Destroy()
{
    m_font.reset();
    m_fontSelected = false;
}

void TextRenderer::EnableGlyphCache(bool enable)
{
    m_cacheGlyphs = enable;
    if (m_font)
        m_font->EnableGlyphCache(enable);
}

// Style.

void TextRenderer::SelectFont(int size, int weight, std::string_view face, int italic, int underline)
{
    size_t faceLength = face.size();
    if (faceLength >= kTextFaceBytes) {
        TextStyle cut;
        cut.SetFace(face);
        face = std::string_view(face.data(), cut.Face().size());
    }
    if (m_fontSelected && size == m_style.size && weight == m_style.weight && italic == m_style.italic
        && underline == m_style.underline && face == m_style.Face())
        return;
    size = std::clamp(size, 0, kMaxTextSize);
    m_style.size = size;
    m_style.fullAdvance = size;
    m_style.weight = weight;
    m_style.italic = italic;
    m_style.underline = underline;
    m_style.SetFace(face);
    if (m_font)
        m_font->SelectFont(size, weight, m_style.Face(), italic != 0, underline != 0);
    m_fontSelected = true;
    UpdateLineMetrics();
}

int TextRenderer::SetStyle(const TextStyle& style)
{
    SelectFont(style.size, style.weight, style.Face(), style.italic, style.underline);
    SetColour(style.colour);
    m_style = style;
    m_style.size = std::min(m_style.size, kMaxTextSize);
    m_style.fullAdvance = m_style.size;
    UpdateLineMetrics();
    return static_cast<int>(m_style.colour & 0xff);
}

int TextRenderer::SetColour(uint32_t colour)
{
    m_style.colour = colour;
    m_blue = static_cast<uint8_t>(colour >> 16);
    m_green = static_cast<uint8_t>(colour >> 8);
    m_red = static_cast<uint8_t>(colour);
    return static_cast<int>(colour & 0xff);
}

void TextRenderer::SetFontSize(int size)
{
    SelectFont(size, m_style.weight, m_style.Face(), 0, 0);
}

void TextRenderer::UpdateLineMetrics()
{
    m_style.fullAdvance = m_style.size;
    m_halfAdvance = (m_style.size + 1) / 2;
}

// Drawing and measuring.

int TextRenderer::DrawText(uint8_t* target, int width, int height, int x, int y, std::string_view text)
{
    return Layout(target, width, height, x, y, text, false);
}

void TextRenderer::MeasureText(int x, int y, std::string_view text, int& width, int& height)
{
    height = Layout(nullptr, kMeasureWidth, kMeasureHeight, x, y, text, true);
    width = m_maxX;
}

int TextRenderer::MeasureHeight(int width, std::string_view text)
{
    return Layout(nullptr, width, kMeasureHeight, 0, 0, text, true);
}

int TextRenderer::Layout(uint8_t* target, int width, int height, int x, int y, std::string_view text, bool measuring)
{
    // No font can be made this large: nothing to lay out.
    if (m_style.size >= kMaxTextSize) {
        m_maxX = x;
        return y;
    }
    m_index = 0;
    m_target = target;
    m_width = width;
    m_height = height;
    m_measuring = measuring;
    m_maxX = 0;
    m_saved = m_style;
    UpdateLineMetrics();
    SetColour(m_style.colour);
    m_penX = x;
    if (m_style.leftMargin > 0 && x < m_style.leftMargin)
        m_penX = m_style.leftMargin;
    m_lineTop = y;
    m_lineStartX = m_penX;
    m_lineHeight = 1;
    m_lineBottom = y + 1;
    m_lineStartIndex = 0;
    m_lineHasGlyph = false;
    m_drawing = false;
    m_lineStartStyle = m_style;

    const size_t length = text.size();
    bool stopped = false;
    m_idleLines = 0;
    while (m_index < length && !stopped) {
        const uint8_t byte = static_cast<uint8_t>(text[m_index]);
        if (byte == '\n') {
            ++m_index;
            if (m_drawing)
                m_idleLines = 0;
            NewLine();
            continue;
        }
        if (byte == '<') {
            size_t close = 0;
            for (size_t k = 1; k <= kMaxTagBytes && m_index + k < length; ++k) {
                char c = text[m_index + k];
                if (c == '\0')
                    break;
                if (c == '>') {
                    close = k;
                    break;
                }
            }
            if (close >= 2 && ParseTag(text.substr(m_index + 1, close - 1))) {
                m_index += close + 1;
                if (m_penX >= m_width - m_style.rightMargin
                    || (!m_drawing && !m_measuring && m_index >= length))
                    NewLine();
                continue;
            }
            // Not a tag: the '<' is drawn as a character.
        }

        const bool full = platform::Gbk::IsLeadByte(byte);
        const size_t bytes = full ? std::min<size_t>(2, length - m_index) : 1;
        const int advance = full ? m_style.size : m_halfAdvance;
        const int spacing = full ? 2 * m_style.charSpacing : m_style.charSpacing;
        if (m_width - m_style.rightMargin < m_penX + advance + spacing) {
            // Measuring places a character that cannot fit even at the
            // start of an empty line there anyway when the target holds it,
            // so that wrapping always makes progress. Drawing never puts it
            // into the margin: it wraps or stops as for any character, and
            // lines that take nothing end the draw.
            const bool emptyLine = !m_lineHasGlyph && m_penX == m_lineStartX;
            if (!(m_measuring && emptyLine && m_width >= m_penX + advance)) {
                // While a line is laid out, every way out hands the line to
                // its drawing pass, which meets the same place again and
                // decides there; so what came before a stop is still drawn.
                const bool layoutPass = !m_drawing && !m_measuring;
                const bool stop = !m_style.wrap
                    || (m_drawing && m_height < m_lineTop + m_style.size + m_lineHeight + m_style.rowSpacing);
                if (!stop) {
                    // A drawn line that took nothing: twice in a row means
                    // the next line would start the same way again (a line
                    // of no height, a margin beyond the target), so stop.
                    if (!layoutPass)
                        m_idleLines = !m_lineHasGlyph && m_index == m_lineStartIndex ? m_idleLines + 1 : 0;
                    NewLine();
                    if (layoutPass || (m_idleLines < 2 && m_width >= m_penX + advance))
                        continue;
                } else if (layoutPass) {
                    RewindLine();
                    continue;
                }
                stopped = true;
                break;
            }
        }
        if (m_penX != m_lineStartX)
            m_penX += spacing;
        DrawGlyph(text.substr(m_index, bytes));
        m_index += bytes;
        m_maxX = std::max(m_maxX, m_penX + m_style.rightMargin);
        if (m_index >= length && !m_drawing && !m_measuring)
            NewLine();
    }
    m_style = m_saved;
    UpdateLineMetrics();
    SetColour(m_style.colour);
    if (m_font && m_fontSelected)
        m_font->SelectFont(m_style.size, m_style.weight, m_style.Face(), m_style.italic != 0, m_style.underline != 0);
    m_target = nullptr;
    m_finalHeight = m_lineBottom;
    return m_lineBottom;
}

void TextRenderer::NewLine()
{
    if (!m_drawing && !m_measuring) {
        RewindLine();
        return;
    }
    m_lineTop += m_lineHeight + m_style.rowSpacing;
    m_penX = m_style.leftMargin;
    m_lineStartX = m_penX;
    m_lineHeight = m_measuring ? 1 : m_style.size;
    m_lineBottom = m_lineTop + m_lineHeight;
    m_lineStartIndex = m_index;
    m_lineStartStyle = m_style;
    m_lineHasGlyph = false;
    m_drawing = false;
}

void TextRenderer::RewindLine()
{
    m_index = m_lineStartIndex;
    m_penX = m_lineStartX;
    SetStyle(m_lineStartStyle);
    m_lineHasGlyph = false;
    m_drawing = true;
}

void TextRenderer::DrawGlyph(std::string_view bytes)
{
    const int advance
        = platform::Gbk::IsLeadByte(static_cast<uint8_t>(bytes[0])) ? m_style.fullAdvance : m_halfAdvance;
    if (m_lineHeight < m_style.size) {
        m_lineHeight = m_style.size;
        m_lineBottom = m_lineTop + m_style.size;
    }
    const bool blankSpace = bytes[0] == ' ' && !m_style.underline;
    if (m_drawing && !blankSpace && m_target && m_font && m_fontSelected) {
        BlendGlyph(m_font->RenderGlyph(bytes), advance, m_lineBottom - m_style.size);
    }
    m_penX += advance;
    m_lineHasGlyph = true;
    if (m_drawing)
        m_idleLines = 0;
}

void TextRenderer::BlendGlyph(const platform::GlyphImage& glyph, int advance, int top)
{
    const int size = m_style.size;
    const int alpha = m_style.alpha;
    const int rowEnd = std::min(size, m_height - top);
    const int columnStart = std::max(0, -m_penX);
    const int columnEnd = std::min({ advance, m_width - m_penX, glyph.width });
    const int rows = std::min(rowEnd, glyph.height);
    for (int i = std::max(0, -top); i < rows; ++i) {
        const uint8_t* coverage = glyph.coverage.data() + static_cast<size_t>(i) * glyph.width;
        const size_t rowBase = static_cast<size_t>(top + i) * static_cast<size_t>(m_width);
        for (int j = columnStart; j < columnEnd; ++j) {
            int k = coverage[j];
            if (k == 0)
                continue;
            if (alpha != 255)
                k = k * alpha >> 8;
            uint8_t* p = m_target + (rowBase + static_cast<size_t>(m_penX + j)) * 4;
            if (p[3] == 0) {
                p[0] = m_blue;
                p[1] = m_green;
                p[2] = m_red;
                p[3] = static_cast<uint8_t>(k);
            } else {
                const int rest = 255 - k;
                p[0] = static_cast<uint8_t>((m_blue * k + p[0] * rest) >> 8);
                p[1] = static_cast<uint8_t>((m_green * k + p[1] * rest) >> 8);
                p[2] = static_cast<uint8_t>((m_red * k + p[2] * rest) >> 8);
                p[3] = static_cast<uint8_t>(std::max<int>(k, p[3]));
            }
        }
    }
}

// Tags.

bool TextRenderer::ParseTag(std::string_view content)
{
    if (content.empty() || content.size() >= kMaxTagBytes)
        return false;
    std::string tag(content);
    ToLowerAscii(tag);
    // The first word runs to ':' or the end.
    size_t start = 0;
    while (start < tag.size() && IsTagSpace(tag[start]))
        ++start;
    size_t colon = tag.find(':', start);
    std::string_view first = std::string_view(tag).substr(start, colon == std::string::npos ? std::string::npos : colon - start);
    if (first == "script") {
        m_scriptTags.push_back(tag);
        m_scriptIndex = 0;
        return true;
    }
    if (first == "//")
        return true;

    bool applied = false;
    size_t i = 0;
    const size_t n = tag.size();
    while (i < n) {
        while (i < n && (IsTagSpace(tag[i]) || tag[i] == ';'))
            ++i;
        size_t keyStart = i;
        while (i < n && tag[i] != '=' && !(tag[i] == ';' && i > keyStart))
            ++i;
        std::string_view key = std::string_view(tag).substr(keyStart, i - keyStart);
        std::string_view value;
        if (i < n) {
            while (i < n && (IsTagSpace(tag[i]) || tag[i] == '='))
                ++i;
            size_t valueStart = i;
            while (i < n && tag[i] != ';')
                ++i;
            value = std::string_view(tag).substr(valueStart, i - valueStart);
        }
        if (!ApplyTag(key, value))
            return applied;
        applied = true;
    }
    return applied;
}

bool TextRenderer::ApplyTag(std::string_view key, std::string_view value)
{
    const int number = ParseInt(value);
    // Spacings and margins from a text (which may come from another
    // player) are held to what a line could ever use, so that pen and line
    // arithmetic cannot overflow.
    const int pixels = std::clamp(number, -kMaxTextOffset, kMaxTextOffset);
    TextStyle& s = m_style;
    if (key == "color" || key == "c") {
        m_saved.colour = s.colour;
        SetColour(static_cast<uint32_t>(number));
    } else if (key == "rgb") {
        std::vector<std::string> parts;
        if (SplitCommaList(value, parts) != 3)
            return false;
        uint32_t r = static_cast<uint32_t>(ParseInt(parts[0]));
        uint32_t g = static_cast<uint32_t>(ParseInt(parts[1]));
        uint32_t b = static_cast<uint32_t>(ParseInt(parts[2]));
        m_saved.colour = s.colour;
        SetColour((r & 0xff) | (g << 8 & 0xffff) | (b << 16 & 0xffffff));
    } else if (key == "/color") {
        SetColour(m_saved.colour);
    } else if (key == "size") {
        SetFontSize(number);
    } else if (key == "/size") {
        SetFontSize(m_saved.size);
    } else if (key == "fontname") {
        std::string face = StripQuotes(value);
        SelectFont(s.size, s.weight, face, 0, 0);
    } else if (key == "/fontname") {
        std::string face(m_saved.Face());
        SelectFont(s.size, s.weight, face, 0, 0);
    } else if (key == "bold") {
        std::string face(s.Face());
        SelectFont(s.size, value.empty() ? 700 : number, face, 0, 0);
    } else if (key == "/bold") {
        std::string face(s.Face());
        SelectFont(s.size, m_saved.weight, face, 0, 0);
    } else if (key == "underline" || key == "/underline") {
        std::string face(s.Face());
        SelectFont(s.size, s.weight, face, s.italic, key == "underline" ? 1 : 0);
    } else if (key == "italic" || key == "/italic") {
        std::string face(s.Face());
        SelectFont(s.size, s.weight, face, key == "italic" ? 1 : 0, s.underline);
    } else if (key == "rowspace") {
        s.rowSpacing = pixels;
    } else if (key == "/rowspace") {
        s.rowSpacing = m_saved.rowSpacing;
    } else if (key == "pitch") {
        s.charSpacing = pixels;
    } else if (key == "/pitch") {
        s.charSpacing = m_saved.charSpacing;
    } else if (key == "rightmargin") {
        s.rightMargin = pixels;
    } else if (key == "/rightmargin") {
        s.rightMargin = m_saved.rightMargin;
    } else if (key == "leftmargin") {
        s.leftMargin = pixels;
        m_lineStartX = std::max(m_lineStartX, pixels);
    } else if (key == "/leftmargin") {
        s.leftMargin = m_saved.leftMargin;
    } else if (key == "break") {
        m_penX = m_width - s.rightMargin;
    } else {
        return false;
    }
    return true;
}

void TextRenderer::ClearTagList()
{
    m_scriptTags.clear();
    m_scriptIndex = -1;
}

} // namespace engine
