#include "widgets/excel_export.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "present/xlsx_export.h"
#include "widgets/grid_ctrl.h"
#include "widgets/list_table.h"
#include "widgets/prompts.h"

namespace widgets {

namespace {

const QString kReplaceError = QStringLiteral("覆盖文件时出错！");

// Whether an existing path can be replaced by the new file.
bool replaceable(const QFileInfo& info) {
  return info.isFile() && QFileInfo(info.absolutePath()).isWritable();
}

bool writeAndReport(QWidget* parent, const QString& path, const present::XlsxTable& t) {
  const present::XlsxResult res = present::writeXlsx(QFile::encodeName(path).toStdString(), t);
  using Status = present::XlsxResult::Status;
  if (res.status == Status::ReplaceFailed) {
    showMessage(parent, kReplaceError);
    return false;
  }
  if (res.status == Status::WriteFailed) {
    showMessage(parent,
                QStringLiteral("导出文件时出错：%1").arg(QString::fromStdString(res.message)));
    return false;
  }
  showMessage(parent, QStringLiteral("导出文件保存于%1!").arg(path));
  return true;
}

bool runExport(QWidget* parent, const present::XlsxTable& t) {
  const QString path = chooseExportFile(parent);
  if (path.isEmpty()) return false;
  return writeAndReport(parent, path, t);
}

}  // namespace

QString defaultExportFileName(const QDateTime& localTime) {
  const QDate d = localTime.date();
  const QTime t = localTime.time();
  return QString::asprintf("%04d%02d%02d%02d%02d%02d", d.year(), d.month(), d.day(), t.hour(),
                           t.minute(), t.second()) +
         QStringLiteral(".xlsx");
}

QString chooseExportFile(QWidget* parent) {
  QString proposed = defaultExportFileName(QDateTime::currentDateTime());
  for (;;) {
    QString path = chooseSaveFile(parent, kExportDialogTitle, proposed, kExportFilter);
    if (path.isEmpty()) return {};
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".xlsx");
    const QFileInfo info(path);
    if (info.exists() &&
        !askQuestion(parent, QStringLiteral("%1 已存在。\n要替换它吗？").arg(info.fileName()))) {
      proposed = path;
      continue;
    }
    QDir().mkpath(info.absolutePath());
    if (info.exists() && !replaceable(info)) {
      showMessage(parent, kReplaceError);
      return {};
    }
    return path;
  }
}

bool exportGrid(QWidget* parent, const CGridCtrl& grid, const QString& title) {
  if (grid.GetRowCount() < 2) return false;
  present::XlsxTable t;
  t.sheet = title.toStdString();
  for (int c = 0; c < grid.GetColumnCount(); ++c)
    t.headers.push_back(grid.GetItemText(0, c).toStdString());
  t.rows = static_cast<size_t>(grid.GetRowCount() - 1);
  t.cell = [&grid](size_t r, size_t c) {
    return grid.GetItemText(static_cast<int>(r) + 1, static_cast<int>(c)).toStdString();
  };
  return runExport(parent, t);
}

bool exportListTable(QWidget* parent, const ListTable& list, const QString& title) {
  if (list.rowCount() == 0) return false;
  present::XlsxTable t;
  t.sheet = title.toStdString();
  for (const QString& caption : list.captions()) t.headers.push_back(caption.toStdString());
  t.rows = static_cast<size_t>(list.rowCount());
  t.cell = [&list](size_t r, size_t c) {
    return list.text(static_cast<int>(r), static_cast<int>(c)).toStdString();
  };
  return runExport(parent, t);
}

bool exportTable(QWidget* parent, const core::Table& table, const QString& title) {
  if (table.rows.empty()) return false;
  present::XlsxTable t;
  t.sheet = title.toStdString();
  t.headers = table.headers;
  t.rows = table.rows.size();
  t.cell = [&table](size_t r, size_t c) {
    return c < table.rows[r].size() ? table.rows[r][c] : std::string();
  };
  return runExport(parent, t);
}

}  // namespace widgets
