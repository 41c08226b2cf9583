// The further air prediction page's run, headless, against kuvamod run directly on the deck the
// page exports: a year of meteorology, the default nested grid (2,500 points), 10 protection
// targets, 10 stacks and 3 area sources, two pollutants with a normal and an abnormal case.
// Prints the wall time of each (best of the repeats), their ratio and the longest wait between
// two progress updates of the page. Usage: air_prediction_bench MET_DIR WORK_DIR [REPEATS]
// (MET_DIR holds year.sfc and year.pfl, see make_mod_year.py).
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <functional>

#include "app/calculator_page.h"
#include "app/pages/air/prediction/air_prediction_page.h"
#include "models/air/prediction/prediction_desc.h"
#include "widgets/paste_table.h"
#include "widgets/prompts.h"

namespace {

void buildPlant(app::AirPredictionPageHook& h) {
  h.pollutants()->pasteText(
      QStringLiteral("SO2\t500\t\t150\t60\t98\t20\t15\nNO2\t200\t\t80\t40\t98\t30\t25"), 0, 0);
  QString stacks;
  for (int i = 0; i < 10; ++i)
    stacks += QStringLiteral("P%1\t%2\t%3\t0\t%4\t%5\t%6\t%7\t竖直\t%8\t%9\t%10\t0\n")
                  .arg(i + 1)
                  .arg(30 * i)
                  .arg(300 - 25 * i)
                  .arg(20 + 8 * i)
                  .arg(0.5 + 0.2 * i)
                  .arg(380 + 10 * i)
                  .arg(8 + i)
                  .arg(0.2 + 0.1 * i)
                  .arg(i % 3 == 0 ? 2.0 : 0.0)
                  .arg(0.3 + 0.05 * i);
  h.stacks()->pasteText(stacks, 0, 0);
  h.others()->pasteText(
      QStringLiteral("A1\t面源\t0 0; 80 0; 80 60; 0 60\t0\t3\t\t\t0.5\t0\t0.2\t0\n"
                     "A2\t面源\t150 100; 260 100; 260 140; 150 140\t0\t5\t\t\t0."
                     "3\t0\t0.4\t0\n"
                     "A3\t面源\t200 200; 300 220; 280 300\t0\t2\t\t\t0.1\t0\t0.1\t0"),
      0, 0);
  QString targets;
  for (int i = 0; i < 10; ++i)
    targets += QStringLiteral("T%1\t%2\t%3\t0\t二类\n")
                   .arg(i + 1)
                   .arg(-1800 + 400 * i)
                   .arg(i % 2 ? 1500 - 150 * i : -1200 + 100 * i);
  h.targets()->pasteText(targets, 0, 0);
  h.setting("half_width")->setText(QStringLiteral("2300"));
}

// Runs until `busy` turns false, serving the page's events.
void waitWhile(const std::function<bool()>& busy) {
  while (busy()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20), QThread::msleep(2);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication a(argc, argv);
  if (argc < 3) {
    std::fprintf(stderr, "usage: air_prediction_bench MET_DIR WORK_DIR [REPEATS]\n");
    return 2;
  }
  const QDir met(QString::fromLocal8Bit(argv[1])), work(QString::fromLocal8Bit(argv[2]));
  const int repeats = argc > 3 ? std::max(1, std::atoi(argv[3])) : 2;
  bool failed = false;
  widgets::setMessageSink([&failed](QWidget*, const QString& text, const QString&) {
    std::fprintf(stderr, "message: %s\n", qPrintable(text));
    failed = true;
  });
  app::CalculatorPage page(models::air::airPredictionDesc());
  auto& h = *dynamic_cast<app::AirPredictionPageHook*>(page.hook());
  buildPlant(h);
  if (!h.loadMet(met.filePath(QStringLiteral("year.sfc")),
                 met.filePath(QStringLiteral("year.pfl"))))
    return 1;
  QString err;
  const auto in = h.readInputs(&err);
  if (!in) {
    std::fprintf(stderr, "%s\n", qPrintable(err));
    return 1;
  }
  const auto plant = h.plantForRun(*in);
  std::printf("plant: %zu sources, %zu targets, %zu grid points, %zu pollutants\n",
              plant.sources.size(), plant.targets.size(), plant.grid.size(),
              plant.pollutants.size());
  std::fflush(stdout);
  const QString deck = work.filePath(QStringLiteral("deck"));
  if (!h.exportDeck(deck)) return 1;
  const QString program =
      qEnvironmentVariable("KUVA_KUVAMOD").isEmpty()
          ? QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("kuvamod"))
          : qEnvironmentVariable("KUVA_KUVAMOD");
  double best_page = 1e300, best_mod = 1e300;
  qint64 longest_gap = 0;
  int gap_from = 0, gap_to = 0;  // the bar's values (of 1000) around the longest wait
  for (int r = 0; r < repeats && !failed; ++r) {
    QElapsedTimer t;
    t.start();
    QProcess p;
    p.setWorkingDirectory(deck);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.setStandardOutputFile(QProcess::nullDevice());
    p.start(program, {QStringLiteral("aermod.inp")});
    if (!p.waitForFinished(-1) || p.exitCode() != 0) {
      std::fprintf(stderr, "kuvamod failed on the exported deck\n");
      return 1;
    }
    const double mod = static_cast<double>(t.nsecsElapsed()) / 1e9;
    // The page: 计算 to the tables and maps on screen.
    QElapsedTimer since;
    since.start();
    qint64 gap = 0;
    int last = 0;
    QObject::connect(h.progress(), &QProgressBar::valueChanged, &page, [&](int v) {
      const qint64 g = since.restart();
      if (g > gap) gap = g, gap_from = last, gap_to = v;
      last = v;
    });
    t.restart();
    h.compute();
    waitWhile([&] { return h.running(); });
    const double pg = static_cast<double>(t.nsecsElapsed()) / 1e9;
    QObject::disconnect(h.progress(), nullptr, &page, nullptr);
    if (!h.computed()) return 1;
    longest_gap = std::max(longest_gap, gap);
    std::printf("run %d: kuvamod %.2f s, page %.2f s, ratio %.3f\n", r + 1, mod, pg, pg / mod);
    std::fflush(stdout);
    best_mod = std::min(best_mod, mod);
    best_page = std::min(best_page, pg);
  }
  if (failed) return 1;
  std::printf(
      "best: kuvamod %.2f s, page %.2f s, page / kuvamod %.3f; longest wait between "
      "progress updates %.2f s (bar %d to %d of 1000)\n",
      best_mod, best_page, best_page / best_mod, static_cast<double>(longest_gap) / 1e3, gap_from,
      gap_to);
  return best_page <= 1.1 * best_mod ? 0 : 3;
}
