// kuvacalc: the calculator suite's main program.
//   kuvacalc                              the main window, one instance at a time
//   kuvacalc --screenshot FILE [--page N] render the main window showing page N to a PNG and exit
//   kuvacalc --help | --version           print the usage or the version and exit
#include <QApplication>
#include <QFontDatabase>
#include <cstdio>
#include <string>

#include "app/command_line.h"
#include "app/main_window.h"
#include "app/pages/noise/decibel_calc_dialog.h"
#include "app/single_instance.h"
#include "widgets/prompts.h"
#include "widgets/translations.h"
#include "widgets/wheel_guard.h"

int main(int argc, char** argv) {
  // The command line first: printing the usage or the version needs no display.
  const app::StartRequest request = app::parseStartArguments(app::argumentsOf(argc, argv));
  if (request.kind == app::StartRequest::PrintAndExit) {
    std::fputs(request.output.toLocal8Bit().constData(), request.to_stderr ? stderr : stdout);
    return request.exit_code;
  }
  const QString shot = request.options.screenshot;
  if (!shot.isEmpty() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");

  widgets::useChineseDates();
  QApplication a(argc, argv);
  widgets::loadQtTranslations(a);
  widgets::installWheelGuard(a);
  QApplication::setApplicationName(QStringLiteral("kuvacalc"));
  QApplication::setOrganizationName(QStringLiteral("kuva"));
  app::CMainDlg::setDecibelFactory(
      [](QWidget* owner) { return app::CDecibelCalcDlg::open(owner); });

  if (!shot.isEmpty()) {
    app::CMainDlg dlg;
    dlg.ShowPage(request.options.page);
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
  dlg.run();
  return 0;
}
