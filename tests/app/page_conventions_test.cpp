// Conventions shared by the pages: the result-text dialog and the help button.
#include <QClipboard>
#include <QComboBox>
#include <QPushButton>
#include <QScrollArea>
#include <QTextBrowser>
#include <QTextEdit>
#include <QWheelEvent>
#include <QtTest>

#include "app/calculator_page.h"
#include "app/help.h"
#include "app/result_text_dialog.h"
#include "models/registry.h"
#include "widgets/wheel_guard.h"

class PageConventionsTest : public QObject {
  Q_OBJECT
 private slots:
  void resultTextDialogCopiesTheSelectionOnly() {
    app::ResultTextDialog dlg(QStringLiteral("详细结果"), QStringLiteral("第一行\r\n第二行\r\n"));
    QCOMPARE(dlg.textBox()->toPlainText(), QStringLiteral("第一行\n第二行\n"));
    QApplication::clipboard()->setText(QStringLiteral("untouched"));
    dlg.findChild<QPushButton*>(QStringLiteral("button1238"))->click();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("untouched"));
    QTextCursor c = dlg.textBox()->textCursor();
    c.setPosition(0);
    c.setPosition(6, QTextCursor::KeepAnchor);  // "第一行" and the line end and "第二"
    dlg.textBox()->setTextCursor(c);
    dlg.findChild<QPushButton*>(QStringLiteral("button1238"))->click();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("第一行\n第二"));
    dlg.show();
    dlg.findChild<QPushButton*>(QStringLiteral("button1239"))->click();
    QCOMPARE(dlg.result(), static_cast<int>(QDialog::Accepted));
  }

  void helpTopicPathsAndMissingTopics() {
    QCOMPARE(app::helpResourcePath(QStringLiteral("大气预测模式\\无组织排放量计算\\扬尘计算.htm")),
             QStringLiteral(":/help/大气预测模式/无组织排放量计算/扬尘计算.htm"));
    // Pressing the button twice shows the same topic both times, in one window.
    for (int i = 0; i < 2; ++i) {
      app::showHelpTopic(nullptr, QStringLiteral("固废预测\\没有这个主题.htm"));
      QTextBrowser* b = nullptr;
      for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QStringLiteral("helpBrowser")) b = qobject_cast<QTextBrowser*>(w);
      QVERIFY(b);
      QVERIFY(b->isVisible());
      QVERIFY(b->toPlainText().contains(app::kHelpMissing));
      QVERIFY(b->toPlainText().contains(QStringLiteral("没有这个主题.htm")));
    }
    int browsers = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->objectName() == QStringLiteral("helpBrowser")) ++browsers;
    QCOMPARE(browsers, 1);
  }

  // Scrolling the page with the wheel over a closed drop-down leaves its value alone; once the
  // user clicked into it, the wheel changes it.
  void wheelOverAClosedDropDownScrollsThePage() {
    widgets::installWheelGuard(*qApp);
    QScrollArea area;
    auto* page = new app::CalculatorPage(*models::registry().find("highway"));
    area.setWidget(page);
    area.setWidgetResizable(true);
    area.resize(600, 200);
    area.show();
    area.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&area));
    auto* pavement = qobject_cast<QComboBox*>(page->control("pavement"));
    QVERIFY(pavement);
    pavement->setCurrentIndex(0);
    area.ensureWidgetVisible(pavement);
    const int before = pavement->currentIndex();
    // (A wheel event sent by a test is not handed on to the parents as the user's is, so the
    // scrolling itself is not observed here.)
    auto wheel = [&] {
      const QPointF at(pavement->width() / 2.0, pavement->height() / 2.0);
      QWheelEvent e(at, pavement->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
      QApplication::sendEvent(pavement, &e);
    };
    wheel();
    QCOMPARE(pavement->currentIndex(), before);
    pavement->setFocus();
    wheel();
    QVERIFY(pavement->currentIndex() != before);
  }
};

QTEST_MAIN(PageConventionsTest)
#include "page_conventions_test.moc"
