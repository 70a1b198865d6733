#include "encoder/encoder.h"

#include "encoder/encode_run.h"
#include "encoder/encoder_threads.h"
#include "encoder/input_probe.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPointer>

#include <mutex>

extern "C" {
#include <libavutil/log.h>
}

namespace sw::enc {

struct Encoder::Prepared {
    CheckedInput input;
    QString output;
    QString profileName;
    Profile::AudioSettings audio;
};

Encoder::Encoder(QObject* parent) : QObject(parent) {
    // Decoder chatter about odd frames would flood a terminal on every damaged file; failures
    // reach the user through the run's outcome instead.
    static std::once_flag quiet;
    std::call_once(quiet, [] { av_log_set_level(AV_LOG_ERROR); });
}

Encoder::~Encoder() {
    // Joined here, before QObject's destructor drops the notifications the run still queued,
    // so none reaches a dead object.
    run_.reset();
}

void Encoder::prepareToEncode(bool prepare) {
    prepared_.reset();
    if (!prepare)
        return;
    if (run_)
        throw Error(kErrBusy, QCoreApplication::translate("Encoder",
                                                          "The encoder is still busy with a run."));
    if (groups_.count() == 0 || groups_.item(0).sourceCount() == 0)
        throw Error(kErrNoSource, QCoreApplication::translate(
                                      "Encoder", "No source has been added to the encoder."));
    SourceGroup& group = groups_.item(0);
    CheckedInput input = CheckInput(group.source(0).input());

    const QString output = file_.localFileName();
    if (output.isEmpty() || QFileInfo(output).fileName().isEmpty())
        throw Error(kErrNoOutput,
                    QCoreApplication::translate("Encoder", "No output file name has been set."));
    if (QFileInfo(output).absoluteFilePath() == QFileInfo(input.path).absoluteFilePath())
        throw Error(kErrNoOutput,
                    QCoreApplication::translate("Encoder", "The output file is the source file."));

    const Profile* profile = group.profile();
    bool known = false;
    for (int i = 0; i < profiles_.count() && profile; ++i)
        known |= &profiles_.item(i) == profile;
    if (!known)
        throw Error(kErrNoProfile,
                    QCoreApplication::translate("Encoder", "No encoder profile has been chosen."));
    if (!IsAudioOnlyProfile(*profile))
        throw Error(kErrProfileNotAudio,
                    QCoreApplication::translate(
                        "Encoder", "The profile \"%1\" carries streams other than audio.")
                        .arg(profile->name()));

    prepared_ = std::make_unique<Prepared>(
        Prepared{std::move(input), output, profile->name(), profile->audio()});
}

void Encoder::start() {
    if (run_)
        throw Error(kErrBusy, QCoreApplication::translate("Encoder",
                                                          "The encoder is still busy with a run."));
    if (!prepared_)
        throw Error(kErrNotPrepared,
                    QCoreApplication::translate("Encoder", "The encoder has not been prepared."));
    const std::unique_ptr<Prepared> prepared = std::move(prepared_);

    runSource_ = prepared->input.path;
    runOutput_ = prepared->output;
    runProfile_ = prepared->profileName;
    outcome_ = RunOutcome::None;
    lastError_.clear();
    lastPriorityNote_.clear();
    runPriority_ = priority_;
    lastElapsedMs_ = 0;
    runClock_.start();

    postState(RunState::Starting);
    TranscodeJob job;
    job.input = prepared->input.path;
    job.demuxer = prepared->input.demuxer;
    job.output = prepared->output;
    job.audio = prepared->audio;
    job.encoderThreads = EncoderThreadCount();
    job.priority = priority_;
    EncodeRun::Callbacks callbacks;
    callbacks.running = [this] { postState(RunState::Running); };
    callbacks.finished = [this](RunOutcome outcome, const QString& error) {
        postFinished(outcome, error);
    };
    callbacks.finishing = finishingStep_;
    run_ = std::make_unique<EncodeRun>(std::move(job), std::move(callbacks));
}

void Encoder::stop() {
    if (!run_)
        return;
    run_->requestStop();
    postState(RunState::Stopping);
}

QString Encoder::progressText() const {
    if (!run_)
        return {};
    return QStringLiteral("%1%").arg(run_->percent());
}

double Encoder::progress() const {
    return run_ ? run_->percent() / 100.0 : 0.0;
}

qint64 Encoder::elapsedMs() const {
    return run_ ? runClock_.elapsed() : lastElapsedMs_;
}

void Encoder::postState(RunState state) {
    const std::lock_guard lock(postMutex_);
    // A run moves forward only: no "running" once it is stopping, one "stopping" at most,
    // nothing after the end.
    if (state == RunState::Running && postedState_ != RunState::Starting)
        return;
    if (state == RunState::Stopping &&
        (postedState_ == RunState::Stopping || postedState_ == RunState::Stopped))
        return;
    postedState_ = state;
    notices_.push_back(Notice{state, RunOutcome::None, {}});
    QMetaObject::invokeMethod(this, &Encoder::deliverNotices, Qt::QueuedConnection);
}

void Encoder::postFinished(RunOutcome outcome, const QString& error) {
    const std::lock_guard lock(postMutex_);
    postedState_ = RunState::Stopped;
    notices_.push_back(Notice{RunState::Stopped, outcome, error});
    QMetaObject::invokeMethod(this, &Encoder::deliverNotices, Qt::QueuedConnection);
}

void Encoder::deliverNotices() {
    if (delivering_)
        return;
    delivering_ = true;
    // A handler may delete the encoder (after the ended state); nothing of it is touched then.
    const QPointer<Encoder> alive(this);
    for (;;) {
        Notice notice;
        {
            const std::lock_guard lock(postMutex_);
            if (notices_.empty())
                break;
            notice = std::move(notices_.front());
            notices_.pop_front();
        }
        if (notice.state == RunState::Stopped)
            onRunFinished(notice.outcome, notice.error);
        else
            deliverState(notice.state);
        if (!alive)
            return;
    }
    delivering_ = false;
}

void Encoder::deliverState(RunState state) {
    state_ = state;
    Q_EMIT stateChanged(static_cast<int32_t>(state));
}

void Encoder::onRunFinished(RunOutcome outcome, const QString& error) {
    // The run's thread has queued its last call, so this join is immediate; a handler of the
    // notification may start the next run.
    if (run_) {
        run_->join();
        lastPriorityNote_ = PriorityNote(runPriority_, run_->priority());
    }
    run_.reset();
    lastElapsedMs_ = runClock_.isValid() ? runClock_.elapsed() : 0;
    outcome_ = outcome;
    lastError_ = error;
    deliverState(RunState::Stopped);
}

}  // namespace sw::enc
