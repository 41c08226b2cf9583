// update: the updater of the calculator suite. Reads where the main program lives, its version
// and the update server from the settings the main program writes, and offers the newest
// version.
#include <QApplication>

#include "update/update_dialog.h"

int main(int argc, char** argv) {
  QApplication a(argc, argv);
  QApplication::setApplicationName(QStringLiteral("update"));
  QApplication::setOrganizationName(QStringLiteral("kuva"));
  update::CUpdateDlg dlg(update::UpdateSettings::read(), update::defaultDownloadFolder());
  dlg.show();
  return a.exec();
}
