#include "frame/core/CGameFrameApp.h"

namespace {
CGameFrameApp* g_current = nullptr;
}

CGameFrameApp::CGameFrameApp()
{
    g_current = this;
}

CGameFrameApp::~CGameFrameApp()
{
    if (g_current == this)
        g_current = nullptr;
}

CGameFrameApp* CGameFrameApp::Current()
{
    return g_current;
}
