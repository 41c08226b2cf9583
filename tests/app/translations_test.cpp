// Qt's standard dialogs and menus speak Chinese once the program loaded Qt's translations.
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>
#include <memory>

#include "widgets/translations.h"

class TranslationsTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { QVERIFY(widgets::loadQtTranslations(*qApp)); }

  // The question on closing, a file dialog and a field's context menu, as the user sees them.
  void standardDialogsAndMenusInChinese() {
    QMessageBox box(QMessageBox::Question, QStringLiteral("kuvacalc"), QStringLiteral("?"),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    QCOMPARE(box.button(QMessageBox::Save)->text(), QStringLiteral("保存"));
    QCOMPARE(box.button(QMessageBox::Cancel)->text(), QStringLiteral("取消"));
    QMessageBox ok(QMessageBox::Information, QStringLiteral("kuvacalc"), QStringLiteral("!"),
                   QMessageBox::Ok);
    QCOMPARE(ok.button(QMessageBox::Ok)->text(), QStringLiteral("确定"));

    QFileDialog files;
    files.setOption(QFileDialog::DontUseNativeDialog);
    auto* buttons = files.findChild<QDialogButtonBox*>();
    QVERIFY(buttons);
    QCOMPARE(buttons->button(QDialogButtonBox::Cancel)->text(), QStringLiteral("取消"));

    QLineEdit field(QStringLiteral("20"));
    std::unique_ptr<QMenu> menu(field.createStandardContextMenu());
    QStringList items;
    for (QAction* a : menu->actions()) items << a->text();
    QVERIFY2(items.join(QLatin1Char(' ')).contains(QStringLiteral("复制")),
             qPrintable(items.join(QLatin1Char(' '))));
  }
};

QTEST_MAIN(TranslationsTest)
#include "translations_test.moc"
