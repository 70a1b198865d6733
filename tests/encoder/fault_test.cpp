#include "encoder_test_support.h"
#include "support/audio_fixtures.h"
#include "support/build_fixtures.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <csignal>

using namespace enctest;
using sw::enc::Encoder;
using sw::enc::RunOutcome;

namespace {

const States kEnded = kCompleted;

class EncoderFault : public testing::Test {
protected:
    void SetUp() override {
        source_ = path(QStringLiteral("song.mp3"));
        ASSERT_TRUE(testsupport::MakeMp3(source_, 4));
    }
    QString path(const QString& name) const { return dir_.filePath(name); }

    // The run ended in state 5 with a failure whose reason mentions `reasonPart`.
    void expectFailed(const States& states, const QString& reasonPart) {
        EXPECT_EQ(states, kEnded);
        EXPECT_EQ(encoder_.runState(), sw::enc::RunState::Stopped);
        EXPECT_EQ(encoder_.lastOutcome(), RunOutcome::Failed);
        EXPECT_TRUE(encoder_.lastError().text().contains(reasonPart, Qt::CaseInsensitive))
            << encoder_.lastError().text().toStdString();
        EXPECT_FALSE(encoder_.isRunning());
    }

    // Starts this program's --encode-child (main.cpp) on `source` and `output`, its standard
    // output going to `stdoutFd`. A `sizeLimit` keeps the files it writes below that many bytes,
    // with SIGXFSZ ignored so that writes fail with EFBIG.
    static pid_t startEncodeChild(const QString& source, const QString& output, int stdoutFd,
                                  rlim_t sizeLimit = RLIM_INFINITY) {
        const QByteArray program = QFile::encodeName(QCoreApplication::applicationFilePath());
        const QByteArray sourceArg = QFile::encodeName(source);
        const QByteArray outputArg = QFile::encodeName(output);
        char* const argv[] = {const_cast<char*>(program.constData()),
                              const_cast<char*>("--encode-child"),
                              const_cast<char*>(sourceArg.constData()),
                              const_cast<char*>(outputArg.constData()), nullptr};
        const pid_t child = ::fork();
        if (child == 0) {
            ::dup2(stdoutFd, STDOUT_FILENO);
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{sizeLimit, sizeLimit};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            ::execv(argv[0], argv);
            ::_exit(127);
        }
        return child;
    }

    QTemporaryDir dir_;
    QString source_;
    Encoder encoder_;
};

// The size of the largest file in `folder` that process `pid` has open, other than `except`;
// -1 when it has none open there.
qint64 LargestOpenFileIn(pid_t pid, const QString& folder, const QString& except) {
    const QString fds = QStringLiteral("/proc/%1/fd").arg(pid);
    qint64 largest = -1;
    for (const QString& fd :
         QDir(fds).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        const QByteArray link = QFile::encodeName(fds + QLatin1Char('/') + fd);
        char target[4096];
        const ssize_t n = ::readlink(link.constData(), target, sizeof target);
        struct stat info {};
        if (n <= 0 || ::stat(link.constData(), &info) != 0)
            continue;
        const QString name = QFile::decodeName(QByteArray(target, n));
        if (name.startsWith(folder + QLatin1Char('/')) && name != except)
            largest = std::max<qint64>(largest, info.st_size);
    }
    return largest;
}

}  // namespace

TEST_F(EncoderFault, TruncatedMp3EncodesWhatDecodesAndSaysItIsDamaged) {
    // A source cut short used to fail the run; what decodes is encoded now, and the run says
    // how much of the announced length that was.
    QByteArray bytes = ReadAll(source_);
    bytes.truncate(bytes.size() / 2 + 77);  // mid-frame
    const QString cut = path(QStringLiteral("cut.mp3"));
    ASSERT_TRUE(WriteAll(cut, bytes));
    const QString output = path(QStringLiteral("cut.wma"));
    ASSERT_TRUE(WriteAll(output, "the previous cut.wma"));

    Encode(encoder_, cut, output);
    EXPECT_EQ(encoder_.lastOutcome(), sw::enc::RunOutcome::Completed);
    EXPECT_EQ(encoder_.lastError().code(), sw::ErrorCode::SourceDamaged);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^source damaged: \\d+ of \\d+ s$"))
                    .match(encoder_.lastError().text())
                    .hasMatch())
        << encoder_.lastError().text().toStdString();
    EXPECT_EQ(ReadAll(cut), bytes);
    EXPECT_NE(ReadAll(output), QByteArray("the previous cut.wma"));
    EXPECT_GT(QFileInfo(output).size(), 1000);
    EXPECT_EQ(FolderEntries(dir_.path()),
              (QStringList{QStringLiteral("cut.mp3"), QStringLiteral("cut.wma"),
                           QStringLiteral("song.mp3")}));
}

