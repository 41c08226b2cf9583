// Impossible input on the pages: the message box says which field and what range, the focus
// goes to that field, and the results already shown stay; a number the field cannot store gets
// the prompt for a number.
#include <QLineEdit>
#include <QRadioButton>
#include <QtTest>

#include "../models/refusal_cases.h"
#include "app/calculator_page.h"
#include "models/registry.h"
#include "widgets/prompts.h"

class RefusalPageTest : public QObject {
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

  void eachRefusalShowsItsMessageAndFocusesItsField() {
    for (const auto& c : refusal::cases()) {
      const QString what = QString::fromUtf8(c.id) + " " + QString::fromUtf8(c.action);
      messages.clear();
      const core::CalculatorDesc* d = models::registry().find(c.id);
      QVERIFY2(d, qPrintable(what));
      app::CalculatorPage page(*d);
      page.show();
      QVERIFY(QTest::qWaitForWindowExposed(&page));
      for (const auto& [key, text] : c.inputs) {
        const core::FieldDesc* f = d->field(key);
        QVERIFY2(f, qPrintable(what + " " + QString::fromStdString(key)));
        if (f->type == core::FieldType::Text)
          page.setText(key, text);
        else if (f->type == core::FieldType::Radio)
          QTest::mouseClick(page.findChild<QRadioButton*>(QString::fromStdString(key + ":" + text)),
                            Qt::LeftButton);
        else
          page.setValue(key, std::stod(text));
      }
      // A page whose hook computes a sub-form answers "handled" even for a refusal: the
      // message and the focus tell.
      page.runAction(c.action);
      QCOMPARE(messages, QStringList{QString::fromStdString(c.message)});
      QTRY_COMPARE(QApplication::focusWidget(), page.control(c.focus));
    }
  }

  void numberBeyondSinglePrecisionGetsTheNumberPrompt() {
    app::CalculatorPage page(*models::registry().find("sludge"));
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    auto* q = qobject_cast<QLineEdit*>(page.control("Q"));
    QVERIFY(q);
    q->setText(QStringLiteral("1e39"));
    QVERIFY(!page.runAction("compute"));
    QCOMPARE(messages, QStringList{QStringLiteral("请输入一个数字。")});
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(q));
  }

 private:
  QStringList messages;
};

QTEST_MAIN(RefusalPageTest)
#include "refusal_page_test.moc"
