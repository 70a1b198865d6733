#include "gui/dialogs/add_job_dialog.h"

#include "core/jobs/job.h"
#include "core/settings/app_settings.h"
#include "core/settings/common.h"
#include "encoder/encoder.h"
#include "gui/art_pictures.h"
#include "gui/window_placement.h"

#include <QComboBox>
#include <QEvent>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// "*.[mM][pP]3": a pattern that matches the extension in any letter case, whatever the file
// dialog's own case rules are.
QString AnyCasePattern(const QString& extension) {
    QString pattern = QStringLiteral("*.");
    for (const QChar c : extension) {
        if (c.isLetter()) {
            pattern += QLatin1Char('[') + c.toLower() + c.toUpper() + QLatin1Char(']');
        } else {
            pattern += c;
        }
    }
    return pattern;
}

// "Label (patterns)"; the dialog is told to hide the patterns, so the user sees the label.
QString Filter(const QString& label, const QStringList& extensions) {
    QStringList patterns;
    for (const QString& extension : extensions) {
        patterns << AnyCasePattern(extension);
    }
    return label + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
}

QPushButton* PictureButton(const QString& tip, QWidget* parent) {
    auto* button = new QPushButton(parent);
    button->setIcon(BrowseIcon());
    button->setIconSize(QSize(20, 20));
    button->setToolTip(tip);
    button->setFixedSize(32, 28);
    return button;
}

}  // namespace

QStringList SourceFileFilters() {
    const QString mp3 = QStringLiteral("mp3"), mp2 = QStringLiteral("mp2"),
                  wav = QStringLiteral("wav"), wma = QStringLiteral("wma");
    return {Filter(QStringLiteral("All supported files(*.mp3;*.mp2;*.wav)"), {mp3, mp2, wav}),
            Filter(QStringLiteral("MPEG audio files (*.mp3;*.mp2)"), {mp3, mp2}),
            Filter(QStringLiteral("Microsoft Waveform audio files (*.wav)"), {wav}),
            Filter(QStringLiteral("Windows Media Audio files (*.wma)"), {wma})};
}

QStringList OutputFileFilters() {
    return {
        Filter(QStringLiteral("Windows Media Format Audio Files(*.wma)"), {QStringLiteral("wma")})};
}

frmAddJob::frmAddJob(const sw::enc::ProfileCollection& profiles, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Add conversion Job"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    chooseSources = [this] {
        const QStringList filters = SourceFileFilters();
        return QFileDialog::getOpenFileNames(this, QStringLiteral("Add conversion Job"), QString(),
                                             filters.join(QStringLiteral(";;")), nullptr,
                                             QFileDialog::HideNameFilterDetails);
    };
    chooseOutput = [this] {
        const QStringList filters = OutputFileFilters();
        return QFileDialog::getSaveFileName(this, QStringLiteral("Output File"),
                                            txtOutputPathName->text(), filters.first(), nullptr,
                                            QFileDialog::HideNameFilterDetails);
    };

    lblSource = new QLabel(QStringLiteral("Source File"), this);
    lstSourcePathName = new QListWidget(this);
    lstSourcePathName->setObjectName(QStringLiteral("lstSourcePathName"));
    lstSourcePathName->setSelectionMode(QAbstractItemView::SingleSelection);
    lblSource->setBuddy(lstSourcePathName);
    cmdBrowseSource = PictureButton(QStringLiteral("Choose source files"), this);
    cmdBrowseSource->setObjectName(QStringLiteral("cmdBrowseSource"));

    lblOutput = new QLabel(QStringLiteral("Output File"), this);
    txtOutputPathName = new QLineEdit(this);
    txtOutputPathName->setObjectName(QStringLiteral("txtOutputPathName"));
    lblOutput->setBuddy(txtOutputPathName);
    cmdBrowseOutput = PictureButton(QStringLiteral("Choose the output file"), this);
    cmdBrowseOutput->setObjectName(QStringLiteral("cmdBrowseOutput"));

    lblFormat = new QLabel(QStringLiteral("Output Format"), this);
    comboFormats = new QComboBox(this);
    comboFormats->setObjectName(QStringLiteral("comboFormats"));
    lblFormat->setBuddy(comboFormats);
    comboFormats->addItems(profiles.audioProfileNames());
    comboFormats->addItem(kWaveProfile);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(4);
    grid->addWidget(lblSource, 0, 0, 1, 2);
    grid->addWidget(lstSourcePathName, 1, 0);
    grid->addWidget(cmdBrowseSource, 1, 1, Qt::AlignTop);
    grid->setRowMinimumHeight(2, 8);
    grid->addWidget(lblOutput, 3, 0, 1, 2);
    grid->addWidget(txtOutputPathName, 4, 0);
    grid->addWidget(cmdBrowseOutput, 4, 1);
    grid->setRowMinimumHeight(5, 8);
    grid->addWidget(lblFormat, 6, 0, 1, 2);
    grid->addWidget(comboFormats, 7, 0);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 12, 14, 12);
    layout->addLayout(grid);
    layout->addSpacing(8);
    layout->addLayout(buttons);

    connect(cmdBrowseSource, &QPushButton::clicked, this, &frmAddJob::cmdBrowseSource_Click);
    connect(cmdBrowseOutput, &QPushButton::clicked, this, &frmAddJob::cmdBrowseOutput_Click);
    connect(lstSourcePathName, &QListWidget::currentRowChanged, this,
            &frmAddJob::lstSourcePathName_Click);
    // A format picked with the wheel or the keyboard counts at once, even if the box never
    // had the focus to lose.
    connect(comboFormats, &QComboBox::activated, this, [this] { SaveCurrentItem(); });
    connect(cmdOK, &QPushButton::clicked, this, &frmAddJob::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    txtOutputPathName->installEventFilter(this);
    comboFormats->installEventFilter(this);

    // Loading: one empty entry per list until sources are chosen.
    strNewJobSources = QStringList{QString()};
    strNewJobOutputs = QStringList{QString()};
    strNewJobFormats = QStringList{QString()};
    // As the file holds it now: another instance may have changed it since this one started.
    strDefaultProfile = ReadSettings(AppSettings.IniPath).GeneralProfile;
    showFormat(strDefaultProfile);

    resize(520, 330);
    CenterWindowOnOwner(this, parent);
    bOKPressed = false;
}

