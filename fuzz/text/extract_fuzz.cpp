// File: fuzz/text/extract_fuzz.cpp
// Differential target: the five extraction routines against the same steps written on the plain
// character walk, on any bytes and any optional arguments.
#include <fuzzer/FuzzedDataProvider.h>

#include "fuzz/text/differential.h"
#include "text/extract.h"
#include "text/plain_walk.h"

using differential::as_text;
using differential::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const auto start = in.ConsumeIntegralInRange<int32_t>(-4, 300);
    const auto max_length = in.ConsumeIntegralInRange<int32_t>(-2, 20);
    const bool ignore_case = in.ConsumeBool();
    const bool include_left = in.ConsumeBool();
    const bool include_right = in.ConsumeBool();
    const bool no_start = in.ConsumeBool();
    const std::string left = as_text(in.ConsumeRandomLengthString(8));
    const std::string right = as_text(in.ConsumeRandomLengthString(8));
    const std::string prefix = as_text(in.ConsumeRandomLengthString(3));
    const std::string suffix = as_text(in.ConsumeRandomLengthString(3));
    const std::string text = as_text(in.ConsumeRemainingBytesAsString());
    const differential::ExactCopy copy(text);
    const std::string_view tv = copy.view();

    check(text_before(tv, left, start, ignore_case) == plain::before(text, left, start, ignore_case));
    const std::optional<int32_t> after_start = no_start ? std::nullopt : std::optional<int32_t>(start);
    check(text_after_last(tv, left, after_start, ignore_case) ==
          plain::after_last(text, left, after_start, ignore_case));
    check(text_between(tv, left, right, start, ignore_case) == plain::between(text, left, right, start, ignore_case));
    check(text_between_nocase(tv, left, right, start, !ignore_case) ==
          plain::between(text, left, right, start, ignore_case));
    TextArray result{"stale"};
    const int32_t n = all_between(tv, left, right, result, ignore_case, max_length, prefix, suffix, include_left,
                                  include_right, start);
    check(result == plain::all_between(text, left, right, ignore_case, max_length, prefix, suffix, include_left,
                                       include_right, start));
    check(n == static_cast<int32_t>(result.size()));
    return 0;
}
