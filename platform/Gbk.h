#pragma once
// Conversions between the program's GBK text (code page 936) and the
// Unicode forms that libraries outside the program speak. Text crosses this
// edge only where it meets such a library: glyph rendering, window titles,
// the clipboard, message boxes and typed text.
//
// The byte model is the program's own: a byte of 0x81-0xFE starts a
// two-byte character, every other byte stands alone. Bytes that do not form
// a character never stop a conversion: a stray or cut lead byte, or a pair
// with no character behind it, becomes U+FFFD (towards Unicode) and a
// character GBK cannot hold becomes '?' (towards GBK).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

class Gbk {
public:
    static constexpr char32_t kReplacement = 0xFFFD;
    static constexpr char kUnmappable = '?';

    // A byte that starts a two-byte character.
    static constexpr bool IsLeadByte(uint8_t byte) { return byte >= 0x81 && byte <= 0xFE; }
    // A byte that can follow a lead byte in a defined character.
    static constexpr bool IsTrailByte(uint8_t byte) { return byte >= 0x40 && byte <= 0xFE && byte != 0x7F; }

    // Decodes the character that starts text; consumed gets its length in
    // bytes (1 or 2, 0 only for empty text). A lead byte followed by a byte
    // that cannot be a trail byte decodes alone to U+FFFD, so the following
    // byte (an ASCII letter, say) keeps its own meaning.
    static char32_t DecodeChar(std::string_view text, size_t& consumed);

    // Encodes one code point as GBK (1 or 2 bytes); "?" when GBK has no
    // such character or the value is no character at all.
    static std::string EncodeChar(char32_t codePoint);

    static std::u32string ToUtf32(std::string_view gbk);
    static std::string ToUtf8(std::string_view gbk);
    // Malformed UTF-8 sequences become '?', like characters GBK lacks.
    static std::string FromUtf8(std::string_view utf8);
};

} // namespace platform
