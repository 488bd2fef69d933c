#include "engine/objects/OverlayPanel.h"

namespace engine {

namespace {

// Set once by the code that assembles the engine; read by the overlays.
OverlayPanelMaker g_overlayPanelMaker = nullptr;

} // namespace

void SetOverlayPanelMaker(OverlayPanelMaker maker)
{
    g_overlayPanelMaker = maker;
}

std::unique_ptr<OverlayPanel> MakeOverlayPanel()
{
    return g_overlayPanelMaker ? g_overlayPanelMaker() : nullptr;
}

} // namespace engine
