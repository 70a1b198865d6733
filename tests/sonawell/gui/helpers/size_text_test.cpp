#include "gui/size_text.h"

#include "core/fs/file_status.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

QString S(const char* text) {
    return QString::fromUtf8(text);
}

// A file's size as the job list shows it.
QString SizeText(const QString& path) {
    return formatSizeMB(regularFileSize(path));
}

class SizeTextTest : public ::testing::Test {
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

    static QString Mb(const char* digits) {
        QString text = S(digits);
        text.replace(QLatin1Char('.'), QLocale::system().decimalPoint());
        return text + QLatin1Char('M');
    }

    QTemporaryDir dir_;
};

TEST_F(SizeTextTest, FormatFileSizeMBRoundsToOneDecimal) {
    EXPECT_EQ(SizeText(MakeFile("zero", 0)), Mb("0.0"));
    EXPECT_EQ(SizeText(MakeFile("one", 1048576)), Mb("1.0"));
    EXPECT_EQ(SizeText(MakeFile("five", 5500000)), Mb("5.2"));
    // Exactly a quarter megabyte rounds up, and 0.96 carries into the whole part.
    EXPECT_EQ(SizeText(MakeFile("quarter", 262144)), Mb("0.3"));
    EXPECT_EQ(SizeText(MakeFile("carry", 1048576 * 2 - 40000)), Mb("2.0"));
    EXPECT_EQ(SizeText(MakeFile("big", 3LL << 30)), Mb("3072.0"));
    EXPECT_EQ(SizeText(MakeFile("huge", 1LL << 40)), Mb("1048576.0"));
    EXPECT_EQ(SizeText(dir_.filePath(S("missing"))), S("-"));
    EXPECT_EQ(SizeText(dir_.path()), S("-"));
    EXPECT_EQ(SizeText(QString()), S("-"));
}

TEST_F(SizeTextTest, SizeOfAFifoDoesNotHang) {
    const QString fifo = dir_.filePath(S("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_EQ(SizeText(fifo), S("-"));
}

}  // namespace
