// Conventions shared by the pages: the result-text dialog and the help button.
#include <QClipboard>
#include <QComboBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QTextBrowser>
#include <QTextEdit>
#include <QVBoxLayout>
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

  // Scrolling the page with the wheel over a closed drop-down, a spin box or a slider leaves its
  // value alone and leaves the wheel to the page, which scrolls; once the user clicked into the
  // control, the wheel changes it.
  void wheelOverAClosedDropDownScrollsThePage() {
    widgets::installWheelGuard(*qApp);
    QScrollArea area;
    auto* page = new app::CalculatorPage(*models::registry().find("highway"));
    auto* map = new app::CalculatorPage(*models::registry().find("noise_map"));
    auto* both = new QWidget;
    auto* column = new QVBoxLayout(both);
    column->addWidget(page);
    column->addWidget(map);
    area.setWidget(both);
    area.setWidgetResizable(true);
    area.resize(600, 200);
    area.show();
    area.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&area));
    auto* pavement = qobject_cast<QComboBox*>(page->control("pavement"));
    QVERIFY(pavement);
    pavement->setCurrentIndex(1);  // the wheel turned up would choose the first
    QSpinBox* dpi = map->findChild<QSpinBox*>();
    QSlider* opacity = map->findChild<QSlider*>();
    QVERIFY(dpi && opacity);
    dpi->setValue(dpi->minimum());
    opacity->setValue(opacity->minimum());
    // A wheel event sent by a test is not handed on to the parents as the user's is: that it is
    // left unaccepted is what makes the application hand it on to the scroll area.
    auto wheel = [](QWidget* w) {
      const QPointF at(w->width() / 2.0, w->height() / 2.0);
      QWheelEvent e(at, w->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
      e.setAccepted(true);
      QApplication::sendEvent(w, &e);
      return e.isAccepted();
    };
    auto value = [&](QWidget* w) {
      return w == pavement ? pavement->currentIndex() : w == dpi ? dpi->value() : opacity->value();
    };
    const std::initializer_list<QWidget*> controls = {pavement, dpi, opacity};
    for (QWidget* w : controls) {
      // The user's wheel would first give the focus to a control taking it by the wheel.
      QVERIFY((w->focusPolicy() & Qt::WheelFocus) != Qt::WheelFocus);
      area.ensureWidgetVisible(w);
      const int before = value(w);
      QVERIFY2(!wheel(w), w->metaObject()->className());
      QCOMPARE(value(w), before);
    }
    for (QWidget* w : controls) {
      w->setFocus();
      const int before = value(w);
      QVERIFY2(wheel(w), w->metaObject()->className());
      QVERIFY(value(w) != before);
    }
    // The page itself, its scroll bar included, takes the wheel.
    area.verticalScrollBar()->setValue(area.verticalScrollBar()->maximum());
    const int scrolled = area.verticalScrollBar()->value();
    QVERIFY(scrolled > 0);
    wheel(area.viewport());
    QVERIFY(area.verticalScrollBar()->value() < scrolled);
    const int again = area.verticalScrollBar()->value();
    wheel(area.verticalScrollBar());
    QVERIFY(area.verticalScrollBar()->value() < again);
  }
};

QTEST_MAIN(PageConventionsTest)
#include "page_conventions_test.moc"
