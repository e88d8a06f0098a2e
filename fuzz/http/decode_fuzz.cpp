// File: fuzz/http/decode_fuzz.cpp
// utf8_to_gbk against ICU's own UTF-8 to windows-936-2000 conversion with the same "?" callback,
// on input without combining marks (the reference does not compose); and, on every input, the
// two-step path through utf8_to_utf16 and utf16_to_gbk against the one-step one.
#include <unicode/uchar.h>
#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/ustring.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "http/decode.h"

namespace {

void write_question_mark(const void*, UConverterFromUnicodeArgs* args, const UChar*, int32_t, UChar32,
                         UConverterCallbackReason reason, UErrorCode* err) {
    if (reason > UCNV_IRREGULAR) {
        return;
    }
    *err = U_ZERO_ERROR;
    ucnv_cbFromUWriteBytes(args, "?", 1, 0, err);
}

bool has_combining_mark(const char* p, int32_t n) {
    int32_t i = 0;
    while (i < n) {
        UChar32 c;
        U8_NEXT(p, i, n, c);
        if (c >= 0 && (U_GET_GC_MASK(c) & U_GC_M_MASK) != 0) {
            return true;
        }
    }
    return false;
}

std::string reference(const char* p, int32_t n) {
    UErrorCode err = U_ZERO_ERROR;
    UConverter* utf8 = ucnv_open("UTF-8", &err);
    UConverter* gbk = ucnv_open("windows-936-2000", &err);
    ucnv_setFallback(gbk, false);
    ucnv_setFromUCallBack(gbk, write_question_mark, nullptr, nullptr, nullptr, &err);
    std::string out(2 * static_cast<size_t>(n) + 16, '\0');
    char* target = out.data();
    const char* source = p;
    UChar pivot[1024];
    UChar* pivot_source = pivot;
    UChar* pivot_target = pivot;
    ucnv_convertEx(gbk, utf8, &target, out.data() + out.size(), &source, p + n, pivot, &pivot_source, &pivot_target,
                   pivot + 1024, true, true, &err);
    if (U_FAILURE(err)) {
        std::abort();
    }
    out.resize(static_cast<size_t>(target - out.data()));
    ucnv_close(utf8);
    ucnv_close(gbk);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Bytes body(data, data + size);
    const Text gbk = utf8_to_gbk(body);
    if (utf16_to_gbk(utf8_to_utf16(body)) != gbk) {
        std::abort();
    }
    size_t n = 0;
    while (n < size && data[n] != 0) {
        ++n;
    }
    const char* p = reinterpret_cast<const char*>(data);
    if (!has_combining_mark(p, static_cast<int32_t>(n)) && reference(p, static_cast<int32_t>(n)) != gbk) {
        std::abort();
    }
    return 0;
}
