// The listing of a run in the reference program's layout: the input echo, the input summary, the
// two cloud-parameter tables, the concentration contour parameters, one table per output height
// and the centreline maximum. Numbers print with three significant figures.

#include <cstdio>
#include <string>

#include "slab/slab.h"

namespace slab {

namespace {

// printf-style formatting of one value; a negative zero prints as zero.
std::string fmt(const char* spec, double v) {
  if (v == 0) v = 0;
  char buf[64];
  std::snprintf(buf, sizeof buf, spec, v);
  return buf;
}

void echo(std::string& o, const Deck& d) {
  const Met& m = d.mets.front();
  o += "\n\n\nproblem input\n\n";
  char buf[64];
  std::snprintf(buf, sizeof buf, "  idspl =     %5d\n  ncalc =     %5d\n", d.idspl, d.ncalc);
  o += buf;
  const auto f = [](double v) { return static_cast<double>(static_cast<float>(v)); };
  const auto line = [&](const char* name, const char* spec, double v) {
    o += std::string("  ") + name + " =" + fmt(spec, f(v)) + "\n";
  };
  const auto whole = [&](const char* name, double v) {
    o += std::string("  ") + name + " =" + fmt("%9.0f", f(v)) + ".\n";
  };
  line("wms  ", "%10.6f", d.wms);
  line("cps  ", "%10.2f", d.cps);
  line("tbp  ", "%10.2f", d.tbp);
  line("cmed0", "%10.2f", d.cmed0);
  whole("dhe  ", d.dhe);
  line("cpsl ", "%10.2f", d.cpsl);
  line("rhosl", "%10.2f", d.rhosl);
  line("spb  ", "%10.2f", d.spb);
  line("spc  ", "%10.2f", d.spc);
  line("ts   ", "%10.2f", d.ts);
  line("qs   ", "%10.2f", d.qs);
  line("as   ", "%10.2f", d.as);
  whole("tsd  ", d.tsd);
  line("qtis ", "%10.2f", d.qtis);
  line("hs   ", "%10.2f", d.hs);
  line("tav  ", "%10.2f", d.tav);
  line("xffm ", "%10.2f", d.xffm);
  line("zp(1)", "%10.2f", d.zp[0]);
  line("zp(2)", "%10.2f", d.zp[1]);
  line("zp(3)", "%10.2f", d.zp[2]);
  line("zp(4)", "%10.2f", d.zp[3]);
  line("z0   ", "%10.6f", m.z0);
  line("za   ", "%10.2f", m.za);
  line("ua   ", "%10.2f", m.ua);
  line("ta   ", "%10.2f", m.ta);
  line("rh   ", "%10.2f", m.rh);
  line("stab ", "%10.2f", m.stab);
  if (static_cast<float>(m.stab) == 0) line("ala  ", "%10.4f", m.ala);
}

void summary(std::string& o, const Summary& s) {
  const auto e = [&](const char* label, double v) { o += label + fmt("%12.4E", v) + "\n"; };
  const auto i = [&](const char* label, int v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%12d", v);
    o += std::string(label) + buf + "\n";
  };
  o += "\n\nrelease gas properties\n\n";
  e(" molecular weight of source gas (kg)               - wms  =", s.wms);
  e(" vapor heat capacity, const. p.  (j/kg-k)          - cps  =", s.cps);
  e(" temperature of source gas (k)                     - ts   =", s.ts);
  e(" density of source gas (kg/m3)                     - rhos =", s.rhos);
  e(" boiling point temperature                         - tbp  =", s.tbp);
  e(" liquid mass fraction                              - cmed0=", s.cmed);
  e(" liquid heat capacity (j/kg-k)                     - cpsl =", s.cpsl);
  e(" heat of vaporization (j/kg)                       - dhe  =", s.dhe);
  e(" liquid source density (kg/m3)                     - rhosl=", s.rhosl);
  e(" saturation pressure constant                      - spa  =", s.spa);
  e(" saturation pressure constant (k)                  - spb  =", s.spb);
  e(" saturation pressure constant (k)                  - spc  =", s.spc);
  o += "\n\nspill characteristics\n\n";
  i(" spill type                                        - idspl=", s.idspl);
  e(" mass source rate (kg/s)                           - qs   =", s.qs);
  e(" continuous source duration (s)                    - tsd  =", s.tsd);
  e(" continuous source mass (kg)                       - qtcs =", s.qtcs);
  e(" instantaneous source mass (kg)                    - qtis =", s.qtis);
  e(" source area (m2)                                  - as   =", s.as);
  e(" vertical vapor velocity (m/s)                     - ws   =", s.ws);
  e(" source half width (m)                             - bs   =", s.bs);
  e(" source height (m)                                 - hs   =", s.hs);
  e(" horizontal vapor velocity (m/s)                   - us   =", s.us);
  o += "\n\nfield parameters\n\n";
  e(" concentration averaging time (s)                  - tav  =", s.tav);
  e(" mixing layer height (m)                           - hmx  =", s.hmx);
  e(" maximum downwind distrace (m)                     - xffm =", s.xffm);
  e(" concentration measurement height (m)              - zp(1)=", s.zp[0]);
  e("                                                   - zp(2)=", s.zp[1]);
  e("                                                   - zp(3)=", s.zp[2]);
  e("                                                   - zp(4)=", s.zp[3]);
  o += "\n\nambient meteorological properties\n\n";
  e(" molecular weight of ambient air (kg)             - wmae  =", s.wmae);
  e(" heat capacity of ambient air at const p. (j/kg-k)- cpaa  =", s.cpaa);
  e(" density of ambient air (kg/m3)                   - rhoa  =", s.rhoa);
  e(" ambient measurement height (m)                   - za    =", s.za);
  e(" ambient atmospheric pressure (pa=n/m2=j/m3)      - pa    =", s.pa);
  e(" ambient wind speed (m/s)                         - ua    =", s.ua);
  e(" ambient temperature (k)                          - ta    =", s.ta);
  e(" relative humidity (percent)                      - rh    =", s.rh);
  e(" ambient friction velocity (m/s)                  - uastr =", s.uastr);
  e(" atmospheric stability class value                - stab  =", s.stab);
  e(" inverse monin-obukhov length (1/m)               - ala   =", s.ala);
  e(" surface roughness height (m)                     - z0    =", s.z0);
  o += "\n\nadditional parameters\n\n";
  i(" sub-step multiplier                              - ncalc =", s.ncalc);
  i(" number of calculational sub-steps                - nssm  =", s.nssm);
  e(" acceleration of gravity (m/s2)                   - grav  =", s.grav);
  e(" gas constant (j/mol- k)                          - rr    =", s.rr);
  e(" von karman constant                              - xk    =", s.xk);
}

void row(std::string& o, const char* spec, std::initializer_list<double> values) {
  for (double v : values) o += fmt(spec, v);
  o += "\n";
}

std::string tavTitle(double tav) {
  return "time averaged (tav =" + fmt("%5.0f", tav) + ". s) volume concentration:";
}

const char* const kLegend =
    "   c(x,y,z,t) = concentration (volume fraction) at (x,y,z,t)\n"
    "            x = downwind distance (m)\n"
    "            y = crosswind horizontal distance (m)\n"
    "            z = height (m)\n"
    "            t = time (s)\n"
    "\n"
    "          erf = error functon\n"
    "           xa = (x-xc+bx)/(sr2*betax)\n"
    "           xb = (x-xc-bx)/(sr2*betax)\n"
    "           ya = (y+b)/(sr2*betac)\n"
    "           yb = (y-b)/(sr2*betac)\n"
    "          exp = exponential function\n"
    "           za = (z-zc)/(sr2*sig)\n"
    "           zb = (z+zc)/(sr2*sig)\n"
    "          sr2 = sqrt(2.0)\n"
    "\n";

void tables(std::string& o, const RunResult& r) {
  o += "1\n\ninstantaneous spatially averaged cloud parameters\n\n\n";
  o += "     x        zc         h        bb         b        bbx       bx        cv        rho  "
       "      t         u        ua\n";
  for (const CloudRow& c : r.cloud) {
    row(o, "%10.2E", {c.x, c.zc, c.h, c.bb, c.b, c.bbx, c.bx, c.cv, c.rho, c.t, c.u, c.ua});
  }
  o += "1\n\n";
  o += "     x        cm        cmv       cmda      cmw       cmwv      wc        vg        ug   "
       "      w         v        vx\n";
  for (const CloudRow& c : r.cloud) {
    row(o, "%10.2E", {c.x, c.cm, c.cmv, c.cmda, c.cmw, c.cmwv, c.wc, c.vg, c.ug, c.w, c.v, c.vx});
  }

  const std::string title = tavTitle(r.tav);
  const char* cc = r.puffForm ? "cc(t)" : "cc(x)";
  o += "1\n\n" + title + "  concentration contour parameters\n\n";
  o += std::string("c(x,y,z,t) = ") + cc +
       " * (erf(xa)-erf(xb)) * (erf(ya)-erf(yb)) * (exp(-za*za)+exp(-zb*zb))\n\n";
  o += kLegend;
  if (r.puffForm) {
    // The reference prints the along-wind half length of row 7 on every row of this form.
    const double bx7 = r.contour.size() > 6 ? r.contour[6].bx : 0;
    o += "     t        cc(t)     b(t)    betac(t)    zc(t)    sig(t)     xc(t)     bx(t)   "
         "betax(t)\n";
    for (const ContourRow& c : r.contour) {
      row(o, "%10.2E", {c.t, c.cc, c.b, c.betac, c.zc, c.sig, c.xc, bx7, c.betax});
    }
  } else {
    o += "     x        cc(x)     b(x)    betac(x)    zc(x)    sig(x)                t        "
         "xc(t)     bx(t)   betax(t)\n";
    for (const ContourRow& c : r.contour) {
      for (double v : {c.x, c.cc, c.b, c.betac, c.zc, c.sig}) o += fmt("%10.2E", v);
      o += "          ";
      row(o, "%10.2E", {c.t, c.xc, c.bx, c.betax});
    }
  }

  for (size_t j = 0; j < r.zp.size(); ++j) {
    o += "1\n\n" + title + "  concentration in the z =" + fmt("%6.2f", r.zp[j]) + " plane.\n\n\n";
    o += "    downwind    time of      cloud     effective               average concentration "
         "(volume fraction) at (x,y,z)\n"
         "    distance    max conc    duration   half width        y/bbc=     y/bbc=     y/bbc=  "
         "   y/bbc=     y/bbc=     y/bbc=\n"
         "      x (m)        (s)         (s)       bbc (m)             0.0        0.5        1.0 "
         "       1.5        2.0        2.5\n";
    for (const ConcRow& c : r.conc) {
      for (double v : {c.x, c.tmax, c.tcld, c.bbc}) o += fmt("%12.2E", v);
      o += "      ";
      for (double v : c.cz[j]) o += fmt("%11.2E", v);
      o += "\n";
    }
  }
  o += "1\n\n" + title +
       "  maximum concentration (volume fraction) along centerline.\n\n\n"
       "    downwind                 maximum    time of      cloud\n"
       "    distance     height   concentration max conc    duration\n"
       "      x (m)       z (m)     c(x,0,z)       (s)         (s)\n";
  for (const ConcRow& c : r.conc) row(o, "%12.2E", {c.x, c.zm, c.cmax, c.tmax, c.tcld});
}

}  // namespace

std::string listing(const Result& result) {
  if (result.status != Status::Ok) return {};
  std::string o;
  for (const RunResult& r : result.runs) {
    echo(o, r.echo);
    for (const Summary& s : r.summaries) summary(o, s);
    tables(o, r);
  }
  return o;
}

}  // namespace slab
