// Fire, explosion and oil-film pages: the opening texts, results, the method radios of the
// explosion page, and the overpressure chart handing its value back (and drawn readably).
#include <QDir>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "app/calculator_page.h"
#include "app/pages/risk/overpressure_chart_dialog.h"
#include "models/risk/bleve.h"
#include "models/risk/jet_fire.h"
#include "models/risk/oil_film.h"
#include "models/risk/pool_fire.h"
#include "models/risk/risk_common.h"
#include "models/risk/vce.h"
#include "widgets/prompts.h"

namespace {
const QString kFootnote = QStringLiteral("—————模式参考重大危险源分级标准征求意见稿");
QString lf(const char* s) { return QString::fromUtf8(s).replace("\r\n", "\n"); }
}  // namespace

class RiskFireExplosionTest : public QObject {
  Q_OBJECT
 private:
  QStringList messages;

  static void type(app::CalculatorPage& page, const char* key, const QString& text) {
    auto* e = qobject_cast<QLineEdit*>(page.control(key));
    QVERIFY(e);
    e->clear();
    QTest::keyClicks(e, text);
  }
  static QStringList notes(app::CalculatorPage& page) {
    QStringList n;
    for (auto* l : page.findChildren<QLabel*>(QStringLiteral("note"))) n << l->text();
    return n;
  }
  // Press the chart button and work in the chart dialog while it runs.
  static void withChart(app::CalculatorPage& page,
                        const std::function<void(app::COverpressureChartDlg*)>& work) {
    bool ran = false;
    QTimer::singleShot(0, [&] {
      auto* d = qobject_cast<app::COverpressureChartDlg*>(QApplication::activeModalWidget());
      if (!d) return;
      ran = true;
      work(d);
    });
    QTest::mouseClick(page.button("lookup"), Qt::LeftButton);
    QVERIFY(ran);
  }

 private slots:
  void init() {
    widgets::setMessageSink(
        [this](QWidget*, const QString& text, const QString&) { messages << text; });
  }
  void cleanup() {
    widgets::setMessageSink({});
    messages.clear();
  }

  void blevePageOpensWithItsExplanationAndComputes() {
    app::CalculatorPage page(models::risk::bleveDesc());
    QCOMPARE(page.resultText()->toPlainText(), lf(models::risk::kBleveIntro));
    QCOMPARE(notes(page), QStringList{kFootnote});
    // The button sits in the prediction group with x.
    QCOMPARE(page.button("compute")->parentWidget(),
             static_cast<QWidget*>(page.group(models::risk::kGroupPrediction)));
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    const QString t = page.resultText()->toPlainText();
    QVERIFY2(t.startsWith(QStringLiteral("火球直径为 9.57768[m];火球持续时间为 3.91373[s]\n")),
             qPrintable(t));
    QVERIFY2(t.contains(QStringLiteral("\n一度烧伤概率为 0.464")), qPrintable(t));
    type(page, "x", QStringLiteral("4"));
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    QVERIFY(page.resultText()->toPlainText().endsWith(
        QStringLiteral("热辐射强度不能计算\n死亡概率为 1\n二度烧伤概率为 1\n一度烧伤概率为 1")));
  }

  void jetFireAndPoolFirePages() {
    app::CalculatorPage jet(models::risk::jetFireDesc());
    QCOMPARE(jet.resultText()->toPlainText(), lf(models::risk::kJetFireIntro));
    QTest::mouseClick(jet.button("compute"), Qt::LeftButton);
    QVERIFY(jet.resultText()->toPlainText().startsWith(
        QStringLiteral("喷射火的火焰长度为 1.93784[m]")));

    app::CalculatorPage pool(models::risk::poolFireDesc());
    QVERIFY(pool.resultText()->toPlainText().isEmpty());
    QCOMPARE(notes(pool), QStringList{kFootnote});
    type(pool, "Ta", QStringLiteral("90"));  // boiling point below ambient
    QTest::mouseClick(pool.button("compute"), Qt::LeftButton);
    QVERIFY2(pool.resultText()->toPlainText().contains(QStringLiteral("燃烧速率为0.096316[")),
             qPrintable(pool.resultText()->toPlainText()));
  }

