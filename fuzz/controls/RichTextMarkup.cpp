// Arbitrary markup, as other players can send it, through rich-text views
// in a headless host window: the scanner, both tag readers, the node
// builders, line layout at a width the input chooses, trimming to a small
// line limit, drawing and scrolling, then clearing the view. In the edit
// box, a 0xFE byte and the byte after it stand for an editing key (caret
// moves, deleting, hiding nodes) between the appended pieces.
#include "engine/controls/richtext/RichEdit.h"
#include "engine/controls/richtext/RichText.h"
#include "engine/objects/COrbitVaneWnd.h"
#include "engine/objects/RectObject.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

namespace {

class FuzzRoot : public engine::RectObject {
public:
    void OnRectChanged() override { }
};

struct Host {
    engine::COrbitVaneWnd window;
    FuzzRoot* root = nullptr;
    engine::RichText* views[3] = {};
    bool ok = false;
    Host()
    {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        if (!window.Create("fuzz", 320, 240))
            return;
        auto owned = std::make_unique<FuzzRoot>();
        root = owned.get();
        if (!window.Init(std::move(owned)))
            return;
        const uint32_t flags[2] = { engine::RT_BACK_COLOUR | engine::RT_KEEP_IN_VIEW | engine::RT_REDRAW_NOW,
            engine::RT_BACK_COLOUR | engine::RT_KEEP_IN_VIEW | engine::RT_REDRAW_NOW | engine::RT_SINGLE_LINE };
        for (int i = 0; i < 2; ++i) {
            views[i] = dynamic_cast<engine::RichText*>(root->RegisterObject(std::make_unique<engine::RichText>()));
            if (!views[i])
                return;
            views[i]->MoveTo(160, 120);
            views[i]->Create(200, 100, flags[i], 0);
            views[i]->SetMaxLines(8);
        }
        auto* edit = dynamic_cast<engine::RichEdit*>(root->RegisterObject(std::make_unique<engine::RichEdit>()));
        if (!edit)
            return;
        edit->MoveTo(160, 120);
        edit->Create(200, 60, engine::RT_BACK_COLOUR);
        edit->SetMaxLines(8);
        views[2] = edit;
        ok = true;
    }
};

Host& TheHost()
{
    static Host host;
    return host;
}

void EditingKey(engine::RichText& view, uint8_t key)
{
    switch (key % 8) {
    case 0: view.MoveCaretLeft(); break;
    case 1: view.MoveCaretRight(); break;
    case 2: view.MoveCaretUp(); break;
    case 3: view.MoveCaretDown(); break;
    case 4: view.DeleteBackward(); break;
    case 5: view.DeleteForward(); break;
    case 6: view.HideNodeAt(key / 8); break;
    default:
        view.ShowAllNodes();
        view.Layout(view.GetViewWidth(), view.GetViewHeight());
        break;
    }
}

} // namespace

// The font system keeps a few blocks of its own for the life of the
// process; they are made here, before the leak checks of the inputs start.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Host& host = TheHost();
    if (host.ok) {
        host.views[0]->AppendText("<e=b>warm 字体<e=i>x<e=u>y");
        host.views[0]->RedrawNow(false);
        host.views[0]->Clear();
        host.window.RunFrame();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Host& host = TheHost();
    if (!host.ok || size == 0)
        return 0;
    const uint8_t selector = data[0];
    engine::RichText* view = host.views[selector % 3];
    view->Clear();
    view->EnableLinks(selector & 2);
    view->SetMaxFontSize(selector & 4 ? 40 : 1000);
    view->Layout(1 + (selector >> 3) * 8, 60);
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    const bool editing = view == host.views[2];
    if (editing)
        view->ShowCaret(nullptr);
    // The text in pieces split at 0xFF bytes (and 0xFE keys in the edit
    // box), each appended on its own.
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find_first_of(editing ? "\xFF\xFE" : "\xFF", start);
        if (end == std::string_view::npos)
            end = text.size();
        view->AppendText(text.substr(start, end - start));
        start = end + 1;
        if (end < text.size() && text[end] == '\xFE' && start < text.size())
            EditingKey(*view, static_cast<uint8_t>(text[start++]));
    }
    int count = 0;
    for (const engine::RichTextNode* n = view->GetFirstNode(); n; n = n->next)
        ++count;
    if (count != view->GetNodeCount())
        __builtin_trap();
    view->ScrollTo(0);
    view->ScrollLineDown();
    view->RedrawNow(true);
    view->Clear();
    host.window.RunFrame();
    return 0;
}
