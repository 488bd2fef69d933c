#include "platform/FontRenderer.h"

#include "platform/Gbk.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SIZES_H

#include <algorithm>
#include <cstdio>
#include <map>
#include <mutex>
#include <tuple>
#include <unordered_map>

namespace platform {

// The program's face-name mapping (kbzn-fonts.conf), compiled in.
extern const char* const kFontConfigText;

struct FontRenderer::Face {
    FT_Face ft = nullptr;
};

namespace {

struct Resolution {
    FontRenderer::Face* face = nullptr;
    bool syntheticBold = false;
    bool syntheticItalic = false;
};

// The face used where the one asked for is not installed (UTF-8).
const std::string kDefaultFace = reinterpret_cast<const char*>(u8"宋体");

// The row of the baseline in a cell of size rows. Chinese characters fill
// the em box, so the baseline is placed where the box of the face's
// ideographs fits the cell (GDI fonts for Chinese put their ascent and
// descent exactly there). A face without ideographs divides the cell as its
// ascender and descender divide its height.
int BaselineRow(FT_Face face, int size)
{
    const long em = face->units_per_EM > 0 ? face->units_per_EM : 1000;
    long top = 0;
    long bottom = 0;
    bool found = false;
    for (char32_t reference : { U'永', U'国', U'定' }) {
        FT_UInt index = FT_Get_Char_Index(face, reference);
        if (index == 0 || FT_Load_Glyph(face, index, FT_LOAD_NO_SCALE) != 0)
            continue;
        const FT_Glyph_Metrics& m = face->glyph->metrics;
        top = found ? std::max<long>(top, m.horiBearingY) : m.horiBearingY;
        bottom = found ? std::min<long>(bottom, m.horiBearingY - m.height) : m.horiBearingY - m.height;
        found = true;
    }
    long above = 0;
    long span = 0;
    if (found && top > bottom) {
        long slack = std::max<long>(0, em - (top - bottom));
        above = top + slack / 2;
        span = std::max(em, top - bottom);
    } else {
        above = std::max<long>(face->ascender, 1);
        span = above + std::max<long>(-face->descender, 0);
    }
    return std::clamp(static_cast<int>((size * above + span / 2) / span), 1, size);
}

} // namespace

// Fonts loaded by every renderer of the process: the fontconfig setup with
// the program's mapping, the FreeType library and every face opened so far.
// Kept for the process's life once made; the lock guards FreeType, which
// is not thread-safe, and the maps.
class FontRenderer::Catalog {
public:
    static std::shared_ptr<Catalog> Instance()
    {
        static std::shared_ptr<Catalog> instance = std::make_shared<Catalog>();
        return instance;
    }

    Catalog()
    {
        if (FT_Init_FreeType(&m_library) != 0) {
            m_library = nullptr;
            std::fprintf(stderr, "platform: FreeType cannot start\n");
        }
        m_config = FcInitLoadConfig();
        if (m_config) {
            if (!FcConfigParseAndLoadFromMemory(m_config, reinterpret_cast<const FcChar8*>(kFontConfigText), FcTrue))
                std::fprintf(stderr, "platform: the font name mapping cannot be loaded\n");
            if (!FcConfigBuildFonts(m_config))
                std::fprintf(stderr, "platform: fontconfig cannot list the fonts\n");
        }
    }

    ~Catalog()
    {
        for (auto& [key, face] : m_faces)
            if (face->ft)
                FT_Done_Face(face->ft);
        m_faces.clear();
        if (m_library)
            FT_Done_FreeType(m_library);
        if (m_config)
            FcConfigDestroy(m_config);
    }

    std::mutex& Lock() { return m_lock; }

