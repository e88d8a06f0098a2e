// File: fuzz/text/to_int_fuzz.cpp
// Differential target: text_to_int (width folding, white space, sign, 32-bit wrap) against a plain
// fold-then-read model, on any bytes.
#include <string>

#include "fuzz/text/differential.h"
#include "text/plain_walk.h"
#include "text/search.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text = differential::as_text(std::string(reinterpret_cast<const char*>(data), size));
    const differential::ExactCopy copy(text);
    differential::check(text_to_int(copy.view()) == plain::to_int(text));
    return 0;
}
