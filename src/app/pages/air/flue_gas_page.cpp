#include "app/pages/air/flue_gas_page.h"

#include <QComboBox>

#include "app/calculator_page.h"
#include "app/pages/air/editable_choice.h"
#include "models/air/flue_gas.h"

namespace app {

void FlueGasPageHook::setup(CalculatorPage& page) {
  auto* fuel = qobject_cast<QComboBox*>(page.control("fuel"));
  if (!fuel) return;
  QObject::connect(fuel, &QComboBox::activated, &page, [&page](int index) {
    using models::air::Fuel;
    const auto preset = models::air::fuelPreset(index == 1 ? Fuel::Coal : Fuel::Oil);
    writeFieldText(page, "S", QString::fromUtf8(preset.sulphur_text));
    writeFieldText(page, "Cs", QString::fromUtf8(preset.so2_std_text));
    writeFieldText(page, "Cd", QString::fromUtf8(preset.dust_std_text));
  });
}

}  // namespace app
