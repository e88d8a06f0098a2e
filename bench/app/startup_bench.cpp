// File: bench/app/startup_bench.cpp
// Start-up of the real program to the first paint of its window, with a 100,000-line list beside
// it, and its resident memory one second after that paint. Needs an X display (run it under
// xvfb-run); each repetition is one fresh process, the first run beforehand warms the font cache.
#include <benchmark/benchmark.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Copy {
    fs::path dir;
    fs::path program;
};

Copy make_copy() {
    char pattern[] = "/tmp/queqiao-startup-bench-XXXXXX";
    Copy c{::mkdtemp(pattern), {}};
    c.program = c.dir / "queqiao";
    fs::copy_file(QUEQIAO_PROGRAM, c.program);
    std::ofstream out(c.dir / "weiqun.txt", std::ios::binary);
    for (int i = 0; i < 100000; ++i) {
        out << "\xc9\xee\xdb\xda\xbd\xbb\xc1\xf7\xc8\xba" << i << "|http://127.0.0.1:8086/qr/" << i << ".png\r\n";
    }
    return c;
}

long rss_kib(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            long kib = 0;
            status >> kib;
            return kib;
        }
        status.ignore(1 << 20, '\n');
    }
    return -1;
}

// Starts the program, returns the seconds to its first paint; rss receives VmRSS (KiB) 1 s later.
double one_start(const Copy& c, long* rss) {
    int out[2];
    if (::pipe(out) != 0) {
        return -1;
    }
    ::setenv("QUEQIAO_TEST_REPORT_PAINT", "1", 1);
    ::setenv("QUEQIAO_DIRECTORY", "127.0.0.1:1", 1);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const std::string program = c.program.string();
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    pid_t pid = 0;
    const auto start = std::chrono::steady_clock::now();
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (spawned != 0) {
        ::close(out[0]);
        return -1;
    }
    std::string seen;
    char buffer[256];
    double seconds = -1;
    while (seconds < 0) {
        const ssize_t n = ::read(out[0], buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        seen.append(buffer, static_cast<size_t>(n));
        if (seen.find("first paint") != std::string::npos) {
            seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        }
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));
    *rss = rss_kib(pid);
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
    ::close(out[0]);
    return seconds;
}

void BM_StartupToFirstPaint(benchmark::State& state) {
    if (std::getenv("DISPLAY") == nullptr) {
        state.SkipWithError("no X display: run under xvfb-run");
        return;
    }
    static const Copy copy = [] {
        Copy c = make_copy();
        std::atexit([] { fs::remove_all(copy.dir); });
        long ignored = 0;
        one_start(c, &ignored);  // warms the font cache and writes SkinH_EL.dll
        return c;
    }();
    long rss = 0;
    for (auto _ : state) {
        const double seconds = one_start(copy, &rss);
        if (seconds < 0) {
            state.SkipWithError("the window was never painted");
            return;
        }
        state.SetIterationTime(seconds);
    }
    state.counters["rss_MiB_1s_after_paint"] = static_cast<double>(rss) / 1024.0;
}
BENCHMARK(BM_StartupToFirstPaint)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(10)
    ->ComputeStatistics("max", [](const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); })
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
