// File: text/files.h
// Whole-file reading and writing, file attributes and the program and current directories.
// Paths use "/"; the list file is replaced atomically so it is never left torn.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "text/text.h"

// The whole file; the empty bytes when it is missing, empty, unreadable, or the path is empty.
[[nodiscard]] Bytes file_read_all(std::string_view path);

// Replaces the file with the parts one after another: a temporary file in the same directory,
// fsync, rename (mode kept, a symlinked name's target replaced); in place when no temporary file
// can be made there. False on failure, the old content then left whole; an empty path gives false.
[[nodiscard]] bool file_write_all_parts(std::string_view path, std::span<const std::span<const uint8_t>> parts);
template <class... Parts>
bool file_write_all(std::string_view path, const Parts&... parts) {
    const std::span<const uint8_t> list[] = {std::span<const uint8_t>(parts)...};
    return file_write_all_parts(path, list);
}

// True when the path names an existing file or directory; '*' and '?' in the last component are
// wildcards (any match counts).
[[nodiscard]] bool file_exists(std::string_view path);

// Applies attributes AND 0x27: read-only (0x01) clears the write bits, its absence restores the
// owner's; hidden, system and archive mean nothing here. True when the file exists and the mode
// could be set.
bool file_set_attributes(std::string_view path, int32_t attributes);

// The process's current directory, no trailing "/" except for "/" itself; empty on failure.
[[nodiscard]] Text current_directory();

// The directory of the running executable, fixed at the first call (or injected); never ends in "/".
[[nodiscard]] Text program_directory();

// Test seam: makes program_directory() return dir from now on (an empty dir forgets the injection).
void set_program_directory_for_test(std::string_view dir);
