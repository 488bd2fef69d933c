#include "engine/core/EngineFiles.h"

#include "engine/core/EngineDailyLog.h"
#include "engine/core/EngineMessageBox.h"
#include "platform/Files.h"
#include "platform/Gbk.h"

#include <glob.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace engine {

namespace {

// Offset of the last separator ('/' or a backslash outside a double-byte
// character), or npos.
size_t LastSeparator(std::string_view path)
{
    size_t last = std::string_view::npos;
    for (size_t i = 0; i < path.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(path[i]);
        if (platform::Gbk::IsLeadByte(c) && i + 1 < path.size()) {
            ++i;
            continue;
        }
        if (c == '/' || c == '\\')
            last = i;
    }
    return last;
}

std::string_view FileNamePart(std::string_view path)
{
    size_t sep = LastSeparator(path);
    return sep == std::string_view::npos ? path : path.substr(sep + 1);
}

// Offset of the extension's dot inside a file name, or npos. A dot cannot be
// the second byte of a GBK character, so a plain search is safe.
size_t ExtensionDot(std::string_view name)
{
    return name.rfind('.');
}

} // namespace

std::string GetAppDir()
{
    return platform::ExecutableDir();
}

std::string AppPath(std::string_view name)
{
    return GetAppDir() + std::string(name);
}

std::string ToHostPath(std::string_view path)
{
    return platform::NativePath(path);
}

std::unique_ptr<char[]> ReadWholeFile(std::string_view path, size_t* length)
{
    if (path.empty())
        return nullptr;
    std::string host = ToHostPath(path);
    std::FILE* file = std::fopen(host.c_str(), "rb");
    if (!file) {
        EngineDailyLog("文件%s 打开失败!", std::string(path).c_str());
        return nullptr;
    }
    std::string bytes;
    char chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.append(chunk, n);
    bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        EngineDailyLog("文件%s 打开失败!", std::string(path).c_str());
        return nullptr;
    }
    auto block = std::make_unique<char[]>(bytes.size() + 1);
    std::memcpy(block.get(), bytes.data(), bytes.size());
    block[bytes.size()] = '\0';
    if (length)
        *length = bytes.size();
    return block;
}

bool WriteWholeFile(std::string_view path, const void* data, size_t length)
{
    std::string host = ToHostPath(path);
    std::FILE* file = std::fopen(host.c_str(), "wb");
    if (!file)
        return false;
    size_t written = length ? std::fwrite(data, 1, length, file) : 0;
    bool closed = std::fclose(file) == 0;
    return written == length && closed;
}

void ToLowerAscii(std::string& text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == 0)
            break;
        if (platform::Gbk::IsLeadByte(c)) {
            ++i; // the trail byte of a double-byte character stays
            continue;
        }
        if (c >= 'A' && c <= 'Z')
            text[i] = static_cast<char>(c - 'A' + 'a');
    }
}

std::string GetFileExtLower(std::string_view path)
{
    std::string_view name = FileNamePart(path);
    size_t dot = ExtensionDot(name);
    if (dot == std::string_view::npos)
        return {};
    std::string ext(name.substr(dot));
    ToLowerAscii(ext);
    return ext;
}

std::string GetFileBaseName(std::string_view path)
{
    std::string_view name = FileNamePart(path);
    size_t dot = ExtensionDot(name);
    return std::string(dot == std::string_view::npos ? name : name.substr(0, dot));
}

std::string GetFileNameLowerExt(std::string_view path)
{
    return GetFileBaseName(path) + GetFileExtLower(path);
}

bool FileExists(std::string_view path)
{
    std::string host = ToHostPath(path);
    if (host.empty())
        return false;
    if (host.find_first_of("*?") == std::string::npos) {
        struct stat st;
        return ::stat(host.c_str(), &st) == 0;
    }
    glob_t matches {};
    int rc = ::glob(host.c_str(), GLOB_NOESCAPE | GLOB_NOSORT, nullptr, &matches);
    bool found = rc == 0 && matches.gl_pathc > 0;
    ::globfree(&matches);
    return found;
}

bool AppFileExists(std::string_view name)
{
    return FileExists(AppPath(name));
}

bool MakeDirectoryChain(std::string_view path, bool create)
{
    std::string host = ToHostPath(path);
    // Doubled separators collapse to one.
    std::string collapsed;
    collapsed.reserve(host.size());
    for (char c : host) {
        if (c == '/' && !collapsed.empty() && collapsed.back() == '/')
            continue;
        collapsed.push_back(c);
    }

    // The levels end before each separator after the first one, plus the
    // whole path when it does not end in a separator. The part before the
    // first separator (the root, or a drive on the system's own paths) is
    // never checked or made.
    size_t first = collapsed.find('/');
    if (first == std::string::npos)
        return true;
    auto level = [&](size_t end) -> bool {
        std::string dir = collapsed.substr(0, end);
        struct stat st;
        if (::stat(dir.c_str(), &st) == 0)
            return true;
        if (!create)
            return false;
        if (::mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST) {
            ShowEngineMessageBox({ "Build   Directory" + dir + "   Fail!", "", MessageBoxIcon::None });
            return false;
        }
        return true;
    };
    for (size_t sep = collapsed.find('/', first + 1); sep != std::string::npos; sep = collapsed.find('/', sep + 1)) {
        if (!level(sep))
            return false;
    }
    if (collapsed.back() != '/' && collapsed.size() > first + 1)
        return level(collapsed.size());
    return true;
}

void ShowLastErrorBox(std::string_view what)
{
    int error = errno;
    char system[256];
    const char* text = ::strerror_r(error, system, sizeof system);
    std::string message = std::string(what) + " 由于以下错误而失败: " + text;
    ShowEngineMessageBox({ message, "错误", MessageBoxIcon::Error });
}

} // namespace engine
