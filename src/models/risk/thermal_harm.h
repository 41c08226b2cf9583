// Harm from a received heat flux: probit-style quantities for death and for second- and
// first-degree burns, one tenth of the probit and clipped to [0, 1]
// (major-hazard classification practice, after Pietersen's probit equations):
//   L  = ln(t (0.4 q)^(4/3))
//   Pd = (2.56 L - 36.38) / 10,  P2 = (3.0188 L - 43.14) / 10,  P1 = (3.0186 L - 39.83) / 10
#pragma once

namespace models::risk {

struct ThermalHarm {
  double death = 0;        // Pd
  double second_burn = 0;  // P2
  double first_burn = 0;   // P1
};

// q: received heat flux, W/m^2; t: exposure time, s. Each quantity is limited to [0, 1] on its
// own, so a flux that burns without killing reports its burns. A non-finite quantity (q < 0)
// stays non-finite.
ThermalHarm thermalHarm(double q_w_m2, double t_s);

// A quantity limited to [0, 1]; NaN passes through.
double clipUnit(double p);

}  // namespace models::risk
