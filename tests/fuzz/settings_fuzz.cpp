// The settings reader and writer on an arbitrary file: a section, a key and a value written
// read back as written, and every other key reads as before.
//
// Input: section, key, value, a second key (fields), then the file's bytes.

#include "core/settings/ini_file.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_files.h"
#include "fuzz/fuzz_input.h"

#include <QString>

namespace {

QString fromBytes(const std::string& bytes) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// A value the reader gives back unchanged: no surrounding blanks or quotes to take off, no
// line break or NUL for the writer to replace.
bool readsBackAsIs(const QString& value) {
    if (value != value.trimmed() || value.contains(QLatin1Char('\n')) ||
        value.contains(QLatin1Char('\r')) || value.contains(QChar(u'\0'))) {
        return false;
    }
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == QLatin1Char('"') || first == QLatin1Char('\'')) && value.back() == first) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::FuzzInput input(data, size);
    const QString section = fromBytes(input.takeField());
    const QString key = fromBytes(input.takeField());
    const QString value = fromBytes(input.takeField());
    const QString otherKey = fromBytes(input.takeField());
    const std::string file = input.rest();

    const std::string path = fuzz::ScratchFolder() + "/Sonawell.ini";
    FUZZ_CHECK(fuzz::WriteFile(path, file));
    const QString iniPath = QString::fromStdString(path);
    const QString otherBefore = readIniPath(iniPath, section, otherKey);
    const QString otherSectionBefore = readIniPath(iniPath, otherKey, key);

    const QString why = writeIniValue(iniPath, section, key, value);
    if (!why.isEmpty()) {
        // Nothing written: the file as it was, and nothing left beside it.
        FUZZ_CHECK(fuzz::ReadFile(path) == file);
        FUZZ_CHECK(fuzz::CountEntries(fuzz::ScratchFolder()) == 1);
        return 0;
    }
    FUZZ_CHECK(fuzz::CountEntries(fuzz::ScratchFolder()) == 1);
    const QString read = readIniPath(iniPath, section, key);
    if (readsBackAsIs(value)) {
        FUZZ_CHECK(read == value);
    }
    // What was read back is stored as it reads.
    FUZZ_CHECK(writeIniValue(iniPath, section, key, read).isEmpty());
    FUZZ_CHECK(readIniPath(iniPath, section, key) == read);
    // The short reader gives the first 254 characters of the same value.
    FUZZ_CHECK(read.startsWith(readIniValue(iniPath, section, key)));

    if (otherKey.trimmed().compare(key.trimmed(), Qt::CaseInsensitive) != 0) {
        FUZZ_CHECK(readIniPath(iniPath, section, otherKey) == otherBefore);
    }
    if (otherKey.trimmed().compare(section.trimmed(), Qt::CaseInsensitive) != 0) {
        FUZZ_CHECK(readIniPath(iniPath, otherKey, key) == otherSectionBefore);
    }
    return 0;
}
