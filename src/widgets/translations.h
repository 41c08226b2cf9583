// Qt's own Simplified Chinese texts, so that the standard dialogs (file dialogs, message-box
// buttons) and the standard context menus of text fields speak the program's language.
#pragma once

class QCoreApplication;

namespace widgets {

// Installs Qt's Simplified Chinese catalogue from the Qt translations folder (Debian package
// qt6-translations-l10n) into `app`, once. Returns false when the catalogue is not installed;
// the program then runs with Qt's English texts.
// Also makes Chinese the default locale (file types in the file dialogs) and adds the few
// file-dialog texts the catalogue lacks.
bool loadQtTranslations(QCoreApplication& app);

// Dates as the file dialogs show them follow the system locale's time category: this sets it to
// Simplified Chinese for this process. Call it before the application object is made.
void useChineseDates();

}  // namespace widgets
