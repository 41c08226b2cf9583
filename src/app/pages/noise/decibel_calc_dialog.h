// CDecibelCalcDlg: the modeless decibel calculator window. Keys on the window and on the
// keyboard (main and keypad digits, keypad ".", "+", "-", Enter, Backspace, Clear) drive the
// calculator of models/noise/decibel_calc.h; the red display never holds the focus.
#pragma once

#include <QDialog>
#include <map>

#include "models/noise/decibel_calc.h"

class QLineEdit;
class QPushButton;

namespace app {

class CDecibelCalcDlg : public QDialog {
  Q_OBJECT
 public:
  // A fresh window (the open one, if any, is destroyed first), not yet shown. It belongs to
  // the top-level window of `owner` (so it stays above it) and takes its stay-on-top flag.
  static CDecibelCalcDlg* create(QWidget* owner = nullptr);
  // The open window shown, raised and activated with its display kept, or a fresh one: what
  // the "分贝计算器" command and buttons do.
  static CDecibelCalcDlg* open(QWidget* owner = nullptr);
  // The window now open, or nullptr.
  static CDecibelCalcDlg* current();

  QLineEdit* display() const { return m_display; }
  QPushButton* keyButton(models::noise::DecibelKey key) const;
  // The text the display shows for a result: 6 significant digits.
  static QString displayText(double v);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  explicit CDecibelCalcDlg(QWidget* owner);
  void press(models::noise::DecibelKey key);

  models::noise::DecibelCalculator m_calc;
  QLineEdit* m_display = nullptr;
  std::map<models::noise::DecibelKey, QPushButton*> m_keys;
};

}  // namespace app
