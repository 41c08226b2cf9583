// A SLAB run per meteorology set, and the time-averaged concentrations (Ermak 1990): the cloud
// duration, the meander correction of the crosswind spread for the averaging time, the
// along-wind average over the averaging time, the crosswind and vertical profiles.

#include <cmath>
#include <cstdio>
#include <string>

#include "slab/constants.h"
#include "slab/setup.h"
#include "slab/state.h"

namespace slab::detail {

std::string formatG(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.6g", v);
  return buf;
}

void checkFinite(const State& s, int row) {
  const float v[] = {s.x, s.r, s.bb, s.b, s.h, s.u, s.cv, s.rho, s.t, s.zc, s.uab, s.w, s.v};
  for (float a : v) {
    if (!std::isfinite(a)) {
      throw Refusal{Status::Failed, "the calculation broke down at row " + std::to_string(row) +
                                        " (the cloud state is no longer finite)"};
    }
  }
}

void summarize(State& s) {
  Summary m{};
  m.idspl = s.idspl;
  m.wms = s.wms, m.cps = s.cps, m.ts = s.ts, m.rhos = s.rhos, m.tbp = s.tbp, m.cmed = s.cmed;
  m.cpsl = s.cpsl, m.dhe = s.dhe, m.rhosl = s.rhosl, m.spa = s.spa, m.spb = s.spb, m.spc = s.spc;
  m.qs = s.qs, m.tsd = s.tsd, m.qtcs = s.qtcs, m.qtis = s.qtis, m.as = s.as, m.ws = s.ws;
  m.bs = s.bs, m.hs = s.hs, m.us = s.us;
  m.tav = s.tav, m.hmx = s.hmx, m.xffm = s.xffm;
  for (int i = 0; i < 4; ++i) m.zp[static_cast<size_t>(i)] = s.zp[static_cast<size_t>(i)];
  m.wmae = s.wmae, m.cpaa = s.cpaa, m.rhoa = s.rhoa, m.za = s.za, m.pa = kPa, m.ua = s.ua;
  m.ta = s.ta, m.rh = s.rh, m.uastr = s.uastr, m.stab = s.stab, m.ala = s.ala, m.z0 = s.z0;
  m.ncalc = s.ncalc, m.nssm = s.nssm;
  m.grav = kGrav, m.rr = kRr, m.xk = kXk;
  s.summaries.push_back(m);
}

namespace {

float erfClipped(float a) {
  if (std::fabs(a) > 6) return a > 0 ? 1.f : -1.f;
  return errint(a);
}

// Meander reduction of a jet's own momentum region (horizontal jet only).
float jetMomentumFactor(const State& s, int i) {
  const Rows& p = s.rows;
  const float rm3 = powf((s.rhoa * p.uap[i] * (1 - p.cmp[i])) / (s.rhos * s.us * p.cmp[i]), kThird);
  const float rlg = logf((1 - rm3 + rm3 * rm3) / ((1 + rm3) * (1 + rm3)));
  const float rit = atanf((2 * rm3 - 1) / kSr3) + atanf(1 / kSr3);
  if (rm3 < 0.1f) return 0;
  return 1 - (2 / (3 * rm3 * rm3)) * (0.5f * rlg + kSr3 * rit);
}

// Time averaging and the concentrations of every row.
void editcc(State& s, RunResult& out) {
  Rows& p = s.rows;
  RowArray tcld;
  tcld[kRows] = std::fmax(2 * p.bbxp[kRows] / p.up[kRows], s.tsd);
  for (int in = kRows - 1; in >= 2; --in) {
    tcld[in] = std::fmax(s.tsd, std::fmin(tcld[in + 1], 2 * p.bbxp[in] / p.up[in]));
  }
  tcld[1] = tcld[2];
  if (p.up[1] == 0) p.up[1] = 0.001f;
  if (s.tav == 0) s.tav = 1;
  int nzpm = 1;
  while (nzpm < 4 && s.zp[static_cast<size_t>(nzpm)] != 0) ++nzpm;
  out.tav = s.tav;
  out.tsd = s.tsd;
  out.cutRow = s.nxtr;
  out.puffForm = s.idspl == 4;
  out.zp.assign(s.zp.begin(), s.zp.begin() + nzpm);

  const float stby = stabilityFactor(s);
  const float asig = 2 * s.afa * stby / kSigb;
  const float cc1 = 4 * kSr2 * kSrpi;
  const float facss = 0.5f / (kSr2 * kSrpi);
  for (int i = 1; i <= kRows; ++i) {
    const float tmdr = std::fmin(tcld[i], s.tav);
    const float afata = 0.08f * powf((tmdr + kTau0 * expf(-tmdr / kTau0)) / kTav0, 0.2f);
    const float rav = afata / s.afa;
    const float sig0 = asig * (sqrtf(1 + kSigb * (p.xp[i] - p.xp[1])) - 1);
    const float rjt = s.idspl == 2 ? jetMomentumFactor(s, i) : 1;
    const float sigm2 = (rav * rav - 1) * sig0 * sig0 * rjt * rjt;
    const float betac = sqrtf(p.betap[i] * p.betap[i] + sigm2);
    const float bbc = sqrtf(p.bp[i] * p.bp[i] + 3 * betac * betac);

    const float zc = p.zcp[i], h = p.hp[i];
    const float htpp = zc > h / 2 ? zc + h / 2 : h;
    const float sig = sqrtf(kThird * (htpp - zc) * (htpp - zc));
    const float hdsig = sig == 0 ? kSr3 : h / sig;
    const auto fcz = [&](float z) {
      if (sig == 0) return z == 0 ? 2.f : 0.f;
      return expf(-.5f * (z - zc) * (z - zc) / (sig * sig)) +
             expf(-.5f * (z + zc) * (z + zc) / (sig * sig));
    };
    float zm = 0;
    if (zc > sig) {
      zm = zc;
      for (int k = 0; k < 5; ++k) {
        const float ezi = expf(-2 * zc * zm / (sig * sig));
        const float gzi = zc * (1 - ezi) / (1 + ezi);
        const float gzip = (4 * zc * zc / (sig * sig)) * ezi / ((1 + ezi) * (1 + ezi));
        zm = (gzi - zm * gzip) / (1 - gzip);
      }
    }

    float fcx;
    if (i < s.nxtr) {
      const float cvbrx = std::fmin(s.tsd / s.tav, 1.0f);
      fcx = facss * p.bbp[i] * hdsig * cvbrx * p.cvp[i] / p.bp[i];
    } else {
      const float bx = p.bxp[i], u = p.up[i], betax = p.betaxp[i];
      const float epx1 = (bx + 0.5f * u * s.tav) / (kSr2 * betax);
      const float epx2 = (bx - 0.5f * u * s.tav) / (kSr2 * betax);
      const float erfx1 = epx1 > 6 ? 1 : errint(epx1);
      const float erfx2 = std::fabs(epx2) > 6 ? (epx2 > 0 ? 1.f : -1.f) : errint(epx2);
      const float cvbrx =
          epx1 * erfx1 - epx2 * erfx2 + (1 / kSrpi) * (expf(-epx1 * epx1) - expf(-epx2 * epx2));
      const float facn = (0.5f / kSrpi) * betax * p.bbxp[i] * p.bbp[i] * hdsig;
      const float facd = bx * u * s.tav * p.bp[i];
      fcx = facn * cvbrx * p.cvp[i] / facd;
    }
    Floats<6> fcy;
    for (int k = 0; k < 6; ++k) {
      const float y = 0.5f * static_cast<float>(k) * bbc;
      const float epy1 = (y + p.bp[i]) / (kSr2 * betac);
      const float epy2 = (y - p.bp[i]) / (kSr2 * betac);
      fcy[k] = erfClipped(epy1) - erfClipped(epy2);
    }
    ConcRow row{};
    row.x = p.xp[i];
    row.tmax = p.timp[i];
    row.tcld = tcld[i];
    row.bbc = bbc;
    for (int j = 0; j < nzpm; ++j) {
      std::array<double, 6> c{};
      const float fz = fcz(s.zp[static_cast<size_t>(j)]);
      for (size_t k = 0; k < 6; ++k) c[k] = std::fmin(1.f, fcx * fcy[static_cast<int>(k)] * fz);
      row.cz.push_back(c);
    }
    s.zp[static_cast<size_t>(nzpm)] = zm;  // the reference keeps it for the next set
    row.zm = zm;
    row.cmax = std::fmin(1.f, fcx * fcy[0] * fcz(zm));
    row.fcx = fcx;
    row.b = p.bp[i];
    row.betac = betac;
    row.zc = zc;
    row.sig = sig;
    out.conc.push_back(row);

    const float den = cc1 * p.bxp[i] * p.bp[i] * sig;
    const float ccp = den == 0 ? 0 : (p.bbxp[i] * bbc * h * p.cvp[i]) / den;
    ContourRow c{};
    c.x = p.xp[i];
    c.t = p.tccp[i];
    c.cc = ccp;
    c.b = p.bp[i];
    c.betac = betac;
    c.zc = zc;
    c.sig = sig;
    c.xc = p.xccp[i];
    c.bx = p.bxp[i];
    c.betax = p.betaxp[i];
    out.contour.push_back(c);
  }
}

void collectCloud(const State& s, RunResult& out) {
  const Rows& p = s.rows;
  for (int i = 1; i <= kRows; ++i) {
    CloudRow r{};
    r.x = p.xp[i], r.zc = p.zcp[i], r.h = p.hp[i], r.bb = p.bbp[i], r.b = p.bp[i];
    r.bbx = p.bbxp[i], r.bx = p.bxp[i], r.cv = p.cvp[i], r.rho = p.rhop[i], r.t = p.tp[i];
    r.u = p.up[i], r.ua = p.uap[i];
    r.cm = p.cmp[i], r.cmv = p.cmevp[i], r.cmda = p.cmdap[i], r.cmw = p.cmwp[i];
    r.cmwv = p.cmwvp[i], r.wc = p.wcp[i], r.vg = p.vgp[i], r.ug = p.ugp[i], r.w = p.wp[i];
    r.v = p.vp[i], r.vx = p.vxp[i];
    out.cloud.push_back(r);
  }
}

}  // namespace

// One meteorology set: set-up, source, integration, post-processing.
void runOnce(State& s, RunResult& out) {
  s.summaries.clear();
  prepareRun(s);
  commonEntry(s);
  switch (s.idspl) {
    case 1: setupPool(s); break;
    case 2: setupHorizontalJet(s); break;
    case 3: setupVerticalJet(s); break;
    default:
      instantaneousSource(s);
      runPuff(s, 2);
      break;
  }
  afterIntegration(s);
  collectCloud(s, out);
  editcc(s, out);
  out.summaries = s.summaries;
}

}  // namespace slab::detail
