#include "gui/main_window.h"

#include "core/engine/app_state.h"
#include "core/engine/command_status.h"
#include "core/engine/error_boundary.h"
#include "core/engine/list_commands.h"
#include "core/engine/quick_convert_engine.h"
#include "core/settings/app_settings.h"
#include "core/settings/cpu_priority.h"
#include "encoder/monitor_page.h"
#include "encoder/thread_priority.h"
#include "gui/about_dialog.h"
#include "gui/batch_notifier.h"
#include "gui/dialogs/add_job_dialog.h"
#include "gui/dialogs/options_dialog.h"
#include "gui/dropped_sources.h"
#include "gui/help.h"
#include "gui/launcher_entry.h"
#include "gui/path_delegate.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QDockWidget>
#include <QDropEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QScopedValueRollback>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>

#include <algorithm>
#include <string_view>
#include <utility>

// Resources of a static library must be registered by name, outside any namespace.
static void initIconResources() {
    Q_INIT_RESOURCE(icons);
}

namespace {

QIcon svgIcon(const char* name) {
    return QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name)));
}

// A command's picture from the desktop's icon theme, so the toolbar looks like the desktop's
// other programs; our own picture where the theme has none.
QIcon commandIcon(const char* name) {
    static constexpr std::array<std::pair<std::string_view, const char*>, 5> kThemeNames{{
        {"add-job", "document-new"},
        {"delete-job", "edit-delete"},
        {"start", "media-playback-start"},
        {"stop", "media-playback-stop"},
        {"about", "help-about"},
    }};
    for (const auto& [ours, themed] : kThemeNames) {
        if (ours == name) {
            return QIcon::fromTheme(QLatin1String(themed), svgIcon(name));
        }
    }
    return svgIcon(name);
}

// A menu command that has a toolbar button too: its picture and the button's shorter text.
QAction* addCommand(QMenu* menu, const char* icon, const QString& text, const QString& name,
                    const QString& buttonText) {
    QAction* action = menu->addAction(commandIcon(icon), text);
    action->setObjectName(name);
    action->setIconText(buttonText);
    return action;
}

}  // namespace

