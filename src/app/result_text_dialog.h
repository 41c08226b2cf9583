// A small dialog that shows a result text: "复制到剪贴板" copies the text the user selected,
// "关闭" closes the dialog with the OK result.
#pragma once

#include <QDialog>

class QTextEdit;

namespace app {

class ResultTextDialog : public QDialog {
  Q_OBJECT
 public:
  ResultTextDialog(const QString& title, const QString& text, QWidget* parent = nullptr);
  QTextEdit* textBox() const { return m_text; }
  // Copies the current selection of the text box (nothing when nothing is selected).
  void copySelection();

 private:
  QTextEdit* m_text = nullptr;
};

}  // namespace app
