#include "gui/main_window.h"

#include "core/engine/app_state.h"
#include "core/engine/command_status.h"
#include "core/engine/error_boundary.h"
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
#include "gui/path_delegate.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QMenuBar>
#include <QMimeData>
#include <QScopedValueRollback>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>

#include <algorithm>
#include <cmath>
#include <string_view>
#include <utility>

// Resources of a static library must be registered by name, outside any namespace.
static void initIconResources() {
    Q_INIT_RESOURCE(icons);
}

namespace {

// Window measures are kept in twips, as the layout rules give them; 15 twips to the pixel.
constexpr double kTwipsPerPixel = 15.0;
int px(double twips) {
    return static_cast<int>(std::lround(twips / kTwipsPerPixel));
}

// The first size shows all six columns at their starting widths.
constexpr double kClientWidth = 11700, kClientHeight = 7500;
constexpr double kMinWidth = 8000, kMinHeight = 6000;
constexpr double kPageShellHeight = 3600;

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
    setWindowTitle(tr("Sonawell Convertor"));
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
    connect(driver_.get(), &ConversionDriver::runEnded, this, [this] {
        if (closeAfterRun_) {
            QTimer::singleShot(0, this, &QWidget::close);
        }
    });

    buildMenus();
    buildToolbar();

    client_ = new QWidget(this);
    client_->installEventFilter(this);
    setCentralWidget(client_);
    jobView_ = new QTreeView(client_);
    jobView_->setObjectName(QStringLiteral("lstJobs"));
    jobView_->setAccessibleName(tr("Jobs"));
    jobView_->setRootIsDecorated(false);
    jobView_->setUniformRowHeights(true);
    jobView_->setAllColumnsShowFocus(true);
    jobView_->setSelectionBehavior(QAbstractItemView::SelectRows);
    jobView_->setSelectionMode(QAbstractItemView::SingleSelection);
    jobView_->setIconSize(QSize(16, 16));
    auto* paths = new PathDelegate(jobView_);
    jobView_->setItemDelegateForColumn(JobTableModel::kSource, paths);
    jobView_->setItemDelegateForColumn(JobTableModel::kTarget, paths);
    jobView_->setModel(&model_);
    // Paths get the room, sizes are short; the status column fits its usual texts, and a
    // longer one (a failure, a damaged source) elides with its full reason as a tooltip and
    // in the details below the list. At the first size the format column keeps the rest,
    // enough to tell the profiles apart.
    const int statusWidth = jobView_->fontMetrics().horizontalAdvance(tr("Stopped (100%)")) + 24;
    const std::array<int, JobTableModel::kColumnCount - 1> widths{190, 56, 170, 56, statusWidth};
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

    const int menuHeight = menuBar()->sizeHint().height();
    resize(px(kClientWidth), px(kClientHeight) + menuHeight);
    setMinimumSize(px(kMinWidth), px(kMinHeight));
    restoreLayout();

    finishSetUp();
}

void MainWindow::fitColumns() {
    QHeaderView* header = jobView_->header();
    const QScopedValueRollback fitting(fitting_, true);
    // What the columns other than the paths and the stretched last one take, and the room
    // left for the paths once the last one has its caption's width.
    int others = header->sectionSizeHint(JobTableModel::kFormat);
    for (const int column :
         {JobTableModel::kSourceSize, JobTableModel::kTargetSize, JobTableModel::kStatus}) {
        others += header->sectionSize(column);
    }
    const int room = jobView_->viewport()->width() - others;
    const int wanted = pathWidths_[0] + pathWidths_[1];
    // A narrow window shortens the paths (they elide, with their full text as a tooltip)
    // rather than hiding columns behind a scroll bar; a wider one gives them back.
    constexpr int kMinPath = 60;
    for (int i = 0; i < 2; ++i) {
        const int width =
            room >= wanted ? pathWidths_[i] : std::max(kMinPath, pathWidths_[i] * room / wanted);
        header->resizeSection(i == 0 ? JobTableModel::kSource : JobTableModel::kTarget, width);
    }
}

void MainWindow::restoreLayout() {
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
        monitorPage_ = new sw::enc::MonitorPage(encoder_, client_);
        monitorPage_->setObjectName(QStringLiteral("PageShell"));
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
    layOutClient();
}

void MainWindow::layOutClient() {
    if (!client_ || !monitorPage_ || isMinimized()) {
        return;
    }
    // The client below the toolbar strip, in twips.
    const double width = client_->width() * kTwipsPerPixel;
    const double height = client_->height() * kTwipsPerPixel;
    const double pageTop = height - 8 - kPageShellHeight;
    monitorPage_->setGeometry(px(4), px(pageTop), px(width - 8), px(kPageShellHeight));
    const double listHeight = (height - 12 - kPageShellHeight);
    jobView_->setGeometry(px(4), 0, px(width - 8), px(listHeight));
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    // A resize while minimized was skipped; the restored window must fit its size again.
    if (event->type() == QEvent::WindowStateChange) {
        layOutClient();
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == client_ && event->type() == QEvent::Resize) {
        layOutClient();
    }
    if (jobView_ && watched == jobView_->viewport() && event->type() == QEvent::Resize) {
        fitColumns();
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::updateCommands() {
    const CommandStatus status = computeCommandStatus(*driver_, selectedRow());
    startAction_->setEnabled(status.start);
    stopAction_->setEnabled(status.stop);
    deleteJobAction_->setEnabled(status.del);
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
    const int row = selectedRow();
    if (computeCommandStatus(*driver_, row).del) {
        jobs_.remove(row);
        // The row that took its place (or the new last one) is both highlighted and selected,
        // so Delete Job applies to what the user sees.
        const int next = std::min(row, jobs_.count());
        if (next > 0) {
            jobView_->setCurrentIndex(model_.index(next - 1, 0));
        }
    }
    updateCommands();
    showSelectedJob();
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
    // closeEvent() gets here only once no run is under way, so nothing is waited for.
}
