#include "core/engine/conversion_runner.h"

#include "core/engine/protected_source.h"
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
    // No reader of ours can open it: it fails as what it is, never retried as another format.
    if (isProtectedSource(request.source)) {
        return protectedSourceText();
    }
    // The outcome is handed over as a queued call: it reaches this object on its own thread,
    // and never once this object is gone.
    const auto finish = [this](const ConversionOutcome& outcome) {
        QMetaObject::invokeMethod(
            this, [this, outcome] { end(outcome); }, Qt::QueuedConnection);
    };
    if (request.profile == kFlacProfile) {
        flac_ = std::make_unique<FlacRun>(request, encoder_.cpuPriority(), finish);
        running_ = Running::Decode;
        poll_.start();
    } else if (request.profile == kWaveProfile) {
        wave_ = std::make_unique<WaveRun>(request, encoder_.cpuPriority(), finish);
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
    } else if (flac_) {
        flac_->requestStop();
    } else {
        encoder_.stop();
    }
}

void ConversionRunner::pollDecodeProgress() {
    if (running_ != Running::Decode || (!wave_ && !flac_)) {
        return;
    }
    const double fraction = wave_ ? wave_->progress() : flac_->progress();
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
    flac_.reset();
    running_ = Running::None;
    Q_EMIT finished(outcome);
}
