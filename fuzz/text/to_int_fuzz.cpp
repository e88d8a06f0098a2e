// File: fuzz/text/to_int_fuzz.cpp
// Differential target: text_to_int (width folding, white space, sign, 32-bit wrap) against a plain
// fold-then-read model, on any bytes.
#include <cstdlib>
#include <memory>
#include <string>

#include "text/plain_walk.h"
#include "text/search.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    text.resize(std::min(text.find('\0'), text.size()));
    const std::unique_ptr<char[]> t(new char[text.size()]);
    std::copy(text.begin(), text.end(), t.get());
    if (text_to_int(std::string_view(t.get(), text.size())) != plain::to_int(text)) {
        std::abort();
    }
    return 0;
}
