// Reading markup: the scanner, the style-tag and object-tag readers and the
// node builders.

#include "engine/controls/richtext/RichText.h"
#include "engine/controls/richtext/RichTextLink.h"
#include "engine/controls/richtext/RichTextObject.h"
#include "engine/core/EngineParse.h"
#include "engine/text/GbkCut.h"
#include "platform/Gbk.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

namespace engine {

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The value of a key: from the end of the key to the next ';' or the end of
// the body.
std::string_view ValueAfter(std::string_view body, size_t keyEnd)
{
    std::string_view rest = body.substr(keyEnd);
    const size_t semi = rest.find(';');
    return semi == std::string_view::npos ? rest : rest.substr(0, semi);
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 0;
}

// A face name cut to what the face field holds (31 bytes), never in the
// middle of a double-byte character.
std::string_view CutFace(std::string_view face)
{
    return face.substr(0, GbkCutLength(face, kFaceBytes - 1));
}

} // namespace

void RichText::AddMarkupText(std::string_view text)
{
    // The text ends at its first zero byte, as a C string would.
    const size_t zero = text.find('\0');
    if (zero != std::string_view::npos)
        text = text.substr(0, zero);

    m_addHead = nullptr;
    m_addTail = nullptr;
    m_addCount = 0;
    const RichTextStyle entry = m_style;

    size_t pos = 0;
    const size_t size = text.size();
    auto at = [&](size_t i) -> char { return i < size ? text[i] : '\0'; };

    while (pos < size) {
        const char c = text[pos];
        const char n = at(pos + 1);
        if (c == '#') {
            if (n == '#' || n == '<' || n == '>' || n == '/') {
                ++pos; // the escaped byte follows as an ordinary character
            } else if (IsDigit(n) && IsDigit(at(pos + 2))) {
                // '#' followed by digits is plain text
            } else if (IsAsciiLetter(n)) {
                if (ParseTag(text.substr(pos, 2)) == 1) {
                    pos += 2;
                    continue;
                }
            } else if (size - pos >= 5) {
                if (ParseObjectTag(text.substr(pos, 5)) == 1) {
                    pos += 5;
                    continue;
                }
            }
        } else if (c == '<') {
            const size_t close = text.find('>', pos + 1);
            if (close != std::string_view::npos) {
                if (close == pos + 1) {
                    m_style = entry;
                    pos += 2;
                    continue;
                }
                const std::string_view body = text.substr(pos + 1, close - pos - 1);
                if (ParseTag(body) == 1 || ParseObjectTag(body) == 1) {
                    pos = std::max(ContinueAfterTag(text, pos, close), close + 1);
                    continue;
                }
            }
        } else if (c == '\r') {
            ++pos;
            continue;
        }
        const int used = AppendChar(text.substr(pos));
        if (used == 0)
            break; // a lead byte with nothing after it: dropped
        pos += static_cast<size_t>(used);
    }

    FinishAppend();
    m_style = entry;
}

size_t RichText::ContinueAfterTag(std::string_view, size_t, size_t close)
{
    return close + 1;
}

int RichText::AppendChar(std::string_view text)
{
    if (text.empty() || text[0] == '\0')
        return 0;
    const auto lead = static_cast<uint8_t>(text[0]);
    const bool pair = platform::Gbk::IsLeadByte(lead);
    if (pair && (text.size() < 2 || text[1] == '\0'))
        return 0;
    RichTextNode* node = NewNode();
    if (!node)
        return pair ? 2 : 1;
    const int size = m_style.fontSize;
    if (!pair) {
        node->width = static_cast<uint16_t>(size / 2);
        node->height = static_cast<uint16_t>(size);
        node->spacing = m_charSpacing;
        node->flags = m_style.flags | NODE_CHAR | (lead == 10 ? NODE_NEWLINE : 0);
        node->code = lead;
    } else {
        node->code = lead | (static_cast<uint32_t>(static_cast<uint8_t>(text[1])) << 8);
        node->width = static_cast<uint16_t>(size);
        node->height = static_cast<uint16_t>(size);
        node->spacing = 2 * m_charSpacing;
        node->flags = m_style.flags | NODE_DBCS;
    }
    node->colour = m_style.colour;
    node->font = FindOrAddFont(std::string_view(m_style.face.data()));
    LinkNode(node);
    return pair ? 2 : 1;
}

void RichText::LinkNode(RichTextNode* node)
{
    if (!node)
        return;
    node->next = nullptr;
    if (m_addTail)
        m_addTail->next = node;
    else
        m_addHead = node;
    m_addTail = node;
    if (!m_first)
        m_first = node;
    ++m_addCount;
}

