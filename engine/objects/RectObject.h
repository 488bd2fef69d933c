#pragma once
// An object that keeps a layout rectangle and receives layout and host
// notifications: the host window's root object and the frame's and game's
// views are rectangle objects.

#include "engine/objects/GameObject.h"
#include "platform/CopyData.h"

#include <cstdint>
#include <vector>

namespace engine {

class RectObject : public GameObject {
public:
    RectObject() = default;
    ~RectObject() override = default;

    // Hooks: after SetRect and every client resize; when the view is to
    // rebuild its content; for every copy-data record the window receives.
    virtual void OnRectChanged() { }
    virtual void OnRefresh() { }
    virtual void OnCopyData(const platform::CopyDataRecord&) { }
    // Stores the rectangle, then OnRectChanged.
    virtual void SetRect(const Rect& rect);
    virtual Rect* GetRect(Rect* out) const;

private:
    Rect m_rect;
};

} // namespace engine
