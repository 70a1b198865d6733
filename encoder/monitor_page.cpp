#include "encoder/monitor_page.h"

#include "encoder/encoder.h"

#include <QDir>
#include <QFormLayout>
#include <QLabel>
#include <QTime>
#include <QTimer>

namespace sw::enc {

namespace {

constexpr int kRefreshMs = 250;

QString ElapsedText(qint64 ms) {
    return QTime(0, 0)
        .addMSecs(static_cast<int>(ms % (24LL * 3600 * 1000)))
        .toString(QStringLiteral("HH:mm:ss"));
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
      timer_(new QTimer(this)) {
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

    connect(timer_, &QTimer::timeout, this, &MonitorPage::refresh);
    connect(&encoder_, &Encoder::stateChanged, this, &MonitorPage::refresh);
    timer_->start(kRefreshMs);
    refresh();
}

void MonitorPage::setSelectedJob(const QString& details) {
    selected_->setText(details);
}

QString MonitorPage::selectedJob() const {
    return selected_->text();
}

void MonitorPage::refresh() {
    source_->setText(QDir::toNativeSeparators(encoder_.runSource()));
    output_->setText(QDir::toNativeSeparators(encoder_.runOutput()));
    profile_->setText(ProfileCollection::displayName(encoder_.runProfile()));
    elapsed_->setText(encoder_.runSource().isEmpty() ? QString()
                                                     : ElapsedText(encoder_.elapsedMs()));
    progress_->setText(encoder_.progressText());
}

}  // namespace sw::enc
