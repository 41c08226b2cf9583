// The program on a laptop: a 1366 × 768 screen whose task bar leaves 1366 × 728. The main
// window and every page and tab fit with every button reachable, the sub-dialogs and the help
// window open wholly on the screen, and the labels write their units one way.
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QRegularExpression>
#include <QScrollArea>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <memory>

#include "app/about_dialog.h"
#include "app/help.h"
#include "app/main_window.h"
#include "app/menu_table.h"
#include "app/pages/noise/barrier_dialogs.h"
#include "app/pages/noise/decibel_calc_dialog.h"
#include "app/pages/noise/path_difference_dialog.h"
#include "app/pages/risk/overpressure_chart_dialog.h"
#include "app/screen_fit.h"
#include "widgets/contour_map_window.h"
#include "widgets/curve_plot.h"
#include "widgets/prompts.h"

namespace {

const QRect kAvailable(0, 0, 1366, 728);
const QMargins kFrame(4, 32, 4, 4);  // a window manager's title bar and borders

bool fitsWithFrame(const QWidget* w) {
  const QSize outer = w->size().grownBy(kFrame);
  return outer.width() <= kAvailable.width() && outer.height() <= kAvailable.height();
}

QRect rectIn(const QWidget* w, const QWidget* window) {
  return {w->mapTo(window, QPoint(0, 0)), w->size()};
}

// Scrolls `w` into view through the scroll areas around it; then it must lie wholly inside each
// of its ancestors up to the window, or part of it is cut off. Returns what is wrong, or "".
QString cutOff(QWidget* w, QWidget* window) {
  for (QWidget* p = w->parentWidget(); p && p != window; p = p->parentWidget())
    if (auto* area = qobject_cast<QScrollArea*>(p)) area->ensureWidgetVisible(w, 0, 0);
  const QRect r = rectIn(w, window);
  for (QWidget* p = w->parentWidget(); p; p = p->parentWidget()) {
    const QRect inside = p == window ? window->rect() : rectIn(p, window);
    if (!inside.contains(r))
      return QStringLiteral("\"%1\" (%2) cut off by %3")
          .arg(qobject_cast<QAbstractButton*>(w) ? static_cast<QAbstractButton*>(w)->text()
                                                 : QString(),
               w->objectName(), QString::fromLatin1(p->metaObject()->className()));
    if (p == window) break;
  }
  return {};
}

// KUVA_SCREENSHOT_DIR keeps a picture of each page and tab to look at.
void keepPicture(QWidget* window, const QString& name) {
  const QByteArray dir = qgetenv("KUVA_SCREENSHOT_DIR");
  if (!dir.isEmpty())
    window->grab().save(QDir(QString::fromLocal8Bit(dir)).filePath(name + ".png"));
}

QStringList buttonsCutOff(QWidget* root, QWidget* window) {
  QStringList bad;
  for (QAbstractButton* b : root->findChildren<QAbstractButton*>())
    if (b->isVisibleTo(window)) {
      const QString why = cutOff(b, window);
      if (!why.isEmpty()) bad << why;
    }
  return bad;
}

}  // namespace

class LaptopScreenTest : public QObject {
  Q_OBJECT
 private slots:
  void init() {
    widgets::setMessageSink([](QWidget*, const QString&, const QString&) {});
  }
  void cleanup() { widgets::setMessageSink({}); }

  // Every page, and every tab of a tab page, in the main window as it opens: each button lies
  // inside the window, reachable by scrolling the page where the form is taller.
  void everyPageFitsTheMainWindow() {
    app::CMainDlg dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QVERIFY2(fitsWithFrame(&dlg),
             qPrintable(QStringLiteral("%1×%2").arg(dlg.width()).arg(dlg.height())));
    QVERIFY(buttonsCutOff(&dlg, &dlg).isEmpty());
    QStringList bad;
    for (int n = 1; n <= app::kPageCount; ++n) {
      dlg.ShowPage(n);
      QWidget* page = dlg.page(n);
      QCoreApplication::processEvents();
      const auto tabs = page->findChildren<QTabWidget*>();
      if (tabs.isEmpty()) {
        keepPicture(&dlg, QStringLiteral("page%1").arg(n));
        for (const QString& b : buttonsCutOff(page, &dlg))
          bad << QStringLiteral("page %1: %2").arg(n).arg(b);
        continue;
      }
      for (QTabWidget* t : tabs)
        for (int i = 0; i < t->count(); ++i) {
          t->setCurrentIndex(i);
          QCoreApplication::processEvents();
          for (const QString& b : buttonsCutOff(page, &dlg))
            bad << QStringLiteral("page %1 tab %2: %3").arg(n).arg(i).arg(b);
          keepPicture(&dlg, QStringLiteral("page%1-tab%2").arg(n).arg(i));
        }
    }
    QVERIFY2(bad.isEmpty(), qPrintable(bad.join(QLatin1Char('\n'))));
  }

