#pragma once

#include <QAbstractTableModel>
#include <QIcon>

class JobStore;

// The job list's table over the job records: source, its size, target, its size, status and
// format. A job that runs shows the converting picture, one whose source was damaged the warning
// picture, every other one (a stopped one too) the waiting picture. Text cells carry their full
// text as a tooltip, since the view elides them.
class JobTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { kSource = 0, kSourceSize, kTarget, kTargetSize, kStatus, kFormat, kColumnCount };

    explicit JobTableModel(const JobStore& jobs, QObject* parent = nullptr);

    void setIcons(const QIcon& converting, const QIcon& waiting, const QIcon& damaged);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Waiting rows can be dragged to another place in the list; the drop asks for the move
    // with moveRequested, and what may move is the driver's to say.
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    Qt::DropActions supportedDropActions() const override { return Qt::MoveAction; }
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;

Q_SIGNALS:
    // 1-based rows, to stand before `destination` (rowCount() + 1 for the end).
    void moveRequested(const QList<int>& rows, int destination);

private:
    const JobStore& jobs_;
    QIcon converting_;
    QIcon waiting_;
    QIcon damaged_;
};
