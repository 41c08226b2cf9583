// Fugitive dust page: a tab host whose tabs keep their inputs; each tab computes its own
// result.
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "app/calculator_page.h"
#include "app/pages/air/fugitive_dust_page.h"
#include "app/tab_sheet.h"
#include "models/air/fugitive_dust.h"

class AirDustTest : public QObject {
  Q_OBJECT
 private:
  static QString text(app::CalculatorPage& page, const char* key) {
    return qobject_cast<QLineEdit*>(page.control(key))->text();
  }
  static void type(app::CalculatorPage& page, const char* key, const QString& t) {
    auto* e = qobject_cast<QLineEdit*>(page.control(key));
    QVERIFY(e);
    e->clear();
    QTest::keyClicks(e, t);
  }

 private slots:
  void tabsComputeAndKeepTheirInputs() {
    app::CalculatorPage page(models::air::fugitiveDustDesc());
    page.show();
    app::CTabSheet* sheet = app::FugitiveDustPageHook::tabSheet(page);
    QVERIFY(sheet);
    QCOMPARE(sheet->GetPageCount(), 2);
    QCOMPARE(sheet->tabText(0), QStringLiteral("交通运输起尘量 "));
    QCOMPARE(sheet->tabText(1), QStringLiteral("煤堆起尘量 "));
    QVERIFY(page.control("V")->isVisible());
    QVERIFY(!page.control("U")->isVisible());

    QTest::mouseClick(page.button("transport"), Qt::LeftButton);
    QCOMPARE(text(page, "Qt"), QStringLiteral("2.59589"));

    sheet->SetCurrentPage(1);
    QVERIFY(page.control("U")->isVisible());
    type(page, "W", QStringLiteral("0"));
    QTest::mouseClick(page.button("coal"), Qt::LeftButton);
    QCOMPARE(text(page, "Qc"),
             QString::number(static_cast<float>(11.7 * std::pow(1.5, 2.45) * std::pow(40, 0.345)),
                             'g', 6));

    sheet->SetCurrentPage(0);
    sheet->SetCurrentPage(1);
    QCOMPARE(text(page, "W"), QStringLiteral("0"));
    QVERIFY(page.button("help")->isVisible());
  }

  void junkInTheOtherTabDoesNotStopATab() {
    app::CalculatorPage page(models::air::fugitiveDustDesc());
    page.show();
    type(page, "U", QStringLiteral("x"));
    type(page, "Q", QStringLiteral("6000"));
    QTest::mouseClick(page.button("transport"), Qt::LeftButton);
    QCOMPARE(text(page, "Qt"), QStringLiteral("5.19178"));
    QCOMPARE(text(page, "U"), QStringLiteral("x"));
  }
};

QTEST_MAIN(AirDustTest)
#include "air_dust_test.moc"
