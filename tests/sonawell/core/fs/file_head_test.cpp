#include "core/fs/file_head.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

class FileHeadTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    QString Write(const char* name, const QByteArray& bytes) const {
        const QString path = dir_.filePath(QString::fromUtf8(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        EXPECT_EQ(file.write(bytes), bytes.size());
        return path;
    }

    QTemporaryDir dir_;
};

TEST_F(FileHeadTest, AtMostTheBytesAskedForOfARegularFile) {
    const QString path = Write("long", QByteArrayLiteral("RIFF\0\0\0\0WAVEfmt and more"));
    EXPECT_EQ(fileHead(path, 12), QByteArrayLiteral("RIFF\0\0\0\0WAVE"));
    EXPECT_EQ(fileHead(Write("short", "ID3"), 16), QByteArrayLiteral("ID3"));
    EXPECT_EQ(fileHead(Write("empty", {}), 16), QByteArray());
    EXPECT_EQ(fileHead(path, 0), QByteArray());
}

TEST_F(FileHeadTest, NothingFromWhatIsNoRegularFileAndAFifoDoesNotHang) {
    const QString fifo = dir_.filePath(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_EQ(fileHead(fifo, 16), QByteArray());
    EXPECT_EQ(fileHead(dir_.path(), 16), QByteArray());
    EXPECT_EQ(fileHead(dir_.filePath(QStringLiteral("missing")), 16), QByteArray());
    EXPECT_EQ(fileHead(QString(), 16), QByteArray());
}

}  // namespace
