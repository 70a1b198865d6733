#include "encoder/monitor_page.h"
#include "support/build_fixtures.h"

#include "encoder_test_support.h"
#include "support/audio_fixtures.h"

#include <QLabel>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace enctest;
using sw::enc::Encoder;
using sw::enc::MonitorPage;

namespace {

// The progress label found the way the conversion driver finds it.
QLabel* ProgressLabel(QWidget& host) {
    QLabel* found = nullptr;
    for (QLabel* label : host.findChildren<QLabel*>())
        if (label->property("controlId").toInt() == 506) {
            EXPECT_EQ(found, nullptr) << "one label carries the identifier";
            found = label;
        }
    return found;
}

bool PageShows(QWidget& page, const QString& text) {
    for (const QLabel* label : page.findChildren<QLabel*>())
        if (label->text() == text)
            return true;
    return false;
}

}  // namespace

TEST(EncoderMonitorPage, ProgressLabelShowsTheRunsProgressAndIsEmptyOtherwise) {
    QTemporaryDir dir;
    // Long enough that the run is still under way when its first progress is shown.
    const QString source = testsupport::FixturePath(testsupport::kNoisyWav300s);
    Encoder encoder;
    QWidget window;
    auto* page = new MonitorPage(encoder, &window);
    window.show();
    QLabel* progress = ProgressLabel(window);
    ASSERT_NE(progress, nullptr);
    EXPECT_TRUE(progress->property("text").toString().isEmpty());

    // While a run is under way the label shows each progress the encoder signals, in whole
    // percent rounded down.
    QSignalSpy progressed(&encoder, &Encoder::progressChanged);
    encoder.start(Request(source, dir.filePath(QStringLiteral("long.wma"))));
    ASSERT_TRUE(progressed.wait(60000));
    const double fraction = progressed.last().at(0).toDouble();
    EXPECT_EQ(progress->text(), QString::number(static_cast<int>(fraction * 100)) + u'%');
    EXPECT_TRUE(PageShows(*page, source));
    encoder.stop();
    WaitForEnd(encoder);

    // After the end: the last run's details and its time stay, the progress goes.
    EXPECT_TRUE(progress->text().isEmpty());
    EXPECT_TRUE(PageShows(*page, source));
    EXPECT_TRUE(PageShows(*page, dir.filePath(QStringLiteral("long.wma"))));
    EXPECT_TRUE(PageShows(*page, encoder.profiles().item(kCdProfile).name()));
    bool elapsedShown = false;
    for (const QLabel* label : page->findChildren<QLabel*>())
        elapsedShown |= QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d$"))
                            .match(label->text())
                            .hasMatch();
    EXPECT_TRUE(elapsedShown);
}
