#include "gui/main_window.h"

#include "core/engine/app_state.h"
#include "core/engine/command_status.h"
#include "core/engine/error_boundary.h"
#include "core/settings/app_settings.h"
#include "core/settings/cpu_priority.h"
#include "encoder/monitor_page.h"
#include "gui/about_box.h"
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

frmMain* frmMainInstance = nullptr;

// Resources of a static library must be registered by name, outside any namespace.
static void InitIconResources() {
    Q_INIT_RESOURCE(icons);
}

namespace {

// Window measures are kept in twips, as the layout rules give them; 15 twips to the pixel.
constexpr double kTwipsPerPixel = 15.0;
int Px(double twips) {
    return static_cast<int>(std::lround(twips / kTwipsPerPixel));
}

constexpr double kClientWidth = 8670, kClientHeight = 6615;
constexpr double kMinWidth = 8000, kMinHeight = 6000;
constexpr double kPageShellHeight = 3000;

QIcon Icon(const char* name) {
    return QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name)));
}

}  // namespace

frmMain::frmMain(sw::enc::Encoder& encoder, PendingJobs& pending, UserPrompt* prompt,
                 QWidget* parent)
    : QMainWindow(parent),
      encoder_(encoder),
      pending_(pending),
      boxes_(this),
      prompt_(prompt ? *prompt : boxes_) {
    InitIconResources();
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Sonawell Convertor"));
    setWindowIcon(Icon("sonawell"));
    model_.setIcons(Icon("job-converting"), Icon("job-waiting"));

    driver_ = std::make_unique<ConversionDriver>(encoder_, jobs_, prompt_, AppSettings);
    quick_ = std::make_unique<QuickConvert>(pending_, jobs_, *driver_, AppSettings);
    connect(driver_.get(), &ConversionDriver::commandStatusChanged, this,
            &frmMain::UpdateCommandStatus);
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
    lstJobs_ = new QTreeView(client_);
    lstJobs_->setObjectName(QStringLiteral("lstJobs"));
    lstJobs_->setRootIsDecorated(false);
    lstJobs_->setUniformRowHeights(true);
    lstJobs_->setAllColumnsShowFocus(true);
    lstJobs_->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstJobs_->setSelectionMode(QAbstractItemView::SingleSelection);
    lstJobs_->setIconSize(QSize(16, 16));
    auto* paths = new PathDelegate(lstJobs_);
    lstJobs_->setItemDelegateForColumn(JobTableModel::kSource, paths);
    lstJobs_->setItemDelegateForColumn(JobTableModel::kTarget, paths);
    lstJobs_->setModel(&model_);
    // Paths get the room; sizes and status are short. "Format" takes what is left.
    const std::array<int, JobTableModel::kColumnCount - 1> widths{150, 52, 150, 52, 64};
    for (int column = 0; column < static_cast<int>(widths.size()); ++column) {
        lstJobs_->setColumnWidth(column, widths[column]);
    }
    // The stretched last column never shrinks below the width it had before, so it starts at
    // the width of its caption: a narrow window then needs no horizontal scroll bar.
    lstJobs_->setColumnWidth(JobTableModel::kFormat,
                             lstJobs_->header()->sectionSizeHint(JobTableModel::kFormat));
    connect(lstJobs_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &frmMain::UpdateCommandStatus);
    connect(lstJobs_, &QTreeView::clicked, this, &frmMain::UpdateCommandStatus);

    const int menuHeight = menuBar()->sizeHint().height();
    resize(Px(kClientWidth), Px(kClientHeight) + menuHeight);
    setMinimumSize(Px(kMinWidth), Px(kMinHeight));

    Form_Load();
}

frmMain::~frmMain() {
    if (frmMainInstance == this) {
        frmMainInstance = nullptr;
    }
}

