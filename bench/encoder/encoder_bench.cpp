// Encodes one MP3 to WMA at 128 kbps through the encoder component and with the ffmpeg tool,
// alternating for a few rounds, and prints the best times, their ratio and the peak memory of
// both. Usage: encoder_bench SOURCE.mp3 WORK_FOLDER [ROUNDS]

#include "encoder/encoder.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>

extern "C" {
#include <libavutil/log.h>
}

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kCdProfile = 3;  // "Audio for CD quality (128 Kbps, 44 kHz, stereo)"

double EncodeWithComponent(sw::enc::Encoder& encoder, const QString& source,
                           const QString& output) {
    auto& groups = encoder.sourceGroups();
    while (groups.count() > 0)
        groups.remove(0);
    auto& group = groups.add(QStringLiteral("SG_1"));
    group.addSource(sw::enc::MediaKind::Audio).setInput(source, QString(), QString());
    group.setProfile(&encoder.profiles().item(kCdProfile));
    encoder.file().setLocalFileName(output);

    QEventLoop loop;
    const auto connection =
        QObject::connect(&encoder, &sw::enc::Encoder::stateChanged, &loop, [&loop](int32_t s) {
            if (s == 5)
                loop.quit();
        });
    QElapsedTimer clock;
    clock.start();
    encoder.prepareToEncode(true);
    encoder.start();
    loop.exec();
    const double seconds = clock.nsecsElapsed() / 1e9;
    QObject::disconnect(connection);
    if (encoder.lastOutcome() != sw::enc::RunOutcome::Completed) {
        std::fprintf(stderr, "encoder run failed: %s\n", encoder.lastError().toUtf8().constData());
        std::exit(1);
    }
    return seconds;
}

struct ToolRun {
    double seconds = 0;
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
    return ToolRun{clock.nsecsElapsed() / 1e9, usage.ru_maxrss};
}

long OwnMaxRssKiB() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    av_log_set_level(AV_LOG_ERROR);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s SOURCE.mp3 WORK_FOLDER [ROUNDS]\n", argv[0]);
        return 2;
    }
    const QString source = QString::fromLocal8Bit(argv[1]);
    const QDir work(QString::fromLocal8Bit(argv[2]));
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;

    sw::enc::Encoder encoder;
    double ours = 1e9;
    double tool = 1e9;
    long toolRss = 0;
    for (int round = 0; round < rounds; ++round) {
        ours = std::min(
            ours, EncodeWithComponent(encoder, source, work.filePath(QStringLiteral("ours.wma"))));
        const ToolRun run = EncodeWithFfmpeg(source, work.filePath(QStringLiteral("ffmpeg.wma")));
        tool = std::min(tool, run.seconds);
        toolRss = std::max(toolRss, run.maxRssKiB);
    }
    std::printf("source            %s\n", argv[1]);
    std::printf("encoder component %.3f s (best of %d)\n", ours, rounds);
    std::printf("ffmpeg tool       %.3f s (best of %d)\n", tool, rounds);
    std::printf("ratio ours/ffmpeg %.3f (goal <= 1.0)\n", ours / tool);
    std::printf("peak RSS ours     %ld KiB (whole process)\n", OwnMaxRssKiB());
    std::printf("peak RSS ffmpeg   %ld KiB\n", toolRss);
    return 0;
}
