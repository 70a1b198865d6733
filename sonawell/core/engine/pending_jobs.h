#pragma once

#include <QString>
#include <QStringList>

#include <utility>

// Paths handed in by other programs, each exactly as it arrived, until the main window is
// ready to turn them into jobs.
class PendingJobs {
public:
    void add(const QString& path) { paths_.append(path); }
    int count() const { return static_cast<int>(paths_.size()); }
    // Empties the list and returns what it held, so paths handed in meanwhile start a new one.
    QStringList takeAll() { return std::exchange(paths_, {}); }

private:
    QStringList paths_;
};
