// Oil tank losses page: the two drop-downs choose which of the five sub-forms is shown; each
// sub-form has its own compute button and a result line that the result replaces. The
// floating-roof working form shows the column support only for the internal floating roof,
// and the column fields only while the support box is ticked; the product and wall drop-downs
// set the wall adhesion.
#pragma once

#include "app/page_hook.h"

class QGroupBox;
class QLabel;

namespace app {

class TankLossesPageHook : public PageHook {
 public:
  void setup(CalculatorPage& page) override;
  // Each sub-form's button reads only its own sub-form and the two drop-downs.
  bool handleAction(CalculatorPage& page, const std::string& action) override;
  void clearResults(CalculatorPage& page) override;

  // The sub-form group of an index into the sub-form list, and its result line.
  static QGroupBox* subForm(CalculatorPage& page, int index);
  static QLabel* resultLine(CalculatorPage& page, const std::string& action);

  // Shows the sub-form of the current drop-downs and the support fields that apply.
  static void showCase(CalculatorPage& page);
};

}  // namespace app
