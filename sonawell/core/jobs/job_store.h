#pragma once

#include "core/jobs/job.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>

#include <functional>
#include <set>
#include <vector>

// The jobs, in list order: the only record of them. Rows are numbered from 1, as the engine
// counts jobs. Every change is signalled, so views and the engine can follow along.
class JobStore : public QObject {
    Q_OBJECT
public:
    // The path an output is reached by (resolvedPath); tests count the look-ups through it.
    using PathResolver = std::function<QString(const QString&)>;

    explicit JobStore(QObject* parent = nullptr);
    explicit JobStore(PathResolver resolve, QObject* parent = nullptr);

    int count() const { return static_cast<int>(jobs_.size()); }
    const std::vector<Job>& jobs() const { return jobs_; }
    // Row 1..count(); throws std::out_of_range otherwise.
    const Job& at(int row) const { return jobs_.at(static_cast<size_t>(row - 1)); }

    // A waiting job at the end of the list; the source's size is taken now. An output that is
    // already the output of a job in the list that may still write it, or a file a job of this
    // run wrote that is still there, is renamed to the next free name ("song (2).wma"), so no
    // job replaces another's. Each output is resolved once, so adding costs the same however
    // long the list is.
    void add(const QString& source, const QString& output, const QString& profile);
    void remove(int row) { removeRange(row, row); }
    // Rows first..last, in one change however many they are.
    void removeRange(int first, int last);
    // Row `from` becomes row `to`; the rows between close up.
    void move(int from, int to);

    void setProgress(int row, const QString& text);
    void setState(int row, JobState state, const QString& failureReason = {});
    // Takes the size of the row's output file as it is now.
    void measureOutput(int row);

Q_SIGNALS:
    void aboutToAdd(int row);
    void added(int row);
    void aboutToRemove(int first, int last);
    void removed(int first, int last);
    void aboutToMove(int from, int to);
    void moved(int from, int to);
    void changed(int row);

private:
    // The name a row's output holds, resolved when the row was added.
    struct Claim {
        QString resolved;
        // The resolved name asked for and the number given, when the output was renamed.
        QString asked;
        int number = 0;
        // A job whose output is its own source fails without writing anything.
        bool ownSource = false;
        bool holds = false;
    };

    Job* find(int row);
    bool outputTaken(const QString& resolved) const;
    QString freeOutput(const QString& output, Claim& claim);
    // Holds or releases the claim's name as its job's state asks.
    void updateHold(Claim& claim, JobState state);

    PathResolver resolve_;
    std::vector<Job> jobs_;
    std::vector<Claim> claims_;
    // Resolved outputs of jobs that may still write them, with how many jobs hold each.
    QHash<QString, int> held_;
    // Resolved paths of the outputs jobs of this run have written, removed rows' too.
    QSet<QString> written_;
    // The numbers handed out for one name asked for, so a thousand jobs asking for one name
    // don't try every number below theirs.
    struct Numbering {
        // Every number from here up is untried.
        int next = 2;
        // Numbers below `next` that failed or removed jobs gave back.
        std::set<int> returned;
    };
    QHash<QString, Numbering> numbering_;
};
