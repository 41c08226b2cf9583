// "导出计算书…": the calculation sheet of a page written as PDF (or HTML), and the page's
// context menu that offers it together with the project file commands.
#pragma once

#include <QString>

namespace app {

class CalculatorPage;
class CMainDlg;

inline const QString kSheetMenuText = QStringLiteral("导出计算书…");
inline const QString kNewProjectText = QStringLiteral("新建工程");
inline const QString kSaveProjectText = QStringLiteral("保存工程…");
inline const QString kOpenProjectText = QStringLiteral("打开工程…");

// Writes the sheet of the page's last result (computing with the first action when there is
// none yet); asks for the file through the save-file sink. Returns true when a sheet was written.
// `project` is the file of the open project (named in the sheet's header), empty when none.
bool exportSheet(CalculatorPage& page, const QString& project = {});
// Writes the sheet to `path` without asking (PDF, or HTML for *.html); an empty text on success.
QString writePageSheet(CalculatorPage& page, const QString& path, const QString& project = {});

// The page's context menu: the sheet, then the project file commands of the main window.
void installPageMenu(CalculatorPage& page, CMainDlg& main);

}  // namespace app
