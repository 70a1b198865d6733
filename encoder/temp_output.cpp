#include "encoder/temp_output.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace sw::enc {

namespace {

constexpr char kSuffix[] = ".part";

// The process's umask, read without changing it (umask() would race with other threads).
mode_t CurrentUmask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("Umask:", 0) == 0)
            return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
    return 022;
}

QString ErrnoText(int err) {
    return QString::fromLocal8Bit(std::strerror(err));
}

}  // namespace

TempOutput::~TempOutput() {
    if (!tempPath_.isEmpty() && !committed_)
        ::unlink(QFile::encodeName(tempPath_).constData());
}

bool TempOutput::create(const QString& outputPath, QString* reason) {
    const QFileInfo output(outputPath);
    if (outputPath.isEmpty() || output.fileName().isEmpty()) {
        *reason = QStringLiteral("No output file name is set.");
        return false;
    }
    if (output.isDir()) {
        *reason = QStringLiteral("The output \"%1\" is a folder.").arg(outputPath);
        return false;
    }
    QByteArray pattern = QFile::encodeName(output.absolutePath() + QLatin1String("/.") +
                                           output.fileName() + QLatin1String(".XXXXXX")) +
                         kSuffix;
    const int fd = ::mkstemps(pattern.data(), static_cast<int>(std::strlen(kSuffix)));
    if (fd < 0) {
        const int err = errno;
        *reason = QStringLiteral("The output file could not be created in \"%1\": %2")
                      .arg(QDir::toNativeSeparators(output.absolutePath()), ErrnoText(err));
        return false;
    }
    // mkstemp makes the file private; the finished file gets the usual permissions.
    ::fchmod(fd, 0666 & ~CurrentUmask());
    ::close(fd);
    outputPath_ = output.absoluteFilePath();
    tempPath_ = QFile::decodeName(pattern);
    return true;
}

bool TempOutput::commit(QString* reason) {
    if (::rename(QFile::encodeName(tempPath_).constData(),
                 QFile::encodeName(outputPath_).constData()) != 0) {
        const int err = errno;
        *reason = QStringLiteral("The output file \"%1\" could not be written: %2")
                      .arg(outputPath_, ErrnoText(err));
        return false;
    }
    committed_ = true;
    return true;
}

}  // namespace sw::enc
