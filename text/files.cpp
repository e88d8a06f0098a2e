// File: text/files.cpp
// Whole-file reading and writing on POSIX, the atomic replace of a file, wildcard existence checks,
// the read-only attribute and the program and current directories.
#include "text/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

namespace {

// A path usable with the system calls; nullopt-like empty when it is empty or holds a NUL.
bool to_path(std::string_view in, std::string& out) {
    if (in.empty() || in.find('\0') != std::string_view::npos) {
        return false;
    }
    out.assign(in);
    return true;
}

std::string read_link(const std::string& path) {
    std::string buf(256, '\0');
    for (;;) {
        const ssize_t n = readlink(path.c_str(), buf.data(), buf.size());
        if (n < 0) {
            return std::string();
        }
        if (static_cast<size_t>(n) < buf.size()) {
            buf.resize(static_cast<size_t>(n));
            return buf;
        }
        buf.resize(buf.size() * 2);
    }
}

std::string dir_of(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Follows a chain of symbolic links to the file that is finally written (which may not exist yet).
bool resolve_links(std::string& path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            return true;
        }
        std::string target = read_link(path);
        if (target.empty()) {
            return false;
        }
        if (target[0] != '/') {
            target = dir_of(path) + "/" + target;
        }
        path = std::move(target);
    }
    return false;  // a loop of links
}

mode_t current_umask() {
    // Reading it back with umask() would change it for every thread for a moment.
    if (FILE* f = std::fopen("/proc/self/status", "re")) {
        char line[256];
        while (std::fgets(line, sizeof line, f)) {
            unsigned int mask = 0;
            if (std::sscanf(line, "Umask: %o", &mask) == 1) {
                std::fclose(f);
                return static_cast<mode_t>(mask);
            }
        }
        std::fclose(f);
    }
    return 022;
}

bool write_all(int fd, std::span<const std::span<const uint8_t>> parts) {
    for (const auto& part : parts) {
        const uint8_t* p = part.data();
        size_t left = part.size();
        while (left > 0) {
            const ssize_t n = write(fd, p, left);
            if (n < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return false;
            }
            p += n;
            left -= static_cast<size_t>(n);
        }
    }
    return true;
}

bool write_in_place(const std::string& path, std::span<const std::span<const uint8_t>> parts) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        return false;
    }
    const bool ok = write_all(fd, parts) && fsync(fd) == 0;
    return close(fd) == 0 && ok;
}

bool has_wildcard(std::string_view s) {
    return s.find_first_of("*?") != std::string_view::npos;
}

}  // namespace

Bytes file_read_all(std::string_view path) {
    std::string p;
    if (!to_path(path, p)) {
        return Bytes();
    }
    const int fd = open(p.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return Bytes();
    }
    Bytes out;
    struct stat st;
    if (fstat(fd, &st) == 0 && st.st_size > 0) {
        out.resize(static_cast<size_t>(st.st_size));
        size_t got = 0;
        while (got < out.size()) {
            const ssize_t n = read(fd, out.data() + got, out.size() - got);
            if (n < 0) {
                if (errno == EINTR) {
                    continue;
                }
                out.clear();
                got = 0;
                break;
            }
            if (n == 0) {
                break;
            }
            got += static_cast<size_t>(n);
        }
        out.resize(got);
    }
    close(fd);
    if (out.empty()) {
        return Bytes();
    }
    return out;
}

bool file_write_all_parts(std::string_view path, std::span<const std::span<const uint8_t>> parts) {
    std::string target;
    if (!to_path(path, target) || !resolve_links(target)) {
        return false;
    }
    const std::string dir = dir_of(target);
    struct stat st;
    const bool exists = stat(target.c_str(), &st) == 0;
    // A file that may not be written is not replaced either (a read-only list stays as it is).
    if (exists && (!S_ISREG(st.st_mode) || access(target.c_str(), W_OK) != 0)) {
        return false;
    }
    const mode_t mode = exists ? (st.st_mode & 07777) : (0666 & ~current_umask());

    const size_t slash = target.rfind('/');
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string tmp =
        (slash == std::string::npos ? std::string() : target.substr(0, slash + 1)) + "." + base + ".XXXXXX";
    const int fd = mkstemp(tmp.data());
    if (fd < 0) {
        // Only a directory that refuses new files is written in place; any other failure (a missing
        // directory, a full disk) leaves everything as it was.
        if (errno == EACCES || errno == EPERM) {
            return write_in_place(target, parts);
        }
        return false;
    }
    bool ok = fchmod(fd, mode) == 0 && write_all(fd, parts) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    ok = ok && rename(tmp.c_str(), target.c_str()) == 0;
    if (!ok) {
        unlink(tmp.c_str());
        return false;
    }
    // Make the rename itself durable; a failure here leaves the new content in place anyway.
    const int dfd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        fsync(dfd);
        close(dfd);
    }
    return true;
}

bool file_exists(std::string_view path) {
    std::string p;
    if (!to_path(path, p)) {
        return false;
    }
    const size_t slash = p.rfind('/');
    const std::string last = slash == std::string::npos ? p : p.substr(slash + 1);
    if (!has_wildcard(last)) {
        struct stat st;
        return stat(p.c_str(), &st) == 0;
    }
    const std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : p.substr(0, slash));
    DIR* d = opendir(dir.c_str());
    if (d == nullptr) {
        return false;
    }
    bool found = false;
    while (const dirent* e = readdir(d)) {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) {
            continue;
        }
        if (fnmatch(last.c_str(), e->d_name, FNM_NOESCAPE) == 0) {
            found = true;
            break;
        }
    }
    closedir(d);
    return found;
}

bool file_set_attributes(std::string_view path, int32_t attributes) {
    std::string p;
    if (!to_path(path, p)) {
        return false;
    }
    struct stat st;
    if (stat(p.c_str(), &st) != 0) {
        return false;
    }
    mode_t mode = st.st_mode & 07777;
    if ((attributes & 0x27 & 0x01) != 0) {
        mode &= ~static_cast<mode_t>(0222);
    } else {
        mode |= S_IWUSR;
    }
    return chmod(p.c_str(), mode) == 0;
}

Text current_directory() {
    std::string buf(256, '\0');
    for (;;) {
        if (getcwd(buf.data(), buf.size()) != nullptr) {
            buf.resize(std::strlen(buf.c_str()));
            // Linux marks a directory outside the process's root this way; it is no usable path.
            if (buf.empty() || buf[0] != '/') {
                return Text();
            }
            return buf;
        }
        if (errno != ERANGE || buf.size() > (1u << 20)) {
            return Text();
        }
        buf.resize(buf.size() * 2);
    }
}

namespace {

std::mutex g_dir_mutex;
Text g_injected_dir;

const Text& executable_directory() {
    static const Text dir = [] {
        std::string exe = read_link("/proc/self/exe");
        const size_t slash = exe.rfind('/');
        return slash == std::string::npos ? Text() : Text(exe.substr(0, slash));
    }();
    return dir;
}

}  // namespace

Text program_directory() {
    {
        std::lock_guard lock(g_dir_mutex);
        if (!g_injected_dir.empty()) {
            return g_injected_dir;
        }
    }
    return executable_directory();
}

void set_program_directory_for_test(std::string_view dir) {
    std::lock_guard lock(g_dir_mutex);
    g_injected_dir.assign(dir);
    while (g_injected_dir.size() > 1 && g_injected_dir.back() == '/') {
        g_injected_dir.pop_back();
    }
}