MainWindow::MainWindow(sw::enc::Encoder& encoder, PendingJobs& pending, UserPrompt* prompt,
                       QWidget* parent)
    : QMainWindow(parent),
      encoder_(encoder),
      pending_(pending),
      boxes_(this),
      prompt_(prompt ? *prompt : boxes_) {
    initIconResources();
    setObjectName(QStringLiteral("frmMain"));
    title_ = tr("Sonawell Convertor");
    setWindowTitle(title_);
    setWindowIcon(svgIcon("sonawell"));
    setAcceptDrops(true);
    model_.setIcons(svgIcon("job-converting"), svgIcon("job-waiting"),
                    QIcon::fromTheme(QStringLiteral("dialog-warning"),
                                     style()->standardIcon(QStyle::SP_MessageBoxWarning)));

    driver_ = std::make_unique<ConversionDriver>(encoder_, jobs_, prompt_, appSettings);
    quick_ = std::make_unique<QuickConvert>(pending_, jobs_, *driver_, appSettings);
    connect(driver_.get(), &ConversionDriver::commandStatusChanged, this,
            &MainWindow::updateCommands);
    new BatchNotifier(*driver_, *this, QDBusConnection::sessionBus(), this);
    batchProgress_ = std::make_unique<BatchProgress>(*driver_);
    new LauncherEntry(*batchProgress_, QDBusConnection::sessionBus(), this);
    jobListFile_ = std::make_unique<JobListFile>(jobs_, jobListPath());
    connect(driver_.get(), &ConversionDriver::runEnded, this, [this] {
        if (closeAfterRun_) {
            QTimer::singleShot(0, this, &QWidget::close);
        }
    });

    buildMenus();
    buildToolbar();

    jobView_ = new QTreeView(this);
    setCentralWidget(jobView_);
    jobView_->setObjectName(QStringLiteral("lstJobs"));
    jobView_->setAccessibleName(tr("Jobs"));
    jobView_->setRootIsDecorated(false);
    jobView_->setUniformRowHeights(true);
    jobView_->setAllColumnsShowFocus(true);
    jobView_->setSelectionBehavior(QAbstractItemView::SelectRows);
    jobView_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // Waiting jobs are dragged to their new place; the model asks, the driver's rules decide.
    jobView_->setDragDropMode(QAbstractItemView::InternalMove);
    jobView_->setDragEnabled(true);
    jobView_->setDropIndicatorShown(true);
    connect(&model_, &JobTableModel::moveRequested, this,
            [this](const QList<int>& rows, int destination) {
                selectRows(moveJobsTo(*driver_, std::vector<int>(rows.cbegin(), rows.cend()),
                                      destination));
                updateCommands();
            });
    jobView_->setIconSize(QSize(16, 16));
    auto* paths = new PathDelegate(jobView_);
    jobView_->setItemDelegateForColumn(JobTableModel::kSource, paths);
    jobView_->setItemDelegateForColumn(JobTableModel::kTarget, paths);
    jobView_->setModel(&model_);
    // Paths get the room (about thirty characters of this font), sizes are short; the status
    // column fits its usual texts, and a longer one (a failure, a damaged source) elides with
    // its full reason as a tooltip and in the details below the list.
    const QFontMetrics metrics = jobView_->fontMetrics();
    const int padding = metrics.averageCharWidth() + 8;
    const int statusWidth = metrics.horizontalAdvance(tr("Stopped (100%)")) + 24;
    const int pathWidth = 30 * metrics.averageCharWidth();
    const int sizeWidth = metrics.horizontalAdvance(QStringLiteral("9999.9M")) + padding;
    const std::array<int, JobTableModel::kColumnCount - 1> widths{pathWidth, sizeWidth, pathWidth,
                                                                  sizeWidth, statusWidth};
    for (int column = 0; column < static_cast<int>(widths.size()); ++column) {
        jobView_->setColumnWidth(column, widths[column]);
    }
    // The stretched last column never shrinks below the width it had before, so it starts at
    // the width of its caption: a narrow window then needs no horizontal scroll bar.
    jobView_->setColumnWidth(JobTableModel::kFormat,
                             jobView_->header()->sectionSizeHint(JobTableModel::kFormat));
    connect(jobView_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &MainWindow::updateCommands);
    connect(jobView_, &QTreeView::clicked, this, &MainWindow::updateCommands);
    connect(jobView_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &MainWindow::showSelectedJob);
    pathWidths_ = {widths[JobTableModel::kSource], widths[JobTableModel::kTarget]};
    // A path column the user sizes keeps that width; fitting the window doesn't count.
    connect(jobView_->header(), &QHeaderView::sectionResized, this,
            [this](int column, int, int width) {
                if (fitting_) {
                    return;
                }
                if (column == JobTableModel::kSource) {
                    pathWidths_[0] = width;
                } else if (column == JobTableModel::kTarget) {
                    pathWidths_[1] = width;
                }
            });
    jobView_->viewport()->installEventFilter(this);
    connect(&model_, &QAbstractItemModel::dataChanged, this, &MainWindow::showSelectedJob);
    jobView_->setContextMenuPolicy(Qt::ActionsContextMenu);
    jobView_->addActions({deleteJobAction_, clearFinishedAction_, retryFailedAction_, moveUpAction_,
                          moveDownAction_});

    batchStatus_ = new QLabel(statusBar());
    batchStatus_->setObjectName(QStringLiteral("lblBatch"));
    statusBar()->addWidget(batchStatus_, 1);
    connect(batchProgress_.get(), &BatchProgress::changed, this, &MainWindow::showBatchProgress);

    // However small the window, the list keeps a few rows and every column, the paths at
    // their shortest, in this font.
    const int rowHeight = jobView_->fontMetrics().height() + 4;
    jobView_->setMinimumHeight(jobView_->header()->sizeHint().height() + 4 * rowHeight);
    jobView_->setMinimumWidth(otherColumnsWidth() + 2 * kMinPath + listFrameWidth());
    bringBackKeptJobs();
    finishSetUp();
    restoreLayout();
    showBatchProgress();
    if (appSettings.autoStart && jobs_.count() > 0) {
        startConversion();
    }
}

