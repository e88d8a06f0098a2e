// File: tests/text/files_test.cpp
// Whole-file reading, the atomic replace (mode kept, symlink target replaced, nothing left behind
// on failure, in place in a read-only directory), wildcards, attributes and the directories.
#include "text/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

class FilesTest : public testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "queqiao-files-XXXXXX").string();
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        m_dir = tmpl;
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(m_dir, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(m_dir, ec);
    }
    std::string path(const std::string& name) const { return m_dir + "/" + name; }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& e : fs::directory_iterator(m_dir)) {
            out.push_back(e.path().filename().string());
        }
        std::sort(out.begin(), out.end());
        return out;
    }
    static mode_t mode_of(const std::string& p) {
        struct stat st {};
        EXPECT_EQ(stat(p.c_str(), &st), 0);
        return st.st_mode & 07777;
    }
    std::string m_dir;
};

Bytes b(std::string_view s) {
    return Bytes(s.begin(), s.end());
}

// Runs body where permission bits bind: in this process, or, when running as root (which ignores
// them), in a child process that has given up root for the user nobody and owns dir.
bool run_without_privileges(const std::string& dir, const std::function<bool()>& body) {
    if (geteuid() != 0) {
        return body();
    }
    constexpr uid_t kNobody = 65534;
    for (const auto& e : fs::recursive_directory_iterator(dir)) {
        if (lchown(e.path().c_str(), kNobody, kNobody) != 0) {
            return false;
        }
    }
    if (chown(dir.c_str(), kNobody, kNobody) != 0) {
        return false;
    }
    const pid_t pid = fork();
    if (pid == 0) {
        const bool ok = setgid(kNobody) == 0 && setuid(kNobody) == 0 && body();
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

TEST_F(FilesTest, ReadAllEdges) {
    EXPECT_TRUE(file_read_all("").empty());
    EXPECT_TRUE(file_read_all(path("missing")).empty());
    ASSERT_TRUE(file_write_all(path("empty"), Bytes{}));
    EXPECT_TRUE(file_read_all(path("empty")).empty());
    EXPECT_TRUE(file_read_all(m_dir).empty());
    const Bytes data{'a', 0, 0xFF, '\r', '\n'};
    ASSERT_TRUE(file_write_all(path("f"), data));
    EXPECT_EQ(file_read_all(path("f")), data);
    EXPECT_TRUE(file_read_all(std::string("a\0b", 3)).empty());
}

TEST_F(FilesTest, WriteAllJoinsPartsAndReplacesWhole) {
    ASSERT_TRUE(file_write_all(path("list.txt"), b("one"), Bytes{}, b("|two\r\n")));
    EXPECT_EQ(file_read_all(path("list.txt")), b("one|two\r\n"));
    ASSERT_TRUE(file_write_all(path("list.txt"), b("x")));
    EXPECT_EQ(file_read_all(path("list.txt")), b("x"));
    EXPECT_EQ(names(), std::vector<std::string>{"list.txt"});  // no temporary file left
}

TEST_F(FilesTest, WriteAllFailuresTouchNothing) {
    EXPECT_FALSE(file_write_all("", b("x")));
    EXPECT_FALSE(file_write_all(path("no/such/dir/f"), b("x")));
    EXPECT_FALSE(fs::exists(path("no")));
    // A directory in the file's place: the rename fails, the temporary file is removed.
    fs::create_directory(path("d"));
    EXPECT_FALSE(file_write_all(path("d"), b("x")));
    EXPECT_TRUE(fs::is_directory(path("d")));
    EXPECT_EQ(names(), std::vector<std::string>{"d"});
}

TEST_F(FilesTest, WriteAllKeepsModeAndUsesUmaskForNewFiles) {
    ASSERT_TRUE(file_write_all(path("f"), b("old")));
    ASSERT_EQ(chmod(path("f").c_str(), 0640), 0);
    ASSERT_TRUE(file_write_all(path("f"), b("new")));
    EXPECT_EQ(mode_of(path("f")), 0640u);

    const mode_t old = umask(027);
    const bool ok = file_write_all(path("g"), b("x"));
    umask(old);
    ASSERT_TRUE(ok);
    EXPECT_EQ(mode_of(path("g")), 0640u);
}

TEST_F(FilesTest, WriteAllThroughSymlinkReplacesTheTarget) {
    fs::create_directory(path("real"));
    ASSERT_TRUE(file_write_all(path("real/list.txt"), b("old")));
    fs::create_symlink("real/list.txt", path("link.txt"));
    ASSERT_TRUE(file_write_all(path("link.txt"), b("new")));
    EXPECT_TRUE(fs::is_symlink(path("link.txt")));
    EXPECT_EQ(file_read_all(path("real/list.txt")), b("new"));
    // A dangling link: its target is created.
    fs::create_symlink("real/later.txt", path("dangling"));
    ASSERT_TRUE(file_write_all(path("dangling"), b("v")));
    EXPECT_TRUE(fs::is_symlink(path("dangling")));
    EXPECT_EQ(file_read_all(path("real/later.txt")), b("v"));
}

TEST_F(FilesTest, WriteAllInPlaceWhenTheDirectoryRefusesNewFiles) {
    ASSERT_TRUE(file_write_all(path("list.txt"), b("old content")));
    const std::string list = path("list.txt");
    const std::string other = path("other.txt");
    const std::string dir = m_dir;
    const bool ok = run_without_privileges(m_dir, [&] {
        if (chmod(dir.c_str(), 0555) != 0) {
            return false;
        }
        const bool written = file_write_all(list, b("new"));
        const bool created = file_write_all(other, b("x"));  // nothing can be created there
        return written && !created && file_read_all(list) == b("new") && chmod(dir.c_str(), 0755) == 0;
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(file_read_all(list), b("new"));
    EXPECT_EQ(names(), std::vector<std::string>{"list.txt"});
}

TEST_F(FilesTest, WriteAllLeavesAReadOnlyFileAlone) {
    ASSERT_TRUE(file_write_all(path("list.txt"), b("old")));
    ASSERT_EQ(chmod(path("list.txt").c_str(), 0444), 0);
    const std::string list = path("list.txt");
    EXPECT_TRUE(run_without_privileges(m_dir, [&] { return !file_write_all(list, b("new")); }));
    EXPECT_EQ(file_read_all(list), b("old"));
    EXPECT_EQ(names(), std::vector<std::string>{"list.txt"});
}

TEST_F(FilesTest, ExistsWithWildcardsInTheLastComponentOnly) {
    ASSERT_TRUE(file_write_all(path("weiqun.txt"), b("x")));
    fs::create_directory(path("sub"));
    fs::create_directory(path("a*"));
    struct Case {
        std::string p;
        bool want;
    };
    const Case cases[] = {
        {path("weiqun.txt"), true},
        {path("sub"), true},
        {path("sub/"), true},
        {m_dir, true},
        {path("missing"), false},
        {"", false},
        {path("*.txt"), true},
        {path("weiqun.???"), true},
        {path("weiqun.??"), false},
        {path("*.dll"), false},
        {path("sub/*"), false},          // an empty directory: "." and ".." do not count
        {path("[w]eiqun.txt"), false},   // brackets are ordinary characters
        {path("s*/weiqun.txt"), false},  // wildcards only in the last component
        {path("a*/"), true},
        {path("missing/*"), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.p);
        EXPECT_EQ(file_exists(c.p), c.want);
    }
}

TEST_F(FilesTest, SetAttributesMapsReadOnlyToWriteBits) {
    ASSERT_TRUE(file_write_all(path("f"), b("x")));
    ASSERT_EQ(chmod(path("f").c_str(), 0664), 0);
    EXPECT_TRUE(file_set_attributes(path("f"), 0x01 | 0x02));
    EXPECT_EQ(mode_of(path("f")), 0444u);
    EXPECT_TRUE(file_set_attributes(path("f"), 0x02));  // hidden: only the owner's write comes back
    EXPECT_EQ(mode_of(path("f")), 0644u);
    EXPECT_TRUE(file_set_attributes(path("f"), 0x100 | 0x20));
    EXPECT_EQ(mode_of(path("f")), 0644u);
    EXPECT_FALSE(file_set_attributes(path("missing"), 2));
    EXPECT_FALSE(file_set_attributes("", 2));
}

TEST(Directories, CurrentAndProgramDirectory) {
    const Text cwd = current_directory();
    ASSERT_FALSE(cwd.empty());
    EXPECT_EQ(fs::path(cwd), fs::current_path());
    EXPECT_TRUE(cwd == "/" || cwd.back() != '/');

    const Text exe_dir = program_directory();
    ASSERT_FALSE(exe_dir.empty());
    EXPECT_NE(exe_dir.back(), '/');
    EXPECT_EQ(fs::path(exe_dir), fs::canonical("/proc/self/exe").parent_path());
    set_program_directory_for_test("/tmp/injected/");
    EXPECT_EQ(program_directory(), "/tmp/injected");
    set_program_directory_for_test("");
    EXPECT_EQ(program_directory(), exe_dir);
}

TEST(Directories, CurrentDirectoryHasNoLengthLimit) {
    const fs::path start = fs::current_path();
    std::string tmpl = (fs::temp_directory_path() / "queqiao-deep-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    fs::path deep = tmpl;
    for (int i = 0; i < 12; ++i) {
        deep /= std::string(40, static_cast<char>('a' + i));
    }
    fs::create_directories(deep);
    fs::current_path(deep);
    const Text cwd = current_directory();
    fs::current_path(start);
    fs::remove_all(tmpl);
    EXPECT_GT(cwd.size(), 260u);
    EXPECT_EQ(fs::path(cwd), deep);
}
