// An editable drop-down in place of a text field's line edit: the user picks an entry or types
// a name of their own. The page keeps reading the (hidden) line edit, which follows the
// drop-down's text; picking an entry calls back with its text.
#pragma once

#include <QString>
#include <functional>
#include <string>

class QComboBox;

namespace app {

class CalculatorPage;

QComboBox* attachEditableChoice(CalculatorPage& page, const std::string& key,
                                std::function<void(const QString& entry)> on_chosen);

// Writes a text into a field's line edit as a drop-down choice writes it, without rewriting
// the other fields of the form (their typed text is still to be read).
void writeFieldText(CalculatorPage& page, const std::string& key, const QString& text);

}  // namespace app