void MainWindow::bringBackKeptJobs() {
    const std::vector<KeptJob> kept = jobListFile_->kept();
    if (!kept.empty()) {
        const QString question = kept.size() == 1
                                     ? tr("Sonawell ended before it had worked off its job list.\n"
                                          "Bring back the unfinished job?")
                                     : tr("Sonawell ended before it had worked off its job list.\n"
                                          "Bring back the %1 unfinished jobs?")
                                           .arg(kept.size());
        if (prompt_.askYesNo(question)) {
            for (const KeptJob& job : kept) {
                jobs_.add(job.source, job.output, job.profile);
            }
        }
    }
    // Written at once: after a No the file is gone, so the question is never asked twice.
    jobListFile_->follow();
}

void MainWindow::showBatchProgress() {
    batchStatus_->setText(batchProgress_->statusText());
    const BatchCounts counts = batchProgress_->counts();
    setWindowTitle(batchProgress_->running() && counts.total > 0
                       ? tr("%1 of %2 done - %3").arg(counts.ended).arg(counts.total).arg(title_)
                       : title_);
}

int MainWindow::listFrameWidth() const {
    return 2 * jobView_->frameWidth() +
           style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, jobView_);
}

int MainWindow::otherColumnsWidth() const {
    const QHeaderView* header = jobView_->header();
    int others = header->sectionSizeHint(JobTableModel::kFormat);
    for (const int column :
         {JobTableModel::kSourceSize, JobTableModel::kTargetSize, JobTableModel::kStatus}) {
        others += header->sectionSize(column);
    }
    return others;
}

QSize MainWindow::firstSize() const {
    // The paths at their starting widths, and the format column enough to tell the profiles
    // apart.
    const int format =
        jobView_->fontMetrics().horizontalAdvance(sw::enc::ProfileCollection::displayName(
            QStringLiteral("Audio for FM radio quality (64 Kbps, 44 kHz, stereo)")));
    const int columns = otherColumnsWidth() -
                        jobView_->header()->sectionSizeHint(JobTableModel::kFormat) + format +
                        pathWidths_[0] + pathWidths_[1];
    // A dozen rows in this font.
    const int rowHeight = jobView_->fontMetrics().height() + 4;
    const int list = jobView_->header()->sizeHint().height() + 12 * rowHeight + listFrameWidth();
    return {columns + listFrameWidth(), sizeHint().height() - jobView_->sizeHint().height() + list};
}

void MainWindow::fitColumns() {
    QHeaderView* header = jobView_->header();
    const QScopedValueRollback fitting(fitting_, true);
    // The room left for the paths once the other columns and the stretched last one's caption
    // have theirs.
    const int room = jobView_->viewport()->width() - otherColumnsWidth();
    const int wanted = pathWidths_[0] + pathWidths_[1];
    // A narrow window shortens the paths (they elide, with their full text as a tooltip)
    // rather than hiding columns behind a scroll bar; a wider one gives them back.
    for (int i = 0; i < 2; ++i) {
        const int width =
            room >= wanted ? pathWidths_[i] : std::max(kMinPath, pathWidths_[i] * room / wanted);
        header->resizeSection(i == 0 ? JobTableModel::kSource : JobTableModel::kTarget, width);
    }
}

void MainWindow::restoreLayout() {
    // Only the size the user left is kept in pixels; otherwise the content decides, within
    // the screen.
    QSize first = firstSize().expandedTo(minimumSizeHint());
    if (const QScreen* shown = screen()) {
        first = first.boundedTo(shown->availableGeometry().size());
    }
    resize(first);
    if (appSettings.iniPath.isEmpty()) {
        return;
    }
    const WindowLayout layout = readWindowLayout(appSettings.iniPath);
    if (layout.width > 0 && layout.height > 0) {
        // A size kept from a larger screen is cut to this one.
        QSize size(layout.width, layout.height);
        if (const QScreen* shown = screen()) {
            size = size.boundedTo(shown->availableGeometry().size());
        }
        resize(size);
    }
    // The last column stretches; its stored width would only be a floor.
    if (layout.columnWidths.size() == JobTableModel::kColumnCount - 1) {
        for (int column = 0; column < layout.columnWidths.size(); ++column) {
            jobView_->setColumnWidth(column, layout.columnWidths.at(column));
        }
    }
}

