// Qt's own Simplified Chinese texts, so that the standard dialogs (file dialogs, message-box
// buttons) and the standard context menus of text fields speak the program's language.
#pragma once

class QCoreApplication;

namespace widgets {

// Installs Qt's Simplified Chinese catalogue from the Qt translations folder (Debian package
// qt6-translations-l10n) into `app`, once. Returns false when the catalogue is not installed;
// the program then runs with Qt's English texts.
bool loadQtTranslations(QCoreApplication& app);

}  // namespace widgets
