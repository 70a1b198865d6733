#include "core/settings/ini_file.h"

#include "common/kill_point.h"
#include "core/settings/ini_values.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>

namespace {

// The reader's buffer holds 255 characters including the terminating NUL.
constexpr qsizetype kMaxValueLength = 254;

const QByteArray kUtf8Bom("\xEF\xBB\xBF");

// One line of the file: its bytes as found, the text they decode to, and its own line end
// ("\r\n", "\n" or none on the last line). A rewrite gives back every untouched line byte for
// byte, even one that is not valid UTF-8.
struct IniLine {
    QString text;
    QByteArray raw;
    QByteArray ending;
};

IniLine makeLine(const QString& text, const QByteArray& ending) {
    return IniLine{text, text.toUtf8(), ending};
}

struct IniText {
    bool hasBom = false;
    std::vector<IniLine> lines;
};

// Calls visit with each line, without its line end, until visit returns false.
template <typename Visit>
void forEachLine(const QByteArray& bytes, Visit visit) {
    qsizetype start = bytes.startsWith(kUtf8Bom) ? kUtf8Bom.size() : 0;
    while (start < bytes.size()) {
        const qsizetype newline = bytes.indexOf('\n', start);
        qsizetype end = newline < 0 ? bytes.size() : newline;
        if (newline >= 0 && end > start && bytes.at(end - 1) == '\r') {
            --end;
        }
        if (!visit(QByteArrayView(bytes).sliced(start, end - start))) {
            return;
        }
        start = newline < 0 ? bytes.size() : newline + 1;
    }
}

IniText parseLines(const QByteArray& bytes) {
    IniText result;
    qsizetype start = 0;
    if (bytes.startsWith(kUtf8Bom)) {
        result.hasBom = true;
        start = kUtf8Bom.size();
    }
    while (start < bytes.size()) {
        const qsizetype newline = bytes.indexOf('\n', start);
        if (newline < 0) {
            const QByteArray raw = bytes.mid(start);
            result.lines.push_back({QString::fromUtf8(raw), raw, QByteArray()});
            break;
        }
        qsizetype end = newline;
        QByteArray ending("\n");
        if (end > start && bytes.at(end - 1) == '\r') {
            --end;
            ending = QByteArray("\r\n");
        }
        const QByteArray raw = bytes.mid(start, end - start);
        result.lines.push_back({QString::fromUtf8(raw), raw, ending});
        start = newline + 1;
    }
    return result;
}

// The section name of a "[name]" line, or nothing for any other line.
std::optional<QString> sectionName(const QString& line) {
    const QString trimmed = line.trimmed();
    if (!trimmed.startsWith(QLatin1Char('['))) {
        return std::nullopt;
    }
    const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
    const qsizetype end = close < 0 ? trimmed.size() : close;
    return trimmed.mid(1, end - 1).trimmed();
}

struct KeyValue {
    QString key;
    QString value;
};

std::optional<KeyValue> splitKeyLine(const QString& line) {
    const QString trimmed = line.trimmed();
    if (trimmed.startsWith(QLatin1Char(';'))) {
        return std::nullopt;
    }
    const qsizetype equals = trimmed.indexOf(QLatin1Char('='));
    if (equals < 0) {
        return std::nullopt;
    }
    QString value = trimmed.mid(equals + 1).trimmed();
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == QLatin1Char('"') || first == QLatin1Char('\'')) && value.back() == first) {
            value = value.mid(1, value.size() - 2);
        }
    }
    return KeyValue{trimmed.left(equals).trimmed(), value};
}

bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Index of the first "[section]" line, or -1.
qsizetype findSection(const IniText& ini, const QString& section) {
    for (size_t i = 0; i < ini.lines.size(); ++i) {
        const auto name = sectionName(ini.lines[i].text);
        if (name && SameName(*name, section)) {
            return static_cast<qsizetype>(i);
        }
    }
    return -1;
}

// One past the last line of the section whose header is at sectionLine.
qsizetype sectionEnd(const IniText& ini, qsizetype sectionLine) {
    qsizetype i = sectionLine + 1;
    while (i < static_cast<qsizetype>(ini.lines.size()) && !sectionName(ini.lines[i].text)) {
        ++i;
    }
    return i;
}

// Index of the first line of the section that holds the key, or -1.
qsizetype findKey(const IniText& ini, qsizetype sectionLine, const QString& key) {
    const qsizetype end = sectionEnd(ini, sectionLine);
    for (qsizetype i = sectionLine + 1; i < end; ++i) {
        const auto pair = splitKeyLine(ini.lines[i].text);
        if (pair && SameName(pair->key, key)) {
            return i;
        }
    }
    return -1;
}