    // Caller holds the lock.
    Resolution Resolve(const std::string& gbkName, bool bold, bool italic)
    {
        auto key = std::make_tuple(gbkName, bold, italic);
        auto found = m_resolved.find(key);
        if (found != m_resolved.end())
            return found->second;
        Resolution r = Match(gbkName, bold, italic);
        m_resolved[key] = r;
        return r;
    }

private:
    Resolution Match(const std::string& gbkName, bool bold, bool italic)
    {
        Resolution r;
        if (!m_library || !m_config)
            return r;
        std::string family = Gbk::ToUtf8(gbkName);
        FcPattern* match = family.empty() ? nullptr : FindFont(family, bold, italic);
        if (!match) {
            // A face the system does not have is replaced by the default
            // face, as fonts asked for with the Chinese character set are:
            // never by whatever Latin font happens to be the default.
            match = FindFont(kDefaultFace, bold, italic);
        }
        if (!match)
            match = FindFont(std::string(), bold, italic);
        if (!match)
            return r;
        FcChar8* file = nullptr;
        int index = 0;
        if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file) {
            FcPatternGetInteger(match, FC_INDEX, 0, &index);
            r.face = Open(reinterpret_cast<const char*>(file), index);
            // Fontconfig reports the weight and slant it was asked for when
            // it plans to synthesise them, so the face's own style decides.
            if (r.face) {
                long style = r.face->ft->style_flags;
                r.syntheticBold = bold && !(style & FT_STYLE_FLAG_BOLD);
                r.syntheticItalic = italic && !(style & FT_STYLE_FLAG_ITALIC);
            }
        }
        FcPatternDestroy(match);
        return r;
    }

    // The best font for a UTF-8 family name after the program's mapping,
    // or null when a name was given and no installed font carries the
    // family it maps to. An empty name takes fontconfig's default.
    FcPattern* FindFont(const std::string& family, bool bold, bool italic)
    {
        FcPattern* pattern = FcPatternCreate();
        if (!family.empty())
            FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
        FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
        FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
        FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
        FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("zh-cn"));
        FcConfigSubstitute(m_config, pattern, FcMatchPattern);
        // The family asked for once the mapping has run.
        std::string wanted;
        FcChar8* first = nullptr;
        if (!family.empty() && FcPatternGetString(pattern, FC_FAMILY, 0, &first) == FcResultMatch && first)
            wanted = reinterpret_cast<const char*>(first);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        FcPattern* match = FcFontMatch(m_config, pattern, &result);
        FcPatternDestroy(pattern);
        if (!match || wanted.empty())
            return match;
        FcChar8* name = nullptr;
        for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &name) == FcResultMatch; ++i)
            if (name && FcStrCmpIgnoreCase(name, reinterpret_cast<const FcChar8*>(wanted.c_str())) == 0)
                return match;
        FcPatternDestroy(match);
        return nullptr;
    }

    FontRenderer::Face* Open(const std::string& file, int index)
    {
        std::string key = file + '#' + std::to_string(index);
        auto found = m_faces.find(key);
        if (found != m_faces.end())
            return found->second->ft ? found->second.get() : nullptr;
        auto face = std::make_unique<FontRenderer::Face>();
        if (FT_New_Face(m_library, file.c_str(), index, &face->ft) != 0) {
            std::fprintf(stderr, "platform: cannot open the font %s\n", key.c_str());
            face->ft = nullptr;
        } else if (!FT_IS_SCALABLE(face->ft)) {
            FT_Done_Face(face->ft);
            face->ft = nullptr;
        }
        FontRenderer::Face* result = face->ft ? face.get() : nullptr;
        m_faces[key] = std::move(face);
        return result;
    }

    std::mutex m_lock;
    FT_Library m_library = nullptr;
    FcConfig* m_config = nullptr;
    std::map<std::string, std::unique_ptr<FontRenderer::Face>> m_faces;
    std::map<std::tuple<std::string, bool, bool>, Resolution> m_resolved;
};

// One font this renderer has selected: its own scaling of a shared face
// (so renderers with different sizes never disturb each other), its
// metrics, and the id its glyphs are cached under. Kept after the renderer
// moves on, so that switching back and forth between a few fonts (as text
// drawn in several styles does character by character) costs a lookup.
struct FontRenderer::SizeHandle {
    uint32_t id = 0;
    Face* face = nullptr; // non-owning; none when no font could be loaded
    FT_Size size = nullptr;
    FontMetrics metrics;
};

