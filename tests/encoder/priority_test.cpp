#include "encoder_test_support.h"
#include "support/audio_fixtures.h"
#include "support/build_fixtures.h"
#include "support/tool_process.h"

#include <QCoreApplication>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <sched.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>

#include <linux/capability.h>

using namespace enctest;
using sw::enc::CpuPriority;
using sw::enc::Encoder;

namespace {

// User and system time of a process in clock ticks, from /proc.
long long CpuTicks(pid_t pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    return fields.size() > 12 ? fields[11].toLongLong() + fields[12].toLongLong() : -1;
}

// What the fallback child printed, one "key=value" a line.
QMap<QByteArray, QByteArray> ReadReport(const QByteArray& text) {
    QMap<QByteArray, QByteArray> report;
    for (const QByteArray& line : text.split('\n')) {
        const int eq = line.indexOf('=');
        if (eq > 0)
            report.insert(line.left(eq), line.mid(eq + 1));
    }
    return report;
}

// A program that only spins, pinned where its parent's thread is pinned.
class BusyChild {
public:
    BusyChild() : pid_(::fork()) {
        if (pid_ == 0) {
            volatile unsigned spin = 0;
            for (;;)
                spin = spin + 1;
        }
    }
    BusyChild(const BusyChild&) = delete;
    BusyChild& operator=(const BusyChild&) = delete;
    ~BusyChild() { end(); }
    pid_t pid() const { return pid_; }
    void end() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        pid_ = -1;
    }

private:
    pid_t pid_;
};

class EncoderPriority : public testing::Test {
protected:
    QString path(const QString& name) const { return dir_.filePath(name); }
    QTemporaryDir dir_;
};

}  // namespace

// A busy program pinned to the core the whole run is pinned to keeps most of it: at normal
// priority even the run's first thread alone would take half. The share is of the
// CPU time the two got, so other load on the machine does not change it; bench/encoder
// measures it against its goal (at least 90 %).
TEST_F(EncoderPriority, LowLeavesABusyProgramOnTheSameCoreMostOfIt) {
    const QString source = testsupport::FixturePath(testsupport::kNoisyWav300s);
    ASSERT_TRUE(QFile::exists(source)) << source.toStdString();
    cpu_set_t saved;
    ASSERT_EQ(::sched_getaffinity(0, sizeof saved, &saved), 0);
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(::sched_getcpu(), &one);
    ASSERT_EQ(::sched_setaffinity(0, sizeof one, &one), 0);  // the run's threads inherit it
    const auto restore = qScopeGuard([&saved] { ::sched_setaffinity(0, sizeof saved, &saved); });
    qputenv("SONAWELL_ENCODER_THREADS", "2");
    const auto unset = qScopeGuard([] { qunsetenv("SONAWELL_ENCODER_THREADS"); });

    BusyChild busy;
    ASSERT_GT(busy.pid(), 0);

    Encoder encoder;
    encoder.setCpuPriority(CpuPriority::Low);
    encoder.start(Request(source, path(QStringLiteral("long.wma"))));
    // The run's first thread is under way once it has lowered itself; it is not waited for
    // further, as at its priority it gets next to no time beside the busy program.
    ASSERT_TRUE(QTest::qWaitFor([] { return LowestThreadSchedule().otherPolicy; }, 120000));
    rusage before{};
    ::getrusage(RUSAGE_SELF, &before);
    const long long busyBefore = CpuTicks(busy.pid());
    // A second and a half of the busy program's CPU time, however long the machine takes to
    // give it.
    const long long window = ::sysconf(_SC_CLK_TCK) * 3 / 2;
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return CpuTicks(busy.pid()) - busyBefore >= window; }, 300000));
    rusage after{};
    ::getrusage(RUSAGE_SELF, &after);
    const long long busyAfter = CpuTicks(busy.pid());
    EXPECT_EQ(::sched_getscheduler(0), SCHED_OTHER) << "the UI thread stays at normal";
    EXPECT_EQ(::getpriority(PRIO_PROCESS, 0), 0);

    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    const double ours = seconds(after.ru_utime) + seconds(after.ru_stime) -
                        seconds(before.ru_utime) - seconds(before.ru_stime);
    const double theirs =
        static_cast<double>(busyAfter - busyBefore) / static_cast<double>(::sysconf(_SC_CLK_TCK));
    ASSERT_GT(theirs, 0.0);
    EXPECT_GE(theirs / (theirs + ours), 0.75)
        << "busy program " << theirs << " s, run " << ours << " s";
    busy.end();  // the run's idle threads get the core back to end
    encoder.stop();
    EXPECT_EQ(WaitForEnd(encoder).back(), sw::enc::RunState::Stopped);
    EXPECT_EQ(encoder.lastOutcome(), sw::enc::RunOutcome::Stopped);
    EXPECT_TRUE(encoder.lastPriorityNote().isEmpty());
}

