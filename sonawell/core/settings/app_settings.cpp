#include "core/settings/app_settings.h"

#include "core/settings/common.h"
#include "core/settings/ini_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <unistd.h>

AppSettingsRecord AppSettings;

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

QString& ProgramFolderOverride() {
    static QString folder;
    return folder;
}

QString read(const QString& iniPath, const Key& key) {
    return ReadIniValue(iniPath, key.section, key.name);
}

void write(const QString& iniPath, const Key& key, const QString& value) {
    WriteIniValue(iniPath, key.section, key.name, value);
}

// Empty or not a number: the key's default. Otherwise true for every number but 0.
bool readFlag(const QString& iniPath, const Key& key, bool defaultValue) {
    const auto number = LeadingNumber(read(iniPath, key));
    return number ? *number != 0 : defaultValue;
}

void writeFlag(const QString& iniPath, const Key& key, bool value) {
    write(iniPath, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool IsWritableFolder(const QString& folder) {
    return !folder.isEmpty() && QFileInfo(folder).isDir() &&
           ::access(QFile::encodeName(folder).constData(), W_OK) == 0;
}

}  // namespace

AppSettingsRecord ReadSettings(const QString& iniPath) {
    AppSettingsRecord settings;
    settings.IniPath = iniPath;
    settings.QuickProfile = read(iniPath, kQuickProfile);
    settings.GeneralProfile = read(iniPath, kGeneralProfile);
    settings.CPUPriority = LeadingNumber(read(iniPath, kCpuPriority)).value_or(0);
    settings.OverwriteExist = readFlag(iniPath, kOverwriteExist, true);
    settings.DeleteSource = readFlag(iniPath, kDeleteSource, false);
    settings.AutoStart = readFlag(iniPath, kAutoStart, true);
    settings.SameTargetDir = readFlag(iniPath, kSameTargetDir, true);
    settings.TargetDir = read(iniPath, kTargetDir);
    return settings;
}

void LoadSettings() {
    AppSettings = ReadSettings(AppSettings.IniPath);
}

void SaveSettings(const AppSettingsRecord& settings) {
    const QString& ini = settings.IniPath;
    write(ini, kGeneralProfile, settings.GeneralProfile);
    writeFlag(ini, kDeleteSource, settings.DeleteSource);
    writeFlag(ini, kOverwriteExist, settings.OverwriteExist);
    writeFlag(ini, kAutoStart, settings.AutoStart);
    write(ini, kCpuPriority, QString::number(settings.CPUPriority));
    write(ini, kQuickProfile, settings.QuickProfile);
    writeFlag(ini, kSameTargetDir, settings.SameTargetDir);
    write(ini, kTargetDir, settings.TargetDir);
}

void SaveDefaultProfile(const QString& iniPath, const QString& profile) {
    write(iniPath, kGeneralProfile, profile);
    write(iniPath, kQuickProfile, profile);
}

QString SettingsPathFor(const QString& programFolder) {
    if (!programFolder.isEmpty()) {
        const QString inProgramFolder = QDir(programFolder).filePath(kFileName);
        if (QFileInfo(inProgramFolder).isFile() || IsWritableFolder(programFolder)) {
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

QString ProgramFolder() {
    const QString& folder = ProgramFolderOverride();
    return folder.isEmpty() ? QCoreApplication::applicationDirPath() : folder;
}

void SetProgramFolder(const QString& folder) {
    ProgramFolderOverride() = folder;
}
