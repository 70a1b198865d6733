#pragma once

#include <QList>
#include <QString>

// Profile strings in UTF-8 INI files: sections and keys matched without regard to case, the
// first matching section and key win, values trimmed and unquoted, ";" comments and lines
// without "=" ignored, CRLF or LF, a byte-order mark skipped. A 255-character buffer: values
// come back cut to 254 characters and at a NUL. Missing file, section or key: empty text.
QString readIniValue(const QString& iniPath, const QString& section, const QString& key);
// As readIniValue, but the value whole, however long: a path cut short names another place.
QString readIniPath(const QString& iniPath, const QString& section, const QString& key);
// Creates the folder, file, section and key as needed; replaces the value in place otherwise.
// Every other line keeps its bytes and line end. The file is replaced atomically; a failed
// write changes nothing. Names holding "=", "]" or line breaks are not written, and line
// breaks in the value become blanks. Returns why nothing was written; empty when it was.
QString writeIniValue(const QString& iniPath, const QString& section, const QString& key,
                      const QString& value);

struct IniEntry {
    QString section;
    QString key;
    QString value;
};
// As writeIniValue for each entry in turn, all of them in one replacement of the file: either
// every entry is written or, when anything fails, the file is left as it was.
QString writeIniValues(const QString& iniPath, const QList<IniEntry>& entries);
