// File: bench/harvest/harvest_bench.cpp
// The harvest worker's own cost per group, the pause set to 0, against the sample directory on
// 127.0.0.1 in this process (goal: under 5 ms per item), and the pure cutting of a listing page.
#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>

#include "groups/store.h"
#include "harvest/harvest.h"
#include "harvest/harvest_support.h"
#include "harvest/listing.h"
#include "support/fake_window.h"
#include "tools/sample_server.h"

namespace {

// A whole harvest of 10 pages x per_page groups per iteration. Counters: wall time per item, and
// the worker thread's own processor time per item (read on the worker as it ends).
void BM_HarvestPerItem(benchmark::State& state) {
    const auto per_page = static_cast<int32_t>(state.range(0));
    SampleDirectoryOptions options;
    options.per_page = per_page;
    SampleDirectoryServer server(options);
    if (!server.start("127.0.0.1", 0)) {
        state.SkipWithError("cannot listen on 127.0.0.1");
        return;
    }
    setenv("QUEQIAO_DIRECTORY", server.host().c_str(), 1);
    ScopedWorkDir dir;
    ScopedFakeWindow window;
    reset_harvest_for_test();
    set_harvest_pause_for_test(0);
    // The worker thread is new for every run, so its processor time at the end is the run's own.
    double worker_cpu_seconds = 0;
    std::mutex mutex;
    std::condition_variable ended;
    int runs_ended = 0;
    set_harvest_ended_hook([&] {
        timespec cpu{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu);
        std::lock_guard lock(mutex);
        worker_cpu_seconds += static_cast<double>(cpu.tv_sec) + static_cast<double>(cpu.tv_nsec) * 1e-9;
        ++runs_ended;
        ended.notify_all();
    });

    int runs = 0;
    const auto began = std::chrono::steady_clock::now();
    for (auto _ : state) {
        start_harvest();
        std::unique_lock lock(mutex);
        if (!ended.wait_for(lock, std::chrono::seconds(120), [&] { return runs_ended > runs; })) {
            state.SkipWithError("the harvest did not end");
            break;
        }
        ++runs;
    }
    const std::chrono::duration<double, std::milli> wall = std::chrono::steady_clock::now() - began;
    set_harvest_ended_hook(nullptr);
    const double items = static_cast<double>(runs) * kSamplePages * per_page;
    state.SetItemsProcessed(static_cast<int64_t>(items));
    state.counters["wall_ms_per_item"] = wall.count() / std::max(items, 1.0);
    state.counters["worker_cpu_ms_per_item"] = worker_cpu_seconds * 1000.0 / std::max(items, 1.0);
    group_store().set("");
    unsetenv("QUEQIAO_DIRECTORY");
}
BENCHMARK(BM_HarvestPerItem)->Arg(20)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// Cutting a 20-item listing page and every item's title and link, and a group page's QR address.
void BM_CutListingPage(benchmark::State& state) {
    SampleDirectoryOptions options;
    const std::string page = to_gbk(listing_html(options, "127.0.0.1:8086", 1));
    const std::string group = to_gbk(group_html(options, "127.0.0.1:8086", sample_group(1, 1)));
    for (auto _ : state) {
        const TextArray items = listing_items(page);
        for (const Text& item : items) {
            benchmark::DoNotOptimize(item_title(item));
            benchmark::DoNotOptimize(item_link(item));
        }
        benchmark::DoNotOptimize(group_qr_address(group));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * (page.size() + group.size())));
}
BENCHMARK(BM_CutListingPage);

}  // namespace
BENCHMARK_MAIN();
