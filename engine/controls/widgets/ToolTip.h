#pragma once
// A small white text box shown above an engine object while the mouse rests
// on it. Once attached it works by itself: the target's enter and leave
// reach the tip through subscriptions as EVT_SHOW and EVT_HIDE. The text may
// carry the text renderer's markup.

#include "engine/objects/BoundObject.h"

#include <string_view>

namespace engine {

class CanvasObject;

inline constexpr int kToolTipMargin = 3;
inline constexpr uint32_t kToolTipBorder = 0xE7BFC8;
inline constexpr double kToolTipFadeStep = 0.2;

class ToolTip : public BoundObject {
public:
    ToolTip() = default;
    ~ToolTip() override = default;

    // Builds the canvas when the tip is registered.
    int OnCreate() override;
    // EVT_SHOW (param: the target's id) places the tip and fades it in;
    // EVT_HIDE hides it.
    int OnEvent(const EngineEvent& event) override;

    virtual void SetText(std::string_view text, int maxWidth);
    // Nothing for a null target; otherwise the text, and the target's enter
    // and leave shown and hide the tip.
    virtual void Attach(EngineObject* target, std::string_view text, int maxWidth);
    // The object's own attaching to the core stays reachable beside it.
    using EngineObject::Attach;
    // From hidden the fade starts at opacity 0; with hideAfter the tip hides
    // once the fade is done.
    virtual void FadeIn(double step, bool hideAfter);
    // Also stops a running fade.
    void Hide() override;
    virtual void ClearBackground();
    // Above the target, its left edge on the target's centre, kept on the
    // screen left, right and top.
    virtual void PlaceNear(EngineObject* target);
    // Sizes the canvas for the text; the margin, or 0 without a canvas.
    virtual int SetWrappedText(std::string_view text, int maxWidth);
    virtual CanvasObject* GetCanvas() const { return m_canvas; }

private:
    CanvasObject* m_canvas = nullptr; // not owned: the bound child
};

} // namespace engine
