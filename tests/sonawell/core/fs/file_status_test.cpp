#include "core/fs/file_status.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

QString S(const char* text) {
    return QString::fromUtf8(text);
}

class FileRoutinesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    QString MakeFile(const char* name, qint64 size) const {
        const QString path = dir_.filePath(S(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        // Sparse: resize leaves a hole, so even gigabytes cost no disk space.
        EXPECT_TRUE(file.resize(size));
        return path;
    }

    QTemporaryDir dir_;
};

TEST_F(FileRoutinesTest, IsDirectoryIsTrueOnlyForExistingFolders) {
    EXPECT_TRUE(isDirectory(dir_.path()));
    EXPECT_TRUE(isDirectory(dir_.path() + QLatin1Char('/')));
    EXPECT_FALSE(isDirectory(MakeFile("file", 3)));
    EXPECT_FALSE(isDirectory(dir_.filePath(S("missing"))));
    EXPECT_FALSE(isDirectory(dir_.filePath(S("file/below"))));
    EXPECT_FALSE(isDirectory(QString()));
    ASSERT_TRUE(QFile::link(dir_.path(), dir_.filePath(S("link"))));
    EXPECT_TRUE(isDirectory(dir_.filePath(S("link"))));
}

TEST_F(FileRoutinesTest, GetFileSizeBytesIsSixtyFourBitAndZeroOnFailure) {
    EXPECT_EQ(fileSizeBytes(MakeFile("big", (3LL << 30) + 7)), (3LL << 30) + 7);
    EXPECT_EQ(fileSizeBytes(MakeFile("small", 5)), 5);
    EXPECT_EQ(fileSizeBytes(dir_.filePath(S("missing"))), 0);
    EXPECT_EQ(fileSizeBytes(dir_.path()), 0);
}

TEST_F(FileRoutinesTest, SizeOfAFifoDoesNotHang) {
    const QString fifo = dir_.filePath(S("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_EQ(regularFileSize(fifo), std::nullopt);
    EXPECT_EQ(fileSizeBytes(fifo), 0);
}

}  // namespace
