#pragma once

#include <QIcon>
#include <QItemSelectionModel>
#include <QStandardItemModel>
#include <QString>

// The job list: one row per job, and the only record of the jobs. Rows are addressed by their
// 1-based number as everywhere in the engine.
class JobList {
public:
    enum Column { kSource = 0, kSourceSize, kTarget, kTargetSize, kStatus, kFormat, kColumnCount };
    enum SmallIcon { kIconConverting = 1, kIconWaiting = 2 };
    static constexpr int kSmallIconRole = Qt::UserRole + 1;

    JobList();

    QStandardItemModel& model() { return model_; }
    QItemSelectionModel& selection() { return selection_; }
    // The pictures shown for the two small-icon states.
    void setIcons(const QIcon& converting, const QIcon& waiting);

    int count() const { return model_.rowCount(); }
    void AddNewJob(const QString& strSource, const QString& strDest, const QString& strProfile);
    // Removes the selected row, if any.
    void DeleteJob();
    // 1-based selected row, 0 when none.
    int selectedRow() const;

    QString GetSourceFileName(int nIndex) const;
    QString GetOutputFileName(int nIndex) const;
    QString GetProfileName(int nIndex) const;
    QString text(int nIndex, Column column) const;

    void setText(int nIndex, Column column, const QString& text);
    void setStatus(int nIndex, const QString& text, const QString& toolTip = {});
    void setSmallIcon(int nIndex, SmallIcon icon);
    int smallIcon(int nIndex) const;

private:
    QStandardItem* cell(int nIndex, Column column) const;

    QStandardItemModel model_;
    QItemSelectionModel selection_;
    QIcon converting_;
    QIcon waiting_;
};