// Settings files are small; anything this big is not one of ours and is neither read into
// memory nor rewritten.
constexpr qint64 kMaxFileSize = qint64{64} << 20;

QString errnoText(int error = errno) {
    return QString::fromLocal8Bit(std::strerror(error));
}

std::optional<QByteArray> ReadWholeFile(const QString& path) {
    // Only regular files: opening a FIFO would block.
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > kMaxFileSize) {
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return std::nullopt;
    }
    return bytes;
}

// A value must stay on its own line, and the C-string heritage of the file ends it at a NUL.
// One the reader would change (blanks at an end, or a matching quote at each) goes in quotes,
// which the reader takes off again.
QString singleLineValue(const QString& value) {
    QString cleaned = trimAtNull(value);
    cleaned.replace(QLatin1Char('\r'), QLatin1Char(' '));
    cleaned.replace(QLatin1Char('\n'), QLatin1Char(' '));
    const bool quotedAlready =
        cleaned.size() >= 2 &&
        (cleaned.front() == QLatin1Char('"') || cleaned.front() == QLatin1Char('\'')) &&
        cleaned.back() == cleaned.front();
    if (cleaned != cleaned.trimmed() || quotedAlready) {
        return QLatin1Char('"') + cleaned + QLatin1Char('"');
    }
    return cleaned;
}

// Writes to a temporary file beside the target and renames it over the target only when
// every byte reached the disk, so a crash or a full disk leaves the old file whole. (Qt 6.4's
// QSaveFile renames its temporary file even after a failed write.)
// Returns why the file could not be written; empty when it was.
QString writeFileAtomically(const QString& path, const QByteArray& bytes) {
    QString target = path;
    const QFileInfo info(path);
    if (info.isSymLink()) {
        target = info.canonicalFilePath();
        if (target.isEmpty()) {
            target = info.symLinkTarget();
        }
    }
    const QFileInfo targetInfo(target);
    QByteArray tempName = QFile::encodeName(targetInfo.absolutePath() + QStringLiteral("/.") +
                                            targetInfo.fileName() + QStringLiteral(".XXXXXX"));
    const int fd = ::mkostemp(tempName.data(), O_CLOEXEC);
    if (fd < 0) {
        return errnoText();
    }
    bool ok = true;
    int failure = 0;
    const auto fail = [&] {
        if (failure == 0) {
            failure = errno;
        }
        ok = false;
    };
    struct stat old {};
    if (::stat(QFile::encodeName(target).constData(), &old) == 0) {
        ::fchmod(fd, old.st_mode & 07777);
        if (::geteuid() == 0) {
            // Root rewriting a user's settings must not take the file away from the user.
            if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
                fail();
            }
        }
    } else {
        ::fchmod(fd, 0644);
    }
    qsizetype written = 0;
    while (ok && written < bytes.size()) {
        const ssize_t n =
            ::write(fd, bytes.constData() + written, static_cast<size_t>(bytes.size() - written));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            if (n == 0) {
                errno = ENOSPC;
            }
            fail();
            break;
        }
        written += n;
    }
    if (ok && ::fsync(fd) != 0) {
        fail();
    }
    if (::close(fd) != 0) {
        fail();
    }
    if (ok) {
        sw::killPoint("settings-save");
    }
    if (ok && ::rename(tempName.constData(), QFile::encodeName(target).constData()) != 0) {
        fail();
    }
    if (!ok) {
        ::unlink(tempName.constData());
        return errnoText(failure);
    }
    // The rename itself reaches the disk with the folder.
    const int folder = ::open(QFile::encodeName(targetInfo.absolutePath()).constData(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return {};
}

// Names that would read back as something else, or split a line, are not written.
bool IsSingleLineName(const QString& trimmed) {
    return !trimmed.isEmpty() && !trimmed.contains(QLatin1Char('\n')) &&
           !trimmed.contains(QLatin1Char('\r')) && !trimmed.contains(QChar(u'\0'));
}

bool IsWritableSection(const QString& section) {
    const QString trimmed = section.trimmed();
    return IsSingleLineName(trimmed) && !trimmed.contains(QLatin1Char(']'));
}

bool IsWritableKey(const QString& key) {
    const QString trimmed = key.trimmed();
    return IsSingleLineName(trimmed) && !trimmed.contains(QLatin1Char('=')) &&
           !trimmed.startsWith(QLatin1Char(';')) && !trimmed.startsWith(QLatin1Char('['));
}

enum class Length { Limited, Whole };

QString readValue(const QString& iniPath, const QString& requestedSection,
                  const QString& requestedKey, Length length) {
    // Names are stored trimmed, as the lines they are matched against are read.
    const QString section = requestedSection.trimmed();
    const QString key = requestedKey.trimmed();
    if (iniPath.isEmpty() || section.isEmpty() || key.isEmpty()) {
        return QString();
    }
    const auto bytes = ReadWholeFile(iniPath);
    if (!bytes) {
        return QString();
    }
    // One pass over the bytes; only lines that can be a section header or a key are decoded,
    // so a huge file costs a scan, not a copy per line.
    std::optional<QString> found;
    bool inSection = false;
    forEachLine(*bytes, [&](QByteArrayView line) {
        if (line.contains('[')) {
            if (const auto name = sectionName(QString::fromUtf8(line))) {
                if (inSection) {
                    return false;
                }
                inSection = SameName(*name, section);
                return true;
            }
        }
        if (inSection && line.contains('=')) {
            const auto pair = splitKeyLine(QString::fromUtf8(line));
            if (pair && SameName(pair->key, key)) {
                found = pair->value;
                return false;
            }
        }
        return true;
    });
    if (!found) {
        return QString();
    }
    QString value = *found;
    if (length == Length::Limited && value.size() > kMaxValueLength) {
        value.truncate(kMaxValueLength);
        if (value.back().isHighSurrogate()) {
            value.chop(1);
        }
    }
    return trimAtNull(value);
}

}  // namespace

