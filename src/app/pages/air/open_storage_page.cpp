#include "app/pages/air/open_storage_page.h"

#include <QLineEdit>

#include "app/calculator_page.h"
#include "app/pages/air/editable_choice.h"
#include "core/format.h"
#include "core/parse.h"
#include "models/air/fugitive_open_storage.h"

namespace app {

namespace {
// The temperature as the form shows it now, or the last value read when it is no number.
double currentTemperature(CalculatorPage& page) {
  if (auto* e = qobject_cast<QLineEdit*>(page.control("T"))) {
    const auto p = core::parseNumber(e->text().toStdString());
    if (p.ok()) return static_cast<float>(p.value);
  }
  return page.values().f("T");
}
}  // namespace

void OpenStoragePageHook::setup(CalculatorPage& page) {
  attachEditableChoice(page, "substance", [&page](const QString& entry) {
    const auto pv =
        models::air::substanceVapourPressure(entry.toStdString(), currentTemperature(page));
    if (!pv) return;
    writeFieldText(page, "Pv",
                   QString::fromStdString(core::formatFloatField(static_cast<float>(*pv))));
  });
}

}  // namespace app
