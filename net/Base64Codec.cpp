#include "net/Base64Codec.h"

namespace net {

namespace {
constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr size_t kLineLength = 72;
} // namespace

void Base64Codec::BuildDecodeTable()
{
    for (auto& entry : m_decode)
        entry = kInvalid;
    for (uint8_t i = 0; i < 64; ++i)
        m_decode[static_cast<uint8_t>(kAlphabet[i])] = i;
    for (uint8_t c : { '\t', '\n', '\r', ' ' })
        m_decode[c] = kSkip;
}

uint8_t Base64Codec::NextBase64Char(std::string_view text, size_t& pos) const
{
    while (pos < text.size()) {
        uint8_t c = static_cast<uint8_t>(text[pos++]);
        if (c == '=')
            return kPad; // the caller ends on padding
        uint8_t value = m_decode[c];
        if (value != kSkip)
            return value;
    }
    return kEnd;
}

int Base64Codec::DecodeText(std::string_view text, std::vector<uint8_t>& bytes)
{
    if (m_decode[0] == 0)
        BuildDecodeTable();
    bytes.clear();
    size_t pos = 0;
    for (;;) {
        uint8_t c[4];
        int got = 0;
        for (; got < 4; ++got) {
            c[got] = NextBase64Char(text, pos);
            if (c[got] == kPad || c[got] == kEnd)
                break;
            if (c[got] == kInvalid) {
                bytes.clear();
                return 0;
            }
        }
        if (got == 0)
            return 1; // the text ended, or padding began, on a group boundary
        if (got == 1 || (got < 4 && c[got] == kEnd)) {
            // A group the text ends inside of.
            bytes.clear();
            return 0;
        }
        bytes.push_back(static_cast<uint8_t>(c[0] << 2 | c[1] >> 4));
        if (got >= 3)
            bytes.push_back(static_cast<uint8_t>((c[1] & 15) << 4 | c[2] >> 2));
        if (got == 4)
            bytes.push_back(static_cast<uint8_t>((c[2] & 3) << 6 | c[3]));
        if (got < 4)
            return 1; // padding ends the text
    }
}

int Base64Codec::DecodeBytes(const std::vector<uint8_t>& encoded, std::vector<uint8_t>& bytes)
{
    return DecodeText(std::string_view(reinterpret_cast<const char*>(encoded.data()), encoded.size()), bytes);
}

void Base64Codec::Encode(const uint8_t* data, size_t length, bool lineBreaks, std::string& out) const
{
    out.clear();
    out.reserve((length + 2) / 3 * 4 + (length / 54 + 1) * 2);
    size_t written = 0;
    size_t i = 0;
    for (; i + 3 <= length; i += 3) {
        uint32_t group = static_cast<uint32_t>(data[i]) << 16 | static_cast<uint32_t>(data[i + 1]) << 8 | data[i + 2];
        out += kAlphabet[group >> 18 & 63];
        out += kAlphabet[group >> 12 & 63];
        out += kAlphabet[group >> 6 & 63];
        out += kAlphabet[group & 63];
        written += 4;
        if (lineBreaks && written % kLineLength == 0)
            out += "\r\n";
    }
    size_t rest = length - i;
    if (rest == 1) {
        out += kAlphabet[data[i] >> 2];
        out += kAlphabet[(data[i] & 3) << 4];
        out += "==";
    } else if (rest == 2) {
        out += kAlphabet[data[i] >> 2];
        out += kAlphabet[(data[i] & 3) << 4 | data[i + 1] >> 4];
        out += kAlphabet[(data[i + 1] & 15) << 2];
        out += '=';
    }
}

int Base64Codec::EncodeText(const std::vector<uint8_t>& bytes, std::string& text)
{
    Encode(bytes.data(), bytes.size(), true, text);
    return 1;
}

int Base64Codec::EncodeBytes(const std::vector<uint8_t>& bytes, std::vector<uint8_t>& encoded)
{
    std::string text;
    Encode(bytes.data(), bytes.size(), false, text);
    encoded.assign(text.begin(), text.end());
    return 1;
}

} // namespace net
