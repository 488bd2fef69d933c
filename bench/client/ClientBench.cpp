// What the whole client costs at the table, measured from outside: the
// table server of tools/tableserver, the stand-in lobby and KbZn under an Xvfb of the
// program's own, each run in a fresh temporary tree.
//
//   BM_StartToSeated         from starting the lobby (which starts the
//                            client) to the server seeing the user sit down
//   BM_DealFrames/W/H        each frame that drew while the 108 cards are
//                            dealt and fly, on a W x H screen: CPU and wall
//                            time (the client's test switch KBZN_FRAME_TIMES
//                            writes them), p50, p95 and max of the run
//   BM_IdleAtTable           the client seated, no deal running: CPU time
//                            of all its threads per second (% of a core) and
//                            their wake-ups (context switches) per second
//   BM_MemoryAfterFiveDeals  resident memory once five deals are over
//
// Every figure is reported over the repetitions as mean, median, min and
// max. The programs come from the build tree this program belongs to, or
// from the one named by KBZN_BENCH_BUILD (to measure another build with the
// same yardstick).
#include <benchmark/benchmark.h>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int kUser = 10001;

std::string BuildDir()
{
    const char* other = std::getenv("KBZN_BENCH_BUILD");
    return other && *other ? std::string(other) : std::string(KBZN_BUILD_DIR);
}

std::string ClientPath()
{
    std::ifstream named(BuildDir() + "/client-path.txt");
    std::string path;
    if (named && std::getline(named, path) && !path.empty())
        return path;
    return BuildDir() + "/game/KbZn";
}

