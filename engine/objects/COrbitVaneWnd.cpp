#include "engine/objects/COrbitVaneWnd.h"

#include "engine/core/EngineRunLog.h"
#include "engine/objects/DrawingObjectModule.h"
#include "engine/objects/EnginePaintModule.h"
#include "engine/objects/RectObject.h"
#include "engine/modules/InputModule.h"
#include "engine/modules/MusicModule.h"
#include "engine/modules/ResourceModule.h"

#include "platform/WindowAttention.h"

#include <algorithm>
#include <atomic>
#include <limits>

namespace engine {

namespace {

// Process-wide: every host window's frame timer has its own id.
std::atomic<uint32_t> g_nextTimerId { kFirstFrameTimerId };

// The object services' sound calls onto the engine's music module.
MusicModule& Music(ModuleBase& module)
{
    return static_cast<MusicModule&>(module);
}

SoundCalls MusicModuleCalls()
{
    SoundCalls calls;
    calls.playSound = [](ModuleBase& m, std::string_view name, int loops, const EngineEvent* endEvent) {
        return static_cast<int>(Music(m).PlaySound(name, loops, endEvent));
    };
    calls.stop = [](ModuleBase& m, int channel) { Music(m).Stop(static_cast<uint32_t>(channel)); };
    calls.resume = [](ModuleBase& m, int channel, int restart) {
        Music(m).Resume(static_cast<uint32_t>(channel), restart);
    };
    calls.pause = [](ModuleBase& m, int channel) { Music(m).Pause(static_cast<uint32_t>(channel)); };
    calls.unloadSound = [](ModuleBase& m, std::string_view name) { Music(m).UnloadSound(name); };
    calls.stopAll = [](ModuleBase& m) { Music(m).StopAll(); };
    calls.setMute = [](ModuleBase& m, int flag) { Music(m).SetMute(flag); };
    return calls;
}

} // namespace

COrbitVaneWnd::COrbitVaneWnd()
    : m_musicFactory([] { return std::make_unique<MusicModule>(); })
    , m_soundCalls(MusicModuleCalls())
{
    m_window.SetEventHandler([this](const platform::WindowEvent& event) { OnEvent(event); });
    m_window.SetMessageHandler([this](uint32_t message, uintptr_t wParam, intptr_t lParam) {
        return DispatchMessage(message, wParam, lParam);
    });
}

COrbitVaneWnd::~COrbitVaneWnd()
{
    if (platform::MainWindowHandle() == m_window.Handle())
        platform::SetMainWindow(nullptr);
    if (m_window.IsCreated())
        m_window.Destroy();
    m_core.UnloadAllModules();
}

bool COrbitVaneWnd::Create(std::string_view title, int width, int height, uint32_t style)
{
    if (!m_window.Create(title, width, height, style))
        return false;
    // The engine's window is the one that flashes for attention.
    platform::SetMainWindow(&m_window);
    return true;
}

void COrbitVaneWnd::SetMusicModule(MusicModuleFactory factory, const SoundCalls& calls)
{
    m_musicFactory = std::move(factory);
    m_soundCalls = calls;
}

bool COrbitVaneWnd::Init(std::unique_ptr<RectObject> root, std::unique_ptr<ResourceModule> resources)
{
    if (!resources)
        resources = std::make_unique<ResourceModule>();
    auto objects = std::make_unique<DrawingObjectModule>();
    objects->SetSoundCalls(m_soundCalls);
    auto paint = std::make_unique<EnginePaintModule>(&m_window);
    std::unique_ptr<ModuleBase> music = m_musicFactory ? m_musicFactory() : nullptr;
    auto input = std::make_unique<InputModule>(std::make_unique<SystemInputPlatform>(&m_window));

    m_core.Init(this);
    m_core.LoadModule(std::move(resources), true, true);
    m_core.LoadModule(std::move(objects), true, false);
    m_core.LoadModule(std::move(paint), true, true);
    if (music)
        m_core.LoadModule(std::move(music), true, false);
    else
        LogPrintf("COrbitVaneWnd: no music module; sounds are off");
    m_core.LoadModule(std::move(input), true, true);

    auto* paintModule = dynamic_cast<GdiPaintModule*>(m_core.FindModule(MODULE_PAINT));
    auto* objectModule = dynamic_cast<ObjectModule*>(m_core.FindModule(MODULE_OBJECT));
    if (paintModule && objectModule) {
        paintModule->Resize(m_clientWidth, m_clientHeight);
        objectModule->SetViewCentre(m_clientWidth / 2, m_clientHeight / 2);
        objectModule->SetViewSize(m_clientWidth, m_clientHeight);
        if (root) {
            m_root = root.get();
            objectModule->AddObject(std::move(root), nullptr);
            m_root->SetRect({ 0, 0, m_clientWidth, m_clientHeight });
        }
        objectModule->RedrawAll();
    }

    m_timerId = g_nextTimerId.fetch_add(1);
    return m_window.SetTimer(m_timerId, kFrameIntervalMs, [this](uint32_t) { RunFrame(); });
}

void COrbitVaneWnd::Relayout()
{
    if (auto* paint = dynamic_cast<GdiPaintModule*>(m_core.FindModule(MODULE_PAINT)))
        paint->Resize(m_clientWidth, m_clientHeight);
    auto* objects = dynamic_cast<ObjectModule*>(m_core.FindModule(MODULE_OBJECT));
    if (!objects)
        return;
    objects->SetViewCentre(m_clientWidth / 2, m_clientHeight / 2);
    objects->SetViewSize(m_clientWidth, m_clientHeight);
    if (m_root)
        m_root->SetRect({ 0, 0, m_clientWidth, m_clientHeight });
    objects->RedrawAll();
}

void COrbitVaneWnd::RunFrame()
{
    m_core.RunFrame();
}

void COrbitVaneWnd::OnSize(int width, int height)
{
    if (width == 0 || height == 0)
        return;
    if (width == m_clientWidth && height == m_clientHeight)
        return;
    m_clientWidth = width;
    m_clientHeight = height;
    Relayout();
}

void COrbitVaneWnd::OnPaint()
{
    m_core.SendModuleMessage(MODULE_PAINT, MODMSG_PAINT_PRESENT, 0, 0);
}

void COrbitVaneWnd::OnDestroy()
{
    m_core.UnloadAllModules();
    m_root = nullptr;
    if (m_timerId)
        m_window.KillTimer(m_timerId);
}

void COrbitVaneWnd::OnCopyData(const platform::CopyDataRecord& record)
{
    if (m_root)
        m_root->OnCopyData(record);
}

void COrbitVaneWnd::OnClose()
{
    m_window.Destroy();
}

void COrbitVaneWnd::OnTimer(uint32_t) { }

intptr_t COrbitVaneWnd::OnMessage(uint32_t, uintptr_t, intptr_t)
{
    return 0;
}

bool COrbitVaneWnd::SetTimer(uint32_t timerId, uint32_t intervalMs)
{
    if (timerId == m_timerId && m_timerId != 0) {
        LogPrintf("COrbitVaneWnd: timer id %u is the engine's frame timer", timerId);
        return false;
    }
    return m_window.SetTimer(timerId, intervalMs, [this](uint32_t id) { OnTimer(id); });
}

bool COrbitVaneWnd::KillTimer(uint32_t timerId)
{
    if (timerId == m_timerId)
        return false;
    return m_window.KillTimer(timerId);
}

void COrbitVaneWnd::OnEvent(const platform::WindowEvent& event)
{
    using namespace platform;
    switch (event.message) {
    case kWmPaint:
        OnPaint();
        return;
    case kWmSize:
        OnSize(event.width, event.height);
        return;
    case kWmDestroy:
        OnDestroy();
        return;
    case kWmClose:
        OnClose();
        return;
    default:
        break;
    }
    // Input: nothing at all, not even the focus and capture, without the
    // input module.
    auto* input = dynamic_cast<InputModule*>(m_core.FindModule(MODULE_INPUT));
    if (!input)
        return;
    switch (event.message) {
    case kWmLButtonDown:
        m_window.SetFocus();
        m_window.SetCapture();
        input->OnLButtonDown(event.x, event.y);
        return;
    case kWmLButtonUp:
        m_window.ReleaseCapture();
        input->OnLButtonUp(event.x, event.y);
        return;
    case kWmRButtonDown:
        m_window.SetCapture();
        input->OnRButtonDown(event.x, event.y);
        return;
    case kWmRButtonUp:
        m_window.ReleaseCapture();
        input->OnRButtonUp(event.x, event.y);
        return;
    default:
        DispatchWindowInput(*input, event);
        return;
    }
}

intptr_t COrbitVaneWnd::DispatchMessage(uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    switch (message) {
    case platform::kWmCopyData:
        if (lParam)
            OnCopyData(*reinterpret_cast<const platform::CopyDataRecord*>(lParam));
        return 1;
    case platform::kWmClose:
        OnClose();
        return 0;
    default:
        return OnMessage(message, wParam, lParam);
    }
}

Point COrbitVaneWnd::ClientToScreen(Point client) const
{
    const platform::Point p = m_window.ClientToScreen(platform::Point { client.x, client.y });
    return Point { p.x, p.y };
}

Rect COrbitVaneWnd::GetCursorClip() const
{
    if (auto clip = m_window.GetClipCursor())
        return Rect { clip->left, clip->top, clip->right, clip->bottom };
    const platform::Rect desktop = platform::DesktopRect();
    return Rect { desktop.left, desktop.top, desktop.right, desktop.bottom };
}

void COrbitVaneWnd::ClipCursor(const Rect& screen)
{
    const platform::Rect desktop = platform::DesktopRect();
    if (screen.left <= desktop.left && screen.top <= desktop.top && screen.right >= desktop.right
        && screen.bottom >= desktop.bottom) {
        m_window.ClipCursor(std::nullopt);
        return;
    }
    m_window.ClipCursor(platform::Rect { screen.left, screen.top, screen.right, screen.bottom });
}

bool COrbitVaneWnd::IsMinimised() const
{
    return m_window.IsMinimized();
}

} // namespace engine
