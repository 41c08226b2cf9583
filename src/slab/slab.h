// kuvaslab: dispersion of a denser-than-air gas release (evaporating pool, horizontal jet,
// vertical jet or stack, instantaneous volume) after the LLNL SLAB model (D. L. Ermak, "User's
// manual for SLAB: an atmospheric dispersion model for denser-than-air releases", UCRL-MA-105607,
// 1990), computed in single precision as that program does so that its listings are reproduced to
// the printed digit.
//
// The library runs a deck and returns every table as numbers; the listing is one way of printing
// them. Nothing here throws past the interface, exits or writes a file: callers write through an
// atomic writer.
//
// Units: SI throughout (kg, m, s, K, J); concentrations are volume fractions.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace slab {

// ----- the deck ---------------------------------------------------------------------------------

// One meteorology set; each set of a deck is a separate run with the same source.
struct Met {
  double z0 = 0;    // surface roughness height, m
  double za = 0;    // height of the wind measurement, m
  double ua = 0;    // wind speed at za, m/s
  double ta = 0;    // air temperature, K
  double rh = 0;    // relative humidity, %
  double stab = 0;  // stability class value 1..6 (A..F, fractional allowed); 0 = use ala
  double ala = 0;   // inverse Monin-Obukhov length, 1/m (read only when stab = 0)
};

// A deck: the source and its substance, the output controls, and one or more meteorology sets.
struct Deck {
  int idspl = 1;     // source type: 1 evaporating pool, 2 horizontal jet, 3 vertical jet or stack,
                     // 4 instantaneous volume
  int ncalc = 1;     // sub-step multiplier (integration steps per printed row = 3 * ncalc)
  double wms = 0;    // molar mass of the source gas, kg/mol
  double cps = 0;    // vapour heat capacity at constant pressure, J/(kg K)
  double tbp = 0;    // boiling point, K
  double cmed0 = 0;  // initial liquid mass fraction
  double dhe = 0;    // heat of vaporisation, J/kg
  double cpsl = 0;   // liquid heat capacity, J/(kg K)
  double rhosl = 0;  // liquid density, kg/m3
  double spb = 0;    // saturation-pressure constant B, K (negative: derived from dhe, spc = 0)
  double spc = 0;    // saturation-pressure constant C, K
  double ts = 0;     // source temperature, K
  double qs = 0;     // mass release rate, kg/s
  double as = 0;     // source area, m2
  double tsd = 0;    // release duration, s
  double qtis = 0;   // instantaneous release mass, kg
  double hs = 0;     // source height, m
  double tav = 0;    // concentration averaging time, s (0 is used as 1 s)
  double xffm = 0;   // farthest downwind distance of the tables, m
  std::array<double, 4> zp{};  // output heights, m; zp[0] always used, zp[1..3] up to the first 0
  std::vector<Met> mets;       // at least one
};

enum class Status {
  Ok,
  BadDeck,   // the deck could not be read (message names the line)
  BadInput,  // a value is out of the model's range (message names the field)
  Failed,    // the calculation broke down (non-finite state)
};

// Reads a deck: one value per line (CRLF or LF), columns 1-5 for the two integers and 1-10 for the
// reals, a number without a decimal point scaled by 1e-3 as a fixed-format read does; the deck
// ends with a negative roughness. On failure `message` names the line (1-based) and the value.
struct DeckRead {
  Status status = Status::Ok;
  std::string message;
  Deck deck;
};
DeckRead readDeck(const std::string& text);

// The deck as text in the reader's format (every real with a decimal point, CRLF line ends), so
// readDeck(writeDeck(d)) gives d back to the precision of the ten-column field.
std::string writeDeck(const Deck& deck);

// ----- results ----------------------------------------------------------------------------------

// Spatially averaged cloud state at one printed row (the two cloud-parameter tables). -1 marks a
// value not computed on an interpolated row of a dense vertical jet's rise.
struct CloudRow {
  double x, zc, h, bb, b, bbx, bx, cv, rho, t, u, ua;     // first table
  double cm, cmv, cmda, cmw, cmwv, wc, vg, ug, w, v, vx;  // second table
};

