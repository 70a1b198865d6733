// sonawell-convert: the converter's engine, settings and table of formats from a terminal, a
// script or a server, with no display and no session bus.

#include "cli/batch_plan.h"
#include "cli/batch_run.h"
#include "cli/byte_path.h"
#include "cli/cli_options.h"
#include "cli/interrupt_signal.h"
#include "cli/json_lines.h"
#include "cli/profile_choice.h"
#include "cli/source_list.h"
#include "cli/terminal_prompt.h"
#include "cli/terminal_report.h"
#include "core/settings/app_settings.h"
#include "core/settings/cpu_priority.h"
#include "encoder/encoder.h"

#include <QCoreApplication>
#include <QDir>
#include <QLocale>
#include <QTranslator>

#include <unistd.h>

#include <cstdio>

namespace {

enum ExitStatus { kAllDone = 0, kSomeFailed = 1, kBadUsage = 2 };

QString tr(const char* text) {
    return QCoreApplication::translate("CommandLine", text);
}

void printTo(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fflush(stream);
}

int badUsage(const QString& error) {
    printTo(stderr, QStringLiteral("sonawell-convert: %1\n").arg(error) +
                        tr("Try \"sonawell-convert --help\".") + QLatin1Char('\n'));
    return kBadUsage;
}

void installTranslations(QCoreApplication& app) {
    auto* translator = new QTranslator(&app);
    if (translator->load(QLocale(), QStringLiteral("sonawell"), QStringLiteral("_"),
                         QDir(programFolder()).filePath(QStringLiteral("translations")))) {
        QCoreApplication::installTranslator(translator);
    }
}

// The window's defaults: Quick Convert's profile (the one files handed to it get), else the
// general one; Quick Convert's target folder, folder structure and WMA output; overwriting as
// OverwriteExist says, where "ask" needs someone to answer.
PlanSettings planSettings(const CliOptions& options, const AppSettingsRecord& settings,
                          const QString& profile, bool canAsk) {
    PlanSettings plan;
    plan.wmaProfile = profile;
    plan.outputDir = options.outputDir;
    if (plan.outputDir.isEmpty() && !settings.sameTargetDir && !settings.targetDir.isEmpty()) {
        plan.outputDir = QFile::encodeName(settings.targetDir);
    }
    plan.keepFolders = options.keepFolders.value_or(settings.keepFolders);
    plan.wmaTo = options.wmaTo.value_or(settings.wmaToFlac ? sw::formats::Output::Flac
                                                           : sw::formats::Output::Wave);
    plan.ifExists = options.ifExists.value_or(
        settings.overwriteExist ? IfExists::Replace : (canAsk ? IfExists::Ask : IfExists::Skip));
    return plan;
}

int dryRun(const std::vector<PlannedJob>& jobs, bool json) {
    JsonLines lines(stdout);
    bool failed = false;
    for (const PlannedJob& job : jobs) {
        failed = failed || job.state == JobState::Failed;
        if (json) {
            lines.planned(job);
        } else if (job.state == JobState::Waiting) {
            printTo(stdout,
                    QStringLiteral("%1 -> %2\n").arg(pathText(job.source), pathText(job.output)));
        } else {
            printTo(job.state == JobState::Failed ? stderr : stdout,
                    QStringLiteral("%1: %2\n").arg(pathText(job.source), job.reason));
        }
    }
    return failed ? kSomeFailed : kAllDone;
}

}  // namespace

