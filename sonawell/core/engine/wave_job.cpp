#include "core/engine/conversion_driver.h"

#include "core/engine/mellorin_module.h"
#include "core/settings/common.h"

#include <QCoreApplication>

#include <cmath>

namespace {
// The decoder's progress callback carries no context; this is the driver whose decode runs.
ConversionDriver* activeDecode = nullptr;
}  // namespace

void ConversionDriver::WaveProgress(int32_t n) {
    if (activeDecode) {
        activeDecode->OnWaveProgress(n);
    }
}

void ConversionDriver::OnWaveProgress(int32_t n) {
    QCoreApplication::processEvents();
    // A WAVE file is about 15 times its WMA source; the last 3% are left for the finish.
    if (nSourceSize_ > 0) {
        double percent =
            (static_cast<double>(n) / 15.0) * 100.0 / static_cast<double>(nSourceSize_);
        percent = std::nearbyint(percent);  // halves to even
        if (percent > 97.0) {
            percent = 97.0;
        }
        SetPercent(QString::number(static_cast<int>(percent)) + QLatin1Char('%'));
    }
    QCoreApplication::processEvents();
}

void ConversionDriver::ConvertToWaveFile(int nIndex) {
    const Job job = jobs_.at(nIndex);
    jobs_.setState(nIndex, JobState::Converting);
    nSourceSize_ = GetFileSizeBytes(job.source);
    bConverting_ = true;
    decoding_ = true;
    UpdateCommandStatus();

    ConversionDriver* const outer = activeDecode;
    activeDecode = this;
    QString loadError;
    const auto result =
        basMellorin::Help101(job.source, job.output, &ConversionDriver::WaveProgress, &loadError);
    activeDecode = outer;
    decoding_ = false;
    bConverting_ = false;

    if (result == 1) {
        FinishJob(nIndex);
        DeleteSourceIfDone(nIndex);
    } else {
        FailJob(nIndex, result ? QStringLiteral("The WMA file could not be decoded.") : loadError);
    }
    Q_EMIT decodeEnded();
}
