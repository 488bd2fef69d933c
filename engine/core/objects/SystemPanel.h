#pragma once
// The panel behind the message and system-detail overlays: a bound object
// whose visual child is a background canvas, with the OK and Cancel events
// and the countdown it was made with.
//
// This is the part of the modal panel that the overlays need; the panel's
// buttons, countdown label and closing belong to the controls and are not
// built here, so these panels show their text and stay until removed.

#include "engine/core/objects/BoundObject.h"

namespace engine {

class CanvasObject;

class SystemPanel : public BoundObject {
public:
    SystemPanel() = default;
    ~SystemPanel() override = default;

    // Makes the background canvas (width x height, bound with
    // LINK_STANDARD) and keeps the events (null: none) and the seconds.
    // False when the object is not registered.
    bool Create(int width, int height, const EngineEvent* ok, const EngineEvent* cancel, int seconds);
    CanvasObject* GetCanvas() const { return m_canvas; }
    const EngineEvent& GetOkEvent() const { return m_ok; }
    const EngineEvent& GetCancelEvent() const { return m_cancel; }
    int GetSeconds() const { return m_seconds; }

private:
    CanvasObject* m_canvas = nullptr; // not owned: linked as an owned child
    EngineEvent m_ok;
    EngineEvent m_cancel;
    int m_seconds = 0;
};

} // namespace engine
