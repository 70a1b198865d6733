#include "gui/dialogs/ok_cancel.h"

#include <QCoreApplication>
#include <QDialog>
#include <QPushButton>

OkCancel makeOkCancel(QDialog* dialog) {
    auto* ok = new QPushButton(QCoreApplication::translate("OkCancel", "OK"), dialog);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QCoreApplication::translate("OkCancel", "Cancel"), dialog);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    return {ok, cancel};
}
