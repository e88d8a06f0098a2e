// File: bench/app/list_bench.cpp
// Start-up's list work: load_group_list and count_lines of a 100,000-line weiqun.txt.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "groups/list_file.h"
#include "groups/store.h"

namespace {

// A directory holding a weiqun.txt of n entries with GBK titles, made the current directory.
class ListDirectory {
public:
    explicit ListDirectory(int n) {
        char pattern[] = "/tmp/queqiao-list-bench-XXXXXX";
        m_dir = ::mkdtemp(pattern);
        std::ofstream out(m_dir + "/weiqun.txt", std::ios::binary);
        for (int i = 0; i < n; ++i) {
            // "深圳交流群" in GBK, a number, the QR address.
            out << "\xc9\xee\xdb\xda\xbd\xbb\xc1\xf7\xc8\xba" << i << "|http://127.0.0.1:8086/qr/" << i << ".png\r\n";
        }
        out.close();
        (void)::chdir(m_dir.c_str());
    }
    ~ListDirectory() { std::filesystem::remove_all(m_dir); }

private:
    std::string m_dir;
};

void BM_LoadAndCountList(benchmark::State& state) {
    ListDirectory dir(static_cast<int>(state.range(0)));
    int32_t lines = 0;
    for (auto _ : state) {
        load_group_list();
        lines = count_lines(group_store().read());
        benchmark::DoNotOptimize(lines);
    }
    if (lines != state.range(0)) {
        state.SkipWithError("wrong line count");
    }
    state.counters["lines"] = lines;
}
BENCHMARK(BM_LoadAndCountList)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