int64_t MonotonicMs()
{
    timespec t {};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<int64_t>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// One child process with its output in a file; stopped (TERM, then KILL)
// when the object goes.
class Child {
public:
    Child() = default;
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child() { Stop(); }

    void Start(const std::vector<std::string>& args, const std::vector<std::string>& env, const std::string& out)
    {
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        std::vector<std::string> envText;
        for (char** e = environ; *e; ++e)
            envText.emplace_back(*e);
        for (const std::string& e : env) {
            const std::string name = e.substr(0, e.find('=') + 1);
            std::erase_if(envText, [&](const std::string& t) { return t.rfind(name, 0) == 0; });
            envText.push_back(e);
        }
        std::vector<char*> envp;
        for (std::string& e : envText)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        // A group of its own: the lobby's client is ended with it.
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
        posix_spawnattr_setpgroup(&attributes, 0);
        const int failed = posix_spawnp(&m_pid, argv[0], &actions, &attributes, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
        if (failed != 0) {
            m_pid = 0;
            throw std::runtime_error("cannot start " + args[0]);
        }
    }

    void Stop()
    {
        if (m_pid <= 0)
            return;
        kill(-m_pid, SIGTERM);
        for (int i = 0; i < 50; ++i) {
            if (waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
                kill(-m_pid, SIGKILL); // what it left behind in its group
                m_pid = 0;
                return;
            }
            std::this_thread::sleep_for(100ms);
        }
        kill(-m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
        m_pid = 0;
    }

    pid_t Pid() const { return m_pid; }
    bool Running() const { return m_pid > 0 && kill(m_pid, 0) == 0; }

private:
    pid_t m_pid = 0;
};

// Waits until the file has a line starting with prefix; the time it was
// seen (monotonic ms), or nothing after the limit.
std::optional<int64_t> WaitForLine(const std::string& path, const std::string& prefix, std::chrono::milliseconds limit,
    std::chrono::milliseconds step = 2ms)
{
    const auto end = Clock::now() + limit;
    size_t from = 0;
    std::string carry;
    while (Clock::now() < end) {
        std::ifstream in(path, std::ios::binary);
        in.seekg(static_cast<std::streamoff>(from));
        std::string chunk((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        from += chunk.size();
        carry += chunk;
        size_t start = 0;
        for (size_t nl = carry.find('\n'); nl != std::string::npos; nl = carry.find('\n', start)) {
            if (carry.compare(start, prefix.size(), prefix) == 0)
                return MonotonicMs();
            start = nl + 1;
        }
        carry.erase(0, start);
        std::this_thread::sleep_for(step);
    }
    return std::nullopt;
}

// The pids of the process's children.
std::vector<pid_t> Children(pid_t parent)
{
    std::vector<pid_t> found;
    for (const auto& task : fs::directory_iterator("/proc/" + std::to_string(parent) + "/task")) {
        std::ifstream in(task.path() / "children");
        pid_t pid = 0;
        while (in >> pid)
            found.push_back(pid);
    }
    return found;
}

// CPU nanoseconds and context switches of every thread of the process.
struct ThreadTotals {
    int64_t cpuNs = 0;
    int64_t switches = 0;
};

ThreadTotals Totals(pid_t pid)
{
    ThreadTotals totals;
    std::error_code error;
    for (const auto& task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", error)) {
        std::ifstream sched(task.path() / "schedstat");
        int64_t ns = 0;
        if (sched >> ns)
            totals.cpuNs += ns;
        std::ifstream status(task.path() / "status");
        std::string line;
        while (std::getline(status, line)) {
            if (line.rfind("voluntary_ctxt_switches:", 0) == 0 || line.rfind("nonvoluntary_ctxt_switches:", 0) == 0)
                totals.switches += std::stoll(line.substr(line.find(':') + 1));
        }
    }
    return totals;
}

int64_t ResidentKb(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stoll(line.substr(6));
    }
    return 0;
}

// One table: an X server of the given size, the table server with its
// robots and the lobby that starts the client, in a temporary tree.
class Table {
public:
    Table(int width, int height, std::vector<std::string> serverArgs, bool frameTimes = false)
    {
        char pattern[] = "/tmp/kbzn-bench-XXXXXX";
        if (!mkdtemp(pattern))
            throw std::runtime_error("no temporary directory");
        m_dir = pattern;
        fs::create_directories(m_dir + "/runtime");
        fs::permissions(m_dir + "/runtime", fs::perms::owner_all);
        fs::create_directories(m_dir + "/lobby");

        const std::string displayFile = m_dir + "/display";
        const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
        m_xvfb.Start({ "sh", "-c", "exec Xvfb -displayfd 3 -screen 0 " + screen + " -nolisten tcp 3>" + displayFile },
            {}, m_dir + "/xvfb.log");
        const auto end = Clock::now() + 20s;
        while (Clock::now() < end && ReadAll(displayFile).find('\n') == std::string::npos)
            std::this_thread::sleep_for(10ms);
        std::string number = ReadAll(displayFile);
        number.erase(number.find_last_not_of("\r\n") + 1);
        if (number.empty())
            throw std::runtime_error("Xvfb did not start");
        m_env = { "DISPLAY=:" + number, "XDG_RUNTIME_DIR=" + m_dir + "/runtime", "XDG_STATE_HOME=" + m_dir + "/state",
            "XDG_CONFIG_HOME=" + m_dir + "/config", "SDL_AUDIODRIVER=dummy" };
        if (frameTimes)
            m_env.push_back("KBZN_FRAME_TIMES=" + FrameTimesPath());

        std::vector<std::string> server = { BuildDir() + "/tools/tableserver/table-server", "--listen", "127.0.0.1:0" };
        server.insert(server.end(), serverArgs.begin(), serverArgs.end());
        m_server.Start(server, m_env, ServerLog());
        if (!WaitForLine(ServerLog(), "listening on ", 20s, 10ms))
            throw std::runtime_error("the table server did not start");
        const std::string log = ReadAll(ServerLog());
        const size_t colon = log.find(':', log.find("listening on "));
        m_port = log.substr(colon + 1, log.find('\n', colon) - colon - 1);
    }
    ~Table()
    {
        m_lobby.Stop();
        // The client runs in a group of its own; the lobby ends it as it
        // goes, and here in case it could not.
        if (m_client > 0 && kill(m_client, 0) == 0) {
            kill(-m_client, SIGTERM);
            std::this_thread::sleep_for(500ms);
            kill(-m_client, SIGKILL);
        }
        m_server.Stop();
        m_xvfb.Stop();
        // KBZN_BENCH_KEEP keeps the run's tree (logs, frame times) to look at.
        if (const char* keep = std::getenv("KBZN_BENCH_KEEP"); keep && *keep) {
            std::fprintf(stderr, "kept %s\n", m_dir.c_str());
            return;
        }
        std::error_code ignored;
        fs::remove_all(m_dir, ignored);
    }

    // Starts the lobby and so the client; the time it was started.
    int64_t StartClient()
    {
        const int64_t started = MonotonicMs();
        m_lobby.Start({ BuildDir() + "/tools/lobby/stand-in-lobby", "--client", ClientPath(), "--server",
                          "127.0.0.1:" + m_port, "--root", m_dir + "/lobby", "--timeout", "86400", "--table", "1",
                          "--user", std::to_string(kUser) },
            m_env, m_dir + "/lobby.log");
        return started;
    }
    // "chair C: user U sits down", C unknown: the time it was seen.
    std::optional<int64_t> WaitSeated(std::chrono::milliseconds limit = 60s)
    {
        const auto end = Clock::now() + limit;
        const std::string wanted = ": user " + std::to_string(kUser) + " sits down";
        while (Clock::now() < end) {
            if (ReadAll(ServerLog()).find(wanted) != std::string::npos)
                return MonotonicMs();
            std::this_thread::sleep_for(1ms);
        }
        return std::nullopt;
    }
    std::optional<int64_t> WaitForServer(const std::string& prefix, std::chrono::milliseconds limit,
        std::chrono::milliseconds step = 2ms)
    {
        return WaitForLine(ServerLog(), prefix, limit, step);
    }
    // The client's pid (the lobby's child).
    pid_t ClientPid()
    {
        const auto end = Clock::now() + 10s;
        while (Clock::now() < end) {
            const std::vector<pid_t> children = Children(m_lobby.Pid());
            if (!children.empty())
                return m_client = children.front();
            std::this_thread::sleep_for(10ms);
        }
        throw std::runtime_error("the lobby started no client");
    }
    std::string FrameTimesPath() const { return m_dir + "/frames.txt"; }
    std::string ServerLog() const { return m_dir + "/server.log"; }

private:
    std::string m_dir;
    std::vector<std::string> m_env;
    std::string m_port;
    Child m_xvfb;
    Child m_server;
    Child m_lobby;
    pid_t m_client = 0;
};

double Percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t at = std::min(values.size() - 1, static_cast<size_t>(p / 100.0 * static_cast<double>(values.size())));
    return values[at];
}

void Fail(benchmark::State& state, const std::exception& error)
{
    state.SkipWithError(error.what());
}

void BM_StartToSeated(benchmark::State& state)
{
    for (auto _ : state) {
        try {
            Table table(1024, 768, { "--auto-start", "0" });
            const int64_t started = table.StartClient();
            const std::optional<int64_t> seated = table.WaitSeated();
            if (!seated)
                throw std::runtime_error("the client did not sit down");
            const double seconds = static_cast<double>(*seated - started) / 1000.0;
            state.SetIterationTime(seconds);
            state.counters["seated_s"] = seconds;
        } catch (const std::exception& error) {
            Fail(state, error);
            return;
        }
    }
}

void BM_DealFrames(benchmark::State& state)
{
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    constexpr int kDealShowMs = 5000;
    for (auto _ : state) {
        try {
            Table table(width, height,
                { "--auto-start", "1", "--deals", "1", "--keep-open", "1", "--turn-seconds", "30", "--robot-delay",
                    "150", "--deal-show", std::to_string(kDealShowMs) },
                true);
            table.StartClient();
            const std::optional<int64_t> dealt = table.WaitForServer("deal 1 starts", 60s, 1ms);
            if (!dealt)
                throw std::runtime_error("no deal started");
            // The server holds the first move back while the deal is shown.
            std::this_thread::sleep_for(std::chrono::milliseconds(*dealt + kDealShowMs - MonotonicMs()));
            // The deal's frames: from the deal's start (less the moment the
            // log took to show it) to the end of its show.
            std::vector<double> cpu;
            std::vector<double> wall;
            std::istringstream lines(ReadAll(table.FrameTimesPath()));
            long long at = 0;
            long long cpuUs = 0;
            long long wallUs = 0;
            while (lines >> at >> cpuUs >> wallUs) {
                if (at + 5 < *dealt || at > *dealt + kDealShowMs)
                    continue;
                cpu.push_back(static_cast<double>(cpuUs) / 1000.0);
                wall.push_back(static_cast<double>(wallUs) / 1000.0);
            }
            if (cpu.empty())
                throw std::runtime_error("no frame times (is this a client with the KBZN_FRAME_TIMES switch?)");
            state.SetIterationTime(Percentile(cpu, 50) / 1000.0);
            state.counters["frames"] = static_cast<double>(cpu.size());
            state.counters["cpu_p50_ms"] = Percentile(cpu, 50);
            state.counters["cpu_p95_ms"] = Percentile(cpu, 95);
            state.counters["cpu_max_ms"] = *std::max_element(cpu.begin(), cpu.end());
            state.counters["wall_p50_ms"] = Percentile(wall, 50);
            state.counters["wall_p95_ms"] = Percentile(wall, 95);
            state.counters["wall_max_ms"] = *std::max_element(wall.begin(), wall.end());
            state.counters["over_4ms"] = static_cast<double>(std::count_if(cpu.begin(), cpu.end(),
                [](double ms) { return ms > 4.0; }));
        } catch (const std::exception& error) {
            Fail(state, error);
            return;
        }
    }
}

void BM_IdleAtTable(benchmark::State& state)
{
    constexpr auto kSettle = 5s;
    constexpr auto kMeasured = 10s;
    for (auto _ : state) {
        try {
            Table table(1024, 768, { "--auto-start", "0" });
            table.StartClient();
            if (!table.WaitSeated())
                throw std::runtime_error("the client did not sit down");
            const pid_t client = table.ClientPid();
            std::this_thread::sleep_for(kSettle);
            const ThreadTotals before = Totals(client);
            const auto start = Clock::now();
            std::this_thread::sleep_for(kMeasured);
            const ThreadTotals after = Totals(client);
            const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
            const double cpuSeconds = static_cast<double>(after.cpuNs - before.cpuNs) / 1e9;
            state.SetIterationTime(cpuSeconds);
            state.counters["core_pct"] = 100.0 * cpuSeconds / seconds;
            state.counters["wakeups_per_s"] = static_cast<double>(after.switches - before.switches) / seconds;
        } catch (const std::exception& error) {
            Fail(state, error);
            return;
        }
    }
}

void BM_MemoryAfterFiveDeals(benchmark::State& state)
{
    for (auto _ : state) {
        try {
            Table table(1024, 768,
                { "--auto-start", "1", "--deals", "5", "--keep-open", "1", "--turn-seconds", "1", "--grace", "0",
                    "--robot-delay", "20", "--deal-show", "1000" });
            table.StartClient();
            if (!table.WaitSeated())
                throw std::runtime_error("the client did not sit down");
            const pid_t client = table.ClientPid();
            if (!table.WaitForServer("deal 5 over", 600s, 200ms))
                throw std::runtime_error("five deals were not played");
            std::this_thread::sleep_for(1s);
            const double mb = static_cast<double>(ResidentKb(client)) / 1024.0;
            state.SetIterationTime(mb / 1000.0);
            state.counters["rss_mb"] = mb;
        } catch (const std::exception& error) {
            Fail(state, error);
            return;
        }
    }
}

int Repetitions(const char* name, int fallback)
{
    const char* value = std::getenv(name);
    return value && std::atoi(value) > 0 ? std::atoi(value) : fallback;
}

void Spread(benchmark::internal::Benchmark* b, int repetitions)
{
    b->Iterations(1)
        ->Repetitions(repetitions)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->ReportAggregatesOnly(true)
        ->ComputeStatistics("min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); })
        ->ComputeStatistics("max", [](const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); });
}

} // namespace

int main(int argc, char** argv)
{
    signal(SIGPIPE, SIG_IGN);
    const int runs = Repetitions("KBZN_BENCH_RUNS", 3);
    Spread(benchmark::RegisterBenchmark("BM_StartToSeated", BM_StartToSeated), Repetitions("KBZN_BENCH_START_RUNS", 5));
    Spread(benchmark::RegisterBenchmark("BM_DealFrames", BM_DealFrames)->Args({ 1024, 768 })->Args({ 1920, 1080 }),
        runs);
    Spread(benchmark::RegisterBenchmark("BM_IdleAtTable", BM_IdleAtTable), runs);
    Spread(benchmark::RegisterBenchmark("BM_MemoryAfterFiveDeals", BM_MemoryAfterFiveDeals),
        Repetitions("KBZN_BENCH_MEMORY_RUNS", 2));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
