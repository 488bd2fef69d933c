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
//
// It is also the panel of the engine's message and system-detail overlays,
// which reach it through OverlayPanel once InstallModalPanels has run.

#include "engine/controls/widgets/TextButton.h"
#include "engine/objects/OverlayPanel.h"

#include <cstdint>

namespace engine {

class CanvasObject;

inline constexpr int EVT_PANEL_OK = 19840392;
inline constexpr int EVT_PANEL_CANCEL = 19840393;
inline constexpr int EVT_PANEL_TICK = 19840394;

class ModalPanel : public OverlayPanel {
public:
    static constexpr int kMaxSeconds = 99;

    ModalPanel() = default;
    ~ModalPanel() override = default;

    // ok, cancel: the events to post (null: no such button). seconds > 0
    // starts a countdown (at most kMaxSeconds). Returns the background.
    CanvasObject* Create(int width, int height, const EngineEvent* ok, const EngineEvent* cancel,
        int seconds) override;
    CanvasObject* GetBackground() const override { return m_background; }
    TextButton* GetOkButton() const override { return m_okButton; }
    TextButton* GetCancelButton() const override { return m_cancelButton; }
    int GetReserved() const override { return m_reserved; }
    CanvasObject* GetCountdownLabel() const override { return m_label; }
    void DrawCountdown() override;
    // Fades the panel out and removes it; nothing when already closing.
    void Close() override;

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

// Makes the engine's overlays build their panels as ModalPanels. Called by
// whoever assembles the engine, before the overlays are used.
void InstallModalPanels();

} // namespace engine
