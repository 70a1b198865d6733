#include "core/fs/file_head.h"

#include "common/unique_fd.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

QByteArray fileHead(const QString& path, qsizetype count) {
    if (path.isEmpty() || count <= 0) {
        return {};
    }
    const sw::UniqueFd fd(
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat info {};
    if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return {};
    }
    QByteArray head(count, Qt::Uninitialized);
    qsizetype filled = 0;
    while (filled < count) {
        const ssize_t got = ::read(fd.get(), head.data() + filled, count - filled);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        filled += got;
    }
    head.truncate(filled);
    return head;
}
