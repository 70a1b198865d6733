#pragma once

#include "core/engine/conversion_driver.h"
#include "core/engine/pending_jobs.h"
#include "core/engine/quick_convert.h"
#include "core/jobs/job_store.h"
#include "encoder/encoder.h"
#include "gui/job_table_model.h"
#include "gui/message_box_prompt.h"

#include <QMainWindow>

#include <array>
#include <memory>

class QAction;
class QActionGroup;
class QToolBar;
class QTreeView;

namespace sw::enc {
class MonitorPage;
}

// The main window: the job list, the commands, the encoder's monitoring page, and the rules
// for which commands are available and how the program closes.
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    // `prompt` answers the engine's questions; null means message boxes of this window.
    frmMain(sw::enc::Encoder& encoder, PendingJobs& pending, UserPrompt* prompt = nullptr,
            QWidget* parent = nullptr);
    ~frmMain() override;

    void UpdateCommandStatus();

    ConversionDriver& driver() { return *driver_; }
    JobStore& jobs() { return jobs_; }
    QuickConvert& quickConvert() { return *quick_; }
    QTreeView* lstJobs() const { return lstJobs_; }
    QToolBar* tbarMain() const { return tbarMain_; }

    // Commands, as the menu items and toolbar buttons run them.
    void mnuNewJob_Click();
    void mnuDeleteJob_Click();
    void mnuStartConvert_Click();
    void mnuStopConvert_Click();
    void mnuPriority_Click(int index);
    void tbarMain_ButtonClick(const QString& key);

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void buildToolbar();
    void Form_Load();
    void Form_Resize();
    void Form_Unload();
    // 1-based selected row of the job list, 0 when none.
    int selectedRow() const;

    sw::enc::Encoder& encoder_;
    PendingJobs& pending_;
    MessageBoxPrompt boxes_;
    UserPrompt& prompt_;
    JobStore jobs_;
    JobTableModel model_{jobs_};
    std::unique_ptr<ConversionDriver> driver_;
    std::unique_ptr<QuickConvert> quick_;

    QWidget* client_ = nullptr;
    QToolBar* tbarMain_ = nullptr;
    QTreeView* lstJobs_ = nullptr;
    sw::enc::MonitorPage* PageShell = nullptr;
    QAction* mnuNewJob = nullptr;
    QAction* mnuDeleteJob = nullptr;
    QAction* mnuStartConvert = nullptr;
    QAction* mnuStopConvert = nullptr;
    QAction* mnuFileExit = nullptr;
    QAction* mnuOptions = nullptr;
    QAction* mnuHelpContent = nullptr;
    QAction* mnuHelpIndex = nullptr;
    QAction* mnuHelpAbout = nullptr;
    std::array<QAction*, 3> mnuPriority{};
    QActionGroup* priorityGroup_ = nullptr;
    bool closeAfterDecode_ = false;
    bool unloaded_ = false;
};

// The main window, for module-level code.
extern frmMain* frmMainInstance;
