#pragma once

#include "encoder/error.h"
#include "encoder/profiles.h"
#include "encoder/thread_priority.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace sw::enc {

enum class RunState { Starting, Running, Stopping, Stopped };

enum class RunOutcome { None, Completed, Stopped, Failed };

// One encode: an MP3, MP2 or WAVE source to a WMA output with one of the encoder's profiles.
struct EncodeRequest {
    QString source;
    QString output;
    QString profile;  // a profile's name
    // Called with a name of the complete output just before it is put at its name, on the
    // run's thread (to tag it), so the output name never holds the file without what it adds.
    std::function<void(const QString& path)> finishing;
};

class EncodeRun;

// The media encoder. Each run goes on in worker threads; its states, progress and end are
// signalled on the thread that owns the encoder (the UI thread), in order, and never from
// inside a call of one of the encoder's own methods.
class Encoder : public QObject {
    Q_OBJECT
public:
    explicit Encoder(QObject* parent = nullptr);
    ~Encoder() override;  // stops a run under way and waits for its threads

    const ProfileCollection& profiles() const { return profiles_; }

    // Checks the request and starts its run, returning at once. Throws sw::Error: Busy while a
    // run is under way; a source refusal (IsSourceRefusal) for a source that is not a
    // readable, non-empty regular file or whose content the encoder does not read; NoOutput
    // for a missing output name or one that is the source; NoProfile for an unknown profile.
    void start(const EncodeRequest& request);
    // Asks a run under way to end and returns at once; finished() follows.
    void stop();

    // A run is under way: from start() until its Stopped state has been signalled.
    bool isRunning() const { return run_ != nullptr; }
    // The state as last signalled, so a handler reads the state it was given.
    RunState runState() const { return state_; }
    // The current or last run's request.
    const EncodeRequest& request() const { return request_; }
    // The share of the source encoded, as last signalled; 0 before a run's first progress.
    double progress() const { return progress_; }
    RunOutcome lastOutcome() const { return outcome_; }
    // Why the last run failed; for a completed run from a damaged source, SourceDamaged and
    // how much decoded; else no error.
    const Error& lastError() const { return lastError_; }

    // The CPU priority of the conversion threads of the runs started from now on; the calling
    // (UI) thread keeps its own.
    void setCpuPriority(CpuPriority level) { priority_ = level; }
    CpuPriority cpuPriority() const { return priority_; }
    // Says so when the last run's threads could not get the priority asked for; else empty.
    QString lastPriorityNote() const { return lastPriorityNote_; }

Q_SIGNALS:
    void stateChanged(sw::enc::RunState state);
    // The share of the source's duration encoded, 0..1, whenever it has moved.
    void progressChanged(double fraction);
    // Follows the Stopped state; a handler may start the next run or delete the encoder.
    void finished(sw::enc::RunOutcome outcome, const sw::Error& error);

private:
    struct Notice {
        RunState state = RunState::Stopped;
        RunOutcome outcome = RunOutcome::None;  // for the Stopped state
        Error error;
    };

    // Queues a notice; called from the encoder's thread and the run's threads.
    void post(Notice notice);
    // Delivers the queued notices in order; a call from inside a handler that lets events run
    // returns at once and the outer call delivers the rest.
    void deliverNotices();
    // False when a handler deleted the encoder.
    bool deliver(const Notice& notice);
    void pollProgress();

    ProfileCollection profiles_;
    EncodeRequest request_;
    RunState state_ = RunState::Stopped;
    RunOutcome outcome_ = RunOutcome::None;
    Error lastError_;
    double progress_ = 0;
    CpuPriority priority_ = CpuPriority::Normal;
    CpuPriority runPriority_ = CpuPriority::Normal;  // what the current or last run asked for
    QString lastPriorityNote_;
    QTimer poll_;
    std::unique_ptr<EncodeRun> run_;
    std::mutex postMutex_;
    RunState postedState_ = RunState::Stopped;  // the last state queued; guarded by postMutex_
    std::deque<Notice> notices_;                // guarded by postMutex_
    bool delivering_ = false;
};

}  // namespace sw::enc

Q_DECLARE_METATYPE(sw::enc::RunState)
Q_DECLARE_METATYPE(sw::enc::RunOutcome)
