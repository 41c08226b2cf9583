#include "models/noise/barrier_path_difference.h"
#include "models/noise/embankment_attenuation.h"
#include "models/noise/finite_barrier.h"
#include "models/noise/industrial_noise.h"
#include "models/noise/road_noise.h"
#include "models/registry.h"

namespace models {

void registerNoise(core::Registry& r) {
  r.add(noise::pathDifferenceDesc());
  r.add(noise::finiteBarrierDesc());
  r.add(noise::embankmentDesc());
  r.add(noise::industrialNoiseDesc());
  r.add(noise::roadNoiseDesc());
}

}  // namespace models
