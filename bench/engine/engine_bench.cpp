// Works a queue of MP3 jobs to WMA through the conversion driver, as the main window does, and
// reports the time from each job's end notification to the next run's start, how late the UI
// thread delivers a 10 ms timer while encoding, and the whole queue's time against the ffmpeg
// tool encoding the same files one after another.
//
// Usage: engine_bench <source folder with *.mp3> <work folder> <program folder>

#include "core/engine/conversion_driver.h"
#include "core/engine/user_prompt.h"
#include "core/jobs/job_store.h"
#include "core/settings/app_settings.h"
#include "encoder/encoder.h"
#include "encoder/monitor_page.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>

extern "C" {
#include <libavutil/log.h>
}

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const QString kProfile = QStringLiteral("Audio for CD quality (128 Kbps, 44 kHz, stereo)");

class CountingPrompt : public UserPrompt {
public:
    void showMessage(const QString& text) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        ++messages;
    }
    bool askYesNo(const QString&) override { return true; }
    int messages = 0;
};

double EncodeWithTool(const QStringList& sources, const QString& work) {
    QElapsedTimer clock;
    clock.start();
    for (const QString& source : sources) {
        QProcess tool;
        tool.start(QStringLiteral("ffmpeg"),
                   {QStringLiteral("-nostdin"), QStringLiteral("-v"), QStringLiteral("error"),
                    QStringLiteral("-y"), QStringLiteral("-i"), source, QStringLiteral("-c:a"),
                    QStringLiteral("wmav2"), QStringLiteral("-b:a"), QStringLiteral("128k"),
                    QStringLiteral("-ar"), QStringLiteral("44100"), QStringLiteral("-ac"),
                    QStringLiteral("2"), work + QStringLiteral("/tool.wma")});
        if (!tool.waitForFinished(-1) || tool.exitCode() != 0) {
            std::fprintf(stderr, "ffmpeg failed on %s\n", qPrintable(source));
            return -1;
        }
    }
    return clock.nsecsElapsed() / 1e9;
}

}  // namespace

int main(int argc, char* argv[]) {
    av_log_set_level(AV_LOG_ERROR);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: engine_bench SOURCE_FOLDER WORK_FOLDER PROGRAM_FOLDER\n");
        return 2;
    }
    const QString sourceFolder = QString::fromLocal8Bit(argv[1]);
    const QString work = QString::fromLocal8Bit(argv[2]);
    setProgramFolder(QString::fromLocal8Bit(argv[3]));
    appSettings = AppSettingsRecord{};

    QStringList sources;
    const QFileInfoList found =
        QDir(sourceFolder).entryInfoList({QStringLiteral("*.mp3")}, QDir::Files, QDir::Name);
    for (const QFileInfo& info : found) {
        sources << info.absoluteFilePath();
    }
    if (sources.isEmpty()) {
        std::fprintf(stderr, "no MP3 files in %s\n", argv[1]);
        return 2;
    }

    sw::enc::Encoder encoder;
    JobStore jobs;
    CountingPrompt prompt;
    for (const QString& source : sources) {
        jobs.add(
            source,
            work + QLatin1Char('/') + QFileInfo(source).completeBaseName() + QStringLiteral(".wma"),
            kProfile);
    }

    // Connected before the driver so a job's end is stamped before the driver reacts to it.
    QElapsedTimer clock;
    std::vector<qint64> ends;
    std::vector<qint64> starts;
    QObject::connect(&encoder, &sw::enc::Encoder::stateChanged, &app, [&](sw::enc::RunState state) {
        if (state == sw::enc::RunState::Stopped) {
            ends.push_back(clock.nsecsElapsed());
        } else if (state == sw::enc::RunState::Starting) {
            starts.push_back(clock.nsecsElapsed());
        }
    });

    ConversionDriver driver(encoder, jobs, prompt, appSettings);
    sw::enc::MonitorPage page(encoder);
    page.show();

    // A 10 ms tick; its lateness is how long any event waited on the UI thread.
    struct Probe {
        qint64 worstLateNs = 0;
        qint64 worstAt = 0;
        qint64 lastTick = 0;
    } probed;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    probe.setInterval(10);
    QObject::connect(&probe, &QTimer::timeout, &app, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (probed.lastTick != 0) {
            const qint64 late = now - probed.lastTick - 10'000'000;
            if (late > probed.worstLateNs) {
                probed.worstLateNs = late;
                probed.worstAt = now;
            }
        }
        probed.lastTick = now;
    });
    const auto runQueue = [&] {
        probed = Probe{};
        probe.start();
        driver.start();
        while (driver.isConverting() || driver.isBusy()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
        }
        probe.stop();
    };

    clock.start();
    runQueue();
    const double ours = clock.nsecsElapsed() / 1e9;
    const Probe encoding = probed;

    int done = 0;
    for (int row = 1; row <= jobs.count(); ++row) {
        done += (jobs.at(row).state == JobState::Done);
    }
    const double tool = EncodeWithTool(sources, work);

    std::vector<double> gapsMs;
    for (size_t i = 0; i + 1 < ends.size() && i + 1 < starts.size(); ++i) {
        gapsMs.push_back((starts[i + 1] - ends[i]) / 1e6);
    }
    std::sort(gapsMs.begin(), gapsMs.end());
    std::printf("jobs completed          %d of %lld\n", done, static_cast<long long>(jobs.count()));
    std::printf("queue, ours             %.2f s\n", ours);
    std::printf("same files, ffmpeg tool %.2f s\n", tool);
    std::printf("ratio ours/ffmpeg       %.3f\n", tool > 0 ? ours / tool : 0.0);
    if (!gapsMs.empty()) {
        std::printf("between jobs            median %.1f ms, worst %.1f ms (goal < 100 ms)\n",
                    gapsMs[gapsMs.size() / 2], gapsMs.back());
    }
    std::printf("UI thread, worst wait   %.1f ms while encoding (goal < 50 ms)\n",
                encoding.worstLateNs / 1e6);
    if (!ends.empty()) {
        const auto nearest = std::min_element(ends.begin(), ends.end(), [&](qint64 a, qint64 b) {
            return std::llabs(a - encoding.worstAt) < std::llabs(b - encoding.worstAt);
        });
        std::printf("  it ended %.1f ms from a job's end\n", (encoding.worstAt - *nearest) / 1e6);
    }

    // Then the WMA sources, decoded to WAVE: the decode runs on the UI thread and lets events
    // run from its progress callback.
    const QFileInfoList wmaSources =
        QDir(sourceFolder).entryInfoList({QStringLiteral("*.wma")}, QDir::Files, QDir::Name);
    for (const QFileInfo& info : wmaSources) {
        jobs.add(info.absoluteFilePath(),
                 work + QLatin1Char('/') + info.completeBaseName() + QStringLiteral(".wav"),
                 kWaveProfile);
    }
    if (!wmaSources.isEmpty()) {
        runQueue();
        const Probe decoding = probed;
        for (int row = done + 1; row <= jobs.count(); ++row) {
            done += (jobs.at(row).state == JobState::Done);
        }
        std::printf(
            "UI thread, worst wait   %.1f ms while decoding %lld WMA file(s) (goal < 50 ms)\n",
            decoding.worstLateNs / 1e6, static_cast<long long>(wmaSources.size()));
    }
    std::printf("jobs completed          %d of %lld in all\n", done,
                static_cast<long long>(jobs.count()));
    return done == jobs.count() && prompt.messages == 0 ? 0 : 1;
}
