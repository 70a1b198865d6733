#pragma once

#include <QString>

#include <deque>
#include <optional>

// Paths handed in by other programs, each exactly as it arrived, until the main window is
// ready to turn them into jobs. Adding only appends, so a bus call is answered at once however
// many paths wait.
class PendingJobs {
public:
    void add(const QString& path) { paths_.push_back(path); }
    int count() const { return static_cast<int>(paths_.size()); }
    // Removes and returns the oldest path; paths handed in meanwhile queue behind the rest.
    std::optional<QString> takeFirst() {
        if (paths_.empty()) {
            return std::nullopt;
        }
        QString path = std::move(paths_.front());
        paths_.pop_front();
        return path;
    }

private:
    std::deque<QString> paths_;
};
