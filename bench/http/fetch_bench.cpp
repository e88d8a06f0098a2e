// File: bench/http/fetch_bench.cpp
// fetch_page of a 10 KB page from the loopback recording server, a fresh connection each call,
// against a plain libcurl GET of the same page with a fresh connection (new handle each call).
#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <string>

#include "http/request.h"
#include "support/recording_server.h"

namespace {

RecordingServer& server() {
    static RecordingServer* s = [] {
        auto* made = new RecordingServer;
        Response page;
        page.headers = {{"Content-Type", "text/html; charset=utf-8"}};
        std::string body;
        while (body.size() < 10 * 1024) {
            body += "<li><a href=\"/wxq/1.html\">\xe9\xb9\x8a\xe6\xa1\xa5 group</a></li>\n";
        }
        page.body = body;
        made->route("/page.html", page);
        return made;
    }();
    return *s;
}

size_t collect(char* data, size_t size, size_t count, void* user) {
    static_cast<std::string*>(user)->append(data, size * count);
    return size * count;
}

void BM_plain_curl_get(benchmark::State& state) {
    const std::string url = server().url("/page.html");
    curl_global_init(CURL_GLOBAL_DEFAULT);
    int64_t n = 0;
    for (auto _ : state) {
        CURL* h = curl_easy_init();
        std::string body;
        curl_easy_setopt(h, CURLOPT_URL, url.c_str());
        curl_easy_setopt(h, CURLOPT_FRESH_CONNECT, 1L);
        curl_easy_setopt(h, CURLOPT_FORBID_REUSE, 1L);
        curl_easy_setopt(h, CURLOPT_PROXY, "");
        curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, collect);
        curl_easy_setopt(h, CURLOPT_WRITEDATA, &body);
        curl_easy_perform(h);
        curl_easy_cleanup(h);
        benchmark::DoNotOptimize(body.data());
        if (++n % 256 == 0) {
            server().clear_requests();
        }
    }
}

void BM_fetch_page(benchmark::State& state) {
    const std::string url = server().url("/page.html");
    int64_t n = 0;
    for (auto _ : state) {
        Text page = fetch_page(url);
        benchmark::DoNotOptimize(page.data());
        if (++n % 256 == 0) {
            server().clear_requests();
        }
    }
}

BENCHMARK(BM_plain_curl_get)->Unit(benchmark::kMicrosecond)->Repetitions(7)->DisplayAggregatesOnly(true);
BENCHMARK(BM_fetch_page)->Unit(benchmark::kMicrosecond)->Repetitions(7)->DisplayAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
