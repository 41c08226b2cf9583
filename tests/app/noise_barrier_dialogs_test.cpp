// The barrier dialogs: presets, the kind buttons with the finite-only fields, the checks'
// messages, the values handed back when they close, and the drawings rendered to images.
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <QtTest>

#include "app/calculator_page.h"
#include "app/pages/noise/barrier_dialogs.h"
#include "app/pages/noise/barrier_drawings.h"
#include "app/pages/noise/path_difference_dialog.h"
#include "widgets/prompts.h"

namespace {

void type(app::CalculatorPage& page, const char* key, const QString& text) {
  auto* e = qobject_cast<QLineEdit*>(page.control(key));
  QVERIFY(e);
  e->setText(text);
}

// Share of pixels that differ from the top-left one: a blank picture gives 0.
double inkShare(const QImage& img) {
  const QRgb bg = img.pixel(0, 0);
  long ink = 0;
  for (int y = 0; y < img.height(); y += 2)
    for (int x = 0; x < img.width(); x += 2)
      if (img.pixel(x, y) != bg) ++ink;
  return 4.0 * static_cast<double>(ink) / (img.width() * img.height());
}

// Renders a figure; KUVA_FIGURE_DIR keeps a copy to look at.
QImage render(const std::function<void(QPainter&, const QRectF&)>& paint, const QString& name) {
  QImage img(700, 500, QImage::Format_RGB32);
  img.fill(Qt::white);
  QPainter p(&img);
  paint(p, QRectF(0, 0, 700, 500));
  p.end();
  const QByteArray dir = qgetenv("KUVA_FIGURE_DIR");
  if (!dir.isEmpty()) img.save(QDir(QString::fromLocal8Bit(dir)).filePath(name + ".png"));
  return img;
}

}  // namespace

class NoiseBarrierDialogsTest : public QObject {
  Q_OBJECT
 private slots:
  void init() {
    widgets::setMessageSink(
        [this](QWidget*, const QString& text, const QString&) { messages << text; });
  }
  void cleanup() {
    widgets::setMessageSink({});
    messages.clear();
  }

  void pathDifferenceWithoutPresetOffersBothKinds() {
    app::CPathDifferenceDlg dlg(nullptr, 8);
    QCOMPARE(dlg.windowTitle(), QStringLiteral("声程差计算"));
    QVERIFY(dlg.kindButton(0)->isVisibleTo(&dlg));
    QVERIFY(dlg.kindButton(1)->isVisibleTo(&dlg));
    QVERIFY(dlg.kindButton(0)->isChecked());
    QVERIFY(dlg.form().control("L")->isVisibleTo(&dlg));
    // The figure of the selected kind from the start, not a blank one.
    QCOMPARE(dlg.sketch()->kind(), app::BarrierSketch::kFinite);
    QCOMPARE(dlg.delta1(), 0.0);

    QTest::mouseClick(dlg.kindButton(1), Qt::LeftButton);
    QVERIFY(!dlg.form().control("L")->isVisibleTo(&dlg));
    QVERIFY(!dlg.form().control("m1")->isVisibleTo(&dlg));
    QVERIFY(!dlg.form().findChild<QRadioButton*>(QStringLiteral("side:2"))->isVisibleTo(&dlg));
    QCOMPARE(dlg.sketch()->kind(), app::BarrierSketch::kInfinite);
    // r = D: delta1 = sqrt(18) + sqrt(29) - sqrt(65).
    QTest::mouseClick(dlg.form().button("compute"), Qt::LeftButton);
    QVERIFY(messages.isEmpty());
    QVERIFY(std::fabs(dlg.delta1() - 1.56554) < 1e-4);
    QVERIFY(
        dlg.form().resultText()->toPlainText().startsWith(QStringLiteral("点声源屏障无限长\n")));
    dlg.reject();
    QCOMPARE(dlg.kind(), 1);
    QVERIFY(std::fabs(dlg.delta1() - 1.56554) < 1e-4);
  }

  void pathDifferenceFailureKeepsTheDeltas() {
    app::CPathDifferenceDlg dlg(nullptr, 12, app::CPathDifferenceDlg::kPresetFinite);
    QVERIFY(!dlg.kindButton(1)->isVisibleTo(&dlg));
    QCOMPARE(dlg.sketch()->kind(), app::BarrierSketch::kFinite);
    QVERIFY(dlg.compute());
    QVERIFY(std::fabs(dlg.delta2() - 2.92967) < 1e-4);
    // r = 8 on the different-sides case: m2 < 0.
    dlg.form().setValue("r", 8);
    QVERIFY(!dlg.compute());
    QCOMPARE(messages,
             QStringList{QStringLiteral("预测点跟声源位于中垂线同侧且m1>=m2，请重新选择！")});
    QVERIFY(std::fabs(dlg.delta2() - 2.92967) < 1e-4);
    // A receiver above the sight line: every delta 0.
    type(dlg.form(), "h2", QStringLiteral("10"));
    QVERIFY(dlg.compute());
    QCOMPARE(dlg.delta1() + dlg.delta2() + dlg.delta3(), 0.0);
    QCOMPARE(dlg.form().resultText()->toPlainText(), QStringLiteral("声音能直达,声程差为0"));
  }

