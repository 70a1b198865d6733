// The job list with a large queue, in the window's own view and model on the offscreen
// platform: how long adding, scrolling through, selecting and deleting 10,000 rows take, and
// the memory per queued job. The reference is the same view over a plain QStandardItemModel
// holding the same six texts per row.
//
// Usage: large_list_bench [COUNT]   (default 100000)

#include "core/engine/conversion_driver.h"
#include "core/engine/list_commands.h"
#include "core/engine/user_prompt.h"
#include "core/jobs/job_store.h"
#include "encoder/encoder.h"
#include "gui/job_table_model.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTreeView>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

// Nothing in the bench asks anything.
class SilentPrompt : public UserPrompt {
public:
    void showMessage(const QString&) override {}
    bool askYesNo(const QString&) override { return false; }
};

long residentKb() {
    std::ifstream status("/proc/self/status");
    std::string key;
    long value = 0;
    while (status >> key) {
        if (key == "VmRSS:") {
            status >> value;
            return value;
        }
        status.ignore(1 << 12, '\n');
    }
    return 0;
}

double ms(QElapsedTimer& clock) {
    const double taken = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    clock.restart();
    return taken;
}

QString sourceName(int i) {
    return QStringLiteral("/home/user/Music/Album %1/Track %2.mp3").arg(i / 20).arg(i % 20);
}

// Scrolls from top to bottom in steps, painting what each shows, and back to the top.
void scrollThrough(QTreeView& view, int pages) {
    QScrollBar* bar = view.verticalScrollBar();
    for (int i = 0; i <= pages; ++i) {
        bar->setValue(bar->maximum() * i / pages);
        view.viewport()->grab();
    }
    bar->setValue(0);
    view.viewport()->grab();
}

void selectRows(QTreeView& view, int first, int count) {
    const QAbstractItemModel* model = view.model();
    view.selectionModel()->select(
        QItemSelection(model->index(first, 0), model->index(first + count - 1, 5)),
        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::stoi(argv[1]) : 100000;
    constexpr int kSelected = 10000;
    constexpr int kPages = 50;
    QElapsedTimer clock;

    // Ours: the job store, the window's model and a view as the window sets it up.
    sw::enc::Encoder encoder;
    JobStore jobs;
    SilentPrompt prompt;
    AppSettingsRecord settings;
    ConversionDriver driver(encoder, jobs, prompt, settings);
    JobTableModel model(jobs);
    QTreeView view;
    view.setUniformRowHeights(true);
    view.setRootIsDecorated(false);
    view.setSelectionMode(QAbstractItemView::ExtendedSelection);
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    view.setModel(&model);
    view.resize(1000, 700);
    view.show();

    const long before = residentKb();
    clock.start();
    for (int i = 0; i < count; ++i) {
        const QString source = sourceName(i);
        jobs.add(source, source.left(source.size() - 3) + QStringLiteral("wma"),
                 QStringLiteral("Audio for CD quality (128 Kbps, 44 kHz, stereo)"));
    }
    const double addMs = ms(clock);
    const long after = residentKb();
    scrollThrough(view, kPages);
    const double scrollMs = ms(clock);
    selectRows(view, count / 2, kSelected);
    const double selectMs = ms(clock);
    std::vector<int> rows;
    for (const QModelIndex& index : view.selectionModel()->selectedRows()) {
        rows.push_back(index.row() + 1);
    }
    removeJobs(driver, rows);
    const double deleteMs = ms(clock);

    // The reference: a standard item model with the same texts.
    QStandardItemModel plain(0, 6);
    QTreeView plainView;
    plainView.setUniformRowHeights(true);
    plainView.setRootIsDecorated(false);
    plainView.setSelectionMode(QAbstractItemView::ExtendedSelection);
    plainView.setSelectionBehavior(QAbstractItemView::SelectRows);
    plainView.setModel(&plain);
    plainView.resize(1000, 700);
    plainView.show();
    const long plainBefore = residentKb();
    clock.restart();
    for (int i = 0; i < count; ++i) {
        const QString source = sourceName(i);
        plain.appendRow({new QStandardItem(source), new QStandardItem(QStringLiteral("4.1 MB")),
                         new QStandardItem(source.left(source.size() - 3) + QStringLiteral("wma")),
                         new QStandardItem(QString()), new QStandardItem(QStringLiteral("0%")),
                         new QStandardItem(QStringLiteral("Audio for CD quality"))});
    }
    const double plainAddMs = ms(clock);
    const long plainAfter = residentKb();
    scrollThrough(plainView, kPages);
    const double plainScrollMs = ms(clock);
    selectRows(plainView, count / 2, kSelected);
    const double plainSelectMs = ms(clock);
    plain.removeRows(count / 2, kSelected);
    const double plainDeleteMs = ms(clock);

    std::printf("jobs %d, selection %d, %d steps scrolled, each painted\n", count, kSelected,
                kPages);
    std::printf("%-28s %12s %12s %8s\n", "", "ours", "reference", "ratio");
    const auto row = [](const char* what, double ours, double reference) {
        std::printf("%-28s %12.1f %12.1f %8.2f\n", what, ours, reference,
                    reference > 0 ? ours / reference : 0.0);
    };
    row("add all (ms)", addMs, plainAddMs);
    row("scroll through (ms)", scrollMs, plainScrollMs);
    row("select 10,000 (ms)", selectMs, plainSelectMs);
    row("delete the selection (ms)", deleteMs, plainDeleteMs);
    row("memory per job (bytes)", (after - before) * 1024.0 / count,
        (plainAfter - plainBefore) * 1024.0 / count);
    return 0;
}
