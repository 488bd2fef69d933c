#pragma once
// A draggable panel with optional OK and Cancel buttons and an optional
// countdown that answers Cancel by itself when it runs out. The caller
// draws the content on the background canvas Create returns, places the
// panel, the buttons and the label, and receives the outcome as one of the
// two events it gave, posted for a later frame. Closing fades the panel out
// and removes it with its parts.
//
// A panel answers once: after OK, Cancel, the countdown's end or Close, the
// buttons and the countdown are dead.

#include "engine/core/objects/BoundObject.h"

#include <cstdint>

namespace engine {

class CanvasObject;
class TextButton;

inline constexpr int EVT_PANEL_OK = 19840392;
inline constexpr int EVT_PANEL_CANCEL = 19840393;
inline constexpr int EVT_PANEL_TICK = 19840394;

class ModalPanel : public BoundObject {
public:
    static constexpr int kMaxSeconds = 99;

    ModalPanel() = default;
    ~ModalPanel() override = default;

    // ok, cancel: the events to post (null: no such button). seconds > 0
    // starts a countdown (at most kMaxSeconds). Returns the background.
    virtual CanvasObject* Create(int width, int height, const EngineEvent* ok, const EngineEvent* cancel,
        int seconds);
    virtual CanvasObject* GetBackground() const { return m_background; }
    virtual TextButton* GetOkButton() const { return m_okButton; }
    virtual TextButton* GetCancelButton() const { return m_cancelButton; }
    virtual int GetReserved() const { return m_reserved; }
    virtual CanvasObject* GetCountdownLabel() const { return m_label; }
    virtual void DrawCountdown();
    // Fades the panel out and removes it; nothing when already closing.
    virtual void Close();

    int OnEvent(const EngineEvent& event) override;

    int GetSecondsLeft() const { return m_seconds; }
    bool IsClosing() const { return m_closing; }

private:
    TextButton* MakeButton(const char* caption, int clickCode, uint32_t colour);

    CanvasObject* m_background = nullptr; // not owned: the bound child
    TextButton* m_okButton = nullptr;     // not owned: linked to the background, owned there
    TextButton* m_cancelButton = nullptr; // not owned: linked to the background, owned there
    int m_reserved = 0;
    CanvasObject* m_label = nullptr; // not owned: linked to the background, owned there
    int m_seconds = 0;
    EngineEvent m_ok;
    EngineEvent m_cancel;
    bool m_closing = false;
    uint64_t m_tick = 0; // the pending countdown delay (0: none)
};

} // namespace engine
