#include "app/sheet_export.h"

#include <QBuffer>
#include <QChartView>
#include <QDateTime>
#include <QFileInfo>
#include <QMenu>
#include <QPixmap>

#include "app/calculator_page.h"
#include "app/main_window.h"
#include "present/calc_sheet.h"
#include "sheet/sheet_writer.h"
#include "widgets/contour_map_canvas.h"
#include "widgets/prompts.h"

namespace app {

namespace {

// The contour map or curve of the page as PNG bytes (the one on screen, else the last one the
// page still holds, such as a closed modal window); empty when it has none.
std::string pagePicture(CalculatorPage& page) {
  QWidget* shown = nullptr;
  QWidget* held = nullptr;
  auto consider = [&](QWidget* w) {
    held = w;
    if (w->isVisible()) shown = w;
  };
  for (auto* c : page.findChildren<widgets::ContourMapCanvas*>()) consider(c);
  for (auto* v : page.findChildren<QChartView*>()) consider(v);
  if (!shown) shown = held;
  if (!shown) return {};
  QByteArray png;
  QBuffer buf(&png);
  buf.open(QIODevice::WriteOnly);
  shown->grab().save(&buf, "PNG");
  return png.toStdString();
}

}  // namespace

QString writePageSheet(CalculatorPage& page, const QString& path, const QString& project) {
  const core::Outcome* o = page.lastOutcome();
  if (!o) return QStringLiteral("此页还没有计算结果。");
  const std::string date =
      QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")).toStdString();
  present::CalcSheet s = present::buildSheet(page.desc(), page.lastInputs(), *o, date);
  if (!project.isEmpty()) s.project = QFileInfo(project).fileName().toStdString();
  return QString::fromStdString(sheet::writeSheetFile(s, path.toStdString(), pagePicture(page)));
}

bool exportSheet(CalculatorPage& page, const QString& project) {
  if (PageHook* h = page.hook()) {
    bool written = false;
    if (h->exportSheet(page, project, written)) return written;
  }
  if (!page.lastOutcome()) {
    const auto& actions = page.desc().actions;
    // No result yet: compute as the first button does (its messages show any refusal).
    if (actions.empty() || !page.runAction(actions.front().name)) return false;
    if (!page.lastOutcome()) {
      widgets::showMessage(&page, QStringLiteral("此页没有可写入计算书的计算结果。"));
      return false;
    }
  }
  const QString proposed = QString::fromStdString(page.desc().title) + QStringLiteral("计算书.pdf");
  const QString path = chooseSheetFile(page, proposed);
  if (path.isEmpty()) return false;
  const QString error = writePageSheet(page, path, project);
  if (!error.isEmpty()) {
    widgets::showMessage(&page, error, QStringLiteral("导出计算书"));
    return false;
  }
  return true;
}

QString chooseSheetFile(QWidget& page, const QString& proposed) {
  const QString path =
      widgets::chooseFileToWrite(&page, QStringLiteral("导出计算书"), proposed,
                                 QStringLiteral("PDF 文件 (*.pdf);;HTML 文件 (*.html)"));
  if (path.isEmpty()) return {};
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix != QLatin1String("pdf") && suffix != QLatin1String("html") &&
      suffix != QLatin1String("htm")) {
    widgets::showMessage(&page, kSheetSuffixMessage, QStringLiteral("导出计算书"));
    return {};
  }
  return path;
}

void installPageMenu(CalculatorPage& page, CMainDlg& main) {
  page.setContextMenuPolicy(Qt::CustomContextMenu);
  QObject::connect(&page, &QWidget::customContextMenuRequested, &page,
                   [&page, &main](const QPoint& at) {
                     QMenu menu(&page);
                     QAction* sheet = menu.addAction(kSheetMenuText);
                     sheet->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
                     menu.addSeparator();
                     QAction* fresh = menu.addAction(kNewProjectText);
                     fresh->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
                     QAction* save = menu.addAction(kSaveProjectText);
                     save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
                     QAction* open = menu.addAction(kOpenProjectText);
                     open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
                     menu.addSeparator();
                     QAction* about = menu.addAction(kAboutMenuText);
                     QAction* chosen = menu.exec(page.mapToGlobal(at));
                     if (chosen == sheet)
                       exportSheet(page, main.projectPath());
                     else if (chosen == fresh)
                       main.newProject();
                     else if (chosen == save)
                       main.saveProject(true);
                     else if (chosen == open)
                       main.openProject();
                     else if (chosen == about)
                       main.showAbout();
                   });
}

}  // namespace app
