// The working state of one SLAB calculation. The method is computed in single precision and in the
// order its equations are written, because the third printed digit depends on it; every quantity
// keeps the short name the model's documentation gives it (Ermak 1990) so that the equations in
// the source read as they do there.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "slab/slab.h"

namespace slab::detail {

constexpr int kRows = 61;  // printed rows per table

// Thrown inside the engine only; run() turns it into a status and a message.
struct Refusal {
  Status status;
  std::string message;
};

// A fixed array of floats indexed by int (the model's arrays are 1-based).
template <size_t N>
struct Floats {
  float v[N] = {};
  float& operator[](int i) { return v[i]; }
  const float& operator[](int i) const { return v[i]; }
};
using RowArray = Floats<static_cast<size_t>(kRows + 2)>;

// Row arrays, 1-based (index 0 unused).
struct Rows {
  RowArray xp{}, bbp{}, bp{}, vgp{}, cmp{}, tp{}, rhop{}, up{}, hp{}, cvp{}, betap{}, wp{}, vp{},
      cmdap{}, cmwp{}, cmwvp{}, cmevp{}, uap{}, wcp{}, zcp{}, qintp{}, timp{}, bbxp{}, bxp{},
      betaxp{}, ugp{}, vxp{}, tccp{}, xccp{};
};

struct State {
  // Deck values (some are changed by the set-up and stay changed for the next meteorology set).
  int idspl = 0, ncalc = 0;
  float wms = 0, cps = 0, tbp = 0, cmed0 = 0, dhe = 0, cpsl = 0, rhosl = 0, spb = 0, spc = 0;
  float ts = 0, qs = 0, as = 0, tsd = 0, qtis = 0, hs = 0, tav = 0, xffm = 0;
  std::array<float, 5> zp{};
  float z0 = 0, za = 0, ua = 0, ta = 0, rh = 0, stab = 0, ala = 0;

  // Constants that a set-up may change.
  float spaw = 0, alfg = 0;
  int nssm = 0, msfm = 0, mnfm = 0, utst = 1, keval = 0;
  float slup = 0, sctst = 0;

  // Ambient air, stability and wind profile.
  float spa = 0, stb = 0, al1 = 0, al2 = 0, al3 = 0, en2 = 0, en3 = 0, eni = 0, dln = 0, alm = 0;
  float rpwa = 0, cmwa = 0, cmdaa = 0, cpaa = 0, wmae = 0, rhoa = 0, afa = 0, zl = 0, ala0 = 0;
  float hmx = 0, bs = 0, phimi = 0, phgam = 0;
  float zt = 0, cu1 = 0, cu2 = 0, uastr = 0, uastr2 = 0, uaz2 = 0, tffm = 0, cf0 = 0, rcf = 0,
        urf = 0;

  // Source.
  float rhos = 0, qtcs = 0, hqtcs = 0, ws = 0, us = 0, bse = 0, cmed = 0, rmi = 0, hs0 = 0;
  float xcc0 = 0, bxs0 = 0, tgon = 1, xstr = 0;
  int nxtr = 0, idpf = 0;

  // Cloud.
  float x = 0, xn = 0, tim = 0, timn = 0, dt = 0, dx = 0, gam = 0;
  float r = 0, r0 = 0, bb = 0, bb0 = 0, b = 0, b0 = 0, bbv = 0, bbv0 = 0, bv = 0, bv0 = 0;
  float bbx = 0, bbx0 = 0, bx = 0, bx0 = 0, bbvx = 0, bbvx0 = 0, bvx = 0, bvx0 = 0;
  float beta = 0, betax = 0, h = 0, h0 = 0, htp = 0, htp0 = 0, zc = 0, zc0 = 0;
  float u = 0, u0 = 0, uab = 0, uab0 = 0, vg = 0, vg0 = 0, ug = 0, ug0 = 0, wc = 0, wc0 = 0;
  float w = 0, v = 0, vx = 0, rho = 0, rho0 = 0, t = 0, t0 = 0, cp = 0, cp0 = 0;
  float cm = 0, cm0 = 0, cv = 0, cmw = 0, cmw0 = 0, cmwv = 0, cmwv0 = 0, cmev = 0, cmev0 = 0;
  float cmda = 0, cmwd = 0, qint = 0, qint0 = 0, sru0 = 0, srug = 0, ubs2 = 0, ubs20 = 0;
  float g = 0, gx = 0, gw = 0, sft = 0, sfu = 0, sfy = 0, sfx = 0, sfz = 0;
  float fu = 0, fv = 0, fw = 0, ft = 0, fug = 0, wss = 0, dbt = 0, dbbx = 0;
  float utm3 = 0, utc3 = 0, utg3 = 0, ut0 = 0, bmin = 0, bmax = 0, alfm = 0, betm = 0;
  Floats<16> f, dy;

  Rows rows;
  std::vector<Summary> summaries;
};

// The model's steps (engine.cpp, plume.cpp, thermo.cpp).
float uafn(const State& s, float z);
float stabilityFactor(const State& s);  // stby from ala
void thermo(State& s);
void evalpf(State& s);
void entran(State& s);
void eval(State& s);
void store(State& s, int nx);
void summarize(State& s);
void runPuff(State& s, int firstRow);
void setupPool(State& s);
void setupHorizontalJet(State& s);
void setupVerticalJet(State& s);
void nearField(State& s);
void afterIntegration(State& s);

// Error function in double from a float argument, rounded to float (errint.cpp).
float errint(float x);
// a^n for an integer n by binary powering in float.
float ipow(float a, int n);

}  // namespace slab::detail
