#include "platform/Gbk.h"
#include "platform/Bytes.h"

#include <iconv.h>

#include <cerrno>

namespace platform {

namespace {

// One iconv descriptor per direction and thread: descriptors keep shift
// state and must not be shared between threads.
class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Converter()
    {
        if (Valid())
            iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool Valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // Converts the whole input; false when iconv refuses any of it.
    bool Convert(const char* in, size_t inLength, char* out, size_t outCapacity, size_t& outLength)
    {
        if (!Valid())
            return false;
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        char* inPtr = const_cast<char*>(in);
        char* outPtr = out;
        size_t inLeft = inLength;
        size_t outLeft = outCapacity;
        size_t result = iconv(m_cd, &inPtr, &inLeft, &outPtr, &outLeft);
        if (result == static_cast<size_t>(-1) || inLeft != 0)
            return false;
        // Flush any pending shift sequence (none for GBK, but it is cheap).
        if (iconv(m_cd, nullptr, nullptr, &outPtr, &outLeft) == static_cast<size_t>(-1))
            return false;
        outLength = outCapacity - outLeft;
        return true;
    }

private:
    iconv_t m_cd;
};

Converter& Decoder()
{
    thread_local Converter converter("UTF-32LE", "GBK");
    return converter;
}

Converter& Encoder()
{
    thread_local Converter converter("GBK", "UTF-32LE");
    return converter;
}

char32_t DecodeBytes(const char* bytes, size_t length)
{
    uint8_t out[8];
    size_t outLength = 0;
    if (!Decoder().Convert(bytes, length, reinterpret_cast<char*>(out), sizeof out, outLength) || outLength != 4)
        return Gbk::kReplacement;
    return static_cast<char32_t>(LoadLe32(out));
}

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Decodes one UTF-8 sequence; consumed is at least 1. Overlong forms,
// surrogates, values above U+10FFFF and cut sequences give U+FFFD for the
// bytes that were read.
char32_t DecodeUtf8(std::string_view text, size_t& consumed)
{
    const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
    uint8_t first = byte(0);
    consumed = 1;
    if (first < 0x80)
        return first;
    size_t length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if ((first & 0xE0) == 0xC0) {
        length = 2;
        value = first & 0x1F;
        minimum = 0x80;
    } else if ((first & 0xF0) == 0xE0) {
        length = 3;
        value = first & 0x0F;
        minimum = 0x800;
    } else if ((first & 0xF8) == 0xF0) {
        length = 4;
        value = first & 0x07;
        minimum = 0x10000;
    } else {
        return Gbk::kReplacement;
    }
    for (size_t i = 1; i < length; ++i) {
        if (i >= text.size() || (byte(i) & 0xC0) != 0x80) {
            consumed = i;
            return Gbk::kReplacement;
        }
        value = value << 6 | (byte(i) & 0x3F);
    }
    consumed = length;
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return Gbk::kReplacement;
    return value;
}

} // namespace

char32_t Gbk::DecodeChar(std::string_view text, size_t& consumed)
{
    consumed = 0;
    if (text.empty())
        return kReplacement;
    uint8_t first = static_cast<uint8_t>(text[0]);
    consumed = 1;
    if (first < 0x80)
        return first;
    if (!IsLeadByte(first))
        return DecodeBytes(text.data(), 1); // 0x80 is the euro sign in code page 936; 0xFF is nothing
    if (text.size() < 2 || !IsTrailByte(static_cast<uint8_t>(text[1])))
        return kReplacement;
    consumed = 2;
    return DecodeBytes(text.data(), 2);
}

std::string Gbk::EncodeChar(char32_t codePoint)
{
    if (codePoint < 0x80)
        return std::string(1, static_cast<char>(codePoint));
    if (codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return std::string(1, kUnmappable);
    unsigned char in[4] = { static_cast<unsigned char>(codePoint), static_cast<unsigned char>(codePoint >> 8),
        static_cast<unsigned char>(codePoint >> 16), 0 };
    char out[8];
    size_t outLength = 0;
    if (!Encoder().Convert(reinterpret_cast<const char*>(in), sizeof in, out, sizeof out, outLength) || outLength == 0
        || outLength > 2)
        return std::string(1, kUnmappable);
    return std::string(out, outLength);
}

std::u32string Gbk::ToUtf32(std::string_view gbk)
{
    std::u32string out;
    out.reserve(gbk.size());
    size_t i = 0;
    while (i < gbk.size()) {
        size_t consumed = 0;
        out += DecodeChar(gbk.substr(i), consumed);
        i += consumed;
    }
    return out;
}

std::string Gbk::ToUtf8(std::string_view gbk)
{
    std::string out;
    out.reserve(gbk.size() * 3 / 2);
    size_t i = 0;
    while (i < gbk.size()) {
        size_t consumed = 0;
        AppendUtf8(out, DecodeChar(gbk.substr(i), consumed));
        i += consumed;
    }
    return out;
}

std::string Gbk::FromUtf8(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        size_t consumed = 0;
        char32_t c = DecodeUtf8(utf8.substr(i), consumed);
        i += consumed;
        if (c == kReplacement)
            out += kUnmappable;
        else
            out += EncodeChar(c);
    }
    return out;
}

} // namespace platform
