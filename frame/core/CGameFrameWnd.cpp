#include "frame/core/CGameFrameWnd.h"

#include "platform/MessageQueue.h"

CGameFrameWnd::~CGameFrameWnd()
{
    // Our own clean-up runs only while the object is whole.
    if (GetWindow().IsCreated())
        GetWindow().Destroy();
}

void CGameFrameWnd::OnDestroy()
{
    engine::COrbitVaneWnd::OnDestroy();
    platform::PostQuitMessage(0);
}
