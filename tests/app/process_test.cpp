// File: tests/app/process_test.cpp
// The program started as its own process: a copy of queqiao in a temporary directory, started
// from another working directory, offscreen. Only files, output and exit codes are checked.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "resources/embedded.h"

namespace {

struct RunResult {
    int exit_code = -1000;
    QByteArray out, err;
};

class ProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_home.isValid());
        ASSERT_TRUE(m_elsewhere.isValid());
        const QString built = QStringLiteral(QUEQIAO_PROGRAM);
        m_program = m_home.filePath(QStringLiteral("queqiao"));
        ASSERT_TRUE(QFile::copy(built, m_program)) << built.toStdString();
        m_library = m_home.filePath(QStringLiteral("SkinH_EL.dll"));
    }

    RunResult run() {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("QUEQIAO_TEST_NONMODAL"), QStringLiteral("1"));
        env.insert(QStringLiteral("QUEQIAO_TEST_QUIT_AFTER_START"), QStringLiteral("1"));
        env.insert(QStringLiteral("QUEQIAO_DIRECTORY"), QStringLiteral("127.0.0.1:1"));
        env.remove(QStringLiteral("LD_LIBRARY_PATH"));  // the bare-name fallback must find nothing
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(m_elsewhere.path());
        process.start(m_program, {});
        RunResult result;
        if (!process.waitForFinished(120000)) {
            process.kill();
            process.waitForFinished();
            return result;
        }
        result.exit_code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2000;
        result.out = process.readAllStandardOutput();
        result.err = process.readAllStandardError();
        return result;
    }

    static QByteArray read(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static void write(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QTemporaryDir m_home, m_elsewhere;
    QString m_program, m_library;
};

TEST_F(ProcessTest, FirstRunWritesTheSkinLibraryBesideTheProgram) {
    const RunResult r = run();
    EXPECT_EQ(r.exit_code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("window shown"));
    const auto module = embedded_skin_library();
    EXPECT_EQ(read(m_library), QByteArray(reinterpret_cast<const char*>(module.data()), qsizetype(module.size())));
    // Nothing lands in the directory it was started from.
    EXPECT_TRUE(QDir(m_elsewhere.path()).isEmpty());
    // A second run uses the file it wrote.
    EXPECT_EQ(run().exit_code, 0);
}

TEST_F(ProcessTest, AnExistingLibraryIsNeitherRewrittenNorChanged) {
    // A working module with bytes of our own after it: still loads, must stay exactly as it is.
    const auto module = embedded_skin_library();
    QByteArray mine(reinterpret_cast<const char*>(module.data()), qsizetype(module.size()));
    mine.append("left here by the user");
    write(m_library, mine);
    ASSERT_EQ(::chmod(m_library.toLocal8Bit().constData(), 0640), 0);
    const utimbuf old_times{1000000000, 1000000000};
    ASSERT_EQ(::utime(m_library.toLocal8Bit().constData(), &old_times), 0);

    const RunResult r = run();
    EXPECT_EQ(r.exit_code, 0) << r.err.toStdString();
    EXPECT_EQ(read(m_library), mine);
    struct stat st {};
    ASSERT_EQ(::stat(m_library.toLocal8Bit().constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(st.st_mtime, 1000000000);
}

TEST_F(ProcessTest, AnUnusableLibraryStopsStartUpWithMinusOne) {
    const QString not_a_skin_library = QStringLiteral(ZLIB_LIBRARY_FILE);
    struct Case {
        const char* what;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"garbage", QByteArray("this is not a library at all\n")},
        {"a library without SkinH_AttachRes", read(not_a_skin_library)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_FALSE(c.bytes.isEmpty());
        write(m_library, c.bytes);
        const RunResult r = run();
        EXPECT_EQ(r.exit_code, 255);
        EXPECT_TRUE(r.err.contains("SkinH_EL.dll")) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains("SkinH_AttachRes")) << r.err.toStdString();
        EXPECT_FALSE(r.out.contains("window shown"));
        EXPECT_EQ(read(m_library), c.bytes);
    }
}

}  // namespace
