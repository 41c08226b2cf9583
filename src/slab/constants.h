// Physical constants and model coefficients of SLAB (Ermak 1990), as single-precision values of
// the decimals the model states.
#pragma once

namespace slab::detail {

constexpr float kRr = 8.31431f;    // gas constant, J/(mol K)
constexpr float kWma = 0.02896f;   // molar mass of dry air, kg/mol
constexpr float kCpa = 1005.87f;   // heat capacity of dry air, J/(kg K)
constexpr float kGrav = 9.80665f;  // gravity, m/s2
constexpr float kPa = 101325.f;    // ambient pressure, Pa
constexpr float kWmw = 0.01802f;   // molar mass of water, kg/mol
constexpr float kRhowl = 1000.f;   // density of liquid water, kg/m3
constexpr float kCpwv = 1846.f;    // heat capacity of water vapour, J/(kg K)
constexpr float kCpwl = 4178.f;    // heat capacity of liquid water, J/(kg K)
constexpr float kDhw = 2441000.f;  // latent heat of water, J/kg
constexpr float kSpaw = 15.08f;    // water saturation: p/pa = exp(spaw - spbw/T)
constexpr float kSpbw = 5514.f;    //   (K)
constexpr float kXk = 0.41f;       // von Karman constant
constexpr float kAa = 1.50f;       // vertical entrainment coefficient
constexpr float kCf00 = 0.086f;    // reference friction coefficient
constexpr float kSigb = 0.0004f;   // horizontal growth parameter, 1/m
constexpr float kCf1 = 0.02f;      // shear entrainment coefficient
constexpr float kCri = 0.025f;     // Richardson factor of the vertical entrainment
constexpr float kCth = 0.14f;      // convective heat-transfer coefficient
constexpr float kAlfgv = 0.75f;    // gravity-spreading coefficient of the impulses
constexpr float kCws = 0.05f;      // source-velocity term in the surface shear
constexpr float kTav0 = 900.f;     // reference averaging time of the horizontal growth, s
constexpr float kTau0 = 10.f;      // time constant of the averaging-time factor, s
constexpr float kHrf = 4.0f;       // reference height of the vertical entrainment, m
constexpr float kThird = 1.f / 3.f;
constexpr float kTutrd = kThird + kThird;
constexpr float kF227 = 2.f / 27.f;

// sqrt(3), sqrt(2), sqrt(pi) as the float square roots (the model's pi is 3.141592654).
extern const float kSr3, kSr2, kSrpi;

}  // namespace slab::detail
