#include "core/settings/app_settings.h"

#include "core/settings/common.h"
#include "core/settings/ini_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <unistd.h>

AppSettingsRecord AppSettings;

namespace {

const QString kGeneral = QStringLiteral("General");
const QString kQuickConvert = QStringLiteral("Quick Convert");
const QString kFileName = QStringLiteral("Sonawell.ini");

QString& ProgramFolderOverride() {
    static QString folder;
    return folder;
}

// Empty or not a number: the key's default. Otherwise true for every number but 0.
bool ReadFlag(const QString& section, const QString& key, bool defaultValue) {
    const auto number = LeadingNumber(ReadIniValue(AppSettings.IniPath, section, key));
    return number ? *number != 0 : defaultValue;
}

bool IsWritableFolder(const QString& folder) {
    return !folder.isEmpty() && QFileInfo(folder).isDir() &&
           ::access(QFile::encodeName(folder).constData(), W_OK) == 0;
}

}  // namespace

void LoadSettings() {
    const QString& ini = AppSettings.IniPath;
    AppSettings.QuickProfile = ReadIniValue(ini, kQuickConvert, QStringLiteral("Profile"));
    AppSettings.GeneralProfile = ReadIniValue(ini, kGeneral, QStringLiteral("Profile"));
    AppSettings.CPUPriority =
        LeadingNumber(ReadIniValue(ini, kGeneral, QStringLiteral("CPUPriority"))).value_or(0);
    AppSettings.OverwriteExist = ReadFlag(kGeneral, QStringLiteral("OverwriteExist"), true);
    AppSettings.DeleteSource = ReadFlag(kGeneral, QStringLiteral("DeleteSource"), false);
    AppSettings.AutoStart = ReadFlag(kGeneral, QStringLiteral("AutoStart"), true);
    AppSettings.SameTargetDir = ReadFlag(kQuickConvert, QStringLiteral("SameTargetDir"), true);
    AppSettings.TargetDir = ReadIniValue(ini, kQuickConvert, QStringLiteral("TargetDir"));
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
