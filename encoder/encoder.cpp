#include "encoder/encoder.h"

#include "encoder/encode_run.h"
#include "encoder/encoder_threads.h"
#include "encoder/input_probe.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPointer>

#include <mutex>

extern "C" {
#include <libavutil/log.h>
}

namespace sw::enc {

namespace {

// Fast enough to look live, slow enough to cost nothing.
constexpr int kProgressPollMs = 100;

}  // namespace

Encoder::Encoder(QObject* parent) : QObject(parent) {
    // Decoder chatter about odd frames would flood a terminal on every damaged file; failures
    // reach the user through the run's outcome instead.
    static std::once_flag quiet;
    std::call_once(quiet, [] {
        av_log_set_level(AV_LOG_ERROR);
        qRegisterMetaType<sw::enc::RunState>();
        qRegisterMetaType<sw::enc::RunOutcome>();
        qRegisterMetaType<sw::Error>();
    });
    poll_.setInterval(kProgressPollMs);
    connect(&poll_, &QTimer::timeout, this, &Encoder::pollProgress);
}

Encoder::~Encoder() {
    // Joined here, before QObject's destructor drops the notices the run still queued, so
    // none reaches a dead object.
    run_.reset();
}

void Encoder::start(const EncodeRequest& request) {
    if (run_)
        throw Error(ErrorCode::Busy, QCoreApplication::translate(
                                         "Encoder", "The encoder is still busy with a run."));
    CheckedInput input = CheckInput(request.source);
    const QFileInfo output(request.output);
    if (request.output.isEmpty() || output.fileName().isEmpty())
        throw Error(ErrorCode::NoOutput,
                    QCoreApplication::translate("Encoder", "No output file name has been set."));
    if (output.absoluteFilePath() == QFileInfo(input.path).absoluteFilePath())
        throw Error(ErrorCode::NoOutput,
                    QCoreApplication::translate("Encoder", "The output file is the source file."));
    const Profile* profile = profiles_.find(request.profile);
    if (!profile)
        throw Error(ErrorCode::NoProfile,
                    QCoreApplication::translate("Encoder", "There is no encoder profile \"%1\".")
                        .arg(request.profile));

    request_ = request;
    outcome_ = RunOutcome::None;
    lastError_ = Error();
    lastPriorityNote_.clear();
    progress_ = 0;
    runPriority_ = priority_;

    post({RunState::Starting, RunOutcome::None, {}});
    TranscodeJob job;
    job.input = input.path;
    job.demuxer = input.demuxer;
    job.output = request.output;
    job.audio = profile->audio();
    job.encoderThreads = EncoderThreadCount();
    job.priority = priority_;
    EncodeRun::Callbacks callbacks;
    callbacks.running = [this] { post({RunState::Running, RunOutcome::None, {}}); };
    callbacks.finished = [this](RunOutcome outcome, const Error& error) {
        post({RunState::Stopped, outcome, error});
    };
    callbacks.finishing = request.finishing;
    run_ = std::make_unique<EncodeRun>(std::move(job), std::move(callbacks));
    poll_.start();
}

void Encoder::stop() {
    if (!run_)
        return;
    run_->requestStop();
    post({RunState::Stopping, RunOutcome::None, {}});
}

void Encoder::pollProgress() {
    if (!run_ || state_ == RunState::Stopped)
        return;
    const double fraction = run_->percent() / 100.0;
    if (fraction != progress_) {
        progress_ = fraction;
        Q_EMIT progressChanged(fraction);
    }
}

void Encoder::post(Notice notice) {
    const std::lock_guard lock(postMutex_);
    // A run moves forward only: no "running" once it is stopping, one "stopping" at most,
    // nothing after the end.
    if (notice.state == RunState::Running && postedState_ != RunState::Starting)
        return;
    if (notice.state == RunState::Stopping &&
        (postedState_ == RunState::Stopping || postedState_ == RunState::Stopped))
        return;
    postedState_ = notice.state;
    notices_.push_back(std::move(notice));
    QMetaObject::invokeMethod(this, &Encoder::deliverNotices, Qt::QueuedConnection);
}

void Encoder::deliverNotices() {
    if (delivering_)
        return;
    delivering_ = true;
    for (;;) {
        Notice notice;
        {
            const std::lock_guard lock(postMutex_);
            if (notices_.empty())
                break;
            notice = std::move(notices_.front());
            notices_.pop_front();
        }
        if (!deliver(notice))
            return;
    }
    delivering_ = false;
}

bool Encoder::deliver(const Notice& notice) {
    const QPointer<Encoder> alive(this);
    if (notice.state != RunState::Stopped) {
        state_ = notice.state;
        Q_EMIT stateChanged(notice.state);
        return !alive.isNull();
    }
    // The run's thread has queued its last call, so this join is immediate; a handler of the
    // end may start the next run.
    poll_.stop();
    if (run_) {
        run_->join();
        lastPriorityNote_ = PriorityNote(runPriority_, run_->priority());
    }
    run_.reset();
    outcome_ = notice.outcome;
    lastError_ = notice.error;
    state_ = RunState::Stopped;
    Q_EMIT stateChanged(RunState::Stopped);
    if (!alive)
        return false;
    Q_EMIT finished(notice.outcome, notice.error);
    return !alive.isNull();
}

}  // namespace sw::enc
