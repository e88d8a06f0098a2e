// File: bench/text/search_bench.cpp
// The character-aware searches, the split of a group list and all_between over a listing page,
// each beside memmem doing the same scan over the same buffer in the same run.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>

#include "text/extract.h"
#include "text/search.h"

namespace {

constexpr size_t kMiB = 1 << 20;

// GBK-heavy HTML: tags and attributes in ASCII, runs of two-byte characters between them, some of
// whose trail bytes are ASCII ("|", "<", letters).
std::string gbk_html(size_t size) {
    std::mt19937 rng(7);
    std::string s;
    s.reserve(size + 256);
    while (s.size() < size) {
        s += "<div class=\"item\"><a href=\"/qun/" + std::to_string(rng() % 100000) + ".html\">";
        const size_t chars = 20 + rng() % 60;
        for (size_t i = 0; i < chars; ++i) {
            if (rng() % 8 == 0) {
                s += static_cast<char>(0x81 + rng() % 0x1f);  // lead with an ASCII-range trail byte
                s += static_cast<char>(0x40 + rng() % 0x3f);
            } else {
                s += static_cast<char>(0xB0 + rng() % 0x48);
                s += static_cast<char>(0xA1 + rng() % 0x5e);
            }
        }
        s += "</a></div>\r\n";
    }
    s.resize(size);
    return s;
}

const std::string& html_10mb() {
    static const std::string s = gbk_html(10 * kMiB);
    return s;
}

constexpr std::string_view kAbsent = "<a href=\"/qun/absent-0000.html";  // 30 bytes

std::string with_needle_near_end() {
    std::string s = html_10mb();
    std::memcpy(s.data() + s.size() - 1000, kAbsent.data(), kAbsent.size());
    return s;
}

// A group list like weiqun.txt: lines of 50 bytes, a GBK title, "|", an address, CR LF.
std::string group_list(size_t size) {
    std::string s;
    s.reserve(size + 64);
    for (size_t i = 0; s.size() < size; ++i) {
        std::string line = "\xce\xa2\xd0\xc5\xc8\xba" + std::to_string(i % 1000) + "|http://img.example/q/";
        line += std::to_string(i);
        line.resize(48, 'x');
        s += line + "\r\n";
    }
    s.resize(size - size % 50);
    return s;
}

// A listing page of ASCII HTML with GBK titles: items evenly spread over the size.
std::string listing_page(size_t size, size_t items) {
    std::mt19937 rng(11);
    std::string s = "<html><head><title>list</title></head><body><ul class=\"list\">\r\n";
    const size_t per_item = size / items;
    for (size_t i = 0; i < items; ++i) {
        std::string item = "<li class=\"qun\"><a href=\"/qun/" + std::to_string(i) + ".html\" title=\"";
        for (int k = 0; k < 8; ++k) {
            item += static_cast<char>(0xB0 + rng() % 0x48);
            item += static_cast<char>(0xA1 + rng() % 0x5e);
        }
        item += "\" target=\"_blank\"><img src=\"/img/" + std::to_string(i) + ".jpg\"></a>";
        while (item.size() + 5 < per_item) {
            item += "<span class=\"pad\">&nbsp;</span>";
        }
        item.resize(per_item - 5, ' ');
        s += item + "</li>";
    }
    return s + "</ul></body></html>";
}

size_t memmem_count(std::string_view hay, std::string_view needle) {
    size_t n = 0;
    const char* p = hay.data();
    const char* end = hay.data() + hay.size();
    while (const void* hit = memmem(p, static_cast<size_t>(end - p), needle.data(), needle.size())) {
        ++n;
        p = static_cast<const char*>(hit) + needle.size();
    }
    return n;
}

void BM_text_find_absent(benchmark::State& state) {
    const std::string& s = html_10mb();
    for (auto _ : state) {
        benchmark::DoNotOptimize(text_find(s, kAbsent));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * s.size()));
}
BENCHMARK(BM_text_find_absent)->Unit(benchmark::kMillisecond);

