// File: fuzz/harvest/request_head_fuzz.cpp
// The sample directory reads request heads off the network: any bytes must parse or be refused
// without harm, and whatever parses must route to some answer.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "tools/sample_server.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view head(reinterpret_cast<const char*>(data), size);
    const auto request = parse_request_head(head);
    if (request) {
        if (request->target.find(' ') != std::string::npos || head.find(request->method) != 0) {
            std::abort();
        }
        SampleDirectoryOptions options;
        options.per_page = 3;
        const SampleAnswer answer = sample_answer(options, request->host, request->target);
        if (answer.status != 200 && answer.status != 404) {
            std::abort();
        }
    }
    return 0;
}
