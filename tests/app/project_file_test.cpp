// Project files and calculation sheets through the main window: every page's inputs survive a
// save and an open, damaged or newer files are handled, closing asks about unsaved inputs, the
// PDF sheet reads back with its Chinese text, and the command line reproduces the results.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <nlohmann/json.hpp>
#include <sstream>

#include "app/calculator_page.h"
#include "app/main_window.h"
#include "app/pages/air/point_source_page.h"
#include "app/pages/noise/road_noise_page.h"
#include "app/sheet_export.h"
#include "app/tab_sheet.h"
#include "cli/cli.h"
#include "core/format.h"
#include "core/project_file.h"
#include "models/registry.h"
#include "widgets/category_button.h"
#include "widgets/curve_plot.h"
#include "widgets/grid_ctrl.h"
#include "widgets/list_table.h"
#include "widgets/prompts.h"

namespace {

// A non-default value for every input the form shows (a multi-line input table keeps its rows).
core::Values changed(const core::CalculatorDesc& d, core::Values v) {
  for (const auto& f : d.fields) {
    if (f.result) continue;
    const double x = v.num(f.key);
    const int n = static_cast<int>(f.choices.size());
    switch (f.type) {
      case core::FieldType::Float:
      case core::FieldType::Double:
        v.setNum(f.key, core::storeAs(f.type, x * 2 + 1.25));
        v.setText(f.key, core::cformat("%g", x * 2 + 1.25));
        break;
      case core::FieldType::Int:
        v.setNum(f.key, x + 1);
        v.setText(f.key, core::formatIntField(static_cast<long long>(x) + 1));
        break;
      case core::FieldType::Choice:
      case core::FieldType::Radio:
        if (n > 1) v.setNum(f.key, (static_cast<int>(x) + 1) % n);
        break;
      case core::FieldType::CheckBox: v.setNum(f.key, x != 0 ? 0 : 1); break;
      case core::FieldType::Text:
        if (n > 1)
          v.setText(f.key, f.choices[f.choices.back() == v.text(f.key) ? 0 : f.choices.size() - 1]);
        else if (v.text(f.key).find('\n') == std::string::npos)
          v.setText(f.key, v.text(f.key) + "样");
        break;
    }
  }
  return v;
}

// One page's inputs as the file would hold them.
QString shown(app::CalculatorPage& p) {
  core::Project one;
  one.pages.push_back({p.desc().id, p.formValues()});
  return QString::fromStdString(core::projectToJson(models::registry(), one));
}

QString pdfText(const QString& pdf) {
  QProcess p;
  p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
  if (!p.waitForFinished(30000)) return {};
  // CJK fonts share glyphs between some ideographs and the radicals of the same shape, and the
  // text layer may name the radical: read those back as the ideograph.
  QString t = QString::fromUtf8(p.readAllStandardOutput());
  for (QChar& c : t)
    if (c.unicode() >= 0x2E80 && c.unicode() <= 0x2FDF)
      c = QString(c).normalized(QString::NormalizationForm_KC).at(0);
  return t;
}

}  // namespace

class ProjectFileTest : public QObject {
  Q_OBJECT
 private:
  QStringList messages, questions, choices;
  bool answer = false;
  int choice = 1;  // of 保存 / 不保存 / 取消
  QString savePath, openPath;
  QStringList saveQueue;  // paths the save dialog gives before savePath
  int saveDialogs = 0, openDialogs = 0;
  const QString kUnsaved = QStringLiteral("工程的输入已修改，是否保存？");
  QTemporaryDir dir;

