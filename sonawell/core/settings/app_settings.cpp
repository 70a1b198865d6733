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

IniEntry entry(const Key& key, const QString& value) {
    return IniEntry{key.section, key.name, value};
}

// Empty or not a number: the key's default. Otherwise true for every number but 0.
bool readFlag(const QString& iniPath, const Key& key, bool defaultValue) {
    const auto number = leadingNumber(read(iniPath, key));
    return number ? *number != 0 : defaultValue;
}

IniEntry flag(const Key& key, bool value) {
    return entry(key, value ? QStringLiteral("1") : QStringLiteral("0"));
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
    return writeIniValues(
        settings.iniPath,
        {entry(kGeneralProfile, settings.generalProfile),
         flag(kDeleteSource, settings.deleteSource), flag(kOverwriteExist, settings.overwriteExist),
         flag(kAutoStart, settings.autoStart),
         entry(kCpuPriority, QString::number(settings.cpuPriority)),
         entry(kQuickProfile, settings.quickProfile), flag(kSameTargetDir, settings.sameTargetDir),
         entry(kTargetDir, settings.targetDir),
         entry(kWmaFormat, settings.wmaToFlac ? kFlacFormat : kWaveFormat),
         flag(kKeepFolders, settings.keepFolders), flag(kSkipConverted, settings.skipConverted)});
}

QString saveDefaultProfile(const QString& iniPath, const QString& profile) {
    return writeIniValues(iniPath,
                          {entry(kGeneralProfile, profile), entry(kQuickProfile, profile)});
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
    return writeIniValues(iniPath, {entry(kWindowWidth, QString::number(layout.width)),
                                    entry(kWindowHeight, QString::number(layout.height)),
                                    entry(kColumnWidths, widths.join(QLatin1Char(',')))});
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
