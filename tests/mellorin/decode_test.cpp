#include "mellorin/decode.h"

#include "support/audio_fixtures.h"
#include "support/file_fixtures.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

namespace {

std::string Native(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

class Decode : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        source_ = dir_.filePath(QStringLiteral("tone.wma"));
        ASSERT_TRUE(testsupport::MakeWma(source_, 20.0, 22050, 1));
        output_ = dir_.filePath(QStringLiteral("tone.wav"));
    }

    QTemporaryDir dir_;
    QString source_;
    QString output_;
};

}  // namespace

// The share is computed from 64-bit byte counts: past 2 GiB of WAVE data (and past the 4 GiB of
// a long 96 kHz source) it goes on climbing instead of freezing where 32 bits saturate.
TEST(DecodedFraction, IsTheShareOfTheDeclaredLengthAtAnySize) {
    struct Row {
        uint64_t bytes;
        uint32_t bytesPerSecond;
        std::optional<double> declared;
        double fraction;
    };
    const std::vector<Row> rows = {
        {0, 176400, 60.0, 0.0},
        {176400 * 30ull, 176400, 60.0, 0.5},
        {3ull << 30, 176400, (6.0 * (1 << 30)) / 176400, 0.5},   // 3 GiB of 6
        {5ull << 30, 576000, (10.0 * (1 << 30)) / 576000, 0.5},  // 96 kHz stereo
        {176400 * 70ull, 176400, 60.0, 1.0},                     // longer than declared
        {176400, 176400, std::nullopt, 0.0},                     // no length declared
        {176400, 0, 60.0, 0.0},
    };
    for (const Row& row : rows) {
        EXPECT_DOUBLE_EQ(mellorin::DecodedFraction(row.bytes, row.bytesPerSecond, row.declared),
                         row.fraction)
            << row.bytes;
    }
}

// The progress a decode reports climbs to the whole source; the finishing step sees the
// complete file under no name, and what it adds is in the file that gets the name.
TEST_F(Decode, ReportsTheShareDecodedAndFinishesTheFileBeforeItGetsItsName) {
    std::vector<double> fractions;
    bool namedDuringFinish = true;
    qint64 sizeSeen = 0;
    mellorin::DecodeOptions options;
    options.progress = [&](uint64_t, double fraction) { fractions.push_back(fraction); };
    options.finish = [&](const std::string& pending) {
        namedDuringFinish = QFileInfo::exists(output_);
        QFile file(QFile::decodeName(QByteArray::fromStdString(pending)));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite | QIODevice::Append));
        sizeSeen = file.size();
        file.write("TAIL");
    };
    const mellorin::DecodeOutcome outcome =
        mellorin::DecodeFile(Native(source_), Native(output_), options);
    ASSERT_EQ(outcome.kind, mellorin::DecodeOutcome::Kind::Completed) << outcome.Text();
    ASSERT_GE(fractions.size(), 2u);
    for (size_t i = 1; i < fractions.size(); ++i) {
        EXPECT_GE(fractions[i], fractions[i - 1]);
    }
    EXPECT_NEAR(fractions.back(), 1.0, 0.01);
    EXPECT_FALSE(namedDuringFinish);
    const QByteArray written = testsupport::ReadAll(output_);
    EXPECT_EQ(written.size(), sizeSeen + 4);
    EXPECT_TRUE(written.endsWith("TAIL"));
}

// A stop between two blocks ends the decode with nothing at or beside the output.
TEST_F(Decode, AStopLeavesNothingBehind) {
    std::atomic<bool> cancel = false;
    mellorin::DecodeOptions options;
    options.cancel = &cancel;
    options.progress = [&](uint64_t, double) { cancel = true; };
    bool finished = false;
    options.finish = [&](const std::string&) { finished = true; };
    const mellorin::DecodeOutcome outcome =
        mellorin::DecodeFile(Native(source_), Native(output_), options);
    EXPECT_EQ(outcome.kind, mellorin::DecodeOutcome::Kind::Stopped);
    EXPECT_FALSE(finished);
    EXPECT_EQ(testsupport::FolderEntries(dir_.path()), QStringList{QStringLiteral("tone.wma")});
}
