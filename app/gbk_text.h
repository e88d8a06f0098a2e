// File: app/gbk_text.h
// Texts at the window's edge: a GBK Text shown in a widget, and a widget's text read back as GBK.
#pragma once

#include <QString>
#include <string_view>

#include "text/text.h"

// The text decoded from code page 936; a broken or lone lead byte becomes U+FFFD.
[[nodiscard]] QString text_to_qstring(std::string_view gbk);

// The widget text in code page 936, through utf16_to_gbk: full-width digits arrive as A3 B0 ...,
// anything the code page cannot hold as "?".
[[nodiscard]] Text qstring_to_text(const QString& text);
