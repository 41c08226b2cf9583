// Putting a value handed back by a sub-dialog into one field of a page. Only that control is
// written: the other fields may hold text typed since the last compute, which the next compute
// reads.
#pragma once

#include <string>

namespace app {

class CalculatorPage;

// The value as a single-precision field shows it.
void setFieldText(CalculatorPage& page, const std::string& key, double value);

}  // namespace app
