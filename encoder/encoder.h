#pragma once

#include "encoder/error.h"
#include "encoder/thread_priority.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace sw::enc {

// Error numbers the encoder raises.
inline constexpr uint32_t kErrFormatNotAccepted = 0xC00D0026;  // input refused by its demuxer
inline constexpr uint32_t kErrNoOutput = 0xC00D0027;
inline constexpr uint32_t kErrNoProfile = 0xC00D0028;
inline constexpr uint32_t kErrProfileNotAudio = 0xC00D0029;
inline constexpr uint32_t kErrNotPrepared = 0xC00D002A;
inline constexpr uint32_t kErrBusy = 0xC00D002B;
inline constexpr uint32_t kErrNoSource = 0xC00D002C;
inline constexpr uint32_t kErrIndex = 0x8002000B;  // index out of range
// The source itself can't be read, whatever its format.
inline constexpr uint32_t kErrSourceMissing = 0xC00D002D;
inline constexpr uint32_t kErrSourceNotFile = 0xC00D002E;  // a folder, FIFO or device
inline constexpr uint32_t kErrSourceEmpty = 0xC00D002F;
inline constexpr uint32_t kErrSourceUnreadable = 0xC00D0030;

enum class MediaKind : int32_t { Audio = 1, Video = 2, Script = 4 };

// The values are those of the state-change notification.
enum class RunState : int32_t { Starting = 1, Running = 2, Stopping = 4, Stopped = 5 };

enum class RunOutcome { None, Completed, Stopped, Failed };

class Profile {
public:
    struct AudioSettings {
        int bitRate = 0;     // bits per second
        int sampleRate = 0;  // Hz
        int channels = 0;
    };
    Profile(QString name, std::vector<MediaKind> streams, AudioSettings audio)
        : name_(std::move(name)), streams_(std::move(streams)), audio_(audio) {}

    const QString& name() const { return name_; }
    int streamCount(MediaKind kind) const;
    const AudioSettings& audio() const { return audio_; }

private:
    QString name_;
    std::vector<MediaKind> streams_;
    AudioSettings audio_;
};

// True for a profile the user may pick: at least one audio stream and none of the other kinds.
bool IsAudioOnlyProfile(const Profile& profile);

class ProfileCollection {
public:
    ProfileCollection();
    int count() const { return static_cast<int>(profiles_.size()); }
    const Profile& item(int index) const;  // 0-based; throws sw::Error out of range

    // Names of the audio-only profiles, in collection order.
    QStringList audioProfileNames() const;

    // A profile's name as the user reads it, in their language. The name itself stays the
    // profile's key: settings and job records hold it untranslated.
    static QString displayName(const QString& name);

private:
    std::vector<Profile> profiles_;
};

class Source {
public:
    explicit Source(MediaKind kind) : kind_(kind) {}
    MediaKind kind() const { return kind_; }
    void setInput(const QString& path, const QString& scheme = {}, const QString& info = {});
    const QString& input() const { return input_; }

private:
    MediaKind kind_;
    QString input_;
};

class SourceGroup {
public:
    explicit SourceGroup(QString name) : name_(std::move(name)) {}
    const QString& name() const { return name_; }
    Source& addSource(MediaKind kind);
    int sourceCount() const { return static_cast<int>(sources_.size()); }
    Source& source(int index);
    // nullptr clears the profile; the profile must belong to the encoder's collection.
    void setProfile(const Profile* profile) { profile_ = profile; }
    const Profile* profile() const { return profile_; }

private:
    QString name_;
    std::vector<std::unique_ptr<Source>> sources_;
    const Profile* profile_ = nullptr;
};

class SourceGroupCollection {
public:
    int count() const { return static_cast<int>(groups_.size()); }
    SourceGroup& item(int index);  // 0-based; throws sw::Error out of range
    void remove(int index);        // 0-based; throws sw::Error out of range
    SourceGroup& add(const QString& name);

private:
    std::vector<std::unique_ptr<SourceGroup>> groups_;
};

