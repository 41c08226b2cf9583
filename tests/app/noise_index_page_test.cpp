// Evaluation-quantity page: the result line of each mode, the rows each mode shows, the lists
// rewritten as read, and the limit of a thousand numbers.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "app/calculator_page.h"
#include "models/noise/noise_index.h"
#include "widgets/prompts.h"

class NoiseIndexPageTest : public QObject {
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
  static QString line(app::CalculatorPage& page) {
    return page.findChild<QLabel*>(QStringLiteral("resultLine"))->text();
  }
  static QString explanation(app::CalculatorPage& page) {
    return page.findChild<QLabel*>(QStringLiteral("explanation"))->text();
  }

 private slots:
  void init() {
    widgets::setMessageSink([this](QWidget*, const QString& t, const QString&) { messages << t; });
  }
  void cleanup() {
    widgets::setMessageSink({});
    messages.clear();
  }

  void leqWithAndWithoutEqualIntervals() {
    app::CalculatorPage page(models::noise::noiseIndexDesc());
    page.show();
    QVERIFY(explanation(page).startsWith(QStringLiteral("等效连续A声级Leq：\n")));
    QVERIFY(page.control("T")->isVisible());
    QVERIFY(!page.control("Ld")->isVisible());
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    QCOMPARE(line(page), QStringLiteral("总共有3个数据;    等效连续A声级Leq:65.71dBA"));
    QWidget* box = page.control("equal");
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
    QVERIFY(!page.control("T")->isVisible());
    QVERIFY(!page.label("T")->isVisible());
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    QCOMPARE(line(page), QStringLiteral("总共有3个数据;    等效连续A声级Leq:66.74dBA"));
    QVERIFY(messages.isEmpty());
  }

  void ldnModeShowsItsFieldsAndExplanation() {
    app::CalculatorPage page(models::noise::noiseIndexDesc());
    page.show();
    QTest::mouseClick(page.findChild<QRadioButton*>(QStringLiteral("mode:1")), Qt::LeftButton);
    QVERIFY(!page.control("L")->isVisible());
    QVERIFY(!page.control("equal")->isVisible());
    QVERIFY(!page.control("T")->isVisible());
    for (const char* key : {"Ld", "Ln", "Td", "Tn"}) QVERIFY(page.control(key)->isVisible());
    QVERIFY(explanation(page).startsWith(QStringLiteral("昼夜等效声级Ldn：")));
    QVERIFY(explanation(page).contains(
        QStringLiteral("Ldn=10*lg((Td*10^(0.1*Ld)+Tn*10^(0.1*(Ln+10)))/24)")));
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    QCOMPARE(line(page), QStringLiteral("昼夜等效声级Ldn:72.58dBA"));
    // Back to Leq: the interval row follows the check box again.
    QTest::mouseClick(page.findChild<QRadioButton*>(QStringLiteral("mode:0")), Qt::LeftButton);
    QVERIFY(page.control("T")->isVisible());
    QVERIFY(!page.control("Tn")->isVisible());
  }

  void listsAreRewrittenAsRead() {
    app::CalculatorPage page(models::noise::noiseIndexDesc());
    qobject_cast<QLineEdit*>(page.control("L"))->setText(QStringLiteral(",70,,65.5；60"));
    type(page, "T", QStringLiteral("10 20;30"));
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    QCOMPARE(shown(page, "L"), QStringLiteral("70,65.5,60"));
    QCOMPARE(shown(page, "T"), QStringLiteral("10,20,30"));
    QVERIFY(line(page).startsWith(QStringLiteral("总共有3个数据;")));
  }

  void aThousandAndOneReadingsAreRefused() {
    app::CalculatorPage page(models::noise::noiseIndexDesc());
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    const QString before = line(page);
    QStringList many;
    for (int i = 0; i < 1001; ++i) many << QStringLiteral("60");
    qobject_cast<QLineEdit*>(page.control("L"))->setText(many.join(QLatin1Char(',')));
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    QCOMPARE(messages, QStringList{QStringLiteral(
                           "共找到1001个数据，超过了每组最多1000个数据的限制，请重新输入！")});
    QCOMPARE(line(page), before);
  }

 private:
  QStringList messages;
};

QTEST_MAIN(NoiseIndexPageTest)
#include "noise_index_page_test.moc"
