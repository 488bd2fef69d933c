#pragma once
// Files and the program's own directories.
//
// Paths inside the program are GBK text and may use either separator, as the
// system writes them ("skins\\skin.ini"). They turn into file-system paths
// (UTF-8, '/' only) at one point, NativePath, where a file is opened; the
// directories taken from the host (the executable's, the system directory)
// come back as GBK so that paths built on them survive that conversion.

#include <string>
#include <string_view>

namespace platform {

// The file-system form of a program path: GBK decoded to UTF-8, then every
// '\' turned into '/'. A '\' that is the second byte of a double-byte
// character is part of that character and stays out of it.
std::string NativePath(std::string_view gbkPath);

// Directory of the running executable, ending in '/'. Tests point it at a
// scratch directory with SetExecutableDir so logs and INI files land there.
std::string ExecutableDir();
void SetExecutableDir(std::string dir); // empty restores the real one

// The shared directory that holds runo.ini, ending in '/':
// $KBZN_SYSTEM_DIR when set and not empty, else $XDG_CONFIG_HOME/kbzn, else
// $HOME/.config/kbzn (the last two only when absolute, as the base-directory
// rules ask; without a usable HOME the user's home from the password
// database). Read from the environment on every call; not created here.
std::string SystemDirectory();

// The user's data directory, ending in '/', as a file-system path (UTF-8):
// $XDG_DATA_HOME when absolute, else $HOME/.local/share. Read from the
// environment on every call; not created here.
std::string DataHomeDirectory();

// Where the program keeps its logs, ending in '/': $XDG_STATE_HOME/kbzn
// when XDG_STATE_HOME is absolute, else $HOME/.local/state/kbzn. Read from
// the environment on every call, in the program's (GBK) form; not created
// here (AppendCreatingDirectory creates it with the first line).
std::string StateDirectory();

// Creates the directory and every missing parent; true when it exists as a
// directory afterwards.
bool MakeDirectories(const std::string& path);

// Appends the bytes with one write to a file opened for appending (created
// when missing), so concurrent appenders never split each other's lines.
// False when the file cannot be opened or the write is short.
bool AppendToFile(const std::string& path, std::string_view bytes);

// AppendToFile that, when the file's directory is missing, creates it (and
// its parents) and tries once more.
bool AppendCreatingDirectory(const std::string& path, std::string_view bytes);

// Whole-file read; false when it cannot be opened.
bool ReadFile(const std::string& path, std::string& out);

} // namespace platform
