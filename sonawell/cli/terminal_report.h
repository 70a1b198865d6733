#pragma once

#include "cli/batch_listener.h"

#include <QElapsedTimer>
#include <QHash>
#include <QString>

#include <cstdint>
#include <cstdio>

// What people read on standard error: each failure and damaged source as it happens, a
// progress bar (file count, the current file, the time left) when standard error is a
// terminal, and a summary table at the end.
class TerminalReport : public BatchListener {
public:
    struct Show {
        bool bar = false;
        bool summary = true;
    };
    TerminalReport(std::FILE* err, Show show, int jobCount, int64_t totalBytes);

    void started(const PlannedJob& job) override;
    void progressed(const PlannedJob& job, double fraction) override;
    void ended(const PlannedJob& job) override;
    void finished(const BatchSummary& summary, const std::vector<PlannedJob>& jobs) override;

private:
    void drawBar(bool now);
    void clearBar();
    void print(const QString& text);

    std::FILE* err_;
    Show show_;
    int jobCount_;
    int64_t totalBytes_;
    int ended_ = 0;
    // Bytes of the sources that have ended, and how far each running one has come.
    int64_t endedBytes_ = 0;
    struct Running {
        int64_t bytes = 0;
        double fraction = 0;
        QString name;
    };
    QHash<int, Running> running_;
    QString current_;
    QElapsedTimer clock_;
    QElapsedTimer lastDraw_;
    bool barShown_ = false;
};
