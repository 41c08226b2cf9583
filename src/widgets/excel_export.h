// Spreadsheet export of a result grid or a result list ("结果导入EXCEL", menu item "导出EXCEL").
//
//   widgets::exportGrid(page, *grid, QStringLiteral("工业噪声预测计算结果"));
//   widgets::exportListTable(dialog, *list, QStringLiteral("二维稳态混合模式计算结果"));
//
// A grid exports its row 0 as the column names and rows 1 .. row count - 1 as records, and does
// nothing when it has no record; a list exports its captions and every row, and does nothing
// when it is empty. Every value goes out as text exactly as the cell shows it. The flow:
//   1. save dialog "导出" proposing the local time as "%04d%02d%02d%02d%02d%02d" + ".xlsx",
//      filters "Excel文件(*.xlsx)" and all files; ".xlsx" is added to a name without extension;
//   2. when the file exists: the overwrite question (No shows the dialog again);
//   3. missing folders along the path are created;
//   4. an existing file that cannot be replaced: "覆盖文件时出错！";
//   5. the workbook is written under a temporary name and renamed into place, so a failure
//      never leaves a partial file; a failure is reported with its reason;
//   6. "导出文件保存于%s!" with the path.
// The sheet is named after the title (made a valid sheet name). All prompts go through
// widgets/prompts.h. The functions return true when a file was written.
#pragma once

#include <QDateTime>
#include <QString>

#include "core/calculator.h"

class QWidget;

namespace widgets {

class CGridCtrl;
class ListTable;

inline const QString kExportDialogTitle = QStringLiteral("导出");
inline const QString kExportFilter = QStringLiteral("Excel文件(*.xlsx);;所有文件(*)");

// "20261207093005.xlsx" for 2026-12-07 09:30:05.
QString defaultExportFileName(const QDateTime& localTime);

// Steps 1 to 4 above: the chosen path, or an empty string when cancelled or refused.
QString chooseExportFile(QWidget* parent);

bool exportGrid(QWidget* parent, const CGridCtrl& grid, const QString& title);
bool exportListTable(QWidget* parent, const ListTable& list, const QString& title);
// A plain table (headers and rows); nothing when it has no rows.
bool exportTable(QWidget* parent, const core::Table& table, const QString& title);

}  // namespace widgets
