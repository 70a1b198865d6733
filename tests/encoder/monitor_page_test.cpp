#include "encoder/monitor_page.h"

#include "encoder_test_support.h"
#include "support/audio_fixtures.h"

#include <QLabel>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

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
    const QString source = dir.filePath(QStringLiteral("long.mp3"));
    ASSERT_TRUE(testsupport::MakeMp3(source, 30));
    Encoder encoder;
    QWidget window;
    auto* page = new MonitorPage(encoder, &window);
    window.show();
    QLabel* progress = ProgressLabel(window);
    ASSERT_NE(progress, nullptr);
    EXPECT_TRUE(progress->property("text").toString().isEmpty());

    // While a run is under way the label follows the encoder on the page's timer; the handler
    // lets events run, as a modal dialog would, and the run's end waits until it returns.
    const QRegularExpression percent(QStringLiteral("^\\d{1,3}%$"));
    QStringList seen;
    QObject::connect(&encoder, &Encoder::stateChanged, page, [&](int32_t state) {
        if (state != 2)
            return;
        const bool shown = QTest::qWaitFor(
            [&] { return percent.match(progress->property("text").toString()).hasMatch(); }, 60000);
        EXPECT_TRUE(shown) << "the label never showed the progress";
        seen << progress->property("text").toString() << encoder.progressText();
    });
    SetUpJob(encoder, source, dir.filePath(QStringLiteral("long.wma")));
    encoder.prepareToEncode(true);
    encoder.start();
    WaitForEnd(encoder);
    ASSERT_EQ(seen.size(), 2);
    EXPECT_TRUE(percent.match(seen[0]).hasMatch())
        << seen[0].toStdString() << " / " << seen[1].toStdString();

    // After the end: the last run's details stay, the progress is empty once the page's timer
    // has seen the end.
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return progress->property("text").toString().isEmpty(); }, 60000));
    EXPECT_TRUE(PageShows(*page, source));
    EXPECT_TRUE(PageShows(*page, encoder.profiles().item(kCdProfile).name()));
}
