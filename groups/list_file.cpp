// File: groups/list_file.cpp
// Loading, counting, saving and reading back the lines of the group list.
#include "groups/list_file.h"

#include <algorithm>

#include "groups/store.h"
#include "text/extract.h"
#include "text/files.h"

namespace {
constexpr std::string_view kFileName = "weiqun.txt";
constexpr std::string_view kSeparator = "|";
constexpr std::string_view kLineEnd = "\r\n";
}  // namespace

Text text_on_one_line(std::string_view text) {
    Text out(text);
    std::replace_if(
        out.begin(), out.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return out;
}

Text group_list_path() {
    const Text dir = current_directory();
    if (dir.empty()) {
        return {};
    }
    return dir.back() == '/' ? text_concat(dir, kFileName) : text_concat(dir, "/", kFileName);
}

void load_group_list() {
    const Text path = group_list_path();
    group_store().set(path.empty() ? Text() : bytes_to_text(file_read_all(path)));
}

int32_t count_lines(std::string_view text) {
    if (text.empty()) {
        return 0;
    }
    auto n = static_cast<int32_t>(std::count(text.begin(), text.end(), '\n'));
    if (text.back() != '\n') {
        ++n;
    }
    return n;
}

bool save_group_list() {
    const Text path = group_list_path();
    if (path.empty()) {
        return false;
    }
    return file_write_all(path, text_to_bytes(group_store().read()));
}

Text group_entry_line(const GroupEntry& entry) {
    return text_concat(text_on_one_line(entry.title), kSeparator, text_on_one_line(entry.address), kLineEnd);
}

Text entry_title(std::string_view line) {
    return text_before(line, kSeparator);
}

Text entry_address(std::string_view line) {
    return text_after_last(line, kSeparator);
}
