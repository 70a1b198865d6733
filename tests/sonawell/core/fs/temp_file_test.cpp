#include "core/fs/temp_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString S(const char* text) {
    return QString::fromUtf8(text);
}

class MakeTempFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        hadTmp_ = qEnvironmentVariableIsSet("TMPDIR");
        savedTmp_ = qgetenv("TMPDIR");
    }
    void TearDown() override {
        if (hadTmp_) {
            qputenv("TMPDIR", savedTmp_);
        } else {
            qunsetenv("TMPDIR");
        }
    }

    QTemporaryDir dir_;
    bool hadTmp_ = false;
    QByteArray savedTmp_;
};

TEST_F(MakeTempFileTest, CreatesEmptyUniqueFilesInTmpdir) {
    qputenv("TMPDIR", QFile::encodeName(dir_.path() + QLatin1Char('/')));
    const QString first = makeTempFile(S("swl"));
    const QString second = makeTempFile(S("swl"));
    ASSERT_FALSE(first.isEmpty());
    ASSERT_FALSE(second.isEmpty());
    EXPECT_NE(first, second);
    for (const QString& path : {first, second}) {
        const QFileInfo info(path);
        EXPECT_TRUE(info.isFile()) << path.toStdString();
        EXPECT_EQ(info.size(), 0);
        EXPECT_EQ(info.absolutePath(), QDir(dir_.path()).absolutePath());
        EXPECT_TRUE(info.fileName().startsWith(S("swl")));
    }
    // A prefix cannot put the file elsewhere.
    const QString escaped = makeTempFile(S("../up"));
    ASSERT_FALSE(escaped.isEmpty());
    EXPECT_EQ(QFileInfo(escaped).absolutePath(), QDir(dir_.path()).absolutePath());
}

TEST_F(MakeTempFileTest, FallsBackToTmpAndFailsWithEmptyText) {
    qunsetenv("TMPDIR");
    const QString inTmp = makeTempFile(S("swl"));
    ASSERT_FALSE(inTmp.isEmpty());
    EXPECT_EQ(QFileInfo(inTmp).absolutePath(), S("/tmp"));
    EXPECT_TRUE(QFile::remove(inTmp));

    qputenv("TMPDIR", QFile::encodeName(dir_.filePath(S("missing"))));
    EXPECT_EQ(makeTempFile(S("swl")), QString());
}

}  // namespace
