#include "frame/ui/ChatView.h"

#include "engine/controls/richtext/RichTextLink.h"
#include "engine/controls/richtext/RichTextObject.h"
#include "engine/controls/widgets/ScrollBar.h"
#include "engine/core/EngineParse.h"
#include "frame/core/CGameFrameApp.h"
#include "frame/ui/PictureStrip.h"
#include "platform/Files.h"
#include "platform/Gbk.h"
#include "platform/OpenExternal.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace frame {

namespace {

constexpr size_t npos = std::string_view::npos;
// Twips to pixels at 96 dots an inch.
constexpr int kTwipsPerInch = 1440;
constexpr int kDotsPerInch = 96;
// The engine's link look.
constexpr uint32_t kLinkColour = 0xFF0000;
constexpr int kScrollBarShift = 5;
constexpr const char* kChatFace = "宋体";

bool Has(std::string_view body, std::string_view key)
{
    return body.find(key) != npos;
}

// A key's value: from the end of the key to the next ';' or the end.
std::string_view ValueAfter(std::string_view body, size_t keyEnd)
{
    std::string_view rest = body.substr(keyEnd);
    return rest.substr(0, rest.find(';'));
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i])
            return false;
    }
    return true;
}

// Bytes an address handed to an opener never needs and a shell would read.
bool IsUnsafeAddressByte(unsigned char c)
{
    return c < 0x20 || c == 0x7F || std::strchr(" \"'`$;|<>\\{}", c) != nullptr;
}

bool IsWebAddress(std::string_view target)
{
    for (std::string_view scheme : { std::string_view("http://"), std::string_view("https://") }) {
        if (StartsWithNoCase(target, scheme))
            return target.size() > scheme.size();
    }
    return false;
}

} // namespace

ChatLinkAction ClassifyChatLink(std::string_view target, const std::set<std::string>& trustedFolders)
{
    if (target.empty())
        return ChatLinkAction::kRefused;
    if (trustedFolders.count(std::string(target)) != 0)
        return ChatLinkAction::kLocalFolder;
    if (!IsWebAddress(target))
        return ChatLinkAction::kRefused;
    for (const char c : target) {
        if (IsUnsafeAddressByte(static_cast<unsigned char>(c)))
            return ChatLinkAction::kRefused;
    }
    return ChatLinkAction::kWebPage;
}

void ChatView::CreateChat(int width, int height)
{
    Create(width, height, kFlags, engine::RT_BACK_COLOUR);
    SetBackgroundColour(0xff00ff);
    SetMaxFontSize(kMaxFontSize);
    SetFontSize(kFontSize);
    SetTextColour(0);
    SetLineSpacingPixels(kLineSpacing);
}

void ChatView::Layout(int w, int h)
{
    RichText::Layout(w, h);
    if ((m_flags & engine::RT_SCROLL_BARS) && m_vBar && m_vBarShown) {
        m_vBar->MoveTo(m_vBar->GetX() + kScrollBarShift, m_vBar->GetY());
        m_vBar->Invalidate();
    }
}

void ChatView::DrawImage(engine::PictureDesc desc, int x, int y, int width, int height)
{
    if (!m_backCanvas || !desc.record)
        return;
    if (width <= desc.width) {
        RichText::DrawImage(desc, x, y, width, height);
        return;
    }
    DrawWideStrip(m_backCanvas, desc, x, y, width, height);
    m_backCanvas->Invalidate();
}

void ChatView::ResetStyle()
{
    ResetStyleTo(kFontSize, kChatFace);
}

void ChatView::OnBlur()
{
    RichText::OnBlur();
    ClearSelection();
}

// ---- markup -------------------------------------------------------------------

int ChatView::ParseTag(std::string_view body)
{
    m_selfLinkPending = false;
    if (Has(body, "notify"))
        return 1;
    int result = 0;
    // Twips; a "size=" in the same tag has the last word, as it comes later.
    const size_t twips = body.find("s=");
    const bool pixels = Has(body, "size=");
    if (twips != npos && !pixels) {
        const int size = engine::ParseInt(ValueAfter(body, twips + 2)) * kDotsPerInch / kTwipsPerInch;
        SetFontSize(std::min(size, m_maxFontSize));
        result = 1;
    }
    // "url=l" is a self link here, not a link to the address "l".
    const bool selfLink = Has(body, "e=l") || Has(body, "url=l");
    std::string engineBody(body);
    for (size_t k = engineBody.find("url=l"); k != std::string::npos; k = engineBody.find("url=l", k))
        engineBody[k + 3] = '_';
    if (RichText::ParseTag(engineBody) == 1)
        result = 1;
    // Bold text of a tag that sets bold or a size is one pixel larger.
    if ((m_style.flags & engine::NODE_BOLD) && (Has(body, "e=b") || twips != npos || pixels))
        SetFontSize(std::min(m_style.fontSize + 1, m_maxFontSize));
    if (selfLink) {
        result = 1;
        m_selfLinkPending = (m_flags & engine::RT_LINKS) != 0;
    }
    return result;
}

