#include "models/noise/barrier_path_difference.h"
#include "models/noise/decibel_calc.h"
#include "models/noise/embankment_attenuation.h"
#include "models/noise/finite_barrier.h"
#include "models/noise/highway_noise.h"
#include "models/noise/industrial_noise.h"
#include "models/noise/noise_index.h"
#include "models/noise/noise_map_desc.h"
#include "models/noise/road_noise.h"
#include "models/noise/workshop_noise.h"
#include "models/registry.h"

namespace models {

void registerNoise(core::Registry& r) {
  r.add(noise::pathDifferenceDesc());
  r.add(noise::finiteBarrierDesc());
  r.add(noise::embankmentDesc());
  r.add(noise::industrialNoiseDesc());
  r.add(noise::roadNoiseDesc());
  r.add(noise::noiseIndexDesc());
  r.add(noise::decibelCalcDesc());
  r.add(noise::greenDesc());
  r.add(noise::lp1Desc());
  r.add(noise::stueberDesc());
  r.add(noise::highwayDesc());
  r.add(noise::vehicleSpeedDesc());
  r.add(noise::noiseMapDesc());
}

}  // namespace models
