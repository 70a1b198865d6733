#pragma once

class QDialog;
class QPushButton;

// The "OK" (default) and "Cancel" buttons of a dialog, named cmdOK and cmdCancel; Cancel
// rejects the dialog. The dialog lays them out and decides what OK does.
struct OkCancel {
    QPushButton* ok;
    QPushButton* cancel;
};
OkCancel makeOkCancel(QDialog* dialog);
