// Wind profile, thermodynamics of the cloud, cloud shape and entrainment, after Ermak (1990),
// "User's manual for SLAB", sections on the similarity wind profile, the mixture thermodynamics
// with condensation of water and of the released material, and the entrainment rates. Single
// precision, operations in the model's order (the printed third digit depends on it).

#include <cmath>

#include "slab/constants.h"
#include "slab/state.h"

namespace slab::detail {

// Normalised wind u(z)·k/u*: Monin-Obukhov profile with a mixing-layer correction, and a
// quadratic below e·z0 that joins it smoothly.
float uafn(const State& s, float z) {
  if (z < s.zt) return s.cu1 * z + s.cu2 * z * z;
  if (s.ala0 >= 0) {
    return logf(z / s.z0) - (z - s.z0) / s.hmx +
           5 * s.ala0 * s.zl *
               ((1 + s.zl / s.hmx) * logf((z + s.zl) / (s.z0 + s.zl)) - (z - s.z0) / s.hmx);
  }
  const float phmi = 1 / sqrtf(sqrtf(1 - 16 * s.zl * s.ala0));
  const float gus = -8 * s.ala0 / (1 - phmi);
  const float xu = sqrtf(1 + gus * z), xu0 = sqrtf(1 + gus * s.z0);
  return logf(z / s.z0) - phmi * (z - s.z0) / s.hmx -
         2 * (1 - phmi) * (logf((1 + xu) / (1 + xu0)) - (sqrtf(xu) - sqrtf(xu0)) / (gus * s.hmx));
}

// Horizontal stability factor of the crosswind entrainment, from the inverse Monin-Obukhov length.
float stabilityFactor(const State& s) {
  if (s.ala < 0) return 1 - s.rcf * 10 * s.ala;
  return 1 / (1 + s.rcf * 10 * s.ala);
}

namespace {

float sq(float a) { return a * a; }

// Phase equilibrium of the released material and of water: Newton iteration on the temperature
// with the latent heats, at most two passes when a component changes between all-vapour and
// saturated.
void phaseEquilibrium(State& s, float etrn, float cmwvt, float cmevt, float dhe0, float dhw0) {
  float fft = expf(s.spa - s.spb / (s.t + s.spc));
  float ggt = expf(s.spaw - kSpbw / s.t);
  const float pw = s.wmae * s.cmw / (s.alfm * kWmw);
  const float pe = s.wmae * s.cm / (s.alfm * s.wms);
  int ie = (s.cmev0 == s.cm0 && fft > pe) ? 1 : 0;
  int iw = (s.cmwv0 == s.cmw0 && ggt > pw) ? 1 : 0;
  if (ie + iw == 2) return;
  if (ie == 0) {
    float ffpr = s.spb * fft / sq(s.t + s.spc);
    if (fft > 1) {
      fft = 1 + s.spa * (s.t - s.tbp) / (s.tbp + s.spc);
      ffpr = s.spa / (s.tbp + s.spc);
    }
    const float alfs = s.wms * (s.cmda / kWma + s.cmwv / kWmw);
    const float ab2 = 0.5f * ((1 - fft) / ffpr + (dhe0 / s.cp) * (alfs + cmevt));
    const float ac = dhe0 * (alfs - (1 - fft) * cmevt) / (s.cp * ffpr);
    float dlti = dhe0 * (cmevt - s.cm) / s.cp;
    const float d2 = ab2 - sqrtf(ab2 * ab2 + ac);
    if (d2 > dlti) dlti = d2;
    s.t += dlti;
    fft = expf(s.spa - s.spb / (s.t + s.spc));
    ggt = expf(s.spaw - kSpbw / s.t);
  }
  for (int irep = 1; irep <= 2; ++irep) {
    float tstr = s.t, cmwvs = s.cmwv, cmevs = s.cmev;
    int icyc = 0;
    for (int it = 0; it < 15; ++it) {
      float cmevspr = 0, cmwvspr = 0;
      if (ie == 0) {
        const float cmwvm = std::fmin(cmwvs, s.cmw);
        const float alfs = s.wms * (s.cmda / kWma + cmwvm / kWmw);
        const float fftt = s.cm / (s.cm + alfs);
        if (fft < fftt) {
          cmevs = alfs * fft / (1 - fft);
          cmevspr = s.spb * cmevs / ((1 - fft) * sq(tstr + s.spc));
        } else {
          const float tesrt = s.spb / (s.spa - logf(fftt)) - s.spc;
          cmevspr = s.spb * s.cm / ((1 - fftt) * sq(tesrt + s.spc));
          cmevs = cmevspr * (tstr - tesrt) + s.cm;
        }
      } else {
        cmevs = s.cm;
      }
      if (iw == 0) {
        const float cmevm = std::fmin(cmevs, s.cm);
        const float alfw = kWmw * (s.cmda / kWma + cmevm / s.wms);
        const float ggtt = s.cmw / (s.cmw + alfw);
        if (ggt < ggtt) {
          cmwvs = alfw * ggt / (1 - ggt);
          cmwvspr = kSpbw * cmwvs / ((1 - ggt) * sq(tstr));
        } else {
          const float twsrt = kSpbw / (s.spaw - logf(ggtt));
          cmwvspr = kSpbw * s.cmw / ((1 - ggtt) * sq(twsrt));
          cmwvs = cmwvspr * (tstr - twsrt) + s.cmw;
        }
      } else {
        cmwvs = s.cmw;
      }
      const float cmwvm = std::fmin(cmwvs, s.cmw), cmevm = std::fmin(cmevs, s.cm);
      const float cmwds = s.cmw - cmwvm, cmeds = s.cm - cmevm;
      const float cpstr =
          s.cmda * kCpa + cmwvm * kCpwv + cmwds * kCpwl + cmevm * s.cps + cmeds * s.cpsl;
      const float tstra = (etrn + dhw0 * (cmwvt - cmwvs) + dhe0 * (cmevt - cmevs)) / cpstr;
      const float gfnc = tstr - tstra;
      const float dhwt = dhw0 + tstra * (kCpwv - kCpwl);
      const float dhet = dhe0 + tstra * (s.cps - s.cpsl);
      const float gfncp = 1 + (dhwt * cmwvspr + dhet * cmevspr) / cpstr;
      const float tstr1 = tstr - gfnc / gfncp;
      const float dtstr = std::fabs(tstr1 - tstra);
      tstr = tstr1;
      fft = expf(s.spa - s.spb / (tstr + s.spc));
      ggt = expf(s.spaw - kSpbw / tstr);
      if (!(dtstr >= 0.001f)) break;
    }
    {
      const float cmwvm = std::fmin(cmwvs, s.cmw), cmevm = std::fmin(cmevs, s.cm);
      s.alfm = s.wmae * (s.cmda / kWma + cmwvm / kWmw + cmevm / s.wms);
    }
    if (ie == 1) {
      s.cmev = s.cm;
    } else {
      cmevs = s.alfm * s.wms * fft / s.wmae;
      if (cmevs > s.cm) {
        s.cmev = s.cm;
        ie = 1;
        if (iw == 0) icyc = 1;
      } else {
        s.cmev = cmevs;
      }
    }
    if (iw == 1) {
      s.cmwv = s.cmw;
    } else {
      cmwvs = s.alfm * kWmw * ggt / s.wmae;
      if (cmwvs > s.cmw) {
        s.cmwv = s.cmw;
        iw = 1;
        if (ie == 0) icyc = 1;
      } else {
        s.cmwv = cmwvs;
      }
    }
    s.cmwd = s.cmw - s.cmwv;
    s.cmed = s.cm - s.cmev;
    s.alfm = (s.cmda / kWma + s.cmwv / kWmw + s.cmev / s.wms) * s.wmae;
    s.cp = s.cmda * kCpa + s.cmwv * kCpwv + s.cmwd * kCpwl + s.cmev * s.cps + s.cmed * s.cpsl;
    s.t = (etrn + dhw0 * (cmwvt - s.cmwv) + dhe0 * (cmevt - s.cmev)) / s.cp;
    if (ie == 1 && s.alfm * s.wms * expf(s.spa - s.spb / (s.t + s.spc)) / s.wmae < s.cm) {
      ie = 0;
      icyc = 1;
    }
    if (iw == 1 && s.alfm * kWmw * expf(s.spaw - kSpbw / s.t) / s.wmae < s.cmw) {
      iw = 0;
      icyc = 1;
    }
    if (icyc == 0) break;
  }
}

}  // namespace

// Composition, enthalpy balance with the heat from the ground, phase split and density of the
// cloud after the mass r was reached.
void thermo(State& s) {
  float sqs;
  if (s.idpf == 2) {
    sqs = 0.25f * s.qs * (s.timn > s.tsd ? s.tsd : s.timn);
    s.cm = (s.rmi + sqs) / s.r;
  } else {
    sqs = s.xn > s.bse ? 0.5f * s.qs : 0.25f * s.qs * (s.bse + s.xn) / s.bse;
    s.cm = sqs / s.r;
  }
  s.cv = s.wmae * s.cm / (s.wms + (s.wmae - s.wms) * s.cm);
  s.cmw = (1 - s.cm) * s.cmwa;
  s.cmda = (1 - s.cm) * (1 - s.cmwa);
  const float cmwvt = s.cmw + (s.r0 / s.r) * (s.cmwv0 - s.cmw0);
  const float cmevt = s.cm + (s.r0 / s.r) * (s.cmev0 - s.cm0);
  s.cmwv = cmwvt;
  s.cmev = cmevt;
  s.cmwd = s.cmw - s.cmwv;
  s.cmed = s.cm - s.cmev;
  const float dhe0 = s.dhe + s.tbp * (s.cpsl - s.cps);
  const float dhw0 = kDhw + 298.2f * (kCpwl - kCpwv);
  s.cp = s.cmda * kCpa + s.cmwv * kCpwv + s.cmwd * kCpwl + s.cmev * s.cps + s.cmed * s.cpsl;

  // Heat from the ground, limited so that it cannot carry the cloud past the air temperature.
  float sfte = 0;
  if (s.sft != 0) {
    const float as = std::fabs(s.sft);
    sfte = -s.cp0 * (s.t0 - s.ta) * as / (as + s.r0 * s.cp0 * std::fabs(s.t0 - s.ta));
  }
  const float etrn =
      (1 - s.cm) * s.cpaa * s.ta + s.cm * s.cps * s.ts +
      (s.r0 / s.r) * (s.cp0 * s.t0 - (1 - s.cm0) * s.cpaa * s.ta - s.cm0 * s.cps * s.ts + sfte);
  s.t = etrn / s.cp;
  s.alfm = s.wmae * (s.cmda / kWma + s.cmwv / kWmw + s.cmev / s.wms);
  phaseEquilibrium(s, etrn, cmwvt, cmevt, dhe0, dhw0);

  s.betm = (s.rhoa / kRhowl) * s.cmwd + (s.rhoa / s.rhosl) * s.cmed;
  s.rho = s.rhoa * s.ta / (s.alfm * s.t + s.betm * s.ta);
}

// Mean wind over the cloud depth by Simpson's rule from the previous top htp0 to htp.
static float layerWind(const State& s, float u1) {
  const float htph = (s.htp0 + s.htp) / 2;
  const float u12 = (s.uastr / kXk) * uafn(s, htph);
  const float u2 = (s.uastr / kXk) * uafn(s, s.htp);
  return (s.htp0 * s.uab0 + (u1 + 4 * u12 + u2) * (s.htp - s.htp0) / 6) / s.htp;
}

// Puff shape, speed, gravity slumping and vertical motion after a stage.
void evalpf(State& s) {
  const float u1 = (s.uastr / kXk) * uafn(s, s.htp0);
  const float gey = s.bbx0 * s.h0 / (s.h0 * (s.bbx0 + s.bb0) + 2 * s.bb0 * s.bbx0);
  const float gex = (s.bb0 / s.bbx0) * gey;
  const float rey = powf(s.rho0 / s.rho, gey), rex = powf(s.rho0 / s.rho, gex);
  s.bb = (s.bb0 + s.bbv - s.bbv0) * rey;
  s.b = (s.b0 + s.bv - s.bv0) * rey;
  s.bbx = (s.bbx0 + s.bbvx - s.bbvx0) * rex;
  s.bx = (s.bx0 + s.bvx - s.bvx0) * rex;
  s.beta = sqrtf(s.bb * s.bb - s.b * s.b) / kSr3;
  s.betax = sqrtf(s.bbx * s.bbx - s.bx * s.bx) / kSr3;
  s.h = s.r / (s.rho * s.bbx * s.bb);
  if (s.h > s.hmx) s.h = s.hmx;
  const float hhf = s.h / 2;
  if (s.zc > s.hmx - hhf) s.zc = s.hmx - hhf;
  s.htp = s.zc > hhf ? s.zc + hhf : s.h;
  s.uab = layerWind(s, u1);

  float sfue = 0;
  if (s.sfu != 0) {
    const float a = std::fabs(s.sfu);
    sfue = -s.r0 * (s.u0 - s.uab0) * a / (a + s.r0 * std::fabs(s.u0 - s.uab0));
  }
  s.u = (1 - s.cm) * s.uab + (s.sru0 + sfue) / s.r;

  const auto liftedWc = [&s] {
    const float ew =
        s.wc0 == 0 ? 1 : s.r0 * std::fabs(s.wc0) / (s.r0 * std::fabs(s.wc0) + std::fabs(s.sfz));
    s.wc = ew * (s.gw + s.r0 * s.wc0) / s.r;
    s.vg = 0;
    s.ug = 0;
  };
  if (s.htp > s.h || !(s.rho > s.rhoa)) {
    liftedWc();
    return;
  }
  float ev, eu;
  if (s.vg0 == 0) {
    ev = 1;
    if (s.h0 > 0) {
      const float rbxy = s.bb0 * s.bbx0 / (s.bb0 * s.bb0 + s.bbx0 * s.bbx0);
      s.vg0 = -2 * rbxy * s.bbx0 * s.wc0 / s.h0;
    }
  } else {
    ev = s.r0 * s.vg0 / (s.r0 * s.vg0 + std::fabs(s.sfy));
  }
  s.vg = ev * (s.g + s.r0 * s.vg0) / s.r;
  if (s.ug0 == 0) {
    eu = 1;
    if (s.h0 > 0) {
      const float rbxy = s.bb0 * s.bbx0 / (s.bb0 * s.bb0 + s.bbx0 * s.bbx0);
      s.ug0 = -2 * rbxy * s.bb0 * s.wc0 / s.h0;
    }
  } else {
    eu = s.r0 * s.ug0 / (s.r0 * s.ug0 + std::fabs(s.sfx));
  }
  s.ug = eu * (s.gx + s.r0 * s.ug0) / s.r;
  s.wc = -(s.vg / s.bb + s.ug / s.bbx) * s.zc;
}

// Entrainment velocities (top w, side v, front vx) and the surface momentum and heat fluxes.
void entran(State& s) {
  const float ubar = s.ug / 2, urho = ubar * s.rhoa / s.rho;
  const float vbar = s.vg / 2, vrho = vbar * s.rhoa / s.rho;
  const float delu = (s.uab - s.u) * (s.rhoa / s.rho);
  const float cf = s.uastr / s.uab;
  const float umgs = cf * s.u, ugmgs = cf * ubar, vmgs = cf * vbar;
  const float uhs2 = kCf1 * (delu * delu + vrho * vrho);
  const bool lifted = s.htp > s.h;
  const float ubsi2 = lifted ? s.uastr2 + uhs2 : umgs * umgs + vmgs * vmgs + kCws * s.wss * s.uab;
  s.ubs2 = ubsi2;
  if (s.idspl == 1 && s.xn > s.bse) {
    s.ubs2 = ubsi2 + (s.ubs20 - ubsi2) * expf((s.bse - s.xn) / s.xstr);
  } else if (s.idspl == 4 && s.qs * s.timn > s.qtcs) {
    s.ubs2 = ubsi2 + (s.ubs20 - ubsi2) * expf((s.tsd - s.timn) * s.u / s.xstr);
  }
  const float ubs = sqrtf(s.ubs2);
  const float vh = cf * ubs;
  const float tg = s.tgon * s.ta + (1 - s.tgon) * s.t;
  float uts2 = 0;
  if (!(lifted || tg <= s.t)) {
    const float tgt = (tg + s.t) / 2;
    uts2 = powf(kCth * kGrav * (tg - s.t) * vh * s.h / tgt, kTutrd);
  }
  const float ustr2 = s.ubs2 + uhs2 + uts2;
  const float ustr = sqrtf(ustr2);

  // Vertical entrainment, reduced by the stratification of the cloud (Richardson number).
  float galc = kCri * kGrav * (s.rho - s.rhoa) / s.rho;
  if (galc < 0) galc = 0;
  const float alah = s.ala0 / (1 + s.htp / s.zl);
  const float al = (alah * s.uastr2 + galc) / ustr2;
  const float phiit = al < 0 ? 1 / sqrtf(1 - 16 * s.htp * al) : 1 + 5 * s.htp * al;
  const float fpr = 1 - s.htp / s.hmx;
  float fprb = 0, phiitb = 1;
  if (s.htp > 1.01f * s.h) {
    const float hbt = s.htp - s.h;
    fprb = 1 - hbt / s.hmx;
    phiitb = al < 0 ? 1 / sqrtf(1 - 16 * hbt * al) : 1 + 5 * hbt * al;
  }
  const float uah = uafn(s, s.htp);
  s.w = (s.urf / uah) * kAa * kXk * ustr * (fpr / phiit + fprb / phiitb);

  // Horizontal entrainment: atmospheric turbulence, shear, and along-wind shear dispersion.
  const float atot = s.afa * stabilityFactor(s);
  const float rab = 0.5f * kSigb / atot;
  const float va = atot * s.uab / (1 + rab * s.bb / kSr3);
  const float vjp = kAa * kXk * delu;
  s.v = sqrtf(va * va + kCf1 * vjp * vjp);
  const float sig = s.zc > s.h / 2 ? (s.h / 2) / kSr3 : (s.h - s.zc) / kSr3;
  const float zrf = s.zc + sig / 2;
  const float frzr = zrf / (zrf + s.z0);
  const float fgr = 1 - zrf / s.hmx;
  const float phmr = s.stb < 0 ? s.phimi + (1 - s.phimi) / sqrtf(1 + s.phgam * zrf)
                               : 1 + 5 * s.ala0 * zrf / (1 + zrf / s.zl);
  const float vxs = 0.6f * s.uastr * frzr * phmr * fgr / kXk;
  const float vax = atot * s.uab / (1 + rab * s.bbx / kSr3);
  s.vx = sqrtf(vax * vax + vxs * vxs);

  // Momentum and heat exchanged with the ground and the air above.
  const float umhs2 = kCf1 * std::fabs(delu) * delu;
  const float ugmhs2 = kCf1 * std::fabs(urho) * urho;
  const float vmhs2 = kCf1 * std::fabs(vrho) * vrho;
  const float wmhs2 = kCf1 * std::fabs(s.wc) * s.wc;
  const float rhoef = s.idpf == 2 ? s.rho * s.bbx : s.rho;
  if (lifted) {
    s.fu = rhoef * (s.bb + s.bb + s.h) * umhs2;
    s.fug = 0;
    s.fv = 0;
    s.fw = -rhoef * s.h * wmhs2;
    s.ft = 0;
  } else {
    s.fu = -rhoef * (s.bb * (umgs * umgs - s.uastr2) - (s.bb + s.h) * umhs2);
    s.fug = -rhoef * s.bb * (ugmgs * ugmgs + ugmhs2);
    s.fv = -rhoef * s.bb * (vmgs * vmgs + vmhs2);
    s.fw = 0;
    s.ft = rhoef * s.bb * vh * s.cp * (tg - s.t);
  }
}

}  // namespace slab::detail