  std::vector<app::CalculatorPage*> pages(app::CMainDlg& w) {
    std::vector<app::CalculatorPage*> out;
    for (int n = 1; n <= 38; ++n)
      if (auto* p = qobject_cast<app::CalculatorPage*>(w.page(n))) out.push_back(p);
    return out;
  }
  static void type(app::CalculatorPage& p, const char* key, const QString& text) {
    auto* e = qobject_cast<QLineEdit*>(p.control(key));
    QVERIFY(e);
    e->setText(text);
  }
  static QString text(app::CalculatorPage& p, const char* key) {
    auto* e = qobject_cast<QLineEdit*>(p.control(key));
    return e ? e->text() : QString();
  }
  QString file(const char* name) { return dir.filePath(QString::fromUtf8(name)); }
  void write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }

 private slots:
  void init() {
    widgets::setMessageSink([this](QWidget*, const QString& t, const QString&) { messages << t; });
    widgets::setQuestionSink([this](QWidget*, const QString& t, const QString&) {
      questions << t;
      return answer;
    });
    widgets::setChoiceSink([this](QWidget*, const QString& t, const QString& caption,
                                  const QStringList& buttons) {
      choices << t;
      if (caption != QStringLiteral("kuva环评计算") ||
          buttons !=
              QStringList{QStringLiteral("保存"), QStringLiteral("不保存"), QStringLiteral("取消")})
        choices << QStringLiteral("unexpected: ") + caption + buttons.join('|');
      return choice;
    });
    widgets::setSaveFileSink([this](QWidget*, const QString&, const QString&, const QString&) {
      ++saveDialogs;
      return saveQueue.isEmpty() ? savePath : saveQueue.takeFirst();
    });
    widgets::setOpenFileSink([this](QWidget*, const QString&, const QString&, const QString&) {
      ++openDialogs;
      return openPath;
    });
  }
  void cleanup() {
    widgets::setMessageSink({});
    widgets::setQuestionSink({});
    widgets::setChoiceSink({});
    widgets::setSaveFileSink({});
    widgets::setOpenFileSink({});
    messages.clear();
    questions.clear();
    choices.clear();
    answer = false;
    choice = 1;
    saveQueue.clear();
    saveDialogs = openDialogs = 0;
  }

  // Walks the registry: every page's inputs are changed, saved, reset and opened again.
  void everyPageRoundTrips() {
    app::CMainDlg w;
    QCOMPARE(w.windowTitle(), QStringLiteral("kuva环评计算"));
    QVERIFY(!w.projectModified());
    std::map<std::string, QString> before, defaults;
    for (auto* p : pages(w)) {
      defaults[p->desc().id] = shown(*p);
      p->setFormValues(changed(p->desc(), p->formValues()));
      before[p->desc().id] = shown(*p);
      QVERIFY2(before[p->desc().id] != defaults[p->desc().id], p->desc().id.c_str());
    }
    QVERIFY(w.projectModified());
    savePath = file("全部.kuva");
    QVERIFY(w.saveProject(true));
    QCOMPARE(w.windowTitle(), QStringLiteral("全部.kuva - kuva环评计算"));
    QVERIFY(!w.projectModified());

    for (auto* p : pages(w)) p->setFormValues(core::Values{});
    for (auto* p : pages(w)) QCOMPARE(shown(*p), defaults[p->desc().id]);
    openPath = savePath;
    choice = 1;  // do not save the reset inputs
    w.openProject();
    QCOMPARE(choices, QStringList{kUnsaved});
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
    for (auto* p : pages(w)) QCOMPARE(shown(*p), before[p->desc().id]);
    QVERIFY(!w.projectModified());
  }

  void typedTextIsKeptAndUnreadableNumberStopsTheSave() {
    app::CMainDlg w;
    auto* sewage = qobject_cast<app::CalculatorPage*>(w.page(1));
    QVERIFY(sewage);
    type(*sewage, "N", QStringLiteral("1.2345678e2"));
    savePath = file("typed.kuva");
    QVERIFY(w.saveProject(false));
    type(*sewage, "N", QStringLiteral("9"));
    QVERIFY(w.openProjectFile(savePath));
    QCOMPARE(text(*sewage, "N"), QStringLiteral("1.2345678e2"));

    type(*sewage, "N", QStringLiteral("12x"));
    QVERIFY(!w.saveProjectFile(file("bad.kuva")));
    QCOMPARE(messages, QStringList{QStringLiteral("请输入一个数字。")});
    QVERIFY(!QFile::exists(file("bad.kuva")));
  }

  // A refused vehicle speed, corrected in the table, no longer blocks the save, nor the save
  // when closing.
  void correctedVehicleSpeedSaves() {
    app::CMainDlg w;
    auto* road = qobject_cast<app::CalculatorPage*>(w.page(38));
    QVERIFY(road && road->desc().id == "road_noise");
    auto* h = dynamic_cast<app::RoadNoisePageHook*>(road->hook());
    widgets::CGridCtrl* grid = h->vehicleGrid();
    grid->SetItemText(1, 1, QStringLiteral("1e400"));
    emit grid->endLabelEdit(1, 1);
    h->tabs()->SetCurrentPage(1);  // 预测结果: refused, back at the cell
    QCOMPARE(messages, QStringList{QStringLiteral("请输入一个数字。")});
    QCOMPARE(h->tabs()->currentIndex(), 0);
    QCOMPARE(grid->GetFocusCell(), QPoint(1, 1));
    grid->SetItemText(1, 1, QStringLiteral("50"));
    emit grid->endLabelEdit(1, 1);
    messages.clear();
    savePath = file("road.kuva");
    QVERIFY(w.saveProject(false));
    QVERIFY(messages.isEmpty());
    road->setFormValues(core::Values{});
    QVERIFY(w.openProjectFile(savePath));
    QCOMPARE(grid->GetItemText(1, 1), QStringLiteral("50"));
    grid->SetItemText(1, 1, QStringLiteral("1e400"));
    h->tabs()->SetCurrentPage(1);
    grid->SetItemText(1, 1, QStringLiteral("60"));
    messages.clear();
    choice = 0;  // 保存 on closing
    w.close();
    QCOMPARE(choices, QStringList{kUnsaved});
    QVERIFY(messages.isEmpty());
    QVERIFY(w.closing());
    app::CMainDlg again;
    QVERIFY(again.openProjectFile(savePath));
    auto* h2 = dynamic_cast<app::RoadNoisePageHook*>(
        qobject_cast<app::CalculatorPage*>(again.page(38))->hook());
    QCOMPARE(h2->vehicleGrid()->GetItemText(1, 1), QStringLiteral("60"));
  }

  void damagedFileChangesNothing() {
    app::CMainDlg w;
    auto* sewage = qobject_cast<app::CalculatorPage*>(w.page(1));
    type(*sewage, "N", QStringLiteral("123"));
    savePath = file("good.kuva");
    QVERIFY(w.saveProject(false));
    QFile f(savePath);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray good = f.readAll();
    write(file("truncated.kuva"), good.left(good.size() / 2));
    write(file("text.kuva"), "工程\n");
    write(file("huge_number.kuva"), R"({"calculators":{"sewage":{"N":1e400}}})");
    write(file("twice.kuva"), R"({"calculators":{"sewage":{"N":"1","N":"2"}}})");
    QVERIFY(QDir().mkpath(file("folder.kuva")));
    type(*sewage, "N", QStringLiteral("77"));
    for (const char* name : {"truncated.kuva", "text.kuva", "missing.kuva", "huge_number.kuva",
                             "twice.kuva", "folder.kuva"}) {
      messages.clear();
      QVERIFY(!w.openProjectFile(file(name)));
      QCOMPARE(messages.size(), 1);
      QVERIFY2(messages[0].contains(QStringLiteral("已损坏")) ||
                   messages[0].contains(QStringLiteral("不是工程文件")) ||
                   messages[0].startsWith(QStringLiteral("无法打开")),
               qPrintable(messages[0]));
      QCOMPARE(text(*sewage, "N"), QStringLiteral("77"));
      QCOMPARE(w.windowTitle(), QStringLiteral("good.kuva - kuva环评计算"));
    }
  }

  void newerFileListsWhatWasSkipped() {
    app::CMainDlg w;
    write(file("newer.kuva"),
          R"({"version":"99","calculators":{"sewage":{"N":"50","zz":"1"},"future":{}}})");
    QVERIFY(w.openProjectFile(file("newer.kuva")));
    QCOMPARE(text(*qobject_cast<app::CalculatorPage*>(w.page(1)), "N"), QStringLiteral("50"));
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages[0].contains(QStringLiteral("\nfuture")));
    QVERIFY(messages[0].contains(QStringLiteral("\nsewage.zz")));
  }

  void closingAsksOnlyAboutUnsavedInputs() {
    {
      app::CMainDlg w;
      w.close();
      QVERIFY(questions.isEmpty());
    }
    app::CMainDlg w;
    type(*qobject_cast<app::CalculatorPage*>(w.page(1)), "N", QStringLiteral("88"));
    choice = 0;        // 保存
    savePath.clear();  // the user cancels the file dialog: the window stays
    w.close();
    QCOMPARE(choices, QStringList{kUnsaved});
    QVERIFY(!w.closing());
    savePath = file("onclose.kuva");
    w.close();
    QVERIFY(QFile::exists(savePath));
    QVERIFY(w.closing());
  }

  // The user closes with unsaved inputs and presses 取消, through the close box and through
  // the menu; then 不保存 lets the window go without writing anything.
  void closeWithChangesAndCancelKeepsEverything() {
    app::CMainDlg w;
    w.show();
    auto* sewage = qobject_cast<app::CalculatorPage*>(w.page(1));
    type(*sewage, "N", QStringLiteral("88"));
    QVERIFY(sewage->runAction("compute"));
    const QString qd = text(*sewage, "Qd");
    choice = 2;
    w.close();
    auto* menu = w.findChild<widgets::CCategoryButton*>(QStringLiteral("projectButton"));
    for (QAction* a : menu->popupMenu()->actions())
      if (a->text() == QStringLiteral("退出")) a->trigger();
    QTest::qWait(50);
    QCOMPARE(choices, (QStringList{kUnsaved, kUnsaved}));
    QVERIFY(w.isVisible());
    QVERIFY(!w.closing());
    QCOMPARE(text(*sewage, "N"), QStringLiteral("88"));
    QCOMPARE(text(*sewage, "Qd"), qd);
    QVERIFY(w.projectModified());
    QCOMPARE(saveDialogs, 0);

    choice = 1;
    QSignalSpy finished(&w, &QDialog::finished);
    w.close();
    QVERIFY(w.closing());
    QCOMPARE(saveDialogs, 0);
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 10000);
  }

  // 打开工程 and 新建工程 over unsaved inputs ask the same question; 取消 changes nothing.
  void openAndNewAskBeforeDroppingInputs() {
    app::CMainDlg w;
    auto* sewage = qobject_cast<app::CalculatorPage*>(w.page(1));
    type(*sewage, "N", QStringLiteral("150"));
    savePath = file("kept.kuva");
    QVERIFY(w.saveProject(false));
    type(*sewage, "N", QStringLiteral("160"));
    openPath = savePath;
    choice = 2;
    w.openProject();
    w.newProject();
    QCOMPARE(choices, (QStringList{kUnsaved, kUnsaved}));
    QCOMPARE(openDialogs, 0);
    QCOMPARE(text(*sewage, "N"), QStringLiteral("160"));
    QCOMPARE(w.windowTitle(), QStringLiteral("kept.kuva - kuva环评计算"));

    choice = 0;  // 保存: the project's own file takes the inputs, then the new project begins
    w.newProject();
    QCOMPARE(w.windowTitle(), QStringLiteral("kuva环评计算"));
    QCOMPARE(text(*sewage, "N"), QString::fromStdString(core::formatFloatField(
                                     core::storeFloat(sewage->desc().field("N")->default_value))));
    QVERIFY(!w.projectModified());
    QVERIFY(w.openProjectFile(savePath));
    QCOMPARE(text(*sewage, "N"), QStringLiteral("160"));
  }

  // The first save of a new project asks for a name; a file that exists is replaced only
  // after the user agreed, otherwise the dialog comes back.
  void firstSaveAsksForANameAndBeforeReplacing() {
    const QString other = file("other.kuva");
    write(other, "someone else's project");
    app::CMainDlg w;
    auto* sewage = qobject_cast<app::CalculatorPage*>(w.page(1));
    type(*sewage, "N", QStringLiteral("170"));
    saveQueue = {other};
    savePath.clear();  // then the user cancels
    answer = false;
    QVERIFY(!w.saveProject(false));  // Ctrl+S on a project never saved
    QCOMPARE(saveDialogs, 2);
    QCOMPARE(questions, QStringList{QStringLiteral("other.kuva 已存在。\n要替换它吗？")});
    QFile f(other);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("someone else's project"));
    f.close();
    QVERIFY(w.projectModified());

    questions.clear();
    answer = true;
    savePath = file("other");  // typed without its extension
    QVERIFY(w.saveProject(false));
    QCOMPARE(questions.size(), 1);
    QVERIFY(w.openProjectFile(other));
    QCOMPARE(text(*sewage, "N"), QStringLiteral("170"));
    // The project's own file is saved again without a question.
    questions.clear();
    savePath = other;
    QVERIFY(w.saveProject(true));
    QVERIFY(questions.isEmpty());
  }

  // A page computed before a project is opened shows no results of its old inputs: fields,
  // text, tables.
  void openingAProjectOverComputedPagesClearsTheirResults() {
    app::CMainDlg w;
    savePath = file("plain.kuva");
    QVERIFY(w.saveProject(false));
    auto page = [&w](const char* id) {
      for (int n = 1; n <= 38; ++n)
        if (auto* p = qobject_cast<app::CalculatorPage*>(w.page(n)); p && p->desc().id == id)
          return p;
      return static_cast<app::CalculatorPage*>(nullptr);
    };
    auto* sewage = page("sewage");
    type(*sewage, "N", QStringLiteral("100"));
    type(*sewage, "Nr", QStringLiteral("20"));
    QVERIFY(sewage->runAction("compute"));
    auto* sp = page("sp");
    QVERIFY(sp->runAction("compute"));
    auto* grid = sp->findChild<widgets::CGridCtrl*>(QStringLiteral("grid"));
    QVERIFY(grid && grid->GetRowCount() > 1);
    auto* index = page("noise_index");
    QVERIFY(index->runAction("compute"));
    auto* line = index->findChild<QLabel*>(QStringLiteral("resultLine"));
    QVERIFY(!line->text().isEmpty());

    // A computation still running when the project opens shows nothing when it ends.
    auto* ps = page("pointsource");
    auto* hook = static_cast<app::PointSourcePageHook*>(ps->hook());
    hook->copyRecord(*ps);
    QSignalSpy done(hook->resultTab(), &app::CPointSourceResultDlg::computeFinished);
    QVERIFY(hook->resultTab()->compute());

    choice = 1;
    openPath = savePath;
    w.openProject();
    QVERIFY(done.wait(20000));
    QCOMPARE(hook->resultTab()->list()->rowCount(), 0);
    QVERIFY(!hook->resultTab()->result());
    QCOMPARE(text(*sewage, "Qd"), QStringLiteral("0"));
    QVERIFY(!sewage->lastOutcome());
    QCOMPARE(grid->GetRowCount(), grid->GetFixedRowCount());
    QVERIFY(line->text().isEmpty());
  }

  void sewageSheetReadsBack() {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
      QSKIP("pdftotext (poppler-utils) is not installed");
    app::CMainDlg w;
    auto* sewage = qobject_cast<app::CalculatorPage*>(w.page(1));
    type(*sewage, "N", QStringLiteral("100"));
    type(*sewage, "Nr", QStringLiteral("20"));
    savePath = file("sewage.pdf");
    // No result yet: exporting computes first, as the compute button does.
    w.exportVisibleSheet();
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
    const QString t = pdfText(savePath);
    for (const char* s : {"计算书：生活污水和垃圾", "工人数", "N", "100", "其中住宿人数",
                          "年排放量", "Qy", "1440", "吨"})
      QVERIFY2(t.contains(QString::fromUtf8(s)), s);
    // Once the project has a file, the sheet's header names it.
    savePath = file("厂区.kuva");
    QVERIFY(w.saveProject(false));
    savePath = file("sewage2.pdf");
    w.exportVisibleSheet();
    QVERIFY(pdfText(savePath).contains(QStringLiteral("工程：厂区.kuva")));

    QVERIFY(app::writePageSheet(*sewage, file("sewage.html")).isEmpty());
    QFile h(file("sewage.html"));
    QVERIFY(h.open(QIODevice::ReadOnly));
    QVERIFY(QString::fromUtf8(h.readAll()).contains(QStringLiteral("<td>年排放量</td>")));
  }

  // Every export asks before replacing a file, as saving a project does; "no" offers the
  // dialog again. A sheet is PDF or HTML only.
  void sheetAsksBeforeReplacingAndRefusesOtherExtensions() {
    app::CMainDlg w;
    const QString old = file("old.pdf");
    write(old, "keep");
    saveQueue << old;
    savePath.clear();  // then cancel
    answer = false;
    w.exportVisibleSheet();
    QCOMPARE(questions, QStringList{QStringLiteral("old.pdf 已存在。\n要替换它吗？")});
    QCOMPARE(saveDialogs, 2);
    QFile f(old);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("keep"));
    f.close();
    savePath = file("sheet.txt");
    w.exportVisibleSheet();
    QCOMPARE(messages, QStringList{app::kSheetSuffixMessage});
    QVERIFY(!QFile::exists(savePath));
    // A name typed without an extension takes the chosen filter's.
    QCOMPARE(widgets::withFilterSuffix(QStringLiteral("/a/图"), QStringLiteral("SVG 图形 (*.svg)")),
             QStringLiteral("/a/图.svg"));
    QCOMPARE(widgets::withFilterSuffix(QStringLiteral("/a/图.png"), QStringLiteral("SVG (*.svg)")),
             QStringLiteral("/a/图.png"));
  }

  // A curve the page shows is drawn into the sheet.
  void sheetCarriesTheCurve() {
    app::CalculatorPage page(*models::registry().find("sewage"));
    type(page, "N", QStringLiteral("10"));
    QVERIFY(page.runAction("compute"));
    QVERIFY(app::writePageSheet(page, file("plain.html")).isEmpty());
    QVERIFY(app::writePageSheet(page, file("plain.pdf")).isEmpty());
    auto* plot = new widgets::CurvePlot(&page);
    plot->setCurve(1, {0, 100, 200}, {0.1, 0.5, 0.2});
    plot->show();
    QVERIFY(app::writePageSheet(page, file("curve.html")).isEmpty());
    QVERIFY(app::writePageSheet(page, file("curve.pdf")).isEmpty());
    auto read = [this](const char* name) {
      QFile f(file(name));
      return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    };
    QVERIFY(!read("plain.html").contains(QStringLiteral("<img")));
    QVERIFY(read("curve.html").contains(QStringLiteral("<img src=\"data:image/png;base64,")));
    QVERIFY(QFileInfo(file("curve.pdf")).size() > QFileInfo(file("plain.pdf")).size() + 1000);
  }

  // A long result table runs over several pages, its header repeated on each.
  void tableSheetRepeatsHeaders() {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
      QSKIP("pdftotext (poppler-utils) is not installed");
    app::CalculatorPage page(*models::registry().find("sp"));
    type(page, "lmax", QStringLiteral("20000"));
    type(page, "l", QStringLiteral("100"));
    QVERIFY(page.runAction("compute"));
    QVERIFY(app::writePageSheet(page, file("sp.pdf")).isEmpty());
    const QString t = pdfText(file("sp.pdf"));
    QVERIFY(t.contains(QStringLiteral("距排污口最远距离")));
    QVERIFY(t.contains(QStringLiteral("lmax")));
    QVERIFY(t.contains(QStringLiteral("20000")));
    QVERIFY(t.contains(QStringLiteral("9.5344")));
    QVERIFY2(t.count(QStringLiteral("浓度值mg")) >= 2, qPrintable(t.left(2000)));
  }

  void commandLineReproducesThePages() {
    app::CMainDlg w;
    auto* sewage = qobject_cast<app::CalculatorPage*>(w.page(1));
    type(*sewage, "N", QStringLiteral("250"));
    QVERIFY(sewage->runAction("compute"));
    auto* sp = qobject_cast<app::CalculatorPage*>(w.page(22));
    QVERIFY(sp);
    type(*sp, "l", QStringLiteral("250"));
    QVERIFY(sp->runAction("compute"));
    savePath = file("cli.kuva");
    QVERIFY(w.saveProject(false));

    std::ostringstream out, err;
    const int rc = cli::runCli({"project", savePath.toStdString(), "--json"}, out, err);
    // Pages whose defaults their checks refuse (or whose screening program is not built) make
    // the status 1 and say so; every other page still runs.
    QVERIFY2(rc == 0 || rc == 1, err.str().c_str());
    const auto j = nlohmann::json::parse(out.str());
    int checked = 0;
    for (const auto& item : j["calculators"]) {
      for (auto* p : {sewage, sp}) {
        if (item["id"] != p->desc().id) continue;
        for (const auto& f : p->desc().fields) {
          if (!f.result || !p->lastOutcome()->results.has(f.key)) continue;
          QCOMPARE(QString::fromStdString(item["results"][f.key].get<std::string>()),
                   QString::fromStdString(core::displayValue(f, p->lastOutcome()->results)));
          ++checked;
        }
        if (p == sp)
          QCOMPARE(item["tables"][0]["rows"].size(), p->lastOutcome()->tables[0].rows.size());
      }
    }
    QVERIFY(checked >= 5);
  }
};

QTEST_MAIN(ProjectFileTest)
#include "project_file_test.moc"
