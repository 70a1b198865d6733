// Decodes a long WMA to WAVE through the objects the main window works with (the bus object,
// the pending hand-ins, quick convert, the driver and the job list) while a second connection
// to the session bus hands in a file every 50 ms and times each answer. The whole file is
// decoded, against the ffmpeg tool decoding it in the same run; then it is handed in again and
// Stop is pressed a quarter through, and the time until the run has ended is taken.
//
// Usage: longdecode_bench LONG_WMA SHORT_MP3 OUTPUT_FOLDER PROGRAM_FOLDER
// run.sh gives it a private session bus.

#include "common/bus_names.h"
#include "core/engine/app_state.h"
#include "core/engine/conversion_driver.h"
#include "core/engine/pending_jobs.h"
#include "core/engine/quick_convert.h"
#include "core/engine/quick_convert_engine.h"
#include "core/engine/user_prompt.h"
#include "core/jobs/job_store.h"
#include "core/settings/app_settings.h"
#include "encoder/encoder.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <vector>

namespace {

class SilentPrompt : public UserPrompt {
public:
    void showMessage(const QString& text) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    bool askYesNo(const QString&) override { return true; }
};

// Hands `path` in every 50 ms on a bus connection of its own and keeps how long each answer
// took; the calls block this thread only.
class HandInProbe : public QThread {
public:
    explicit HandInProbe(QString path) : path_(std::move(path)) {}
    void finish() { done_ = true; }
    std::vector<double> waitsMs() {
        const std::lock_guard lock(mutex_);
        return waitsMs_;
    }
    int failures() const { return failures_; }

protected:
    void run() override {
        QDBusConnection bus =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("probe"));
        while (!done_) {
            QDBusMessage call = QDBusMessage::createMethodCall(
                QLatin1String(sw::bus::kServiceName), QLatin1String(sw::bus::kObjectPath),
                QLatin1String(sw::bus::kInterface), QLatin1String(sw::bus::kAddJobs));
            call << path_;
            QElapsedTimer clock;
            clock.start();
            const QDBusMessage reply = bus.call(call, QDBus::Block, 25000);
            const double ms = clock.nsecsElapsed() / 1e6;
            if (reply.type() == QDBusMessage::ErrorMessage) {
                ++failures_;
            } else {
                const std::lock_guard lock(mutex_);
                waitsMs_.push_back(ms);
            }
            QThread::msleep(50);
        }
        QDBusConnection::disconnectFromBus(QStringLiteral("probe"));
    }

private:
    const QString path_;
    std::atomic<bool> done_ = false;
    std::atomic<int> failures_ = 0;
    std::mutex mutex_;
    std::vector<double> waitsMs_;
};

// Runs the event loop until `ready` holds, checking every 10 ms.
template <typename Ready>
void RunUntil(Ready ready) {
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (ready()) {
            loop.quit();
        }
    });
    check.start(10);
    loop.exec();
}

double DecodeWithTool(const QString& source, const QString& output) {
    QElapsedTimer clock;
    clock.start();
    QProcess tool;
    tool.start(QStringLiteral("ffmpeg"),
               {QStringLiteral("-nostdin"), QStringLiteral("-v"), QStringLiteral("error"),
                QStringLiteral("-y"), QStringLiteral("-i"), source, output});
    if (!tool.waitForFinished(-1) || tool.exitCode() != 0) {
        return -1;
    }
    return clock.nsecsElapsed() / 1e9;
}

bool Ended(const Job& job) {
    return job.state != JobState::Waiting && job.state != JobState::Converting;
}

double Percent(const QString& progress) {
    return QStringView(progress).chopped(progress.endsWith(QLatin1Char('%')) ? 1 : 0).toDouble();
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc != 5) {
        std::fprintf(stderr,
                     "usage: longdecode_bench LONG_WMA SHORT_MP3 OUTPUT_FOLDER "
                     "PROGRAM_FOLDER\n");
        return 2;
    }
    const QString longWma = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    const QString shortMp3 = QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath();
    const QString out = QString::fromLocal8Bit(argv[3]);
    setProgramFolder(QString::fromLocal8Bit(argv[4]));
    appSettings = AppSettingsRecord{};
    appSettings.iniPath = QString::fromLocal8Bit(argv[4]) + QStringLiteral("/Sonawell.ini");
    appSettings.sameTargetDir = false;
    appSettings.targetDir = out;
    appSettings.autoStart = true;
    appSettings.quickProfile = QStringLiteral("Audio for CD quality (128 Kbps, 44 kHz, stereo)");

    sw::enc::Encoder encoder;
    JobStore jobs;
    SilentPrompt prompt;
    PendingJobs pending;
    ConversionDriver driver(encoder, jobs, prompt, appSettings);
    QuickConvert quick(pending, jobs, driver, appSettings);
    QuickConvertEngine automation(pending);
    if (!automation.registerOnSessionBus()) {
        std::fprintf(stderr, "no session bus\n");
        return 2;
    }
    mainWindowReady = true;
    int runsEnded = 0;
    QObject::connect(&driver, &ConversionDriver::runEnded, &app, [&] { ++runsEnded; });

    // The long file first, as AddJobs takes it; the probe's files queue behind it.
    HandInProbe probe(shortMp3);
    QElapsedTimer clock;
    clock.start();
    pending.add(longWma);
    RunUntil([&] { return driver.isDecoding(); });
    probe.start();
    RunUntil([&] { return Ended(jobs.at(1)); });
    const double ours = clock.nsecsElapsed() / 1e9;
    const bool done = jobs.at(1).state == JobState::Done;

    // The same file again, stopped a quarter through.
    pending.add(longWma);
    int again = 0;
    RunUntil([&] {
        for (int row = jobs.count(); row > 1 && again == 0; --row) {
            again = jobs.at(row).source == longWma ? row : 0;
        }
        return again != 0;
    });
    RunUntil([&] {
        return jobs.at(again).state == JobState::Converting &&
               Percent(jobs.at(again).progress) >= 25;
    });
    const int endedBefore = runsEnded;
    clock.restart();
    driver.stop();
    RunUntil([&] { return runsEnded > endedBefore && !driver.isBusy(); });
    const double stopMs = clock.nsecsElapsed() / 1e6;
    const QString stopped = statusText(jobs.at(again));
    const bool nothingLeft = !QFileInfo::exists(jobs.at(again).output);
    probe.finish();
    while (!probe.wait(10)) {
        QCoreApplication::processEvents();
    }
    std::vector<double> waits = probe.waitsMs();
    std::sort(waits.begin(), waits.end());
    const double tool = DecodeWithTool(longWma, out + QStringLiteral("/tool.wav"));

    std::printf("AddJobs calls while decoding %zu answered, %d failed\n", waits.size(),
                probe.failures());
    if (!waits.empty()) {
        std::printf("  answer                     median %.1f ms, worst %.1f ms (goal < 100 ms)\n",
                    waits[waits.size() / 2], waits.back());
    }
    std::printf("Stop to run ended            %.1f ms (goal < 100 ms), row \"%s\", %s\n", stopMs,
                qPrintable(stopped), nothingLeft ? "nothing at the output" : "OUTPUT LEFT");
    std::printf("whole decode, ours           %.2f s (%s)\n", ours, done ? "done" : "not done");
    std::printf("same file, ffmpeg tool       %.2f s\n", tool);
    std::printf("ratio ours/ffmpeg            %.3f\n", tool > 0 ? ours / tool : 0.0);
    const bool met = done && probe.failures() == 0 && !waits.empty() && waits.back() < 100 &&
                     stopMs < 100 && nothingLeft;
    return met ? 0 : 1;
}