size_t ChatView::ContinueAfterTag(std::string_view text, size_t open, size_t close)
{
    const bool selfLink = m_selfLinkPending;
    m_selfLinkPending = false;
    return selfLink ? MakeSelfLink(text, open, close) : close + 1;
}

size_t ChatView::MakeSelfLink(std::string_view text, size_t open, size_t close)
{
    // The link's text runs from the tag's end to a "<>" that follows it
    // directly, with no other tag between.
    if (close <= open + 1)
        return close + 1;
    const std::string_view candidate = text.substr(close + 1);
    const size_t lt = candidate.find('<');
    const size_t end = candidate.find('>');
    if (lt == npos || end != lt + 1 || lt == 0)
        return close + 1;
    const std::string_view target = candidate.substr(0, lt);

    const uint32_t savedColour = m_style.colour;
    const uint32_t savedFlags = m_style.flags;
    m_style.colour = kLinkColour;
    m_style.flags |= engine::NODE_LINK | engine::NODE_UNDERLINE;
    auto* link = dynamic_cast<engine::RichTextLink*>(RegisterObject(std::make_unique<engine::RichTextLink>()));
    if (link)
        link->Create(target, {}, GetId());
    engine::RichTextNode* first = nullptr;
    engine::RichTextNode* last = nullptr;
    for (size_t pos = 0; pos < target.size();) {
        engine::RichTextNode* before = m_addTail;
        const int used = AppendChar(target.substr(pos));
        if (used == 0)
            break;
        pos += static_cast<size_t>(used);
        if (m_addTail != before) {
            if (!first)
                first = m_addTail;
            last = m_addTail;
        }
    }
    if (first) {
        first->flags |= engine::NODE_LINK_FIRST;
        last->flags |= engine::NODE_LINK_LAST;
        if (link)
            MapNodeObject(first, link->GetId());
    } else if (link) {
        RemoveObject(link, 1);
    }
    m_style.colour = savedColour;
    m_style.flags = savedFlags;
    // Past the link text and its "<>", so that "<>" does not reset the style.
    return close + 1 + lt + 2;
}

int ChatView::ParseObjectTag(std::string_view body)
{
    const size_t hash = body.find('#');
    if (hash == npos)
        return RichText::ParseObjectTag(body);
    return MakeEmoticon(body.substr(hash)) ? 1 : 0;
}

bool ChatView::MakeEmoticon(std::string_view body)
{
    // '#' and four bytes inside the tag: a double-byte character, then
    // another or two plain bytes (a face "#胜利", a card's corner "#角40").
    // The code never ends inside a character.
    if (body.size() < 5)
        return false;
    const std::string_view code = body.substr(1, 4);
    const bool secondIsDouble = platform::Gbk::IsLeadByte(static_cast<uint8_t>(code[2]));
    if (!platform::Gbk::IsLeadByte(static_cast<uint8_t>(code[0]))
        || (!secondIsDouble && platform::Gbk::IsLeadByte(static_cast<uint8_t>(code[3]))))
        return false;
    const std::string name = std::string(kFacePrefix) + std::string(code);
    engine::PictureDesc desc;
    LookupPicture(&desc, name, 0);
    if (!desc.record)
        return false;
    auto* face = dynamic_cast<engine::RichTextObject*>(RegisterObject(std::make_unique<engine::RichTextObject>()));
    if (!face)
        return true;
    face->SetAnimation(name, 0, 0);
    face->SetCopyText("#" + std::string(code));
    if (engine::RichTextNode* node = AppendObjectNode(face))
        LinkNode(node);
    else
        RemoveObject(face, 1);
    return true;
}

// ---- links --------------------------------------------------------------------

void ChatView::OpenUrl(const char* text)
{
    if (!text)
        return;
    switch (ClassifyChatLink(text, m_trustedFolders)) {
    case ChatLinkAction::kWebPage:
        OpenWebPage(text);
        break;
    case ChatLinkAction::kLocalFolder:
        OpenFolder(text);
        break;
    case ChatLinkAction::kRefused:
        break;
    }
}

void ChatView::OpenWebPage(const std::string& address)
{
    // Unsigned: the address came from another player or the server, and
    // the user's sign must not travel to a page nobody checked.
    if (CGameFrameApp* app = CGameFrameApp::Current())
        app->OpenUrlInBrowser(address, false);
    else
        platform::OpenExternal(platform::Gbk::ToUtf8(address));
}

void ChatView::OpenFolder(const std::string& folder)
{
    platform::OpenExternal(platform::NativePath(folder));
}

} // namespace frame
