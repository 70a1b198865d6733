#include "cli/cli_options.h"

#include <QCoreApplication>

#include <getopt.h>

#include <string_view>
#include <vector>

namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("CommandLine", text);
}

// The outputs --wma-to offers: a new kind of decode is a row here.
struct WmaTarget {
    std::string_view name;
    sw::formats::Output output;
};
constexpr WmaTarget kWmaTargets[] = {{"wav", sw::formats::Output::Wave},
                                     {"flac", sw::formats::Output::Flac}};

enum OptionId {
    kProfile = 256,
    kOutputDir,
    kKeepFolders,
    kNoKeepFolders,
    kWmaTo,
    kIfExists,
    kDeleteSource,
    kNoDeleteSource,
    kJobs,
    kDryRun,
    kJson,
    kQuiet,
    kHelp,
    kVersion,
};

constexpr option kOptions[] = {
    {"profile", required_argument, nullptr, kProfile},
    {"output-dir", required_argument, nullptr, kOutputDir},
    {"keep-folders", no_argument, nullptr, kKeepFolders},
    {"no-keep-folders", no_argument, nullptr, kNoKeepFolders},
    {"wma-to", required_argument, nullptr, kWmaTo},
    {"if-exists", required_argument, nullptr, kIfExists},
    {"delete-source", no_argument, nullptr, kDeleteSource},
    {"no-delete-source", no_argument, nullptr, kNoDeleteSource},
    {"jobs", required_argument, nullptr, kJobs},
    {"dry-run", no_argument, nullptr, kDryRun},
    {"json", no_argument, nullptr, kJson},
    {"quiet", no_argument, nullptr, kQuiet},
    {"help", no_argument, nullptr, kHelp},
    {"version", no_argument, nullptr, kVersion},
    {nullptr, 0, nullptr, 0},
};

std::optional<IfExists> ifExistsFrom(std::string_view value) {
    if (value == "ask") {
        return IfExists::Ask;
    }
    if (value == "replace") {
        return IfExists::Replace;
    }
    if (value == "skip") {
        return IfExists::Skip;
    }
    if (value == "rename") {
        return IfExists::Rename;
    }
    return std::nullopt;
}

CommandLine badUsage(const QString& error) {
    CommandLine line;
    line.action = CommandLine::Action::BadUsage;
    line.error = error;
    return line;
}

}  // namespace

