// Outdoor noise from a plant's scene file:
//   kuvacalc-cli noise-map SCENE [--json] [--grid OUT.grd] [--grid-night OUT.grd]
//                                [--threads N] [--sources]
// prints every receptor's levels (per band and A-weighted, day and night contribution,
// background, predicted level, limit, exceedance, largest contributors); --grid writes the day
// contribution over the scene's grid as a Surfer grid file (--grid-night the night one).
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace cli {

// args: "noise-map", SCENE, options. Exit status: 0 done, 1 a grid file cannot be written,
// 2 a bad scene (nothing computed) or a usage error.
int runNoiseMapCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace cli
