#pragma once

#include "core/engine/conversion.h"
#include "core/engine/flac_run.h"
#include "core/engine/wave_run.h"
#include "core/engine/wma_job.h"
#include "encoder/encoder.h"

#include <QObject>
#include <QTimer>

#include <memory>

// Runs one conversion at a time on worker threads: WMA encodes through the encoder, WMA
// decodes on a thread of their own. The calling (UI) thread only starts, stops and observes;
// progress and the outcome reach it as queued signals.
class ConversionRunner : public QObject {
    Q_OBJECT
public:
    explicit ConversionRunner(sw::enc::Encoder& encoder, QObject* parent = nullptr);
    ~ConversionRunner() override;

    // Empty when the run is under way; else why this source can't be converted, and nothing
    // runs. Raises sw::Error when the encoder can't set up or start a run for another reason.
    QString start(const ConversionRequest& request);
    // Asks the run to end; finished() follows with the Stopped outcome once it has.
    void stop();
    // From start() until finished() has been delivered.
    bool isRunning() const { return running_ != Running::None; }
    bool isDecoding() const { return running_ == Running::Decode; }

Q_SIGNALS:
    // The share of the source converted, 0..1, whenever it has moved.
    void progressChanged(double fraction);
    void finished(const ConversionOutcome& outcome);

private:
    enum class Running { None, Encode, Decode };

    void onEncodeFinished(sw::enc::RunOutcome outcome, const sw::Error& error);
    void pollDecodeProgress();
    void end(const ConversionOutcome& outcome);

    sw::enc::Encoder& encoder_;
    WmaJob wma_;
    std::unique_ptr<WaveRun> wave_;
    std::unique_ptr<FlacRun> flac_;
    Running running_ = Running::None;
    bool stopRequested_ = false;
    QTimer poll_;  // a decode's progress
    double shownProgress_ = -1;
};
