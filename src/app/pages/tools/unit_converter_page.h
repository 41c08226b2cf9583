// Unit converter page: kinds and units from the unit table data.ini in the user's data folder
// (a default table is copied there on first use), conversion when a value field is left, and
// the section that appends a unit to the table.
#pragma once

#include <QString>
#include <QWidget>

#include "app/page_hook.h"
#include "tools/unit_table.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace app {

inline const QString kUnitHintFile = QStringLiteral(
    "如需修改相应值或单位，可以在目录下data.ini文件里直接修改，也可以直接在文件里面添加，"
    "要按照相应格式，不要改变里面的格式。");
inline const QString kUnitHintConvert =
    QStringLiteral("注：在单位前面输入框直接输入数值就自动换算。");
inline const QString kUnitMissingInput = QStringLiteral("请输入单位或相应值！");
inline const QString kUnitBadAmount = QStringLiteral("相应值必须是大于0的数，请重新输入！");
inline const QString kUnitBadName =
    QStringLiteral("单位种类和单位名称中不能含有方括号或换行，请重新输入！");

// The unit table file: data.ini in the per-user data folder, unless a test set another path.
QString unitTablePath();
void setUnitTablePath(const QString& path);  // an empty path restores the default

class UnitConverterPanel : public QWidget {
  Q_OBJECT
 public:
  explicit UnitConverterPanel(QWidget* parent = nullptr);

  // Reads the table (creating it from the default when missing) and refills the page, keeping
  // the chosen kind when it is still there. Runs when the page is first shown.
  void load();

  const models::tools::UnitTable& table() const { return m_table; }
  float leftValue() const { return m_left; }
  float rightValue() const { return m_right; }

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  void build();
  void applyKind();
  void unitChanged();
  void valueLeft(bool left_side);
  void addKindLeft();
  void add();
  bool factorsUsable(float lf, float rf);
  QString kind() const;

  bool m_loaded = false;
  models::tools::UnitTable m_table;
  QString m_path;
  float m_left = 0, m_right = 0;  // the two values, single precision as the form keeps them
  QLabel* m_path_label = nullptr;
  QComboBox* m_kind = nullptr;
  QLineEdit* m_left_value = nullptr;
  QComboBox* m_left_unit = nullptr;
  QLineEdit* m_right_value = nullptr;
  QComboBox* m_right_unit = nullptr;
  QLineEdit* m_add_kind = nullptr;
  QLineEdit* m_add_base_value = nullptr;
  QLineEdit* m_add_base_unit = nullptr;
  QLineEdit* m_add_amount = nullptr;
  QLineEdit* m_add_unit = nullptr;
  QPushButton* m_add = nullptr;
};

class UnitConverterPageHook : public PageHook {
 public:
  void setup(CalculatorPage& page) override;
};

}  // namespace app
