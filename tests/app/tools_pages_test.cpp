// Sludge, latitude/longitude distance and subsidence pages as a user works them, and the
// subsidence button of the main window.
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>

#include "app/calculator_page.h"
#include "app/help.h"
#include "app/main_window.h"
#include "app/pages/tools/unit_converter_page.h"
#include "tools/latlon_distance.h"
#include "tools/sludge.h"
#include "tools/subsidence.h"
#include "widgets/category_button.h"
#include "widgets/prompts.h"

class ToolsPagesTest : public QObject {
  Q_OBJECT
 private:
  QStringList messages_;

  static QLineEdit* edit(app::CalculatorPage& page, const char* key) {
    return qobject_cast<QLineEdit*>(page.control(key));
  }
  static void type(app::CalculatorPage& page, const char* key, const QString& text) {
    QLineEdit* e = edit(page, key);
    QVERIFY(e);
    e->clear();
    QTest::keyClicks(e, text);
  }

 private slots:
  void init() {
    widgets::setMessageSink([this](QWidget*, const QString& t, const QString&) { messages_ << t; });
  }
  void cleanup() {
    widgets::setMessageSink({});
    messages_.clear();
  }

  void sludgeComputesAndRefusesFullWaterContent() {
    app::CalculatorPage page(models::tools::sludgeDesc());
    QVERIFY(page.button("help"));
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    QCOMPARE(edit(page, "V")->text(), QStringLiteral("0.0375"));
    type(page, "Q", QStringLiteral("1000"));
    type(page, "C", QStringLiteral("200"));
    type(page, "P", QStringLiteral("97"));
    type(page, "rho", QStringLiteral("1"));
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    QCOMPARE(edit(page, "V")->text(), QStringLiteral("4000"));
    type(page, "P", QStringLiteral("100"));
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    QCOMPARE(messages_, QStringList{QString::fromUtf8(models::tools::kMsgSludgeWater)});
    QCOMPARE(edit(page, "V")->text(), QStringLiteral("4000"));  // earlier result stays
  }

  void latLonGivesTheDistanceAndZeroForOnePoint() {
    app::CalculatorPage page(models::tools::latLonDistanceDesc());
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    QVERIFY2(edit(page, "d")->text().startsWith(QStringLiteral("176.808")),
             qPrintable(edit(page, "d")->text()));
    type(page, "lon2", QStringLiteral("120.9532"));
    type(page, "lat2", QStringLiteral("27.201"));
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    QCOMPARE(edit(page, "d")->text(), QStringLiteral("0"));
    QVERIFY(messages_.isEmpty());
  }

  void subsidenceShowsItsResultsAndHelp() {
    app::CalculatorPage page(models::tools::subsidenceDesc());
    QVERIFY(page.findChild<QLabel*>(QStringLiteral("note")));
    QVERIFY(QFile::exists(app::helpResourcePath(QString::fromStdString(page.desc().help_topic))));
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    const QString text = page.resultText()->toPlainText();
    QVERIFY2(text.contains(QStringLiteral("W0 = m·q·cosα = 1400 mm")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("εy = ")), qPrintable(text));
    type(page, "H0", QStringLiteral("0"));
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    QCOMPARE(messages_, QStringList{QStringLiteral("平均采深H0必须大于0，请重新输入！")});
    QCOMPARE(page.resultText()->toPlainText(), text);
  }

  void mainWindowOffersTheSubsidencePage() {
    QTemporaryDir dir;
    app::setUnitTablePath(dir.filePath(QStringLiteral("data.ini")));
    app::CMainDlg dlg;
    dlg.show();
    widgets::CCategoryButton* b = dlg.categoryButton(1010);
    QVERIFY(b);
    QVERIFY(b->isVisible());
    QCOMPARE(b->text(), QStringLiteral("地表沉陷预测"));
    const auto actions = b->popupMenu()->actions();
    QCOMPARE(actions.size(), 1);
    actions[0]->trigger();
    QCOMPARE(dlg.visiblePage(), 19);
    QVERIFY(qobject_cast<app::CalculatorPage*>(dlg.page(19)) ||
            dlg.page(19)->findChild<app::CalculatorPage*>());
    app::setUnitTablePath({});
  }
};

QTEST_MAIN(ToolsPagesTest)
#include "tools_pages_test.moc"
