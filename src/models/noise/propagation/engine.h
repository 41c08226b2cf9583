// Octave-band outdoor sound propagation from the sources of a scene to its receptors and grid
// (ISO 9613-2:1996, GB/T 17247.2-1998), with the industrial-source time weighting and indoor
// sources of the environmental impact assessment guideline for noise (HJ 2.4-2021).
//
// Usage:
//   SceneReadResult r = readSceneFile("plant.geojson");      // or build a Scene in code
//   if (!r.ok()) show(r.error);
//   ComputeOptions opts;
//   opts.threads = 0;                                        // every core
//   opts.progress = [](std::size_t done, std::size_t total) {...};  // from one worker thread
//   opts.cancel = &stopFlag;                                 // std::atomic<bool>, may be null
//   ReceptorsResult rr = computeReceptors(*r.scene, opts);   // levels at every receptor
//   GridResult g = computeGrid(*r.scene, opts);              // contribution over scene.grid
// Both functions are safe to run off the GUI thread on a scene nobody modifies meanwhile; a
// scene that fails checkScene() gives `error` and no values; a cancelled run gives
// `cancelled` and partial values that must not be shown as results.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "models/noise/propagation/scene.h"

namespace models::noise::propagation {

struct ComputeOptions {
  int threads = 0;  // worker threads; 0: every core
  // Called now and then with receivers done and the total, from one thread at a time.
  std::function<void(std::size_t done, std::size_t total)> progress;
  std::atomic<bool>* cancel = nullptr;  // set to true to stop early
};

// A period's levels at a receptor, dB(A).
struct PeriodLevels {
  double hours = 0;            // length of the period, h (16 day, 8 night)
  double contribution_db = 0;  // Leqg: the plant's sources weighted by running hours
  std::optional<double> background_db;
  double predicted_db = 0;  // contribution (+) background
  std::optional<double> limit_db;
  std::optional<double> exceedance_db;  // predicted - limit (negative: below the limit)
};

// One emitting item's share at a receptor: a source, or an opening of a room.
struct SourceLevel {
  std::string name;
  Bands lp{};        // unweighted band levels, dB
  double la_db = 0;  // A-weighted, dB(A)
};

struct ReceptorResult {
  std::string name;
  Point2 at;
  double h_m = 0;
  double ground_z_m = 0;
  bool boundary = false;
  Bands lp{};        // unweighted band levels of all sources running, dB
  double la_db = 0;  // A-weighted, dB(A)
  PeriodLevels day, night;
  std::vector<SourceLevel> sources;  // every source then every opening, in scene order
};

struct ReceptorsResult {
  std::string error;  // the scene's first fault; nothing computed
  bool cancelled = false;
  std::vector<ReceptorResult> receptors;
  std::vector<std::string> warnings;
};

struct GridResult {
  std::string error;
  bool cancelled = false;
  int nx = 0, ny = 0;
  double xmin = 0, ymin = 0, spacing_m = 0;
  // Row-major, row 0 = smallest y: the A-weighted contribution with every source running and
  // the day and night contributions weighted by running hours, dB(A); NaN inside a building
  // (not computed).
  std::vector<float> la, day, night;
  std::vector<std::string> warnings;
};

ReceptorsResult computeReceptors(const Scene& scene, const ComputeOptions& opts);
GridResult computeGrid(const Scene& scene, const ComputeOptions& opts);

// The terms of the direct path from a point source to a receptor, for a reviewer to check:
// the path over the top and round each side (z, e, edge count, Dz per band), the ground
// attenuation of the unscreened path, and how many reflections count. Nothing when the scene
// is unsound or the source is not a point.
struct PathReport {
  struct Path {
    double z = 0;  // path difference, m
    double e = 0;  // distance between the first and last edge, m
    int edges = 0;
    Bands dz{};  // dB
  };
  bool screened = false;  // an obstacle crosses the path
  Path top;
  double dss = 0, dsr = 0;  // over the top: source to first edge, last edge to receiver, m
  std::optional<Path> left, right;
  Bands agr{};
  int reflections = 0;
};
std::optional<PathReport> describePath(const Scene& scene, std::size_t source,
                                       std::size_t receptor);

// A-weighted energy sum of band levels, dB(A).
double aWeightedSum(const Bands& lp);

}  // namespace models::noise::propagation