void BM_memmem_absent(benchmark::State& state) {
    const std::string& s = html_10mb();
    for (auto _ : state) {
        benchmark::DoNotOptimize(memmem(s.data(), s.size(), kAbsent.data(), kAbsent.size()));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * s.size()));
}
BENCHMARK(BM_memmem_absent)->Unit(benchmark::kMillisecond);

void BM_text_find_near_end(benchmark::State& state) {
    static const std::string s = with_needle_near_end();
    for (auto _ : state) {
        benchmark::DoNotOptimize(text_find(s, kAbsent));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * s.size()));
}
BENCHMARK(BM_text_find_near_end)->Unit(benchmark::kMillisecond);

void BM_memmem_near_end(benchmark::State& state) {
    static const std::string s = with_needle_near_end();
    for (auto _ : state) {
        benchmark::DoNotOptimize(memmem(s.data(), s.size(), kAbsent.data(), kAbsent.size()));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * s.size()));
}
BENCHMARK(BM_memmem_near_end)->Unit(benchmark::kMillisecond);

// The last occurrence, which lies near the front: the whole buffer is scanned.
std::string with_needle_near_front() {
    std::string s = html_10mb();
    std::memcpy(s.data() + 1000, kAbsent.data(), kAbsent.size());
    return s;
}

void BM_text_find_last(benchmark::State& state) {
    static const std::string s = with_needle_near_front();
    for (auto _ : state) {
        benchmark::DoNotOptimize(text_find_last(s, kAbsent));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * s.size()));
}
BENCHMARK(BM_text_find_last)->Unit(benchmark::kMillisecond);

void BM_memmem_find_last(benchmark::State& state) {
    static const std::string s = with_needle_near_front();
    for (auto _ : state) {
        benchmark::DoNotOptimize(memmem_count(s, kAbsent));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * s.size()));
}
BENCHMARK(BM_memmem_find_last)->Unit(benchmark::kMillisecond);

void BM_text_split_lines(benchmark::State& state) {
    const std::string s = group_list(static_cast<size_t>(state.range(0)) * kMiB);
    for (auto _ : state) {
        TextArray lines = text_split(s, "\r\n");
        benchmark::DoNotOptimize(lines.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * s.size()));
}
BENCHMARK(BM_text_split_lines)->Arg(5)->Arg(10)->Arg(20)->Unit(benchmark::kMillisecond);

void BM_memmem_split_lines(benchmark::State& state) {
    const std::string s = group_list(static_cast<size_t>(state.range(0)) * kMiB);
    for (auto _ : state) {
        benchmark::DoNotOptimize(memmem_count(s, "\r\n"));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * s.size()));
}
BENCHMARK(BM_memmem_split_lines)->Arg(10)->Unit(benchmark::kMillisecond);

// range(0): MiB, with 2,000 items per MiB (10 MiB: 20,000 items).
void BM_all_between_listing(benchmark::State& state) {
    const auto mib = static_cast<size_t>(state.range(0));
    const std::string s = listing_page(mib * kMiB, mib * 2000);
    TextArray items;
    for (auto _ : state) {
        benchmark::DoNotOptimize(all_between(s, "<li class=\"qun\">", "</li>", items));
    }
    state.counters["items"] = static_cast<double>(items.size());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * s.size()));
}
BENCHMARK(BM_all_between_listing)->Arg(5)->Arg(10)->Arg(20)->Unit(benchmark::kMillisecond);

void BM_memmem_listing(benchmark::State& state) {
    const auto mib = static_cast<size_t>(state.range(0));
    const std::string s = listing_page(mib * kMiB, mib * 2000);
    for (auto _ : state) {
        benchmark::DoNotOptimize(memmem_count(s, "<li class=\"qun\">") + memmem_count(s, "</li>"));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * s.size()));
}
BENCHMARK(BM_memmem_listing)->Arg(10)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
