// The Green formula page (CGreenNoiseDlg): the list of levels by distance under the form,
// "Lp1计算" with the Lp1 dialog, and "分贝计算器".
#pragma once

#include "app/page_hook.h"

namespace widgets {
class ListTable;
}

namespace app {

class GreenNoisePageHook : public PageHook {
 public:
  void setup(CalculatorPage& page) override;
  bool handleAction(CalculatorPage& page, const std::string& action) override;
  void clearResults(CalculatorPage& page) override;
  bool showOutcome(CalculatorPage& page, const std::string& action,
                   const core::Outcome& outcome) override;

  widgets::ListTable* list() const { return m_list; }

 private:
  widgets::ListTable* m_list = nullptr;
};

}  // namespace app
