// The main window's project file commands: save and open every page's inputs as a *.kuva
// file, the window title, and the question about unsaved changes.
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QKeySequence>
#include <QLineEdit>
#include <QScrollArea>
#include <QShortcut>

#include "app/calculator_page.h"
#include "app/main_window.h"
#include "app/sheet_export.h"
#include "app/version.h"
#include "core/project_file.h"
#include "models/registry.h"
#include "widgets/prompts.h"

namespace app {

namespace {

const QString kProjectFilter = QStringLiteral("kuva 工程文件 (*.kuva)");
const QString kUnsavedQuestion = QStringLiteral("工程的输入已修改，是否保存？");
const QStringList kUnsavedButtons{QStringLiteral("保存"), QStringLiteral("不保存"),
                                  QStringLiteral("取消")};

}  // namespace

void CMainDlg::setupProjectActions() {
  auto shortcut = [this](QKeyCombination keys, auto fn) {
    auto* s = new QShortcut(QKeySequence(keys), this);
    s->setContext(Qt::WindowShortcut);
    connect(s, &QShortcut::activated, this, fn);
  };
  shortcut(Qt::CTRL | Qt::Key_N, [this] { newProject(); });
  shortcut(Qt::CTRL | Qt::Key_S, [this] { saveProject(false); });
  shortcut(Qt::CTRL | Qt::Key_O, [this] { openProject(); });
  shortcut(Qt::CTRL | Qt::Key_P, [this] { exportVisibleSheet(); });
  for (auto* scroll : m_pages)
    if (auto* p = qobject_cast<CalculatorPage*>(scroll->widget())) installPageMenu(*p, *this);
  m_projectSaved = projectSnapshot();
  updateTitle();
}

// Every page's inputs as the project file would hold them (without version and date).
std::string CMainDlg::projectSnapshot(QString* bad_page) {
  core::Project project;
  std::string unreadable;
  for (size_t i = 0; i < m_pages.size(); ++i) {
    auto* p = qobject_cast<CalculatorPage*>(m_pages[i]->widget());
    if (!p) continue;
    std::string bad;
    project.pages.push_back({p->desc().id, p->formValues(&bad)});
    if (bad.empty()) continue;
    // A field holding no number differs from any saved project.
    unreadable += p->desc().id + "." + bad + "\n";
    if (bad_page && bad_page->isEmpty())
      *bad_page = QString::number(i + 1) + QLatin1Char(':') + QString::fromStdString(bad);
  }
  return core::projectToJson(models::registry(), project) + unreadable;
}

bool CMainDlg::projectModified() { return projectSnapshot() != m_projectSaved; }

void CMainDlg::updateTitle() {
  if (m_projectPath.isEmpty())
    setWindowTitle(kMainTitle);
  else
    setWindowTitle(QFileInfo(m_projectPath).fileName() + QStringLiteral(" - ") + kMainTitle);
}

bool CMainDlg::saveProjectFile(const QString& path) {
  QString bad;
  const std::string snapshot = projectSnapshot(&bad);
  if (!bad.isEmpty()) {
    // A number field holding no number: show it, as a compute would, and keep the old file.
    const int n = bad.section(QLatin1Char(':'), 0, 0).toInt();
    ShowPage(n);
    widgets::showMessage(this, QStringLiteral("请输入一个数字。"));
    if (auto* p = qobject_cast<CalculatorPage*>(page(n)))
      if (QWidget* w = p->control(bad.section(QLatin1Char(':'), 1).toStdString())) {
        w->setFocus();
        if (auto* e = qobject_cast<QLineEdit*>(w)) e->selectAll();
      }
    return false;
  }
  core::Project project;
  project.version = kVersionText;
  project.saved =
      QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toStdString();
  for (auto* scroll : m_pages)
    if (auto* p = qobject_cast<CalculatorPage*>(scroll->widget()))
      project.pages.push_back({p->desc().id, p->formValues()});
  const std::string error = core::saveProject(models::registry(), project, path.toStdString());
  if (!error.empty()) {
    widgets::showMessage(this, QString::fromStdString(error), QStringLiteral("保存工程"));
    return false;
  }
  m_projectPath = path;
  m_projectSaved = snapshot;
  updateTitle();
  return true;
}

bool CMainDlg::saveProject(bool choose_name) {
  QString path = m_projectPath;
  if (choose_name || path.isEmpty()) {
    QString proposed = path.isEmpty() ? QDir::home().filePath(QStringLiteral("工程.kuva")) : path;
    for (;;) {
      path = widgets::chooseSaveFile(this, QStringLiteral("保存工程"), proposed, kProjectFilter);
      if (path.isEmpty()) return false;
      if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".kuva");
      const QFileInfo chosen(path);
      // Another file of that name is replaced only when the user says so; "no" offers the
      // dialog again. The project's own file is simply saved again.
      const bool own = !m_projectPath.isEmpty() && chosen == QFileInfo(m_projectPath);
      if (!chosen.exists() || own ||
          widgets::askQuestion(this,
                               QStringLiteral("%1 已存在。\n要替换它吗？").arg(chosen.fileName()),
                               QStringLiteral("保存工程")))
        break;
      proposed = path;
    }
  }
  return saveProjectFile(path);
}

