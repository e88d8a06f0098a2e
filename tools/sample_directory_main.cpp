// File: tools/sample_directory_main.cpp
// queqiao-sample-directory: serves the sample group directory until interrupted.
//   queqiao-sample-directory [--address=127.0.0.1] [--port=8086|0] [--per-page=20]
//                            [--fault=KIND[@PAGE[.ITEM]]]... [--stall-ms=60000] [--log]
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <string_view>

#include "tools/sample_server.h"

namespace {
constexpr uint16_t kDefaultPort = 8086;

void usage(FILE* out) {
    std::fputs(
        "usage: queqiao-sample-directory [options]\n"
        "  --address=ADDR     IPv4 address to listen on (default 127.0.0.1)\n"
        "  --port=N           port to listen on, 0 for a free one (default 8086)\n"
        "  --per-page=N       groups per listing page, 1 to 500 (default 20)\n"
        "  --fault=KIND[@PAGE[.ITEM]]  show a fault (repeatable); KIND is one of\n"
        "                     404, stall, drop (a listing page, or a group page with .ITEM),\n"
        "                     no-qr, no-title, pipe-title, relative-link, duplicate,\n"
        "                     crlf-title (an item);\n"
        "                     the place defaults to page 2 (item 3)\n"
        "  --stall-ms=N       how long a stalled answer stops (default 60000)\n"
        "  --log              print the target of every request on standard output\n"
        "Prints \"listening on ADDR:PORT\" once it answers; runs until SIGINT or SIGTERM.\n",
        out);
}

bool read_int(std::string_view text, long low, long high, long& value) {
    const std::string s(text);
    char* end = nullptr;
    value = std::strtol(s.c_str(), &end, 10);
    return !s.empty() && *end == '\0' && value >= low && value <= high;
}
}  // namespace

int main(int argc, char** argv) {
    std::string address = "127.0.0.1";
    long port = kDefaultPort;
    SampleDirectoryOptions options;
    bool log = false;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        std::string_view value;
        if (const size_t eq = arg.find('='); eq != std::string_view::npos) {
            value = arg.substr(eq + 1);
            arg = arg.substr(0, eq);
        } else if (arg != "--help" && arg != "-h" && arg != "--log" && i + 1 < argc) {
            value = argv[++i];
        }
        long n = 0;
        bool ok = true;
        if (arg == "--help" || arg == "-h") {
            usage(stdout);
            return 0;
        } else if (arg == "--log") {
            log = true;
        } else if (arg == "--address") {
            address = std::string(value);
        } else if (arg == "--port") {
            ok = read_int(value, 0, 65535, port);
        } else if (arg == "--per-page") {
            ok = read_int(value, 1, kMaxPerPage, n);
            options.per_page = static_cast<int32_t>(n);
        } else if (arg == "--stall-ms") {
            ok = read_int(value, 0, 24L * 3600 * 1000, n);
            options.stall_ms = static_cast<int32_t>(n);
        } else if (arg == "--fault") {
            const auto fault = parse_fault(value);
            ok = fault.has_value();
            if (ok) {
                options.faults.push_back(*fault);
            }
        } else {
            ok = false;
        }
        if (!ok) {
            std::fprintf(stderr, "queqiao-sample-directory: bad option: %s\n", argv[i]);
            usage(stderr);
            return 2;
        }
    }

    // The answering threads inherit the blocked signals; only sigwait below receives them.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    SampleDirectoryServer server(options);
    std::mutex out_mutex;
    if (log) {
        server.set_request_hook([&out_mutex](const std::string& target) {
            std::lock_guard lock(out_mutex);
            std::printf("%s\n", target.c_str());
            std::fflush(stdout);
        });
    }
    if (!server.start(address, static_cast<uint16_t>(port))) {
        std::fprintf(stderr, "queqiao-sample-directory: cannot listen on %s:%ld\n", address.c_str(), port);
        return 1;
    }
    std::printf("listening on %s\n", server.host().c_str());
    std::fflush(stdout);

    int received = 0;
    sigwait(&signals, &received);
    server.stop();
    return 0;
}