class OutputFile {
public:
    void setLocalFileName(const QString& path) { localFileName_ = path; }
    const QString& localFileName() const { return localFileName_; }

private:
    QString localFileName_;
};

class EncodeRun;

// The media encoder. Each run goes on in a worker thread; state changes are notified on the
// thread that owns the encoder (the UI thread), in order, and never from inside a call of one
// of the encoder's own methods.
class Encoder : public QObject {
    Q_OBJECT
public:
    explicit Encoder(QObject* parent = nullptr);
    ~Encoder() override;  // stops a run under way and waits for its thread

    SourceGroupCollection& sourceGroups() { return groups_; }
    OutputFile& file() { return file_; }
    const ProfileCollection& profiles() const { return profiles_; }

    // Checks the first source group's input, profile and output; throws sw::Error.
    void prepareToEncode(bool prepare);
    // Starts the prepared run and returns at once; throws sw::Error when not prepared or busy.
    void start();
    // Asks a run under way to end and returns at once.
    void stop();
    // The state as last notified: a run's states are seen here when their notification is
    // delivered, so a handler of stateChanged() reads the state it was given.
    RunState runState() const { return state_; }

    RunOutcome lastOutcome() const { return outcome_; }
    QString lastError() const { return lastError_; }
    // The CPU priority of the conversion threads of the runs started from now on; the calling
    // (UI) thread keeps its own.
    void setCpuPriority(CpuPriority level) { priority_ = level; }
    CpuPriority cpuPriority() const { return priority_; }
    // Says so when the last run's threads could not get the priority asked for; else empty.
    QString lastPriorityNote() const { return lastPriorityNote_; }

    // Share of the source encoded in the current run, "37%"; empty when no run is under way.
    QString progressText() const;
    // The same share, 0..1; 0 when no run is under way.
    double progress() const;

    // Called by the runs started from now on with a name of their complete output just before
    // it is put at its name, on the run's thread (e.g. to tag it), so the output name never
    // holds the file without what it adds. Empty: nothing is done.
    void setFinishingStep(std::function<void(const QString& path)> step) {
        finishingStep_ = std::move(step);
    }

    // What the monitoring page shows of the current (or last) run.
    QString runSource() const { return runSource_; }
    QString runOutput() const { return runOutput_; }
    QString runProfile() const { return runProfile_; }
    qint64 elapsedMs() const;

Q_SIGNALS:
    void stateChanged(int32_t state);

private:
    // Queues a state notification; called from the encoder's thread and the run's thread.
    void postState(RunState state);
    void postFinished(RunOutcome outcome, const QString& error);
    // Delivers the queued notifications in order; a call from inside a handler (one that lets
    // events run) returns at once and the outer call delivers the rest.
    void deliverNotices();
    void deliverState(RunState state);
    void onRunFinished(RunOutcome outcome, const QString& error);

    ProfileCollection profiles_;
    SourceGroupCollection groups_;
    OutputFile file_;
    RunState state_ = RunState::Stopped;
    RunOutcome outcome_ = RunOutcome::None;
    QString lastError_;
    CpuPriority priority_ = CpuPriority::Normal;
    CpuPriority runPriority_ = CpuPriority::Normal;  // what the current or last run asked for
    QString lastPriorityNote_;
    QString runSource_, runOutput_, runProfile_;
    QElapsedTimer runClock_;
    qint64 lastElapsedMs_ = 0;
    std::function<void(const QString&)> finishingStep_;
    std::unique_ptr<EncodeRun> run_;
    struct Prepared;
    std::unique_ptr<Prepared> prepared_;
    struct Notice {
        RunState state = RunState::Stopped;
        RunOutcome outcome = RunOutcome::None;  // for the ended state
        QString error;
    };
    std::mutex postMutex_;
    RunState postedState_ = RunState::Stopped;  // the last state queued; guarded by postMutex_
    std::deque<Notice> notices_;                // guarded by postMutex_
    bool delivering_ = false;
};

}  // namespace sw::enc