void frmMain::buildMenus() {
    QMenu* mnFile = menuBar()->addMenu(QStringLiteral("&File"));
    mnFile->setObjectName(QStringLiteral("mnFile"));
    mnuNewJob = mnFile->addAction(Icon("add-job"), QStringLiteral("&Add Job"));
    mnuNewJob->setObjectName(QStringLiteral("mnuNewJob"));
    mnuNewJob->setIconText(QStringLiteral("Add Job"));
    mnuNewJob->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    mnuDeleteJob = mnFile->addAction(Icon("delete-job"), QStringLiteral("Delete Job"));
    mnuDeleteJob->setObjectName(QStringLiteral("mnuDeleteJob"));
    mnuDeleteJob->setIconText(QStringLiteral("Delete Job"));
    mnFile->addSeparator()->setObjectName(QStringLiteral("mnuSeperater1"));
    mnuStartConvert = mnFile->addAction(Icon("start"), QStringLiteral("&Start Conversion"));
    mnuStartConvert->setObjectName(QStringLiteral("mnuStartConvert"));
    mnuStartConvert->setIconText(QStringLiteral("Start"));
    mnuStartConvert->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    mnuStopConvert = mnFile->addAction(Icon("stop"), QStringLiteral("Stop Conversion"));
    mnuStopConvert->setObjectName(QStringLiteral("mnuStopConvert"));
    mnuStopConvert->setIconText(QStringLiteral("Stop"));
    mnFile->addSeparator()->setObjectName(QStringLiteral("mnuSeperater2"));
    mnuFileExit = mnFile->addAction(QStringLiteral("E&xit"));
    mnuFileExit->setObjectName(QStringLiteral("mnuFileExit"));
    mnuFileExit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu* mnuTools = menuBar()->addMenu(QStringLiteral("&Tools"));
    mnuTools->setObjectName(QStringLiteral("mnuTools"));
    QMenu* mnuPriorityRoot = mnuTools->addMenu(QStringLiteral("CPU Priority"));
    mnuPriorityRoot->setObjectName(QStringLiteral("mnuPriorityRoot"));
    priorityGroup_ = new QActionGroup(this);
    priorityGroup_->setExclusive(true);
    const std::array<QString, 3> levels{QStringLiteral("High"), QStringLiteral("Normal"),
                                        QStringLiteral("Low")};
    for (int index = 0; index < 3; ++index) {
        QAction* item = mnuPriorityRoot->addAction(levels[index]);
        item->setObjectName(QStringLiteral("mnuPriority%1").arg(index));
        item->setCheckable(true);
        priorityGroup_->addAction(item);
        mnuPriority[index] = item;
        connect(item, &QAction::triggered, this, [this, index] { mnuPriority_Click(index); });
    }
    mnuOptions = mnuTools->addAction(QStringLiteral("Options"));
    mnuOptions->setObjectName(QStringLiteral("mnuOptions"));

    QMenu* mnuHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuHelpContent = mnuHelp->addAction(QStringLiteral("Contents..."));
    mnuHelpContent->setObjectName(QStringLiteral("mnuHelpContent"));
    mnuHelpIndex = mnuHelp->addAction(QStringLiteral("Index..."));
    mnuHelpIndex->setObjectName(QStringLiteral("mnuHelpIndex"));
    mnuHelp->addSeparator()->setObjectName(QStringLiteral("mnuHelpSep"));
    mnuHelpAbout = mnuHelp->addAction(Icon("about"), QStringLiteral("About Sonawell"));
    mnuHelpAbout->setObjectName(QStringLiteral("mnuHelpAbout"));
    mnuHelpAbout->setIconText(QStringLiteral("About"));

    connect(mnuNewJob, &QAction::triggered, this, &frmMain::mnuNewJob_Click);
    connect(mnuDeleteJob, &QAction::triggered, this, &frmMain::mnuDeleteJob_Click);
    connect(mnuStartConvert, &QAction::triggered, this, &frmMain::mnuStartConvert_Click);
    connect(mnuStopConvert, &QAction::triggered, this, &frmMain::mnuStopConvert_Click);
    connect(mnuFileExit, &QAction::triggered, this, &QWidget::close);
    connect(mnuOptions, &QAction::triggered, this, [this] {
        frmOptions dialog(encoder_.profiles(), this);
        dialog.exec();
    });
    connect(mnuHelpContent, &QAction::triggered, this, [this] { ShowHelpContents(this); });
    connect(mnuHelpIndex, &QAction::triggered, this, [this] { ShowHelpIndex(this); });
    connect(mnuHelpAbout, &QAction::triggered, this, [this] {
        frmAbout about(this);
        about.exec();
    });
}