bool frmAddJob::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut &&
        (watched == txtOutputPathName || watched == comboFormats)) {
        SaveCurrentItem();
    }
    return QDialog::eventFilter(watched, event);
}

void frmAddJob::SaveCurrentItem() {
    const int row = lstSourcePathName->currentRow();
    // Before any source is chosen there is no entry to store into.
    if (row < 0 || row >= strNewJobOutputs.size() || row >= strNewJobFormats.size()) {
        return;
    }
    strNewJobOutputs[row] = txtOutputPathName->text();
    // A format the list doesn't hold shows as no selection; it is kept until the user picks
    // one, rather than being replaced by empty text.
    if (comboFormats->currentIndex() >= 0) {
        strNewJobFormats[row] = comboFormats->currentText();
    }
}

void frmAddJob::showFormat(const QString& format) {
    comboFormats->setCurrentIndex(format.isEmpty() ? -1 : comboFormats->findText(format));
}

void frmAddJob::cmdBrowseSource_Click() {
    const QStringList chosen = chooseSources ? chooseSources() : QStringList();
    if (chosen.isEmpty()) {
        return;
    }
    QStringList outputs, formats;
    for (const QString& source : chosen) {
        const QString output = DeriveOutputPath(source);
        outputs << output;
        formats << (GetFileExtension(output).compare(QStringLiteral("wav"), Qt::CaseInsensitive) ==
                            0
                        ? kWaveProfile
                        : strDefaultProfile);
    }
    {
        // The old lines go without storing the boxes into entries that are being replaced.
        const QSignalBlocker block(lstSourcePathName);
        lstSourcePathName->clear();
    }
    strNewJobSources = chosen;
    strNewJobOutputs = outputs;
    strNewJobFormats = formats;
    lstSourcePathName->addItems(chosen);
    lstSourcePathName->setCurrentRow(0);
    lstSourcePathName_Click(0);
}

void frmAddJob::cmdBrowseOutput_Click() {
    const QString chosen = chooseOutput ? chooseOutput() : QString();
    if (!chosen.isEmpty()) {
        txtOutputPathName->setText(chosen);
    }
}

void frmAddJob::lstSourcePathName_Click(int row) {
    if (row < 0 || row >= strNewJobOutputs.size()) {
        return;
    }
    txtOutputPathName->setText(strNewJobOutputs.at(row));
    showFormat(strNewJobFormats.at(row));
}

void frmAddJob::cmdOK_Click() {
    if (lstSourcePathName->count() == 0) {
        QMessageBox::warning(this, QStringLiteral("Sonawell"),
                             QStringLiteral("Invalid Source File Name"));
        return;
    }
    SaveCurrentItem();
    bOKPressed = true;
    accept();
}

// Placed again once the window exists: only then does its frame count in the arithmetic.
void frmAddJob::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CenterWindowOnOwner(this, parentWidget());
}
