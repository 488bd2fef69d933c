#pragma once
// The system clipboard's text, in GBK. Needs a window of the program (the
// video system running); user-interface thread only.

#include <string>
#include <string_view>

namespace platform {

// Replaces the clipboard's content with the text; false when there is no
// clipboard to write to.
bool SetClipboardText(std::string_view gbk);
// The clipboard's text as GBK (characters GBK lacks become '?'); false when
// it holds no text or there is no clipboard.
bool GetClipboardText(std::string& gbk);

} // namespace platform