TEST_F(EncoderFault, OutputFolderThatCannotBeWrittenFails) {
    const QByteArray sourceBytes = ReadAll(source_);
    ASSERT_TRUE(WriteAll(path(QStringLiteral("plain-file")), "x"));
    const QString targets[] = {path(QStringLiteral("no/such/folder/song.wma")),
                               path(QStringLiteral("plain-file/song.wma"))};
    for (const QString& target : targets) {
        SCOPED_TRACE(target.toStdString());
        expectFailed(Encode(encoder_, source_, target), QStringLiteral("could not be created"));
        EXPECT_EQ(encoder_.lastError().code(), sw::ErrorCode::OutputNotWritable);
    }
    EXPECT_EQ(FolderEntries(dir_.path()),
              (QStringList{QStringLiteral("plain-file"), QStringLiteral("song.mp3")}));
    EXPECT_EQ(ReadAll(source_), sourceBytes);

    if (::geteuid() == 0)
        return;  // root writes anywhere; the cases above hold for it too
    const QString locked = path(QStringLiteral("locked"));
    ASSERT_TRUE(QDir().mkdir(locked));
    ASSERT_TRUE(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
    expectFailed(Encode(encoder_, source_, locked + QStringLiteral("/song.wma")),
                 QStringLiteral("Permission denied"));
    EXPECT_TRUE(FolderEntries(locked).isEmpty());
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// A disk that fills during the run: the encode runs in a child whose file-size limit is far
// below the output's size, with SIGXFSZ ignored so that writes fail with EFBIG. The long source
// is encoded in parallel chunks by two encoder threads, so the failure comes from one of them.
TEST_F(EncoderFault, DiskFillingDuringTheRunFailsAndLeavesNoPartialFile) {
    const QString longSource = path(QStringLiteral("long.mp3"));
    ASSERT_TRUE(testsupport::MakeMp3(longSource, 20));
    qputenv("SONAWELL_ENCODER_THREADS", "2");  // the child inherits it
    const auto unset = qScopeGuard([] { qunsetenv("SONAWELL_ENCODER_THREADS"); });
    for (const QString& source : {source_, longSource}) {
        SCOPED_TRACE(source.toStdString());
        const QString output = path(QStringLiteral("song.wma"));
        ASSERT_TRUE(WriteAll(output, "kept"));
        const QByteArray sourceBytes = ReadAll(source);
        int pipeFds[2];
        ASSERT_EQ(::pipe2(pipeFds, O_CLOEXEC), 0);
        const pid_t child = startEncodeChild(source, output, pipeFds[1], 16 * 1024);
        ASSERT_GE(child, 0);
        ::close(pipeFds[1]);
        QByteArray reason;
        char buffer[512];
        for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
            reason.append(buffer, n);
        ::close(pipeFds[0]);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 1) << "1 is a failed run; reason: " << reason.constData();
        EXPECT_TRUE(reason.contains("File too large")) << reason.constData();
        EXPECT_EQ(ReadAll(output), QByteArray("kept"));
        EXPECT_EQ(ReadAll(source), sourceBytes);
        EXPECT_EQ(FolderEntries(dir_.path()),
                  (QStringList{QStringLiteral("long.mp3"), QStringLiteral("song.mp3"),
                               QStringLiteral("song.wma")}));
    }
}

// A program killed during a run leaves nothing beside the output: the run's file has no name
// until it is complete. The run is in a child, killed once it has written a megabyte.
TEST_F(EncoderFault, RunKilledMidwayLeavesNothingBesideTheOutput) {
    const QString source = testsupport::FixturePath(testsupport::kMp3300sMono);
    const QString output = path(QStringLiteral("song.wma"));
    ASSERT_TRUE(WriteAll(output, "kept"));
    const QStringList entries = FolderEntries(dir_.path());

    const pid_t child = startEncodeChild(source, output, STDERR_FILENO);
    ASSERT_GE(child, 0);
    // The child's open files are only seen in /proc: no signal to wait on. The bound only
    // catches a hang, however busy the machine.
    QElapsedTimer timer;
    timer.start();
    qint64 written = -1;
    int status = 0;
    bool ended = false;
    while (written < 1024 * 1024 && !ended && timer.elapsed() < 300000) {
        QThread::msleep(2);
        written = LargestOpenFileIn(child, dir_.path(), source);
        ended = ::waitpid(child, &status, WNOHANG) == child;
    }
    if (!ended) {
        ::kill(child, SIGKILL);
        ASSERT_EQ(::waitpid(child, &status, 0), child);
    }
    EXPECT_TRUE(WIFSIGNALED(status)) << "the run ended before it was killed";
    ASSERT_GE(written, 1024 * 1024) << "the child was not caught writing its output";
    EXPECT_EQ(ReadAll(output), QByteArray("kept"));
    EXPECT_EQ(FolderEntries(dir_.path()), entries);
}
