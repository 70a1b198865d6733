// Encoder benchmark, driven by run.sh.
//   encoder_bench time SOURCE.mp3 WORK_FOLDER [ROUNDS]
//     Encodes SOURCE to WMA at 128 kbps through the encoder component (all cores) and with the
//     ffmpeg tool, alternating, then through the component's serial path and with 1, 2 and all
//     cores; prints the times, the ratios and the peak memory of this process and of ffmpeg.
//   encoder_bench compare SOURCE WORK_FOLDER
//     For every built-in audio profile, encodes SOURCE serially and in parallel chunks and
//     compares the two files' packets (ffmpeg -c copy -f framemd5); for the CD-quality profile
//     also against the ffmpeg tool's own encode. Exit code 1 when any pair differs.
//   encoder_bench stop SOURCE.wav WORK_FOLDER [ROUNDS]
//     Starts a run with three encoder threads, stops it once every thread has a chunk of its own
//     and prints how long the stop took to end the run (goal: within 100 ms).
//   encoder_bench low SOURCE.wav WORK_FOLDER
//     Runs the encode at Low priority beside a busy program, both pinned to one core, and
//     prints the busy program's share of the CPU time the two got (goal: at least 90 %).

#include "encoder/encoder.h"
#include "encoder/encoder_threads.h"
#include "encoder/transcode.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QTimer>

extern "C" {
#include <libavutil/log.h>
}

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <sched.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

