#include "models/registry.h"
#include "models/risk/bleve.h"
#include "models/risk/flash_evaporation.h"
#include "models/risk/gas_leak.h"
#include "models/risk/heat_evaporation.h"
#include "models/risk/jet_fire.h"
#include "models/risk/liquid_leak.h"
#include "models/risk/mass_evaporation.h"
#include "models/risk/oil_film.h"
#include "models/risk/overpressure_chart.h"
#include "models/risk/pool_fire.h"
#include "models/risk/spill_evaporation.h"
#include "models/risk/toxic_release.h"
#include "models/risk/two_phase_leak.h"
#include "models/risk/vce.h"

namespace models {

void registerRisk(core::Registry& r) {
  r.add(risk::liquidLeakDesc());
  r.add(risk::gasLeakDesc());
  r.add(risk::twoPhaseLeakDesc());
  r.add(risk::spillEvaporationDesc());
  r.add(risk::flashEvaporationDesc());
  r.add(risk::heatEvaporationDesc());
  r.add(risk::massEvaporationDesc());
  r.add(risk::oilFilmDesc());
  r.add(risk::vceDesc());
  r.add(risk::overpressureChartDesc());
  r.add(risk::bleveDesc());
  r.add(risk::jetFireDesc());
  r.add(risk::poolFireDesc());
  r.add(risk::toxicReleaseDesc());
}

}  // namespace models
