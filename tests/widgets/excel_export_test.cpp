#include "widgets/excel_export.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "widgets/grid_ctrl.h"
#include "widgets/list_table.h"
#include "widgets/prompts.h"

using widgets::CGridCtrl;
using widgets::ListTable;

namespace {

// What the prompts were asked, and the answers they give.
struct Prompts {
  QStringList messages;
  QStringList questions;
  QStringList dialogTitles, proposed, filters;
  QStringList savePaths;  // answers of the save dialog, in order ("" = cancel)
  bool answerYes = true;

  void install() {
    widgets::setMessageSink([this](QWidget*, const QString& t, const QString&) { messages << t; });
    widgets::setQuestionSink([this](QWidget*, const QString& t, const QString&) {
      questions << t;
      return answerYes;
    });
    widgets::setSaveFileSink(
        [this](QWidget*, const QString& title, const QString& prop, const QString& filter) {
          dialogTitles << title;
          proposed << prop;
          filters << filter;
          return savePaths.isEmpty() ? QString() : savePaths.takeFirst();
        });
  }
};

QString python() {
  return QFile::exists(QStringLiteral("/usr/bin/python3")) ? QStringLiteral("/usr/bin/python3")
                                                           : QStringLiteral("python3");
}

// The workbook read back with openpyxl: the sheet title, then one line per row with the cells
// separated by TAB (None as "<none>", numbers as "#value@format", other cells as "<type>").
QString readBack(const QString& path) {
  const QString script = QStringLiteral(
      "import sys, openpyxl\n"
      "wb = openpyxl.load_workbook(sys.argv[1])\n"
      "ws = wb.worksheets[0]\n"
      "out = [ws.title]\n"
      "for row in ws.iter_rows():\n"
      "    out.append('\\t'.join('<none>' if c.value is None else "
      "(c.value if c.data_type == 's' else '#%r@%s' % (c.value, c.number_format) "
      "if c.data_type == 'n' else '<' + c.data_type + '>') for c in row))\n"
      "sys.stdout.buffer.write('\\n'.join(out).encode('utf-8'))\n");
  QProcess p;
  p.start(python(), {QStringLiteral("-c"), script, path});
  p.waitForFinished(60000);
  return QString::fromUtf8(p.readAllStandardOutput());
}

bool haveOpenpyxl() {
  return QProcess::execute(python(), {QStringLiteral("-c"), QStringLiteral("import openpyxl")}) ==
         0;
}

void fillNoiseGrid(CGridCtrl& g) {
  g.SetColumnCount(3);
  g.SetFixedRowCount(1);
  g.SetItemText(0, 0, "序号");
  g.SetItemText(0, 1, "距离m");
  g.SetItemText(0, 2, "A声级dBA");
  for (int i = 1; i <= 3; ++i) {
    const int r = g.InsertRow(QString::number(i));
    g.SetItemText(r, 1, QString::number(i * 50));
    g.SetItemText(r, 2, QStringLiteral("%1.0500").arg(60 - i));
  }
  g.SetColumnWidth(1, 0);  // hidden columns are still exported
}

}  // namespace

class ExcelExportTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() {
    widgets::setMessageSink({});
    widgets::setQuestionSink({});
    widgets::setSaveFileSink({});
  }

  void defaultNameIsTheLocalTime() {
    const QDateTime t(QDate(2026, 1, 2), QTime(3, 4, 5));
    QCOMPARE(widgets::defaultExportFileName(t), QStringLiteral("20260102030405.xlsx"));
  }

  void gridWithOnlyItsHeaderOrEmptyListExportsNothing() {
    Prompts p;
    p.install();
    CGridCtrl g;
    g.SetColumnCount(2);
    g.SetFixedRowCount(1);
    QVERIFY(!widgets::exportGrid(nullptr, g, QStringLiteral("t")));
    ListTable l;
    l.setData({"a", "b"}, 0, {});
    QVERIFY(!widgets::exportListTable(nullptr, l, QStringLiteral("t")));
    QVERIFY(p.dialogTitles.isEmpty());
    QVERIFY(p.messages.isEmpty());
  }

  void gridExportCreatesFoldersAndReadsBackCellForCell() {
    if (!haveOpenpyxl()) QSKIP("openpyxl not available");
    QTemporaryDir dir;
    Prompts p;
    const QString path = dir.filePath(QStringLiteral("新建/子目录/噪声.xlsx"));
    p.savePaths << path;
    p.install();
    CGridCtrl g;
    fillNoiseGrid(g);
    QVERIFY(widgets::exportGrid(nullptr, g, QStringLiteral("工业噪声预测计算结果")));
    QCOMPARE(p.dialogTitles, QStringList{QStringLiteral("导出")});
    QVERIFY(QRegularExpression(QStringLiteral("^\\d{14}\\.xlsx$")).match(p.proposed[0]).hasMatch());
    QVERIFY(p.filters[0].startsWith(QStringLiteral("Excel文件(*.xlsx)")));
    QCOMPARE(p.messages, QStringList{QStringLiteral("导出文件保存于%1!").arg(path)});
    QCOMPARE(readBack(path), QStringLiteral("工业噪声预测计算结果\n"
                                            "序号\t距离m\tA声级dBA\n"
                                            "#1@0\t#50@0\t#59.05@0.0000\n"
                                            "#2@0\t#100@0\t#58.05@0.0000\n"
                                            "#3@0\t#150@0\t#57.05@0.0000"));
    QCOMPARE(
        QDir(dir.filePath(QStringLiteral("新建/子目录"))).entryList(QDir::Files | QDir::Hidden),
        QStringList{QStringLiteral("噪声.xlsx")});  // no temporary left behind
  }

  void listExportWritesCaptionsAndEveryRow() {
    if (!haveOpenpyxl()) QSKIP("openpyxl not available");
    QTemporaryDir dir;
    Prompts p;
    p.savePaths << dir.filePath(QStringLiteral("mix"));  // ".xlsx" is added
    p.install();
    ListTable l;
    core::Table t;
    t.headers = {"y\\x", "100", "200"};
    t.rows = {{"0", "0.1234", "1e-07"},
              {"10", "", "-nan"},
              {"007", "=1+2", " 前后空格 "},
              {"-2.5E+03", "1,234", "12 m"}};
    l.setTable(t);
    QVERIFY(widgets::exportListTable(nullptr, l, QStringLiteral("二维稳态混合模式[结果]")));
    const QString path = dir.filePath(QStringLiteral("mix.xlsx"));
    QCOMPARE(p.messages, QStringList{QStringLiteral("导出文件保存于%1!").arg(path)});
    QCOMPARE(readBack(path), QStringLiteral("二维稳态混合模式_结果_\n"
                                            "y\\x\t100\t200\n"
                                            "#0@0\t#0.1234@0.0000\t#1e-07@0E+00\n"
                                            "#10@0\t<none>\t-nan\n"
                                            "007\t=1+2\t 前后空格 \n"
                                            "#-2500@0.0E+00\t1,234\t12 m"));
  }

  void existingFileIsReplacedOnlyAfterTheQuestion() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.xlsx"));
    {
      QFile f(path);
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write("old");
    }
    CGridCtrl g;
    fillNoiseGrid(g);

    Prompts no;  // "No" shows the dialog again; cancelling there ends the export
    no.answerYes = false;
    no.savePaths << path;
    no.install();
    QVERIFY(!widgets::exportGrid(nullptr, g, QStringLiteral("t")));
    QCOMPARE(no.questions.size(), 1);
    QCOMPARE(no.dialogTitles.size(), 2);
    QCOMPARE(no.proposed[1], path);
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("old"));
    f.close();

    Prompts yes;
    yes.savePaths << path;
    yes.install();
    QVERIFY(widgets::exportGrid(nullptr, g, QStringLiteral("t")));
    QCOMPARE(yes.questions.size(), 1);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.read(2), QByteArray("PK"));  // a zip container now
  }

  void targetThatCannotBeReplacedGivesTheOverwriteError() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("busy.xlsx"));
    QVERIFY(QDir().mkpath(path));  // a folder in the way
    Prompts p;
    p.savePaths << path;
    p.install();
    CGridCtrl g;
    fillNoiseGrid(g);
    QVERIFY(!widgets::exportGrid(nullptr, g, QStringLiteral("t")));
    QCOMPARE(p.messages, QStringList{QStringLiteral("覆盖文件时出错！")});
    QVERIFY(QFileInfo(path).isDir());
  }

  void cancelledDialogDoesNothing() {
    Prompts p;
    p.install();
    CGridCtrl g;
    fillNoiseGrid(g);
    QVERIFY(!widgets::exportGrid(nullptr, g, QStringLiteral("t")));
    QCOMPARE(p.dialogTitles.size(), 1);
    QVERIFY(p.messages.isEmpty());
  }

  void writeFailureIsReportedAndLeavesNoFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("long.xlsx"));
    Prompts p;
    p.savePaths << path;
    p.install();
    core::Table t;
    t.headers = {"x"};
    t.rows = {{std::string(40000, 'a')}};  // more than a spreadsheet cell holds
    QVERIFY(!widgets::exportTable(nullptr, t, QStringLiteral("t")));
    QCOMPARE(p.messages.size(), 1);
    QVERIFY(p.messages[0].startsWith(QStringLiteral("导出文件时出错：")));
    QVERIFY(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
  }
};

QTEST_MAIN(ExcelExportTest)
#include "excel_export_test.moc"
