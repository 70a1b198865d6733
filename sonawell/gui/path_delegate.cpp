#include "gui/path_delegate.h"

#include <QApplication>
#include <QFontMetrics>
#include <QStyle>

#include <algorithm>

QString elidePath(const QString& path, const QFontMetrics& metrics, int width) {
    if (metrics.horizontalAdvance(path) <= width) {
        return path;
    }
    const qsizetype cut =
        std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    if (cut < 0) {
        return metrics.elidedText(path, Qt::ElideMiddle, width);
    }
    const QString tail = QStringLiteral("\u2026") + path.mid(cut);
    if (metrics.horizontalAdvance(tail) > width) {
        // Still shown as a path, so a cut name is never taken for a file of its own.
        const QString lead = QStringLiteral("\u2026") + path.at(cut);
        return lead + metrics.elidedText(path.mid(cut + 1), Qt::ElideMiddle,
                                         width - metrics.horizontalAdvance(lead));
    }
    // As much of the folder's start as still fits before the ellipsis; found by halving, as
    // this runs for every path cell the view paints.
    qsizetype keep = 0;
    for (qsizetype longer = cut; keep < longer;) {
        const qsizetype middle = (keep + longer + 1) / 2;
        if (metrics.horizontalAdvance(path.left(middle) + tail) <= width) {
            keep = middle;
        } else {
            longer = middle - 1;
        }
    }
    return path.left(keep) + tail;
}

void PathDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    const QWidget* view = option->widget;
    const QStyle* style = view ? view->style() : QApplication::style();
    // The style keeps this margin on both sides of an item's text.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
    const int width =
        style->subElementRect(QStyle::SE_ItemViewItemText, option, view).width() - 2 * margin;
    option->text = elidePath(option->text, option->fontMetrics, width);
    option->textElideMode = Qt::ElideMiddle;
}
