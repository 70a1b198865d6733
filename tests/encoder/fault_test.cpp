#include "encoder_test_support.h"
#include "support/audio_fixtures.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>

using namespace enctest;
using sw::enc::Encoder;
using sw::enc::RunOutcome;

namespace {

const std::vector<int> kEnded{1, 2, 5};

class EncoderFault : public testing::Test {
protected:
    void SetUp() override {
        source_ = path(QStringLiteral("song.mp3"));
        ASSERT_TRUE(testsupport::MakeMp3(source_, 4));
    }
    QString path(const QString& name) const { return dir_.filePath(name); }

    // The run ended in state 5 with a failure whose reason mentions `reasonPart`.
    void expectFailed(const std::vector<int>& states, const QString& reasonPart) {
        EXPECT_EQ(states, kEnded);
        EXPECT_EQ(encoder_.runState(), sw::enc::RunState::Stopped);
        EXPECT_EQ(encoder_.lastOutcome(), RunOutcome::Failed);
        EXPECT_TRUE(encoder_.lastError().contains(reasonPart, Qt::CaseInsensitive))
            << encoder_.lastError().toStdString();
        EXPECT_TRUE(encoder_.progressText().isEmpty());
    }

    QTemporaryDir dir_;
    QString source_;
    Encoder encoder_;
};

}  // namespace

TEST_F(EncoderFault, TruncatedMp3FailsAndKeepsTheOldOutputAndTheSource) {
    QByteArray bytes = ReadAll(source_);
    bytes.truncate(bytes.size() / 2 + 77);  // mid-frame
    const QString cut = path(QStringLiteral("cut.mp3"));
    ASSERT_TRUE(WriteAll(cut, bytes));
    const QString output = path(QStringLiteral("cut.wma"));
    ASSERT_TRUE(WriteAll(output, "the previous cut.wma"));

    expectFailed(Encode(encoder_, cut, output), QStringLiteral("truncated"));
    EXPECT_EQ(ReadAll(cut), bytes);
    EXPECT_EQ(ReadAll(output), QByteArray("the previous cut.wma"));
    EXPECT_EQ(FolderEntries(dir_.path()),
              (QStringList{QStringLiteral("cut.mp3"), QStringLiteral("cut.wma"),
                           QStringLiteral("song.mp3")}));
}

TEST_F(EncoderFault, SourceDeletedBetweenPrepareAndStartFails) {
    SetUpJob(encoder_, source_, path(QStringLiteral("song.wma")));
    encoder_.prepareToEncode(true);
    ASSERT_TRUE(QFile::remove(source_));
    encoder_.start();
    expectFailed(WaitForEnd(encoder_), QStringLiteral("No such file"));
    EXPECT_TRUE(FolderEntries(dir_.path()).isEmpty());
}

TEST_F(EncoderFault, OutputFolderThatCannotBeWrittenFails) {
    const QByteArray sourceBytes = ReadAll(source_);
    ASSERT_TRUE(WriteAll(path(QStringLiteral("plain-file")), "x"));
    const QString targets[] = {path(QStringLiteral("no/such/folder/song.wma")),
                               path(QStringLiteral("plain-file/song.wma"))};
    for (const QString& target : targets) {
        SCOPED_TRACE(target.toStdString());
        expectFailed(Encode(encoder_, source_, target), QStringLiteral("could not be created"));
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
    for (const QString& source : {source_, longSource}) {
        SCOPED_TRACE(source.toStdString());
        const QString output = path(QStringLiteral("song.wma"));
        ASSERT_TRUE(WriteAll(output, "kept"));
        const QByteArray sourceBytes = ReadAll(source);
        const QByteArray program = QFile::encodeName(QCoreApplication::applicationFilePath());
        const QByteArray sourceArg = QFile::encodeName(source);
        const QByteArray outputArg = QFile::encodeName(output);
        char* const argv[] = {const_cast<char*>(program.constData()),
                              const_cast<char*>("--encode-child"),
                              const_cast<char*>(sourceArg.constData()),
                              const_cast<char*>(outputArg.constData()), nullptr};
        int pipeFds[2];
        ASSERT_EQ(::pipe(pipeFds), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::dup2(pipeFds[1], STDOUT_FILENO);
            ::close(pipeFds[0]);
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{16 * 1024, 16 * 1024};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            ::setenv("SONAWELL_ENCODER_THREADS", "2", 1);
            ::execv(argv[0], argv);
            ::_exit(127);
        }
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