struct FontRenderer::Cache {
    static constexpr size_t kMaxGlyphs = 8192;
    static constexpr size_t kMaxFonts = 64;
    using FontKey = std::tuple<std::string, int, int, bool, bool>;
    std::map<FontKey, std::unique_ptr<SizeHandle>> fonts;
    uint32_t nextFontId = 1; // never reused, so dropped fonts' glyphs never match
    uint32_t currentFont = 0;
    std::unordered_map<uint64_t, GlyphImage> glyphs;
    std::unordered_map<uint64_t, int> advances;
};

FontRenderer::FontRenderer() : m_catalog(Catalog::Instance()), m_cache(std::make_unique<Cache>()) {}

FontRenderer::~FontRenderer() { ReleaseFonts(); }

void FontRenderer::ReleaseFonts()
{
    std::lock_guard lock(m_catalog->Lock());
    for (auto& [key, handle] : m_cache->fonts) {
        if (handle->size)
            FT_Done_Size(handle->size);
    }
    m_cache->fonts.clear();
    m_sizeHandle = nullptr;
    m_face = nullptr;
}

bool FontRenderer::HasFont() const { return m_face != nullptr && m_sizeHandle != nullptr; }

bool FontRenderer::SelectFont(int size, int weight, std::string_view face, bool italic, bool underline)
{
    size = std::clamp(size, 1, kMaxSize);
    if (m_selected && size == m_size && weight == m_weight && italic == m_italic && underline == m_underline
        && face == m_faceName)
        return HasFont();
    m_selected = true;
    m_size = size;
    m_weight = weight;
    m_italic = italic;
    m_underline = underline;
    m_faceName.assign(face);

    Cache::FontKey key(m_faceName, size, weight, italic, underline);
    auto found = m_cache->fonts.find(key);
    if (found == m_cache->fonts.end()) {
        if (m_cache->fonts.size() >= Cache::kMaxFonts)
            ReleaseFonts();
        found = m_cache->fonts.emplace(std::move(key), LoadFont()).first;
    }
    SizeHandle* handle = found->second.get();
    m_cache->currentFont = handle->id;
    m_metrics = handle->metrics;
    m_face = handle->face;
    m_sizeHandle = handle->size ? handle : nullptr;
    return HasFont();
}

std::unique_ptr<FontRenderer::SizeHandle> FontRenderer::LoadFont()
{
    auto handle = std::make_unique<SizeHandle>();
    handle->id = m_cache->nextFontId++;
    FontMetrics& metrics = handle->metrics;
    metrics.size = m_size;
    metrics.baseline = m_size * 4 / 5;
    metrics.underlineThickness = 1;
    metrics.underlineTop = std::min(m_size - 1, metrics.baseline + 1);

    std::lock_guard lock(m_catalog->Lock());
    const bool bold = m_weight >= kBoldWeight;
    Resolution r = m_catalog->Resolve(m_faceName, bold, m_italic);
    if (!r.face)
        return handle;
    FT_Size ftSize = nullptr;
    if (FT_New_Size(r.face->ft, &ftSize) != 0 || FT_Activate_Size(ftSize) != 0
        || FT_Set_Pixel_Sizes(r.face->ft, 0, static_cast<FT_UInt>(m_size)) != 0) {
        if (ftSize)
            FT_Done_Size(ftSize);
        return handle;
    }
    handle->face = r.face;
    handle->size = ftSize;

    FT_Face ft = r.face->ft;
    metrics.syntheticBold = r.syntheticBold;
    metrics.syntheticItalic = r.syntheticItalic;
    metrics.baseline = BaselineRow(ft, m_size);
    double scale = static_cast<double>(m_size) / ft->units_per_EM;
    int thickness = std::max(1, static_cast<int>(ft->underline_thickness * scale + 0.5));
    int centre = metrics.baseline + static_cast<int>(-ft->underline_position * scale + 0.5);
    metrics.underlineThickness = std::min(thickness, m_size);
    metrics.underlineTop = std::clamp(centre - thickness / 2, 0, m_size - metrics.underlineThickness);
    return handle;
}

