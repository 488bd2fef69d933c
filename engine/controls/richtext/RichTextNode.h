#pragma once
// The records of rich text: the style in force while markup is read, the
// table of font faces that nodes point into, and the node made for every
// character or inline object.

#include <array>
#include <cstddef>
#include <cstdint>

namespace engine {

inline constexpr uint32_t NODE_CHAR = 0x1;
inline constexpr uint32_t NODE_DBCS = 0x2;
inline constexpr uint32_t NODE_OBJECT = 0x8;
inline constexpr uint32_t NODE_ITALIC = 0x10;
inline constexpr uint32_t NODE_UNDERLINE = 0x20;
inline constexpr uint32_t NODE_BOLD = 0x80;
inline constexpr uint32_t NODE_BUTTON = 0x200;
inline constexpr uint32_t NODE_LINK_FIRST = 0x400;
inline constexpr uint32_t NODE_LINK_LAST = 0x800;
inline constexpr uint32_t NODE_NEWLINE = 0x1000;
inline constexpr uint32_t NODE_LINK = 0x2000;
inline constexpr uint32_t NODE_HIDDEN = 0x8000;

inline constexpr size_t kFaceBytes = 32; // a face name and its terminating zero

struct RichTextStyle {
    int32_t fontSize = 14;
    std::array<char, kFaceBytes> face {}; // zero-terminated, at most 31 bytes of text
    uint32_t colour = 0x010101;
    uint32_t flags = 0;
};

struct FontFaceTable {
    static constexpr int kEntries = 20;
    std::array<std::array<char, kFaceBytes>, kEntries> names {};
    int count = 0;
};

struct RichTextNode {
    int32_t x = 0;
    int32_t y = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    int32_t lineTop = 0;
    int32_t spacing = 0;
    uint32_t flags = 0;
    uint32_t code = 0; // one or two GBK bytes, low byte first; or an object's id
    uint32_t colour = 0;
    const char* font = nullptr; // an entry of the view's face table; not owned
    RichTextNode* next = nullptr;
};

} // namespace engine
