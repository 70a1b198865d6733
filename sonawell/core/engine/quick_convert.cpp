#include "core/engine/quick_convert.h"

#include "common/file_uri.h"
#include "core/engine/app_state.h"
#include "core/engine/error_boundary.h"
#include "core/formats/format_lookup.h"
#include "core/fs/path_text.h"
#include "core/jobs/source_tree.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <optional>
#include <string>

QuickConvert::QuickConvert(PendingJobs& pending, JobStore& jobs, ConversionDriver& driver,
                           const AppSettingsRecord& settings, QObject* parent)
    : QObject(parent), pending_(pending), jobs_(jobs), driver_(driver), settings_(settings) {
    timer_.setInterval(500);
    nextSlice_.setInterval(0);
    nextSlice_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [this] {
        if (mainWindowReady && !nextSlice_.isActive()) {
            flushInSlices();
        }
    });
    connect(&nextSlice_, &QTimer::timeout, this, [this] {
        if (mainWindowReady && timer_.isActive()) {
            flushInSlices();
        }
    });
    timer_.start();
}

void QuickConvert::flushInSlices() {
    if (flushSlice()) {
        nextSlice_.start();
    }
}

void QuickConvert::flushPending(bool allowStart) {
    while (flushSlice(allowStart)) {
    }
}

bool QuickConvert::flushSlice(bool allowStart) {
    // Paths are taken one by one from the front, so a flush nested in a decode's event
    // processing, or one that comes after, goes on in the order they were handed in. The
    // slice's jobs all exist before a conversion starts.
    QElapsedTimer clock;
    clock.start();
    bool added = false;
    for (int n = 0; n < kSlicePaths && !clock.hasExpired(kSliceTime); ++n) {
        const std::optional<QString> path = pending_.takeFirst();
        if (!path) {
            break;
        }
        added = queue(*path) || added;
    }
    if (added) {
        driver_.refreshCommands();
        if (allowStart) {
            startIfAutoStart();
        }
    }
    return pending_.count() > 0;
}

QString QuickConvert::localPath(const QString& handedIn) {
    const std::optional<std::string> path = sw::uri::localPathFromFileUri(handedIn.toStdString());
    return path ? QFile::decodeName(QByteArray::fromStdString(*path)) : handedIn;
}

QString QuickConvert::targetFor(const QString& source, const AppSettingsRecord& settings,
                                QString* profile, const QString& subfolder) {
    const sw::formats::Output decodeTo =
        settings.wmaToFlac ? sw::formats::Output::Flac : sw::formats::Output::Wave;
    const std::optional<DerivedOutput> derived = deriveOutput(source, decodeTo);
    if (!derived) {
        return {};
    }
    *profile = profileFor(derived->output, settings.quickProfile);
    // Without a target folder the output stays beside its source rather than in the root.
    if (!settings.sameTargetDir && !settings.targetDir.isEmpty()) {
        return targetPathFor(settings.targetDir, subfolder, extractFileName(derived->path),
                             settings.keepFolders);
    }
    return derived->path;
}

bool QuickConvert::queue(const QString& handedIn) {
    const QString source = localPath(handedIn);
    if (source.isEmpty()) {
        return false;
    }
    if (QFileInfo(source).isDir()) {
        queueFolder(source);
        return true;
    }
    QString profile;
    const QString target = targetFor(source, settings_, &profile);
    if (target.isEmpty()) {
        addFailed(source, tr("not an audio file: %1").arg(extractFileName(source)));
        return true;
    }
    jobs_.add(source, target, profile);
    return true;
}

void QuickConvert::queueFolder(const QString& folder) {
    const std::vector<TreeSource> found = audioFilesUnder(folder);
    if (found.empty()) {
        addFailed(folder, tr("no audio file in this folder"));
        return;
    }
    for (const TreeSource& file : found) {
        QString profile;
        const QString target = targetFor(file.path, settings_, &profile, file.subfolder);
        // The tree below a target folder is made as the folder is taken up; a job whose own
        // output folder is missing otherwise fails, as it always has.
        QDir().mkpath(QFileInfo(target).absolutePath());
        jobs_.add(file.path, target, profile);
    }
}

void QuickConvert::addFailed(const QString& source, const QString& reason) {
    // No output: the driver passes the row by, keeping its reason.
    jobs_.add(source, QString(), QString());
    jobs_.setState(jobs_.count(), JobState::Failed, reason);
}

bool QuickConvert::addJob(const QString& handedIn, bool allowStart) {
    if (!queue(handedIn)) {
        return false;
    }
    if (allowStart) {
        startIfAutoStart();
    }
    driver_.refreshCommands();
    return true;
}

void QuickConvert::startIfAutoStart() {
    if (settings_.autoStart && driver_.canStart()) {
        // A run that can't be set up is reported; the other handed-in paths still become jobs.
        runGuarded(driver_.prompt(), [this] { driver_.start(); });
    }
}
