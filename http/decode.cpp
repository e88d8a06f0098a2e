// File: http/decode.cpp
// UTF-8 and UTF-16 to code page 936 on ICU: its UTF-8 decoder with U+FFFD substitution, the
// windows-936-2000 table without fallbacks and a callback that writes one "?" per unmappable code
// point. Bodies are converted in blocks split where no combining sequence can straddle the cut;
// only a block holding a combining mark is copied for composition.
#include "http/decode.h"

#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>

#include <array>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>

namespace {

constexpr size_t kBlock = 64 * 1024;

// One bit per BMP code point of general category M (Mn, Mc, Me); filled once from ICU.
class MarkTable {
public:
    MarkTable() {
        for (UChar32 c = 0; c < 0x10000; ++c) {
            if ((U_GET_GC_MASK(c) & U_GC_M_MASK) != 0) {
                m_bits[c >> 6] |= uint64_t{1} << (c & 63);
            }
        }
    }
    bool bmp_mark(char16_t u) const { return (m_bits[u >> 6] >> (u & 63)) & 1; }

private:
    std::array<uint64_t, 0x10000 / 64> m_bits{};
};

const MarkTable& marks() {
    static const MarkTable table;
    return table;
}

bool is_mark(UChar32 c) {
    return c < 0x10000 ? marks().bmp_mark(static_cast<char16_t>(c)) : (U_GET_GC_MASK(c) & U_GC_M_MASK) != 0;
}

// True when a unit of the block can start a combining mark (a BMP mark or any lead surrogate,
// whose code point is then looked at).
bool may_hold_mark(const char16_t* p, size_t n) {
    const MarkTable& table = marks();
    for (size_t i = 0; i < n; ++i) {
        const char16_t u = p[i];
        if (u >= 0x300 && (table.bmp_mark(u) || U16_IS_LEAD(u))) {
            return true;
        }
    }
    return false;
}

// Replaces every base + combining mark pair that has a precomposed character by that character,
// repeatedly, so 'e' U+0323 U+0302 becomes U+1EC7.
std::u16string compose_marks(const char16_t* p, size_t n) {
    UErrorCode err = U_ZERO_ERROR;
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(err);
    std::u16string out;
    out.reserve(n);
    UChar32 last = U_SENTINEL;  // the code point at the end of out, U_SENTINEL when out is empty
    size_t i = 0;
    while (i < n) {
        UChar32 c;
        U16_NEXT(p, i, n, c);
        if (last != U_SENTINEL && U_SUCCESS(err) && is_mark(c)) {
            const UChar32 composed = nfc->composePair(last, c);
            if (composed >= 0) {
                out.resize(out.size() - U16_LENGTH(last));
                c = composed;
            }
        }
        if (U_IS_BMP(c)) {
            out.push_back(static_cast<char16_t>(c));
        } else {
            out.push_back(U16_LEAD(c));
            out.push_back(U16_TRAIL(c));
        }
        last = c;
    }
    return out;
}

void write_question_mark(const void*, UConverterFromUnicodeArgs* args, const UChar*, int32_t, UChar32,
                         UConverterCallbackReason reason, UErrorCode* err) {
    if (reason > UCNV_IRREGULAR) {
        return;  // reset, close and clone need nothing
    }
    *err = U_ZERO_ERROR;
    ucnv_cbFromUWriteBytes(args, "?", 1, 0, err);
}

struct ConverterClose {
    void operator()(UConverter* c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterClose>;

// The calling thread's converter to code page 936, reset; nullptr when ICU has no such table.
UConverter* gbk_converter() {
    thread_local Converter converter = [] {
        UErrorCode err = U_ZERO_ERROR;
        Converter c(ucnv_open("windows-936-2000", &err));
        if (U_FAILURE(err)) {
            return Converter();
        }
        ucnv_setFallback(c.get(), false);
        ucnv_setFromUCallBack(c.get(), write_question_mark, nullptr, nullptr, nullptr, &err);
        return U_SUCCESS(err) ? std::move(c) : Converter();
    }();
    if (converter) {
        ucnv_resetFromUnicode(converter.get());
    }
    return converter.get();
}

// Appends the GBK form of the units (code points whole) to out.
void append_gbk(UConverter* cnv, const char16_t* p, size_t n, Text& out) {
    std::u16string composed;
    if (may_hold_mark(p, n)) {
        composed = compose_marks(p, n);
        p = composed.data();
        n = composed.size();
    }
    // Every BMP character is at most two bytes in this table and a surrogate pair becomes one "?".
    const size_t at = out.size();
    out.resize(at + 2 * n + 1);
    char* target = out.data() + at;
    const UChar* source = reinterpret_cast<const UChar*>(p);
    UErrorCode err = U_ZERO_ERROR;
    ucnv_fromUnicode(cnv, &target, out.data() + out.size(), &source, source + n, nullptr, true, &err);
    out.resize(U_SUCCESS(err) ? static_cast<size_t>(target - out.data()) : at);
}

// Appends the UTF-16 units of the UTF-8 bytes to out (the bytes end before a lead or ASCII byte).
void append_utf16(const uint8_t* p, size_t n, std::u16string& out) {
    const size_t at = out.size();
    out.resize(at + n);  // never more units than bytes
    int32_t written = 0;
    UErrorCode err = U_ZERO_ERROR;
    u_strFromUTF8WithSub(reinterpret_cast<UChar*>(out.data() + at), static_cast<int32_t>(n), &written,
                         reinterpret_cast<const char*>(p), static_cast<int32_t>(n), 0xFFFD, nullptr, &err);
    out.resize(U_SUCCESS(err) || err == U_STRING_NOT_TERMINATED_WARNING ? at + written : at);
}

// End of the block that starts at begin: about kBlock bytes on, before an ASCII byte or the lead
// byte of U+4000..U+9FFF, neither of which can be a continuation byte or a combining mark.
size_t block_end(const uint8_t* p, size_t begin, size_t size) {
    if (size - begin <= kBlock) {
        return size;
    }
    for (size_t i = begin + kBlock; i < size; ++i) {
        if (p[i] < 0x80 || (p[i] >= 0xE4 && p[i] <= 0xE9)) {
            return i;
        }
    }
    return size;
}

// Same for UTF-16: before a unit below U+0300 or in U+4000..U+9FFF.
size_t block_end16(const char16_t* p, size_t begin, size_t size) {
    if (size - begin <= kBlock) {
        return size;
    }
    for (size_t i = begin + kBlock; i < size; ++i) {
        if (p[i] < 0x300 || (p[i] >= 0x4000 && p[i] <= 0x9FFF)) {
            return i;
        }
    }
    return size;
}

void append_gbk_blocks(UConverter* cnv, const char16_t* p, size_t n, Text& out) {
    for (size_t begin = 0; begin < n;) {
        const size_t end = block_end16(p, begin, n);
        append_gbk(cnv, p + begin, end - begin, out);
        begin = end;
    }
}

}  // namespace

Text utf8_to_gbk(const Bytes& body) {
    // A NUL byte decodes to U+0000 and nothing else maps to a zero byte, so the text ends there.
    const void* nul = body.empty() ? nullptr : std::memchr(body.data(), 0, body.size());
    const size_t size = nul ? static_cast<size_t>(static_cast<const uint8_t*>(nul) - body.data()) : body.size();
    UConverter* cnv = gbk_converter();
    Text out;
    if (size == 0 || cnv == nullptr) {
        return out;
    }
    out.reserve(size);
    std::u16string units;
    for (size_t begin = 0; begin < size;) {
        const size_t end = block_end(body.data(), begin, size);
        units.clear();
        append_utf16(body.data() + begin, end - begin, units);
        append_gbk_blocks(cnv, units.data(), units.size(), out);
        begin = end;
    }
    return out;
}

Bytes utf8_to_utf16(const Bytes& utf8) {
    std::u16string units;
    for (size_t begin = 0; begin < utf8.size();) {
        const size_t end = block_end(utf8.data(), begin, utf8.size());
        append_utf16(utf8.data() + begin, end - begin, units);
        begin = end;
    }
    Bytes out(units.size() * 2);
    for (size_t i = 0; i < units.size(); ++i) {
        out[2 * i] = static_cast<uint8_t>(units[i] & 0xFF);
        out[2 * i + 1] = static_cast<uint8_t>(units[i] >> 8);
    }
    return out;
}

Text utf16_to_gbk(const Bytes& utf16le) {
    std::u16string units;
    units.reserve(utf16le.size() / 2);
    for (size_t i = 0; i + 1 < utf16le.size(); i += 2) {
        const char16_t u = static_cast<char16_t>(utf16le[i] | (utf16le[i + 1] << 8));
        if (u == 0) {
            break;
        }
        units.push_back(u);
    }
    UConverter* cnv = gbk_converter();
    Text out;
    if (cnv != nullptr && !units.empty()) {
        append_gbk_blocks(cnv, units.data(), units.size(), out);
    }
    return out;
}
