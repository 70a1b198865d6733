#include "gui/dialogs/accessible_choice.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QItemSelectionModel>
#include <QKeyEvent>

void takeAccessibleChoice(QComboBox* box) {
    QAbstractItemView* list = box->view();
    QObject::connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, box,
                     [list](const QItemSelection& selected) {
                         // The mouse and the keys move the current item along with the
                         // selection; only a selection made from outside leaves it behind.
                         const QModelIndexList items = selected.indexes();
                         if (items.isEmpty() || items.first() == list->currentIndex()) {
                             return;
                         }
                         list->setCurrentIndex(items.first());
                         QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
                         QCoreApplication::sendEvent(list, &enter);
                     });
}
