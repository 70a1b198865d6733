#include "cli/stand_in.h"

#include "cli/byte_path.h"

#include <QDir>
#include <QFile>

#include <unistd.h>

#include <filesystem>

namespace {

QByteArray absolute(const QByteArray& path) {
    std::error_code error;
    const std::string full = std::filesystem::absolute(path.toStdString(), error).native();
    return QByteArray(full.data(), static_cast<qsizetype>(full.size()));
}

QByteArray extensionOf(const QByteArray& path) {
    const QByteArray name = fileNameOf(path);
    const qsizetype dot = name.lastIndexOf('.');
    return dot > 0 ? name.mid(dot) : QByteArray();
}

}  // namespace

StandIns::StandIns() : dir_(QDir::tempPath() + QStringLiteral("/sonawell-convert-XXXXXX")) {}

QByteArray StandIns::linkTo(const QByteArray& target, const QByteArray& linkName, int index) {
    const QByteArray link = joinPath(QFile::encodeName(dir_.path()), linkName);
    ::unlink(link.constData());
    if (::symlink(absolute(target).constData(), link.constData()) != 0) {
        return {};
    }
    links_[index].append(link);
    return link;
}

QString StandIns::source(const QByteArray& source, int index) {
    if (isExactText(source) || !dir_.isValid()) {
        return pathText(source);
    }
    // The extension stays: the encoder picks its reader by it.
    const QByteArray link =
        linkTo(source, 's' + QByteArray::number(index) + extensionOf(source), index);
    return link.isEmpty() ? pathText(source) : QFile::decodeName(link);
}

StandIns::Output StandIns::output(const QByteArray& output, int index) {
    if (isExactText(output) || !dir_.isValid()) {
        return {pathText(output), {}};
    }
    const QByteArray folder = folderOf(output);
    const QByteArray plainName = ".sonawell-convert-" + QByteArray::number(::getpid()) + '-' +
                                 QByteArray::number(index) + extensionOf(output);
    QByteArray through = folder;
    if (!isExactText(folder)) {
        through = linkTo(folder, 'o' + QByteArray::number(index), index);
        if (through.isEmpty()) {
            return {pathText(output), {}};
        }
    }
    return {QFile::decodeName(joinPath(through, plainName)), joinPath(folder, plainName)};
}

void StandIns::release(int index) {
    for (const QByteArray& link : links_.take(index)) {
        ::unlink(link.constData());
    }
}
