// Green and Stueber pages: the list by distance, the distance to the limit and its message,
// the Lp1 dialog handing its level back, the decibel calculator button, the help button.
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBrowser>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "app/calculator_page.h"
#include "app/pages/noise/decibel_calc_dialog.h"
#include "app/pages/noise/green_noise_page.h"
#include "app/pages/noise/path_difference_dialog.h"
#include "app/pages/noise/sub_calculator_dialog.h"
#include "models/noise/workshop_noise.h"
#include "widgets/list_table.h"
#include "widgets/prompts.h"

static void initResources() { Q_INIT_RESOURCE(kuvacalc); }

class NoiseWorkshopTest : public QObject {
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
  // Presses a button that opens a modal dialog and runs `inside` on the dialog.
  static bool withDialog(QPushButton* button, const std::function<void(app::CLp1Dlg&)>& inside) {
    bool opened = false;
    QObject guard;
    QTimer::singleShot(0, &guard, [&] {
      auto* d = qobject_cast<app::CLp1Dlg*>(QApplication::activeModalWidget());
      if (!d) return;
      opened = true;
      inside(*d);
      d->reject();  // the close box
    });
    QTest::mouseClick(button, Qt::LeftButton);
    return opened;
  }

 private slots:
  void initTestCase() { initResources(); }
  void init() {
    widgets::setMessageSink([this](QWidget*, const QString& t, const QString&) { messages << t; });
  }
  void cleanup() {
    widgets::setMessageSink({});
    messages.clear();
  }

  void greenListAndDistance() {
    app::CalculatorPage page(models::noise::greenDesc());
    auto* hook = static_cast<app::GreenNoisePageHook*>(page.hook());
    widgets::ListTable* list = hook->list();
    QCOMPARE(list->captions(), (QStringList{QStringLiteral("距离m"), QStringLiteral("预测值dB"),
                                            QStringLiteral("叠加后预测值dB")}));
    QCOMPARE(list->rowCount(), 0);
    QTest::mouseClick(page.button("list"), Qt::LeftButton);
    QCOMPARE(list->rowCount(), 20);
    QCOMPARE(list->text(0, 0), QStringLiteral("10"));
    QCOMPARE(list->text(0, 1), QStringLiteral("54.0"));
    QCOMPARE(list->text(0, 2), QStringLiteral("59.7"));
    QCOMPARE(list->text(19, 0), QStringLiteral("200"));
    QCOMPARE(list->columnWidth(2), 100);
    QTest::mouseClick(page.button("distance"), Qt::LeftButton);
    QCOMPARE(shown(page, "L"), QStringLiteral("9.02829"));
    type(page, "Lreq", QStringLiteral("58.4"));
    QTest::mouseClick(page.button("distance"), Qt::LeftButton);
    QCOMPARE(messages, QStringList{QStringLiteral("达标值必须大于背景值，请重新输入！")});
    QCOMPARE(shown(page, "L"), QStringLiteral("9.02829"));
  }

