#include "core/engine/job_list.h"

#include "core/settings/common.h"

#include <QList>

JobList::JobList() : model_(0, kColumnCount), selection_(&model_) {
    model_.setHorizontalHeaderLabels({QStringLiteral("Source"), QStringLiteral("Size"),
                                      QStringLiteral("Target"), QStringLiteral("Size"),
                                      QStringLiteral("Status"), QStringLiteral("Format")});
}

void JobList::setIcons(const QIcon& converting, const QIcon& waiting) {
    converting_ = converting;
    waiting_ = waiting;
    for (int row = 1; row <= count(); ++row) {
        setSmallIcon(row, static_cast<SmallIcon>(smallIcon(row)));
    }
}

void JobList::AddNewJob(const QString& strSource, const QString& strDest,
                        const QString& strProfile) {
    QList<QStandardItem*> row;
    for (const QString& text : {strSource, FormatFileSizeMB(strSource), strDest,
                                QStringLiteral("-"), QStringLiteral("0%"), strProfile}) {
        auto* item = new QStandardItem(text);  // owned by the model once the row is appended
        item->setEditable(false);
        row.append(item);
    }
    model_.appendRow(row);
    setSmallIcon(count(), kIconWaiting);
}

void JobList::DeleteJob() {
    const int row = selectedRow();
    if (row > 0) {
        model_.removeRow(row - 1);
    }
}

int JobList::selectedRow() const {
    const QModelIndexList rows = selection_.selectedRows();
    if (!rows.isEmpty()) {
        return rows.first().row() + 1;
    }
    const QModelIndex current = selection_.currentIndex();
    return current.isValid() && selection_.isSelected(current) ? current.row() + 1 : 0;
}

QStandardItem* JobList::cell(int nIndex, Column column) const {
    return model_.item(nIndex - 1, column);
}

QString JobList::text(int nIndex, Column column) const {
    const QStandardItem* item = cell(nIndex, column);
    return item ? item->text() : QString();
}

QString JobList::GetSourceFileName(int nIndex) const {
    return text(nIndex, kSource);
}
QString JobList::GetOutputFileName(int nIndex) const {
    return text(nIndex, kTarget);
}
QString JobList::GetProfileName(int nIndex) const {
    return text(nIndex, kFormat);
}

void JobList::setText(int nIndex, Column column, const QString& text) {
    if (QStandardItem* item = cell(nIndex, column)) {
        item->setText(text);
    }
}

void JobList::setStatus(int nIndex, const QString& text, const QString& toolTip) {
    if (QStandardItem* item = cell(nIndex, kStatus)) {
        item->setText(text);
        item->setToolTip(toolTip);
    }
}

void JobList::setSmallIcon(int nIndex, SmallIcon icon) {
    if (QStandardItem* item = cell(nIndex, kSource)) {
        item->setData(static_cast<int>(icon), kSmallIconRole);
        item->setIcon(icon == kIconConverting ? converting_ : waiting_);
    }
}

int JobList::smallIcon(int nIndex) const {
    const QStandardItem* item = cell(nIndex, kSource);
    return item ? item->data(kSmallIconRole).toInt() : 0;
}
