#include "gui/job_table_model.h"

#include "core/jobs/job_store.h"
#include "encoder/encoder.h"
#include "gui/size_text.h"

#include <QDataStream>
#include <QIODevice>
#include <QMimeData>

#include <array>

namespace {

const QString kRowsType = QStringLiteral("application/x-sonawell-job-rows");

}  // namespace

JobTableModel::JobTableModel(const JobStore& jobs, QObject* parent)
    : QAbstractTableModel(parent), jobs_(jobs) {
    // The store numbers its rows from 1.
    connect(&jobs, &JobStore::aboutToAdd, this,
            [this](int row) { beginInsertRows({}, row - 1, row - 1); });
    connect(&jobs, &JobStore::added, this, [this] { endInsertRows(); });
    connect(&jobs, &JobStore::aboutToRemove, this,
            [this](int first, int last) { beginRemoveRows({}, first - 1, last - 1); });
    connect(&jobs, &JobStore::removed, this, [this] { endRemoveRows(); });
    connect(&jobs, &JobStore::aboutToMove, this, [this](int from, int to) {
        // Qt names the row the moved one goes before, as it was before the move.
        beginMoveRows({}, from - 1, from - 1, {}, from < to ? to : to - 1);
    });
    connect(&jobs, &JobStore::moved, this, [this] { endMoveRows(); });
    connect(&jobs, &JobStore::changed, this, [this](int row) {
        Q_EMIT dataChanged(index(row - 1, 0), index(row - 1, kColumnCount - 1));
    });
}

void JobTableModel::setIcons(const QIcon& converting, const QIcon& waiting, const QIcon& damaged) {
    converting_ = converting;
    waiting_ = waiting;
    damaged_ = damaged;
    if (rowCount() > 0) {
        Q_EMIT dataChanged(index(0, kSource), index(rowCount() - 1, kSource), {Qt::DecorationRole});
    }
}

int JobTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : jobs_.count();
}

int JobTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant JobTableModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return {};
    }
    const Job& job = jobs_.at(index.row() + 1);
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
            case kSource:
                return job.source;
            case kSourceSize:
                return formatSizeMB(job.sourceSize);
            case kTarget:
                return job.output;
            case kTargetSize:
                // A file at the path of a failed job is not its output.
                return job.state == JobState::Failed ? QStringLiteral("-")
                                                     : formatSizeMB(job.outputSize);
            case kStatus:
                return statusText(job);
            case kFormat:
                return sw::enc::ProfileCollection::displayName(job.profile);
            default:
                return {};
        }
    }
    if (role == Qt::ToolTipRole) {
        const QString tip = index.column() == kStatus ? statusToolTip(job) : QString();
        const QString text = tip.isEmpty() ? data(index, Qt::DisplayRole).toString() : tip;
        return text.isEmpty() ? QVariant() : QVariant(text);
    }
    if (role == Qt::DecorationRole && index.column() == kSource) {
        switch (job.state) {
            case JobState::Converting:
                return converting_;
            case JobState::DoneDamaged:
                return damaged_;
            default:
                return waiting_;
        }
    }
    return {};
}

QVariant JobTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    static const std::array<QString, kColumnCount> kTitles{
        tr("Source"), tr("Size"), tr("Target"), tr("Size"), tr("Status"), tr("Format")};
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < kColumnCount) {
        return kTitles[static_cast<size_t>(section)];
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags JobTableModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (!index.isValid()) {
        return flags | Qt::ItemIsDropEnabled;
    }
    const JobState state = jobs_.at(index.row() + 1).state;
    if (state == JobState::Waiting || state == JobState::Stopped) {
        flags |= Qt::ItemIsDragEnabled;
    }
    return flags | Qt::ItemIsDropEnabled;
}

QStringList JobTableModel::mimeTypes() const {
    return {kRowsType};
}

QMimeData* JobTableModel::mimeData(const QModelIndexList& indexes) const {
    QList<int> rows;
    for (const QModelIndex& index : indexes) {
        if (index.isValid() && !rows.contains(index.row() + 1)) {
            rows.append(index.row() + 1);
        }
    }
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream << rows;
    auto* data = new QMimeData;
    data->setData(kRowsType, bytes);
    return data;
}

bool JobTableModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int,
                                 const QModelIndex& parent) {
    if (action != Qt::MoveAction || data == nullptr || !data->hasFormat(kRowsType)) {
        return false;
    }
    QList<int> rows;
    QDataStream stream(data->data(kRowsType));
    stream >> rows;
    // Dropped on a row: before it; between rows: at `row`; below the last: at the end.
    const int destination = parent.isValid() ? parent.row() + 1
                            : row >= 0       ? row + 1
                                             : rowCount() + 1;
    Q_EMIT moveRequested(rows, destination);
    // The store has moved the rows already; the view must not remove any.
    return true;
}
