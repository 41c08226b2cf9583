// kuvacalc: the calculator suite's main program.
//   kuvacalc                              the main window, one instance at a time
//   kuvacalc --screenshot FILE [--page N] render the main window showing page N to a PNG and exit
#include <QApplication>
#include <QFontDatabase>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/main_window.h"
#include "app/pages/noise/decibel_calc_dialog.h"
#include "app/single_instance.h"
#include "app/translations.h"
#include "widgets/prompts.h"

int main(int argc, char** argv) {
  QString shot;
  int page = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--screenshot") == 0 && i + 1 < argc) {
      shot = QString::fromLocal8Bit(argv[++i]);
    } else if (std::strcmp(argv[i], "--page") == 0 && i + 1 < argc) {
      page = std::atoi(argv[++i]);
    }
  }
  if (!shot.isEmpty() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");

  QApplication a(argc, argv);
  app::loadQtTranslations(a);
  QApplication::setApplicationName(QStringLiteral("kuvacalc"));
  QApplication::setOrganizationName(QStringLiteral("kuva"));
  app::CMainDlg::setDecibelFactory([] { return app::CDecibelCalcDlg::create(); });

  if (!shot.isEmpty()) {
    app::CMainDlg dlg;
    dlg.ShowPage(page);
    dlg.show();
    QApplication::processEvents();
    const bool ok = dlg.grab().save(shot, "PNG");
    if (!ok) std::fprintf(stderr, "kuvacalc: cannot write %s\n", shot.toLocal8Bit().constData());
    return ok ? 0 : 1;
  }

  // Scripted runs (tests, kiosk set-ups) can have messages printed instead of shown.
  if (!qEnvironmentVariableIsEmpty("KUVACALC_MESSAGES_TO_STDERR"))
    widgets::setMessageSink([](QWidget*, const QString& text, const QString& caption) {
      std::fprintf(stderr, "%s: %s\n", caption.toUtf8().constData(), text.toUtf8().constData());
    });
  app::SingleInstance instance;
  if (!instance.acquire()) {
    widgets::showMessage(nullptr, app::kSecondInstanceMessage);
    return 0;
  }
  app::CMainDlg dlg;
  dlg.exec();
  return 0;
}
