// File: bench/groups/presentation_bench.cpp
// The presentation cycle on a virtual clock: an automatic chain through 1,000 and 10,000 entries
// (peak heap growth and deepest stack position must not depend on the chain's length), and one
// step on a 100,000-entry store (about 5 MB). Downloads are left out: the pump skips them.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "groups/presentation.h"
#include "groups/store.h"
#include "support/fake_window.h"
#include "text/services.h"

// Every heap block of the program counted, with the highest level reached.
namespace {
std::atomic<size_t> g_heap_live{0};
std::atomic<size_t> g_heap_peak{0};

void count_alloc(void* p) {
    const size_t live = g_heap_live.fetch_add(malloc_usable_size(p)) + malloc_usable_size(p);
    size_t peak = g_heap_peak.load();
    while (live > peak && !g_heap_peak.compare_exchange_weak(peak, live)) {
    }
}
}  // namespace

void* operator new(size_t size) {
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) {
        throw std::bad_alloc();
    }
    count_alloc(p);
    return p;
}

// The blocks come from malloc in operator new above, so free is their match.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept {
    if (p != nullptr) {
        g_heap_live.fetch_sub(malloc_usable_size(p));
        std::free(p);
    }
}
#pragma GCC diagnostic pop

void operator delete(void* p, size_t) noexcept {
    operator delete(p);
}

namespace {

// Controls that keep no log, only the deepest stack position seen when a caption is set.
class ProbeControls : public Controls {
public:
    void set_status(const Text&) override {
        const char probe = 0;
        benchmark::DoNotOptimize(&probe);
        m_lowest = std::min(m_lowest, reinterpret_cast<uintptr_t>(&probe));
        ++m_steps;
    }
    void set_info(const Text&) override {}
    void set_picture(const Bytes&) override {}
    [[nodiscard]] bool auto_switch() const override { return m_ticked; }
    void set_auto_switch(bool ticked) override { m_ticked = ticked; }
    [[nodiscard]] Text interval_text() const override { return m_interval; }

    uintptr_t m_lowest = UINTPTR_MAX;
    int64_t m_steps = 0;
    bool m_ticked = false;
    Text m_interval = "0";
};

// The virtual clock, with the download skipped.
class NoDownloadPump : public FakePump {
public:
    bool run_blocking(const std::function<void()>&) override { return !program_closing(); }
};

// n lines of about 50 bytes: a GBK title, "|", a QR address, CR LF.
Text make_store(int n) {
    Text store;
    char line[96];
    for (int i = 1; i <= n; ++i) {
        // 微信交流群 (GBK) and a number, then the address.
        const int len = std::snprintf(
            line, sizeof line, "\xce\xa2\xd0\xc5\xbd\xbb\xc1\xf7\xc8\xba%06d|http://127.0.0.1/qr/%06d.png\r\n", i, i);
        store.append(line, static_cast<size_t>(len));
    }
    return store;
}

void BM_AutomaticChain(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    ProbeControls controls;
    NoDownloadPump pump;
    install_window(&controls, &pump);
    group_store().set(make_store(n));
    size_t peak_growth = 0;
    uintptr_t stack_depth = 0;
    for (auto _ : state) {
        reset_presentation_state();
        controls.m_ticked = true;
        controls.m_lowest = UINTPTR_MAX;
        const char top = 0;
        benchmark::DoNotOptimize(&top);
        g_heap_peak.store(g_heap_live.load());
        const size_t before = g_heap_live.load();

        show_next_group();

        peak_growth = std::max(peak_growth, g_heap_peak.load() - before);
        stack_depth = std::max(stack_depth, reinterpret_cast<uintptr_t>(&top) - controls.m_lowest);
        if (controls.m_ticked || current_index() != 0) {
            state.SkipWithError("the chain did not run to the end of the list");
        }
    }
    state.counters["steps"] = benchmark::Counter(static_cast<double>(n));
    state.counters["store_KiB"] = static_cast<double>(group_store().read().size()) / 1024.0;
    state.counters["peak_heap_growth_KiB"] = static_cast<double>(peak_growth) / 1024.0;
    state.counters["deepest_stack_bytes"] = static_cast<double>(stack_depth);
    install_window(nullptr, nullptr);
    group_store().set("");
}
BENCHMARK(BM_AutomaticChain)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// One manual step on a list of 100,000 entries; the whole store is read and cut every time.
void BM_OneStepLargeStore(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    ProbeControls controls;
    NoDownloadPump pump;
    install_window(&controls, &pump);
    group_store().set(make_store(n));
    controls.m_ticked = false;
    int32_t index = 0;
    for (auto _ : state) {
        reset_presentation_state();
        show_next_group();
        index = current_index();
    }
    if (index != 1) {
        state.SkipWithError("the step did not show entry 1");
    }
    state.counters["store_KiB"] = static_cast<double>(group_store().read().size()) / 1024.0;
    install_window(nullptr, nullptr);
    group_store().set("");
}
BENCHMARK(BM_OneStepLargeStore)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