  // The sub-dialogs the pages open: each fits the screen with its frame, buttons inside.
  void subDialogsFit() {
    const std::vector<std::function<QWidget*()>> dialogs = {
        [] { return new app::CPathDifferenceDlg(nullptr, 12); },
        [] { return new app::CFiniteBarrierCorrectionDlg(nullptr, 10); },
        [] { return new app::CEmbankmentAttenuationDlg(nullptr, 8); },
        [] { return new app::COverpressureChartDlg(2.0); },
        [] {
          return new widgets::ContourMapWindow(QStringLiteral(KUVA_TEST_DATA_DIR "/bump.grd"));
        },
        [] { return new widgets::CurvePlot(); },
        [] { return new app::CAboutDlg(); },
        [] { return app::CDecibelCalcDlg::create(); },
    };
    for (const auto& make : dialogs) {
      std::unique_ptr<QWidget> d(make());
      d->show();
      QVERIFY(QTest::qWaitForWindowExposed(d.get()));
      const QString name = QString::fromLatin1(d->metaObject()->className());
      QVERIFY2(fitsWithFrame(d.get()),
               qPrintable(QStringLiteral("%1 %2×%3").arg(name).arg(d->width()).arg(d->height())));
      const QStringList bad = buttonsCutOff(d.get(), d.get());
      QVERIFY2(bad.isEmpty(), qPrintable(name + QLatin1Char(' ') + bad.join(QLatin1Char('\n'))));
    }
  }

  // A window placed partly off the screen, or too large for it, opens wholly on it; the help
  // window opens on the screen.
  void windowsOpenOnScreen() {
    app::keepWindowsOnScreen();
    QWidget big;
    big.resize(1600, 900);
    big.move(900, 500);
    app::fitOnScreen(&big, kAvailable);
    QVERIFY(kAvailable.contains(QRect(big.pos(), big.size())));

    // Shown, a window too large for the screen is fitted to it.
    QWidget huge;
    huge.resize(1600, 900);
    huge.show();
    QVERIFY(huge.screen()->availableGeometry().contains(huge.frameGeometry()));

    app::showHelpTopic(nullptr, app::kManualTopic);
    QWidget* help = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->objectName() == QLatin1String("helpBrowser") && w->isVisible()) help = w;
    QVERIFY(help);
    QVERIFY(help->screen()->availableGeometry().contains(help->frameGeometry()));
    QVERIFY(fitsWithFrame(help));
    help->close();
  }

  // Units are written one way on every label: m², m³, kg, kW, kPa, km, °.
  void unitsWrittenOneWay() {
    app::CMainDlg dlg;
    static const QRegularExpression other(
        QStringLiteral(R"(\^[23]|\bKg\b|\bK[Ww]\b|\bkw\b|\bKPa\b|\bKm\b|\[度\])"));
    QStringList bad;
    for (int n = 1; n <= app::kPageCount; ++n) {
      QStringList texts;
      for (QLabel* l : dlg.page(n)->findChildren<QLabel*>()) texts << l->text();
      for (QAbstractButton* b : dlg.page(n)->findChildren<QAbstractButton*>()) texts << b->text();
      for (QGroupBox* g : dlg.page(n)->findChildren<QGroupBox*>()) texts << g->title();
      for (const QString& t : texts)
        if (other.match(t).hasMatch()) bad << QStringLiteral("page %1: %2").arg(n).arg(t);
    }
    QVERIFY2(bad.isEmpty(), qPrintable(bad.join(QLatin1Char('\n'))));
  }
};

// The tests run on an off-screen 1366 × 768 screen.
int main(int argc, char** argv) {
  QTemporaryDir dir;
  const QString config = dir.filePath(QStringLiteral("screen.json"));
  QFile f(config);
  if (!f.open(QIODevice::WriteOnly)) return 1;
  f.write(R"({"screens": [{"name": "laptop", "x": 0, "y": 0, "width": 1366, "height": 768,
              "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
  f.close();
  qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toLocal8Bit());
  QApplication app(argc, argv);
  LaptopScreenTest t;
  return QTest::qExec(&t, argc, argv);
}

#include "laptop_screen_test.moc"
