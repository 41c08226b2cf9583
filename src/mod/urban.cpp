#include "mod/urban.h"

#include <algorithm>
#include <cmath>

#include "mod/errors.h"

namespace mod {

namespace {

constexpr double kRefPopulation = 2.0e6;
constexpr double kRuralCooling = 12.0;  // K
constexpr double kCp = 1004.0;          // J/(kg·K)

}  // namespace

double urbanMixingHeight(double population) {
  return 400.0 * std::pow(population / kRefPopulation, 0.25);
}

bool urbanProfiles(const HourProfiles& rural, const MetHour& hour, double population,
                   double urbanZ0, double zBase, const std::string& surfaceFile,
                   HourProfiles& urban) {
  const SurfaceRecord& s = hour.sfc;
  const double dT = kRuralCooling * (0.1 * std::log(population / kRefPopulation) + 1.0);
  const double ziu = urbanMixingHeight(population);
  // Night hours are urban; a convective hour only while its mixed layer is below z_iu.
  if (!rural.stable && rural.zic > ziu) return false;
  const double T = s.temp;
  const double rho = 101325.0 / (287.04 * T);
  // Upward heat flux of the heat island and its convective velocity scale.
  const double hu = (((0.03 * dT) * rural.ustar) * rho) * kCp;
  const double wsu = std::pow((((kG / T) / rho) / kCp) * hu * ziu, kThird);
  const double z7 = 7.0 * std::max(urbanZ0, rural.z0);
  const double bracket = 1.0 - z7 / std::max(ziu, rural.zim);
  if (!(bracket > 0.0))
    throw fileError(surfaceFile, s.line,
                    "the urban boundary layer is undefined: 7 times the roughness reaches the "
                    "mixing height");
  double usu =
      (wsu * std::sqrt(1.6 * std::pow(z7 / ziu, 2.0 * kThird))) / (1.3 * std::sqrt(bracket));
  usu = std::max(rural.ustar, usu);
  double lu = -(((rho * kCp) * T) * (usu * usu * usu)) / ((kKarman * kG) * hu);
  lu = rural.stable ? std::max(std::fabs(lu), rural.monin) : std::max(lu, rural.monin);

  urban = rural;
  urban.urban = true;
  urban.zi = std::max(ziu, rural.zim);
  urban.iZi = locate(urban.zi);
  urban.ustar = usu;
  urban.monin = lu;
  // Convective turbulence of the urban layer added to the rural profiles; nearly neutral inside.
  const Column& H = gridHeights();
  const double w2 = wsu * wsu;
  const double v2 = 0.35 * w2;
  const double z12 = 1.2 * ziu;
  for (int i = 1; i <= kLevels; ++i) {
    const double z = H[i];
    double svu;
    if (z <= ziu)
      svu = std::sqrt(v2);
    else if (z <= z12)
      svu = std::sqrt(interpolate(ziu, z12, v2, std::min(v2, 0.25), z));
    else
      svu = std::min(std::sqrt(v2), 0.5);
    double swu;
    if (z <= 0.1 * ziu)
      swu = std::sqrt((1.6 * std::pow(z / ziu, 2.0 * kThird)) * w2);
    else if (z <= ziu)
      swu = std::sqrt(0.35 * w2);
    else
      swu = std::sqrt((0.35 * w2) * std::exp(-((6.0 * (z - ziu)) / ziu)));
    const double sv = rural.sigmaV[i], sw = rural.sigmaW[i];
    urban.sigmaV[i] = std::sqrt(sv * sv + svu * svu);
    urban.sigmaW[i] = std::sqrt(sw * sw + swu * swu);
    if (z <= ziu) urban.thetaGrad[i] = 1.0e-5;
  }
  potentialTemperature(urban.theta, urban.thetaGrad, T, s.ztemp, zBase);
  trapezoidPieces(urban);
  return true;
}

}  // namespace mod
