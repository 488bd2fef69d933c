#pragma once
// The frame window: the engine's host window as the client's main window.
// Closing it ends the user-interface thread's message loop.

#include "engine/objects/COrbitVaneWnd.h"

class CGameFrameWnd : public engine::COrbitVaneWnd {
public:
    CGameFrameWnd() = default;
    ~CGameFrameWnd() override;

protected:
    void OnDestroy() override;
};