void RichText::MapNodeObject(const RichTextNode* node, int objectId)
{
    if (node)
        m_nodeObjects[node] = objectId;
}

int RichText::FindNodeObject(const RichTextNode* node) const
{
    const auto it = m_nodeObjects.find(node);
    return it == m_nodeObjects.end() ? 0 : it->second;
}

int RichText::ParseTag(std::string_view body)
{
    if (body.find("notify") != std::string_view::npos)
        return 1;
    int result = 0;
    if (body.find("e=b") != std::string_view::npos) {
        m_style.flags |= NODE_BOLD;
        result = 1;
    }
    if (body.find("e=u") != std::string_view::npos) {
        m_style.flags |= NODE_UNDERLINE;
        result = 1;
    }
    if (body.find("e=i") != std::string_view::npos) {
        m_style.flags |= NODE_ITALIC;
        result = 1;
    }
    if (const size_t k = body.find("c="); k != std::string_view::npos) {
        m_style.colour = static_cast<uint32_t>(ParseInt(ValueAfter(body, k + 2)));
        result = 1;
    }
    if (const size_t k = body.find("color="); k != std::string_view::npos) {
        // Six characters after the key; any that are missing or not hex
        // digits count 0.
        const std::string_view hex = body.substr(k + 6, 6);
        uint32_t digits[6] = {};
        for (size_t i = 0; i < hex.size(); ++i)
            digits[i] = static_cast<uint32_t>(HexDigit(hex[i]));
        const uint32_t r = digits[0] << 4 | digits[1];
        const uint32_t g = digits[2] << 4 | digits[3];
        const uint32_t b = digits[4] << 4 | digits[5];
        m_style.colour = r | g << 8 | b << 16;
        result = 1;
    }
    if (const size_t k = body.find('#'); k != std::string_view::npos && k + 1 < body.size()) {
        bool known = true;
        switch (body[k + 1]) {
        case 'w': case 'W': m_style.colour = 0xFFFFFF; break;
        case 'b': case 'B': m_style.colour = 0xFF0000; break;
        case 'k': case 'K': m_style.colour = 0; break;
        case 'r': case 'R': m_style.colour = 0x0000FF; break;
        case 'g': case 'G': m_style.colour = 0x00FF00; break;
        case 'y': case 'Y': m_style.colour = 0x00FFFF; break;
        default: known = false; break;
        }
        if (known)
            result = 1;
    }
    if (const size_t k = body.find("size="); k != std::string_view::npos) {
        SetFontSize(std::min(ParseInt(ValueAfter(body, k + 5)), m_maxFontSize));
        result = 1;
    }
    if (const size_t k = body.find("face="); k != std::string_view::npos) {
        const std::string_view face = CutFace(ValueAfter(body, k + 5));
        m_style.face.fill(0);
        std::memcpy(m_style.face.data(), face.data(), face.size());
        result = 1;
    }
    if (const size_t k = body.find("url="); k != std::string_view::npos) {
        const std::string_view data = ValueAfter(body, k + 4);
        AppendLink(data, data, {});
        result = 1;
    }
    if (const size_t k = body.find("url_text="); k != std::string_view::npos) {
        std::vector<std::string> parts;
        if (SplitCommaList(ValueAfter(body, k + 9), parts) >= 2) {
            AppendLink(parts[0], parts[1], parts.size() >= 3 ? std::string_view(parts[2]) : std::string_view());
            result = 1;
        }
    }
    if (const size_t k = body.find("url_load="); k != std::string_view::npos && (m_flags & RT_LOAD_LINKS)) {
        // Only a load that is made answers for the tag; a key too short to
        // make one leaves the answer to the keys that took effect.
        if (const std::optional<int> loaded = ParseUrlLoad(ValueAfter(body, k + 9)))
            result = *loaded;
    }
    return result;
}

std::optional<int> RichText::ParseUrlLoad(std::string_view value)
{
    std::vector<std::string> parts;
    if (SplitCommaList(value, parts) < 2)
        return std::nullopt;
    const int c = parts.size() >= 3 ? ParseBoolOrInt(parts[2]) : 0;
    const std::string* d = parts.size() >= 4 ? &parts[3] : nullptr;
    return LoadUrl(parts[1], parts[0], c, d);
}

int RichText::LoadUrl(std::string_view, std::string_view, int, const std::string*)
{
    return 0;
}

