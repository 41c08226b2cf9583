// The steady-plume phase of SLAB (Ermak 1990) for continuous and finite-duration sources: the
// evaporating pool with its width iteration, the horizontal jet, the vertical jet or stack
// (momentum and buoyancy rise after Briggs, dense-jet rise and dilution), the plume equations
// integrated in the downwind distance, and the hand-over to a puff when the plume holds half of a
// finite release.

#include <cmath>

#include "slab/constants.h"
#include "slab/setup.h"
#include "slab/state.h"

namespace slab::detail {

namespace {

// Simpson update of the mean wind from the previous cloud top htp0 to htp; u2 = wind at htp.
float layerWindTo(const State& s, float u1, float& u2) {
  const float htph = (s.htp0 + s.htp) / 2;
  const float u12 = (s.uastr / kXk) * uafn(s, htph);
  u2 = (s.uastr / kXk) * uafn(s, s.htp);
  return (s.htp0 * s.uab0 + (u1 + 4 * u12 + u2) * (s.htp - s.htp0) / 6) / s.htp;
}

// Right-hand sides of the plume equations (half plume, per unit downwind distance).
void slope(State& s) {
  const float rqs = s.x < s.bse ? 0.25f * s.qs / s.bse : 0;
  auto& f = s.f;
  const float vhwb = kSr3 * (s.v * s.h + s.w * s.bb);
  f[1] = s.rhoa * vhwb + rqs;
  f[2] = (kSr3 * (s.rhoa / s.rho) * s.v + s.vg) / s.u;
  f[3] = (s.vg * s.b) / (s.u * s.bb);
  f[4] = kAlfgv * kGrav * (s.rho - s.rhoa) * s.h * s.h;
  f[5] = s.ft;
  f[6] = s.fu;
  f[7] = -kGrav * (s.rho - s.rhoa) * s.bb * s.h;
  f[8] = s.wc / s.u;
  f[9] = 2 * s.rho * s.bb * s.h * s.cm;
  f[10] = s.fv;
  f[11] = s.fw;
}

void solve(State& s) {
  const auto& dy = s.dy;
  s.r = s.r0 + dy[1];
  s.bbv = s.bbv0 + dy[2];
  s.bv = s.bv0 + dy[3];
  s.g = dy[4];
  s.sft = dy[5];
  s.sfu = dy[6];
  s.gw = dy[7];
  s.zc = s.zc0 + dy[8];
  if (s.zc > s.hmx - s.h / 2) s.zc = s.hmx - s.h / 2;
  if (s.zc < 0) s.zc = 0;
  s.qint = s.qint0 + dy[9];
  s.sfy = dy[10];
  s.sfz = dy[11];
}

// One Runge-Kutta step of length dx; `poolRegion` marks the steps over the pool.
void plumeStep(State& s, bool poolRegion) {
  Floats<12> sum;
  const float dxxi[3] = {s.dx / 2, s.dx / 2, s.dx};
  const float dxrk[4] = {s.dx / 6, s.dx / 3, s.dx / 3, s.dx / 6};
  for (int k = 0; k < 4; ++k) {
    if (poolRegion) s.keval = k + 1;
    slope(s);
    for (int j = 1; j <= 11; ++j) {
      sum[j] += dxrk[k] * s.f[j];
      if (k < 3) {
        s.dy[j] = dxxi[k] * s.f[j];
        s.xn = s.x + dxxi[k];
      } else {
        s.dy[j] = sum[j];
      }
    }
    solve(s);
    thermo(s);
    eval(s);
    entran(s);
    if (poolRegion) {
      sum[2] += s.dbbx;
      s.dbt += s.dbbx;
    }
  }
  s.x = s.xn;
  s.htp0 = s.htp;
  s.r0 = s.r;
  s.bb0 = s.bb;
  s.b0 = s.b;
  s.bbv0 = s.bbv;
  s.bv0 = s.bv;
  s.rho0 = s.rho;
  s.h0 = s.h;
  s.vg0 = s.vg;
  s.wc0 = s.wc;
  s.zc0 = s.zc;
  s.t0 = s.t;
  s.u0 = s.u;
  s.uab0 = s.uab;
  s.ubs20 = s.ubs2;
  if (poolRegion) {
    s.srug = 0.5f * s.alfg * kGrav * (s.rho - s.rhoa) * s.bb * s.h * s.h;
  } else if (s.htp > s.h) {
    s.alfg = 0;
    s.srug = 0;
  } else if (s.rho > s.rhoa) {
    s.alfg = 0.25f;
    s.srug = 0.5f * s.alfg * kGrav * (s.rho - s.rhoa) * s.bb * s.h * s.h;
  } else {
    s.alfg = 0;
    s.srug = 0;
  }
  s.sru0 = s.r * s.u - s.r * (1 - s.cm) * s.uab + s.srug;
  s.qint0 = s.qint;
  s.cm0 = s.cm;
  s.cmw0 = s.cmw;
  s.cmwv0 = s.cmwv;
  s.cmev0 = s.cmev;
  s.cp0 = s.cp;
  if (!poolRegion) s.dx = s.gam * s.dx;
}

// Entrainment at the start of a jet's plume (exit or end of the dense rise) with cloud speed uc.
void jetEntrainment(State& s, float uc) {
  const float delu = (s.rhoa / s.rho) * std::fabs(s.uab - uc);
  float ustr2;
  if (s.htp > s.h) {
    s.ubs20 = s.uastr2;
    ustr2 = s.uastr2 + kCf1 * delu * delu;
  } else {
    const float umgs = (s.uastr / s.uab) * uc;
    s.ubs20 = umgs * umgs;
    ustr2 = s.ubs20 + kCf1 * delu * delu;
  }
  const float uah = uafn(s, s.htp);
  s.w = (s.urf / uah) * kAa * kXk * sqrtf(ustr2);
  const float atot = s.afa * stabilityFactor(s);
  const float rab = 0.5f * kSigb / atot;
  const float va = atot * s.uab / (1 + rab * s.bb / kSr3);
  const float vjp = kAa * kXk * delu;
  s.v = sqrtf(va * va + kCf1 * vjp * vjp);
}

// The exit state of a jet as row 1, at x = 1 m.
void firstJetRow(State& s) {
  Rows& p = s.rows;
  s.msfm = 1;
  s.mnfm = kRows - 1;
  s.x = 1;
  p.xp[1] = 1;
  p.xccp[1] = 1;
  p.tccp[1] = 0;
  p.timp[1] = s.tsd;
  s.vg = s.vg0 = s.wc = s.wc0 = s.ug = s.ug0 = 0;
  s.fu = s.fv = s.fw = s.ft = 0;
  s.qint = s.qint0 = 0;
  s.bb0 = s.bb;
  p.bbp[1] = s.bb;
  s.bbv = s.bbv0 = s.bb;
  s.b = s.b0 = s.bv = s.bv0 = 0.9f * s.bb;
  p.bp[1] = s.b;
  s.beta = sqrtf(s.bb * s.bb - s.b * s.b) / kSr3;
  p.betap[1] = s.beta;
  p.rhop[1] = s.rho;
  s.rho0 = s.rho;
  p.hp[1] = s.h;
  s.h0 = s.h;
  s.htp0 = s.htp;
  s.uab = layerMeanWind(s, s.htp);
  s.uab0 = s.uab;
  p.uap[1] = s.uab;
  s.u = s.u0 = s.us;
  p.up[1] = s.us;
  s.r0 = s.rho * s.u * s.bb * s.h;
  s.srug = 0.5f * s.alfg * kGrav * (s.rho - s.rhoa) * s.bb * s.h * s.h;
  s.sru0 = s.r0 * s.u + s.srug;
  jetEntrainment(s, s.us);
  p.wp[1] = s.w;
  p.vp[1] = s.v;
  s.vx = 0;
  p.vxp[1] = 0;
  p.wcp[1] = p.vgp[1] = p.ugp[1] = 0;
  p.qintp[1] = 0;
}

// Row-1 composition of a jet: pure source material.
void jetRowOneComposition(State& s) {
  Rows& p = s.rows;
  p.tp[1] = s.t0;
  p.cmp[1] = 1;
  p.cvp[1] = 1;
  p.cmwp[1] = 0;
  p.cmwvp[1] = 0;
  p.cmevp[1] = s.cmev0;
  p.cmdap[1] = 0;
}

// Exit density of a two-phase jet: the liquid occupies almost no volume.
void exitDensity(State& s) {
  s.t0 = s.ts;
  s.cmed = s.cmed0;
  s.cmev0 = 1 - s.cmed;
  s.alfm = (s.wmae / s.wms) * s.cmev0;
  s.betm = (s.rhoa / s.rhosl) * s.cmed;
  s.rho = s.rhoa * s.ta / (s.alfm * s.t0 + s.betm * s.ta);
}

// The plume cut where it holds half of the release: the cloud beyond it is followed as a puff
// of the same cross-section whose length holds that half.
void cutToPuff(State& s, int nx) {
  Rows& p = s.rows;
  s.idpf = 2;
  s.nxtr = nx;
  s.dt = s.dx / s.u;
  s.rho0 = s.rho;
  s.r = 0.25f * s.qs * s.tsd / s.cm;
  s.r0 = s.r;
  s.rmi = 0;
  s.bbx = s.r / (s.rho * s.bb * s.h);
  s.bbx0 = s.bbx;
  p.bbxp[nx] = s.bbx;
  s.bbvx = s.bbvx0 = s.bbx;
  s.bx = 0.9999f * s.bbx;
  s.bx0 = s.bx;
  p.bxp[nx] = s.bx;
  s.bvx = s.bvx0 = s.bx;
  p.betaxp[nx] = sqrtf(s.bbx * s.bbx - s.bx * s.bx) / kSr3;
  s.sru0 = s.r * (s.u - (1 - s.cm) * s.uab);
  s.fv = s.bbx * s.fv;
  s.fu = s.bbx * s.fu;
  s.fw = s.bbx * s.fw;
  s.fug = s.bbx * s.fug;
  s.ft = s.bbx * s.ft;
  s.ug = (s.bb / s.bbx) * s.vg;
  s.ug0 = s.ug;
  p.ugp[nx] = s.ug;
  s.cm0 = s.cm;
  s.cmw0 = s.cmw;
  s.cmwv0 = s.cmwv;
  s.cmev0 = s.cmev;
  s.cp0 = s.cp;
  s.t0 = s.t;
  runPuff(s, nx + 1);
}

// Geometric grid from xp(msfm) to xffm in nstp steps; `whole` truncates the decades first.
void nearFieldGrid(State& s, bool whole) {
  const float x1 = s.rows.xp[s.msfm];
  if (s.xffm < 2 * x1) s.xffm = 2 * x1;
  float angam = log10f(s.xffm / x1 - 1) + 1;
  if (!(std::fabs(angam) < 1e6f)) {
    throw Refusal{Status::Failed, "the calculation broke down setting the downwind steps"};
  }
  if (whole) angam = static_cast<float>(static_cast<int>(angam));
  const int nstp = s.nssm * s.mnfm;
  const float anstp = static_cast<float>(nstp);
  s.gam = powf(10.f, angam / anstp);
  s.dx = (s.gam - 1) * (s.xffm - x1) / (ipow(s.gam, nstp) - 1);
}

// Pool: one pass over the pool from -bse to +bse, rows 1..11.
void poolPass(State& s, float anstp) {
  Rows& p = s.rows;
  s.dbt = 0;
  s.slup = s.slup + 1;
  s.dx = (s.bse + s.bse) / anstp;
  s.x = -s.bse;
  p.xp[1] = s.x;
  p.timp[1] = s.tsd;
  s.wss = s.ws;
  s.vg = s.vg0 = 0;
  p.vgp[1] = 0;
  s.wc = s.wc0 = 0;
  p.wcp[1] = 0;
  s.ug = s.ug0 = 0;
  p.ugp[1] = 0;
  s.qint = s.qint0 = 0;
  s.fv = s.ft = s.fu = s.fw = 0;
  s.bb = s.bb0 = s.bse;
  p.bbp[1] = s.bse;
  s.bbv = s.bbv0 = s.bse;
  s.b = s.b0 = s.bv = s.bv0 = 0.9f * s.bse;
  p.bp[1] = s.b;
  p.betap[1] = sqrtf(s.bb * s.bb - s.b * s.b) / kSr3;
  s.rho = s.rho0 = s.rhoa;
  p.rhop[1] = s.rhoa;
  p.cvp[1] = 0;
  s.cm0 = 0;
  p.cmp[1] = 0;
  s.cmw0 = s.cmwa;
  p.cmwp[1] = s.cmwa;
  s.cmwv0 = s.cmwa;
  p.cmwvp[1] = s.cmwa;
  s.cmev0 = 0;
  p.cmevp[1] = 0;
  p.cmdap[1] = s.cmdaa;
  s.cp0 = s.cpaa;
  s.t0 = s.ta;
  p.tp[1] = s.ta;
  p.qintp[1] = 0;
  // Depth of the first entrainment layer over the upwind edge (Newton steps).
  const float z1 = kSr3 * kAa * kXk * kXk * kXk * s.urf * s.dx / s.uastr;
  const float z2 = powf(3 * z1 * s.z0 * s.z0, kThird);
  float fhz = logf(1 + z2 / s.z0);
  float he = 3 * z1 / (fhz * fhz);
  for (int i = 0; i < 5; ++i) {
    fhz = logf(1 + he / s.z0);
    const float shz = he + s.z0;
    const float fhh = shz * fhz * fhz - 2 * shz * fhz + he + he - z1;
    he = he - fhh / (fhz * fhz);
  }
  s.h = s.h0 = s.htp = s.htp0 = 0;
  p.hp[1] = 0;
  p.zcp[1] = 0;
  s.uab = layerMeanWind(s, he);
  s.uab0 = s.uab;
  p.uap[1] = 0;
  s.u = s.u0 = s.uab;
  p.up[1] = 0;
  s.r0 = s.rho * s.u * s.bb * s.h;
  s.sru0 = 0;
  s.w = s.u * he / (kSr3 * s.dx);
  p.wp[1] = s.w;
  s.v = s.afa * stabilityFactor(s) * s.ua;
  p.vp[1] = s.v;
  s.vx = 0;
  p.vxp[1] = 0;
  for (int nx = 2; nx <= 11; ++nx) {
    for (int ns = 1; ns <= s.nssm; ++ns) plumeStep(s, true);
    checkFinite(s, nx);
    store(s, nx);
    s.xstr = s.h / s.cf0;
  }
}

// New pool half-width after a pass: widened plume -> geometric mean with the widened width;
// not widened -> the width at which the gravity current just keeps pace, bracketed.
bool poolWidthConverged(State& s) {
  const Rows& p = s.rows;
  float bsen;
  if (s.dbt != 0) {
    s.bmin = s.bse;
    bsen = sqrtf(s.bse * (s.bse + s.dbt));
    if (s.bmax != 0 && bsen >= s.bmax) bsen = 0.5f * (s.bmax + s.bse);
  } else {
    s.bmax = s.bse;
    const float rh = p.rhop[11], c1 = 1 - p.cmp[11];
    bsen = 3.375f * s.alfg * kGrav * (rh - s.rhoa) * s.r /
               (s.uab * s.uab * s.uab * rh * rh * c1 * c1 * c1) -
           p.bbp[11] + p.bbp[1];
    bsen = 0.5f * (s.bse + bsen);
    if (bsen >= s.bmax) {
      bsen = 0.5f * (s.bmin + s.bmax);
    } else if (bsen <= s.bmin) {
      bsen = 0.5f * (s.bmin + s.bse);
    }
  }
  const float rbs = std::fabs(bsen - s.bse) / bsen;
  if (rbs <= s.sctst) s.slup = 20;
  s.bse = bsen;
  return false;
}

}  // namespace

void setupPool(State& s) {
  s.ws = s.qs / (s.rhos * s.as);
  s.bse = s.bs;
  s.qtis = 0;
  s.hs = 0;
  s.us = 0;
  s.zc = s.zc0 = 0;
  s.rows.zcp[1] = 0;
  s.xcc0 = 0;
  s.tim = s.tsd;
  s.cmed = 0;
  summarize(s);
  const float anstp = static_cast<float>(s.nssm * (s.msfm - 1));
  for (;;) {
    poolPass(s, anstp);
    const bool accept = s.slup == 0 ? !(s.utst >= 2) : s.slup > 20;
    if (accept) break;
    poolWidthConverged(s);
  }
  Rows& p = s.rows;
  if (s.qint > s.hqtcs) {
    // The pool holds more than half of the release: follow it as a source-fed puff.
    s.idspl = 4;
    instantaneousSource(s);
    runPuff(s, 2);
    return;
  }
  s.bxs0 = s.bse;
  for (int i = 1; i <= 11; ++i) p.xccp[i] = 0.5f * (s.bse + p.xp[i]);
  p.tccp[1] = (p.qintp[6] + p.qintp[6]) / s.qs;
  for (int i = 1; i <= 5; ++i) {
    p.tccp[2 * i] = (p.qintp[5 + i] + p.qintp[6 + i]) / s.qs;
    p.tccp[2 * i + 1] = (p.qintp[6 + i] + p.qintp[6 + i]) / s.qs;
  }
  nearField(s);
}

void setupHorizontalJet(State& s) {
  exitDensity(s);
  s.us = s.qs / (s.rho * s.as);
  // Square cross-section of side 2 bs, cut off by the ground when it would reach it.
  s.alfg = 0;
  s.bb = s.bs;
  s.h = s.bb + s.bb;
  const float hh = s.h / 2;
  s.htp = s.hs + hh;
  if (s.hs <= hh) {
    s.alfg = 0.25f;
    s.bb = 0.5f * (sqrtf(s.hs * s.hs + s.as + s.as) - s.hs);
    s.h = s.bb + s.hs;
    s.htp = s.h;
  }
  if (s.htp > s.hmx) s.htp = s.hmx;
  if (s.h > s.hmx) {
    s.bb = s.h * s.bb / s.hmx;
    s.h = s.hmx;
  }
  s.ws = 0;
  s.qtis = 0;
  jetRowOneComposition(s);
  s.cm0 = 1;
  s.cmw0 = 0;
  s.cmwv0 = 0;
  s.cp0 = s.cmev0 * s.cps + s.cmed * s.cpsl;
  s.bse = 1;
  s.zc = s.hs;
  if (s.zc > s.hmx - s.h / 2) s.zc = s.hmx - s.h / 2;
  s.zc0 = s.zc;
  s.rows.zcp[1] = s.zc;
  s.xcc0 = 1;
  s.bxs0 = 0;
  s.tim = s.tsd;
  summarize(s);
  firstJetRow(s);
  nearField(s);
}

namespace {

// Dense vertical jet: rise, dilution at its end, and the rows interpolated along the rise.
void denseJet(State& s, float hprm, float uahs) {
  Rows& p = s.rows;
  const float ds = 4 * s.bs / kSrpi;
  const float fr2 = s.ws * s.ws / (kGrav * ds * (s.rho - s.rhoa) / s.rhoa);
  const float sgs = s.rho / s.rhoa, rwus = s.ws / uahs;
  const float hprd = 1.32f * ds * powf(rwus * sgs * fr2, 0.3333f);
  float hpr = hprm * hprd / sqrtf(hprd * hprd + hprm * hprm);
  if (s.hs + hpr > s.hmx) hpr = s.hmx - s.hs;
  const float xpr = 0.435f * hpr * hpr * hpr / (rwus * rwus * sgs * ds * ds);
  float cvpk = 1.69f * rwus / powf(hpr / ds, 1.85f);
  if (cvpk > 0.99f) cvpk = 0.99f;
  const float cv = (0.5236f * (1 - cvpk) + cvpk) * cvpk;
  s.cm = s.wms * cv / (s.wmae + (s.wms - s.wmae) * cv);
  s.r0 = 0.5f * s.qs;
  s.r = s.r0 / s.cm;
  s.cm0 = 1;
  s.cmev0 = 1 - s.cmed;
  s.cmw0 = 0;
  s.cmwv0 = 0;
  s.cp0 = s.cmev0 * s.cps + s.cmed * s.cpsl;
  s.xn = 1 + xpr;
  s.sft = 0;
  thermo(s);

  const float rows = 2 + xpr / (s.bs + s.bs);
  if (!(rows >= 2)) {
    throw Refusal{Status::Failed, "the calculation broke down in the rise of the vertical jet"};
  }
  int msfm = rows > 11 ? 11 : static_cast<int>(rows);
  if (msfm > 11) msfm = 11;
  s.msfm = msfm;
  const float dxpr = xpr / static_cast<float>(msfm - 1);
  const float zcr = s.hs + hpr;
  s.uab = (s.uastr / kXk) * uafn(s, zcr);
  s.uab0 = s.uab;
  const float cfpr = 3 * (2 + xpr / s.bs) * kCf1;
  const float cmpr = sqrtf((1 - s.cm) * (1 - s.cm) + 4 * s.cm * cfpr);
  const float cupr = 0.5f * s.uab / (1 - cfpr);
  s.u = cupr * (1 - s.cm - cfpr - cfpr + cmpr);
  s.u0 = s.u;
  const float ar = s.qs / (s.rho * s.u * s.cm), am = s.qs / (s.rho * s.u);
  const float hft = 2.4f + 1.6f / (1 + xpr * xpr / (100 * s.bs * s.bs));
  s.bb = sqrtf(ar / hft);
  if (s.bb < s.bs) s.bb = s.bs;
  const float bsm = 0.9f * s.bs;
  s.b = 0.9f * sqrtf(am / hft);
  if (s.b < bsm) s.b = bsm;
  s.h = ar / (s.bb + s.bb);
  const float hh = s.h / 2;
  s.htp = zcr + hh;
  s.alfg = 0;
  if (hh > zcr) {
    s.bb = s.h * s.bb / s.htp;
    s.b = s.h * s.b / s.htp;
    s.h = s.htp;
    s.alfg = 0.25f;
  }
  if (s.htp > s.hmx) s.htp = s.hmx;
  if (s.h > s.hmx) {
    s.bb = s.h * s.bb / s.hmx;
    s.b = s.h * s.b / s.hmx;
    s.h = s.hmx;
  }
  s.bb0 = s.bbv = s.bbv0 = s.bb;
  s.b0 = s.bv = s.bv0 = s.b;
  s.h0 = s.h;
  s.htp0 = s.htp;
  s.zc = zcr;
  if (s.zc > s.hmx - s.h / 2) s.zc = s.hmx - s.h / 2;
  s.zc0 = s.zc;
  s.rho0 = s.rho;
  s.t0 = s.t;
  s.hs0 = s.ws > s.u ? 2 * s.bs : 2 * s.bs * s.ws / s.u;

  for (int i = 1; i <= msfm; ++i) {
    p.uap[i] = s.uab;
    p.xp[i] = 1 + static_cast<float>(i - 1) * dxpr;
    const float xir = (p.xp[i] - 1) / xpr;
    const float xiz = (p.xp[i] - 1 - xpr) / xpr;
    p.up[i] = s.u * sqrtf(xir);
    p.wcp[i] = s.ws * (s.u - p.up[i]) / s.u;
    p.hp[i] = s.hs0 + (s.h - s.hs0) * xir;
    p.zcp[i] = s.hs + hpr * sqrtf(1 - xiz * xiz);
    if (p.zcp[i] > s.hmx - p.hp[i] / 2) p.zcp[i] = s.hmx - p.hp[i] / 2;
    p.bbp[i] = s.bs + (s.bb - s.bs) * xir;
    p.bp[i] = bsm + (s.b - bsm) * xir;
    p.betap[i] = sqrtf(p.bbp[i] * p.bbp[i] - p.bp[i] * p.bp[i]) / kSr3;
    p.tccp[i] = 2 * (p.xp[i] - 1) / s.u;
    p.xccp[i] = p.xp[i];
    if (p.tccp[i] < s.tsd) {
      s.qint = s.qint0 = p.qintp[i] = 0.5f * s.qs * p.tccp[i];
    } else {
      if (i < s.nxtr) s.nxtr = i;
      s.qint = s.qint0 = s.hqtcs;
      s.tim = p.tccp[i];
      p.timp[i] = s.tim;
      p.bbxp[i] = 0.5f * s.u * s.tsd;
      p.bxp[i] = 0.9999f * p.bbxp[i];
      p.betaxp[i] = sqrtf(p.bbxp[i] * p.bbxp[i] - p.bxp[i] * p.bxp[i]) / kSr3;
    }
    const float rtcm = (1 - s.cm) / s.cm;
    p.cmp[i] = 1 / (1 + xir * xir * rtcm);
    p.cvp[i] = s.wmae * p.cmp[i] / (s.wms + (s.wmae - s.wms) * p.cmp[i]);
    p.cmdap[i] = (1 - p.cmp[i]) * s.cmdaa;
    p.cmwp[i] = (1 - p.cmp[i]) * s.cmwa;
    p.rhop[i] = p.tp[i] = p.cmevp[i] = p.cmwvp[i] = p.wp[i] = p.vp[i] = -1;
    p.ugp[i] = p.vgp[i] = p.vxp[i] = 0;
  }
  p.rhop[msfm] = s.rho;
  p.tp[msfm] = s.t;
  p.cmwvp[msfm] = s.cmwv;
  p.cmevp[msfm] = s.cmev;

  s.cm0 = s.cm;
  s.cmev0 = s.cmev;
  s.cmw0 = s.cmw;
  s.cmwv0 = s.cmwv;
  s.cp0 = s.cp;
  s.mnfm = kRows - msfm;
  s.x = p.xp[msfm];
  s.vg = s.vg0 = s.wc = s.wc0 = s.ug = s.ug0 = 0;
  s.fu = s.fv = s.fw = s.ft = 0;
  s.r0 = s.r;
  s.srug = 0.5f * s.alfg * kGrav * (s.rho - s.rhoa) * s.bb * s.h * s.h;
  s.sru0 = s.r * (s.u - (1 - s.cm) * s.uab) + s.srug;
  jetEntrainment(s, s.u);
  p.wp[msfm] = s.w;
  p.vp[msfm] = s.v;
  if (s.qint < s.hqtcs) {
    nearField(s);
    return;
  }
  // The whole release is already inside the rise: a puff from the last rise row on.
  s.idpf = 2;
  s.rho0 = s.rho;
  s.r = 0.25f * s.qs * s.tsd / s.cm;
  s.r0 = s.r;
  s.rmi = 0;
  s.bbx = s.r / (s.rho * s.bb * s.h);
  s.bbx0 = s.bbvx = s.bbvx0 = s.bbx;
  s.bx = 0.9999f * s.bbx;
  s.bx0 = s.bvx = s.bvx0 = s.bx;
  s.sru0 = s.r * (s.u - (1 - s.cm) * s.uab);
  s.fug = 0;
  s.ug = s.ug0 = 0;
  s.cm0 = s.cm;
  s.cmw0 = s.cmw;
  s.cmwv0 = s.cmwv;
  s.cmev0 = s.cmev;
  s.cp0 = s.cp;
  s.t0 = s.t;
  nearFieldGrid(s, true);
  s.dt = s.dx / s.u;
  runPuff(s, msfm + 1);
}

// Buoyant or neutral jet: Briggs rise, then a passive source at the raised height moving with the
// wind there.
void buoyantJet(State& s, float hprm, float uahs) {
  Rows& p = s.rows;
  float hprb =
      1.7254f * kGrav * (s.rhoa - s.rho) * s.ws * s.bs * s.bs / (s.rhoa * uahs * s.uastr * s.uastr);
  if (hprb > 0) {
    const float h35 = powf(hprb, 0.6f);
    for (int i = 0; i < 3; ++i) {
      const float hprt = h35 * powf(s.hs + hprb, 0.4f);
      const float den = s.hs + hprb - 0.4f * hprt;
      if (!(den > 0)) break;
      hprb = (s.hs + 0.6f * hprb) * hprt / den;
    }
  } else {
    hprb = 0;
  }
  const float hpr = sqrtf(hprb * hprb + hprm * hprm);
  s.hs = s.hs + hpr;
  if (s.hs > s.hmx - s.bs) s.hs = s.hmx - s.bs;
  s.us = (s.uastr / kXk) * uafn(s, s.hs);
  s.ws = 0;
  s.rho = s.rhoa;
  s.rhos = s.rhoa;
  s.as = s.qs / (s.rho * s.us);
  s.alfg = 0;
  s.bb = 0.5f * sqrtf(s.as);
  if (s.bb < s.bs) s.bb = s.bs;
  s.h = s.as / (s.bb + s.bb);
  const float hh = s.h / 2;
  s.htp = s.hs + hh;
  if (s.hs < hh) {
    s.alfg = 0.25f;
    s.bb = s.h * s.bb / s.htp;
    s.h = s.htp;
  }
  if (s.htp > s.hmx) s.htp = s.hmx;
  if (s.h > s.hmx) {
    s.bb = s.h * s.bb / s.hmx;
    s.h = s.hmx;
  }
  // A source temperature that gives the released vapour the density of air.
  s.ts = (s.wms / s.wmae) * s.ta;
  s.t0 = s.ts;
  p.tp[1] = s.t0;
  s.tbp = 0.99f * std::fmin(s.ts, s.ta);
  s.spa = s.spb / (s.tbp + s.spc);
  s.spaw = kSpbw / s.tbp;
  s.cm0 = 1;
  p.cmp[1] = 1;
  p.cvp[1] = 1;
  s.cmw0 = 0;
  p.cmwp[1] = 0;
  s.cmwv0 = 0;
  p.cmwvp[1] = 0;
  s.cmev0 = 1;
  p.cmevp[1] = 1;
  p.cmdap[1] = 0;
  s.cps = (s.wmae / s.wms) * kCpa;
  s.cp0 = s.cps;
  s.zc = s.hs;
  if (s.zc > s.hmx - s.h / 2) s.zc = s.hmx - s.h / 2;
  s.zc0 = s.zc;
  p.zcp[1] = s.zc;
  s.tgon = 0;
  firstJetRow(s);
  nearField(s);
}

}  // namespace

void setupVerticalJet(State& s) {
  exitDensity(s);
  s.rho0 = s.rho;
  s.ws = s.qs / (s.rho * s.as);
  s.us = 0;
  s.bse = 1;
  s.qtis = 0;
  s.xcc0 = 1;
  s.bxs0 = 0;
  s.tim = s.tsd;
  summarize(s);
  // Momentum rise with the wind at the stack top (at least 1 m).
  const float hsu = s.hs < 1 ? 1 : s.hs;
  const float uahs = (s.uastr / kXk) * uafn(s, hsu);
  const float betu = 0.4f + 1.2f * uahs / s.ws;
  float hprm = 1.0363f * s.ws * s.bs / (betu * sqrtf(uahs * s.uastr));
  const float h67 = powf(hprm, 0.85714f);
  for (int i = 0; i < 3; ++i) {
    const float hprt = h67 * powf(s.hs + hprm, 0.14286f);
    hprm = (s.hs + 0.85714f * hprm) * hprt / (s.hs + hprm - 0.14286f * hprt);
  }
  if (s.rho > s.rhoa) {
    denseJet(s, hprm, uahs);
  } else {
    buoyantJet(s, hprm, uahs);
  }
}

void nearField(State& s) {
  const int nxi = s.msfm + 1;
  s.wss = 0;
  nearFieldGrid(s, false);
  for (int nx = nxi; nx <= kRows; ++nx) {
    for (int ns = 1; ns <= s.nssm; ++ns) plumeStep(s, false);
    checkFinite(s, nx);
    s.rows.xccp[nx] = s.x;
    s.rows.tccp[nx] = (s.qint + s.qint) / s.qs;
    store(s, nx);
    if (!(s.qint < s.hqtcs)) {
      cutToPuff(s, nx);
      return;
    }
  }
}

// Width, depth and speed of the plume: the mass flux r = rho u bb h ties them, and the gravity
// current pushes back on the speed (the largest root of u^2 (ut0 - u) = utg3).
void eval(State& s) {
  const float u1 = (s.uastr / kXk) * uafn(s, s.htp0);
  float u2 = 0;
  s.u = s.u0;
  s.bb = s.bb0 + s.bbv - s.bbv0;
  s.h = s.r / (s.rho * s.u * s.bb);
  float rex = powf(s.rho0 / s.rho, s.h / (s.h + s.bb + s.bb));
  for (int it = 0; it < 11; ++it) {
    const float gex = s.h / (s.h + s.bb + s.bb);
    const float rex0 = s.u0 > s.uab0 ? s.rho0 * s.u0 / (s.rho * s.u) : s.rho0 / s.rho;
    rex = sqrtf(rex * powf(rex0, gex));
    s.bb = (s.bb0 + s.bbv - s.bbv0) * rex;
    s.b = (s.b0 + s.bv - s.bv0) * rex;
    s.h = s.r / (s.rho * s.u * s.bb);
    if (s.h > s.bb + s.bb) {
      s.bb = sqrtf(s.r / (2 * s.rho * s.u));
      s.h = s.bb + s.bb;
      rex = sqrtf(rex0);
    }
    s.htp = s.zc > s.h / 2 ? s.zc + s.h / 2 : s.h;
    s.uab = layerWindTo(s, u1, u2);
    if (s.uab > u2) s.uab = u2;
    float sfue = 0;
    if (s.sfu != 0) {
      const float a = std::fabs(s.sfu);
      sfue = -s.r0 * (s.u0 - s.uab0) * a / (a + s.r0 * std::fabs(s.u0 - s.uab0));
    }
    s.ut0 = s.uab * (1 - s.cm) + (s.sru0 + sfue) / s.r;
    s.utg3 = s.alfg * kGrav * (s.rho - s.rhoa) * s.r / (2 * s.bb * s.rho * s.rho);
    float ut2;
    if (s.utg3 <= 0) {
      ut2 = s.ut0;
    } else {
      s.utm3 = kF227 * s.ut0 * s.ut0 * s.ut0;
      s.utc3 = s.utg3 - s.utm3;
      if (s.utc3 > s.utm3) {
        ut2 = (s.ut0 + s.ut0) / 3;
        if (ut2 > s.u0) ut2 = s.u0;
      } else {
        const float angl = acosf(-s.utc3 / s.utm3);
        ut2 = kThird * (s.ut0 + 2 * s.ut0 * cosf(kThird * angl));
      }
    }
    ut2 = powf(s.u * ut2 * ut2, 0.333333f);
    const float dluk = std::fabs(s.u - ut2) / sqrtf(s.u * ut2);
    s.u = ut2;
    s.h = s.r / (s.rho * s.u * s.bb);
    if (!(dluk >= 0.001f)) break;
  }
  if (s.h < s.zc + s.zc && s.alfg * s.rho > s.alfg * s.rhoa) {
    s.h = s.zc + s.zc;
    s.u = s.r / (s.rho * s.bb * s.h);
  }
  if (s.h > s.hmx) s.h = s.hmx;
  if (s.zc > s.hmx - s.h / 2) s.zc = s.hmx - s.h / 2;
  s.htp = s.zc > s.h / 2 ? s.zc + s.h / 2 : s.h;
  s.uab = layerWindTo(s, u1, u2);
  if (s.uab > u2) s.uab = u2;

  // Widening of a pool plume whose gravity current outruns it.
  s.dbbx = 0;
  if (s.utc3 > s.utm3 && s.keval == 4) {
    s.utst = 3;
    const float ru3 = 6.75f * s.utg3 / (s.ut0 * s.ut0 * s.ut0);
    s.bb = ru3 * s.bb;
    s.b = ru3 * s.b;
    s.dbbx = s.bb * (ru3 - 1) / ru3;
  }
  s.beta = sqrtf(s.bb * s.bb - s.b * s.b) / kSr3;

  const auto liftedWc = [&s] {
    const float ew =
        s.wc0 == 0 ? 1 : s.r0 * std::fabs(s.wc0) / (s.r0 * std::fabs(s.wc0) + std::fabs(s.sfz));
    s.wc = ew * (s.gw + s.r0 * s.wc0) / s.r;
    s.vg = 0;
  };
  if (!(s.xn > s.bse)) {
    if (s.rho > s.rhoa) {
      const float ev = s.vg0 == 0 ? 1 : s.r0 * s.vg0 / (s.r0 * s.vg0 + std::fabs(s.sfy));
      s.vg = ev * (s.g + s.r0 * s.vg0) / s.r;
    } else {
      s.vg = 0;
    }
    s.wc = 0;
  } else if (s.htp > s.h || !(s.rho > s.rhoa)) {
    liftedWc();
  } else {
    float ev;
    if (s.vg0 == 0) {
      ev = 1;
      if (s.h0 > 0) s.vg0 = -2 * s.wc0 * s.bb0 / s.h0;
    } else {
      ev = s.r0 * s.vg0 / (s.r0 * s.vg0 + std::fabs(s.sfy));
    }
    s.vg = ev * (s.g + s.r0 * s.vg0) / s.r;
    s.wc = -s.vg * s.zc / s.bb;
  }
}

// Time of the maximum and along-wind size of the plume rows, from a slug between the source and
// the cut (or where the cut would be).
void afterIntegration(State& s) {
  Rows& p = s.rows;
  float xptr, bxtr;
  int itr;
  if (s.nxtr > kRows) {
    xptr = (s.hqtcs / s.qint) * (p.xp[kRows] - p.xp[1]) + p.xp[1];
    bxtr = s.bxs0 + xptr - s.xcc0;
    itr = kRows;
  } else {
    xptr = p.xp[s.nxtr];
    bxtr = p.bbxp[s.nxtr];
    itr = s.nxtr - 1;
  }
  if (itr > 0) {
    const float txt = xptr - s.xcc0 - s.xcc0;
    const float txb = txt + xptr;
    const float bxr = (bxtr - s.bxs0) / (xptr - s.xcc0);
    for (int i = 1; i <= itr; ++i) {
      p.timp[i] = s.tsd * (p.xp[i] + txt) / txb;
      p.bbxp[i] = s.bxs0 + bxr * (p.xccp[i] - s.xcc0);
      p.bxp[i] = 0.9999f * p.bbxp[i];
      p.betaxp[i] = sqrtf(p.bbxp[i] * p.bbxp[i] - p.bxp[i] * p.bxp[i]) / kSr3;
    }
  }
  if (s.idspl == 1) {
    for (int i = 1; i <= 5; ++i) p.timp[i] = p.timp[12 - i];
  }
}

}  // namespace slab::detail
