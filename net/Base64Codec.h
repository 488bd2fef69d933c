#pragma once
// Standard Base64 (RFC 4648 alphabet and padding). Text output breaks the
// line with CR LF after every 72 characters; decoding skips white space.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace net {

class Base64Codec {
public:
    virtual void BuildDecodeTable();
    virtual ~Base64Codec() = default;
    // 1 with the bytes decoded up to the first '=' or the end of the text;
    // 0 with an empty output for an invalid character or a cut group.
    virtual int DecodeText(std::string_view text, std::vector<uint8_t>& bytes);
    virtual int DecodeBytes(const std::vector<uint8_t>& encoded, std::vector<uint8_t>& bytes);
    virtual int EncodeText(const std::vector<uint8_t>& bytes, std::string& text);
    virtual int EncodeBytes(const std::vector<uint8_t>& bytes, std::vector<uint8_t>& encoded);

    static constexpr uint8_t kSkip = 254;
    static constexpr uint8_t kInvalid = 255;
    static constexpr uint8_t kEnd = 253;
    static constexpr uint8_t kPad = 252; // '=' while reading

private:
    // Next significant character's table value at pos (kEnd past the end).
    uint8_t NextBase64Char(std::string_view text, size_t& pos) const;
    void Encode(const uint8_t* data, size_t length, bool lineBreaks, std::string& out) const;

    uint8_t m_decode[256] = {}; // m_decode[0] stays 0 until built
};

} // namespace net
