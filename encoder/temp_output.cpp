#include "encoder/temp_output.h"

#include "common/kill_point.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sw::enc {

namespace {

constexpr char kSuffix[] = ".part";
// Leaves room for ".", ".XXXXXX" and the suffix within a 255-byte file name.
constexpr int kMaxStemBytes = 200;

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

QByteArray ProcPath(int fd) {
    return QByteArrayLiteral("/proc/self/fd/") + QByteArray::number(fd);
}

// "<folder>/.<name>." with the name cut to fit; the caller appends a unique tail.
QByteArray HiddenPrefix(const QFileInfo& output) {
    return QFile::encodeName(output.absolutePath()) + "/." +
           QFile::encodeName(output.fileName()).left(kMaxStemBytes) + '.';
}

}  // namespace

TempOutput::~TempOutput() {
    if (!unnamed_ && !tempPath_.isEmpty() && !committed_)
        ::unlink(QFile::encodeName(tempPath_).constData());
    if (fd_ >= 0)
        ::close(fd_);
}

bool TempOutput::create(const QString& outputPath, QString* reason) {
    const QFileInfo output(outputPath);
    if (outputPath.isEmpty() || output.fileName().isEmpty()) {
        *reason = QCoreApplication::translate("Encoder", "No output file name is set.");
        return false;
    }
    if (output.isDir()) {
        *reason = QCoreApplication::translate("Encoder", "The output \"%1\" is a folder.")
                      .arg(outputPath);
        return false;
    }
    outputPath_ = output.absoluteFilePath();
    const QByteArray folder = QFile::encodeName(output.absolutePath());
    fd_ = ::open(folder.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
    // FFmpeg and the link into place reach the file through /proc.
    if (fd_ >= 0 && ::access(ProcPath(fd_).constData(), F_OK) == 0) {
        unnamed_ = true;
        tempPath_ = QFile::decodeName(ProcPath(fd_));
        return true;
    }
    const int err = errno;
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    } else if (err != EOPNOTSUPP && err != EISDIR && err != EINVAL) {
        *reason = QCoreApplication::translate("Encoder",
                                              "The output file could not be created in \"%1\": %2")
                      .arg(QDir::toNativeSeparators(output.absolutePath()), ErrnoText(err));
        return false;
    }
    QByteArray pattern = HiddenPrefix(output) + "XXXXXX" + kSuffix;
    fd_ = ::mkostemps(pattern.data(), static_cast<int>(std::strlen(kSuffix)), O_CLOEXEC);
    if (fd_ < 0) {
        const int mkErr = errno;
        *reason = QCoreApplication::translate("Encoder",
                                              "The output file could not be created in \"%1\": %2")
                      .arg(QDir::toNativeSeparators(output.absolutePath()), ErrnoText(mkErr));
        return false;
    }
    // mkstemp makes the file private; the finished file gets the usual permissions.
    ::fchmod(fd_, 0666 & ~CurrentUmask());
    tempPath_ = QFile::decodeName(pattern);
    return true;
}

bool TempOutput::commit(QString* reason) {
    if (const int err = putInPlace(); err != 0) {
        *reason = QCoreApplication::translate("Encoder",
                                              "The output file \"%1\" could not be written: %2")
                      .arg(outputPath_, ErrnoText(err));
        return false;
    }
    committed_ = true;
    return true;
}

int TempOutput::putInPlace() {
    if (::fsync(fd_) != 0)
        return errno;
    sw::killPoint("link");
    const QByteArray output = QFile::encodeName(outputPath_);
    if (!unnamed_)
        return ::rename(QFile::encodeName(tempPath_).constData(), output.constData()) == 0 ? 0
                                                                                           : errno;
    const QByteArray self = ProcPath(fd_);
    if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, output.constData(), AT_SYMLINK_FOLLOW) == 0)
        return 0;
    if (errno != EEXIST)
        return errno;
    // A link can't replace a file: link under a free hidden name, then rename over the output.
    static constexpr char kChars[] =
        "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    for (int attempt = 0; attempt < 100; ++attempt) {
        QByteArray hidden = HiddenPrefix(QFileInfo(outputPath_));
        for (int i = 0; i < 6; ++i)
            hidden += kChars[QRandomGenerator::global()->bounded(int(sizeof kChars - 1))];
        hidden += kSuffix;
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, hidden.constData(), AT_SYMLINK_FOLLOW) !=
            0) {
            if (errno == EEXIST)
                continue;
            return errno;
        }
        if (::rename(hidden.constData(), output.constData()) != 0) {
            const int err = errno;
            ::unlink(hidden.constData());
            return err;
        }
        return 0;
    }
    return EEXIST;
}

}  // namespace sw::enc
