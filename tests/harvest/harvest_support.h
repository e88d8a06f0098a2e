// File: tests/harvest/harvest_support.h
// What the worker tests and benchmarks share: a private working directory for weiqun.txt, a wait
// for the end of a harvest through the worker's ended hook, and GBK helpers for expected files.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

// Makes a fresh temporary directory the current one; goes back and removes it at the end.
class ScopedWorkDir {
public:
    ScopedWorkDir();
    ~ScopedWorkDir();
    ScopedWorkDir(const ScopedWorkDir&) = delete;
    ScopedWorkDir& operator=(const ScopedWorkDir&) = delete;
    [[nodiscard]] const std::string& path() const { return m_path; }
    [[nodiscard]] std::string list_path() const { return m_path + "/weiqun.txt"; }

private:
    std::string m_old;
    std::string m_path;
};

// Installs the harvest-ended hook; wait() blocks until one more harvest has ended than before.
class HarvestWaiter {
public:
    HarvestWaiter();
    ~HarvestWaiter();
    HarvestWaiter(const HarvestWaiter&) = delete;
    HarvestWaiter& operator=(const HarvestWaiter&) = delete;
    // Starts a harvest (start_harvest) and waits for its end; false when it did not end in time.
    bool run(std::chrono::milliseconds limit = std::chrono::seconds(60));
    // Waits for the next end after the last one seen; false when it did not come in time.
    bool wait(std::chrono::milliseconds limit = std::chrono::seconds(60));
    [[nodiscard]] int ended() const;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_ended = 0;
    int m_seen = 0;
};

// The UTF-8 text in GBK (glibc's converter, independent of the program's own).
[[nodiscard]] std::string to_gbk(std::string_view utf8);
// The list file for entries given in UTF-8: each in GBK followed by CR LF.
[[nodiscard]] std::string list_file_of(const std::vector<std::string>& entries_utf8);
// The file's bytes; empty when it cannot be read.
[[nodiscard]] std::string read_whole_file(const std::string& path);
void write_whole_file(const std::string& path, std::string_view bytes);
