#include "encoder/monitor_page.h"

#include "encoder/encoder.h"

#include <QDir>
#include <QFormLayout>
#include <QLabel>
#include <QTime>
#include <QTimer>

#include <cmath>

namespace sw::enc {

namespace {

// The elapsed time shows whole seconds; a quarter of one keeps it from lagging visibly.
constexpr int kClockMs = 250;

QString ElapsedText(qint64 ms) {
    return QTime(0, 0)
        .addMSecs(static_cast<int>(ms % (24LL * 3600 * 1000)))
        .toString(QStringLiteral("HH:mm:ss"));
}

QString PercentText(double fraction) {
    return QString::number(static_cast<int>(std::floor(std::clamp(fraction, 0.0, 1.0) * 100))) +
           QLatin1Char('%');
}

}  // namespace

MonitorPage::MonitorPage(Encoder& encoder, QWidget* parent)
    : QWidget(parent),
      encoder_(encoder),
      source_(new QLabel(this)),
      output_(new QLabel(this)),
      profile_(new QLabel(this)),
      elapsed_(new QLabel(this)),
      progress_(new QLabel(this)),
      selected_(new QLabel(this)),
      clock_(new QTimer(this)) {
    progress_->setProperty("controlId", kProgressLabelId);
    for (QLabel* label : {source_, output_, profile_, selected_})
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    selected_->setObjectName(QStringLiteral("lblSelectedJob"));
    // A failure reason can be long; it wraps rather than widening the window.
    selected_->setWordWrap(true);
    selected_->setTextFormat(Qt::PlainText);
    selected_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* layout = new QFormLayout(this);
    layout->addRow(tr("Source:"), source_);
    layout->addRow(tr("Output:"), output_);
    layout->addRow(tr("Profile:"), profile_);
    layout->addRow(tr("Elapsed time:"), elapsed_);
    layout->addRow(tr("Progress:"), progress_);
    layout->addRow(tr("Selected job:"), selected_);

    clock_->setInterval(kClockMs);
    connect(clock_, &QTimer::timeout, this, &MonitorPage::showElapsed);
    connect(&encoder_, &Encoder::stateChanged, this, &MonitorPage::onStateChanged);
    connect(&encoder_, &Encoder::progressChanged, this, [this](double fraction) {
        if (clock_->isActive())
            progress_->setText(PercentText(fraction));
    });
}

void MonitorPage::setSelectedJob(const QString& details) {
    selected_->setText(details);
}

QString MonitorPage::selectedJob() const {
    return selected_->text();
}

void MonitorPage::onStateChanged(RunState state) {
    if (state == RunState::Starting) {
        const EncodeRequest& request = encoder_.request();
        source_->setText(QDir::toNativeSeparators(request.source));
        output_->setText(QDir::toNativeSeparators(request.output));
        profile_->setText(ProfileCollection::displayName(request.profile));
        progress_->setText(PercentText(0));
        runClock_.start();
        clock_->start();
        showElapsed();
    } else if (state == RunState::Stopped) {
        // The last run's details stay; its progress goes with it.
        showElapsed();
        clock_->stop();
        progress_->clear();
    }
}

void MonitorPage::showElapsed() {
    elapsed_->setText(ElapsedText(runClock_.elapsed()));
}

}  // namespace sw::enc
