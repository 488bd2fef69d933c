#include "platform/MessageBox.h"

#include "platform/Gbk.h"
#include "platform/Window.h"

#include <SDL.h>

#include <cstdio>
#include <mutex>

namespace platform {

namespace {

std::mutex g_lock;
std::optional<int> g_answer;
std::vector<MessageBoxRecord> g_log;

// Button labels are UTF-8 whatever the execution character set.
const char* Utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

struct Button {
    int id;
    const char* label; // UTF-8
    Uint32 flags;
};

} // namespace

int MessageBox(const Window* owner, std::string_view text, std::string_view caption, uint32_t type)
{
    {
        std::lock_guard lock(g_lock);
        if (g_answer) {
            MessageBoxRecord record { std::string(text), std::string(caption), type, *g_answer };
            std::fprintf(stderr, "message box [%s]: %s -> %d\n", Gbk::ToUtf8(caption).c_str(),
                Gbk::ToUtf8(text).c_str(), record.answer);
            g_log.push_back(std::move(record));
            return *g_answer;
        }
    }

    // Buttons are listed right to left for SDL's default layout; the
    // return key picks the first, escape the last of the usual pair.
    std::vector<Button> buttons;
    int escapeAnswer = kIdOk;
    switch (type & 0x0F) {
    case kMbOkCancel:
        buttons = { { kIdOk, Utf8(u8"确定"),
                        SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT },
            { kIdCancel, Utf8(u8"取消"), SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT } };
        escapeAnswer = kIdCancel;
        break;
    case kMbYesNoCancel:
        buttons = { { kIdYes, Utf8(u8"是"), SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT },
            { kIdNo, Utf8(u8"否"), 0 },
            { kIdCancel, Utf8(u8"取消"), SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT } };
        escapeAnswer = kIdCancel;
        break;
    case kMbYesNo:
        buttons = { { kIdYes, Utf8(u8"是"), SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT },
            { kIdNo, Utf8(u8"否"), SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT } };
        escapeAnswer = kIdNo;
        break;
    default:
        buttons = { { kIdOk, Utf8(u8"确定"),
            SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT } };
        break;
    }
    std::vector<SDL_MessageBoxButtonData> sdlButtons;
    for (const Button& b : buttons)
        sdlButtons.push_back({ b.flags, b.id, b.label });

    Uint32 flags = SDL_MESSAGEBOX_INFORMATION;
    switch (type & 0xF0) {
    case kMbIconHand:
        flags = SDL_MESSAGEBOX_ERROR;
        break;
    case kMbIconExclamation:
        flags = SDL_MESSAGEBOX_WARNING;
        break;
    default:
        break;
    }
    std::string utf8Text = Gbk::ToUtf8(text);
    std::string utf8Caption = Gbk::ToUtf8(caption);
    SDL_MessageBoxData data {};
    data.flags = flags;
    data.window = owner ? owner->SdlWindow() : nullptr;
    data.title = utf8Caption.c_str();
    data.message = utf8Text.c_str();
    data.numbuttons = static_cast<int>(sdlButtons.size());
    data.buttons = sdlButtons.data();
    int answer = -1;
    if (SDL_ShowMessageBox(&data, &answer) != 0) {
        std::fprintf(stderr, "message box not shown (%s) [%s]: %s\n", SDL_GetError(), utf8Caption.c_str(),
            utf8Text.c_str());
        return 0;
    }
    return answer < 0 ? escapeAnswer : answer;
}

void SetMessageBoxAnswer(std::optional<int> answer)
{
    std::lock_guard lock(g_lock);
    g_answer = answer;
}

std::vector<MessageBoxRecord> TakeMessageBoxLog()
{
    std::lock_guard lock(g_lock);
    std::vector<MessageBoxRecord> out;
    out.swap(g_log);
    return out;
}

} // namespace platform