bool CMainDlg::settleUnsavedChanges() {
  if (!projectModified()) return true;
  switch (widgets::askChoice(this, kUnsavedQuestion, kUnsavedButtons)) {
    case 0: return saveProject(false);  // a cancelled or failed save keeps everything
    case 1: return true;
    default: return false;
  }
}

void CMainDlg::loadPages(const core::Project* project) {
  // Every page takes the inputs over its defaults (a page the project lacks starts afresh) and
  // drops its results, which belong to the inputs it held before.
  for (auto* scroll : m_pages)
    if (auto* p = qobject_cast<CalculatorPage*>(scroll->widget())) {
      const core::ProjectPage* saved = project ? project->page(p->desc().id) : nullptr;
      p->setFormValues(saved ? saved->inputs : core::Values{});
    }
}

void CMainDlg::newProject() {
  if (!settleUnsavedChanges()) return;
  loadPages(nullptr);
  m_projectPath.clear();
  m_projectSaved = projectSnapshot();
  updateTitle();
}

bool CMainDlg::openProjectFile(const QString& path) {
  const core::ProjectRead r = core::loadProject(models::registry(), path.toStdString());
  if (!r.ok) {
    widgets::showMessage(this, QString::fromStdString(r.error), QStringLiteral("打开工程"));
    return false;
  }
  loadPages(&r.project);
  m_projectPath = path;
  m_projectSaved = projectSnapshot();
  updateTitle();
  if (!r.skipped.empty()) {
    // A file from some other program can list thousands; the box shows the first few.
    constexpr size_t kShown = 20;
    QString list;
    for (size_t i = 0; i < r.skipped.size() && i < kShown; ++i)
      list += QStringLiteral("\n") + QString::fromStdString(r.skipped[i]);
    if (r.skipped.size() > kShown)
      list += QStringLiteral("\n……共%1项").arg(static_cast<qulonglong>(r.skipped.size()));
    widgets::showMessage(
        this, QStringLiteral("工程文件来自较新的版本，以下本程序不认识的内容已跳过：") + list,
        QStringLiteral("打开工程"));
  }
  return true;
}

void CMainDlg::openProject() {
  if (!settleUnsavedChanges()) return;
  const QString dir =
      m_projectPath.isEmpty() ? QDir::homePath() : QFileInfo(m_projectPath).absolutePath();
  const QString path =
      widgets::chooseOpenFile(this, QStringLiteral("打开工程"), dir, kProjectFilter);
  if (!path.isEmpty()) openProjectFile(path);
}

void CMainDlg::exportVisibleSheet() {
  if (auto* p = qobject_cast<CalculatorPage*>(page(visiblePage()))) exportSheet(*p, projectPath());
}

}  // namespace app
