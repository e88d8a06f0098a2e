// File: app/gbk_text.cpp
// GBK to UTF-16 with ICU's converter, UTF-16 to GBK with the HTTP layer's mapping, so that
// both directions follow the same code page table.
#include "app/gbk_text.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>

#include "http/decode.h"

namespace {

// ICU converters are not thread-safe; one per thread, opened on first use.
UConverter* gbk_converter() {
    thread_local struct Holder {
        UConverter* cnv = nullptr;
        Holder() {
            UErrorCode status = U_ZERO_ERROR;
            cnv = ucnv_open("windows-936-2000", &status);
            if (U_FAILURE(status)) {
                cnv = nullptr;
                return;
            }
            // Every unmappable or ill-formed sequence becomes U+FFFD.
            static const UChar kReplacement[] = {0xfffd};
            ucnv_setSubstString(cnv, kReplacement, 1, &status);
            ucnv_setToUCallBack(cnv, UCNV_TO_U_CALLBACK_SUBSTITUTE, nullptr, nullptr, nullptr, &status);
        }
        ~Holder() {
            if (cnv != nullptr) {
                ucnv_close(cnv);
            }
        }
    } holder;
    return holder.cnv;
}

}  // namespace

QString text_to_qstring(std::string_view gbk) {
    if (gbk.empty()) {
        return {};
    }
    UConverter* cnv = gbk_converter();
    if (cnv == nullptr) {
        return QString::fromLatin1(gbk.data(), static_cast<qsizetype>(gbk.size()));
    }
    ucnv_reset(cnv);
    QString out(static_cast<qsizetype>(gbk.size()) * 2 + 2, Qt::Uninitialized);
    UErrorCode status = U_ZERO_ERROR;
    const int32_t n = ucnv_toUChars(cnv, reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()),
                                    gbk.data(), static_cast<int32_t>(gbk.size()), &status);
    if (U_FAILURE(status)) {
        return {};
    }
    out.truncate(n);
    return out;
}

Text qstring_to_text(const QString& text) {
    Bytes units(static_cast<size_t>(text.size()) * 2);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        units[2 * i] = static_cast<uint8_t>(u & 0xff);
        units[2 * i + 1] = static_cast<uint8_t>(u >> 8);
    }
    return utf16_to_gbk(units);
}
