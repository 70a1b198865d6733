#include "core/engine/quick_convert.h"

#include "core/engine/app_state.h"
#include "core/engine/error_boundary.h"
#include "core/settings/common.h"

QuickConvert::QuickConvert(PendingJobs& pending, JobStore& jobs, ConversionDriver& driver,
                           const AppSettingsRecord& settings, QObject* parent)
    : QObject(parent), pending_(pending), jobs_(jobs), driver_(driver), settings_(settings) {
    timer_.setInterval(500);
    connect(&timer_, &QTimer::timeout, this, [this] {
        if (bMainReady) {
            FlushPendingJobs();
        }
    });
    timer_.start();
}

void QuickConvert::FlushPendingJobs(bool allowStart) {
    // Taken out first: a flush nested in a decode's event processing, or paths arriving
    // meanwhile, then see only what came after. All become jobs before a conversion starts:
    // a decode lets events run, and a flush nested in it would queue later paths ahead of
    // the rest of these.
    const QStringList paths = pending_.takeAll();
    bool added = false;
    for (const QString& path : paths) {
        added = QuickAddJob(path, false) || added;
    }
    if (added && allowStart) {
        StartIfAutoStart();
    }
}

QString QuickConvert::QuickTarget(const QString& strSource, const AppSettingsRecord& settings,
                                  QString* profile) {
    const int dot = strSource.lastIndexOf(QLatin1Char('.'));
    const QString extension = dot < 0 ? QString() : strSource.mid(dot + 1).toUpper();
    QString newExtension;
    if (extension == QLatin1String("MP3") || extension == QLatin1String("MP2") ||
        extension == QLatin1String("WAV")) {
        newExtension = QStringLiteral("wma");
        *profile = settings.QuickProfile;
    } else if (extension == QLatin1String("WMA")) {
        newExtension = QStringLiteral("wav");
        *profile = kWaveProfile;
    } else {
        return {};
    }
    QString target = strSource.left(dot + 1) + newExtension;
    // Without a target folder the output stays beside its source rather than in the root.
    if (!settings.SameTargetDir && !settings.TargetDir.isEmpty()) {
        QString folder = settings.TargetDir;
        while (folder.size() > 1 &&
               (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\')))) {
            folder.chop(1);
        }
        if (folder == QLatin1String("/")) {
            folder.clear();
        }
        target = folder + QLatin1Char('/') + ExtractFileName(target);
    }
    return target;
}

bool QuickConvert::QuickAddJob(const QString& strSource, bool allowStart) {
    QString profile;
    const QString target = QuickTarget(strSource, settings_, &profile);
    if (target.isEmpty()) {
        return false;
    }
    jobs_.add(strSource, target, profile);
    if (allowStart) {
        StartIfAutoStart();
    }
    driver_.refreshCommands();
    return true;
}

void QuickConvert::StartIfAutoStart() {
    if (settings_.AutoStart && driver_.canStart()) {
        // A run that can't be set up is reported; the other handed-in paths still become jobs.
        RunGuarded(driver_.prompt(), [this] { driver_.start(); });
    }
}