void MainWindow::saveLayout() const {
    if (appSettings.iniPath.isEmpty()) {
        return;
    }
    WindowLayout layout;
    // A maximized window keeps the size it returns to.
    const QSize size = isMaximized() || isFullScreen() ? normalGeometry().size() : this->size();
    layout.width = size.width();
    layout.height = size.height();
    for (int column = 0; column < JobTableModel::kColumnCount - 1; ++column) {
        // The paths as the user wants them, not as a narrow window shortened them.
        layout.columnWidths.append(column == JobTableModel::kSource ? pathWidths_[0]
                                   : column == JobTableModel::kTarget
                                       ? pathWidths_[1]
                                       : jobView_->columnWidth(column));
    }
    saveWindowLayout(appSettings.iniPath, layout);
}

void MainWindow::showSelectedJob() {
    if (!monitorPage_) {
        return;
    }
    const int row = selectedRow();
    if (row == 0 || row > jobs_.count()) {
        monitorPage_->setSelectedJob({});
        return;
    }
    const Job& job = jobs_.at(row);
    QStringList lines{tr("Source: ") + job.source, tr("Target: ") + job.output,
                      tr("Format: ") + sw::enc::ProfileCollection::displayName(job.profile),
                      tr("Status: ") + statusText(job)};
    const QString reason = statusToolTip(job);
    if (!reason.isEmpty()) {
        lines.append(tr("Reason: ") + reason);
    }
    monitorPage_->setSelectedJob(lines.join(QLatin1Char('\n')));
}

MainWindow::~MainWindow() {}

