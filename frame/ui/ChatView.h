#pragma once
// The chat view: the engine's rich text with the chat's own markup and its
// own way of opening links.
//
// Markup on top of the engine's: "s=" sizes in twips (1/20 point, so
// "s=240" is 16 pixels), a bold style one pixel larger, self links ("e=l"
// or "url=l": the text up to the next "<>" is the link's target and what it
// shows), and emoticons written "#" plus a two-character code, shown as the
// animated picture "vkf" + code when the skin has one.
//
// Lines come from other players and the server, so the view opens only web
// addresses that cannot mean anything else; a local folder opens only when
// the client itself trusted it (the screenshot folder of its own notice).

#include "engine/controls/richtext/RichText.h"

#include <set>
#include <string>
#include <string_view>

namespace frame {

// What a click on a link in the chat does.
enum class ChatLinkAction {
    kRefused,    // nothing: not an address the chat may open
    kWebPage,    // the browser, with the address as its one argument
    kLocalFolder // the desktop's file manager, for a folder the client trusted
};

// The verdict for a link target (GBK). Web pages must be http or https
// addresses with something after the scheme and none of the characters a
// shell or an opener might read as more than an address (spaces, quotes,
// control characters, `$;|<>\{}). A target in trustedFolders opens as a
// folder; no other local path, relative path or scheme opens at all.
ChatLinkAction ClassifyChatLink(std::string_view target, const std::set<std::string>& trustedFolders);

class ChatView : public engine::RichText {
public:
    static constexpr uint32_t kFlags = engine::RT_SCROLL_BARS | engine::RT_KEEP_IN_VIEW | engine::RT_SELECTABLE
        | engine::RT_EXTRA_PART | engine::RT_LINKS;
    static constexpr int kMaxFontSize = 30;
    static constexpr int kFontSize = 12;
    static constexpr int kLineSpacing = 5;
    // Emoticon pictures are named this prefix and the code.
    static constexpr const char* kFacePrefix = "vkf";

    ChatView() = default;
    ~ChatView() override = default;

    // Creates the view with the chat's style (links on, transparent
    // background, 12-pixel text at most 30 pixels, 5 pixels between lines).
    void CreateChat(int width, int height);

    // The engine's layout with the vertical scroll bar 5 pixels further
    // right, over the chat box's frame.
    void Layout(int w, int h) override;
    // Wider than the picture: both halves at their size and a two-pixel
    // column from the middle stretched between; otherwise one blit.
    void DrawImage(engine::PictureDesc desc, int x, int y, int width, int height) override;
    int ParseTag(std::string_view body) override;
    int ParseObjectTag(std::string_view body) override;
    size_t ContinueAfterTag(std::string_view text, size_t open, size_t close) override;
    void OpenUrl(const char* text) override;
    void OnBlur() override;

    // Text colour 0 and the chat's plain 12-pixel face, before every line.
    virtual void ResetStyle();

    int GetMaxFontSize() const { return m_maxFontSize; }

    // A local folder the client itself links to (GBK path as written in
    // the link); links to it open the folder.
    void TrustFolder(std::string_view folder) { m_trustedFolders.emplace(folder); }
    const std::set<std::string>& GetTrustedFolders() const { return m_trustedFolders; }

protected:
    // Opens what ClassifyChatLink allowed; the frame's browser launch when
    // an application runs, else the desktop's opener.
    virtual void OpenWebPage(const std::string& address);
    virtual void OpenFolder(const std::string& folder);

private:
    // The self link whose tag spans text[open..close]; where reading goes
    // on (behind the link's "<>" when one was made).
    size_t MakeSelfLink(std::string_view text, size_t open, size_t close);
    bool MakeEmoticon(std::string_view body);

    std::set<std::string> m_trustedFolders;
    // The tag just read asked for a self link.
    bool m_selfLinkPending = false;
};

} // namespace frame
