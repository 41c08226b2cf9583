// Mixing-stretch page: the radio pair enables the decay rate only for the decay mode; the
// result list shows distance and concentration.
#pragma once

#include "app/page_hook.h"

namespace widgets {
class ListTable;
}

namespace app {

class FroMixingPageHook : public PageHook {
 public:
  void setup(CalculatorPage& page) override;
  void clearResults(CalculatorPage& page) override;
  bool showOutcome(CalculatorPage& page, const std::string& action,
                   const core::Outcome& outcome) override;

 private:
  widgets::ListTable* m_list = nullptr;
};

}  // namespace app
