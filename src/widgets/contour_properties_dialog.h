// The "等值线属性" dialog: adds, deletes and edits contour levels and their line styles.
//
// The dialog works on a copy of the levels; the window takes levels() after "确定" and traces
// again. Style edits go straight into the shared style table and stay after "取消" too. Rows and
// style entries are paired by level value, and the table is kept in ascending order, so a
// level whose value is edited keeps its own colour and width.
#pragma once

#include <QDialog>

#include "present/contour.h"

class QLineEdit;
class QTableWidget;

namespace widgets {

inline const QString kMsgLevelOutOfRange = QStringLiteral("等级值数据超出范围");
inline const QString kMsgLevelExists = QStringLiteral("等级值已经存在,请重新输入!");
inline const QString kMsgSelectRowToDelete = QStringLiteral("请选中行后再进行删除！");

class ContourPropertiesDialog : public QDialog {
  Q_OBJECT

 public:
  ContourPropertiesDialog(const present::ContourLevels& levels, float zmin, float zmax,
                          present::LevelStyleTable& styles, QWidget* parent = nullptr);

  const present::ContourLevels& levels() const { return m_levels; }
  QLineEdit* valueEdit() const { return m_value; }
  QTableWidget* table() const { return m_table; }

 public slots:
  void addLevel();      // "增加"
  void deleteLevels();  // "删除"
  // Double-click on a cell: column 0 edits the value, column 1 the line style.
  void editCell(int row, int column);

  // What the value and line-type dialogs hand back for a row.
  void setRowValue(int row, float value);
  void setRowStyle(int row, float width_mm, present::Rgb colour);

 private:
  void refill();
  bool existsAsShown(float value, int except_row) const;

  present::ContourLevels m_levels;
  float m_zmin, m_zmax;
  present::LevelStyleTable& m_styles;
  QLineEdit* m_value;
  QTableWidget* m_table;
};

// The "等级值" dialog: one real field.
class LevelValueDialog : public QDialog {
  Q_OBJECT

 public:
  explicit LevelValueDialog(float value, QWidget* parent = nullptr);
  float value() const { return m_result; }
  QLineEdit* edit() const { return m_edit; }

 public slots:
  void accept() override;

 private:
  QLineEdit* m_edit;
  float m_result;
};

}  // namespace widgets
