// File: bench/http/decode_bench.cpp
// utf8_to_gbk of 10 MB of Chinese UTF-8 against glibc iconv (UTF-8 to CP936) and ICU's
// ucnv_convertEx (UTF-8 to GBK) on the same text; also plain ASCII and text with combining marks.
#include <benchmark/benchmark.h>
#include <iconv.h>
#include <unicode/ucnv.h>

#include <cstdlib>
#include <string>

#include "http/decode.h"

namespace {

constexpr size_t kSize = 10 * 1000 * 1000;

void append_utf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Common CJK ideographs with a full-width comma every 12 characters and a line break every 60.
const Bytes& chinese() {
    static const Bytes text = [] {
        std::string s;
        uint32_t seed = 12345;
        for (size_t i = 0; s.size() < kSize; ++i) {
            seed = seed * 1103515245 + 12345;
            append_utf8(s, 0x4E00 + (seed >> 8) % 0x51A6);
            if (i % 12 == 11) {
                append_utf8(s, 0xFF0C);  // ，
            }
            if (i % 60 == 59) {
                s += '\n';
            }
        }
        return Bytes(s.begin(), s.end());
    }();
    return text;
}

const Bytes& ascii() {
    static const Bytes text = [] {
        std::string s;
        while (s.size() < kSize) {
            s += "<li><a href=\"/wxq-9-1.html\" title=\"group\">group</a></li>\r\n";
        }
        return Bytes(s.begin(), s.end());
    }();
    return text;
}

// Chinese with an accented Latin word (e and U+0301) every 40 characters.
const Bytes& with_marks() {
    static const Bytes text = [] {
        std::string s;
        for (size_t i = 0; s.size() < kSize; ++i) {
            append_utf8(s, 0x4E00 + (i * 7919) % 0x51A6);
            if (i % 40 == 39) {
                s += "cafe\xcc\x81 ";
            }
        }
        return Bytes(s.begin(), s.end());
    }();
    return text;
}

void run_ours(benchmark::State& state, const Bytes& in) {
    for (auto _ : state) {
        Text out = utf8_to_gbk(in);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * in.size()));
}

void BM_utf8_to_gbk_chinese(benchmark::State& state) {
    run_ours(state, chinese());
}
void BM_utf8_to_gbk_ascii(benchmark::State& state) {
    run_ours(state, ascii());
}
void BM_utf8_to_gbk_with_marks(benchmark::State& state) {
    run_ours(state, with_marks());
}

void BM_iconv_chinese(benchmark::State& state) {
    const Bytes& in = chinese();
    iconv_t cd = iconv_open("CP936", "UTF-8");
    std::string out(in.size() * 2, '\0');
    for (auto _ : state) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(reinterpret_cast<const char*>(in.data()));
        size_t src_left = in.size();
        char* dst = out.data();
        size_t dst_left = out.size();
        if (iconv(cd, &src, &src_left, &dst, &dst_left) == static_cast<size_t>(-1)) {
            state.SkipWithError("iconv failed");
            break;
        }
        benchmark::DoNotOptimize(dst);
    }
    iconv_close(cd);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * in.size()));
}

void BM_icu_convertEx_chinese(benchmark::State& state) {
    const Bytes& in = chinese();
    UErrorCode err = U_ZERO_ERROR;
    UConverter* utf8 = ucnv_open("UTF-8", &err);
    UConverter* gbk = ucnv_open("GBK", &err);
    std::string out(in.size() * 2, '\0');
    UChar pivot[1024];
    for (auto _ : state) {
        err = U_ZERO_ERROR;
        char* target = out.data();
        const char* source = reinterpret_cast<const char*>(in.data());
        UChar* pivot_source = pivot;
        UChar* pivot_target = pivot;
        ucnv_convertEx(gbk, utf8, &target, out.data() + out.size(), &source, source + in.size(), pivot, &pivot_source,
                       &pivot_target, pivot + 1024, true, true, &err);
        if (U_FAILURE(err)) {
            state.SkipWithError("ucnv_convertEx failed");
            break;
        }
        benchmark::DoNotOptimize(target);
    }
    ucnv_close(utf8);
    ucnv_close(gbk);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * in.size()));
}

BENCHMARK(BM_utf8_to_gbk_chinese)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_iconv_chinese)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_icu_convertEx_chinese)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_utf8_to_gbk_ascii)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_utf8_to_gbk_with_marks)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
