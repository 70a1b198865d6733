#include "core/settings/app_settings.h"

#include "core/settings/ini_file.h"
#include "core/settings/ini_values.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>

#include <unistd.h>

AppSettingsRecord appSettings;

namespace {

const QString kFileName = QStringLiteral("Sonawell.ini");

// Every section and key of the file, named here and nowhere else.
struct Key {
    QString section;
    QString name;
};
const QString kGeneral = QStringLiteral("General");
const QString kQuickConvert = QStringLiteral("Quick Convert");
const Key kGeneralProfile{kGeneral, QStringLiteral("Profile")};
const Key kCpuPriority{kGeneral, QStringLiteral("CPUPriority")};
const Key kOverwriteExist{kGeneral, QStringLiteral("OverwriteExist")};
const Key kDeleteSource{kGeneral, QStringLiteral("DeleteSource")};
const Key kAutoStart{kGeneral, QStringLiteral("AutoStart")};
const Key kQuickProfile{kQuickConvert, QStringLiteral("Profile")};
const Key kSameTargetDir{kQuickConvert, QStringLiteral("SameTargetDir")};
const Key kTargetDir{kQuickConvert, QStringLiteral("TargetDir")};
const Key kWmaFormat{kQuickConvert, QStringLiteral("WmaFormat")};
const Key kKeepFolders{kQuickConvert, QStringLiteral("KeepFolders")};
const Key kSkipConverted{kGeneral, QStringLiteral("SkipConverted")};
const QString kFlacFormat = QStringLiteral("FLAC");
const QString kWaveFormat = QStringLiteral("WAV");
const QString kWindow = QStringLiteral("Window");
const Key kWindowWidth{kWindow, QStringLiteral("Width")};
const Key kWindowHeight{kWindow, QStringLiteral("Height")};
const Key kColumnWidths{kWindow, QStringLiteral("ColumnWidths")};

QString& programFolderOverride() {
    static QString folder;
    return folder;
}

QString read(const QString& iniPath, const Key& key) {
    return readIniValue(iniPath, key.section, key.name);
}

QString write(const QString& iniPath, const Key& key, const QString& value) {
    return writeIniValue(iniPath, key.section, key.name, value);
}

// Empty or not a number: the key's default. Otherwise true for every number but 0.
bool readFlag(const QString& iniPath, const Key& key, bool defaultValue) {
    const auto number = leadingNumber(read(iniPath, key));
    return number ? *number != 0 : defaultValue;
}

QString writeFlag(const QString& iniPath, const Key& key, bool value) {
    return write(iniPath, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

// The first reason among writes done in order; the later ones are not attempted once one failed,
// since they would fail alike.
template <typename... Writes>
QString firstFailure(Writes&&... writes) {
    QString reason;
    ((reason.isEmpty() ? void(reason = writes()) : void()), ...);
    return reason;
}

bool isWritable(const QString& path) {
    return ::access(QFile::encodeName(path).constData(), W_OK) == 0;
}

bool isWritableFolder(const QString& folder) {
    return !folder.isEmpty() && QFileInfo(folder).isDir() && isWritable(folder);
}

}  // namespace

AppSettingsRecord readSettings(const QString& iniPath) {
    AppSettingsRecord settings;
    settings.iniPath = iniPath;
    settings.quickProfile = read(iniPath, kQuickProfile);
    settings.generalProfile = read(iniPath, kGeneralProfile);
    settings.cpuPriority = leadingNumber(read(iniPath, kCpuPriority)).value_or(0);
    settings.overwriteExist = readFlag(iniPath, kOverwriteExist, true);
    settings.deleteSource = readFlag(iniPath, kDeleteSource, false);
    settings.autoStart = readFlag(iniPath, kAutoStart, true);
    settings.sameTargetDir = readFlag(iniPath, kSameTargetDir, true);
    settings.targetDir = readIniPath(iniPath, kTargetDir.section, kTargetDir.name);
    // Anything but FLAC keeps the WAVE every older file meant.
    settings.wmaToFlac = read(iniPath, kWmaFormat).compare(kFlacFormat, Qt::CaseInsensitive) == 0;
    settings.keepFolders = readFlag(iniPath, kKeepFolders, true);
    settings.skipConverted = readFlag(iniPath, kSkipConverted, false);
    return settings;
}

void loadSettings() {
    appSettings = readSettings(appSettings.iniPath);
}

QString saveSettings(const AppSettingsRecord& settings) {
    const QString& ini = settings.iniPath;
    return firstFailure(
        [&] { return write(ini, kGeneralProfile, settings.generalProfile); },
        [&] { return writeFlag(ini, kDeleteSource, settings.deleteSource); },
        [&] { return writeFlag(ini, kOverwriteExist, settings.overwriteExist); },
        [&] { return writeFlag(ini, kAutoStart, settings.autoStart); },
        [&] { return write(ini, kCpuPriority, QString::number(settings.cpuPriority)); },
        [&] { return write(ini, kQuickProfile, settings.quickProfile); },
        [&] { return writeFlag(ini, kSameTargetDir, settings.sameTargetDir); },
        [&] { return write(ini, kTargetDir, settings.targetDir); },
        [&] { return write(ini, kWmaFormat, settings.wmaToFlac ? kFlacFormat : kWaveFormat); },
        [&] { return writeFlag(ini, kKeepFolders, settings.keepFolders); },
        [&] { return writeFlag(ini, kSkipConverted, settings.skipConverted); });
}

QString saveDefaultProfile(const QString& iniPath, const QString& profile) {
    return firstFailure([&] { return write(iniPath, kGeneralProfile, profile); },
                        [&] { return write(iniPath, kQuickProfile, profile); });
}

QString settingsWriteMessage(const QString& iniPath, const QString& reason) {
    return QCoreApplication::translate("AppSettings",
                                       "The settings could not be saved to \"%1\": %2.")
        .arg(QDir::toNativeSeparators(iniPath), reason);
}

WindowLayout readWindowLayout(const QString& iniPath) {
    WindowLayout layout;
    layout.width = std::max(0, leadingNumber(read(iniPath, kWindowWidth)).value_or(0));
    layout.height = std::max(0, leadingNumber(read(iniPath, kWindowHeight)).value_or(0));
    const QStringList widths = read(iniPath, kColumnWidths).split(QLatin1Char(','));
    for (const QString& width : widths) {
        const auto number = leadingNumber(width.trimmed());
        if (!number || *number <= 0) {
            // One unusable width would shift every other column: keep none.
            layout.columnWidths.clear();
            break;
        }
        layout.columnWidths.append(*number);
    }
    return layout;
}

QString saveWindowLayout(const QString& iniPath, const WindowLayout& layout) {
    QStringList widths;
    for (const int width : layout.columnWidths) {
        widths.append(QString::number(width));
    }
    return firstFailure(
        [&] { return write(iniPath, kWindowWidth, QString::number(layout.width)); },
        [&] { return write(iniPath, kWindowHeight, QString::number(layout.height)); },
        [&] { return write(iniPath, kColumnWidths, widths.join(QLatin1Char(','))); });
}

QString settingsPathFor(const QString& programFolder) {
    QString inProgramFolder;
    if (!programFolder.isEmpty()) {
        inProgramFolder = QDir(programFolder).filePath(kFileName);
        const QFileInfo file(inProgramFolder);
        // The file is rewritten through a temporary one beside it: both must be writable.
        if (isWritableFolder(programFolder) && (!file.exists() || isWritable(inProgramFolder))) {
            return inProgramFolder;
        }
    }
    // XDG: a relative XDG_CONFIG_HOME is invalid and ignored.
    QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (configHome.isEmpty() || QDir::isRelativePath(configHome)) {
        configHome = QDir::homePath() + QStringLiteral("/.config");
    }
    const QString perUser = QDir(configHome).filePath(QStringLiteral("Sonawell/") + kFileName);
    // The first time, the user starts from what the program folder's file holds.
    if (!inProgramFolder.isEmpty() && QFileInfo(inProgramFolder).isFile() &&
        !QFileInfo::exists(perUser) && QDir().mkpath(QFileInfo(perUser).absolutePath())) {
        if (QFile::copy(inProgramFolder, perUser)) {
            QFile::setPermissions(perUser, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                               QFile::ReadOther);
        }
    }
    return perUser;
}

QString programFolder() {
    const QString& folder = programFolderOverride();
    return folder.isEmpty() ? QCoreApplication::applicationDirPath() : folder;
}

void setProgramFolder(const QString& folder) {
    programFolderOverride() = folder;
}