  void pathDifferenceInfinitePreset() {
    app::CPathDifferenceDlg dlg(nullptr, 20, app::CPathDifferenceDlg::kPresetInfinite);
    QVERIFY(!dlg.kindButton(0)->isVisibleTo(&dlg));
    QVERIFY(dlg.kindButton(1)->isChecked());
    QVERIFY(!dlg.form().control("L")->isVisibleTo(&dlg));
    type(dlg.form(), "d1", QStringLiteral("25"));
    QVERIFY(!dlg.compute());
    QCOMPARE(messages.last(),
             QStringLiteral("声源距屏距离d1太远，大于声源离测点水平距离，请重新输入！"));
  }

  void finiteCorrectionHandsTheEntryBack() {
    app::CFiniteBarrierCorrectionDlg dlg(nullptr, 4.7712);
    QCOMPARE(dlg.windowTitle(), QStringLiteral("无限长屏障修正"));
    QCOMPARE(dlg.form().label("Afin")->text(),
             QStringLiteral("无限长屏障衰减量为4.77dB，根据上图，请输入有限长屏障衰减量[dB]"));
    type(dlg.form(), "Afin", QStringLiteral("abc"));
    QVERIFY(!dlg.confirm());
    QCOMPARE(messages.size(), 1);
    type(dlg.form(), "Afin", QStringLiteral(" 3.5 "));
    QTest::mouseClick(dlg.form().button("ok"), Qt::LeftButton);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(dlg.value(), 3.5);

    app::CFiniteBarrierCorrectionDlg other(nullptr, 10);
    QTest::mouseClick(other.findChild<QPushButton*>(QStringLiteral("cancel")), Qt::LeftButton);
    QCOMPARE(other.result(), int(QDialog::Rejected));
    QCOMPARE(other.value(), 0.0);
  }

  void embankmentComputesAndHandsBack() {
    app::CEmbankmentAttenuationDlg dlg(nullptr, 20);
    QCOMPARE(dlg.windowTitle(), QStringLiteral("高路堤或低路堑衰减量计算"));
    // The illuminated zone is a result: Abar = 0, and the form says why.
    dlg.form().setValue("Abar", 7);
    QVERIFY(dlg.computeDelta());
    QCOMPARE(messages, QStringList{QStringLiteral("预测点处于声照区，Abar=0！")});
    QCOMPARE(dlg.form().values().num("Abar"), 0.0);
    dlg.form().setValue("r", 6);
    QVERIFY(!dlg.computeDelta());
    QCOMPARE(messages.last(), QStringLiteral("预测点离声源水平距离不符合逻辑，请重输！"));
    dlg.form().setValue("r", 8);
    QVERIFY(dlg.computeDelta());
    QVERIFY(std::fabs(dlg.form().values().num("delta") - 0.00385) < 2e-5);
    QVERIFY(dlg.figure()->delta().has_value());
    type(dlg.form(), "Abar", QStringLiteral("6"));
    QVERIFY(dlg.confirm());
    QCOMPARE(dlg.value(), 6.0);
  }

  void drawingsAreRealPictures() {
    for (int kind : {app::BarrierSketch::kFinite, app::BarrierSketch::kInfinite}) {
      const QImage img = render(
          [kind](QPainter& p, const QRectF& r) { app::BarrierSketch::paintSketch(p, r, kind); },
          QStringLiteral("sketch%1").arg(kind));
      QVERIFY(inkShare(img) > 0.02);
    }
    const QImage none = render(
        [](QPainter& p, const QRectF& r) {
          app::BarrierSketch::paintSketch(p, r, app::BarrierSketch::kNone);
        },
        QStringLiteral("sketchNone"));
    QCOMPARE(inkShare(none), 0.0);
    const QByteArray dir = qgetenv("KUVA_FIGURE_DIR");
    if (!dir.isEmpty()) {
      const QDir out(QString::fromLocal8Bit(dir));
      app::CPathDifferenceDlg path(nullptr, 12, app::CPathDifferenceDlg::kPresetFinite);
      path.compute();
      path.grab().save(out.filePath(QStringLiteral("pathDialog.png")));
      app::CFiniteBarrierCorrectionDlg finite(nullptr, 10);
      finite.grab().save(out.filePath(QStringLiteral("finiteDialog.png")));
      app::CEmbankmentAttenuationDlg emb(nullptr, 8);
      emb.computeDelta();
      emb.grab().save(out.filePath(QStringLiteral("embankmentDialog.png")));
    }
    QVERIFY(inkShare(render(
                [](QPainter& p, const QRectF& r) { app::FiniteBarrierChart::paintChart(p, r, 10); },
                QStringLiteral("chart"))) > 0.02);
    QVERIFY(inkShare(render(
                [](QPainter& p, const QRectF& r) { app::EmbankmentFigure::paintFigure(p, r, 0.5); },
                QStringLiteral("embankment"))) > 0.02);
  }

 private:
  QStringList messages;
};

QTEST_MAIN(NoiseBarrierDialogsTest)
#include "noise_barrier_dialogs_test.moc"
