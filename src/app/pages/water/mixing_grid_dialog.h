// The grid result dialog of the two-dimensional mixing pages (distance and cumulative-flow
// variants): the concentration list, its spreadsheet export and the contour map, and the page
// hook both pages share (decay-rate enabling, the single point, the grid dialog).
#pragma once

#include <QDialog>
#include <QString>

#include "app/page_hook.h"
#include "core/calculator.h"

class QPushButton;

namespace widgets {
class ListTable;
}

namespace app {

class MixingGridDialog : public QDialog {
  Q_OBJECT

 public:
  // className: "CMixing2DGridDlg" or "CCumulativeFlowGridDlg" (the dialog's object name);
  // caption by mode; table = the list (its title is the export title); grid = the values the
  // contour map draws, with its limits.
  MixingGridDialog(QWidget* parent, const QString& className, const QString& caption,
                   const core::Table& table, core::Outcome::Grid grid);

  widgets::ListTable* list() const { return m_list; }

  // "复制选中表格": the selected cells as TAB / CR LF text; a message when none is selected.
  void copySelection();
  // "结果导入EXCEL": the list under the export title.
  void exportList();
  // "绘制等值线": "没有数据,请先计算!" on an empty list; otherwise write "result.grd" and open
  // the contour map window on it. Returns true when the file was written.
  bool drawContours();

 private:
  widgets::ListTable* m_list = nullptr;
  QString m_title;
  core::Outcome::Grid m_grid;
};

// The page hook of both mixing pages. The radio pair enables K1 only for the decay mode; the
// grid action opens the grid dialog instead of writing the form (the lateral limits the model
// swapped stay on the page as typed).
class MixingPageHook : public PageHook {
 public:
  using CaptionFn = const char* (*)(int mode);
  MixingPageHook(QString gridClassName, CaptionFn caption)
      : m_gridClassName(std::move(gridClassName)), m_caption(caption) {}

  void setup(CalculatorPage& page) override;
  bool showOutcome(CalculatorPage& page, const std::string& action,
                   const core::Outcome& outcome) override;

 private:
  QString m_gridClassName;
  CaptionFn m_caption;
};

}  // namespace app
