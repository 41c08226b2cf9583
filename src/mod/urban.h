// The urban boundary layer (Cimorelli et al. 2004, AERMOD: Description of Model Formulation,
// EPA-454/R-03-004, section 5.8): at night, and in the morning while the convective layer is
// still below the urban mixing height, the heat island of a city of population P gives urban
// sources a shallow mixed layer with convective turbulence added to the rural profiles.
#pragma once

#include "mod/met.h"
#include "mod/profiles.h"

namespace mod {

// Urban mixing height z_iu = 400·(P/P_ref)^0.25 with P_ref = 2·10⁶, m.
double urbanMixingHeight(double population);

// The profiles an urban source sees in this hour. False when the hour is not an urban hour (a
// convective hour with z_ic above z_iu): urban sources are then computed as rural. Throws
// InputError naming the surface line when the urban layer is undefined for this hour's values.
bool urbanProfiles(const HourProfiles& rural, const MetHour& hour, double population,
                   double urbanZ0, double zBase, const std::string& surfaceFile,
                   HourProfiles& urban);

}  // namespace mod
