#include "platform/IniFile.h"

#include "platform/Files.h"
#include "platform/Gbk.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <vector>

#include <unistd.h>

namespace platform {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// ASCII letters compare without case; the two bytes of a GBK character are
// compared as they are, since a trail byte may fall in the letter range.
bool NamesEqual(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (Gbk::IsLeadByte(x) && i + 1 < a.size()) {
            if (x != y || a[i + 1] != b[i + 1])
                return false;
            ++i;
            continue;
        }
        if (x >= 'A' && x <= 'Z')
            x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

struct Line {
    std::string text; // without the line end
    enum Kind { kOther, kSection, kKey } kind = kOther;
    std::string_view name;  // section or key name (into text)
    std::string_view value; // key value (into text)
};

struct Document {
    std::vector<Line> lines;
    bool crlf = false;
    bool endsWithNewline = true;
};

void Classify(Line& line)
{
    std::string_view t = Trim(line.text);
    if (t.empty() || t.front() == ';' || t.front() == '#')
        return;
    if (t.front() == '[') {
        auto close = t.find(']');
        if (close == std::string_view::npos)
            return; // a broken section line is skipped
        line.kind = Line::kSection;
        line.name = Trim(t.substr(1, close - 1));
        return;
    }
    auto eq = t.find('=');
    if (eq == std::string_view::npos)
        return;
    std::string_view name = Trim(t.substr(0, eq));
    if (name.empty())
        return;
    line.kind = Line::kKey;
    line.name = name;
    line.value = Trim(t.substr(eq + 1));
}

bool Load(const std::string& path, Document& doc)
{
    std::string bytes;
    if (!ReadFile(path, bytes))
        return false;
    doc.crlf = bytes.find("\r\n") != std::string::npos;
    doc.endsWithNewline = bytes.empty() || bytes.back() == '\n';
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
            end = bytes.size();
        Line line;
        line.text = bytes.substr(start, end - start);
        if (!line.text.empty() && line.text.back() == '\r')
            line.text.pop_back();
        doc.lines.push_back(std::move(line));
        start = end + 1;
    }
    for (Line& line : doc.lines)
        Classify(line);
    return true;
}

// Index of the key's line inside the first section of that name, or -1;
// sectionLine is the section header's index (-1 when there is none).
int FindKey(const Document& doc, std::string_view section, std::string_view key, int* sectionLine)
{
    bool inSection = false;
    if (sectionLine)
        *sectionLine = -1;
    for (size_t i = 0; i < doc.lines.size(); ++i) {
        const Line& line = doc.lines[i];
        if (line.kind == Line::kSection) {
            inSection = NamesEqual(line.name, section);
            if (inSection && sectionLine && *sectionLine < 0)
                *sectionLine = static_cast<int>(i);
            continue;
        }
        if (inSection && line.kind == Line::kKey && NamesEqual(line.name, key))
            return static_cast<int>(i);
    }
    return -1;
}

// Built with append: gcc 12 warns wrongly about operator+ chains here.
std::string Concat(std::string_view a, std::string_view b, std::string_view c)
{
    std::string out;
    out.reserve(a.size() + b.size() + c.size());
    out.append(a).append(b).append(c);
    return out;
}

std::string Unquote(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

} // namespace

IniSnapshot::IniSnapshot(const std::string& path)
{
    Document doc;
    m_exists = Load(path, doc);
    std::string section;
    bool inSection = false;
    for (const Line& line : doc.lines) {
        if (line.kind == Line::kSection) {
            section = std::string(line.name);
            inSection = true;
        } else if (line.kind == Line::kKey && inSection) {
            m_entries.push_back(Entry { section, std::string(line.name), std::string(line.value) });
        }
    }
}

const IniSnapshot::Entry* IniSnapshot::Find(std::string_view section, std::string_view key) const
{
    for (const Entry& entry : m_entries) {
        if (NamesEqual(entry.section, section) && NamesEqual(entry.key, key))
            return &entry;
    }
    return nullptr;
}

std::string IniSnapshot::GetString(std::string_view section, std::string_view key, std::string_view fallback) const
{
    const Entry* entry = Find(section, key);
    return entry ? Unquote(entry->value) : std::string(fallback);
}

int IniSnapshot::GetInt(std::string_view section, std::string_view key, int fallback) const
{
    const Entry* entry = Find(section, key);
    return entry ? IniFile::ParseInt(Unquote(entry->value), fallback) : fallback;
}

std::string IniFile::GetString(std::string_view section, std::string_view key, std::string_view fallback) const
{
    return IniSnapshot(m_path).GetString(section, key, fallback);
}

int IniFile::ParseInt(std::string_view value, int fallback)
{
    value = Trim(value);
    if (value.empty())
        return fallback;
    size_t i = 0;
    bool negative = false;
    if (value[i] == '+' || value[i] == '-') {
        negative = value[i] == '-';
        ++i;
    }
    unsigned base = 10;
    if (i + 1 < value.size() && value[i] == '0' && (value[i + 1] == 'x' || value[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    uint32_t result = 0; // wraps like the 32-bit reading it stands for
    for (; i < value.size(); ++i) {
        char c = value[i];
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        else
            break;
        result = result * base + digit;
    }
    if (negative)
        result = 0u - result;
    return static_cast<int>(result);
}

int IniFile::GetInt(std::string_view section, std::string_view key, int fallback) const
{
    return IniSnapshot(m_path).GetInt(section, key, fallback);
}

bool IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) const
{
    Document doc;
    Load(m_path, doc); // a missing file starts empty
    std::string keyLine = Concat(key, "=", value);
    int sectionLine = -1;
    int at = FindKey(doc, section, key, &sectionLine);
    if (at >= 0) {
        // The key keeps the spelling it already has in the file.
        Line& line = doc.lines[static_cast<size_t>(at)];
        line.text = Concat(line.name, "=", value);
    } else if (sectionLine >= 0) {
        // After the section's last key (or its header), before any blank
        // lines that separate it from the next section.
        size_t insert = static_cast<size_t>(sectionLine) + 1;
        for (size_t i = insert; i < doc.lines.size() && doc.lines[i].kind != Line::kSection; ++i) {
            if (doc.lines[i].kind == Line::kKey)
                insert = i + 1;
        }
        Line line;
        line.text = keyLine;
        doc.lines.insert(doc.lines.begin() + static_cast<std::ptrdiff_t>(insert), std::move(line));
    } else {
        Line header;
        header.text = Concat("[", section, "]");
        Line line;
        line.text = keyLine;
        doc.lines.push_back(std::move(header));
        doc.lines.push_back(std::move(line));
    }
    const char* eol = doc.crlf ? "\r\n" : "\n";
    std::string out;
    for (const Line& line : doc.lines) {
        out += line.text;
        out += eol;
    }
    std::string target = NativePath(m_path);
    std::string temp = target + ".tmp";
    {
        std::ofstream file(temp, std::ios::binary | std::ios::trunc);
        if (!file)
            return false;
        file.write(out.data(), static_cast<std::streamsize>(out.size()));
        if (!file.flush())
            return false;
    }
    if (std::rename(temp.c_str(), target.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

bool IniFile::WriteInt(std::string_view section, std::string_view key, int value) const
{
    return WriteString(section, key, std::to_string(value));
}

} // namespace platform
