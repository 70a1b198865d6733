#include "gui/dialogs/add_job_dialog.h"

#include "common/audio_formats.h"
#include "core/formats/format_lookup.h"
#include "core/jobs/job.h"
#include "core/settings/app_settings.h"
#include "encoder/encoder.h"
#include "gui/art_pictures.h"
#include "gui/dialogs/accessible_choice.h"
#include "gui/window_placement.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
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

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

// "*.[mM][pP]3": a pattern that matches the extension in any letter case, whatever the file
// dialog's own case rules are.
QString anyCasePattern(const QString& extension) {
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

QString latin1(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// "Label (*.mp3;*.mp2) (any-case patterns)"; the dialog is told to hide the last parentheses,
// so the user sees the label with the patterns as they know them.
QString nameFilter(const QString& label, const QStringList& extensions) {
    QStringList shown;
    QStringList patterns;
    for (const QString& extension : extensions) {
        shown << QStringLiteral("*.") + extension;
        patterns << anyCasePattern(extension);
    }
    return label + QStringLiteral(" (") + shown.join(QLatin1Char(';')) + QStringLiteral(") (") +
           patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
}

QPushButton* pictureButton(const QString& tip, QWidget* parent) {
    auto* button = new QPushButton(parent);
    button->setIcon(browseIcon());
    button->setToolTip(tip);
    // A picture alone tells a screen reader nothing.
    button->setAccessibleName(tip);
    return button;
}

}  // namespace

QStringList sourceFileFilters() {
    // "All supported files" first, then one entry per label, in the table's order.
    QStringList all;
    std::vector<std::pair<std::string_view, QStringList>> byLabel;
    for (const sw::formats::SourceFormat& format : sw::formats::kSourceFormats) {
        auto entry = std::find_if(byLabel.begin(), byLabel.end(), [&](const auto& known) {
            return known.first == format.filterLabel;
        });
        if (entry == byLabel.end()) {
            entry = byLabel.insert(byLabel.end(), {format.filterLabel, QStringList()});
        }
        for (const std::string_view extension : format.extensions) {
            all << latin1(extension);
            entry->second << latin1(extension);
        }
    }
    QStringList filters{
        nameFilter(QCoreApplication::translate("AddJobDialog", "All supported files"), all)};
    for (const auto& [label, extensions] : byLabel) {
        filters << nameFilter(
            QCoreApplication::translate("AudioFormats", std::string(label).c_str()), extensions);
    }
    return filters;
}

QStringList outputFileFilters() {
    return {
        nameFilter(QCoreApplication::translate("AddJobDialog", "Windows Media Format Audio Files"),
                   {latin1(sw::formats::outputExtension(sw::formats::Output::Wma))})};
}

AddJobDialog::AddJobDialog(const sw::enc::ProfileCollection& profiles, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(tr("Add conversion Job"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    chooseSources = [this] {
        const QStringList filters = sourceFileFilters();
        return QFileDialog::getOpenFileNames(this, tr("Add conversion Job"), QString(),
                                             filters.join(QStringLiteral(";;")), nullptr,
                                             QFileDialog::HideNameFilterDetails);
    };
    chooseOutput = [this] {
        const QStringList filters = outputFileFilters();
        return QFileDialog::getSaveFileName(this, tr("Output File"), txtOutputPathName_->text(),
                                            filters.first(), nullptr,
                                            QFileDialog::HideNameFilterDetails);
    };

    lblSource_ = new QLabel(tr("Source File"), this);
    lstSourcePathName_ = new QListWidget(this);
    lstSourcePathName_->setAccessibleName(tr("Source files"));
    lstSourcePathName_->setObjectName(QStringLiteral("lstSourcePathName"));
    lstSourcePathName_->setSelectionMode(QAbstractItemView::SingleSelection);
    lblSource_->setBuddy(lstSourcePathName_);
    cmdBrowseSource_ = pictureButton(tr("Choose source files"), this);
    cmdBrowseSource_->setObjectName(QStringLiteral("cmdBrowseSource"));

    lblOutput_ = new QLabel(tr("Output File"), this);
    txtOutputPathName_ = new QLineEdit(this);
    txtOutputPathName_->setObjectName(QStringLiteral("txtOutputPathName"));
    lblOutput_->setBuddy(txtOutputPathName_);
    cmdBrowseOutput_ = pictureButton(tr("Choose the output file"), this);
    cmdBrowseOutput_->setObjectName(QStringLiteral("cmdBrowseOutput"));

    lblFormat_ = new QLabel(tr("Output Format"), this);
    comboFormats_ = new QComboBox(this);
    comboFormats_->setObjectName(QStringLiteral("comboFormats"));
    takeAccessibleChoice(comboFormats_);
    lblFormat_->setBuddy(comboFormats_);
    const QStringList names = profiles.names() << kWaveProfile << kFlacProfile;
    for (const QString& name : names) {
        comboFormats_->addItem(sw::enc::ProfileCollection::displayName(name), name);
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    cmdOK_ = buttons->button(QDialogButtonBox::Ok);
    cmdOK_->setObjectName(QStringLiteral("cmdOK"));
    cmdOK_->setText(QCoreApplication::translate("OkCancel", "OK"));
    cmdCancel_ = buttons->button(QDialogButtonBox::Cancel);
    cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel_->setText(QCoreApplication::translate("OkCancel", "Cancel"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* grid = new QGridLayout;
    grid->addWidget(lblSource_, 0, 0, 1, 2);
    grid->addWidget(lstSourcePathName_, 1, 0);
    grid->addWidget(cmdBrowseSource_, 1, 1, Qt::AlignTop);
    grid->setRowMinimumHeight(2, 8);
    grid->addWidget(lblOutput_, 3, 0, 1, 2);
    grid->addWidget(txtOutputPathName_, 4, 0);
    grid->addWidget(cmdBrowseOutput_, 4, 1);
    grid->setRowMinimumHeight(5, 8);
    grid->addWidget(lblFormat_, 6, 0, 1, 2);
    grid->addWidget(comboFormats_, 7, 0);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);

    connect(cmdBrowseSource_, &QPushButton::clicked, this, &AddJobDialog::browseSources);
    connect(cmdBrowseOutput_, &QPushButton::clicked, this, &AddJobDialog::browseOutput);
    connect(lstSourcePathName_, &QListWidget::currentRowChanged, this, &AddJobDialog::showEntry);
    // A format picked with the wheel or the keyboard counts at once, even if the box never
    // had the focus to lose.
    connect(comboFormats_, &QComboBox::activated, this, [this] { saveCurrentEntry(); });
    connect(cmdOK_, &QPushButton::clicked, this, &AddJobDialog::acceptIfValid);
    txtOutputPathName_->installEventFilter(this);
    comboFormats_->installEventFilter(this);

    // Loading: one empty entry per list until sources are chosen.
    sources = QStringList{QString()};
    outputs = QStringList{QString()};
    formats = QStringList{QString()};
    // As the file holds it now: another instance may have changed it since this one started.
    defaultProfile_ = readSettings(appSettings.iniPath).generalProfile;
    showFormat(defaultProfile_);

    resize(520, 330);
    centerOnOwner(this, parent);
    okPressed = false;
}

bool AddJobDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut &&
        (watched == txtOutputPathName_ || watched == comboFormats_)) {
        saveCurrentEntry();
    }
    return QDialog::eventFilter(watched, event);
}

void AddJobDialog::saveCurrentEntry() {
    const int row = lstSourcePathName_->currentRow();
    // Before any source is chosen there is no entry to store into.
    if (row < 0 || row >= outputs.size() || row >= formats.size()) {
        return;
    }
    outputs[row] = txtOutputPathName_->text();
    // A format the list doesn't hold shows as no selection; it is kept until the user picks
    // one, rather than being replaced by empty text.
    if (comboFormats_->currentIndex() >= 0) {
        formats[row] = comboFormats_->currentData().toString();
    }
}

void AddJobDialog::showFormat(const QString& format) {
    comboFormats_->setCurrentIndex(format.isEmpty() ? -1 : comboFormats_->findData(format));
}

void AddJobDialog::browseSources() {
    const QStringList chosen = chooseSources ? chooseSources() : QStringList();
    if (chosen.isEmpty()) {
        return;
    }
    QStringList newOutputs, newFormats;
    for (const QString& source : chosen) {
        // A file the table does not take gets no proposal: the user types one or picks another.
        const std::optional<DerivedOutput> derived = deriveOutput(source);
        newOutputs << (derived ? derived->path : QString());
        newFormats << (derived ? profileFor(derived->output, defaultProfile_) : QString());
    }
    {
        // The old lines go without storing the boxes into entries that are being replaced.
        const QSignalBlocker block(lstSourcePathName_);
        lstSourcePathName_->clear();
    }
    sources = chosen;
    outputs = newOutputs;
    formats = newFormats;
    lstSourcePathName_->addItems(chosen);
    lstSourcePathName_->setCurrentRow(0);
    showEntry(0);
}

void AddJobDialog::presetSources(const QStringList& paths) {
    const auto choose = std::exchange(chooseSources, [paths] { return paths; });
    browseSources();
    chooseSources = choose;
}

void AddJobDialog::browseOutput() {
    const QString chosen = chooseOutput ? chooseOutput() : QString();
    if (!chosen.isEmpty()) {
        txtOutputPathName_->setText(chosen);
        // Kept for its line now, as a picked format is: the box may never get the focus.
        saveCurrentEntry();
    }
}

void AddJobDialog::showEntry(int row) {
    if (row < 0 || row >= outputs.size()) {
        return;
    }
    txtOutputPathName_->setText(outputs.at(row));
    showFormat(formats.at(row));
}

void AddJobDialog::acceptIfValid() {
    if (lstSourcePathName_->count() == 0) {
        QMessageBox::warning(this, QStringLiteral("Sonawell"), tr("Invalid Source File Name"));
        return;
    }
    saveCurrentEntry();
    okPressed = true;
    accept();
}

// Placed again once the window exists: only then does its frame count in the arithmetic.
void AddJobDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    centerOnOwner(this, parentWidget());
}
