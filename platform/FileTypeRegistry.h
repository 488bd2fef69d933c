#pragma once
// A file type made known to the desktop the freedesktop way: a
// shared-mime-info package that names the type and its extension, and a
// desktop entry that opens such files with a given program, both under the
// user's data directory ($XDG_DATA_HOME, by default ~/.local/share). Where
// update-mime-database, update-desktop-database and xdg-mime are installed
// they are run so that the desktop picks the type and the entry up and the
// entry becomes the type's default opener.
//
// Every call rewrites both files, also when they exist. Nothing here fails
// loudly: a file that cannot be written or a tool that is missing or fails
// is skipped, and the result says what was written.

#include <string>

namespace platform {

struct FileType {
    std::string id;        // file stem of the package and the entry ("kbzn-vududivi")
    std::string mimeType;  // "application/x-vududivi"
    std::string extension; // without the dot; matched case-sensitively
    std::string comment;   // what the type is, UTF-8
    std::string iconPath;  // file-system path of the icon
    std::string opener;    // file-system path of the program that opens such files
};

struct FileTypeResult {
    bool packageWritten = false;
    bool entryWritten = false;
};

// The texts of the two files.
std::string MimePackageText(const FileType& type);
std::string DesktopEntryText(const FileType& type);
// Where they go under a data directory ending in '/'.
std::string MimePackagePath(const std::string& dataHome, const FileType& type);
std::string DesktopEntryPath(const std::string& dataHome, const FileType& type);

FileTypeResult RegisterFileType(const FileType& type);

} // namespace platform