CommandLine parseCommandLine(const QList<QByteArray>& arguments) {
    // getopt_long reorders the vector it is given; the caller's list stays as it is.
    QList<QByteArray> copies = arguments;
    std::vector<char*> argv;
    for (QByteArray& argument : copies) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    const int argc = static_cast<int>(argv.size()) - 1;

    CommandLine line;
    CliOptions& options = line.options;
    optind = 0;  // starts afresh, so the parser can be called more than once
    opterr = 0;  // the messages below say it in the user's language
    for (;;) {
        const int id = getopt_long(argc, argv.data(), ":hj:q", kOptions, nullptr);
        if (id == -1) {
            break;
        }
        const std::string_view value = optarg != nullptr ? optarg : "";
        // The option a message is about: a short one by its letter, a long one as written.
        const QString given = optopt > 0 && optopt < 256
                                  ? QStringLiteral("-") + QLatin1Char(static_cast<char>(optopt))
                                  : QString::fromLocal8Bit(argv[std::max(1, optind - 1)]);
        switch (id) {
            case kProfile:
                options.profile = QString::fromLocal8Bit(optarg);
                break;
            case kOutputDir:
                options.outputDir = QByteArray(optarg);
                if (options.outputDir.isEmpty()) {
                    return badUsage(tr("--output-dir needs a folder."));
                }
                break;
            case kKeepFolders:
            case kNoKeepFolders:
                options.keepFolders = id == kKeepFolders;
                break;
            case kWmaTo: {
                const WmaTarget* found = nullptr;
                for (const WmaTarget& target : kWmaTargets) {
                    if (target.name == value) {
                        found = &target;
                    }
                }
                if (found == nullptr) {
                    QStringList known;
                    for (const WmaTarget& target : kWmaTargets) {
                        known << QString::fromLatin1(target.name.data(),
                                                     static_cast<qsizetype>(target.name.size()));
                    }
                    return badUsage(
                        tr("--wma-to takes %1, not \"%2\".")
                            .arg(known.join(QLatin1String(", ")), QString::fromLocal8Bit(optarg)));
                }
                options.wmaTo = found->output;
                break;
            }
            case kIfExists:
                options.ifExists = ifExistsFrom(value);
                if (!options.ifExists) {
                    return badUsage(tr("--if-exists takes ask, replace, skip or rename, not "
                                       "\"%1\".")
                                        .arg(QString::fromLocal8Bit(optarg)));
                }
                break;
            case kDeleteSource:
            case kNoDeleteSource:
                options.deleteSource = id == kDeleteSource;
                break;
            case 'j':
            case kJobs: {
                bool ok = false;
                options.jobs = QByteArray(optarg).toInt(&ok);
                if (!ok || options.jobs < 1) {
                    return badUsage(tr("--jobs takes a number from 1 up, not \"%1\".")
                                        .arg(QString::fromLocal8Bit(optarg)));
                }
                break;
            }
            case kDryRun:
                options.dryRun = true;
                break;
            case kJson:
                options.json = true;
                break;
            case 'q':
            case kQuiet:
                options.quiet = true;
                break;
            case 'h':
            case kHelp:
                line.action = CommandLine::Action::Help;
                return line;
            case kVersion:
                line.action = CommandLine::Action::Version;
                return line;
            case ':':
                return badUsage(tr("%1 needs a value.").arg(given));
            default:
                return badUsage(tr("Unknown option %1.").arg(given));
        }
    }
    for (int i = optind; i < argc; ++i) {
        options.sources.append(QByteArray(argv[i]));
    }
    if (options.sources.isEmpty()) {
        return badUsage(
            tr("No files given (\"-\" reads NUL-separated names from standard "
               "input)."));
    }
    return line;
}

QString helpText() {
    return tr(
        "Usage: sonawell-convert [OPTION]... FILE|FOLDER|-...\n"
        "Converts MP3, MP2 and WAVE files to WMA and WMA files to WAVE, with the\n"
        "settings of Sonawell.ini where no option is given. Folders are converted\n"
        "with everything in them; \"-\" reads NUL-separated names from standard input\n"
        "(find -print0).\n"
        "\n"
        "  --profile NAME|NUMBER  encoder profile for WMA outputs (its name or its\n"
        "                         number in the list below)\n"
        "  --output-dir DIR       write the outputs into DIR (else beside each source,\n"
        "                         or where the Quick Convert settings say)\n"
        "  --keep-folders         under DIR, mirror the folders given and the folders\n"
        "                         of relative names (the default)\n"
        "  --no-keep-folders      put every output straight into DIR\n"
        "  --wma-to FORMAT        what WMA sources become: wav or flac (else as the\n"
        "                         Quick Convert settings say)\n"
        "  --if-exists WHAT       an output that exists: ask (on a terminal only),\n"
        "                         replace, skip or rename (\"name (2).wma\")\n"
        "  --delete-source        delete each source once it is converted without fault\n"
        "  --no-delete-source     keep the sources\n"
        "  -j, --jobs N           conversions at once (default: every usable core for\n"
        "                         decodes and sources under a minute, one at a time\n"
        "                         for longer encodes, which use every core themselves)\n"
        "  --dry-run              print each source and its output; convert nothing\n"
        "  --json                 one JSON object a line on standard output\n"
        "  -q, --quiet            print only errors\n"
        "  -h, --help             show this help\n"
        "      --version          show the version\n"
        "\n"
        "Exit status: 0 all done, 1 some failed or were damaged, 2 bad usage,\n"
        "130 interrupted.\n");
}
