#pragma once
// INI files with the semantics of the Windows profile functions that the
// system uses: a missing file, section or key gives the default; section and
// key names compare without regard to ASCII case; values lose surrounding
// blanks and one pair of matching quotes; integers are read like the
// profile functions read them (optional sign, decimal or 0x hexadecimal, up
// to the first other character, an empty value gives the default). Writing a
// key creates the file and the section when missing and keeps every other
// line. Lines that are neither a section, a key nor a comment are skipped.
//
// Every call reads the file again, so changes made by other programs are
// seen at once. Text is GBK bytes, passed through unchanged; the path is a
// program path too (GBK, either separator), opened through NativePath.

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The keys of an INI file as read once, for several look-ups in a row.
class IniSnapshot {
public:
    explicit IniSnapshot(const std::string& path);
    bool Exists() const { return m_exists; }
    // Same answers as IniFile's, from the contents read at construction.
    std::string GetString(std::string_view section, std::string_view key, std::string_view fallback) const;
    int GetInt(std::string_view section, std::string_view key, int fallback) const;

private:
    struct Entry {
        std::string section;
        std::string key;
        std::string value; // blanks trimmed, quotes still on
    };
    const Entry* Find(std::string_view section, std::string_view key) const;

    bool m_exists = false;
    std::vector<Entry> m_entries;
};

class IniFile {
public:
    explicit IniFile(std::string path)
        : m_path(std::move(path))
    {
    }

    const std::string& Path() const { return m_path; }

    std::string GetString(std::string_view section, std::string_view key, std::string_view fallback) const;
    int GetInt(std::string_view section, std::string_view key, int fallback) const;
    // False when the file cannot be written; the old file then stays as it
    // was (the new contents are written aside and renamed over it).
    bool WriteString(std::string_view section, std::string_view key, std::string_view value) const;
    bool WriteInt(std::string_view section, std::string_view key, int value) const;

    // The integer reading of one value, as GetInt applies it.
    static int ParseInt(std::string_view value, int fallback);

private:
    std::string m_path;
};

} // namespace platform
