#pragma once

#include <QList>
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
    // Quick convert makes FLAC rather than WAVE of a WMA source.
    bool wmaToFlac = false;
    // With a target folder, the outputs of a folder handed in mirror its tree.
    bool keepFolders = true;
    // An existing output newer than its source is kept and its job skipped; this comes before
    // overwriteExist, which still decides for an older output.
    bool skipConverted = false;
};

// The process-wide settings, filled by loadSettings.
extern AppSettingsRecord appSettings;

// Every key as the file at iniPath holds it now. Numbers and flags are read from their leading
// digits (leadingNumber); a value with none, like "yes", counts as absent and gives the key's
// default. A flag is true for every number but 0.
AppSettingsRecord readSettings(const QString& iniPath);
// appSettings read anew from appSettings.iniPath.
void loadSettings();
// Writes every key to settings.iniPath: flags as 1 or 0, numbers in decimal. The writers
// below replace the file once with all their keys, or leave it as it was; they return why the
// file could not be written, empty when it was.
QString saveSettings(const AppSettingsRecord& settings);
// The one profile chosen at start-up becomes both the general and the quick-convert default.
QString saveDefaultProfile(const QString& iniPath, const QString& profile);
// What the user is told when a write failed: the file and the reason.
QString settingsWriteMessage(const QString& iniPath, const QString& reason);

// The main window as the user left it: its size and the job list's column widths. Zero or an
// empty list where the file holds nothing usable.
struct WindowLayout {
    int width = 0;
    int height = 0;
    QList<int> columnWidths;
};
WindowLayout readWindowLayout(const QString& iniPath);
QString saveWindowLayout(const QString& iniPath, const WindowLayout& layout);

// "Sonawell.ini" in the program folder when this user can write it there, else under
// $XDG_CONFIG_HOME/Sonawell/ (default ~/.config); that file is first copied from the program
// folder's one when there is one, so a shared set-up is where each user starts.
QString settingsPathFor(const QString& programFolder);

// The folder of the running program; tests may point it elsewhere.
QString programFolder();
void setProgramFolder(const QString& folder);
