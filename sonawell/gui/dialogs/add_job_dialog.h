#pragma once

#include <QDialog>
#include <QStringList>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace sw::enc {
class ProfileCollection;
}

// File-dialog filters of the source and output browse buttons, in Qt's filter form. Each
// entry shows its patterns as the user knows them and matches letters in either case; the
// source filters come from the table of formats (common/audio_formats.h).
QStringList sourceFileFilters();
QStringList outputFileFilters();

// "Add conversion Job": the user picks source files; each gets a proposed output path and
// format that can be changed line by line. On OK the three result lists run in parallel,
// entry i belonging to line i of sourceList().
class AddJobDialog : public QDialog {
    Q_OBJECT
public:
    AddJobDialog(const sw::enc::ProfileCollection& profiles, QWidget* parent);

    bool okPressed = false;
    QStringList sources;
    QStringList outputs;
    QStringList formats;

    // The two file dialogs; replaceable so that callers and tests can answer them.
    // chooseSources returns full paths in the order chosen (empty: cancelled), chooseOutput
    // one path (empty: cancelled).
    std::function<QStringList()> chooseSources;
    std::function<QString()> chooseOutput;

    // Lists `paths` as sources, each with its proposed output and format, as if the source
    // browse button had chosen them (files dropped on the main window).
    void presetSources(const QStringList& paths);

    // Stores the output box and the format box into the entry of the selected line.
    void saveCurrentEntry();

    QLabel* sourceLabel() const { return lblSource_; }
    QListWidget* sourceList() const { return lstSourcePathName_; }
    QPushButton* browseSourceButton() const { return cmdBrowseSource_; }
    QLabel* outputLabel() const { return lblOutput_; }
    QLineEdit* outputEdit() const { return txtOutputPathName_; }
    QPushButton* browseOutputButton() const { return cmdBrowseOutput_; }
    QLabel* formatLabel() const { return lblFormat_; }
    QComboBox* formatBox() const { return comboFormats_; }
    QPushButton* okButton() const { return cmdOK_; }
    QPushButton* cancelButton() const { return cmdCancel_; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void browseSources();
    void browseOutput();
    void showEntry(int row);
    void acceptIfValid();
    void showFormat(const QString& format);

    QLabel* lblSource_ = nullptr;
    QListWidget* lstSourcePathName_ = nullptr;
    QPushButton* cmdBrowseSource_ = nullptr;
    QLabel* lblOutput_ = nullptr;
    QLineEdit* txtOutputPathName_ = nullptr;
    QPushButton* cmdBrowseOutput_ = nullptr;
    QLabel* lblFormat_ = nullptr;
    QComboBox* comboFormats_ = nullptr;
    QPushButton* cmdOK_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
    QString defaultProfile_;
};
