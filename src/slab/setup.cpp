// Set-up of one SLAB run (Ermak 1990): stability from the class value or the Monin-Obukhov
// length, moist ambient air, the similarity wind profile and friction velocity, and the
// instantaneous source with its puff integrator.

#include <cmath>
#include <string>

#include "slab/constants.h"
#include "slab/setup.h"
#include "slab/state.h"

namespace slab::detail {

const float kSr3 = sqrtf(3.f), kSr2 = sqrtf(2.f), kSrpi = sqrtf(3.141592654f);

// Stability regions by roughness (Golder's curves as fitted in SLAB): class value stab <-> 1/L.
static void stability(State& s) {
  s.al1 = 0.0081f / powf(s.z0, 0.3044f);
  if (s.z0 > 0.0111f) {
    s.al2 = 0.0385f / powf(s.z0, 0.1715f);
    s.al3 = 0.0875f / powf(s.z0, 0.1028f);
  } else {
    s.al2 = s.al1 + 0.0137f / powf(s.z0, 0.1715f) + 0.0218f;
    s.al3 = s.al2 + 0.0557f;
  }
  s.en2 = logf(s.al2 / s.al1) / logf(2.f);
  s.en3 = logf(s.al3 / s.al1) / logf(3.f);
  s.eni = s.en3 + s.en3 - s.en2;
  s.dln = s.en2 - s.eni;
  s.alm = s.al1 * powf(3.5f, s.eni + s.dln / 3.25f);
  if (s.stab == 0) {
    const float aal = std::fabs(s.ala);
    float astb;
    if (aal < s.al2) {
      astb = powf(aal / s.al1, 1 / s.en2);
    } else if (aal < s.alm) {
      const float ral = (aal - s.al2) / (s.al3 - s.al2);
      const float en = s.eni + s.dln / (1 + ral * ral);
      astb = powf(aal / s.al1, 1 / en);
    } else {
      astb = 3.5f;
    }
    s.stb = s.ala >= 0 ? astb : -astb;
    s.stab = 4 + s.stb;
  } else {
    s.stb = s.stab - 4;
    const float astb = std::fabs(s.stb);
    float aal;
    if (astb < 2) {
      aal = s.al1 * powf(astb, s.en2);
    } else if (astb < 3.5f) {
      const float d = astb - 2;
      const float en = s.eni + s.dln / (1 + d * d);
      aal = s.al1 * powf(astb, en);
    } else {
      aal = s.alm;
    }
    s.ala = s.stb >= 0 ? aal : -aal;
  }
}

// Moist air, averaging-time factor, mixing height and the wind profile's constants.
static void ambient(State& s) {
  s.rpwa = 0.01f * s.rh * expf(s.spaw - kSpbw / s.ta);
  s.cmwa = kWmw * s.rpwa / (kWma + (kWmw - kWma) * s.rpwa);
  s.cmdaa = 1 - s.cmwa;
  s.cpaa = s.cmdaa * kCpa + s.cmwa * kCpwv;
  s.wmae = kWma * kWmw / (kWmw + (kWma - kWmw) * s.cmwa);
  s.rhoa = s.wmae * kPa / (kRr * s.ta);
  const float at0 = 0;
  s.afa = 0.08f * powf((at0 + kTau0 * expf(-at0 / kTau0)) / kTav0, 0.2f);
  s.zl = s.stb < 0 ? expf(-0.8f * s.stb) : 1 + 0.8f * s.stb;
  const float z = s.za > 3 ? s.za : 3;
  s.ala0 = s.ala * (1 + z / s.zl);
  s.hmx = 130 * powf(2.f, 3 - s.stb);
  s.bs = 0.5f * sqrtf(s.as);
  if (s.hs > s.hmx - s.bs) {
    throw Refusal{Status::BadInput,
                  "source height hs is above the mixing height less the source half width (" +
                      formatG(s.hmx - s.bs) + " m)"};
  }
  if (s.stb < 0) {
    s.phimi = 1 / sqrtf(sqrtf(1 - 16 * s.zl * s.ala0));
    s.phgam = -8 * s.ala0 / (1 - s.phimi);
  }
  s.zt = 2.71828183f * s.z0;
  s.cu1 = 1 / s.zt;
  s.cu2 = 0;
  const float uf = uafn(s, s.zt);
  float phm;
  if (s.ala0 < 0) {
    const float phmi = 1 / sqrtf(sqrtf(1 - 16 * s.zl * s.ala0));
    const float gu = -8 * s.ala0 / (1 - phmi);
    phm = phmi + (1 - phmi) / sqrtf(1 + gu * s.zt);
  } else {
    phm = 1 + 5 * s.ala0 * s.zt / (1 + s.zt / s.zl);
  }
  const float ufp = phm * (1 - s.zt / s.hmx) / s.zt;
  s.cu1 = (2 * uf - s.zt * ufp) / s.zt;
  s.cu2 = (s.zt * ufp - uf) / (s.zt * s.zt);
  s.uastr = kXk * s.ua / uafn(s, s.za);
  s.uastr2 = s.uastr * s.uastr;
  s.uaz2 = (s.uastr / kXk) * uafn(s, 2);
  s.tffm = s.xffm / s.uaz2;
  s.cf0 = s.uastr / s.uaz2;
  s.rcf = sqrtf(s.cf0 / kCf00);
  s.urf = uafn(s, kHrf);
}

void prepareRun(State& s) {
  if (s.ts < s.tbp) s.ts = s.tbp;
  if (s.cmed0 > 0) s.ts = s.tbp;
  if (s.spb < 0) {
    s.spb = s.dhe * s.wms / kRr;
    s.spc = 0;
  }
  s.spa = s.spb / (s.tbp + s.spc);
  s.spaw = kSpaw;
  s.alfg = 0.25f;
  s.sctst = 0.0005f;
  s.utst = 1;
  s.slup = -1;
  s.msfm = 11;
  s.mnfm = 50;
  s.nssm = 3 * s.ncalc;
  s.bmax = 0;
  stability(s);
  ambient(s);
}

void commonEntry(State& s) {
  s.rhos = s.wms * kPa / (kRr * s.ts);
  s.qtcs = s.qs * s.tsd;
  s.hqtcs = 0.5f * s.qtcs;
  s.nxtr = kRows + 1;
  s.idpf = 0;
  s.tgon = 1;
}

float layerMeanWind(const State& s, float depth) {
  const float dh = depth / 5;
  float h1 = -dh / 2, h2 = 0, sum = 0, u2 = 0;
  for (int i = 0; i < 5; ++i) {
    h1 += dh;
    h2 += dh;
    u2 = uafn(s, h2);
    sum += 4 * uafn(s, h1) + 2 * u2;
  }
  return (s.uastr / kXk) * (sum - u2) / 30;
}

// Steps growing by gam, the first about 0.1 s, the nssm*61 - 1 steps together as long as the
// travel time to xffm.
static void puffStepRule(State& s) {
  const float anstp = static_cast<float>(s.nssm * kRows);
  const float ttst = 0.1f * (anstp - 1);
  if (s.tffm > ttst) {
    s.gam = powf(10 * s.tffm / (anstp - 1), 1 / (anstp - 2));
    float gmd = 1 + 0.02f / (s.gam - 0.98f);
    for (int i = 0; i < 5; ++i) {
      s.gam = powf(10 * s.tffm * gmd * (s.gam - 1) + 1, 1 / (anstp - 1));
      gmd = 1;
    }
    s.dt = (s.gam - 1) * s.tffm / (powf(s.gam, anstp - 1) - 1);
  } else {
    s.gam = 1;
    s.dt = 0.1f;
  }
}

void instantaneousSource(State& s) {
  commonEntry(s);
  s.ws = s.qs / (s.rhos * s.as);
  s.bse = s.bs;
  s.t0 = s.ts;
  s.cm0 = 1;
  s.cmw0 = 0;
  s.cmwv0 = 0;
  s.cmed = s.qtis == 0 ? 0 : s.cmed0;
  s.cmev0 = 1 - s.cmed;
  s.cp0 = s.cmev0 * s.cps + s.cmed * s.cpsl;
  s.alfm = (s.wmae / s.wms) * s.cmev0;
  s.betm = (s.rhoa / s.rhosl) * s.cmed;
  s.rho = s.rhoa * s.ta / (s.alfm * s.t0 + s.betm * s.ta);
  s.rho0 = s.rho;
  // Divided in two steps as the reference does (the product first changes the last bit).
  s.hs = s.qtis / s.rho / s.as;
  s.us = 0;
  s.zc = s.zc0 = 0;
  s.idpf = 2;
  s.tim = 0;
  s.nxtr = 1;
  summarize(s);
  puffStepRule(s);

  // Initial cloud: the released mass over the source area, at rest.
  Rows& p = s.rows;
  s.x = 0;
  p.xp[1] = 0;
  p.timp[1] = 0;
  s.vg = s.vg0 = s.ug = s.ug0 = s.wc = s.wc0 = s.qint = s.qint0 = 0;
  s.sft = 0;
  s.fv = s.ft = s.fu = s.fw = s.fug = 0;
  s.bb = s.bbv = s.bbv0 = s.bb0 = s.bs;
  s.b = s.bv = s.bv0 = s.b0 = 0.9f * s.bs;
  s.bbx = s.bbvx = s.bbvx0 = s.bbx0 = s.bs;
  s.bx = s.bvx = s.bvx0 = s.bx0 = 0.9f * s.bs;
  s.beta = sqrtf(s.bb * s.bb - s.b * s.b) / kSr3;
  s.betax = sqrtf(s.bbx * s.bbx - s.bx * s.bx) / kSr3;
  s.h = s.h0 = s.htp = s.htp0 = s.hs;
  s.u = s.u0 = 0;
  if (!(s.h > 0)) {
    // No depth yet: the first entrainment layer from the logarithmic profile, by Newton steps.
    const float z1 = kSr3 * kAa * kXk * kXk * s.urf * s.dt;
    const float z2 = sqrtf(2 * z1 * s.z0);
    float he = 2 * z2 / logf(1 + z2 / s.z0);
    for (int i = 0; i < 5; ++i) {
      const float l = logf(1 + he / s.z0);
      he -= ((he + s.z0) * l - he - z1) / l;
    }
    s.w = he / (kSr3 * s.dt);
  }
  s.uab = layerMeanWind(s, s.h);
  const float atot = s.afa * stabilityFactor(s);
  if (s.h > 0) s.w = (s.urf / uafn(s, s.htp)) * kAa * kXk * s.uastr;
  const float rab = 0.5f * kSigb / atot;
  const float va = atot * s.uab / (1 + rab * s.bb / kSr3);
  const float delu = (s.uab - s.u) * (s.rhoa / s.rho);
  const float vjp = kAa * kXk * delu;
  s.v = sqrtf(va * va + kCf1 * vjp * vjp);
  s.vx = va;
  s.uab0 = s.uab;
  s.r0 = 0.25f * s.qtis;
  s.r = s.r0;
  s.rmi = s.r0;
  s.sru0 = 0;

  p.zcp[1] = 0;
  p.hp[1] = s.h;
  p.bbp[1] = s.bb;
  p.bp[1] = s.b;
  p.bbxp[1] = s.bbx;
  p.bxp[1] = s.bx;
  p.betap[1] = s.beta;
  p.betaxp[1] = s.betax;
  p.cvp[1] = 1;
  p.rhop[1] = s.rho;
  p.tp[1] = s.t0;
  p.up[1] = 0;
  p.uap[1] = s.uab;
  p.cmp[1] = 1;
  p.cmevp[1] = s.cmev0;
  p.cmdap[1] = 0;
  p.cmwp[1] = 0;
  p.cmwvp[1] = 0;
  p.wcp[1] = 0;
  p.vgp[1] = 0;
  p.ugp[1] = 0;
  p.wp[1] = s.w;
  p.vp[1] = s.v;
  p.vxp[1] = s.vx;
  p.qintp[1] = 0;
}

void store(State& s, int nx) {
  Rows& p = s.rows;
  p.xp[nx] = s.x;
  p.bbp[nx] = s.bb;
  p.bp[nx] = s.b;
  p.vgp[nx] = s.vg;
  p.cmp[nx] = s.cm;
  p.tp[nx] = s.t;
  p.rhop[nx] = s.rho;
  p.up[nx] = s.u;
  p.hp[nx] = s.h;
  p.cvp[nx] = s.cv;
  p.betap[nx] = s.beta;
  p.wp[nx] = s.w;
  p.vp[nx] = s.v;
  p.cmdap[nx] = (1 - s.cm) * s.cmdaa;
  p.cmwp[nx] = s.cmw;
  p.cmwvp[nx] = s.cmwv;
  p.cmevp[nx] = s.cmev;
  p.uap[nx] = s.uab;
  p.wcp[nx] = s.wc;
  p.zcp[nx] = s.zc;
  p.qintp[nx] = s.qint;
  p.timp[nx] = s.tim;
  p.bbxp[nx] = s.bbx;
  p.bxp[nx] = s.bx;
  p.betaxp[nx] = s.betax;
  p.ugp[nx] = s.ug;
  p.vxp[nx] = s.vx;
}

// Right-hand sides of the puff equations (quarter cloud, in time).
static void slopepf(State& s) {
  float rqs = 0, atau = 0;
  if (s.tim < s.tsd) {
    rqs = 0.25f * s.qs;
    s.wss = s.ws;
    atau = s.r > 0 ? rqs / s.r : 0;
  } else {
    s.wss = 0;
  }
  auto& f = s.f;
  const float vhwb = kSr3 * ((s.vx * s.bb + s.v * s.bbx) * s.h + s.w * s.bb * s.bbx);
  f[1] = s.rhoa * vhwb + rqs;
  f[2] = s.u - atau * s.x;
  f[3] = kSr3 * (s.rhoa / s.rho) * s.v + s.vg;
  f[4] = s.vg * s.b / s.bb;
  f[5] = kSr3 * (s.rhoa / s.rho) * s.vx + s.ug;
  f[6] = s.ug * s.bx / s.bbx;
  const float fgrv = kAlfgv * kGrav * (s.rho - s.rhoa) * s.h * s.h;
  f[7] = fgrv * s.bbx;
  f[8] = fgrv * s.bb;
  f[9] = s.ft;
  f[10] = s.fu;
  f[11] = -kGrav * (s.rho - s.rhoa) * s.bb * s.bbx * s.h;
  f[12] = s.wc;
  f[13] = s.fv;
  f[14] = s.fug;
  f[15] = s.fw;
}

static void solvepf(State& s) {
  const auto& dy = s.dy;
  s.r = s.r0 + dy[1];
  s.xn = s.x + dy[2];
  s.bbv = s.bbv0 + dy[3];
  s.bv = s.bv0 + dy[4];
  s.bbvx = s.bbvx0 + dy[5];
  s.bvx = s.bvx0 + dy[6];
  s.g = dy[7];
  s.gx = dy[8];
  s.sft = dy[9];
  s.sfu = dy[10];
  s.gw = dy[11];
  s.zc = s.zc0 + dy[12];
  if (s.zc > s.hmx - s.h / 2) s.zc = s.hmx - s.h / 2;
  if (s.zc < 0) s.zc = 0;
  s.sfy = dy[13];
  s.sfx = dy[14];
  s.sfz = dy[15];
}

// Classical fourth-order Runge-Kutta in time, the state re-evaluated after every stage; every
// nssm steps one row is stored.
void runPuff(State& s, int firstRow) {
  for (int nx = firstRow; nx <= kRows; ++nx) {
    for (int ns = 1; ns <= s.nssm; ++ns) {
      if (s.tim < s.tsd) {
        s.wss = s.ws;
        s.xstr = s.h / s.cf0;
      } else {
        s.wss = 0;
      }
      Floats<16> sum;
      const float dxxi[3] = {s.dt / 2, s.dt / 2, s.dt};
      const float dxrk[4] = {s.dt / 6, s.dt / 3, s.dt / 3, s.dt / 6};
      for (int k = 0; k < 4; ++k) {
        slopepf(s);
        for (int j = 1; j <= 15; ++j) {
          sum[j] += dxrk[k] * s.f[j];
          if (k < 3) {
            s.timn = s.tim + dxxi[k];
            s.dy[j] = dxxi[k] * s.f[j];
          } else {
            s.dy[j] = sum[j];
          }
        }
        solvepf(s);
        thermo(s);
        evalpf(s);
        entran(s);
      }
      s.x = s.xn;
      s.tim = s.timn;
      s.htp0 = s.htp;
      s.r0 = s.r;
      s.bb0 = s.bb;
      s.b0 = s.b;
      s.bbv0 = s.bbv;
      s.bv0 = s.bv;
      s.bbx0 = s.bbx;
      s.bbvx0 = s.bbvx;
      s.bx0 = s.bx;
      s.bvx0 = s.bvx;
      s.rho0 = s.rho;
      s.h0 = s.h;
      s.vg0 = s.vg;
      s.ug0 = s.ug;
      s.wc0 = s.wc;
      s.zc0 = s.zc;
      s.t0 = s.t;
      s.u0 = s.u;
      s.uab0 = s.uab;
      s.ubs20 = s.ubs2;
      s.sru0 = s.r * (s.u - (1 - s.cm) * s.uab);
      s.cm0 = s.cm;
      s.cmw0 = s.cmw;
      s.cmwv0 = s.cmwv;
      s.cmev0 = s.cmev;
      s.cp0 = s.cp;
      s.dt = s.gam * s.dt;
    }
    checkFinite(s, nx);
    s.rows.xccp[nx] = s.x;
    s.rows.tccp[nx] = s.tim;
    store(s, nx);
  }
}

}  // namespace slab::detail
