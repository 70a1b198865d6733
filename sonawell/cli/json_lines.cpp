#include "cli/json_lines.h"

#include "cli/batch_plan.h"
#include "cli/byte_path.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace {

// A name that is not text is given as text for people and, exactly, in base64.
void addPath(QJsonObject& object, const QString& key, const QByteArray& path) {
    object.insert(key, pathText(path));
    if (!isExactText(path)) {
        object.insert(key + QStringLiteral("_base64"), QString::fromLatin1(path.toBase64()));
    }
}

QJsonObject jobObject(const char* event, const PlannedJob& job) {
    QJsonObject object;
    object.insert(QStringLiteral("event"), QLatin1String(event));
    object.insert(QStringLiteral("index"), job.index);
    addPath(object, QStringLiteral("source"), job.source);
    if (!job.output.isEmpty()) {
        addPath(object, QStringLiteral("output"), job.output);
    }
    return object;
}

const char* endName(JobState state) {
    switch (state) {
        case JobState::Done:
            return "done";
        case JobState::DoneDamaged:
            return "damaged";
        case JobState::Failed:
            return "failed";
        case JobState::Skipped:
            return "skipped";
        case JobState::Waiting:
        case JobState::Converting:
        case JobState::Stopped:
            break;
    }
    return "stopped";
}

}  // namespace

void JsonLines::started(const PlannedJob& job) {
    write(jobObject("started", job));
}

void JsonLines::progressed(const PlannedJob& job, double fraction) {
    QJsonObject object;
    object.insert(QStringLiteral("event"), QStringLiteral("progress"));
    object.insert(QStringLiteral("index"), job.index);
    object.insert(QStringLiteral("fraction"), std::round(fraction * 1000) / 1000);
    write(object);
}

void JsonLines::ended(const PlannedJob& job) {
    QJsonObject object = jobObject(endName(job.state), job);
    if (!job.reason.isEmpty()) {
        object.insert(QStringLiteral("reason"), job.reason);
    }
    write(object);
}

void JsonLines::planned(const PlannedJob& job) {
    if (job.state != JobState::Waiting) {
        ended(job);
        return;
    }
    write(jobObject("planned", job));
}

void JsonLines::finished(const BatchSummary& summary, const std::vector<PlannedJob>&) {
    QJsonObject object;
    object.insert(QStringLiteral("event"), QStringLiteral("summary"));
    object.insert(QStringLiteral("done"), summary.done);
    object.insert(QStringLiteral("damaged"), summary.damaged);
    object.insert(QStringLiteral("skipped"), summary.skipped);
    object.insert(QStringLiteral("failed"), summary.failed);
    object.insert(QStringLiteral("undone"), summary.undone);
    object.insert(QStringLiteral("interrupted"), summary.interrupted);
    write(object);
}

void JsonLines::write(const QJsonObject& object) {
    const QByteArray line = QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), out_);
    std::fflush(out_);
}
