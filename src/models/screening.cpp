#include "models/screening.h"

#include "models/air/protection_distance.h"
#include "models/air/screen3_estimate.h"

namespace models {

core::ComputeFn screeningCompute(const std::string& id, const screen::RunStep& step) {
  if (id == air::screen3EstimateDesc().id) return air::screen3Compute(step);
  if (id == air::protectionDistanceDesc().id) return air::protectionCompute(step);
  return {};
}

}  // namespace models
