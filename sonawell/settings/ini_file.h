#pragma once

#include <QString>

// Profile strings in INI files: sections and keys matched without regard to case, values
// trimmed and unquoted, a 255-character buffer (values come back cut to 254 characters).
QString ReadIniValue(const QString& iniPath, const QString& section, const QString& key);
// Creates the file, section and key as needed; the file is replaced atomically.
void WriteIniValue(const QString& iniPath, const QString& section, const QString& key,
                   const QString& value);