void RichText::AppendLink(std::string_view data, std::string_view shown, std::string_view picture)
{
    const uint32_t savedColour = m_style.colour;
    const uint32_t savedFlags = m_style.flags;
    int linkId = 0;
    // A link with nothing to show would have no node to carry it and could
    // never be removed: make none.
    if ((m_flags & RT_LINKS) && !shown.empty()) {
        m_style.colour = 0xFF0000;
        m_style.flags |= NODE_LINK | NODE_UNDERLINE;
        auto* link = dynamic_cast<RichTextLink*>(RegisterObject(std::make_unique<RichTextLink>()));
        if (link) {
            link->Create(data, picture, GetId());
            linkId = link->GetId();
        }
    }
    RichTextNode* firstNode = nullptr;
    RichTextNode* lastNode = nullptr;
    size_t pos = 0;
    while (pos < shown.size() && shown[pos] != '\0') {
        RichTextNode* before = m_addTail;
        const int used = AppendChar(shown.substr(pos));
        if (used == 0)
            break;
        pos += static_cast<size_t>(used);
        if (m_addTail != before) {
            if (!firstNode)
                firstNode = m_addTail;
            lastNode = m_addTail;
        }
    }
    if (m_flags & RT_LINKS) {
        if (firstNode) {
            firstNode->flags |= NODE_LINK_FIRST;
            lastNode->flags |= NODE_LINK_LAST;
            if (linkId)
                MapNodeObject(firstNode, linkId);
        } else if (linkId) {
            if (EngineObject* link = FindObjectById(linkId))
                RemoveObject(link, 1);
        }
    }
    m_style.colour = savedColour;
    m_style.flags = savedFlags;
}

int RichText::ParseObjectTag(std::string_view body)
{
    enum class Kind { kPicture, kAnimation, kButton };
    Kind kind;
    size_t k;
    if ((k = body.find("z=")) != std::string_view::npos) {
        kind = Kind::kPicture;
        k += 2;
    } else if ((k = body.find("m=")) != std::string_view::npos) {
        kind = Kind::kAnimation;
        k += 2;
    } else if ((k = body.find("url_btn=")) != std::string_view::npos) {
        kind = Kind::kButton;
        k += 8;
    } else {
        return 0;
    }
    std::vector<std::string> parts;
    const size_t count = SplitCommaList(ValueAfter(body, k), parts);
    if (count == 0)
        return 0;
    if (kind == Kind::kButton && (count < 2 || !(m_flags & RT_LINKS)))
        return 0;

    const std::string& pictureName = kind == Kind::kButton ? parts[1] : parts[0];
    const int frame = kind == Kind::kPicture && count >= 2 ? ParseInt(parts[1]) : 0;
    int width = 0;
    int height = 0;
    if (count == 4) {
        width = ParseInt(parts[2]);
        height = ParseInt(parts[3]);
    }
    PictureDesc desc;
    LookupPicture(&desc, pictureName, frame);
    if (!desc.record)
        return 1; // a missing picture swallows its tag

    auto* object = dynamic_cast<RichTextObject*>(RegisterObject(std::make_unique<RichTextObject>()));
    if (!object)
        return 1;
    RichTextNode* node = nullptr;
    switch (kind) {
    case Kind::kPicture:
        object->SetPicture(desc, width, height);
        object->SetCopyText("[图片]");
        node = AppendObjectNode(object);
        break;
    case Kind::kAnimation:
        object->SetAnimation(pictureName, width, height);
        object->SetCopyText("[图片]");
        node = AppendObjectNode(object);
        break;
    case Kind::kButton:
        node = NewNode();
        if (!node)
            break;
        node->flags = NODE_OBJECT | NODE_BUTTON;
        object->SetButton(pictureName, GetId(), width, height);
        object->SetLinkData(parts[0]);
        object->SetCopyText(parts[0]);
        object->SetRect(GetTextArea());
        object->SetZ(GetTextDepth());
        node->width = static_cast<uint16_t>(object->GetWholeWidth());
        node->height = static_cast<uint16_t>(object->GetWholeHeight());
        node->code = static_cast<uint32_t>(object->GetId());
        node->spacing = 0;
        break;
    }
    if (node)
        LinkNode(node);
    else
        RemoveObject(object, 1);
    return 1;
}

RichTextNode* RichText::AppendObjectNode(GameObject* object)
{
    auto* inline_ = dynamic_cast<RichTextObject*>(object);
    if (!inline_)
        return nullptr;
    if (GetFlags() & 0x40)
        inline_->SetTopmost();
    inline_->SetRect(GetTextArea());
    inline_->SetZ(GetTextDepth());
    inline_->Invalidate();
    RichTextNode* node = NewNode();
    if (!node)
        return nullptr;
    node->flags = NODE_OBJECT;
    node->width = static_cast<uint16_t>(inline_->GetWholeWidth());
    node->height = static_cast<uint16_t>(inline_->GetWholeHeight());
    node->code = static_cast<uint32_t>(inline_->GetId());
    node->spacing = 2 * m_charSpacing;
    return node;
}

} // namespace engine
