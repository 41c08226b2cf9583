#include "widgets/curve_plot.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QLineSeries>
#include <QPushButton>
#include <QTest>
#include <QValueAxis>

#include <cmath>
#include <limits>

using widgets::CurvePlot;

namespace {
QValueAxis* axis(QChart* chart, Qt::Orientation o) {
  const auto axes = chart->axes(o);
  return axes.isEmpty() ? nullptr : qobject_cast<QValueAxis*>(axes.first());
}
}  // namespace

class CurvePlotTest : public QObject {
  Q_OBJECT

 private slots:
  void yMaxAddsFourUnitsOfTheLastPlaceCountedByZeros() {
    QCOMPARE(widgets::curveYMax(0.5f), 0.500004);   // "0.500000": six zeros
    QCOMPARE(widgets::curveYMax(1.5f), 1.50004);    // "1.500000": five zeros
    QCOMPARE(widgets::curveYMax(0.0123f), 0.0126);  // 0.0123f lies just below 0.0123
    QCOMPARE(widgets::curveYMax(0.0f), 4e-7);
    QCOMPARE(widgets::curveYMax(123.0f), 123.000004);    // "123.000000": six zeros
    QCOMPARE(widgets::curveYMax(100.0f), 100.00000004);  // the zeros of the whole part count too
  }

  // A concentration that gives no positive finite bound would leave the axis undrawable.
  void yMaxFallsBackToOneForUnusableMaxima() {
    QCOMPARE(widgets::curveYMax(std::numeric_limits<float>::quiet_NaN()), 1.0);
    QCOMPARE(widgets::curveYMax(std::numeric_limits<float>::infinity()), 1.0);
    QCOMPARE(widgets::curveYMax(-5.0f), 1.0);
  }

  void stepPositionsRunToTheWholeNumberOfSteps() {
    const auto xs = widgets::curveStepPositions(1000.0f, 100);
    QCOMPARE(xs.size(), size_t(11));
    QCOMPARE(xs.back(), 1000.0);
    QCOMPARE(widgets::curveStepPositions(50.0f, 100), std::vector<double>{0.0});
    QVERIFY(widgets::curveStepPositions(1000.0f, 0).empty());
  }

  void modeOneDrawsThePointsInOrderWithTitlesAndRanges() {
    CurvePlot plot;
    QCOMPARE(plot.windowTitle(), QStringLiteral("绘图工具"));
    const std::vector<double> x = {12.5, 37.5, 62.5, 87.5};
    const std::vector<double> c = {0.1, 0.5, 0.3, 0.2};
    plot.setCurve(1, x, c, 0.5f);
    QChart* chart = plot.chart();
    QCOMPARE(chart->title(), QStringLiteral("下风向浓度曲线图"));
    QCOMPARE(chart->series().size(), 1);
    const auto* series = qobject_cast<QLineSeries*>(chart->series().first());
    QVERIFY(series);
    QCOMPARE(series->count(), 4);
    for (int i = 0; i < 4; ++i) QCOMPARE(series->at(i), QPointF(x[size_t(i)], c[size_t(i)]));
    QValueAxis* ax = axis(chart, Qt::Horizontal);
    QValueAxis* ay = axis(chart, Qt::Vertical);
    QVERIFY(ax && ay);
    QCOMPARE(ax->titleText(), QStringLiteral("X —— 污染源下风向（m）"));
    QCOMPARE(ay->titleText(), QStringLiteral("c —— 地面浓度（mg/m^3）"));
    QCOMPARE(ax->min(), 12.5);
    QCOMPARE(ax->max(), 87.5);
    QCOMPARE(ay->min(), 0.0);
    QCOMPARE(ay->max(), 0.500004);

    // Filling again replaces the curve; another mode leaves the plot empty.
    plot.setCurve(1, {0, 100}, {1.5, 1.0});
    QCOMPARE(chart->series().size(), 1);
    QCOMPARE(axis(chart, Qt::Vertical)->max(), 1.50004);
    plot.setCurve(2, x, c, 0.5f);
    QVERIFY(chart->series().isEmpty());
    QVERIFY(chart->axes().isEmpty());
    QVERIFY(chart->title().isEmpty());
  }

  void singlePointStillGetsADrawableAxis() {
    CurvePlot plot;
    plot.setCurve(1, {0}, {0.25});
    QValueAxis* ax = axis(plot.chart(), Qt::Horizontal);
    QVERIFY(ax);
    QVERIFY(ax->max() > ax->min());
  }

  void copyPutsThePictureOnTheClipboardAndCloseAccepts() {
    CurvePlot plot;
    plot.setCurve(1, {0, 100, 200}, {0.0, 0.2, 0.1});
    plot.show();
    QVERIFY(QTest::qWaitForWindowExposed(&plot));
    QApplication::clipboard()->clear();
    QPushButton* copy = nullptr;
    QPushButton* close = nullptr;
    for (QPushButton* b : plot.findChildren<QPushButton*>()) {
      if (b->text() == QStringLiteral("复制到剪贴板")) copy = b;
      if (b->text() == QStringLiteral("关闭")) close = b;
    }
    QVERIFY(copy && close);
    copy->click();
    const QImage image = QApplication::clipboard()->image();
    QVERIFY(!image.isNull());
    QCOMPARE(image.size(), plot.plotImage().size());
    close->click();
    QCOMPARE(plot.result(), int(QDialog::Accepted));
  }
};

QTEST_MAIN(CurvePlotTest)
#include "curve_plot_test.moc"