// Without RealtimeKit on the system bus (a bus of the test's own, where nothing provides it)
// and without the right to lower a nice value, High runs the conversion at normal priority and
// says so, and the setting stays High. Where this user may lower nice values (root here), the
// same run's threads go below 0 instead.
TEST_F(EncoderPriority, HighWithoutRealtimeKitOrPrivilegeRunsAtNormalAndSaysSo) {
    const QString source = path(QStringLiteral("song.mp3"));
    ASSERT_TRUE(testsupport::MakeMp3(source, 20));
    testsupport::SpawnedProgram bus(QStringLiteral("dbus-daemon"),
                                    {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                     QStringLiteral("--print-address=1")});
    ASSERT_TRUE(bus.started());
    const QByteArray address = bus.readLine().trimmed();
    ASSERT_FALSE(address.isEmpty());

    const QByteArray program = QFile::encodeName(QCoreApplication::applicationFilePath());
    const QByteArray sourceArg = QFile::encodeName(source);
    const QByteArray outputArg = QFile::encodeName(path(QStringLiteral("song.wma")));
    for (const bool privileged : {false, true}) {
        SCOPED_TRACE(privileged ? "with the right to lower nice" : "without privilege");
        char* const argv[] = {const_cast<char*>(program.constData()),
                              const_cast<char*>("--high-priority-child"),
                              const_cast<char*>(sourceArg.constData()),
                              const_cast<char*>(outputArg.constData()), nullptr};
        int pipeFds[2];
        ASSERT_EQ(::pipe(pipeFds), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::dup2(pipeFds[1], STDOUT_FILENO);
            ::close(pipeFds[0]);
            if (!privileged) {
                // Out of the bounding set, CAP_SYS_NICE stays gone for root across exec.
                ::prctl(PR_CAPBSET_DROP, CAP_SYS_NICE, 0, 0, 0);
                const rlimit none{0, 0};
                ::setrlimit(RLIMIT_NICE, &none);
            }
            ::setenv("DBUS_SYSTEM_BUS_ADDRESS", address.constData(), 1);
            ::setenv("SONAWELL_ENCODER_THREADS", "2", 1);
            ::execv(argv[0], argv);
            ::_exit(127);
        }
        ::close(pipeFds[1]);
        QByteArray text;
        char buffer[512];
        for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
            text.append(buffer, n);
        ::close(pipeFds[0]);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << text.constData();
        const auto report = ReadReport(text);
        EXPECT_EQ(report.value("outcome"), "1") << "completed; " << text.constData();
        EXPECT_EQ(report.value("setting"), "2");
        EXPECT_EQ(report.value("other-policy"), "0");
        if (!privileged) {
            EXPECT_EQ(report.value("available"), "0");
            EXPECT_EQ(report.value("nice"), "0");
            EXPECT_TRUE(report.value("note").contains("not available")) << text.constData();
        } else if (report.value("available") == "1") {
            EXPECT_EQ(report.value("nice"), "-10");
            EXPECT_EQ(report.value("note"), "");
        }
    }
}
