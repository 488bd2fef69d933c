#include "platform/FileTypeRegistry.h"

#include "platform/Files.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <vector>

extern char** environ;

namespace platform {

namespace {

std::string XmlEscaped(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c; break;
        }
    }
    return out;
}

// A value of a desktop entry: line breaks and backslashes escaped.
std::string EntryValue(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

// One argument of an Exec line, quoted so that blanks and the reserved
// characters stay part of it.
std::string ExecArgument(const std::string& argument)
{
    std::string out = "\"";
    for (const char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

bool WriteWhole(const std::string& path, const std::string& text)
{
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    file.close();
    return file.good();
}

// Runs a program found on PATH with its output discarded and waits for it;
// a missing program or a failure is simply ignored.
void RunQuietly(const std::vector<std::string>& arguments)
{
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0)
        return;
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) { }
}

} // namespace

std::string MimePackageText(const FileType& type)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
           "  <mime-type type=\""
        + XmlEscaped(type.mimeType) + "\">\n    <comment>" + XmlEscaped(type.comment)
        + "</comment>\n    <glob pattern=\"*." + XmlEscaped(type.extension)
        + "\" case-sensitive=\"true\"/>\n  </mime-type>\n</mime-info>\n";
}

std::string DesktopEntryText(const FileType& type)
{
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name="
        + EntryValue(type.comment) + "\nExec=" + EntryValue(ExecArgument(type.opener)) + " %f\nIcon="
        + EntryValue(type.iconPath) + "\nMimeType=" + EntryValue(type.mimeType)
        + ";\nNoDisplay=true\nTerminal=false\n";
}

std::string MimePackagePath(const std::string& dataHome, const FileType& type)
{
    return dataHome + "mime/packages/" + type.id + ".xml";
}

std::string DesktopEntryPath(const std::string& dataHome, const FileType& type)
{
    return dataHome + "applications/" + type.id + ".desktop";
}

FileTypeResult RegisterFileType(const FileType& type)
{
    const std::string dataHome = DataHomeDirectory();
    FileTypeResult result;
    result.packageWritten = WriteWhole(MimePackagePath(dataHome, type), MimePackageText(type));
    result.entryWritten = WriteWhole(DesktopEntryPath(dataHome, type), DesktopEntryText(type));
    if (result.packageWritten)
        RunQuietly({ "update-mime-database", dataHome + "mime" });
    if (result.entryWritten) {
        // The desktops find an entry's types through the index of its
        // directory, not by reading every entry; without the index the
        // entry opens nothing unless xdg-mime made it the default.
        RunQuietly({ "update-desktop-database", dataHome + "applications" });
        RunQuietly({ "xdg-mime", "default", type.id + ".desktop", type.mimeType });
    }
    return result;
}

} // namespace platform
