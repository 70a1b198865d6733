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
// entry i belonging to line i of lstSourcePathName.
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

    QLabel* lblSource = nullptr;
    QListWidget* lstSourcePathName = nullptr;
    QPushButton* cmdBrowseSource = nullptr;
    QLabel* lblOutput = nullptr;
    QLineEdit* txtOutputPathName = nullptr;
    QPushButton* cmdBrowseOutput = nullptr;
    QLabel* lblFormat = nullptr;
    QComboBox* comboFormats = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void browseSources();
    void browseOutput();
    void showEntry(int row);
    void acceptIfValid();
    void showFormat(const QString& format);

    QString defaultProfile_;
};
