// Small helpers the noise pages and dialogs share for rearranging the generic form.
#pragma once

#include <string>

class QPushButton;
class QWidget;

namespace app {

class CalculatorPage;

// Shows or hides a field's row: its label, control (or radio buttons) and unit.
void setRowVisible(CalculatorPage& page, const std::string& key, bool visible);
// Enables or disables a field's row.
void setRowEnabled(CalculatorPage& page, const std::string& key, bool enabled);
// The labels carry their units ("屏蔽高度H[m]"): a second unit text would repeat them.
void hideUnitsInLabels(CalculatorPage& page);
// Caps the width of every line edit of the page, so two columns of groups fit the page.
void narrowFields(CalculatorPage& page, int max_px);
// Stacks the buttons of a radio group one under the other.
void stackRadios(CalculatorPage& page, const std::string& key);
// Puts a widget (an "自动计算" button) at the end of a field's row.
void placeBesideField(CalculatorPage& page, const std::string& key, QWidget* w);

}  // namespace app
