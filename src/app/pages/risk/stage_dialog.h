// A small calculator opened as a modal dialog from a page: the generic form of a calculator
// description with its compute button, closed with the window's close box. The opener reads
// the values of the last computation from page() once exec() returns.
#pragma once

#include <QDialog>

#include "core/calculator.h"

namespace app {

class CalculatorPage;

class StageDialog : public QDialog {
  Q_OBJECT
 public:
  // takeOverOnClose: closing first reads the fields as they stand (an unreadable number gets
  // the number prompt and keeps the dialog open).
  StageDialog(const core::CalculatorDesc& desc, bool takeOverOnClose, QWidget* parent = nullptr);

  CalculatorPage* page() const { return m_page; }
  // True once a computation succeeded; a dialog closed unused hands nothing back.
  bool computed() const { return m_computed; }

  // The close box and Escape end here (the dialog's close event rejects it); a computation's
  // values are handed back either way.
  void reject() override;

 private:
  bool takeOver();

  CalculatorPage* m_page = nullptr;
  bool m_takeOver = false;
  bool m_computed = false;
};

}  // namespace app
