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

// Reads every key from AppSettings.IniPath into AppSettings (IniPath itself is kept). Numbers
// and flags are read from their leading digits (LeadingNumber); a value with none, like
// "yes", counts as absent and gives the key's default. A flag is true for every number but 0.
void LoadSettings();

// "Sonawell.ini" in the program folder when that folder is writable or already holds the file,
// else under $XDG_CONFIG_HOME/Sonawell/ (default ~/.config).
QString SettingsPathFor(const QString& programFolder);

// The folder of the running program; tests may point it elsewhere.
QString ProgramFolder();
void SetProgramFolder(const QString& folder);
