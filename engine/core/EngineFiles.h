#pragma once
// Paths and files shared by the engine and the client. Paths are GBK bytes
// and may use either separator: the system writes Windows-style paths
// ("skins\\skin.ini"); every function here turns a backslash that is not the
// second byte of a double-byte character into '/' before touching the disk.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace engine {

// The program's directory with a trailing separator.
std::string GetAppDir();
// GetAppDir() + name.
std::string AppPath(std::string_view name);

// The program's GBK path as the file system names it: UTF-8, with the
// Windows separators turned into '/'.
std::string ToHostPath(std::string_view path);

// The whole file plus a terminating zero; *length gets the file size. Null
// for an empty path, and for a file that cannot be read (which is written
// to the daily log).
std::unique_ptr<char[]> ReadWholeFile(std::string_view path, size_t* length);

// Creates or truncates the file and writes the block; true when it was
// written whole.
bool WriteWholeFile(std::string_view path, const void* data, size_t length);

// Lower-cases A-Z in place, leaving the bytes of double-byte characters
// alone.
void ToLowerAscii(std::string& text);

// ".png" for "skins\\Card.PNG"; empty when the name has no extension.
std::string GetFileExtLower(std::string_view path);
// "Card" for "skins\\Card.PNG".
std::string GetFileBaseName(std::string_view path);
// "Card.png" for "skins\\Card.PNG".
std::string GetFileNameLowerExt(std::string_view path);

// Whether the first match of the path (wildcards * and ? allowed) exists,
// as a file or a directory.
bool FileExists(std::string_view path);
bool AppFileExists(std::string_view name);

// Checks (and with create, makes) every directory level of the path after
// its first separator. True when every level exists at the end; a level that
// cannot be made is reported in a message box.
bool MakeDirectoryChain(std::string_view path, bool create);

// Shows "<what> 由于以下错误而失败: <system text>" for the last error (errno)
// in an error box titled "错误".
void ShowLastErrorBox(std::string_view what);

} // namespace engine
