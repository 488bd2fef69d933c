#pragma once
// The frame's configuration files, the directories it looks in, the machine
// id sent with its requests, and its small text helpers.
//
// Paths are program paths: GBK text written the way the system writes them
// ("%sskins\\skin.ini"), turned into file-system paths only where a file is
// opened (platform::NativePath).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace frame {

// Copies the hardware addresses of the machine's Ethernet adapters one after
// another into the buffer and returns how many it copied (-1 when the list
// cannot be read): net::GetMacAddresses, or a stand-in.
using MacAddressReader = std::function<int(uint8_t* buffer, size_t capacity)>;

// The machine id of every request record: at most 31 characters. With an
// Ethernet adapter, the first 31 lower-case hex digits of the whole zeroed
// 128-byte address buffer; without one, [SYSTEM] UniqueID of runo.ini in the
// system directory. Spaces are trimmed; an id still empty becomes 30 random
// hex digits, written back as UniqueID (the directory is made when missing)
// so the next start reads the same id.
void GetMachineId(std::string& out);
void GetMachineId(std::string& out, const std::string& systemDir, const MacAddressReader& readAddresses);

// Removes leading and trailing spaces (only ' ') in place; returns text.
std::string& TrimSpaces(std::string& text);

// Splits text at '|' into at most maximum fields (empty fields count) and
// returns their number. rest gets the text after the separator that ends the
// last field taken when the maximum is reached with a separator still to
// come; otherwise it is empty (nullopt). A maximum of 0 or less takes no
// field and leaves the whole text as rest.
int SplitFields(std::string_view text, int maximum, std::vector<std::string>& fields,
    std::optional<std::string>& rest);

// A colour written "red green blue" in a skin ini, in the Windows layout
// red | green << 8 | blue << 16. Empty text gives fallback. Otherwise red is
// the integer the text starts with, green the integer after the first space
// (the rest of the text trimmed of spaces first), blue the integer after the
// next space; a missing part repeats the last integer read, an integer is
// read like atoi (no digits give 0, so "  " is black), and each part keeps
// its low 8 bits.
uint32_t ParseRgbColor(std::string_view text, uint32_t fallback);

// The title of a wealth level: thresholds 100 * 2^k up to 26214400, "待业"
// below 100, "负债" below 0.
std::string GetWealthTitle(int64_t silver);

// "%d".
std::string IntToString(int n);

// Where the frame finds its files: the program directory (KbZn.ini, skins,
// temp), the system directory (runo.ini, which names the lobby's program)
// and the lobby's directory (its ini, shared pictures, user data).
// Directories are returned with a trailing separator.
class FramePaths {
public:
    // Both directories are taken as given, with a '/' added when they lack
    // a trailing separator.
    FramePaths(std::string gameName, std::string programDir, std::string systemDir);

    const std::string& GetExeDir() const { return m_programDir; }
    const std::string& GetSystemDir() const { return m_systemDir; }
    // "%stemp\\" under the program directory, made when missing.
    std::string GetTempDir() const;
    // "%s%s.ini": program directory and game name.
    std::string GetGameIniPath() const;
    // [SKIN] Path of the game ini when that file exists; else
    // "%sskins\\skin.ini" under the program directory when that exists;
    // else empty.
    std::string GetSkinIniPath() const;
    // runo.ini in the system directory.
    std::string GetSharedSystemIniPath() const;
    // [SYSTEM] ExePath of runo.ini: the lobby's program.
    std::string GetHallExePath() const;
    // The directory part of the lobby's program path.
    std::string GetHallDir() const;
    // "%s%s.ini": lobby directory and "DozeDova".
    std::string GetHallIniPath() const;
    // "%sShare\\Image\\portrait\\" under the lobby directory.
    std::string GetPortraitDir() const;
    // "%sShare\\Image\\Character\\%d\\" under the lobby directory.
    std::string GetCharacterDir(int n) const;
    // "%sShare\\advert\\domain.dat" under the lobby directory.
    std::string GetAdvertDomainFile() const;
    // "%susers\\%d.dat" under the lobby directory.
    std::string GetUserDataPath(int userId) const;

private:
    std::string m_gameName;
    std::string m_programDir;
    std::string m_systemDir;
};

} // namespace frame
