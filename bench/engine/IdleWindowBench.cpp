// What an idle window costs: the engine's host window with its modules
// loaded, a small still scene and the 5 ms frame timer running with nothing
// changing, against a bare SDL window whose loop wakes at the same 5 ms
// frame rate and does nothing else (SDL_CreateWindow and SDL_WaitEventTimeout,
// no project code). Both run under the headless driver and under an X
// server, in one run: without a DISPLAY the program starts its own Xvfb.
// Reported per driver: the CPU time the process spends per second of wall
// time (percent of one core) for each window, and their ratio.
#include "engine/objects/COrbitVaneWnd.h"
#include "engine/objects/CanvasObject.h"
#include "engine/objects/RectObject.h"
#include "platform/MessageLoop.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kSettle = std::chrono::milliseconds(200);
constexpr auto kMeasured = std::chrono::seconds(2);
constexpr int kFrameMs = static_cast<int>(engine::kFrameIntervalMs);

double ProcessCpuSeconds()
{
    timespec t {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// An X server of the program's own, for when it runs without a display.
class OwnXServer {
public:
    void Start()
    {
        if (std::getenv("DISPLAY"))
            return;
        int fds[2];
        if (pipe(fds) != 0)
            return;
        const std::string fd = std::to_string(fds[1]);
        // -noreset: each window below opens and closes its own connection,
        // and a server that resets when its last client leaves refuses the
        // next one for a moment.
        const char* argv[] = { "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
            "-noreset", nullptr };
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        const int failed = posix_spawnp(&m_pid, "Xvfb", &actions, nullptr, const_cast<char**>(argv), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        if (failed != 0) {
            m_pid = 0;
            close(fds[0]);
            return;
        }
        // The server writes its display number once it accepts clients.
        std::string number;
        pollfd p { fds[0], POLLIN, 0 };
        char c = 0;
        while (poll(&p, 1, 10000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(fds[0]);
        if (number.empty()) {
            Stop();
            return;
        }
        setenv("DISPLAY", (":" + number).c_str(), 1);
    }

    void Stop()
    {
        if (m_pid <= 0)
            return;
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
        m_pid = 0;
    }

private:
    pid_t m_pid = 0;
};

OwnXServer g_xServer;

class IdleRoot : public engine::RectObject {
public:
    void OnRectChanged() override { }
};

struct Spent {
    double cpu = 0;
    double wall = 0;

    double Percent() const { return wall > 0 ? 100.0 * cpu / wall : 0.0; }
};

// Runs body until the wall time is up and adds what it cost.
template <typename Body>
void Measure(Spent& spent, Body body)
{
    const double cpuStart = ProcessCpuSeconds();
    const auto start = Clock::now();
    const auto end = start + kMeasured;
    while (Clock::now() < end)
        body();
    spent.cpu += ProcessCpuSeconds() - cpuStart;
    spent.wall += std::chrono::duration<double>(Clock::now() - start).count();
}

// The host window with a still scene; false when the driver cannot start.
bool HostSecond(Spent& spent)
{
    engine::COrbitVaneWnd host;
    if (!host.Create("idle", 1024, 768))
        return false;
    auto owned = std::make_unique<IdleRoot>();
    IdleRoot* root = owned.get();
    host.Init(std::move(owned));
    host.GetWindow().Show(platform::ShowCommand::kShow);
    for (int i = 0; i < 20; ++i) {
        engine::CanvasObject* c = root->CreateCanvas(80, 40, 0x203040 + static_cast<uint32_t>(i));
        c->MoveTo(60 + (i % 10) * 90, 100 + (i / 10) * 200);
        c->SetFont(14, 400, "宋体");
        c->SetPen(0xffffff, 1.0);
        c->DrawText(4, 4, "空闲 idle");
        c->Show();
        c->Invalidate();
    }
    // The first frames draw the scene.
    const auto settled = Clock::now() + kSettle;
    while (Clock::now() < settled)
        platform::MessageLoop::PumpOnce(platform::MessageLoop::kInfinite);
    Measure(spent, [] { platform::MessageLoop::PumpOnce(platform::MessageLoop::kInfinite); });
    return true;
}

// A plain SDL program: one shown window, a frame every 5 ms that does
// nothing, and SDL's own wait in between.
void BareFrames(Uint64& nextFrame)
{
    const Uint64 now = SDL_GetTicks64();
    const int wait = nextFrame > now ? static_cast<int>(nextFrame - now) : 0;
    SDL_Event event;
    if (SDL_WaitEventTimeout(&event, wait)) {
        while (SDL_PollEvent(&event)) {
        }
    }
    if (SDL_GetTicks64() >= nextFrame)
        nextFrame += kFrameMs;
}

bool BareSecond(Spent& spent)
{
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return false;
    SDL_Window* window = SDL_CreateWindow(
        "bare", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 1024, 768, SDL_WINDOW_SHOWN);
    if (!window) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    Uint64 nextFrame = SDL_GetTicks64() + kFrameMs;
    const auto settled = Clock::now() + kSettle;
    while (Clock::now() < settled)
        BareFrames(nextFrame);
    Measure(spent, [&] { BareFrames(nextFrame); });
    SDL_DestroyWindow(window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return true;
}

void BM_IdleWindow(benchmark::State& state, const char* driver)
{
    if (std::string(driver) == "x11" && !std::getenv("DISPLAY")) {
        state.SkipWithError("no X server (no DISPLAY and no Xvfb)");
        return;
    }
    // The driver is chosen when video starts, which each window below
    // does anew.
    setenv("SDL_VIDEODRIVER", driver, 1);
    Spent host;
    Spent bare;
    for (auto _ : state) {
        if (!BareSecond(bare) || !HostSecond(host)) {
            state.SkipWithError("the video driver does not start");
            return;
        }
    }
    state.counters["host_cpu_percent"] = host.Percent();
    state.counters["bare_cpu_percent"] = bare.Percent();
    state.counters["host_over_bare"] = bare.Percent() > 0 ? host.Percent() / bare.Percent() : 0.0;
}
BENCHMARK_CAPTURE(BM_IdleWindow, offscreen, "offscreen")->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_IdleWindow, x11, "x11")->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    g_xServer.Start();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_xServer.Stop();
    return 0;
}
