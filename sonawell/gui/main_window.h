#pragma once

#include "core/engine/batch_progress.h"
#include "core/engine/conversion_driver.h"
#include "core/engine/pending_jobs.h"
#include "core/engine/quick_convert.h"
#include "core/jobs/job_list_file.h"
#include "core/jobs/job_store.h"
#include "encoder/encoder.h"
#include "gui/job_table_model.h"
#include "gui/message_box_prompt.h"

#include <QMainWindow>

#include <array>
#include <memory>
#include <vector>

class LauncherEntry;
class QAction;
class QLabel;
class QActionGroup;
class QToolBar;
class QTreeView;

namespace sw::enc {
class MonitorPage;
}

// The main window: the job list, the commands, the encoder's monitoring page, and the rules
// for which commands are available and how the program closes.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // `prompt` answers the engine's questions; null means message boxes of this window.
    MainWindow(sw::enc::Encoder& encoder, PendingJobs& pending, UserPrompt* prompt = nullptr,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    void updateCommands();

    ConversionDriver& driver() { return *driver_; }
    JobStore& jobs() { return jobs_; }
    QTreeView* jobView() const { return jobView_; }
    QToolBar* toolBar() const { return toolBar_; }
    BatchProgress& batchProgress() { return *batchProgress_; }
    QLabel* batchStatus() const { return batchStatus_; }

    // Commands, as the menu items and toolbar buttons run them.
    // `sources` (dropped files) are listed in the dialog as if its browse button chose them.
    void newJob(const QStringList& sources = {});
    // Removes the selected rows that may go: all but the job in hand.
    void deleteSelectedJob();
    void clearFinished();
    void retryFailed();
    // Moves the selected waiting jobs one row up (-1) or down (+1); the queue follows.
    void moveSelected(int delta);
    void startConversion();
    void stopConversion();
    void choosePriority(int index);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildMenus();
    void buildToolbar();
    void finishSetUp();
    void restoreLayout();
    QSize firstSize() const;
    int listFrameWidth() const;
    // What the columns but the paths take, the stretched last one at its caption's width.
    int otherColumnsWidth() const;
    // The narrowest a path column gets in a narrow window.
    static constexpr int kMinPath = 60;
    void fitColumns();
    void saveLayout() const;
    void showSelectedJob();
    void unload();
    // 1-based selected row of the job list, 0 when none.
    int selectedRow() const;
    std::vector<int> selectedRows() const;
    void selectRows(const std::vector<int>& rows);
    // Offers the jobs a program that ended before working its list off left behind, once.
    void bringBackKeptJobs();
    void showBatchProgress();

    sw::enc::Encoder& encoder_;
    PendingJobs& pending_;
    MessageBoxPrompt boxes_;
    UserPrompt& prompt_;
    JobStore jobs_;
    JobTableModel model_{jobs_};
    std::unique_ptr<ConversionDriver> driver_;
    std::unique_ptr<QuickConvert> quick_;
    std::unique_ptr<BatchProgress> batchProgress_;
    std::unique_ptr<JobListFile> jobListFile_;
    QString title_;
    QLabel* batchStatus_ = nullptr;

    QToolBar* toolBar_ = nullptr;
    QTreeView* jobView_ = nullptr;
    sw::enc::MonitorPage* monitorPage_ = nullptr;
    QAction* newJobAction_ = nullptr;
    QAction* deleteJobAction_ = nullptr;
    QAction* clearFinishedAction_ = nullptr;
    QAction* retryFailedAction_ = nullptr;
    QAction* moveUpAction_ = nullptr;
    QAction* moveDownAction_ = nullptr;
    QAction* startAction_ = nullptr;
    QAction* stopAction_ = nullptr;
    QAction* exitAction_ = nullptr;
    QAction* optionsAction_ = nullptr;
    QAction* helpContentsAction_ = nullptr;
    QAction* helpIndexAction_ = nullptr;
    QAction* aboutAction_ = nullptr;
    std::array<QAction*, 3> priorityActions_{};
    QActionGroup* priorityGroup_ = nullptr;
    // The source and target columns' widths as set or restored, before fitting the window.
    std::array<int, 2> pathWidths_{};
    bool fitting_ = false;
    bool closeAfterRun_ = false;
    bool unloaded_ = false;
};