namespace {

// The character that starts text as its raw bytes (the cache key: one byte,
// or 0x10000 | lead << 8 | trail) and their count, found without decoding;
// the same split as Gbk::DecodeChar makes.
uint32_t RawChar(std::string_view text, size_t& length)
{
    length = 0;
    if (text.empty())
        return 0;
    auto lead = static_cast<uint8_t>(text[0]);
    if (Gbk::IsLeadByte(lead) && text.size() >= 2 && Gbk::IsTrailByte(static_cast<uint8_t>(text[1]))) {
        length = 2;
        return 0x10000u | static_cast<uint32_t>(lead) << 8 | static_cast<uint8_t>(text[1]);
    }
    length = 1;
    return lead;
}

} // namespace

uint64_t FontRenderer::CacheKey(uint32_t rawChar) const
{
    return static_cast<uint64_t>(m_cache->currentFont) << 32 | rawChar;
}

void FontRenderer::EnableGlyphCache(bool enable)
{
    m_cacheEnabled = enable;
    if (!enable) {
        m_cache->glyphs.clear();
        m_cache->advances.clear();
    }
}

const GlyphImage& FontRenderer::RenderGlyph(std::string_view text)
{
    size_t length = 0;
    uint32_t raw = RawChar(text, length);
    if (length == 0) {
        m_image = GlyphImage {};
        m_image.height = m_size;
        return m_image;
    }
    if (!HasFont()) {
        m_image = GlyphImage {};
        m_image.advance = length == 2 ? m_size : (m_size + 1) / 2;
        m_image.width = m_image.advance;
        m_image.height = m_size;
        m_image.coverage.assign(static_cast<size_t>(m_image.width) * m_image.height, 0);
        return m_image;
    }
    size_t consumed = 0;
    if (!m_cacheEnabled) {
        Render(Gbk::DecodeChar(text, consumed), m_image);
        return m_image;
    }
    uint64_t key = CacheKey(raw);
    auto found = m_cache->glyphs.find(key);
    if (found != m_cache->glyphs.end())
        return found->second;
    if (m_cache->glyphs.size() >= Cache::kMaxGlyphs)
        m_cache->glyphs.clear();
    GlyphImage& image = m_cache->glyphs[key];
    Render(Gbk::DecodeChar(text, consumed), image);
    return image;
}

int FontRenderer::GlyphAdvance(std::string_view text)
{
    size_t length = 0;
    RawChar(text, length);
    return length == 0 ? 0 : Advance(text.substr(0, length));
}

int FontRenderer::MeasureText(std::string_view text)
{
    int total = 0;
    size_t i = 0;
    while (i < text.size()) {
        size_t length = 0;
        RawChar(text.substr(i), length);
        total += Advance(text.substr(i, length));
        i += length;
    }
    return total;
}

namespace {

// Outline growth of synthesised bold in 26.6 units: a twenty-fourth of the
// size, and at least one pixel so that small bold text is visibly bolder.
FT_Pos BoldStrength(int size) { return std::max<FT_Pos>(64, static_cast<FT_Pos>(size) * 64 / 24); }

// Loads the glyph scaled; false when it cannot be loaded at all.
bool LoadGlyph(FT_Face face, char32_t codePoint)
{
    FT_UInt index = FT_Get_Char_Index(face, codePoint);
    if (FT_Load_Glyph(face, index, FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_NORMAL) == 0)
        return true;
    // A damaged glyph: fall back on the missing-glyph shape.
    return index != 0 && FT_Load_Glyph(face, 0, FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_NORMAL) == 0;
}

} // namespace

