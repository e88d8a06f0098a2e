// File: groups/list_file.h
// The group list's line format and its file weiqun.txt beside the executable: one GroupEntry per
// line, title "|" QR image address CR LF, in GBK.
#pragma once

#include <cstdint>
#include <string_view>

#include "text/text.h"

// One line of the group list, as harvested.
struct GroupEntry {
    Text title;
    Text address;
};

// The file's path: the current directory, "/", "weiqun.txt"; empty when the current directory is unknown.
[[nodiscard]] Text group_list_path();

// Fills the store from weiqun.txt: the bytes up to the first NUL, not decoded. A missing file
// gives an empty store.
void load_group_list();

// Lines counted by LF; a last line without LF counts: 'a' CR LF 'b' gives 2, the empty text 0.
[[nodiscard]] int32_t count_lines(std::string_view text);

// Writes the whole store to weiqun.txt (atomically). False when the write failed or the path is unknown.
bool save_group_list();

// The text with every CR and LF turned into a space, so that it fits on one line.
[[nodiscard]] Text text_on_one_line(std::string_view text);

// The line for one group, title "|" address CR LF, with any CR or LF inside either part turned
// into a space so that one group always stays one line.
[[nodiscard]] Text group_entry_line(const GroupEntry& entry);

// The title of a line: the text before the first "|" ('t|x|u' gives 't'; no "|" gives the empty text).
[[nodiscard]] Text entry_title(std::string_view line);
// The address of a line: the text after the last "|" that is not its last byte ('t|x|u' gives 'u').
[[nodiscard]] Text entry_address(std::string_view line);
