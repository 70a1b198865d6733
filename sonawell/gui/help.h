#pragma once

class QWidget;

// Open the help shipped beside the program (programFolder()/help) in the help window of the
// owner's main window, on its contents or on its index of terms. A missing help file is
// reported in a message box.
void showHelpContents(QWidget* owner);
void showHelpIndex(QWidget* owner);