void MainWindow::buildMenus() {
    QMenu* fileMenu = menuBar()->addMenu(tr("&File"));
    fileMenu->setObjectName(QStringLiteral("mnFile"));
    newJobAction_ =
        addCommand(fileMenu, "add-job", tr("&Add Job"), QStringLiteral("mnuNewJob"), tr("Add Job"));
    newJobAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    deleteJobAction_ = addCommand(fileMenu, "delete-job", tr("Delete Job"),
                                  QStringLiteral("mnuDeleteJob"), tr("Delete Job"));
    deleteJobAction_->setShortcut(QKeySequence::Delete);
    clearFinishedAction_ = fileMenu->addAction(tr("Clear Finished"));
    clearFinishedAction_->setObjectName(QStringLiteral("mnuClearFinished"));
    retryFailedAction_ = fileMenu->addAction(tr("Retry Failed"));
    retryFailedAction_->setObjectName(QStringLiteral("mnuRetryFailed"));
    moveUpAction_ = fileMenu->addAction(QIcon::fromTheme(QStringLiteral("go-up")), tr("Move Up"));
    moveUpAction_->setObjectName(QStringLiteral("mnuMoveUp"));
    moveUpAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Up));
    moveDownAction_ =
        fileMenu->addAction(QIcon::fromTheme(QStringLiteral("go-down")), tr("Move Down"));
    moveDownAction_->setObjectName(QStringLiteral("mnuMoveDown"));
    moveDownAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Down));
    fileMenu->addSeparator()->setObjectName(QStringLiteral("mnuSeperater1"));
    startAction_ = addCommand(fileMenu, "start", tr("&Start Conversion"),
                              QStringLiteral("mnuStartConvert"), tr("Start"));
    startAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    stopAction_ = addCommand(fileMenu, "stop", tr("Stop Conversion"),
                             QStringLiteral("mnuStopConvert"), tr("Stop"));
    fileMenu->addSeparator()->setObjectName(QStringLiteral("mnuSeperater2"));
    exitAction_ = fileMenu->addAction(tr("E&xit"));
    exitAction_->setObjectName(QStringLiteral("mnuFileExit"));
    exitAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu* toolsMenu = menuBar()->addMenu(tr("&Tools"));
    toolsMenu->setObjectName(QStringLiteral("mnuTools"));
    QMenu* priorityMenu = toolsMenu->addMenu(tr("CPU Priority"));
    priorityMenu->setObjectName(QStringLiteral("mnuPriorityRoot"));
    priorityGroup_ = new QActionGroup(this);
    priorityGroup_->setExclusive(true);
    const std::array<QString, 3> levels{tr("High"), tr("Normal"), tr("Low")};
    for (int index = 0; index < 3; ++index) {
        QAction* item = priorityMenu->addAction(levels[index]);
        item->setObjectName(QStringLiteral("mnuPriority%1").arg(index));
        item->setCheckable(true);
        priorityGroup_->addAction(item);
        priorityActions_[index] = item;
        connect(item, &QAction::triggered, this, [this, index] { choosePriority(index); });
    }
    // The item stays: the choice is the user's and is kept, but they learn what it gives here.
    if (!sw::enc::HighPriorityAvailable()) {
        const QString note =
            tr("High priority is not available on this system; conversions run at Normal");
        priorityActions_[0]->setToolTip(note);
        priorityActions_[0]->setStatusTip(note);
    }
    priorityMenu->setToolTipsVisible(true);
    optionsAction_ = toolsMenu->addAction(tr("Options"));
    optionsAction_->setObjectName(QStringLiteral("mnuOptions"));

    QMenu* helpMenu = menuBar()->addMenu(tr("&Help"));
    helpMenu->setObjectName(QStringLiteral("mnuHelp"));
    helpContentsAction_ = helpMenu->addAction(tr("Contents..."));
    helpContentsAction_->setObjectName(QStringLiteral("mnuHelpContent"));
    helpIndexAction_ = helpMenu->addAction(tr("Index..."));
    helpIndexAction_->setObjectName(QStringLiteral("mnuHelpIndex"));
    helpMenu->addSeparator()->setObjectName(QStringLiteral("mnuHelpSep"));
    aboutAction_ = addCommand(helpMenu, "about", tr("About Sonawell"),
                              QStringLiteral("mnuHelpAbout"), tr("About"));

    connect(newJobAction_, &QAction::triggered, this, [this] { newJob(); });
    connect(deleteJobAction_, &QAction::triggered, this, &MainWindow::deleteSelectedJob);
    connect(clearFinishedAction_, &QAction::triggered, this, &MainWindow::clearFinished);
    connect(retryFailedAction_, &QAction::triggered, this, &MainWindow::retryFailed);
    connect(moveUpAction_, &QAction::triggered, this, [this] { moveSelected(-1); });
    connect(moveDownAction_, &QAction::triggered, this, [this] { moveSelected(1); });
    connect(startAction_, &QAction::triggered, this, &MainWindow::startConversion);
    connect(stopAction_, &QAction::triggered, this, &MainWindow::stopConversion);
    connect(exitAction_, &QAction::triggered, this, &QWidget::close);
    connect(optionsAction_, &QAction::triggered, this, [this] {
        OptionsDialog dialog(encoder_.profiles(), this);
        dialog.exec();
    });
    connect(helpContentsAction_, &QAction::triggered, this, [this] { showHelpContents(this); });
    connect(helpIndexAction_, &QAction::triggered, this, [this] { showHelpIndex(this); });
    connect(aboutAction_, &QAction::triggered, this, [this] {
        AboutDialog about(this);
        about.exec();
    });
}

