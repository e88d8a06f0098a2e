// File: tests/harvest/harvest_support.cpp
#include "harvest/harvest_support.h"

#include <iconv.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "harvest/harvest.h"

ScopedWorkDir::ScopedWorkDir() : m_old(std::filesystem::current_path().string()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "queqiao-harvest-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::abort();
    }
    m_path = pattern;
    std::filesystem::current_path(m_path);
}

ScopedWorkDir::~ScopedWorkDir() {
    std::error_code ignored;
    std::filesystem::current_path(m_old, ignored);
    std::filesystem::remove_all(m_path, ignored);
}

HarvestWaiter::HarvestWaiter() {
    // Notified under the lock: once the waiter sees the end it may be destroyed at once.
    set_harvest_ended_hook([this] {
        std::lock_guard lock(m_mutex);
        ++m_ended;
        m_changed.notify_all();
    });
}

HarvestWaiter::~HarvestWaiter() {
    set_harvest_ended_hook(nullptr);
}

bool HarvestWaiter::run(std::chrono::milliseconds limit) {
    start_harvest();
    return wait(limit);
}

bool HarvestWaiter::wait(std::chrono::milliseconds limit) {
    std::unique_lock lock(m_mutex);
    if (!m_changed.wait_for(lock, limit, [this] { return m_ended > m_seen; })) {
        return false;
    }
    m_seen = m_ended;
    return true;
}

int HarvestWaiter::ended() const {
    std::lock_guard lock(m_mutex);
    return m_ended;
}

std::string to_gbk(std::string_view utf8) {
    iconv_t cd = ::iconv_open("GBK", "UTF-8");
    std::string in(utf8);
    std::string out(in.size() * 2 + 4, '\0');
    char* src = in.data();
    size_t src_left = in.size();
    char* dst = out.data();
    size_t dst_left = out.size();
    const size_t done = ::iconv(cd, &src, &src_left, &dst, &dst_left);
    ::iconv_close(cd);
    if (done == static_cast<size_t>(-1)) {
        return "<not GBK>";
    }
    out.resize(out.size() - dst_left);
    return out;
}

std::string list_file_of(const std::vector<std::string>& entries_utf8) {
    std::string out;
    for (const std::string& e : entries_utf8) {
        out += to_gbk(e) + "\r\n";
    }
    return out;
}

std::string read_whole_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void write_whole_file(const std::string& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}
