// Qt's standard dialogs and menus speak Chinese once the program loaded Qt's translations.
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "widgets/translations.h"

// As the program does before its application object exists.
static const bool kChineseDates = (widgets::useChineseDates(), true);

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

  // The file dialog's type and date columns, as its list shows them.
  void fileDialogTypesAndDatesInChinese() {
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("图件")));
    QFile png(dir.filePath(QStringLiteral("a.png")));
    QVERIFY(png.open(QIODevice::WriteOnly));
    png.write("\x89PNG\r\n\x1a\n");
    png.close();
    QFileSystemModel model;
    const QModelIndex root = model.setRootPath(dir.path());
    QTRY_COMPARE(model.rowCount(root), 2);
    const QModelIndex folder = model.index(dir.filePath(QStringLiteral("图件")), 2);
    const QModelIndex file = model.index(png.fileName(), 2);
    QCOMPARE(model.data(folder).toString(), QStringLiteral("文件夹"));
    QCOMPARE(model.data(file).toString(), QStringLiteral("PNG 图像"));
    QCOMPARE(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("类型"));
    const QString date = model.data(model.index(png.fileName(), 3)).toString();
    QVERIFY2(date.contains(QString::number(QDate::currentDate().year())) &&
                 !date.contains(
                     QLocale::c().monthName(QDate::currentDate().month(), QLocale::ShortFormat)),
             qPrintable(date));
  }
};

QTEST_MAIN(TranslationsTest)
#include "translations_test.moc"
