#pragma once

#include <QString>

#include <cstdint>

struct AppSettingsRecord {
    QString IniPath;
    QString GeneralProfile;
    QString QuickProfile;
    int32_t CPUPriority = 0;
    bool OverwriteExist = true;
    bool DeleteSource = false;
    bool AutoStart = true;
    bool SameTargetDir = true;
    QString TargetDir;
};

// The process-wide settings, filled by LoadSettings.
extern AppSettingsRecord AppSettings;

// Reads every key from AppSettings.IniPath into AppSettings.
void LoadSettings();

// "Sonawell.ini" in the program folder when that folder is writable or already holds the file,
// else under $XDG_CONFIG_HOME/Sonawell/ (default ~/.config).
QString SettingsPathFor(const QString& programFolder);

// The folder of the running program; tests may point it elsewhere.
QString ProgramFolder();
void SetProgramFolder(const QString& folder);
