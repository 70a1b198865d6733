#pragma once

#include <QString>
#include <QStyledItemDelegate>

class QFontMetrics;

// `path` shortened to `width` pixels for the job list: the folder gives way before the file
// name ("/home/user/…/Track 01.mp3"), and a name too long by itself is cut in its middle.
QString elidePath(const QString& path, const QFontMetrics& metrics, int width);

// Paths cut at the end all read alike ("/home/user/Mus..."); the file name is what tells the
// jobs apart, so the folder gives way first.
class PathDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};
