#include "app/pages/air/sub_form.h"

#include "app/calculator_page.h"

namespace app {

std::optional<core::Values> readSubForm(CalculatorPage& page, const FieldFilter& owns) {
  if (!page.readForm(owns)) return std::nullopt;
  return page.values();
}

std::optional<core::Outcome> computeSubForm(CalculatorPage& page, const std::string& action,
                                            const FieldFilter& owns) {
  const auto v = readSubForm(page, owns);
  if (!v || !page.desc().compute) return std::nullopt;
  core::Outcome o = page.desc().compute(*v, action);
  if (o.failure) {
    page.showFailure(*o.failure);
    return std::nullopt;
  }
  return o;
}

void showSubFormResults(CalculatorPage& page, const core::Outcome& o) { page.showResultFields(o); }

}  // namespace app
