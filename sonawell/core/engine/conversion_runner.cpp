#include "core/engine/conversion_runner.h"

#include "core/engine/protected_source.h"
#include "core/jobs/job.h"
#include "encoder/encoder.h"

#include <cmath>

using sw::enc::RunOutcome;
using sw::enc::RunState;

QString progressText(double fraction) {
    const int percent = static_cast<int>(std::floor(std::clamp(fraction, 0.0, 1.0) * 100));
    return QString::number(percent) + QLatin1Char('%');
}

ConversionRunner::ConversionRunner(sw::enc::Encoder& encoder, QObject* parent)
    : QObject(parent), encoder_(encoder), wma_(encoder) {
    qRegisterMetaType<ConversionOutcome>();
    // Fast enough to look live, slow enough to cost nothing on a long list.
    poll_.setInterval(200);
    connect(&poll_, &QTimer::timeout, this, &ConversionRunner::pollProgress);
    connect(&encoder_, &sw::enc::Encoder::stateChanged, this,
            &ConversionRunner::onEncoderStateChanged);
}

ConversionRunner::~ConversionRunner() = default;

QString ConversionRunner::start(const ConversionRequest& request) {
    if (isRunning()) {
        return tr("Another conversion is still under way.");
    }
    stopRequested_ = false;
    shownProgress_ = -1;
    // No reader of ours can open it: it fails as what it is, never retried as another format.
    if (isProtectedSource(request.source)) {
        return protectedSourceText();
    }
    const auto finish = [this](const ConversionOutcome& outcome) {
        QMetaObject::invokeMethod(
            this, [this, outcome] { end(outcome); }, Qt::QueuedConnection);
    };
    if (request.profile == kFlacProfile) {
        flac_ = std::make_unique<FlacRun>(request, encoder_.cpuPriority(), finish);
        running_ = Running::Decode;
    } else if (request.profile == kWaveProfile) {
        // The outcome is handed over as a queued call: it reaches this object on its own
        // thread, and never once this object is gone.
        wave_ = std::make_unique<WaveRun>(
            request, encoder_.cpuPriority(), [this](const ConversionOutcome& outcome) {
                QMetaObject::invokeMethod(
                    this, [this, outcome] { end(outcome); }, Qt::QueuedConnection);
            });
        running_ = Running::Decode;
    } else {
        Job job;
        job.source = request.source;
        job.output = request.output;
        job.profile = request.profile;
        if (QString refused = wma_.start(job); !refused.isEmpty()) {
            return refused;
        }
        running_ = Running::Encode;
    }
    poll_.start();
    return {};
}

void ConversionRunner::stop() {
    if (!isRunning()) {
        return;
    }
    stopRequested_ = true;
    if (wave_) {
        wave_->requestStop();
    } else if (flac_) {
        flac_->requestStop();
    } else {
        encoder_.stop();
    }
}

void ConversionRunner::pollProgress() {
    double fraction = 0;
    if (running_ == Running::Decode && wave_) {
        fraction = wave_->progress();
    } else if (running_ == Running::Decode && flac_) {
        fraction = flac_->progress();
    } else if (running_ == Running::Encode) {
        fraction = encoder_.progress();
    }
    if (fraction != shownProgress_) {
        shownProgress_ = fraction;
        Q_EMIT progressChanged(fraction);
    }
}

void ConversionRunner::onEncoderStateChanged(int32_t state) {
    if (running_ != Running::Encode || state != static_cast<int32_t>(RunState::Stopped)) {
        return;
    }
    wma_.removeTempFiles();
    wma_.clearSources();
    const QString error = encoder_.lastError();
    switch (encoder_.lastOutcome()) {
        case RunOutcome::Completed:
            // A completed run's error text is its damage note.
            end(error.isEmpty() ? ConversionOutcome{ConversionOutcome::Kind::Done, {}}
                                : ConversionOutcome{ConversionOutcome::Kind::DoneDamaged, error});
            return;
        case RunOutcome::Stopped:
            end({ConversionOutcome::Kind::Stopped, {}});
            return;
        case RunOutcome::None:
        case RunOutcome::Failed:
            break;
    }
    end({stopRequested_ ? ConversionOutcome::Kind::Stopped : ConversionOutcome::Kind::Failed,
         error});
}

void ConversionRunner::end(const ConversionOutcome& outcome) {
    poll_.stop();
    wave_.reset();
    flac_.reset();
    running_ = Running::None;
    Q_EMIT finished(outcome);
}
