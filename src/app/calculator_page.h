// The generic calculator page: builds a form from a calculator description, reads it with the
// framework's number prompt, runs the checks and the compute, and writes the results back.
//
// Layout: one group box per field group (in the order groups first appear), each a grid of
// label | control | unit rows; then a row of action buttons; then, when the description has a
// result text, a read-only rich-text box. Hooks (page_hook.h) add anything special.
//
// Messages go through widgets::showMessage, so tests can read them.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "app/page_hook.h"
#include "core/calculator.h"

class QGridLayout;
class QGroupBox;
class QLabel;
class QPushButton;
class QTextEdit;
class QVBoxLayout;

namespace app {

// Text of the prompt for an unreadable or empty number.
inline const QString kNumberPrompt = QStringLiteral("请输入一个数字。");

class CalculatorPage : public QWidget {
  Q_OBJECT
 public:
  CalculatorPage(const core::CalculatorDesc& desc, QWidget* parent = nullptr);
  ~CalculatorPage() override;

  const core::CalculatorDesc& desc() const { return m_desc; }

  // The control of a field (QLineEdit, QComboBox, QCheckBox, or the first QRadioButton of a
  // radio group), the label beside it, the action button of an action name.
  QWidget* control(const std::string& key) const;
  QLabel* label(const std::string& key) const;
  QLabel* unitLabel(const std::string& key) const;
  QPushButton* button(const std::string& action) const;
  QGroupBox* group(const std::string& caption) const;
  QTextEdit* resultText() const { return m_result_text; }
  QVBoxLayout* contentLayout() const { return m_layout; }

  // The field values the page holds (inputs as last read or set, results as last stored).
  const core::Values& values() const { return m_values; }
  // Set a field's value (rounded to its storage precision) and show it in its control.
  void setValue(const std::string& key, double v);
  void setText(const std::string& key, const std::string& text);
  // Radio group helpers: index of the checked button.
  void setRadio(const std::string& key, int index);

  // Selects fields for a partial exchange (the sub-form or tab a button belongs to).
  using FieldFilter = std::function<bool(const core::FieldDesc&)>;

  // Exchange from the form, in exchange order (only the fields `owns` accepts, when given). On
  // the first unreadable number: the prompt, the focus into that control, and false; later
  // fields keep their values.
  bool readForm(const FieldFilter& owns = {});
  // Exchange to the form: every field (or every field `owns` accepts) formatted into its
  // control.
  void writeForm(const FieldFilter& owns = {});
  // Read, hook, check, compute, show; messages for failures. Returns true when results were
  // shown.
  bool runAction(const std::string& action);
  // Show an outcome's result fields and result text.
  void showResults(const core::Outcome& o);
  // Store and show only the outcome's result fields; every other control keeps what is typed
  // into it.
  void showResultFields(const core::Outcome& o);
  // Show a check failure: the message in its box, then the focus to its field.
  void showFailure(const core::CheckFailure& f);

  PageHook* hook() const { return m_hook.get(); }
  // The last outcome shown and the inputs it came from (for the calculation sheet); none
  // before the first compute or after new inputs were set.
  const core::Outcome* lastOutcome() const { return m_last_outcome ? &*m_last_outcome : nullptr; }
  const core::Values& lastInputs() const { return m_last_inputs; }

  // Project files (calculator_page_project.cpp). Every input as the page shows it: num is the
  // value, text the typed text of a number field. Reads quietly; `bad_key`, when given, gets the
  // first number field that does not hold a number (its value is then the last one read).
  core::Values formValues(std::string* bad_key = nullptr);
  // Shows the given inputs (missing keys keep their defaults) and clears the results.
  void setFormValues(const core::Values& inputs);
  // How often the inputs were replaced that way: a computation still running then belongs to
  // the old inputs and must not show its results.
  int inputsReplaced() const { return m_inputs_replaced; }

 signals:
  void computed(const QString& action);

 private:
  void build();
  void buildFieldRows();
  QGridLayout* addGroup(const std::string& caption);
  void addRadioRow(const core::FieldDesc& f, QGroupBox* box, QGridLayout* g, int row);
  void addFieldRow(const core::FieldDesc& f, QGroupBox* box, QGridLayout* g, int row);
  void buildActionBar();
  void buildResultArea();
  QWidget* makeControl(const core::FieldDesc& f, QWidget* parent);

  const core::CalculatorDesc& m_desc;
  std::unique_ptr<PageHook> m_hook;
  core::Values m_values;
  QVBoxLayout* m_layout = nullptr;
  QTextEdit* m_result_text = nullptr;
  std::map<std::string, QWidget*> m_controls;
  std::map<std::string, std::vector<QWidget*>> m_radios;
  std::map<std::string, QLabel*> m_labels;
  std::map<std::string, QLabel*> m_units;
  std::map<std::string, QPushButton*> m_buttons;
  std::map<std::string, QGroupBox*> m_groups;
  std::optional<core::Outcome> m_last_outcome;
  core::Values m_last_inputs;
  int m_inputs_replaced = 0;
};

}  // namespace app
