#pragma once

class QCoreApplication;

// Loads the texts for the user's language (QLocale(): LANGUAGE, LC_ALL, LC_MESSAGES, LANG):
// ours from the program folder's translations/, Qt's own (standard buttons, file dialogs) from
// the system's Qt catalogues. A language with no catalogue stays English, silently.
void installTranslations(QCoreApplication& app);
