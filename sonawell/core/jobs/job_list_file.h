#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <vector>

class JobStore;

// "$XDG_STATE_HOME/Sonawell/jobs.json" (default ~/.local/state).
QString jobListPath();

// A job kept for the next start: what it converts, to which name, with which profile.
struct KeptJob {
    QString source;
    QString output;
    QString profile;
    bool operator==(const KeptJob&) const = default;
};

// The jobs of the list that have not ended (waiting, converting, stopped), kept in a file so
// that a crash, a kill or a logout does not lose them. The file is rewritten whole and
// atomically a moment after the list changes, so a long hand-in costs a few writes; with no
// such job left there is no file.
class JobListFile : public QObject {
    Q_OBJECT
public:
    JobListFile(const JobStore& jobs, QString path, QObject* parent = nullptr);

    // The jobs the file holds, less those whose output has been written since it was (a job
    // that ended in the moment before the program did). Empty when there is no file.
    std::vector<KeptJob> kept() const;
    // From now on the file follows the list; it is written at once.
    void follow();
    // Writes what is pending now (at a clean end).
    void flush();
    const QString& path() const { return path_; }

    static constexpr int kGatherMs = 250;
    // A rewrite waits at least this many times as long as the last one took.
    static constexpr int kWorkShare = 20;

private:
    void write();

    const JobStore& jobs_;
    QString path_;
    QTimer gather_;
    bool following_ = false;
};
