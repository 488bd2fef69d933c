#pragma once
// Resource names and their categories. Every resource is filed under the
// NameKey of its base name followed by a category extension (".imge" for
// pictures, ".sound" for sounds, ...), so a picture is found whatever file
// type it was stored as. Packs store these keys, so both mappings must stay
// bit-exact.

#include <cstdint>
#include <string>
#include <string_view>

namespace engine {

// The category hash of a file extension hash (NameHash of ".png" gives
// NameHash of ".imge"); an extension without a category maps to itself.
uint32_t ExtensionCategory(uint32_t extensionHash);

// Appends to base the category extension of ext (lower case, with its dot).
// 1 when ext has a category; otherwise ext itself is appended and 0 returned.
int CategoryExtension(std::string& base, std::string_view ext);

// The lookup name of a file path or name: its base name (or `name` when
// given) followed by the category extension of its lower-cased extension.
std::string ResourceLookupName(std::string_view path, const char* name = nullptr);

} // namespace engine
