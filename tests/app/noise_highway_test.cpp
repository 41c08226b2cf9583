// Highway traffic noise page: the prediction, the first failed check, the speed dialog handing
// its speeds back (or not), the detail dialog before and after a computation.
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "app/calculator_page.h"
#include "app/pages/noise/highway_noise_page.h"
#include "app/pages/noise/sub_calculator_dialog.h"
#include "models/noise/highway_noise.h"
#include "widgets/prompts.h"

class NoiseHighwayTest : public QObject {
  Q_OBJECT
 private:
  static void type(app::CalculatorPage& page, const char* key, const QString& t) {
    auto* e = qobject_cast<QLineEdit*>(page.control(key));
    QVERIFY(e);
    e->clear();
    QTest::keyClicks(e, t);
  }
  static QString shown(app::CalculatorPage& page, const char* key) {
    return qobject_cast<QLineEdit*>(page.control(key))->text();
  }
  template <class Dlg>
  static bool withDialog(QPushButton* button, const std::function<void(Dlg&)>& inside) {
    bool opened = false;
    QObject guard;
    QTimer::singleShot(0, &guard, [&] {
      auto* d = qobject_cast<Dlg*>(QApplication::activeModalWidget());
      if (!d) return;
      opened = true;
      inside(*d);
      if (d->isVisible()) d->reject();
    });
    QTest::mouseClick(button, Qt::LeftButton);
    return opened;
  }

 private slots:
  void init() {
    widgets::setMessageSink([this](QWidget*, const QString& t, const QString&) { messages << t; });
  }
  void cleanup() {
    widgets::setMessageSink({});
    messages.clear();
  }

  void predictionAndDetail() {
    app::CalculatorPage page(models::noise::highwayDesc());
    QString before;
    QVERIFY(withDialog<app::CHighwayNoiseDetailDlg>(
        page.button("detail"), [&](auto& d) { before = d.textBox()->toPlainText(); }));
    QVERIFY(before.contains(QStringLiteral("L交=0.00 [dB]")));
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    QVERIFY(messages.isEmpty());
    QCOMPARE(shown(page, "Lenv"), QStringLiteral("60.4705"));
    QVERIFY(withDialog<app::CHighwayNoiseDetailDlg>(page.button("detail"), [&](auto& d) {
      QCOMPARE(d.windowTitle(), QStringLiteral("详细结果"));
      const QString t = d.textBox()->toPlainText();
      QVERIFY(t.startsWith(QStringLiteral(
          "计算结果如下：\n交通噪声对环境的噪声小时等效声级贡献值L交=59.02 [dB]\n")));
      QVERIFY(t.contains(QStringLiteral("预测点至远车道行驶中线距离r2=74.41[m]")));
    }));
  }

  void failedCheckKeepsTheResult() {
    app::CalculatorPage page(models::noise::highwayDesc());
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    type(page, "n", QStringLiteral("6.5"));
    type(page, "vL", QStringLiteral("47.9"));
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    QCOMPARE(messages,
             QStringList{QStringLiteral("该模式只适用于双向六车道及以下的公路，请重新输入！")});
    QCOMPARE(shown(page, "Lenv"), QStringLiteral("60.4705"));
  }

  void speedDialogHandsSpeedsBack() {
    app::CalculatorPage page(models::noise::highwayDesc());
    type(page, "NL", QStringLiteral("301"));  // typed before the dialog: must survive
    QVERIFY(withDialog<app::CVehicleSpeedDlg>(page.button("speed"), [&](auto& d) {
      QCOMPARE(d.windowTitle(), QStringLiteral("车速计算"));
      QTest::mouseClick(d.form()->button("compute"), Qt::LeftButton);
      QVERIFY(!d.isVisible());  // "计算" closes the dialog
    }));
    QCOMPARE(shown(page, "vL"), QStringLiteral("68.4843"));
    QCOMPARE(shown(page, "vM"), QStringLiteral("65.2525"));
    QCOMPARE(shown(page, "vS"), QStringLiteral("65.7933"));
    QCOMPARE(shown(page, "NL"), QStringLiteral("301"));

    // A mix summing to 1 in single precision is accepted; one that does not stays open.
    QVERIFY(withDialog<app::CVehicleSpeedDlg>(page.button("speed"), [&](auto& d) {
      auto set = [&](const char* key, const char* v) {
        qobject_cast<QLineEdit*>(d.form()->control(key))->setText(QString::fromLatin1(v));
      };
      set("eta1", "0.3");
      set("eta2", "0.3");
      set("eta3", "0.5");
      QTest::mouseClick(d.form()->button("compute"), Qt::LeftButton);
      QVERIFY(d.isVisible());
      QCOMPARE(messages, QStringList{QStringLiteral("各车车型比总数不是1,请重新输入！")});
      set("eta3", "0.4");
      set("design", "60");
      QTest::mouseClick(d.form()->button("compute"), Qt::LeftButton);
      QVERIFY(!d.isVisible());
    }));
    QCOMPARE(messages.size(), 1);
    QVERIFY(shown(page, "vL").toDouble() < 48);  // halved by the design speed

    // Closed without a compute: the speeds stay.
    type(page, "vL", QStringLiteral("80"));
    QVERIFY(withDialog<app::CVehicleSpeedDlg>(page.button("speed"), [](auto&) {}));
    QCOMPARE(shown(page, "vL"), QStringLiteral("80"));
  }

 private:
  QStringList messages;
};

QTEST_MAIN(NoiseHighwayTest)
#include "noise_highway_test.moc"
