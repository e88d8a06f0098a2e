// File: bench/groups/wait_cpu_bench.cpp
// The CPU cost of a real wait in the real event pump: wait_processing_events(5000) with a window
// open, against the written busy poll (dispatch, read the clock, dispatch, again and again) for
// comparison. The figure is the process's CPU time as a share of the wall time.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QWidget>
#include <chrono>
#include <cstdlib>
#include <ctime>

#include "app/qt_window.h"
#include "groups/presentation.h"
#include "groups/window.h"

namespace {

double process_cpu_seconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

double wall_seconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

QWidget& window() {
    static QWidget* w = [] {
        auto* widget = new QWidget();
        widget->resize(791, 581);
        widget->show();
        return widget;
    }();
    return *w;
}

template <class Wait>
void measure(benchmark::State& state, Wait wait) {
    window();
    install_window(&qt_controls(), &qt_pump());
    double cpu = 0;
    double wall = 0;
    for (auto _ : state) {
        const double cpu0 = process_cpu_seconds();
        const double wall0 = wall_seconds();
        wait();
        cpu += process_cpu_seconds() - cpu0;
        wall += wall_seconds() - wall0;
    }
    state.counters["wall_s"] = wall / static_cast<double>(state.iterations());
    state.counters["cpu_s"] = cpu / static_cast<double>(state.iterations());
    state.counters["cpu_percent_of_one_core"] = 100.0 * cpu / wall;
    install_window(nullptr, nullptr);
}

void BM_Wait5s(benchmark::State& state) {
    measure(state, [] { benchmark::DoNotOptimize(wait_processing_events(5000)); });
}
BENCHMARK(BM_Wait5s)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The wait as first written: it polls without sleeping (shown for one second only).
void BM_WrittenBusyPoll1s(benchmark::State& state) {
    measure(state, [] {
        EventPump& pump = qt_pump();
        const uint32_t end = pump.tick_count() + 1000;
        for (;;) {
            pump.process_events();
            pump.process_events();
            if (static_cast<int32_t>(pump.tick_count() - end) > 0) {
                return;
            }
            pump.process_events();
            pump.process_events();
        }
    });
}
BENCHMARK(BM_WrittenBusyPoll1s)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    // No display needed: the offscreen platform unless one was chosen.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
