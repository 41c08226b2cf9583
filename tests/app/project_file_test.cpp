// Project files and calculation sheets through the main window: every page's inputs survive a
// save and an open, damaged or newer files are handled, closing asks about unsaved inputs, the
// PDF sheet reads back with its Chinese text, and the command line reproduces the results.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <nlohmann/json.hpp>
#include <sstream>

#include "app/calculator_page.h"
#include "app/main_window.h"
#include "app/sheet_export.h"
#include "cli/cli.h"
#include "core/format.h"
#include "core/project_file.h"
#include "models/registry.h"
#include "widgets/curve_plot.h"
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
  QStringList messages, questions;
  bool answer = false;
  QString savePath, openPath;
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
    widgets::setSaveFileSink(
        [this](QWidget*, const QString&, const QString&, const QString&) { return savePath; });
    widgets::setOpenFileSink(
        [this](QWidget*, const QString&, const QString&, const QString&) { return openPath; });
  }
  void cleanup() {
    widgets::setMessageSink({});
    widgets::setQuestionSink({});
    widgets::setSaveFileSink({});
    widgets::setOpenFileSink({});
    messages.clear();
    questions.clear();
    answer = false;
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
    answer = false;  // do not save the reset inputs
    w.openProject();
    QCOMPARE(questions.size(), 1);
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
    type(*sewage, "N", QStringLiteral("77"));
    for (const char* name : {"truncated.kuva", "text.kuva", "missing.kuva"}) {
      messages.clear();
      QVERIFY(!w.openProjectFile(file(name)));
      QCOMPARE(messages.size(), 1);
      QVERIFY2(messages[0].contains(QStringLiteral("已损坏")) ||
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
    answer = true;
    savePath.clear();  // the user cancels the file dialog: the window stays
    w.close();
    QCOMPARE(questions, QStringList{QStringLiteral("工程的输入已修改，是否保存？")});
    QVERIFY(!w.closing());
    savePath = file("onclose.kuva");
    w.close();
    QVERIFY(QFile::exists(savePath));
    QVERIFY(w.closing());
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
