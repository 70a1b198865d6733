#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace testsupport {

// The whole file, or nothing when it can't be read.
QByteArray ReadAll(const QString& path);
// Replaces the file with `bytes`; false when any of it could not be written.
bool WriteAll(const QString& path, const QByteArray& bytes);
// Every entry of a folder, hidden ones included, sorted by name: what a run left behind.
QStringList FolderEntries(const QString& folder);

// What tells a file rewritten from one left alone.
struct FileIdentity {
    bool exists = false;
    quint64 inode = 0;
    qint64 modifiedNs = 0;
    qint64 size = 0;
    bool operator==(const FileIdentity&) const = default;
};
FileIdentity IdentityOf(const QString& path);

}  // namespace testsupport
