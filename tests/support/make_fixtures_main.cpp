// make-test-fixtures FOLDER: makes every build fixture in FOLDER. Each is written under a
// temporary name and renamed when complete, so an interrupted build leaves none half-made.

#include "support/build_fixtures.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("Usage: make-test-fixtures FOLDER\n", stderr);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "make-test-fixtures: cannot make %s\n", argv[1]);
        return 1;
    }
    for (const testsupport::BuildFixture& fixture : testsupport::BuildFixtures()) {
        const QString path = folder.filePath(QLatin1String(fixture.name));
        const QString part = path + QStringLiteral(".part");
        QFile::remove(part);
        QFile::remove(path);
        if (!fixture.make(part) || !QFile::rename(part, path)) {
            std::fprintf(stderr, "make-test-fixtures: could not make %s\n", fixture.name);
            QFile::remove(part);
            return 1;
        }
    }
    return 0;
}
