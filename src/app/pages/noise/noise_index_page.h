// The evaluation-quantity page (CNoiseIndexDlg): the Leq/Ldn radio pair shows the fields of its
// mode, "等间隔取样" hides the intervals, and the result line and the explanation sit under
// the form. After a Leq computation both lists show the numbers as they were read.
#pragma once

#include "app/page_hook.h"

class QLabel;

namespace app {

class NoiseIndexPageHook : public PageHook {
 public:
  void setup(CalculatorPage& page) override;
  void clearResults(CalculatorPage& page) override;
  bool showOutcome(CalculatorPage& page, const std::string& action,
                   const core::Outcome& outcome) override;

 private:
  void updateVisibility(CalculatorPage& page);

  QLabel* m_result = nullptr;
  QLabel* m_explanation = nullptr;
};

}  // namespace app
