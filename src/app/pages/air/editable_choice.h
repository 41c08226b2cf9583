// A text field with suggested entries is an editable drop-down on the page; picking an entry
// calls back with its text (to fill the fields that go with it).
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
