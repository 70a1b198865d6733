#include "core/engine/conversion_runner.h"

#include "core/jobs/job.h"
#include "encoder/encoder.h"

#include <cmath>

using sw::enc::RunOutcome;

QString progressText(double fraction) {
    const int percent = static_cast<int>(std::floor(std::clamp(fraction, 0.0, 1.0) * 100));
    return QString::number(percent) + QLatin1Char('%');
}

ConversionRunner::ConversionRunner(sw::enc::Encoder& encoder, QObject* parent)
    : QObject(parent), encoder_(encoder), wma_(encoder) {
    qRegisterMetaType<ConversionOutcome>();
    // Fast enough to look live, slow enough to cost nothing on a long list.
    poll_.setInterval(200);
    connect(&poll_, &QTimer::timeout, this, &ConversionRunner::pollDecodeProgress);
    connect(&encoder_, &sw::enc::Encoder::progressChanged, this, [this](double fraction) {
        if (running_ == Running::Encode) {
            Q_EMIT progressChanged(fraction);
        }
    });
    connect(&encoder_, &sw::enc::Encoder::finished, this, &ConversionRunner::onEncodeFinished);
}

ConversionRunner::~ConversionRunner() = default;

QString ConversionRunner::start(const ConversionRequest& request) {
    if (isRunning()) {
        return tr("Another conversion is still under way.");
    }
    stopRequested_ = false;
    shownProgress_ = -1;
    if (request.profile == kWaveProfile) {
        // The outcome is handed over as a queued call: it reaches this object on its own
        // thread, and never once this object is gone.
        wave_ = std::make_unique<WaveRun>(
            request, encoder_.cpuPriority(), [this](const ConversionOutcome& outcome) {
                QMetaObject::invokeMethod(
                    this, [this, outcome] { end(outcome); }, Qt::QueuedConnection);
            });
        running_ = Running::Decode;
        poll_.start();
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
    return {};
}

void ConversionRunner::stop() {
    if (!isRunning()) {
        return;
    }
    stopRequested_ = true;
    if (wave_) {
        wave_->requestStop();
    } else {
        encoder_.stop();
    }
}

void ConversionRunner::pollDecodeProgress() {
    if (running_ != Running::Decode || !wave_) {
        return;
    }
    const double fraction = wave_->progress();
    if (fraction != shownProgress_) {
        shownProgress_ = fraction;
        Q_EMIT progressChanged(fraction);
    }
}

void ConversionRunner::onEncodeFinished(RunOutcome outcome, const sw::Error& error) {
    if (running_ != Running::Encode) {
        return;
    }
    wma_.removeTempFiles();
    switch (outcome) {
        case RunOutcome::Completed:
            end(error.code() == sw::ErrorCode::SourceDamaged
                    ? ConversionOutcome{ConversionOutcome::Kind::DoneDamaged, error.text()}
                    : ConversionOutcome{ConversionOutcome::Kind::Done, {}});
            return;
        case RunOutcome::Stopped:
            end({ConversionOutcome::Kind::Stopped, {}});
            return;
        case RunOutcome::None:
        case RunOutcome::Failed:
            break;
    }
    end({stopRequested_ ? ConversionOutcome::Kind::Stopped : ConversionOutcome::Kind::Failed,
         error.text()});
}

void ConversionRunner::end(const ConversionOutcome& outcome) {
    poll_.stop();
    wave_.reset();
    running_ = Running::None;
    Q_EMIT finished(outcome);
}
