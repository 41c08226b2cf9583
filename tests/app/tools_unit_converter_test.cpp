// Unit converter page over a data.ini in a temporary folder: a fresh user gets the default
// table, conversion when a value field is left, the add section and its refusals.
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "app/calculator_page.h"
#include "app/pages/tools/unit_converter_page.h"
#include "tools/unit_converter.h"
#include "widgets/prompts.h"

namespace {
struct Shown {
  QString text, caption;
};

QByteArray readFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}
}  // namespace

class ToolsUnitConverterTest : public QObject {
  Q_OBJECT
 private:
  QTemporaryDir* dir_ = nullptr;
  QList<Shown> shown_;

  QString path() const { return dir_->filePath(QStringLiteral("data.ini")); }

  template <class T>
  static T* child(QWidget& w, const char* name) {
    auto* c = w.findChild<T*>(QLatin1String(name));
    if (!c) qWarning("no child %s", name);
    return c;
  }

  // Puts a text into a field (key clicks carry only ASCII) and leaves the field with Return,
  // which ends its editing like losing the focus does.
  static void enter(QLineEdit* e, const QString& text) {
    e->setFocus();
    typeInto(e, text);
    QTest::keyClick(e, Qt::Key_Return);
  }

  static void typeInto(QLineEdit* e, const QString& text) {
    e->clear();
    e->insert(text);
  }

 private slots:
  void init() {
    dir_ = new QTemporaryDir;
    QVERIFY(dir_->isValid());
    app::setUnitTablePath(path());
    shown_.clear();
    widgets::setMessageSink([this](QWidget*, const QString& t, const QString& c) {
      shown_.append({t, c});
    });
  }
  void cleanup() {
    widgets::setMessageSink({});
    app::setUnitTablePath({});
    delete dir_;
  }

  void freshUserGetsTheDefaultTableAndConverts() {
    QVERIFY(!QFile::exists(path()));
    app::CalculatorPage page(models::tools::unitConverterDesc());
    page.show();
    QVERIFY(QFile::exists(path()));
    QVERIFY(shown_.isEmpty());
    QVERIFY(child<QLabel>(page, "tablePath")->text().contains(QStringLiteral("data.ini")));
    auto* kind = child<QComboBox>(page, "unitKind");
    QCOMPARE(kind->count(), 10);
    QCOMPARE(kind->currentText(), QStringLiteral("长度"));
    auto* left = child<QLineEdit>(page, "leftValue");
    auto* right = child<QLineEdit>(page, "rightValue");
    auto* rightUnit = child<QComboBox>(page, "rightUnit");
    QCOMPARE(child<QComboBox>(page, "leftUnit")->currentText(), QStringLiteral("米"));
    QCOMPARE(left->text(), QStringLiteral("1"));

    // Choosing a unit shows the equivalence; leaving a value field converts it.
    rightUnit->setCurrentIndex(rightUnit->findText(QStringLiteral("厘米")));
    QCOMPARE(left->text(), QStringLiteral("1"));
    QCOMPARE(right->text(), QStringLiteral("100"));
    enter(left, QStringLiteral("5"));
    QCOMPARE(right->text(), QStringLiteral("500"));
    enter(right, QStringLiteral("500"));
    QCOMPARE(left->text(), QStringLiteral("5"));
    enter(right, QStringLiteral("2.5"));
    QCOMPARE(left->text(), QStringLiteral("0.025"));

    // An unreadable value gets the number prompt and leaves the other side alone.
    enter(left, QStringLiteral("abc"));
    QCOMPARE(shown_.size(), 1);
    QCOMPARE(shown_[0].text, app::kNumberPrompt);
    QCOMPARE(right->text(), QStringLiteral("2.5"));

    // Another kind refills both lists and the add section.
    kind->setCurrentIndex(kind->findText(QStringLiteral("压力")));
    QCOMPARE(child<QComboBox>(page, "leftUnit")->currentText(), QStringLiteral("帕"));
    QCOMPARE(child<QLineEdit>(page, "addKind")->text(), QStringLiteral("压力"));
    QCOMPARE(child<QLineEdit>(page, "addBaseUnit")->text(), QStringLiteral("帕"));
    QVERIFY(child<QLineEdit>(page, "addBaseUnit")->isReadOnly());
    rightUnit->setCurrentIndex(rightUnit->findText(QStringLiteral("千帕")));
    enter(left, QStringLiteral("101325"));
    QCOMPARE(right->text(), QStringLiteral("101.325"));
  }

