#include "engine/modules/ResourceNames.h"

#include "engine/core/EngineFiles.h"
#include "engine/core/NameKey.h"

#include <array>
#include <utility>

namespace engine {

namespace {

struct CategoryRow {
    uint32_t extension;
    uint32_t category;
};

// Row order matters: the first matching row wins.
const std::array<std::pair<const char*, const char*>, 32> kCategoryRows = { {
    { ".pps", ".imge" },
    { ".png", ".imge" },
    { ".jpg", ".imge" },
    { ".jpeg", ".imge" },
    { ".gif", ".imge" },
    { ".bmp", ".imge" },
    { ".mng", ".imge" },
    { ".ico", ".imge" },
    { ".tga", ".imge" },
    { ".tif", ".imge" },
    { ".pcx", ".imge" },
    { ".wbmp", ".imge" },
    { ".wmf", ".imge" },
    { ".mp3", ".sound" },
    { ".wav", ".sound" },
    { ".ogg", ".sound" },
    { ".mid", ".sound" },
    { ".lua", ".script" },
    { ".vks", ".script" },
    { ".swf", ".flash" },
    { ".flv", ".flash" },
    { ".avi", ".vedio" },
    { ".rm", ".vedio" },
    { ".rmvb", ".vedio" },
    { ".mpeg", ".vedio" },
    { ".htm", ".http" },
    { ".asp", ".http" },
    { ".html", ".http" },
    { ".aspx", ".http" },
    { ".jsp", ".http" },
    { ".php", ".http" },
    { ".cgi", ".http" },
} };

// Filled once, on first use (the table is constant, so this is not state).
const std::array<CategoryRow, 32>& CategoryTable()
{
    static const std::array<CategoryRow, 32> table = [] {
        std::array<CategoryRow, 32> rows {};
        for (size_t i = 0; i < kCategoryRows.size(); ++i)
            rows[i] = { NameHash(kCategoryRows[i].first), NameHash(kCategoryRows[i].second) };
        return rows;
    }();
    return table;
}

// The wider list that names use; compared as text, in this order.
const std::pair<const char*, const char*> kNameCategories[] = {
    { ".pps", ".imge" },
    { ".bmp", ".imge" },
    { ".png", ".imge" },
    { ".gif", ".imge" },
    { ".jpg", ".imge" },
    { ".jpeg", ".imge" },
    { ".ico", ".imge" },
    { ".tga", ".imge" },
    { ".tif", ".imge" },
    { ".mng", ".imge" },
    { ".pcx", ".imge" },
    { ".wbmp", ".imge" },
    { ".wmf", ".imge" },
    { ".mp3", ".sound" },
    { ".wav", ".sound" },
    { ".mid", ".sound" },
    { ".ogg", ".sound" },
    { ".sound", ".sound" },
    { ".txt", ".text" },
    { ".doc", ".text" },
    { ".ini", ".ini" },
    { ".vki", ".ini" },
    { ".avi", ".vedio" },
    { ".rm", ".vedio" },
    { ".rmvb", ".vedio" },
    { ".mpeg", ".vedio" },
    { ".vks", ".script" },
    { ".lua", ".script" },
    { ".swf", ".flash" },
    { ".flv", ".flash" },
    { ".htm", ".http" },
    { ".html", ".http" },
    { ".asp", ".http" },
    { ".aspx", ".http" },
    { ".jsp", ".http" },
    { ".php", ".http" },
    { ".cgi", ".http" },
};

} // namespace

uint32_t ExtensionCategory(uint32_t extensionHash)
{
    for (const CategoryRow& row : CategoryTable()) {
        if (row.extension == extensionHash)
            return row.category;
    }
    return extensionHash;
}

int CategoryExtension(std::string& base, std::string_view ext)
{
    for (const auto& [from, to] : kNameCategories) {
        if (ext == from) {
            base += to;
            return 1;
        }
    }
    base += ext;
    return 0;
}

std::string ResourceLookupName(std::string_view path, const char* name)
{
    std::string ext = GetFileExtLower(path);
    std::string base = name ? std::string(name) : GetFileBaseName(path);
    CategoryExtension(base, ext);
    return base;
}

} // namespace engine
