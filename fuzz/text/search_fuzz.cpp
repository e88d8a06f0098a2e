// File: fuzz/text/search_fuzz.cpp
// Differential target: the fast character-aware searches, split, replace, trim and case folding
// against the plain character walk of tests/text/plain_walk.h, on any bytes.
#include <fuzzer/FuzzedDataProvider.h>

#include "fuzz/text/differential.h"
#include "text/plain_walk.h"
#include "text/search.h"

using differential::as_text;
using differential::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const auto start = in.ConsumeIntegralInRange<int32_t>(-4, 300);
    const bool ignore_case = in.ConsumeBool();
    const bool no_limit = in.ConsumeBool();
    const std::string sought = as_text(in.ConsumeRandomLengthString(8));
    const std::string replacement = as_text(in.ConsumeRandomLengthString(8));
    const std::string text = as_text(in.ConsumeRemainingBytesAsString());
    const differential::ExactCopy copy(text);
    const std::string_view tv = copy.view();

    check(text_find(tv, sought, start, ignore_case) == plain::find(text, sought, start, ignore_case));
    const std::optional<int32_t> limit = no_limit ? std::nullopt : std::optional<int32_t>(start);
    check(text_find_last(tv, sought, limit, ignore_case) == plain::find_last(text, sought, limit, ignore_case));
    check(text_split(tv, sought) == plain::split(text, sought));
    check(text_replace_all(tv, sought, replacement) == plain::replace_all(text, sought, replacement));
    check(text_trim(tv) == plain::trim(text));
    check(text_remove_spaces(tv) == plain::remove_spaces(text));
    check(text_to_lower(tv) == plain::to_lower(text));
    return 0;
}
