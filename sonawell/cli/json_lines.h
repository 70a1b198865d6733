#pragma once

#include "cli/batch_listener.h"

#include <QJsonObject>

#include <cstdio>

// One JSON object a line for scripts: "started", "progress", then "done", "damaged", "failed",
// "skipped" or "stopped" (with a "reason" where there is one) for each job, "planned" for each
// job of a dry run, and a last "summary". Each line is flushed as it is written.
class JsonLines : public BatchListener {
public:
    explicit JsonLines(std::FILE* out) : out_(out) {}

    void started(const PlannedJob& job) override;
    void progressed(const PlannedJob& job, double fraction) override;
    void ended(const PlannedJob& job) override;
    void finished(const BatchSummary& summary, const std::vector<PlannedJob>& jobs) override;
    void planned(const PlannedJob& job);

private:
    void write(const QJsonObject& object);

    std::FILE* out_;
};
