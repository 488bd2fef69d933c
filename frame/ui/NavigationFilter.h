#pragma once
// The web view's navigation filter, the base of the web page control
// (CFixHtmlView): when it is on, only addresses whose host is on the
// allow-list may be opened.
//
// The allow-list is the file "domain.dat": a sequence of 64-byte blocks,
// each enciphered on its own with AES-128 in ECB mode under the program's
// key, each holding one entry as text ended by a NUL (at most 63 bytes; a
// block without a NUL gives its first 63). A final block shorter than 64
// bytes is ignored. Entries are compared in lower case. The file is read
// afresh for every address examined, so a new list takes effect at once.
//
// User-interface thread.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace frame {

// The key the allow-list is enciphered with (128 bits).
extern const uint8_t kAllowListKey[16];
constexpr size_t kAllowListBlock = 64;

// The entries of an allow-list file's bytes, lower-cased, in file order.
std::vector<std::string> DecodeAllowList(std::string_view fileBytes);
// The file's bytes for the entries (each cut to 63 bytes), enciphered.
std::string EncodeAllowList(const std::vector<std::string>& entries);
// Writes the enciphered list to a program path; false when it cannot.
bool WriteAllowListFile(const std::string& path, const std::vector<std::string>& entries);

// The address test. The list is asked for only when the address gets that
// far (an empty host and "javascript:" addresses are settled before):
//   - a leading "http://" (any case) is dropped, and the text is cut before
//     its first '/'; no other scheme is dropped, so "https://x/" is
//     examined as "https:";
//   - empty: refused; beginning "javascript:" (any case): allowed;
//   - an empty list refuses everything else;
//   - allowed when the lower-cased host, the host without its first label,
//     or (with two dots or more) its last two labels is on the list.
bool AllowListPermits(const std::string& url, const std::function<std::vector<std::string>()>& readList);

class CFixHtmlView {
public:
    virtual ~CFixHtmlView() = default;

    void SetRestricted(bool restricted) { m_restricted = restricted; }
    bool IsRestricted() const { return m_restricted; }
    // The allow-list file (a program path, GBK).
    void SetWhitelistFile(const std::string& path) { m_whitelistFile = path; }
    const std::string& WhitelistFile() const { return m_whitelistFile; }

    // Whether the address may be opened (the file is read for it).
    virtual bool IsUrlAllowed(const std::string& url);
    // Appends the file's entries to the list; the number of entries in the
    // list afterwards, 0 when the file cannot be read.
    virtual int LoadWhitelist(std::vector<std::string>& list);

    // The filter's answer before a navigation: true lets it go on.
    bool Permits(const std::string& url) { return !m_restricted || IsUrlAllowed(url); }

private:
    bool m_restricted = false;
    std::string m_whitelistFile;
};

} // namespace frame