int main(int argc, char* argv[]) {
    QList<QByteArray> arguments;
    for (int i = 0; i < argc; ++i) {
        arguments.append(QByteArray(argv[i]));
    }
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("sonawell-convert"));
    QCoreApplication::setApplicationVersion(QStringLiteral(SONAWELL_VERSION));
    installTranslations(app);

    const QStringList profiles = sw::enc::ProfileCollection().names();
    const CommandLine line = parseCommandLine(arguments);
    switch (line.action) {
        case CommandLine::Action::Help:
            printTo(stdout, helpText() + QLatin1Char('\n') + tr("Profiles:") + QLatin1Char('\n') +
                                profileListText(profiles));
            return kAllDone;
        case CommandLine::Action::Version:
            printTo(stdout,
                    QStringLiteral("sonawell-convert %1\n").arg(QStringLiteral(SONAWELL_VERSION)));
            return kAllDone;
        case CommandLine::Action::BadUsage:
            return badUsage(line.error);
        case CommandLine::Action::Run:
            break;
    }
    const CliOptions& options = line.options;

    const AppSettingsRecord settings = readSettings(settingsPathFor(programFolder()));
    QString profile;
    if (!options.profile.isEmpty()) {
        const std::optional<QString> named = profileNamed(options.profile, profiles);
        if (!named) {
            return badUsage(tr("There is no profile \"%1\"; the profiles are:\n%2")
                                .arg(options.profile, profileListText(profiles)));
        }
        profile = *named;
    } else {
        profile =
            !settings.quickProfile.isEmpty() ? settings.quickProfile : settings.generalProfile;
    }

    TerminalPrompt prompt;
    if (options.ifExists == IfExists::Ask && !prompt.available()) {
        return badUsage(tr("--if-exists ask needs a terminal to ask on."));
    }
    const PlanSettings plan = planSettings(options, settings, profile, prompt.available());
    const std::vector<SourceEntry> entries = expandSources(options.sources, stdin);
    std::vector<PlannedJob> jobs = planBatch(entries, plan, options.dryRun ? nullptr : &prompt);
    if (profile.isEmpty() && std::any_of(jobs.begin(), jobs.end(), [](const PlannedJob& job) {
            return job.state == JobState::Waiting && job.becomes == sw::formats::Output::Wma;
        })) {
        return badUsage(tr("No profile is chosen in Sonawell.ini; give one with --profile:\n%1")
                            .arg(profileListText(profiles)));
    }
    if (options.dryRun) {
        return dryRun(jobs, options.json);
    }

    int64_t totalBytes = 0;
    for (const PlannedJob& job : jobs) {
        totalBytes += job.sourceBytes;
    }
    TerminalReport::Show show;
    show.bar = !options.quiet && !options.json && ::isatty(STDERR_FILENO) != 0;
    show.summary = !options.quiet && !options.json;
    TerminalReport terminal(stderr, show, static_cast<int>(jobs.size()), totalBytes);
    JsonLines json(stdout);
    std::vector<BatchListener*> listeners{&terminal};
    if (options.json) {
        listeners.push_back(&json);
    }
    ListenerFanOut listener(listeners);

    RunSettings run;
    run.jobs = options.jobs;
    run.deleteSource = options.deleteSource.value_or(settings.deleteSource);
    run.priority = ConversionPriority(settings.cpuPriority);
    std::unique_ptr<BatchRun> batch;
    try {
        batch = std::make_unique<BatchRun>(std::move(jobs), run, listener);
    } catch (const sw::Error& error) {
        printTo(stderr, QStringLiteral("sonawell-convert: %1\n").arg(error.text()));
        return kSomeFailed;
    }
    InterruptSignal interrupt;
    QObject::connect(&interrupt, &InterruptSignal::interrupted, batch.get(), &BatchRun::interrupt);
    QObject::connect(batch.get(), &BatchRun::finished, &app, [] { QCoreApplication::exit(0); });
    // Started from the loop, so that a batch that ends at once still finds the loop to end.
    QMetaObject::invokeMethod(batch.get(), &BatchRun::start, Qt::QueuedConnection);
    app.exec();

    const BatchSummary& summary = batch->summary();
    if (summary.interrupted) {
        return 128 + interrupt.received();
    }
    return summary.failed > 0 || summary.damaged > 0 ? kSomeFailed : kAllDone;
}