int FontRenderer::Advance(std::string_view character)
{
    size_t length = 0;
    uint32_t raw = RawChar(character, length);
    if (!HasFont())
        return length == 2 ? m_size : (m_size + 1) / 2;
    uint64_t key = CacheKey(raw);
    if (m_cacheEnabled) {
        auto glyph = m_cache->glyphs.find(key);
        if (glyph != m_cache->glyphs.end())
            return glyph->second.advance;
        auto found = m_cache->advances.find(key);
        if (found != m_cache->advances.end())
            return found->second;
    }
    size_t consumed = 0;
    char32_t codePoint = Gbk::DecodeChar(character, consumed);
    int advance = 0;
    {
        std::lock_guard lock(m_catalog->Lock());
        FT_Face face = m_face->ft;
        FT_Activate_Size(m_sizeHandle->size);
        if (LoadGlyph(face, codePoint)) {
            FT_Pos x = face->glyph->advance.x;
            if (m_metrics.syntheticBold)
                x += BoldStrength(m_size);
            advance = static_cast<int>((x + 32) >> 6);
        }
    }
    if (m_cacheEnabled) {
        if (m_cache->advances.size() >= Cache::kMaxGlyphs)
            m_cache->advances.clear();
        m_cache->advances[key] = advance;
    }
    return advance;
}

void FontRenderer::Render(char32_t codePoint, GlyphImage& out)
{
    out.height = m_size;
    out.advance = 0;
    out.width = 0;
    out.coverage.clear();

    std::lock_guard lock(m_catalog->Lock());
    FT_Face face = m_face->ft;
    FT_Activate_Size(m_sizeHandle->size);
    bool loaded = LoadGlyph(face, codePoint);
    FT_GlyphSlot slot = face->glyph;
    FT_Pos advance = loaded ? slot->advance.x : 0;
    bool rendered = false;
    if (loaded && slot->format == FT_GLYPH_FORMAT_OUTLINE) {
        if (m_metrics.syntheticBold) {
            FT_Pos strength = BoldStrength(m_size);
            FT_Outline_Embolden(&slot->outline, strength);
            advance += strength;
        }
        if (m_metrics.syntheticItalic) {
            // The slant of a typical oblique face: x += 0.21 * y.
            FT_Matrix shear { 0x10000, 0x0366A, 0, 0x10000 };
            FT_Outline_Transform(&slot->outline, &shear);
        }
        rendered = FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) == 0;
    }
    out.advance = static_cast<int>((advance + 32) >> 6);

    const FT_Bitmap& bitmap = slot->bitmap;
    int left = rendered ? slot->bitmap_left : 0;
    int inkRight = rendered ? left + static_cast<int>(bitmap.width) : 0;
    out.width = std::clamp(std::max(out.advance, inkRight), 0, 2 * kMaxSize);
    out.coverage.assign(static_cast<size_t>(out.width) * out.height, 0);

    if (rendered && bitmap.buffer && (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY || bitmap.pixel_mode == FT_PIXEL_MODE_MONO)) {
        int top = m_metrics.baseline - slot->bitmap_top;
        int pitch = bitmap.pitch;
        for (int row = 0; row < static_cast<int>(bitmap.rows); ++row) {
            int y = top + row;
            if (y < 0 || y >= out.height)
                continue;
            const unsigned char* src = pitch >= 0 ? bitmap.buffer + static_cast<ptrdiff_t>(row) * pitch
                                                  : bitmap.buffer + static_cast<ptrdiff_t>(bitmap.rows - 1 - row) * -pitch;
            for (int col = 0; col < static_cast<int>(bitmap.width); ++col) {
                int x = left + col;
                if (x < 0 || x >= out.width)
                    continue;
                uint8_t value = bitmap.pixel_mode == FT_PIXEL_MODE_GRAY
                    ? src[col]
                    : ((src[col >> 3] >> (7 - (col & 7))) & 1 ? 255 : 0);
                out.coverage[static_cast<size_t>(y) * out.width + x] = value;
            }
        }
    }

    if (m_underline && out.advance > 0) {
        for (int y = m_metrics.underlineTop; y < m_metrics.underlineTop + m_metrics.underlineThickness; ++y)
            for (int x = 0; x < std::min(out.advance, out.width); ++x)
                out.coverage[static_cast<size_t>(y) * out.width + x] = 255;
    }
}

} // namespace platform
