#include "cli/terminal_report.h"

#include "cli/batch_plan.h"
#include "cli/byte_path.h"

#include <QCoreApplication>

#include <algorithm>

namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("CommandLine", text);
}

constexpr int kBarWidth = 24;
constexpr int kRedrawMs = 100;

QString clockText(qint64 seconds) {
    const qint64 hours = seconds / 3600;
    const QString minutesSeconds =
        QStringLiteral("%1:%2")
            .arg(seconds / 60 % 60, hours > 0 ? 2 : 1, 10, QLatin1Char('0'))
            .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return hours > 0 ? QString::number(hours) + QLatin1Char(':') + minutesSeconds : minutesSeconds;
}

}  // namespace

TerminalReport::TerminalReport(std::FILE* err, Show show, int jobCount, int64_t totalBytes)
    : err_(err), show_(show), jobCount_(jobCount), totalBytes_(std::max<int64_t>(1, totalBytes)) {
    clock_.start();
}

void TerminalReport::print(const QString& text) {
    clearBar();
    const QByteArray bytes = text.toLocal8Bit() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), err_);
    std::fflush(err_);
}

void TerminalReport::started(const PlannedJob& job) {
    running_.insert(job.index, {job.sourceBytes, 0, pathText(fileNameOf(job.source))});
    current_ = running_.value(job.index).name;
    drawBar(true);
}

void TerminalReport::progressed(const PlannedJob& job, double fraction) {
    running_[job.index].fraction = fraction;
    drawBar(false);
}

void TerminalReport::ended(const PlannedJob& job) {
    ++ended_;
    endedBytes_ += job.sourceBytes;
    running_.remove(job.index);
    if (!running_.isEmpty() && !std::any_of(running_.cbegin(), running_.cend(),
                                            [&](const Running& r) { return r.name == current_; })) {
        current_ = running_.cbegin()->name;
    }
    if (job.state == JobState::Failed || job.state == JobState::DoneDamaged) {
        print(QStringLiteral("sonawell-convert: %1: %2").arg(pathText(job.source), job.reason));
    }
    drawBar(true);
}

void TerminalReport::clearBar() {
    if (barShown_) {
        std::fputs("\r\033[K", err_);
        barShown_ = false;
    }
}

void TerminalReport::drawBar(bool now) {
    if (!show_.bar || (!now && lastDraw_.isValid() && !lastDraw_.hasExpired(kRedrawMs))) {
        return;
    }
    lastDraw_.start();
    double bytesDone = static_cast<double>(endedBytes_);
    for (const Running& running : std::as_const(running_)) {
        bytesDone += running.fraction * static_cast<double>(running.bytes);
    }
    const double share = std::clamp(bytesDone / static_cast<double>(totalBytes_), 0.0, 1.0);
    const int filled = static_cast<int>(share * kBarWidth);
    QString line = QLatin1Char('[') + QString(filled, QLatin1Char('#')) +
                   QString(kBarWidth - filled, QLatin1Char('-')) + QStringLiteral("] ") +
                   QStringLiteral("%1/%2").arg(ended_).arg(jobCount_);
    // Said once enough has been done to judge by.
    if (share > 0.01 && clock_.elapsed() > 1000) {
        const auto left =
            static_cast<qint64>(static_cast<double>(clock_.elapsed()) / 1000 * (1 - share) / share);
        line += QLatin1String("  ") + tr("%1 left").arg(clockText(left));
    }
    if (!current_.isEmpty() && !running_.isEmpty()) {
        line += QLatin1String("  ") + current_;
    }
    // One line, however long the name: a wrapped line can't be redrawn in place.
    line = line.left(100);
    clearBar();
    const QByteArray bytes = line.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), err_);
    std::fflush(err_);
    barShown_ = true;
}

void TerminalReport::finished(const BatchSummary& summary, const std::vector<PlannedJob>& jobs) {
    clearBar();
    if (!show_.summary) {
        return;
    }
    const auto row = [&](const QString& label, int count) {
        print(QStringLiteral("  %1 %2").arg(label, -16).arg(count, 6));
    };
    row(tr("Done"), summary.done);
    row(tr("Damaged"), summary.damaged);
    row(tr("Skipped"), summary.skipped);
    row(tr("Failed"), summary.failed);
    if (summary.interrupted || summary.undone > 0) {
        row(tr("Left undone"), summary.undone);
    }
    bool heading = false;
    for (const PlannedJob& job : jobs) {
        if (job.state != JobState::Failed) {
            continue;
        }
        if (!heading) {
            print(tr("Failed:"));
            heading = true;
        }
        print(QStringLiteral("  %1: %2").arg(pathText(job.source), job.reason));
    }
    if (summary.interrupted) {
        print(QCoreApplication::translate("CommandLine", "Interrupted: %n file(s) left undone.",
                                          nullptr, summary.undone));
    }
}
