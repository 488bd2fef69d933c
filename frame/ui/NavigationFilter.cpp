#include "frame/ui/NavigationFilter.h"

#include "net/Aes.h"
#include "net/MessageCodec.h"
#include "platform/Files.h"
#include "platform/Gbk.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <strings.h>

namespace frame {

// Chosen for this program; a list enciphered under another key decodes to
// noise, which matches no host.
const uint8_t kAllowListKey[16] = { 0x4b, 0x62, 0x5a, 0x6e, 0x2d, 0x61, 0x64, 0x76,
    0x65, 0x72, 0x74, 0x2e, 0x91, 0x3c, 0xe7, 0x58 };

namespace {

constexpr int kKeyBits = 128;
constexpr uint32_t kDecipher = net::kCipherAes | net::kCodecDecode;
constexpr uint32_t kEncipher = net::kCipherAes | net::kCodecEncode;

// ASCII letters lowered; the second byte of a double-byte character (which
// may fall in 'A'..'Z') is left alone.
std::string LowerGbk(std::string_view text)
{
    std::string out(text);
    for (size_t i = 0; i < out.size(); ++i) {
        const auto byte = static_cast<uint8_t>(out[i]);
        if (platform::Gbk::IsLeadByte(byte)) {
            ++i;
            continue;
        }
        if (byte >= 'A' && byte <= 'Z')
            out[i] = static_cast<char>(byte - 'A' + 'a');
    }
    return out;
}

bool Listed(const std::vector<std::string>& list, const std::string& text)
{
    return std::find(list.begin(), list.end(), text) != list.end();
}

std::string DecodeBlock(const uint8_t* block)
{
    // The transform zero-fills a whole block past its input, so the buffer
    // has room for it.
    uint8_t plain[net::AesOutputLength(kAllowListBlock)] = {};
    size_t length = 0;
    net::CipherTransform().Transform(kAllowListKey, kKeyBits, block, kAllowListBlock, plain, &length, kDecipher);
    // The entry ends at its NUL, and never past the block's 63rd byte.
    const char* text = reinterpret_cast<const char*>(plain);
    return LowerGbk(std::string_view(text, strnlen(text, kAllowListBlock - 1)));
}

} // namespace

std::vector<std::string> DecodeAllowList(std::string_view fileBytes)
{
    std::vector<std::string> entries;
    for (size_t at = 0; fileBytes.size() - at >= kAllowListBlock; at += kAllowListBlock)
        entries.push_back(DecodeBlock(reinterpret_cast<const uint8_t*>(fileBytes.data() + at)));
    return entries;
}

std::string EncodeAllowList(const std::vector<std::string>& entries)
{
    std::string file;
    for (const std::string& entry : entries) {
        uint8_t plain[kAllowListBlock] = {};
        std::memcpy(plain, entry.data(), std::min(entry.size(), kAllowListBlock - 1));
        uint8_t coded[net::AesOutputLength(kAllowListBlock)] = {};
        size_t length = 0;
        net::CipherTransform().Transform(kAllowListKey, kKeyBits, plain, kAllowListBlock, coded, &length, kEncipher);
        file.append(reinterpret_cast<const char*>(coded), kAllowListBlock);
    }
    return file;
}

bool WriteAllowListFile(const std::string& path, const std::vector<std::string>& entries)
{
    const std::string bytes = EncodeAllowList(entries);
    std::FILE* file = std::fopen(platform::NativePath(path).c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

bool AllowListPermits(const std::string& url, const std::function<std::vector<std::string>()>& readList)
{
    std::string host = url;
    if (host.size() >= 7 && strncasecmp(host.c_str(), "http://", 7) == 0)
        host.erase(0, 7);
    host = host.substr(0, host.find('/'));
    if (host.empty())
        return false;
    if (host.size() >= 11 && strncasecmp(host.c_str(), "javascript:", 11) == 0)
        return true;
    const std::vector<std::string> list = readList ? readList() : std::vector<std::string>();
    if (list.empty())
        return false;
    host = LowerGbk(host);
    if (Listed(list, host))
        return true;
    const size_t firstDot = host.find('.');
    if (firstDot == std::string::npos)
        return false;
    if (Listed(list, host.substr(firstDot + 1)))
        return true;
    const size_t lastDot = host.rfind('.');
    if (lastDot == firstDot)
        return false; // one dot: its last two labels are the whole host
    const size_t secondLast = host.rfind('.', lastDot - 1);
    return Listed(list, host.substr(secondLast + 1));
}

bool CFixHtmlView::IsUrlAllowed(const std::string& url)
{
    return AllowListPermits(url, [this] {
        std::vector<std::string> list;
        LoadWhitelist(list);
        return list;
    });
}

int CFixHtmlView::LoadWhitelist(std::vector<std::string>& list)
{
    std::string bytes;
    if (!platform::ReadFile(m_whitelistFile, bytes))
        return 0;
    for (std::string& entry : DecodeAllowList(bytes))
        list.push_back(std::move(entry));
    return static_cast<int>(list.size());
}

} // namespace frame
