#include "models/air/flue_gas.h"
#include "models/air/fugitive_dust.h"
#include "models/air/fugitive_equipment_leak.h"
#include "models/air/fugitive_liquid_evaporation.h"
#include "models/air/fugitive_odour.h"
#include "models/air/fugitive_open_storage.h"
#include "models/air/point_source.h"
#include "models/air/prediction/prediction_desc.h"
#include "models/air/protection_distance.h"
#include "models/air/sanitary_distance.h"
#include "models/air/screen3_estimate.h"
#include "models/air/tank_losses.h"
#include "models/registry.h"

namespace models {

void registerAir(core::Registry& r) {
  r.add(air::flueGasDesc());
  r.add(air::tankLossesDesc());
  r.add(air::openStorageDesc());
  r.add(air::liquidEvaporationDesc());
  r.add(air::equipmentLeakDesc());
  r.add(air::odourRateDesc());
  r.add(air::fugitiveDustDesc());
  r.add(air::protectionDistanceDesc());
  r.add(air::screen3EstimateDesc());
  r.add(air::sanitaryDistanceDesc());
  r.add(air::pointSourceDesc());
  r.add(air::airPredictionDesc());
}

}  // namespace models
