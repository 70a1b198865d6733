#pragma once

#include "core/jobs/job.h"

#include <QObject>
#include <QStringList>

#include <vector>

// The jobs, in list order: the only record of them. Rows are numbered from 1, as the engine
// counts jobs. Every change is signalled, so views and the engine can follow along.
class JobStore : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    int count() const { return static_cast<int>(jobs_.size()); }
    const std::vector<Job>& jobs() const { return jobs_; }
    // Row 1..count(); throws std::out_of_range otherwise.
    const Job& at(int row) const { return jobs_.at(static_cast<size_t>(row - 1)); }

    // A waiting job at the end of the list; the source's size is taken now. An output that is
    // already the output of a job in the list that has not failed, or a file a job of this run
    // wrote, is renamed to the next free name ("song (2).wma"), so no job replaces another's.
    void add(const QString& source, const QString& output, const QString& profile);
    void remove(int row);

    void setProgress(int row, const QString& text);
    void setState(int row, JobState state, const QString& failureReason = {});
    // Takes the size of the row's output file as it is now.
    void measureOutput(int row);

Q_SIGNALS:
    void aboutToAdd(int row);
    void added(int row);
    void aboutToRemove(int row);
    void removed(int row);
    void changed(int row);

private:
    Job* find(int row);
    bool outputTaken(const QString& resolved) const;
    QString freeOutput(const QString& output) const;

    std::vector<Job> jobs_;
    // Resolved paths of the outputs jobs of this run have written, removed rows' too.
    QStringList written_;
};
