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

// Every key as the file at iniPath holds it now. Numbers and flags are read from their leading
// digits (LeadingNumber); a value with none, like "yes", counts as absent and gives the key's
// default. A flag is true for every number but 0.
AppSettingsRecord ReadSettings(const QString& iniPath);
// AppSettings read anew from AppSettings.IniPath.
void LoadSettings();
// Writes every key to settings.IniPath: flags as 1 or 0, numbers in decimal.
void SaveSettings(const AppSettingsRecord& settings);
// The one profile chosen at start-up becomes both the general and the quick-convert default.
void SaveDefaultProfile(const QString& iniPath, const QString& profile);

// "Sonawell.ini" in the program folder when that folder is writable or already holds the file,
// else under $XDG_CONFIG_HOME/Sonawell/ (default ~/.config).
QString SettingsPathFor(const QString& programFolder);

// The folder of the running program; tests may point it elsewhere.
QString ProgramFolder();
void SetProgramFolder(const QString& folder);