namespace {

constexpr int kCdProfile = 3;  // "Audio for CD quality (128 Kbps, 44 kHz, stereo)"
constexpr int kAudioProfiles = 6;

// CPU time of this process so far, all threads, user and system.
double OwnCpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

sw::enc::EncodeRequest Request(const QString& source, const QString& output) {
    return {source, output, sw::enc::ProfileCollection().item(kCdProfile).name(), {}};
}

// Runs the event loop until the encoder signals its run finished.
void WaitForEnd(sw::enc::Encoder& encoder) {
    QEventLoop loop;
    const auto connection =
        QObject::connect(&encoder, &sw::enc::Encoder::finished, &loop, &QEventLoop::quit);
    loop.exec();
    QObject::disconnect(connection);
}

double EncodeWithComponent(sw::enc::Encoder& encoder, const QString& source,
                           const QString& output) {
    QEventLoop loop;
    const auto connection =
        QObject::connect(&encoder, &sw::enc::Encoder::finished, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    encoder.start(Request(source, output));
    loop.exec();
    const double seconds = clock.nsecsElapsed() / 1e9;
    QObject::disconnect(connection);
    if (encoder.lastOutcome() != sw::enc::RunOutcome::Completed) {
        std::fprintf(stderr, "encoder run failed: %s\n",
                     encoder.lastError().text().toUtf8().constData());
        std::exit(1);
    }
    return seconds;
}

// The component's transcode itself, with a given number of encoder threads (1: serial path).
struct PathRun {
    double seconds = 0;
    double cpuSeconds = 0;
    int chunks = 0;
};

PathRun EncodeWithThreads(const QString& source, const QString& output, int profile, int threads) {
    const sw::enc::ProfileCollection profiles;
    sw::enc::TranscodeJob job{source, "mp3", output, profiles.item(profile).audio(), threads};
    std::atomic<bool> cancel{false};
    std::atomic<int> percent{0};
    const double cpuBefore = OwnCpuSeconds();
    QElapsedTimer clock;
    clock.start();
    const sw::enc::TranscodeResult result = sw::enc::Transcode(job, cancel, percent);
    const double seconds = clock.nsecsElapsed() / 1e9;
    const double cpuSeconds = OwnCpuSeconds() - cpuBefore;
    if (result.outcome != sw::enc::RunOutcome::Completed) {
        std::fprintf(stderr, "transcode failed: %s\n", result.error.what());
        std::exit(1);
    }
    return PathRun{seconds, cpuSeconds, result.chunks};
}

struct ToolRun {
    double seconds = 0;
    double cpuSeconds = 0;
    long maxRssKiB = 0;
};

ToolRun EncodeWithFfmpeg(const QString& source, const QString& output) {
    const std::string in = QFile::encodeName(source).toStdString();
    const std::string out = QFile::encodeName(output).toStdString();
    std::vector<const char*> argv{"ffmpeg", "-nostdin",  "-v",   "error", "-y",
                                  "-i",     in.c_str(),  "-c:a", "wmav2", "-b:a",
                                  "128k",   out.c_str(), nullptr};
    QElapsedTimer clock;
    clock.start();
    const pid_t child = ::fork();
    if (child == 0) {
        ::execvp(argv[0], const_cast<char* const*>(argv.data()));
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || ::wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "ffmpeg failed\n");
        std::exit(1);
    }
    return ToolRun{clock.nsecsElapsed() / 1e9,
                   usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
                       (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6,
                   usage.ru_maxrss};
}

long OwnMaxRssKiB() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The file's packets as the ffmpeg tool lists them: timestamps, sizes and an MD5 of each.
QByteArray PacketList(const QString& path) {
    QProcess tool;
    tool.start(QStringLiteral("ffmpeg"),
               {QStringLiteral("-nostdin"), QStringLiteral("-v"), QStringLiteral("error"),
                QStringLiteral("-i"), path, QStringLiteral("-c"), QStringLiteral("copy"),
                QStringLiteral("-f"), QStringLiteral("framemd5"), QStringLiteral("-")});
    if (!tool.waitForFinished(600000) || tool.exitCode() != 0) {
        std::fprintf(stderr, "ffmpeg could not list the packets of %s\n",
                     QFile::encodeName(path).constData());
        std::exit(1);
    }
    return tool.readAllStandardOutput();
}

int PacketCount(const QByteArray& list) {
    int count = 0;
    for (const QByteArray& line : list.split('\n'))
        count += !line.isEmpty() && !line.startsWith('#');
    return count;
}

int Compare(const QString& source, const QDir& work) {
    const int threads = std::max(2, sw::enc::EncoderThreadCount());
    const sw::enc::ProfileCollection profiles;
    bool allSame = true;
    std::printf("packet comparison, %d encoder threads against the serial path:\n", threads);
    for (int profile = 0; profile < kAudioProfiles; ++profile) {
        const QString serial = work.filePath(QStringLiteral("serial%1.wma").arg(profile));
        const QString chunked = work.filePath(QStringLiteral("chunked%1.wma").arg(profile));
        EncodeWithThreads(source, serial, profile, 1);
        const PathRun run = EncodeWithThreads(source, chunked, profile, threads);
        const QByteArray serialPackets = PacketList(serial);
        const bool same = serialPackets == PacketList(chunked);
        allSame = allSame && same;
        std::printf("  %-55s %s (%d packets, %d chunks%s)\n",
                    profiles.item(profile).name().toUtf8().constData(),
                    same ? "identical" : "DIFFERENT", PacketCount(serialPackets), run.chunks,
                    run.chunks == 0 ? ": the profile takes the serial path" : "");
        if (profile == kCdProfile) {
            const QString tool = work.filePath(QStringLiteral("tool.wma"));
            EncodeWithFfmpeg(source, tool);
            const bool toolSame = PacketList(tool) == PacketList(chunked);
            allSame = allSame && toolSame;
            std::printf("  %-55s %s\n", "  the same against the ffmpeg tool's encode",
                        toolSame ? "identical" : "DIFFERENT");
        }
    }
    return allSame ? 0 : 1;
}

int Time(const QString& source, const QDir& work, int rounds) {
    const int cores = sw::enc::EncoderThreadCount();
    sw::enc::Encoder encoder;
    std::vector<double> ours, tool;
    long toolRss = 0;
    for (int round = 0; round < rounds; ++round) {
        ours.push_back(
            EncodeWithComponent(encoder, source, work.filePath(QStringLiteral("ours.wma"))));
        const ToolRun run = EncodeWithFfmpeg(source, work.filePath(QStringLiteral("ffmpeg.wma")));
        tool.push_back(run.seconds);
        toolRss = std::max(toolRss, run.maxRssKiB);
        std::printf("round %d: component %.3f s, ffmpeg tool %.3f s (CPU %.3f s), ratio %.3f\n",
                    round + 1, ours.back(), tool.back(), run.cpuSeconds, ours.back() / tool.back());
    }
    const double bestOurs = *std::min_element(ours.begin(), ours.end());
    const double bestTool = *std::min_element(tool.begin(), tool.end());
    std::printf("source              %s\n", QFile::encodeName(source).constData());
    std::printf("encoder component   %.3f s (best of %d, %d encoder threads)\n", bestOurs, rounds,
                cores);
    std::printf("ffmpeg tool         %.3f s (best of %d)\n", bestTool, rounds);
    std::printf("ratio ours/ffmpeg   %.3f (goal <= 0.6)\n", bestOurs / bestTool);

    const QString out = work.filePath(QStringLiteral("scaling.wma"));
    const PathRun serial = EncodeWithThreads(source, out, kCdProfile, 1);
    std::printf("serial path         %.3f s, speed-up of the component %.2fx\n", serial.seconds,
                serial.seconds / bestOurs);
    for (const int threads : {1, 2, cores}) {
        const PathRun run = EncodeWithThreads(source, out, kCdProfile, threads);
        std::printf("scaling %2d thread%s  %.3f s, CPU %.3f s (%s)\n", threads,
                    threads == 1 ? " " : "s", run.seconds, run.cpuSeconds,
                    run.chunks == 0 ? "serial path" : "parallel chunks");
    }
    std::printf("peak RSS ours       %ld KiB (whole process)\n", OwnMaxRssKiB());
    std::printf("peak RSS ffmpeg     %ld KiB\n", toolRss);
    return 0;
}

// Stop latency with every encoder thread busy: from stop() to the ended state's notification.
int Stop(const QString& source, const QDir& work, int rounds) {
    qputenv("SONAWELL_ENCODER_THREADS", "3");
    sw::enc::Encoder encoder;
    double worst = 0;
    for (int round = 0; round < rounds; ++round) {
        encoder.start(Request(source, work.filePath(QStringLiteral("stopped.wma"))));
        // Once the first chunk is written, every worker has a chunk of its own.
        bool ended = false;
        QEventLoop started;
        const auto connections = {QObject::connect(&encoder, &sw::enc::Encoder::finished,
                                                   [&] {
                                                       ended = true;
                                                       started.quit();
                                                   }),
                                  QObject::connect(&encoder, &sw::enc::Encoder::progressChanged,
                                                   &started, &QEventLoop::quit)};
        started.exec();
        for (const auto& connection : connections)
            QObject::disconnect(connection);
        if (ended) {
            std::fprintf(stderr, "the run ended before it could be stopped: %s\n",
                         encoder.lastError().text().toUtf8().constData());
            return 1;
        }
        const QString at = QString::number(static_cast<int>(encoder.progress() * 100)) + u'%';
        QElapsedTimer clock;
        clock.start();
        encoder.stop();
        WaitForEnd(encoder);
        const double ms = clock.nsecsElapsed() / 1e6;
        worst = std::max(worst, ms);
        std::printf("round %d: stopped at %s in %.1f ms\n", round + 1, at.toUtf8().constData(), ms);
    }
    std::printf("slowest stop        %.1f ms (goal <= 100 ms)\n", worst);
    return 0;
}

// CPU time of another process so far, in seconds, from /proc.
double CpuSecondsOf(pid_t pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() <= 12)
        return -1;
    return static_cast<double>(fields[11].toLongLong() + fields[12].toLongLong()) /
           static_cast<double>(::sysconf(_SC_CLK_TCK));
}

// A busy program and a Low run pinned to the same core: the busy program's share of the CPU
// time the two got over three seconds.
int Low(const QString& source, const QDir& work) {
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(::sched_getcpu(), &one);
    ::sched_setaffinity(0, sizeof one, &one);
    qputenv("SONAWELL_ENCODER_THREADS", "2");
    const pid_t busy = ::fork();
    if (busy == 0) {
        volatile unsigned spin = 0;
        for (;;)
            spin = spin + 1;
    }
    sw::enc::Encoder encoder;
    encoder.setCpuPriority(sw::enc::CpuPriority::Low);
    encoder.start(Request(source, work.filePath(QStringLiteral("low.wma"))));
    QEventLoop settle;
    QTimer::singleShot(200, &settle, &QEventLoop::quit);
    settle.exec();
    const double oursBefore = OwnCpuSeconds();
    const double theirsBefore = CpuSecondsOf(busy);
    QEventLoop window;
    QTimer::singleShot(3000, &window, &QEventLoop::quit);
    window.exec();
    const double ours = OwnCpuSeconds() - oursBefore;
    const double theirs = CpuSecondsOf(busy) - theirsBefore;
    ::kill(busy, SIGKILL);
    ::waitpid(busy, nullptr, 0);
    encoder.stop();
    WaitForEnd(encoder);
    std::printf("busy program        %.2f s of CPU, the Low run %.2f s\n", theirs, ours);
    std::printf("busy program share  %.1f %% (goal >= 90 %%)\n", 100 * theirs / (theirs + ours));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    av_log_set_level(AV_LOG_ERROR);
    const std::string mode = argc > 1 ? argv[1] : "";
    if (argc < 4 || (mode != "time" && mode != "compare" && mode != "stop" && mode != "low")) {
        std::fprintf(stderr,
                     "usage: %s time SOURCE.mp3 WORK_FOLDER [ROUNDS]\n"
                     "       %s compare SOURCE.mp3 WORK_FOLDER\n"
                     "       %s stop SOURCE.wav WORK_FOLDER [ROUNDS]\n"
                     "       %s low SOURCE.wav WORK_FOLDER\n",
                     argv[0], argv[0], argv[0], argv[0]);
        return 2;
    }
    const QString source = QString::fromLocal8Bit(argv[2]);
    const QDir work(QString::fromLocal8Bit(argv[3]));
    if (mode == "compare")
        return Compare(source, work);
    if (mode == "stop")
        return Stop(source, work, argc > 4 ? std::max(1, std::atoi(argv[4])) : 5);
    if (mode == "low")
        return Low(source, work);
    return Time(source, work, argc > 4 ? std::max(1, std::atoi(argv[4])) : 3);
}
