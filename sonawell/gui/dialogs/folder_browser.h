#pragma once

#include <QString>

class QWidget;

// Lets the user pick an existing folder, starting at startFolder (the home folder when it is
// empty). Returns the chosen folder's full path ("/" for the root), or empty text on cancel.
QString chooseFolder(QWidget* owner, const QString& startFolder, const QString& title);