  void addingAppendsToTheFileAndReloads() {
    writeFile(path(), QByteArrayLiteral("[长度][1][米]=[100][厘米]\n"));
    app::CalculatorPage page(models::tools::unitConverterDesc());
    page.show();
    auto* amount = child<QLineEdit>(page, "addAmount");
    auto* unit = child<QLineEdit>(page, "addUnit");
    auto* add = child<QPushButton>(page, "addButton");

    QTest::mouseClick(add, Qt::LeftButton);
    QCOMPARE(shown_.size(), 1);
    QCOMPARE(shown_[0].text, QStringLiteral("请输入单位或相应值！"));
    QCOMPARE(shown_[0].caption, QStringLiteral("单位换算"));
    QCOMPARE(readFile(path()), QByteArrayLiteral("[长度][1][米]=[100][厘米]\n"));

    typeInto(amount, QStringLiteral("abc"));
    typeInto(unit, QStringLiteral("毫米"));
    QTest::mouseClick(add, Qt::LeftButton);
    QCOMPARE(shown_.last().text, app::kUnitBadAmount);
    typeInto(amount, QStringLiteral("1000"));
    typeInto(unit, QStringLiteral("毫[米]"));
    QTest::mouseClick(add, Qt::LeftButton);
    QCOMPARE(shown_.last().text, app::kUnitBadName);
    QCOMPARE(shown_.size(), 3);

    typeInto(unit, QStringLiteral("毫米"));
    QTest::mouseClick(add, Qt::LeftButton);
    QCOMPARE(shown_.size(), 3);
    QCOMPARE(readFile(path()),
             QByteArray("[长度][1][米]=[100][厘米]\n[长度][1][米]=[1000][毫米]\n"));
    QVERIFY(amount->text().isEmpty());
    QVERIFY(unit->text().isEmpty());
    auto* leftUnit = child<QComboBox>(page, "leftUnit");
    auto* rightUnit = child<QComboBox>(page, "rightUnit");
    QCOMPARE(leftUnit->count(), 3);
    leftUnit->setCurrentIndex(1);   // 厘米
    rightUnit->setCurrentIndex(2);  // 毫米
    enter(child<QLineEdit>(page, "leftValue"), QStringLiteral("3"));
    QCOMPARE(child<QLineEdit>(page, "rightValue")->text(), QStringLiteral("30"));
  }

  void addSectionBaseUnitFollowsTheTypedKind() {
    app::CalculatorPage page(models::tools::unitConverterDesc());
    page.show();
    auto* kind = child<QLineEdit>(page, "addKind");
    auto* base = child<QLineEdit>(page, "addBaseUnit");
    // A listed kind shows its own base unit, so a line is never written with another kind's.
    enter(kind, QStringLiteral("面积"));
    QCOMPARE(base->text(), QStringLiteral("平方米"));
    QVERIFY(base->isReadOnly());
    // A new kind gets a base unit of its own.
    enter(kind, QStringLiteral("热量"));
    QVERIFY(!base->isReadOnly());
    QVERIFY(base->text().isEmpty());
    typeInto(base, QStringLiteral("焦耳"));
    typeInto(child<QLineEdit>(page, "addAmount"), QStringLiteral("0.001"));
    typeInto(child<QLineEdit>(page, "addUnit"), QStringLiteral("千焦"));
    QTest::mouseClick(child<QPushButton>(page, "addButton"), Qt::LeftButton);
    QVERIFY(shown_.isEmpty());
    QVERIFY(readFile(path()).endsWith("[热量][1][焦耳]=[0.001][千焦]\n"));
    QVERIFY(base->isReadOnly());
    QVERIFY(child<QComboBox>(page, "unitKind")->findText(QStringLiteral("热量")) >= 0);
  }

  void zeroFactorIsRefusedByName() {
    writeFile(path(), QByteArrayLiteral("[长度][1][米]=[100][厘米]\n[长度][1][米]=[0][坏单位]\n"));
    app::CalculatorPage page(models::tools::unitConverterDesc());
    page.show();
    // The line is left out when the table is read, and said so by its number.
    QCOMPARE(shown_.size(), 1);
    QVERIFY2(shown_[0].text.contains(QStringLiteral("第2行：单位“坏单位”的换算值“0”不是正数")),
             qPrintable(shown_[0].text));
    auto* rightUnit = child<QComboBox>(page, "rightUnit");
    QCOMPARE(rightUnit->findText(QStringLiteral("坏单位")), -1);
    QCOMPARE(rightUnit->count(), 2);
  }

  void gbkFileReads() {
    // [长度][1][米]=[100][厘米] written in the Chinese Windows code page.
    writeFile(path(), QByteArray("[\xb3\xa4\xb6\xc8][1][\xc3\xd7]=[100][\xc0\xe5\xc3\xd7]\r\n"));
    app::CalculatorPage page(models::tools::unitConverterDesc());
    page.show();
    QCOMPARE(child<QComboBox>(page, "unitKind")->currentText(), QStringLiteral("长度"));
    QCOMPARE(child<QComboBox>(page, "rightUnit")->itemText(1), QStringLiteral("厘米"));
  }
};

QTEST_MAIN(ToolsUnitConverterTest)
#include "tools_unit_converter_test.moc"