  void vceRadiosEnableTheirFields() {
    app::CalculatorPage page(models::risk::vceDesc());
    QCOMPARE(page.resultText()->toPlainText(), lf(models::risk::kVceIntro));
    QVERIFY(!page.control("dP")->isVisible() && page.control("dP")->isHidden());
    QVERIFY(page.control("HTNT")->isEnabled() && page.control("ae")->isEnabled());
    QVERIFY(!page.control("eta")->isEnabled() && !page.control("Pa")->isEnabled());
    QVERIFY(page.button("lookup")->isEnabled());
    auto* direct = page.findChild<QRadioButton*>(QStringLiteral("method:1"));
    QVERIFY(direct);
    direct->click();
    QVERIFY(!page.control("HTNT")->isEnabled() && !page.button("lookup")->isEnabled());
    QVERIFY(page.control("eta")->isEnabled() && page.control("a")->isEnabled());
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    QCOMPARE(page.resultText()->toPlainText(),
             QStringLiteral("爆炸冲击波超压为 11793.1[Pa]\n死亡概率为 0.829243"));
  }

  void chartLookupTakesTheOverpressureBack() {
    app::CalculatorPage page(models::risk::vceDesc());
    // Before any TNT computation the chart opens at R' = 0.
    withChart(page, [](app::COverpressureChartDlg* d) {
      QCOMPARE(d->windowTitle(), QStringLiteral("无因次距离查超压表"));
      QCOMPARE(d->distanceEdit()->text(), QStringLiteral("0"));
      d->close();
    });
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    const QString tnt = QStringLiteral("TNT当量为 21.1532[kg],无因次距离为 3.61583\n");
    QCOMPARE(page.resultText()->toPlainText(), tnt);

    // An overpressure of 0 leaves the text as it is; so does the close box.
    withChart(page, [](app::COverpressureChartDlg* d) {
      QCOMPARE(d->distanceEdit()->text(), QStringLiteral("3.61583"));
      QCOMPARE(d->overpressureEdit()->text(), QStringLiteral("0"));
      QTest::mouseClick(d->findChild<QPushButton*>(QStringLiteral("confirm")), Qt::LeftButton);
    });
    QCOMPARE(page.resultText()->toPlainText(), tnt);
    withChart(page, [](app::COverpressureChartDlg* d) {
      d->overpressureEdit()->setText(QStringLiteral("50000"));
      d->close();
    });
    QCOMPARE(page.resultText()->toPlainText(), tnt);

    // An unreadable overpressure gets the prompt and keeps the dialog open.
    withChart(page, [this](app::COverpressureChartDlg* d) {
      d->overpressureEdit()->setText(QStringLiteral("abc"));
      d->confirm();
      QVERIFY(d->isVisible());
      QCOMPARE(messages, QStringList{QStringLiteral("请输入一个数字。")});
      d->overpressureEdit()->setText(QStringLiteral("100000"));
      d->confirm();
    });
    QCOMPARE(page.resultText()->toPlainText(),
             tnt + QStringLiteral("查图知：爆炸冲击波超压为 100000[Pa]\n则死亡概率为 0.962"));
  }

  // The chart must be a picture a user can read: a frame, a falling curve, and the marker.
  void chartIsDrawnOnLogLogAxes() {
    app::COverpressureChartDlg dialog(3.61583);
    dialog.resize(640, 520);
    dialog.show();
    const QImage img = dialog.chart()->grab().toImage();
    const QString out =
        QDir(QStringLiteral(KUVA_BIN_DIR)).filePath(QStringLiteral("overpressure_chart.png"));
    QVERIFY(img.save(out));
    int blue = 0, red = 0;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) {
        const QColor c = img.pixelColor(x, y);
        if (c.blue() > 150 && c.red() < 80 && c.green() < 80) ++blue;
        if (c.red() > 180 && c.green() < 80 && c.blue() < 80) ++red;
      }
    QVERIFY2(blue > 300, qPrintable(QString::number(blue)));  // the curve
    QVERIFY2(red > 100, qPrintable(QString::number(red)));    // the marker line
    // Typing another distance moves the marker; a distance off the chart draws none.
    dialog.distanceEdit()->setText(QStringLiteral("500"));
    QCOMPARE(dialog.chart()->marker(), 500.0);
  }

  void oilFilmPage() {
    app::CalculatorPage page(models::risk::oilFilmDesc());
    QCOMPARE(
        notes(page),
        QStringList{QStringLiteral("—————采用P.C.Blokker公式\n假设油膜在无风条件下呈圆形扩展")});
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    QVERIFY2(
        page.resultText()->toPlainText().startsWith(QStringLiteral("10分钟后油膜直径为418.03")),
        qPrintable(page.resultText()->toPlainText()));
  }
};

QTEST_MAIN(RiskFireExplosionTest)
#include "risk_fire_explosion_test.moc"
