// File: fuzz/groups/list_file_fuzz.cpp
// Arbitrary bytes as weiqun.txt: loaded into the store, counted, cut into entries and read back as
// titles and addresses, with the invariants that tie them together; the presentation step's own
// cut is checked against text_split.
#include <fcntl.h>
#include <unistd.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "groups/internal/entry_list.h"
#include "groups/list_file.h"
#include "groups/store.h"
#include "text/search.h"

namespace {
bool ends_with(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

std::string g_dir;  // a private directory for the list file
int g_home = -1;    // the directory libFuzzer was started in (its corpus paths are relative to it)
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Memory-backed when the machine has it: the file is rewritten on every input.
    char shm_dir[] = "/dev/shm/queqiao-list-fuzz-XXXXXX";
    char tmp_dir[] = "/tmp/queqiao-list-fuzz-XXXXXX";
    const char* dir = mkdtemp(shm_dir);
    if (dir == nullptr) {
        dir = mkdtemp(tmp_dir);
    }
    g_home = open(".", O_RDONLY | O_DIRECTORY);
    if (dir == nullptr || g_home < 0) {
        std::abort();
    }
    g_dir = dir;
    std::atexit([] {
        unlink((g_dir + "/weiqun.txt").c_str());
        rmdir(g_dir.c_str());
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    FILE* file = std::fopen((g_dir + "/weiqun.txt").c_str(), "wb");
    if (file == nullptr) {
        std::abort();
    }
    if (size > 0 && std::fwrite(data, 1, size, file) != size) {
        std::abort();
    }
    std::fclose(file);

    // The list file is read from the current directory: step into the private one for the load only.
    if (chdir(g_dir.c_str()) != 0) {
        std::abort();
    }
    load_group_list();
    if (fchdir(g_home) != 0) {
        std::abort();
    }
    const Text store = group_store().read();
    // The store holds the file's bytes up to its first NUL.
    if (store != bytes.substr(0, bytes.find('\0'))) {
        std::abort();
    }

    const int32_t lines = count_lines(store);
    const TextArray entries = text_split(store, "\r\n");
    const int32_t n = array_size(entries);
    if (lines < 0 || n > lines || (store.empty() != (n == 0))) {
        std::abort();
    }

    // The entries joined again give the store back, less a final line end.
    Text joined;
    for (int32_t i = 1; i <= n; ++i) {
        if (i > 1) {
            joined += "\r\n";
        }
        joined += text_array_get(entries, i);
    }
    if (joined != store && joined + "\r\n" != store) {
        std::abort();
    }

    // A presentation step cuts the store without keeping the pieces: the same count and entries.
    for (const int32_t i : {0, 1, n / 2, n, n + 1}) {
        const EntryPick pick = pick_entry(store, i);
        if (pick.count != n || pick.entry != (i >= 1 && i <= n ? text_array_get(entries, i) : Text())) {
            std::abort();
        }
    }

    for (int32_t i = 1; i <= n; ++i) {
        const Text& entry = text_array_get(entries, i);
        const Text title = entry_title(entry);
        const Text address = entry_address(entry);
        if (entry.compare(0, title.size(), title) != 0 || !ends_with(entry, address)) {
            std::abort();
        }
        if (title.size() + address.size() >= entry.size() && !(title.empty() && address.empty())) {
            std::abort();  // a non-empty part means a "|" lies between them
        }
        // Written back, one group is always one line.
        const Text line = group_entry_line({title, address});
        if (count_lines(line) != 1 || !ends_with(line, "\r\n") || line.find_first_of("\r\n") != line.size() - 2) {
            std::abort();
        }
    }
    return 0;
}
