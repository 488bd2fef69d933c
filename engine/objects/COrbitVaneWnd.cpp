#include "engine/objects/COrbitVaneWnd.h"

#include "engine/core/EngineRunLog.h"
#include "engine/objects/DrawingObjectModule.h"
#include "engine/objects/EnginePaintModule.h"
#include "engine/objects/RectObject.h"
#include "engine/modules/InputModule.h"
#include "engine/modules/MusicModule.h"
#include "engine/modules/ResourceModule.h"

#include "platform/WindowAttention.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <utility>

namespace engine {

namespace {

// Process-wide: every host window's frame timer has its own id.
std::atomic<uint32_t> g_nextTimerId { kFirstFrameTimerId };

int64_t NowNs(clockid_t clock)
{
    timespec t {};
    clock_gettime(clock, &t);
    return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

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
    if (m_frameTimes >= 0)
        ::close(m_frameTimes);
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

    if (const char* times = std::getenv("KBZN_FRAME_TIMES"); times && *times && m_frameTimes < 0)
        m_frameTimes = ::open(times, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    m_timerId = g_nextTimerId.fetch_add(1);
    SetFrameTimer(kFrameIntervalMs);
    return m_frameInterval != 0;
}

void COrbitVaneWnd::SetFrameTimer(uint32_t intervalMs)
{
    if (intervalMs == m_frameInterval)
        return;
    const bool set = m_window.SetTimer(m_timerId, intervalMs, [this](uint32_t) {
        if (m_frameTimes < 0) {
            RunFrame();
            ScheduleNextFrame();
            return;
        }
        m_frameStartNs = NowNs(CLOCK_MONOTONIC);
        const int64_t cpu = NowNs(CLOCK_THREAD_CPUTIME_ID);
        RunFrame();
        ScheduleNextFrame();
        m_frameCpuNs = NowNs(CLOCK_THREAD_CPUTIME_ID) - cpu;
        m_frameWallNs = NowNs(CLOCK_MONOTONIC) - m_frameStartNs;
    });
    m_frameInterval = set ? intervalMs : 0;
}

void COrbitVaneWnd::WakeFrames()
{
    if (m_frameInterval != 0)
        SetFrameTimer(kFrameIntervalMs);
}

void COrbitVaneWnd::ScheduleNextFrame()
{
    if (m_frameInterval == 0)
        return; // the window went during the frame
    const uint32_t due = m_core.MsUntilNextFrame();
    if (due <= kFrameIntervalMs) {
        SetFrameTimer(kFrameIntervalMs);
        return;
    }
    // Whole frame intervals, so that a busy engine keeps the pace it had;
    // the longest sleep still looks at the engine now and then.
    const uint32_t steps = std::min(due, kIdleFrameMs) / kFrameIntervalMs;
    const uint32_t rounded = steps * kFrameIntervalMs;
    SetFrameTimer(rounded < std::min(due, kIdleFrameMs) ? rounded + kFrameIntervalMs : rounded);
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
    // Only the part the window asked for; a call of its own shows it all.
    const std::optional<Rect> area = std::exchange(m_paintArea, std::nullopt);
    if (m_frameTimes < 0 || m_frameStartNs == 0) {
        m_core.SendModuleMessage(MODULE_PAINT, MODMSG_PAINT_PRESENT, area ? ToWord(&*area) : 0, 0);
        return;
    }
    const int64_t cpu = NowNs(CLOCK_THREAD_CPUTIME_ID);
    const int64_t wall = NowNs(CLOCK_MONOTONIC);
    m_core.SendModuleMessage(MODULE_PAINT, MODMSG_PAINT_PRESENT, area ? ToWord(&*area) : 0, 0);
    char line[96];
    const int n = std::snprintf(line, sizeof line, "%lld %lld %lld\n",
        static_cast<long long>(m_frameStartNs / 1000000),
        static_cast<long long>((m_frameCpuNs + NowNs(CLOCK_THREAD_CPUTIME_ID) - cpu) / 1000),
        static_cast<long long>((m_frameWallNs + NowNs(CLOCK_MONOTONIC) - wall) / 1000));
    if (n > 0 && ::write(m_frameTimes, line, static_cast<size_t>(n)) < 0) {
        ::close(m_frameTimes); // the benchmark went: stop recording
        m_frameTimes = -1;
    }
    m_frameStartNs = 0;
}

void COrbitVaneWnd::OnDestroy()
{
    m_core.UnloadAllModules();
    m_root = nullptr;
    if (m_timerId)
        m_window.KillTimer(m_timerId);
    m_frameInterval = 0;
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
    return m_window.SetTimer(timerId, intervalMs, [this](uint32_t id) {
        WakeFrames();
        OnTimer(id);
    });
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
    if (event.message != kWmPaint && event.message != kWmDestroy)
        WakeFrames();
    switch (event.message) {
    case kWmPaint:
        // A paint without an area shows the whole frame.
        if (event.width > 0 && event.height > 0)
            m_paintArea = Rect { event.x, event.y, event.x + event.width, event.y + event.height };
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
    WakeFrames();
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