// The time-averaged concentration contour parameters of one row:
//   c(x,y,z,t) = cc * (erf(xa)-erf(xb)) * (erf(ya)-erf(yb)) * (exp(-za*za)+exp(-zb*zb))
//   xa,b = (x - xc +- bx)/(sqrt2 betax), ya,b = (y +- b)/(sqrt2 betac), za,b = (z -+ zc)/(sqrt2
//   sig)
// In a plume row (byDistance) cc, b, betac, zc, sig belong to the distance x and xc, bx, betax
// to the time t; in a puff row all of them belong to the time t (x is the cloud centre then).
struct ContourRow {
  double x, t;                   // downwind distance of the row (m), time (s)
  double cc, b, betac, zc, sig;  // m except cc (volume fraction)
  double xc, bx, betax;          // m
};

// Time-averaged concentrations of one row: at each output height, crosswind y/bbc = 0, 0.5 .. 2.5,
// and the centreline maximum over height.
struct ConcRow {
  double x;                               // downwind distance, m
  double tmax;                            // time of the maximum concentration, s
  double tcld;                            // cloud duration, s
  double bbc;                             // effective half width, m
  std::vector<std::array<double, 6>> cz;  // per output height: c at y/bbc = 0, 0.5, ..., 2.5
  double zm;                              // height of the centreline maximum, m
  double cmax;                            // centreline maximum (volume fraction)
  // Factors of the maximum over time at (x, y, z): c = min(1, fcx * fcy(y) * fcz(z)), with
  // fcy(y) = erf((y+b)/(sqrt2 betac)) - erf((y-b)/(sqrt2 betac)) and fcz the ground-reflected
  // Gaussian in z about zc with width sig.
  double fcx, b, betac, zc, sig;
};

// The set-up values printed in the input summary of one source set-up (a pool that turns into a
// puff has two).
struct Summary {
  int idspl;
  double wms, cps, ts, rhos, tbp, cmed, cpsl, dhe, rhosl, spa, spb, spc;
  double qs, tsd, qtcs, qtis, as, ws, bs, hs, us;
  double tav, hmx, xffm;
  std::array<double, 4> zp;
  double wmae, cpaa, rhoa, za, pa, ua, ta, rh, uastr, stab, ala, z0;
  int ncalc, nssm;
  double grav, rr, xk;
};

// One meteorology set's run.
struct RunResult {
  Deck echo;                        // the deck values as read for this run (one met set)
  std::vector<Summary> summaries;   // one, or two when a pool release turned into a puff
  bool puffForm = false;            // contour rows are by time (instantaneous form)
  int cutRow = 62;                  // 1-based first row of the puff phase (62: never cut)
  double tav = 0;                   // averaging time used, s
  double tsd = 0;                   // release duration, s
  std::vector<double> zp;           // output heights used (one table each)
  std::vector<CloudRow> cloud;      // 61 rows
  std::vector<ContourRow> contour;  // 61 rows; bx is the row's own value
  std::vector<ConcRow> conc;        // 61 rows
};

struct Result {
  Status status = Status::Ok;
  std::string message;          // empty when Ok
  std::vector<RunResult> runs;  // one per meteorology set; empty unless status is Ok
};

struct Options {
  // Run each meteorology set from the deck's values (sound), or carry the state one run leaves
  // in memory into the next set as the reference program does (its listings show it).
  bool carryStateBetweenSets = true;
};

// Runs every meteorology set of the deck. Never throws.
Result run(const Deck& deck, const Options& options = {});

// The listing of a result as the reference program prints it (input echo, summaries, the two
// cloud tables, the contour parameters, one table per output height and the centreline maximum).
// Empty when result.status is not Ok.
std::string listing(const Result& result);

// ----- concentrations from a result -------------------------------------------------------------

// Time-averaged concentration (volume fraction) at (x, y, z) and time t from the contour
// parameters, interpolated linearly between rows. 0 outside the rows' range of x (or t).
double concentration(const RunResult& run, double x, double y, double z, double t);

// A receptor's concentration at each of `times` (s).
std::vector<double> receptorSeries(const RunResult& run, double x, double y, double z,
                                   const std::vector<double>& times);

// The largest time-averaged concentration at (x, y, z) over the whole passage of the cloud
// (interpolated between rows; 0 before the first row and beyond the last).
double peakConcentration(const RunResult& run, double x, double y, double z);

// The farthest downwind distance at which the peak concentration at height z on the centreline
// reaches `level`, and the time of the maximum there. found = false when no row reaches it;
// beyondLastRow = true when the last row still reaches it (x is then the last row's x).
struct Reach {
  bool found = false;
  bool beyondLastRow = false;
  double x = 0;     // m
  double tmax = 0;  // s
};
Reach farthestDistance(const RunResult& run, double level, double z);

}  // namespace slab
