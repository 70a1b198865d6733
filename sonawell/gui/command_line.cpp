#include "gui/command_line.h"

#include "common/bus_names.h"
#include "common/file_uri.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFileInfo>
#include <QStringDecoder>

#include <optional>
#include <string>
#include <string_view>

namespace {

// A running instance answers at once; one that hangs must not keep a file manager's
// "Open With" waiting, so the caller then converts the files itself.
constexpr int kHandOverTimeoutMs = 3000;

QString fileFromArgument(const QString& argument) {
    if (!argument.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
        // The running instance has another working folder.
        return QFileInfo(argument).absoluteFilePath();
    }
    const std::optional<std::string> path = sw::uri::localPathFromFileUri(argument.toStdString());
    if (!path) {
        return argument;
    }
    // A name that is not UTF-8 would lose its bytes as a QString; the URI keeps them.
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString decoded =
        utf8(QByteArrayView(path->data(), static_cast<qsizetype>(path->size())));
    return utf8.hasError() ? argument : decoded;
}

}  // namespace

QStringList filesFromCommandLine(const QCoreApplication& app) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QCoreApplication::translate(
        "CommandLine",
        "Converts audio files (MP3, FLAC, Ogg, Opus, M4A, AIFF, WAVE and more) to WMA, and WMA "
        "to WAVE or FLAC. A folder is converted with everything below it."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(
        QCoreApplication::translate("CommandLine", "files"),
        QCoreApplication::translate(
            "CommandLine",
            "Files to convert with the Quick Convert settings (paths or file:// URIs)."),
        QCoreApplication::translate("CommandLine", "[FILE...]"));
    parser.process(app);
    QStringList files;
    for (const QString& argument : parser.positionalArguments()) {
        files.append(fileFromArgument(argument));
    }
    return files;
}

bool asksForHelpOrVersion(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--") {
            return false;
        }
        for (const std::string_view option :
             {"-h", "-?", "--help", "--help-all", "-v", "--version"}) {
            if (argument == option) {
                return true;
            }
        }
    }
    return false;
}

QStringList handOverToRunningInstance(const QStringList& files) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QString service = QLatin1String(sw::bus::kServiceName);
    // Asking the name's owner, not the bus, so the bus does not start a second program.
    if (files.isEmpty() || !bus.isConnected() ||
        !bus.interface()->isServiceRegistered(service).value()) {
        return files;
    }
    QStringList left;
    for (const QString& file : files) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            service, QLatin1String(sw::bus::kObjectPath), QLatin1String(sw::bus::kInterface),
            QLatin1String(sw::bus::kAddJobs));
        call << file;
        call.setAutoStartService(false);
        const QDBusMessage reply =
            left.isEmpty() ? bus.call(call, QDBus::Block, kHandOverTimeoutMs) : QDBusMessage();
        if (reply.type() != QDBusMessage::ReplyMessage) {
            left.append(file);
        }
    }
    return left;
}
