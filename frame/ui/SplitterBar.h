#pragma once
// The thin divider between the table area and the side pane. An arrow in
// its middle collapses the side pane (width 0) or restores it to the width
// the main view computes at that moment; the arrow then points the other
// way. The main view creates it, sizes and places it, calls Layout, and lays
// itself out again when the bar tells it to.

#include "engine/objects/BoundObject.h"

namespace engine {
class CanvasObject;
}

namespace frame {

// Private events of the arrow, delivered to the bar.
inline constexpr int EVT_SPLITTER_ENTER = 80000002;
inline constexpr int EVT_SPLITTER_LEAVE = 80000003;
inline constexpr int EVT_SPLITTER_PRESS = 80000004;

// What the bar asks of the view it divides (the main view implements it).
class SplitterBarHost {
public:
    virtual ~SplitterBarHost() = default;
    virtual void SetSidePanelWidth(int width) = 0;
    virtual int CalcSidePanelWidth() = 0;
    // Lays the view out again after the side pane's width changed.
    virtual void OnRectChanged() = 0;
};

class SplitterBar : public engine::BoundObject {
public:
    SplitterBar() = default;
    ~SplitterBar() override = default;

    // Not owned; may be null (the arrow then only turns).
    void SetHost(SplitterBarHost* host) { m_host = host; }

    int OnCreate() override;
    int OnEvent(const engine::EngineEvent& event) override;

    // Fits the background to the bar's size and centres the arrow on it.
    virtual void Layout();
    virtual void Redraw();
    // Stores the flag without redrawing; returns it.
    virtual int SetCollapsed(int collapsed);
    virtual int GetCollapsed() const { return m_collapsed; }
    virtual int IsExpanded() const { return m_collapsed == 0; }

    engine::CanvasObject* GetArrowCanvas() const { return m_arrow; }

private:
    void DrawArrow(int frame);

    int m_collapsed = 0;
    engine::CanvasObject* m_arrow = nullptr;      // not owned: the object module owns it
    engine::CanvasObject* m_background = nullptr; // not owned: the bound child
    SplitterBarHost* m_host = nullptr;
};

} // namespace frame
