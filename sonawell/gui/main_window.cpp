#include "gui/main_window.h"

#include "core/engine/app_state.h"
#include "core/engine/command_status.h"
#include "core/engine/error_boundary.h"
#include "core/engine/quick_convert_engine.h"
#include "core/settings/app_settings.h"
#include "core/settings/cpu_priority.h"
#include "encoder/monitor_page.h"
#include "gui/about_dialog.h"
#include "gui/dialogs/add_job_dialog.h"
#include "gui/dialogs/options_dialog.h"
#include "gui/help.h"
#include "gui/path_delegate.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QEventLoop>
#include <QHeaderView>
#include <QMenuBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>

#include <cmath>

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

constexpr double kClientWidth = 8670, kClientHeight = 6615;
constexpr double kMinWidth = 8000, kMinHeight = 6000;
constexpr double kPageShellHeight = 3000;

QIcon svgIcon(const char* name) {
    return QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name)));
}

// A menu command that has a toolbar button too: its picture and the button's shorter text.
QAction* addCommand(QMenu* menu, const char* icon, const QString& text, const QString& name,
                    const QString& buttonText) {
    QAction* action = menu->addAction(svgIcon(icon), text);
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
    setWindowTitle(QStringLiteral("Sonawell Convertor"));
    setWindowIcon(svgIcon("sonawell"));
    model_.setIcons(svgIcon("job-converting"), svgIcon("job-waiting"));

    driver_ = std::make_unique<ConversionDriver>(encoder_, jobs_, prompt_, appSettings);
    quick_ = std::make_unique<QuickConvert>(pending_, jobs_, *driver_, appSettings);
    connect(driver_.get(), &ConversionDriver::commandStatusChanged, this,
            &MainWindow::updateCommands);
    connect(driver_.get(), &ConversionDriver::decodeEnded, this, [this] {
        if (closeAfterDecode_) {
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
    // Paths get the room; sizes and status are short. "Format" takes what is left.
    const std::array<int, JobTableModel::kColumnCount - 1> widths{150, 52, 150, 52, 64};
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

    const int menuHeight = menuBar()->sizeHint().height();
    resize(px(kClientWidth), px(kClientHeight) + menuHeight);
    setMinimumSize(px(kMinWidth), px(kMinHeight));

    finishSetUp();
}

MainWindow::~MainWindow() {}

void MainWindow::buildMenus() {
    QMenu* fileMenu = menuBar()->addMenu(QStringLiteral("&File"));
    fileMenu->setObjectName(QStringLiteral("mnFile"));
    newJobAction_ = addCommand(fileMenu, "add-job", QStringLiteral("&Add Job"),
                               QStringLiteral("mnuNewJob"), QStringLiteral("Add Job"));
    newJobAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    deleteJobAction_ = addCommand(fileMenu, "delete-job", QStringLiteral("Delete Job"),
                                  QStringLiteral("mnuDeleteJob"), QStringLiteral("Delete Job"));
    fileMenu->addSeparator()->setObjectName(QStringLiteral("mnuSeperater1"));
    startAction_ = addCommand(fileMenu, "start", QStringLiteral("&Start Conversion"),
                              QStringLiteral("mnuStartConvert"), QStringLiteral("Start"));
    startAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    stopAction_ = addCommand(fileMenu, "stop", QStringLiteral("Stop Conversion"),
                             QStringLiteral("mnuStopConvert"), QStringLiteral("Stop"));
    fileMenu->addSeparator()->setObjectName(QStringLiteral("mnuSeperater2"));
    exitAction_ = fileMenu->addAction(QStringLiteral("E&xit"));
    exitAction_->setObjectName(QStringLiteral("mnuFileExit"));
    exitAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu* toolsMenu = menuBar()->addMenu(QStringLiteral("&Tools"));
    toolsMenu->setObjectName(QStringLiteral("mnuTools"));
    QMenu* priorityMenu = toolsMenu->addMenu(QStringLiteral("CPU Priority"));
    priorityMenu->setObjectName(QStringLiteral("mnuPriorityRoot"));
    priorityGroup_ = new QActionGroup(this);
    priorityGroup_->setExclusive(true);
    const std::array<QString, 3> levels{QStringLiteral("High"), QStringLiteral("Normal"),
                                        QStringLiteral("Low")};
    for (int index = 0; index < 3; ++index) {
        QAction* item = priorityMenu->addAction(levels[index]);
        item->setObjectName(QStringLiteral("mnuPriority%1").arg(index));
        item->setCheckable(true);
        priorityGroup_->addAction(item);
        priorityActions_[index] = item;
        connect(item, &QAction::triggered, this, [this, index] { choosePriority(index); });
    }
    optionsAction_ = toolsMenu->addAction(QStringLiteral("Options"));
    optionsAction_->setObjectName(QStringLiteral("mnuOptions"));

    QMenu* helpMenu = menuBar()->addMenu(QStringLiteral("&Help"));
    helpMenu->setObjectName(QStringLiteral("mnuHelp"));
    helpContentsAction_ = helpMenu->addAction(QStringLiteral("Contents..."));
    helpContentsAction_->setObjectName(QStringLiteral("mnuHelpContent"));
    helpIndexAction_ = helpMenu->addAction(QStringLiteral("Index..."));
    helpIndexAction_->setObjectName(QStringLiteral("mnuHelpIndex"));
    helpMenu->addSeparator()->setObjectName(QStringLiteral("mnuHelpSep"));
    aboutAction_ = addCommand(helpMenu, "about", QStringLiteral("About Sonawell"),
                              QStringLiteral("mnuHelpAbout"), QStringLiteral("About"));

    connect(newJobAction_, &QAction::triggered, this, &MainWindow::newJob);
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
    toolBar_ = addToolBar(QStringLiteral("Main"));
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
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::updateCommands() {
    const CommandStatus status = computeCommandStatus(*driver_, selectedRow());
    startAction_->setEnabled(status.start);
    stopAction_->setEnabled(status.stop);
    deleteJobAction_->setEnabled(status.del);
}

void MainWindow::newJob() {
    runGuarded(prompt_, [this] {
        AddJobDialog dialog(encoder_.profiles(), this);
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

void MainWindow::deleteSelectedJob() {
    if (computeCommandStatus(*driver_, selectedRow()).del) {
        jobs_.remove(selectedRow());
    }
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
        if (!prompt_.askYesNo(QStringLiteral("Stop the converting and exit Sonawell?"))) {
            event->ignore();
            return;
        }
        driver_->stop();
    }
    QuickConvertEngine::unregisterFromSessionBus();
    if (driver_->isDecoding()) {
        // A decode can't be interrupted: the window closes as soon as it has ended.
        closeAfterDecode_ = true;
        event->ignore();
        return;
    }
    unload();
    event->accept();
}

void MainWindow::unload() {
    unloaded_ = true;
    quick_->timerPendingJobs().stop();
    if (mainWindowReady) {
        // Closing: the files become jobs, but no conversion starts now.
        quick_->flushPending(false);
    }
    const auto state = encoder_.runState();
    if (state != sw::enc::RunState::Stopped && state != sw::enc::RunState::Stopping) {
        encoder_.stop();
    }
    // The encoder's state is the one last notified, so a run started or stopped in this same
    // turn can still read "ended"; the driver knows that its stopped run has not ended yet.
    while (encoder_.runState() != sw::enc::RunState::Stopped || driver_->isBusy()) {
        // Sleeps until the encoder's next notification, or 50 ms.
        QEventLoop wait;
        QTimer::singleShot(50, &wait, &QEventLoop::quit);
        connect(&encoder_, &sw::enc::Encoder::stateChanged, &wait, &QEventLoop::quit);
        wait.exec();
    }
}
