// Pages made of several sub-forms or tabs, each with its own compute button: a button reads
// only the fields of its own sub-form, so a value typed into a hidden sub-form neither stops
// the compute nor takes the focus. Results go straight to their controls; the rest of the form
// keeps what was typed into it.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "core/calculator.h"

namespace app {

class CalculatorPage;

using FieldFilter = std::function<bool(const core::FieldDesc&)>;  // as CalculatorPage::FieldFilter

// The page's values with the fields that `owns` accepts read from their controls. On the first
// unreadable number: the number prompt, the focus into that control, and nothing.
std::optional<core::Values> readSubForm(CalculatorPage& page, const FieldFilter& owns);

// Reads the sub-form, computes `action` and shows a failure's message. Returns the outcome of
// a successful compute.
std::optional<core::Outcome> computeSubForm(CalculatorPage& page, const std::string& action,
                                            const FieldFilter& owns);

// Writes the outcome's result fields into their controls only.
void showSubFormResults(CalculatorPage& page, const core::Outcome& o);

}  // namespace app
