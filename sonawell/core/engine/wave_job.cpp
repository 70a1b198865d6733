#include "core/engine/wave_job.h"

#include "core/engine/mellorin_module.h"
#include "core/fs/file_status.h"

#include <QCoreApplication>

#include <cmath>
#include <utility>

namespace {
// The decoder's callback carries no context; this is the decode that runs.
WaveJob* activeDecode = nullptr;
}  // namespace

WaveJob::WaveJob(std::function<void(const QString&)> progress) : progress_(std::move(progress)) {}

WaveJob::Outcome WaveJob::run(const QString& source, const QString& output) {
    sourceSize_ = fileSizeBytes(source);
    WaveJob* const outer = activeDecode;
    activeDecode = this;
    QString note;
    const auto result = sw::libs::help101(source, output, &WaveJob::reportProgress, &note);
    activeDecode = outer;
    if (result == 1 || result == 2) {
        return {true, result == 2, note};
    }
    if (result && note.isEmpty()) {
        note = QCoreApplication::translate("WaveJob", "The WMA file could not be decoded.");
    }
    return {false, false, note};
}

void WaveJob::reportProgress(int32_t bytes) {
    if (activeDecode) {
        activeDecode->onProgress(bytes);
    }
}

void WaveJob::onProgress(int32_t bytes) {
    QCoreApplication::processEvents();
    const QString text = progressText(bytes, sourceSize_);
    if (!text.isEmpty() && progress_) {
        progress_(text);
    }
    QCoreApplication::processEvents();
}

QString WaveJob::progressText(int64_t bytes, int64_t sourceSize) {
    if (sourceSize <= 0) {
        return {};
    }
    double percent = (static_cast<double>(bytes) / 15.0) * 100.0 / static_cast<double>(sourceSize);
    percent = std::min(std::nearbyint(percent), 97.0);
    return QString::number(static_cast<int>(percent)) + QLatin1Char('%');
}