QString readIniValue(const QString& iniPath, const QString& section, const QString& key) {
    return readValue(iniPath, section, key, Length::Limited);
}

QString readIniPath(const QString& iniPath, const QString& section, const QString& key) {
    return readValue(iniPath, section, key, Length::Whole);
}

QString writeIniValue(const QString& iniPath, const QString& section, const QString& key,
                      const QString& value) {
    return writeIniValues(iniPath, {IniEntry{section, key, value}});
}

QString writeIniValues(const QString& iniPath, const QList<IniEntry>& entries) {
    if (iniPath.isEmpty()) {
        return QCoreApplication::translate("IniFile", "no settings file");
    }
    for (const IniEntry& entry : entries) {
        if (!IsWritableSection(entry.section) || !IsWritableKey(entry.key)) {
            return QCoreApplication::translate("IniFile", "the name \"%1\" can't be stored")
                .arg(entry.section + QLatin1Char('/') + entry.key);
        }
    }
    IniText ini;
    if (QFileInfo::exists(iniPath)) {
        // A file we cannot read is left alone rather than replaced by one holding a single key.
        const auto bytes = ReadWholeFile(iniPath);
        if (!bytes) {
            return QCoreApplication::translate("IniFile", "the file can't be read");
        }
        ini = parseLines(*bytes);
    } else if (!QDir().mkpath(QFileInfo(iniPath).absolutePath())) {
        return QCoreApplication::translate("IniFile", "its folder can't be created");
    }

    QByteArray newline("\n");
    for (const IniLine& line : ini.lines) {
        if (!line.ending.isEmpty()) {
            newline = line.ending;
            break;
        }
    }
    const auto insertLine = [&](qsizetype at, const QString& text) {
        // The line before the new one needs an end if it was the unterminated last line.
        if (at > 0 && ini.lines[at - 1].ending.isEmpty()) {
            ini.lines[at - 1].ending = newline;
        }
        ini.lines.insert(ini.lines.begin() + at, makeLine(text, newline));
    };

    for (const IniEntry& entry : entries) {
        const QString trimmedKey = entry.key.trimmed();
        const QString keyLineText = trimmedKey + QLatin1Char('=') + singleLineValue(entry.value);
        const qsizetype sectionLine = findSection(ini, entry.section);
        if (sectionLine < 0) {
            const qsizetype end = static_cast<qsizetype>(ini.lines.size());
            insertLine(end, QLatin1Char('[') + entry.section.trimmed() + QLatin1Char(']'));
            insertLine(end + 1, keyLineText);
        } else if (const qsizetype keyLine = findKey(ini, sectionLine, trimmedKey); keyLine >= 0) {
            ini.lines[keyLine] = makeLine(keyLineText, ini.lines[keyLine].ending);
        } else {
            // After the section's last key, so blank lines and comments that lead into the next
            // section stay where they are.
            qsizetype after = sectionLine;
            const qsizetype end = sectionEnd(ini, sectionLine);
            for (qsizetype i = sectionLine + 1; i < end; ++i) {
                if (splitKeyLine(ini.lines[i].text)) {
                    after = i;
                }
            }
            insertLine(after + 1, keyLineText);
        }
    }

    QByteArray out;
    if (ini.hasBom) {
        out += kUtf8Bom;
    }
    for (const IniLine& line : ini.lines) {
        out += line.raw;
        out += line.ending;
    }

    return writeFileAtomically(iniPath, out);
}
