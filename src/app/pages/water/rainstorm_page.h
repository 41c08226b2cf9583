// Rainstorm page: choosing a province fills the city list and shows the reference formula of
// its first city; choosing a city shows its formula. The formula is a four-line text in a
// fixed-width font, so the fraction bar lines up. The city field is exchanged as the chosen
// city's name; the page shows a drop-down list in its place.
#pragma once

#include "app/page_hook.h"

class QComboBox;
class QLabel;

namespace app {

class RainstormPageHook : public PageHook {
 public:
  void setup(CalculatorPage& page) override;

  QComboBox* cityList() const { return m_cities; }
  QLabel* reference() const { return m_reference; }

 private:
  void provinceChosen(CalculatorPage& page, int province);
  void cityChosen(CalculatorPage& page, int city);

  QComboBox* m_cities = nullptr;
  QLabel* m_reference = nullptr;
};

}  // namespace app
