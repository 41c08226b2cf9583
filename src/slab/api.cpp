// run(): checks a deck, then computes each meteorology set, keeping one state for the whole deck
// (as the reference program does) or starting each set afresh.

#include <cmath>
#include <exception>
#include <memory>
#include <string>

#include "slab/setup.h"
#include "slab/slab.h"
#include "slab/state.h"

namespace slab {

namespace detail {
void runOnce(State& s, RunResult& out);
}

namespace {

using detail::Refusal;

struct Check {
  const char* name;
  double value;
  double lo;
  bool loOpen;  // value must exceed lo (else be at least lo)
  double hi;    // upper limit (inclusive); infinity for none
  const char* what;
};

void require(const Check& c) {
  const bool ok =
      std::isfinite(c.value) && (c.loOpen ? c.value > c.lo : c.value >= c.lo) && c.value <= c.hi;
  if (!ok) {
    throw Refusal{Status::BadInput,
                  std::string(c.name) + " = " + detail::formatG(c.value) + ": " + c.what};
  }
}

constexpr double kInf = INFINITY;

void checkSource(const Deck& d) {
  if (d.idspl < 1 || d.idspl > 4) {
    throw Refusal{Status::BadInput, "idspl = " + std::to_string(d.idspl) +
                                        ": the source type must be 1 (evaporating pool), 2 "
                                        "(horizontal jet), 3 (vertical jet or stack) or 4 "
                                        "(instantaneous volume)"};
  }
  if (d.ncalc < 1 || d.ncalc > 100) {
    throw Refusal{Status::BadInput, "ncalc = " + std::to_string(d.ncalc) +
                                        ": the sub-step multiplier must be 1 to 100"};
  }
  const char* absZero = "a temperature must be above absolute zero (0 K)";
  const Check checks[] = {
      {"wms", d.wms, 0, true, kInf, "the molar mass must be positive (kg/mol)"},
      {"cps", d.cps, 0, true, kInf, "the vapour heat capacity must be positive"},
      {"tbp", d.tbp, 0, true, kInf, absZero},
      {"cmed0", d.cmed0, 0, false, 0.999, "the liquid mass fraction must be 0 to 0.999"},
      {"dhe", d.dhe, 0, true, kInf, "the heat of vaporisation must be positive"},
      {"cpsl", d.cpsl, 0, false, kInf, "the liquid heat capacity must not be negative"},
      {"rhosl", d.rhosl, 0, true, kInf, "the liquid density must be positive"},
      {"ts", d.ts, 0, true, kInf, absZero},
      {"qs", d.qs, 0, false, kInf, "the release rate must not be negative"},
      {"as", d.as, 0, true, kInf, "the source area must be positive"},
      {"tsd", d.tsd, 0, false, kInf, "the release duration must not be negative"},
      {"qtis", d.qtis, 0, false, kInf, "the released mass must not be negative"},
      {"hs", d.hs, 0, false, kInf, "the source height must not be negative"},
      {"tav", d.tav, 0, false, kInf, "the averaging time must not be negative"},
      {"xffm", d.xffm, 0, true, kInf, "the farthest distance must be positive"},
      {"zp(1)", d.zp[0], 0, false, kInf, "an output height must not be negative"},
      {"zp(2)", d.zp[1], 0, false, kInf, "an output height must not be negative"},
      {"zp(3)", d.zp[2], 0, false, kInf, "an output height must not be negative"},
      {"zp(4)", d.zp[3], 0, false, kInf, "an output height must not be negative"},
  };
  for (const Check& c : checks) require(c);
  if (!std::isfinite(d.spb) || !std::isfinite(d.spc) || (d.spb >= 0 && d.tbp + d.spc <= 0)) {
    throw Refusal{Status::BadInput,
                  "spb, spc: the saturation-pressure constants need tbp + spc > 0"};
  }
  if (d.idspl != 4 && !(d.qs > 0 && d.tsd > 0)) {
    throw Refusal{Status::BadInput,
                  "qs, tsd: a pool or jet release needs a positive rate and duration"};
  }
  if (d.idspl == 4 && !(d.qtis > 0 || (d.qs > 0 && d.tsd > 0))) {
    throw Refusal{Status::BadInput,
                  "qtis: an instantaneous release needs a positive mass (or a rate and duration)"};
  }
  if (d.mets.empty()) throw Refusal{Status::BadInput, "the deck has no meteorology set"};
}

void checkMet(const Met& m, size_t index) {
  const std::string set = " (meteorology set " + std::to_string(index + 1) + ")";
  const Check checks[] = {
      {"z0", m.z0, 0, true, 10, "the roughness must be above 0 and at most 10 m"},
      {"za", m.za, 0, true, kInf, "the wind measurement height must be positive"},
      {"ua", m.ua, 0, true, kInf, "the wind speed must be positive"},
      {"ta", m.ta, 0, true, kInf, "a temperature must be above absolute zero (0 K)"},
      {"rh", m.rh, 0, false, 100, "the relative humidity must be 0 to 100 %"},
      {"stab", m.stab, 0, false, 7, "the stability class value must be 0 (use ala) or 1 to 7"},
      {"ala", m.ala, -1, false, 1, "the inverse Monin-Obukhov length must be -1 to 1 (1/m)"},
  };
  for (const Check& c : checks) {
    try {
      require(c);
    } catch (Refusal& r) {
      r.message += set;
      throw;
    }
  }
  if (m.stab > 0 && m.stab < 1) {
    throw Refusal{Status::BadInput, "stab = " + detail::formatG(m.stab) +
                                        ": the stability class value must be 0 (use ala) or 1 to "
                                        "7" +
                                        set};
  }
}

void load(detail::State& s, const Deck& d) {
  const auto f = [](double v) { return static_cast<float>(v); };
  s.idspl = d.idspl, s.ncalc = d.ncalc;
  s.wms = f(d.wms), s.cps = f(d.cps), s.tbp = f(d.tbp), s.cmed0 = f(d.cmed0), s.dhe = f(d.dhe);
  s.cpsl = f(d.cpsl), s.rhosl = f(d.rhosl), s.spb = f(d.spb), s.spc = f(d.spc);
  s.ts = f(d.ts), s.qs = f(d.qs), s.as = f(d.as), s.tsd = f(d.tsd), s.qtis = f(d.qtis);
  s.hs = f(d.hs), s.tav = f(d.tav), s.xffm = f(d.xffm);
  for (size_t i = 0; i < 4; ++i) s.zp[i] = f(d.zp[i]);
  s.zp[4] = 0;
}

// The deck values the run starts from: as read, or as a previous set left them in memory.
Deck echoOf(const detail::State& s, const Deck& d) {
  Deck e = d;
  e.wms = s.wms, e.cps = s.cps, e.tbp = s.tbp, e.cmed0 = s.cmed0, e.dhe = s.dhe, e.cpsl = s.cpsl;
  e.rhosl = s.rhosl, e.spb = s.spb, e.spc = s.spc, e.ts = s.ts, e.qs = s.qs, e.as = s.as;
  e.tsd = s.tsd, e.qtis = s.qtis, e.hs = s.hs, e.tav = s.tav, e.xffm = s.xffm;
  for (size_t i = 0; i < 4; ++i) e.zp[i] = s.zp[i];
  return e;
}

void loadMet(detail::State& s, const Met& m) {
  const auto f = [](double v) { return static_cast<float>(v); };
  s.z0 = f(m.z0), s.za = f(m.za), s.ua = f(m.ua), s.ta = f(m.ta), s.rh = f(m.rh);
  s.stab = f(m.stab), s.ala = f(m.ala);
}

}  // namespace

Result run(const Deck& deck, const Options& options) {
  Result result;
  try {
    checkSource(deck);
    for (size_t i = 0; i < deck.mets.size(); ++i) checkMet(deck.mets[i], i);
    auto state = std::make_unique<detail::State>();
    load(*state, deck);
    for (size_t i = 0; i < deck.mets.size(); ++i) {
      if (!options.carryStateBetweenSets && i > 0) {
        state = std::make_unique<detail::State>();
        load(*state, deck);
      }
      loadMet(*state, deck.mets[i]);
      RunResult run;
      run.echo = echoOf(*state, deck);
      run.echo.mets = {deck.mets[i]};
      try {
        detail::runOnce(*state, run);
      } catch (Refusal& r) {
        if (deck.mets.size() > 1) r.message += " (meteorology set " + std::to_string(i + 1) + ")";
        throw;
      }
      result.runs.push_back(std::move(run));
    }
  } catch (const Refusal& r) {
    result.runs.clear();  // no partial results
    result.status = r.status;
    result.message = r.message;
  } catch (const std::exception& e) {
    result.runs.clear();
    result.status = Status::Failed;
    result.message = e.what();
  }
  return result;
}

}  // namespace slab
