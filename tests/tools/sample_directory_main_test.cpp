// File: tests/tools/sample_directory_main_test.cpp
// The queqiao-sample-directory executable: its options, the "listening on" line, serving, and a
// clean exit on SIGTERM.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/loopback_client.h"

namespace {

struct Child {
    pid_t pid = -1;
    int out = -1;  // the child's standard output
};

Child spawn(std::vector<std::string> args) {
    args.insert(args.begin(), SAMPLE_DIRECTORY_EXE);
    std::vector<char*> argv;
    for (std::string& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    int pipe_fds[2];
    if (::pipe(pipe_fds) != 0) {
        return {};
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipe_fds[1], STDOUT_FILENO);
        ::close(pipe_fds[0]);
        ::close(pipe_fds[1]);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(pipe_fds[1]);
    return {pid, pipe_fds[0]};
}

std::string read_line(int fd) {
    std::string line;
    char c;
    while (::read(fd, &c, 1) == 1 && c != '\n') {
        line += c;
    }
    return line;
}

int exit_code(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string get(uint16_t port, const std::string& target) {
    return raw_exchange(port, "GET " + target + " HTTP/1.0\r\n\r\n");
}

TEST(SampleDirectoryMain, ServesOnAFreePortUntilTerminated) {
    Child child = spawn({"--address", "127.0.0.1", "--port=0", "--per-page=2", "--fault=404@3"});
    ASSERT_GT(child.pid, 0);
    const std::string line = read_line(child.out);
    ASSERT_TRUE(line.starts_with("listening on 127.0.0.1:")) << line;
    const auto port = static_cast<uint16_t>(std::stoi(line.substr(line.rfind(':') + 1)));
    ASSERT_NE(port, 0);

    const std::string listing = get(port, "/wxq-9-1-or-3-vi-1.html");
    EXPECT_TRUE(listing.starts_with("HTTP/1.1 200 OK\r\n"));
    // Without a Host header the links name the address the directory listens on.
    EXPECT_NE(listing.find("<div class=\"dt bb1\"><a href=\"http://127.0.0.1:" + std::to_string(port) + "/qun/"),
              std::string::npos);
    EXPECT_TRUE(get(port, "/wxq-9-3-or-3-vi-1.html").starts_with("HTTP/1.1 404"));

    ::kill(child.pid, SIGTERM);
    EXPECT_EQ(exit_code(child.pid), 0);
    ::close(child.out);
}

TEST(SampleDirectoryMain, RejectsBadOptions) {
    for (const char* bad : {"--port=70000", "--per-page=0", "--fault=slow", "--address=not-an-address", "--what"}) {
        SCOPED_TRACE(bad);
        Child child = spawn({bad, "--port=0"});
        ASSERT_GT(child.pid, 0);
        EXPECT_EQ(read_line(child.out), "");
        EXPECT_NE(exit_code(child.pid), 0);
        ::close(child.out);
    }
    Child help = spawn({"--help"});
    EXPECT_TRUE(read_line(help.out).starts_with("usage: queqiao-sample-directory"));
    EXPECT_EQ(exit_code(help.pid), 0);
    ::close(help.out);
}

}  // namespace
