#pragma once
// The side pane's parts in the headless host window, and a reader that
// turns the chat view's nodes back into pieces of text with their look, so
// that tests can state what a marked-up line shows.

#include "WidgetHost.h"

#include "engine/controls/richtext/RichTextObject.h"
#include "frame/ui/ChatBox.h"
#include "frame/ui/ChatView.h"
#include "platform/OpenExternal.h"

#include <string>
#include <vector>

namespace frameuitest {

// A run of characters of one look, written "text@colour/size" with "b" for
// bold, "u" for underlined and "l" for a link; an inline object is written
// "[its copy text]"; a line break ends a run and shows as "\n".
inline std::vector<std::string> Pieces(const engine::RichText& view)
{
    std::vector<std::string> pieces;
    std::string text;
    std::string look;
    auto flush = [&] {
        if (!text.empty())
            pieces.push_back(text + look);
        text.clear();
        look.clear();
    };
    for (const engine::RichTextNode* n = view.GetFirstNode(); n; n = n->next) {
        if (n->flags & engine::NODE_OBJECT) {
            flush();
            auto* object = dynamic_cast<engine::RichTextObject*>(
                const_cast<engine::RichText&>(view).FindObjectById(static_cast<int>(n->code)));
            pieces.push_back("[" + (object ? object->GetCopyText() : std::string("?")) + "]");
            continue;
        }
        if ((n->code & 0xFF) == '\n' && !(n->flags & engine::NODE_DBCS)) {
            flush();
            pieces.push_back("\\n");
            continue;
        }
        std::string nodeLook = "@" + std::to_string(n->colour) + "/" + std::to_string(n->height);
        if (n->flags & engine::NODE_BOLD)
            nodeLook += "b";
        if (n->flags & engine::NODE_UNDERLINE)
            nodeLook += "u";
        if (n->flags & engine::NODE_LINK)
            nodeLook += "l";
        if (nodeLook != look) {
            flush();
            look = nodeLook;
        }
        text += static_cast<char>(n->code & 0xFF);
        if (n->flags & engine::NODE_DBCS)
            text += static_cast<char>((n->code >> 8) & 0xFF);
    }
    flush();
    return pieces;
}

// The characters the view holds, objects as their copy texts.
inline std::string PlainText(const engine::RichText& view)
{
    std::string all;
    for (const std::string& piece : Pieces(view))
        all += piece.substr(0, piece.rfind('@') == std::string::npos ? piece.size() : piece.rfind('@'));
    return all;
}

// Records what would have gone to the desktop's opener.
class OpenerRecorder {
public:
    OpenerRecorder()
    {
        platform::SetOpenExternalHook([this](const std::string& address) {
            opened.push_back(address);
            return true;
        });
    }
    ~OpenerRecorder() { platform::SetOpenExternalHook({}); }
    OpenerRecorder(const OpenerRecorder&) = delete;
    OpenerRecorder& operator=(const OpenerRecorder&) = delete;

    std::vector<std::string> opened;
};

class SidePaneHost : public WidgetHost {
protected:
    // The chat box over most of the window, laid out.
    frame::ChatBox* MakeChatBox(int width = 180, int height = 120)
    {
        auto* box = static_cast<frame::ChatBox*>(root->RegisterObject(std::make_unique<frame::ChatBox>()));
        box->SetZ(100);
        box->ScaleTo(width, height);
        box->MoveTo(kWidth / 2, kHeight / 2);
        box->Show();
        box->Layout();
        Frame();
        return box;
    }
};

} // namespace frameuitest
