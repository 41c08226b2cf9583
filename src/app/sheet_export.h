// "导出计算书…": the calculation sheet of a page written as PDF (or HTML), and the page's
// context menu that offers it together with the project file commands.
#pragma once

#include <QString>

class QWidget;

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

// A sheet is written as PDF or HTML only.
inline const QString kSheetSuffixMessage =
    QStringLiteral("计算书只能保存为 PDF（.pdf）或 HTML（.html）文件，请换一个文件名。");
// The save dialog of "导出计算书": a name without extension becomes PDF, an existing file is
// replaced only when the user says so, another extension is refused. Empty when nothing chosen.
QString chooseSheetFile(QWidget& page, const QString& proposed);

// The page's context menu: the sheet, then the project file commands of the main window.
void installPageMenu(CalculatorPage& page, CMainDlg& main);

}  // namespace app
