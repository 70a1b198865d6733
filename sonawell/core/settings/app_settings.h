#pragma once

#include <QString>

#include <cstdint>

struct AppSettingsRecord {
    QString iniPath;
    QString generalProfile;
    QString quickProfile;
    int32_t cpuPriority = 0;
    bool overwriteExist = true;
    bool deleteSource = false;
    bool autoStart = true;
    bool sameTargetDir = true;
    QString targetDir;
};

// The process-wide settings, filled by loadSettings.
extern AppSettingsRecord appSettings;

// Every key as the file at iniPath holds it now. Numbers and flags are read from their leading
// digits (leadingNumber); a value with none, like "yes", counts as absent and gives the key's
// default. A flag is true for every number but 0.
AppSettingsRecord readSettings(const QString& iniPath);
// appSettings read anew from appSettings.iniPath.
void loadSettings();
// Writes every key to settings.iniPath: flags as 1 or 0, numbers in decimal.
void saveSettings(const AppSettingsRecord& settings);
// The one profile chosen at start-up becomes both the general and the quick-convert default.
void saveDefaultProfile(const QString& iniPath, const QString& profile);

// "Sonawell.ini" in the program folder when that folder is writable or already holds the file,
// else under $XDG_CONFIG_HOME/Sonawell/ (default ~/.config).
QString settingsPathFor(const QString& programFolder);

// The folder of the running program; tests may point it elsewhere.
QString programFolder();
void setProgramFolder(const QString& folder);
