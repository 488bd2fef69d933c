#include "frame/core/FrameConfig.h"

#include "net/Paths.h"
#include "net/SystemInfo.h"
#include "platform/Files.h"
#include "platform/IniFile.h"

#include <climits>
#include <filesystem>
#include <system_error>

namespace frame {

namespace {

constexpr size_t kMacBufferSize = 128;
constexpr size_t kMachineIdLength = 31; // with its zero, a 32-byte field
constexpr size_t kPathCapacity = 260; // the profile reads' buffer, zero included

// A profile string read into a buffer of capacity bytes keeps at most
// capacity - 1 of them.
std::string ReadProfileText(const std::string& iniPath, std::string_view section, std::string_view key,
    size_t capacity)
{
    std::string text = platform::IniFile(iniPath).GetString(section, key, "");
    if (text.size() > capacity - 1)
        text.resize(capacity - 1);
    return text;
}

bool IsFile(const std::string& path)
{
    if (path.empty())
        return false;
    std::error_code error;
    return std::filesystem::is_regular_file(platform::NativePath(path), error);
}

std::string WithSeparator(std::string dir)
{
    if (!dir.empty() && dir.back() != '/' && dir.back() != '\\')
        dir += '/';
    return dir;
}

// atoi: leading blanks, an optional sign, then decimal digits; no digits
// give 0. Values beyond the 32-bit range stop at its ends.
int ReadInteger(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        value = INT_MAX;
    return static_cast<int>(value);
}

// The text after the first space, trimmed of spaces; nullopt without one.
std::optional<std::string_view> AfterSpace(std::string_view text)
{
    size_t space = text.find(' ');
    if (space == std::string_view::npos)
        return std::nullopt;
    text.remove_prefix(space);
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

struct WealthLevel {
    int64_t atLeast;
    const char* title;
};

constexpr WealthLevel kWealthLevels[] = {
    { 26214400, "世界首富" },
    { 13107200, "超级大富豪" },
    { 6553600, "超级富豪" },
    { 3276800, "大富豪" },
    { 1638400, "富豪" },
    { 819200, "董事长" },
    { 409600, "副董事长" },
    { 204800, "董事" },
    { 102400, "总裁" },
    { 51200, "副总裁" },
    { 25600, "总经理" },
    { 12800, "副总经理" },
    { 6400, "经理" },
    { 3200, "副经理" },
    { 1600, "主管" },
    { 800, "副主管" },
    { 400, "正式工" },
    { 200, "合同工" },
    { 100, "临时工" },
    { 0, "待业" },
};

} // namespace

void GetMachineId(std::string& out)
{
    GetMachineId(out, platform::SystemDirectory(), net::GetMacAddresses);
}

void GetMachineId(std::string& out, const std::string& systemDir, const MacAddressReader& readAddresses)
{
    std::string iniPath = WithSeparator(systemDir) + "runo.ini";
    uint8_t addresses[kMacBufferSize] = {};
    out.clear();
    if (readAddresses && readAddresses(addresses, sizeof addresses) > 0) {
        net::BytesToHex(addresses, static_cast<int>(sizeof addresses), out);
        out.resize(kMachineIdLength);
    } else {
        out = ReadProfileText(iniPath, "SYSTEM", "UniqueID", kMachineIdLength + 1);
    }
    TrimSpaces(out);
    if (!out.empty())
        return;
    char id[kMachineIdLength + 1] = {};
    if (!net::MakeRandomId(id, sizeof id))
        return;
    out = id;
    platform::MakeDirectories(systemDir);
    platform::IniFile(iniPath).WriteString("SYSTEM", "UniqueID", out);
}

std::string& TrimSpaces(std::string& text)
{
    size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        text.clear();
        return text;
    }
    text.erase(text.find_last_not_of(' ') + 1);
    text.erase(0, first);
    return text;
}

int SplitFields(std::string_view text, int maximum, std::vector<std::string>& fields,
    std::optional<std::string>& rest)
{
    fields.clear();
    rest.reset();
    if (maximum <= 0) {
        rest = std::string(text);
        return 0;
    }
    while (true) {
        size_t bar = text.find('|');
        fields.emplace_back(text.substr(0, bar));
        if (bar == std::string_view::npos)
            break;
        text.remove_prefix(bar + 1);
        if (static_cast<int>(fields.size()) == maximum) {
            rest = std::string(text);
            break;
        }
    }
    return static_cast<int>(fields.size());
}

uint32_t ParseRgbColor(std::string_view text, uint32_t fallback)
{
    if (text.empty())
        return fallback;
    int red = ReadInteger(text);
    int green = red;
    int blue = red;
    if (auto afterRed = AfterSpace(text)) {
        green = blue = ReadInteger(*afterRed);
        if (auto afterGreen = AfterSpace(*afterRed))
            blue = ReadInteger(*afterGreen);
    }
    auto low8 = [](int part) { return static_cast<uint32_t>(part) & 0xFFu; };
    return low8(red) | low8(green) << 8 | low8(blue) << 16;
}

std::string GetWealthTitle(int64_t silver)
{
    for (const WealthLevel& level : kWealthLevels) {
        if (silver >= level.atLeast)
            return level.title;
    }
    return "负债";
}

std::string IntToString(int n)
{
    return std::to_string(n);
}

FramePaths::FramePaths(std::string gameName, std::string programDir, std::string systemDir)
    : m_gameName(std::move(gameName))
    , m_programDir(WithSeparator(std::move(programDir)))
    , m_systemDir(WithSeparator(std::move(systemDir)))
{
}

std::string FramePaths::GetTempDir() const
{
    std::string dir = m_programDir + "temp\\";
    platform::MakeDirectories(dir);
    return dir;
}

std::string FramePaths::GetGameIniPath() const
{
    return m_programDir + m_gameName + ".ini";
}

std::string FramePaths::GetSkinIniPath() const
{
    std::string named = ReadProfileText(GetGameIniPath(), "SKIN", "Path", kPathCapacity);
    if (IsFile(named))
        return named;
    std::string beside = m_programDir + "skins\\skin.ini";
    return IsFile(beside) ? beside : std::string();
}

std::string FramePaths::GetSharedSystemIniPath() const
{
    return m_systemDir + "runo.ini";
}

std::string FramePaths::GetHallExePath() const
{
    return ReadProfileText(GetSharedSystemIniPath(), "SYSTEM", "ExePath", kPathCapacity);
}

std::string FramePaths::GetHallDir() const
{
    std::string dir;
    net::SplitPathParts(GetHallExePath(), net::kPathDrive | net::kPathDirectory, dir);
    return dir;
}

std::string FramePaths::GetHallIniPath() const
{
    return GetHallDir() + "DozeDova.ini";
}

std::string FramePaths::GetPortraitDir() const
{
    return GetHallDir() + "Share\\Image\\portrait\\";
}

std::string FramePaths::GetCharacterDir(int n) const
{
    return GetHallDir() + "Share\\Image\\Character\\" + std::to_string(n) + "\\";
}

std::string FramePaths::GetAdvertDomainFile() const
{
    return GetHallDir() + "Share\\advert\\domain.dat";
}

std::string FramePaths::GetUserDataPath(int userId) const
{
    return GetHallDir() + "users\\" + std::to_string(userId) + ".dat";
}

} // namespace frame
