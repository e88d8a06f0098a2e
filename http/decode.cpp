// File: http/decode.cpp
// UTF-8 and UTF-16 to code page 936 on ICU: its UTF-8 decoder with U+FFFD substitution, the
// windows-936-2000 table without fallbacks and a callback that writes one "?" per unmappable code
// point. Bodies are converted in blocks split where no combining sequence can straddle the cut; a
// block that cannot hold a combining mark goes through ICU's direct UTF-8 to code page path, only
// the others are decoded to UTF-16 and composed before mapping.
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

#include "http/internal/mark_scan.h"

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

// The calling thread's converters: UTF-8 and code page 936 (fallbacks off, one "?" per unmappable
// code point). Null members when ICU lacks a table.
struct Converters {
    Converter utf8;
    Converter gbk;
};

const Converters& converters() {
    thread_local const Converters c = [] {
        Converters made;
        UErrorCode err = U_ZERO_ERROR;
        Converter utf8(ucnv_open("UTF-8", &err));
        Converter gbk(ucnv_open("windows-936-2000", &err));
        if (U_SUCCESS(err)) {
            ucnv_setFallback(gbk.get(), false);
            ucnv_setFromUCallBack(gbk.get(), write_question_mark, nullptr, nullptr, nullptr, &err);
        }
        if (U_SUCCESS(err)) {
            made.utf8 = std::move(utf8);
            made.gbk = std::move(gbk);
        }
        return made;
    }();
    return c;
}

// The calling thread's output buffer of at least n bytes (grown, never zero-filled again).
char* scratch(size_t n) {
    thread_local std::string buffer;
    if (buffer.size() < n) {
        buffer.resize(n);
    }
    return buffer.data();
}

// Appends the GBK form of UTF-8 bytes that hold no combining mark, in one pass of ICU's own
// UTF-8 to code page conversion (U+FFFD per ill-formed subpart, as u_strFromUTF8WithSub).
void append_gbk_direct(const Converters& c, const uint8_t* p, size_t n, Text& out) {
    char* const begin = scratch(2 * n + 1);
    char* target = begin;
    const char* source = reinterpret_cast<const char*>(p);
    UChar pivot[1024];
    UChar* pivot_source = pivot;
    UChar* pivot_target = pivot;
    UErrorCode err = U_ZERO_ERROR;
    ucnv_convertEx(c.gbk.get(), c.utf8.get(), &target, begin + 2 * n + 1, &source, source + n, pivot, &pivot_source,
                   &pivot_target, pivot + 1024, true, true, &err);
    if (U_SUCCESS(err)) {
        out.append(begin, target);
    }
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
    char* const begin = scratch(2 * n + 1);
    char* target = begin;
    const UChar* source = reinterpret_cast<const UChar*>(p);
    UErrorCode err = U_ZERO_ERROR;
    ucnv_fromUnicode(cnv, &target, begin + 2 * n + 1, &source, source + n, nullptr, true, &err);
    if (U_SUCCESS(err)) {
        out.append(begin, target);
    }
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

// End of the block that starts at begin: about kBlock units on, before the first unit at which
// may_end_before holds, or the end of the text.
template <typename Unit, typename Boundary>
size_t block_end(const Unit* p, size_t begin, size_t size, Boundary may_end_before) {
    if (size - begin <= kBlock) {
        return size;
    }
    for (size_t i = begin + kBlock; i < size; ++i) {
        if (may_end_before(p[i])) {
            return i;
        }
    }
    return size;
}

// UTF-8 blocks end before an ASCII byte or the lead byte of U+4000..U+9FFF, neither of which can
// be a continuation byte or a combining mark.
size_t block_end(const uint8_t* p, size_t begin, size_t size) {
    return block_end(p, begin, size, [](uint8_t b) { return b < 0x80 || (b >= 0xE4 && b <= 0xE9); });
}

// UTF-16 blocks end before a unit below U+0300 or in U+4000..U+9FFF.
size_t block_end16(const char16_t* p, size_t begin, size_t size) {
    return block_end(p, begin, size, [](char16_t u) { return u < 0x300 || (u >= 0x4000 && u <= 0x9FFF); });
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
    const Converters& c = converters();
    Text out;
    if (size == 0 || !c.gbk) {
        return out;
    }
    out.reserve(size);
    std::u16string units;
    for (size_t begin = 0; begin < size;) {
        const size_t end = block_end(body.data(), begin, size);
        if (!http_internal::utf8_may_hold_mark(body.data() + begin, end - begin)) {
            append_gbk_direct(c, body.data() + begin, end - begin, out);
        } else {
            units.clear();
            append_utf16(body.data() + begin, end - begin, units);
            ucnv_resetFromUnicode(c.gbk.get());
            append_gbk_blocks(c.gbk.get(), units.data(), units.size(), out);
        }
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
    const Converters& c = converters();
    Text out;
    if (c.gbk && !units.empty()) {
        ucnv_resetFromUnicode(c.gbk.get());
        append_gbk_blocks(c.gbk.get(), units.data(), units.size(), out);
    }
    return out;
}
