#include "core/jobs/job_list_file.h"

#include "common/kill_point.h"
#include "core/jobs/job_store.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QScopeGuard>

#include <algorithm>

namespace {

const QString kSource = QStringLiteral("source");
const QString kOutput = QStringLiteral("output");
const QString kProfile = QStringLiteral("profile");
const QString kJobs = QStringLiteral("jobs");

bool unfinished(JobState state) {
    return state == JobState::Waiting || state == JobState::Converting ||
           state == JobState::Stopped;
}

}  // namespace

QString jobListPath() {
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    // A relative XDG_STATE_HOME counts as unset, as for every XDG base folder.
    if (state.isEmpty() || QDir::isRelativePath(state)) {
        state = QDir::homePath() + QStringLiteral("/.local/state");
    }
    return state + QStringLiteral("/Sonawell/jobs.json");
}

JobListFile::JobListFile(const JobStore& jobs, QString path, QObject* parent)
    : QObject(parent), jobs_(jobs), path_(std::move(path)) {
    gather_.setSingleShot(true);
    gather_.setInterval(kGatherMs);
    connect(&gather_, &QTimer::timeout, this, &JobListFile::write);
}

std::vector<KeptJob> JobListFile::kept() const {
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QDateTime written = QFileInfo(file).lastModified();
    const QJsonArray list = QJsonDocument::fromJson(file.readAll()).object().value(kJobs).toArray();
    std::vector<KeptJob> jobs;
    for (const QJsonValue& value : list) {
        const QJsonObject object = value.toObject();
        KeptJob job{object.value(kSource).toString(), object.value(kOutput).toString(),
                    object.value(kProfile).toString()};
        if (job.source.isEmpty()) {
            continue;
        }
        // Outputs appear under their name only once written whole: one newer than the file
        // is this job's own, finished after the file's last rewrite.
        const QFileInfo output(job.output);
        if (output.exists() && output.lastModified() >= written) {
            continue;
        }
        jobs.push_back(std::move(job));
    }
    return jobs;
}

void JobListFile::follow() {
    if (!following_) {
        following_ = true;
        const auto later = [this] {
            if (!gather_.isActive()) {
                gather_.start();
            }
        };
        connect(&jobs_, &JobStore::added, this, later);
        connect(&jobs_, &JobStore::removed, this, later);
        connect(&jobs_, &JobStore::moved, this, later);
        // Progress changes the row too, but not what is kept: only a change of state counts.
        connect(&jobs_, &JobStore::changed, this, [this, later](int row) {
            if (!unfinished(jobs_.at(row).state)) {
                later();
            }
        });
    }
    write();
}

void JobListFile::flush() {
    if (following_) {
        gather_.stop();
        write();
    }
}

void JobListFile::write() {
    QElapsedTimer took;
    took.start();
    // A long list is rewritten less often, so that keeping it never takes more than a small
    // share of the UI thread's time.
    const auto spacing = qScopeGuard([this, &took] {
        gather_.setInterval(
            static_cast<int>(std::max<qint64>(kGatherMs, kWorkShare * took.elapsed())));
    });
    QJsonArray list;
    for (const Job& job : jobs_.jobs()) {
        if (unfinished(job.state)) {
            list.append(
                QJsonObject{{kSource, job.source}, {kOutput, job.output}, {kProfile, job.profile}});
        }
    }
    if (list.isEmpty()) {
        QFile::remove(path_);
        return;
    }
    QDir().mkpath(QFileInfo(path_).absolutePath());
    QSaveFile file(path_);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(QJsonDocument(QJsonObject{{kJobs, list}}).toJson(QJsonDocument::Compact));
        sw::killPoint("job-list-save");
        file.commit();
    }
}