void MainWindow::buildToolbar() {
    toolBar_ = addToolBar(tr("Main"));
    toolBar_->setObjectName(QStringLiteral("tbarMain"));
    toolBar_->setMovable(false);
    toolBar_->setFloatable(false);
    toolBar_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolBar_->setIconSize(QSize(24, 24));
    toolBar_->toggleViewAction()->setVisible(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    // Menu item and button share one action, so their enabled states can't drift apart.
    const auto addButton = [this](QAction* action, const char* key) {
        toolBar_->addAction(action);
        toolBar_->widgetForAction(action)->setObjectName(QLatin1String(key));
    };
    addButton(newJobAction_, "cmdNewJob");
    addButton(deleteJobAction_, "cmdDeleteJob");
    toolBar_->addSeparator();
    addButton(startAction_, "cmdStartConvert");
    addButton(stopAction_, "cmdStopConvert");
    toolBar_->addSeparator();
    addButton(aboutAction_, "cmdHelpAbout");
    // Qt's overflow button, shown only when the toolbar is too narrow for its buttons; a
    // screen reader lists it even while hidden.
    if (auto* more = toolBar_->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button"))) {
        more->setAccessibleName(tr("More commands"));
        more->setToolTip(more->accessibleName());
    }
}

void MainWindow::finishSetUp() {
    runGuarded(prompt_, [this] {
        // Below the list, always there: a dock without a title, neither closed nor moved.
        auto* dock = new QDockWidget(this);
        dock->setObjectName(QStringLiteral("dockMonitor"));
        dock->setFeatures(QDockWidget::NoDockWidgetFeatures);
        // An empty title bar that asks for no room at all.
        auto* noTitle = new QWidget(dock);
        (new QHBoxLayout(noTitle))->setContentsMargins(0, 0, 0, 0);
        dock->setTitleBarWidget(noTitle);
        monitorPage_ = new sw::enc::MonitorPage(encoder_, dock);
        monitorPage_->setObjectName(QStringLiteral("PageShell"));
        dock->setWidget(monitorPage_);
        addDockWidget(Qt::BottomDockWidgetArea, dock);
        jobView_->header()->setStretchLastSection(true);
        encoder_.setCpuPriority(ConversionPriority(appSettings.cpuPriority));
        // A stored level without a menu item leaves the menu unchecked rather than stopping
        // the set-up, which would also keep handed-in files from ever becoming jobs.
        const int item = 2 - appSettings.cpuPriority;
        if (item >= 0 && item <= 2) {
            priorityActions_[item]->setChecked(true);
        }
        updateCommands();
        mainWindowReady = true;
    });
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (jobView_ && watched == jobView_->viewport() && event->type() == QEvent::Resize) {
        fitColumns();
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::updateCommands() {
    const CommandStatus status = computeCommandStatus(*driver_, selectedRow());
    startAction_->setEnabled(status.start);
    stopAction_->setEnabled(status.stop);
    const std::vector<int> rows = selectedRows();
    const int open = firstOpenRow(*driver_);
    const auto any = [&rows](auto wanted) {
        return std::any_of(rows.cbegin(), rows.cend(), wanted);
    };
    deleteJobAction_->setEnabled(any([this](int row) { return canRemove(*driver_, row); }));
    moveUpAction_->setEnabled(any([open](int row) { return row > open; }));
    moveDownAction_->setEnabled(
        any([this, open](int row) { return row >= open && row < jobs_.count(); }));
    const auto anyJob = [this](auto wanted) {
        return std::any_of(jobs_.jobs().cbegin(), jobs_.jobs().cend(),
                           [&wanted](const Job& job) { return wanted(job.state); });
    };
    clearFinishedAction_->setEnabled(anyJob(
        [](JobState state) { return state == JobState::Done || state == JobState::DoneDamaged; }));
    retryFailedAction_->setEnabled(
        anyJob([](JobState state) { return state == JobState::Failed; }));
}

void MainWindow::newJob(const QStringList& sources) {
    runGuarded(prompt_, [this, &sources] {
        AddJobDialog dialog(encoder_.profiles(), this);
        if (!sources.isEmpty()) {
            dialog.presetSources(sources);
        }
        dialog.exec();
        if (dialog.okPressed) {
            for (int i = 0; i < dialog.sources.size(); ++i) {
                jobs_.add(dialog.sources.at(i), dialog.outputs.value(i), dialog.formats.value(i));
            }
            if (appSettings.autoStart && !driver_->isConverting()) {
                driver_->start();
            }
        }
    });
    updateCommands();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (std::any_of(urls.cbegin(), urls.cend(),
                    [](const QUrl& url) { return url.isLocalFile(); })) {
        event->acceptProposedAction();
    }
}

void MainWindow::dropEvent(QDropEvent* event) {
    QStringList refused;
    const QStringList sources = droppedSources(event->mimeData()->urls(), &refused);
    if (!refused.isEmpty()) {
        event->acceptProposedAction();
        // Said after the drop has ended, as the dialog below is opened.
        QTimer::singleShot(0, this, [this, refused] {
            prompt_.showMessage(
                tr("Not added, as they are not audio files or are folders without any:\n%1")
                    .arg(refused.join(QLatin1Char('\n'))));
        });
    }
    if (sources.isEmpty()) {
        return;
    }
    event->acceptProposedAction();
    // The dialog waits for the user: opened from here it would keep the file manager's drag
    // waiting as well.
    QTimer::singleShot(0, this, [this, sources] { newJob(sources); });
}

void MainWindow::deleteSelectedJob() {
    const std::vector<int> rows = selectedRows();
    if (removeJobs(*driver_, rows) > 0 && jobs_.count() > 0) {
        // The row that took the first one's place (or the new last one) is both highlighted
        // and selected, so Delete Job applies to what the user sees.
        const int next = std::min(rows.front(), jobs_.count());
        jobView_->setCurrentIndex(model_.index(next - 1, 0));
    }
    updateCommands();
    showSelectedJob();
}

void MainWindow::clearFinished() {
    clearFinishedJobs(*driver_);
    updateCommands();
    showSelectedJob();
}

void MainWindow::retryFailed() {
    runGuarded(prompt_, [this] {
        if (retryFailedJobs(*driver_) > 0 && appSettings.autoStart && !driver_->isConverting()) {
            driver_->start();
        }
    });
    updateCommands();
    showSelectedJob();
}

void MainWindow::moveSelected(int delta) {
    selectRows(moveJobs(*driver_, selectedRows(), delta));
    updateCommands();
}

int MainWindow::selectedRow() const {
    const QItemSelectionModel* selection = jobView_->selectionModel();
    const QModelIndexList rows = selection->selectedRows();
    if (!rows.isEmpty()) {
        return rows.first().row() + 1;
    }
    const QModelIndex current = selection->currentIndex();
    return current.isValid() && selection->isSelected(current) ? current.row() + 1 : 0;
}

std::vector<int> MainWindow::selectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : jobView_->selectionModel()->selectedRows()) {
        rows.push_back(index.row() + 1);
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

void MainWindow::selectRows(const std::vector<int>& rows) {
    QItemSelection selection;
    for (const int row : rows) {
        selection.select(model_.index(row - 1, 0),
                         model_.index(row - 1, JobTableModel::kColumnCount - 1));
    }
    QItemSelectionModel* model = jobView_->selectionModel();
    if (!rows.empty()) {
        model->setCurrentIndex(model_.index(rows.front() - 1, 0), QItemSelectionModel::NoUpdate);
    }
    model->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void MainWindow::startConversion() {
    runGuarded(prompt_, [this] { driver_->start(); });
    updateCommands();
}

void MainWindow::stopConversion() {
    driver_->stop();
}

void MainWindow::choosePriority(int index) {
    for (QAction* item : priorityActions_) {
        item->setChecked(false);
    }
    priorityActions_[index]->setChecked(true);
    encoder_.setCpuPriority(ConversionPriority(2 - index));
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (unloaded_) {
        event->accept();
        return;
    }
    if (driver_->isConverting()) {
        if (!prompt_.askYesNo(tr("Stop the converting and exit Sonawell?"))) {
            event->ignore();
            return;
        }
        driver_->stop();
    }
    QuickConvertEngine::unregisterFromSessionBus();
    if (driver_->isBusy()) {
        // A stopped run ends within moments; the window closes once it has, without waiting
        // here.
        closeAfterRun_ = true;
        event->ignore();
        return;
    }
    unload();
    event->accept();
}

void MainWindow::unload() {
    unloaded_ = true;
    saveLayout();
    quick_->timerPendingJobs().stop();
    if (mainWindowReady) {
        // Closing: the files become jobs, but no conversion starts now.
        quick_->flushPending(false);
    }
    // Jobs left waiting are offered back at the next start; with none there is no file.
    jobListFile_->flush();
    // closeEvent() gets here only once no run is under way, so nothing is waited for.
}