void frmMain::buildToolbar() {
    tbarMain_ = addToolBar(QStringLiteral("Main"));
    tbarMain_->setObjectName(QStringLiteral("tbarMain"));
    tbarMain_->setMovable(false);
    tbarMain_->setFloatable(false);
    tbarMain_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    tbarMain_->setIconSize(QSize(24, 24));
    tbarMain_->toggleViewAction()->setVisible(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    // Menu item and button share one action, so their enabled states can't drift apart.
    const auto addButton = [this](QAction* action, const char* key) {
        tbarMain_->addAction(action);
        tbarMain_->widgetForAction(action)->setObjectName(QLatin1String(key));
    };
    addButton(mnuNewJob, "cmdNewJob");
    addButton(mnuDeleteJob, "cmdDeleteJob");
    tbarMain_->addSeparator();
    addButton(mnuStartConvert, "cmdStartConvert");
    addButton(mnuStopConvert, "cmdStopConvert");
    tbarMain_->addSeparator();
    addButton(mnuHelpAbout, "cmdHelpAbout");
}

void frmMain::Form_Load() {
    RunGuarded(prompt_, [this] {
        PageShell = new sw::enc::MonitorPage(encoder_, client_);
        PageShell->setObjectName(QStringLiteral("PageShell"));
        lstJobs_->header()->setStretchLastSection(true);
        SetCPUPriority(AppSettings.CPUPriority);
        // A stored level without a menu item leaves the menu unchecked rather than stopping
        // the set-up, which would also keep handed-in files from ever becoming jobs.
        const int item = 2 - AppSettings.CPUPriority;
        if (item >= 0 && item <= 2) {
            mnuPriority[item]->setChecked(true);
        }
        UpdateCommandStatus();
        frmMainInstance = this;
        bMainReady = true;
    });
    Form_Resize();
}

void frmMain::Form_Resize() {
    if (!client_ || !PageShell || isMinimized()) {
        return;
    }
    // The client below the toolbar strip, in twips.
    const double width = client_->width() * kTwipsPerPixel;
    const double height = client_->height() * kTwipsPerPixel;
    const double pageTop = height - 8 - kPageShellHeight;
    PageShell->setGeometry(Px(4), Px(pageTop), Px(width - 8), Px(kPageShellHeight));
    const double listHeight = (height - 12 - kPageShellHeight);
    lstJobs_->setGeometry(Px(4), 0, Px(width - 8), Px(listHeight));
}

void frmMain::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    // A resize while minimized was skipped; the restored window must fit its size again.
    if (event->type() == QEvent::WindowStateChange) {
        Form_Resize();
    }
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == client_ && event->type() == QEvent::Resize) {
        Form_Resize();
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::UpdateCommandStatus() {
    const CommandStatus status = ComputeCommandStatus(*driver_, selectedRow());
    mnuStartConvert->setEnabled(status.start);
    mnuStopConvert->setEnabled(status.stop);
    mnuDeleteJob->setEnabled(status.del);
}

void frmMain::mnuNewJob_Click() {
    RunGuarded(prompt_, [this] {
        frmAddJob dialog(encoder_.profiles(), this);
        dialog.exec();
        if (dialog.bOKPressed) {
            for (int i = 0; i < dialog.strNewJobSources.size(); ++i) {
                jobs_.add(dialog.strNewJobSources.at(i), dialog.strNewJobOutputs.value(i),
                          dialog.strNewJobFormats.value(i));
            }
            if (AppSettings.AutoStart && !driver_->isConverting()) {
                driver_->start();
            }
        }
    });
    UpdateCommandStatus();
}

void frmMain::mnuDeleteJob_Click() {
    if (ComputeCommandStatus(*driver_, selectedRow()).del) {
        jobs_.remove(selectedRow());
    }
    UpdateCommandStatus();
}

int frmMain::selectedRow() const {
    const QItemSelectionModel* selection = lstJobs_->selectionModel();
    const QModelIndexList rows = selection->selectedRows();
    if (!rows.isEmpty()) {
        return rows.first().row() + 1;
    }
    const QModelIndex current = selection->currentIndex();
    return current.isValid() && selection->isSelected(current) ? current.row() + 1 : 0;
}

void frmMain::mnuStartConvert_Click() {
    RunGuarded(prompt_, [this] { driver_->start(); });
    UpdateCommandStatus();
}

void frmMain::mnuStopConvert_Click() {
    driver_->stop();
}

void frmMain::mnuPriority_Click(int index) {
    for (QAction* item : mnuPriority) {
        item->setChecked(false);
    }
    mnuPriority[index]->setChecked(true);
    SetCPUPriority(2 - index);
}

void frmMain::tbarMain_ButtonClick(const QString& key) {
    if (key == QLatin1String("cmdNewJob")) {
        mnuNewJob_Click();
    } else if (key == QLatin1String("cmdDeleteJob")) {
        mnuDeleteJob_Click();
    } else if (key == QLatin1String("cmdStartConvert")) {
        mnuStartConvert_Click();
    } else if (key == QLatin1String("cmdStopConvert")) {
        mnuStopConvert_Click();
    } else if (key == QLatin1String("cmdHelpAbout")) {
        mnuHelpAbout->trigger();
    }
}

void frmMain::closeEvent(QCloseEvent* event) {
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
    if (driver_->isDecoding()) {
        // A decode can't be interrupted: the window closes as soon as it has ended.
        closeAfterDecode_ = true;
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
}

void frmMain::Form_Unload() {
    unloaded_ = true;
    quick_->timerPendingJobs().stop();
    if (bMainReady) {
        // Closing: the files become jobs, but no conversion starts now.
        quick_->FlushPendingJobs(false);
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
