#include "core/settings/app_settings.h"

#include "core/settings/common.h"
#include "core/settings/ini_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

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

QString& programFolderOverride() {
    static QString folder;
    return folder;
}

QString read(const QString& iniPath, const Key& key) {
    return readIniValue(iniPath, key.section, key.name);
}

void write(const QString& iniPath, const Key& key, const QString& value) {
    writeIniValue(iniPath, key.section, key.name, value);
}

// Empty or not a number: the key's default. Otherwise true for every number but 0.
bool readFlag(const QString& iniPath, const Key& key, bool defaultValue) {
    const auto number = leadingNumber(read(iniPath, key));
    return number ? *number != 0 : defaultValue;
}

void writeFlag(const QString& iniPath, const Key& key, bool value) {
    write(iniPath, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool isWritableFolder(const QString& folder) {
    return !folder.isEmpty() && QFileInfo(folder).isDir() &&
           ::access(QFile::encodeName(folder).constData(), W_OK) == 0;
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
    settings.targetDir = read(iniPath, kTargetDir);
    return settings;
}

void loadSettings() {
    appSettings = readSettings(appSettings.iniPath);
}

void saveSettings(const AppSettingsRecord& settings) {
    const QString& ini = settings.iniPath;
    write(ini, kGeneralProfile, settings.generalProfile);
    writeFlag(ini, kDeleteSource, settings.deleteSource);
    writeFlag(ini, kOverwriteExist, settings.overwriteExist);
    writeFlag(ini, kAutoStart, settings.autoStart);
    write(ini, kCpuPriority, QString::number(settings.cpuPriority));
    write(ini, kQuickProfile, settings.quickProfile);
    writeFlag(ini, kSameTargetDir, settings.sameTargetDir);
    write(ini, kTargetDir, settings.targetDir);
}

void saveDefaultProfile(const QString& iniPath, const QString& profile) {
    write(iniPath, kGeneralProfile, profile);
    write(iniPath, kQuickProfile, profile);
}

QString settingsPathFor(const QString& programFolder) {
    if (!programFolder.isEmpty()) {
        const QString inProgramFolder = QDir(programFolder).filePath(kFileName);
        if (QFileInfo(inProgramFolder).isFile() || isWritableFolder(programFolder)) {
            return inProgramFolder;
        }
    }
    // XDG: a relative XDG_CONFIG_HOME is invalid and ignored.
    QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (configHome.isEmpty() || QDir::isRelativePath(configHome)) {
        configHome = QDir::homePath() + QStringLiteral("/.config");
    }
    return QDir(configHome).filePath(QStringLiteral("Sonawell/") + kFileName);
}

QString programFolder() {
    const QString& folder = programFolderOverride();
    return folder.isEmpty() ? QCoreApplication::applicationDirPath() : folder;
}

void setProgramFolder(const QString& folder) {
    programFolderOverride() = folder;
}
