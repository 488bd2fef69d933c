#pragma once
// The panel the engine's message and system-detail overlays are built on,
// as the object layer sees it: a bound object with a background canvas,
// optional OK and Cancel buttons and an optional countdown label, which
// posts the event of the button pressed (or Cancel when the countdown runs
// out) and then closes itself.
//
// The real panel is the controls' ModalPanel. The controls are built on
// this layer, so this layer cannot make one itself: it declares the panel's
// operations here and asks a process-wide maker for an instance. The code
// that assembles the engine installs the maker once at start-up
// (InstallModalPanels); until then the overlays log and show nothing.

#include "engine/objects/BoundObject.h"

#include <memory>

namespace engine {

class CanvasObject;

class OverlayPanel : public BoundObject {
public:
    OverlayPanel() = default;
    ~OverlayPanel() override = default;

    // Makes the background canvas (width x height), an OK button when ok is
    // given, a Cancel button when cancel is given and a countdown label when
    // seconds > 0. The panel must be registered first. Returns the
    // background, or null when it could not be made.
    virtual CanvasObject* Create(int width, int height, const EngineEvent* ok, const EngineEvent* cancel,
        int seconds) = 0;
    virtual CanvasObject* GetBackground() const = 0;
    // The parts, or null when the panel has none. The caller places them.
    virtual EngineObject* GetOkButton() const = 0;
    virtual EngineObject* GetCancelButton() const = 0;
    virtual int GetReserved() const = 0;
    virtual CanvasObject* GetCountdownLabel() const = 0;
    virtual void DrawCountdown() = 0;
    // Fades the panel out and removes it with its parts.
    virtual void Close() = 0;
};

using OverlayPanelMaker = std::unique_ptr<OverlayPanel> (*)();

// Installs the maker of the overlays' panels for the whole process (null
// uninstalls it). User-interface thread, before the overlays are used.
void SetOverlayPanelMaker(OverlayPanelMaker maker);

// A new, unregistered panel; null when no maker is installed.
std::unique_ptr<OverlayPanel> MakeOverlayPanel();

} // namespace engine