  void lp1DialogHandsItsLevelBack() {
    app::CalculatorPage page(models::noise::greenDesc());
    type(page, "TL", QStringLiteral("20"));  // typed, not yet computed: must survive
    QVERIFY(withDialog(page.button("lp1"), [&](app::CLp1Dlg& d) {
      QCOMPARE(d.windowTitle(), QStringLiteral("LP1计算"));
      QTest::mouseClick(d.form()->button("compute"), Qt::LeftButton);
      QCOMPARE(qobject_cast<QLineEdit*>(d.form()->control("Lp1"))->text(),
               QStringLiteral("91.2707"));
    }));
    QCOMPARE(shown(page, "Lp1"), QStringLiteral("91.2707"));
    QCOMPARE(shown(page, "TL"), QStringLiteral("20"));
    // Closed without a compute: Lp1 stays.
    type(page, "Lp1", QStringLiteral("85"));
    QVERIFY(withDialog(page.button("lp1"), [](app::CLp1Dlg&) {}));
    QCOMPARE(shown(page, "Lp1"), QStringLiteral("85"));
    // An absorption coefficient of 1 is refused and hands nothing back.
    QVERIFY(withDialog(page.button("lp1"), [&](app::CLp1Dlg& d) {
      auto* a = qobject_cast<QLineEdit*>(d.form()->control("a"));
      a->setText(QStringLiteral("1"));
      QTest::mouseClick(d.form()->button("compute"), Qt::LeftButton);
    }));
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages[0].startsWith(QStringLiteral("壁面吸声系数ａ必须大于0且小于1")));
    QCOMPARE(shown(page, "Lp1"), QStringLiteral("85"));
  }

  void decibelButtonsOpenOneCalculator() {
    app::CalculatorPage green(models::noise::greenDesc());
    app::CalculatorPage stueber(models::noise::stueberDesc());
    QTest::mouseClick(green.button("decibel"), Qt::LeftButton);
    QPointer<app::CDecibelCalcDlg> first = app::CDecibelCalcDlg::current();
    QVERIFY(first && first->isVisible());
    QTest::mouseClick(first->keyButton(models::noise::DecibelKey::D7), Qt::LeftButton);
    QTest::mouseClick(stueber.button("decibel"), Qt::LeftButton);
    QCOMPARE(app::CDecibelCalcDlg::current(), first.data());
    QCOMPARE(first->display()->text(), QStringLiteral("7"));
    delete app::CDecibelCalcDlg::current();
  }

  void stueberResultAndDistance() {
    app::CalculatorPage page(models::noise::stueberDesc());
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    QCOMPARE(shown(page, "LT"), QStringLiteral("67.4596"));
    QTest::mouseClick(page.button("distance"), Qt::LeftButton);
    QCOMPARE(shown(page, "L"), QStringLiteral("79.5836"));
    type(page, "Lbg", QStringLiteral("61"));
    QTest::mouseClick(page.button("distance"), Qt::LeftButton);
    QCOMPARE(messages, QStringList{QStringLiteral("达标值必须大于背景值，请重新输入！")});
    QVERIFY(page.button("help"));
    QCOMPARE(page.desc().help_topic, std::string("噪声预测模式\\stueber.htm"));
    QTest::mouseClick(page.button("help"), Qt::LeftButton);
    QTextBrowser* help = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->objectName() == QStringLiteral("helpBrowser")) help = qobject_cast<QTextBrowser*>(w);
    QVERIFY(help && help->isVisible());
    QVERIFY2(help->toPlainText().contains(QStringLiteral("Stueber公式")),
             qPrintable(help->toPlainText()));
    help->close();
  }

  void stueberTakesPathDifferencesBack() {
    app::CalculatorPage page(models::noise::stueberDesc());
    type(page, "r", QStringLiteral("12"));
    auto open = [&](const std::function<void(app::CPathDifferenceDlg&)>& inside) {
      bool opened = false;
      QObject guard;
      QTimer::singleShot(0, &guard, [&] {
        auto* d = qobject_cast<app::CPathDifferenceDlg*>(QApplication::activeModalWidget());
        if (!d) return;
        opened = true;
        inside(*d);
        d->reject();  // closing takes the values over
      });
      QTest::mouseClick(page.button("pathdiff"), Qt::LeftButton);
      return opened;
    };
    double d2 = 0;
    QVERIFY(open([&](app::CPathDifferenceDlg& d) {
      QCOMPARE(d.kind(), 0);  // preset to the finite barrier
      QVERIFY(!d.kindButton(1)->isVisible());
      QCOMPARE(d.form().values().num("r"), 12.0);
      QVERIFY(d.compute());
      d2 = d.delta2();
    }));
    QVERIFY(d2 > 0);
    QCOMPARE(shown(page, "delta2"),
             QString::number(static_cast<double>(static_cast<float>(d2)), 'g', 6));
    // Closed without a computation: the path differences stay.
    type(page, "delta1", QStringLiteral("0.5"));
    QVERIFY(open([](app::CPathDifferenceDlg&) {}));
    QCOMPARE(shown(page, "delta1"), QStringLiteral("0.5"));
  }

 private:
  QStringList messages;
};

QTEST_MAIN(NoiseWorkshopTest)
#include "noise_workshop_test.moc"
