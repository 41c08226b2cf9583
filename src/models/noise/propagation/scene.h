// The outdoor noise scene: every source of a plant with its octave spectrum and running hours,
// the barriers, buildings, ground areas and optional terrain between them, the receptors where
// levels are predicted and an optional regular grid for a contour map. Plain data, projected metres
// (x east, y north); heights are above the local ground unless a name says "absolute".
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace models::noise::propagation {

// Octave bands 63 ... 8000 Hz.
inline constexpr int kBands = 8;
using Bands = std::array<double, kBands>;
inline constexpr std::array<double, kBands> kNominalHz = {63,   125,  250,  500,
                                                          1000, 2000, 4000, 8000};
// A-weighting of the octave bands, dB (IEC 61672-1, tabulated to 0.1 dB).
inline constexpr std::array<double, kBands> kAWeight = {-26.2, -16.1, -8.6, -3.2,
                                                        0.0,   1.2,   1.0,  -1.1};

struct Point2 {
  double x = 0, y = 0;  // m
};

// How a source's sound power is given.
struct Emission {
  enum class Kind {
    Levels,    // `lw`: eight band levels, dB re 1 pW
    Spectrum,  // `spectrum`: an id of the spectra table (kind Lw)
    Lwa,       // `lwa`: an A-weighted power; the bands are taken equal
  };
  Kind kind = Kind::Levels;
  Bands lw{};             // Levels
  std::string spectrum;   // Spectrum
  double lwa_db = 0;      // Lwa
  bool per_unit = false;  // line/area: the level is per metre (`lw_per_m`) or per m2 (`lw_per_m2`)
};

enum class SourceKind { Point, Line, Area };

struct Source {
  std::string name;
  int feature = -1;  // index among the file's features; -1: built in code
  SourceKind kind = SourceKind::Point;
  std::vector<Point2> geometry;  // Point: one point; Line: polyline; Area: outer ring (open)
  double h_m = 0;                // height above the local ground, m
  Emission emission;
  std::optional<Bands> dc;  // directivity correction per band, dB (0 when absent)
  double hours_day = 16;    // running hours in the day (06-22), h
  double hours_night = 8;   // running hours in the night (22-06), h
};

// A source inside a room, for the room's inside level at its openings.
struct RoomSource {
  Emission emission;  // Bands or Spectrum (Lwa too: bands equal)
  double r1_m = 1;    // distance from the source to the opening, m
  double q = 1;       // directivity factor Q (1 free, 2 on a floor, 4 at an edge, 8 in a corner)
};

// A plant room: its openings radiate the inside level less the transmission loss.
struct Room {
  std::string name;
  int feature = -1;               // index among the file's features; -1: built in code
  std::vector<Point2> footprint;  // outer ring (open)
  double height_m = 0;            // inside height, m
  double alpha = 0.1;             // mean absorption coefficient of the inside surfaces
  std::vector<RoomSource> sources;
  std::optional<Bands> l1;  // measured inside level near the openings, dB (instead of sources)
  double hours_day = 16;
  double hours_night = 8;
};

// An opening (window, door, louvre, a light wall) in a room's wall.
struct Opening {
  std::string name;
  int feature = -1;         // index among the file's features; -1: built in code
  std::string room;         // the room's name
  Point2 a, b;              // the two ends of the opening along the wall
  double z0_m = 0;          // bottom, above the local ground, m
  double z1_m = 0;          // top, above the local ground, m
  std::optional<Bands> tl;  // transmission loss per band, dB
  std::string tl_spectrum;  // or an id of the spectra table (kind TL)
};

struct Barrier {
  std::string name;
  int feature = -1;                            // index among the file's features; -1: built in code
  std::vector<Point2> line;                    // plan polyline
  std::optional<double> h_m;                   // height above the ground, or
  std::vector<double> top_z;                   // absolute top per vertex, m
  std::optional<std::array<bool, 2>> lateral;  // round [first end, last end]; none: the scene's
  bool reflective = false;                     // both faces reflect (when reflections are on)
  std::optional<Bands> alpha;                  // absorption per band; none: 0 (hard wall)
};

// A building: a flat roof over its footprint. It screens over the roof and round its sides, and
// its facades reflect when the scene's reflections are on.
struct Building {
  std::string name;
  int feature = -1;               // index among the file's features; -1: built in code
  std::vector<Point2> footprint;  // outer ring (open)
  std::optional<double> h_m;      // roof above the lowest ground under the footprint, or
  std::optional<double> top_z;    // absolute roof elevation, m
  std::optional<bool> lateral;    // sound goes round its sides; none: the scene's
  bool reflective = true;
  std::optional<Bands> alpha;  // absorption of the facades per band; none: 0.2
};

struct GroundArea {
  std::string name;
  int feature = -1;          // index among the file's features; -1: built in code
  std::vector<Point2> ring;  // outer ring (open)
  double g = 0;              // ground factor G, 0 hard ... 1 porous
};

struct Receptor {
  std::string name;
  int feature = -1;  // index among the file's features; -1: built in code
  Point2 at;
  double h_m = 1.2;
  bool boundary = false;                                   // a point on the site boundary
  std::optional<double> limit_day, limit_night;            // dB(A)
  std::optional<double> background_day, background_night;  // dB(A)
};

// Receivers at every `spacing_m` from the lower-left corner of the extent up to and including
// its upper and right edges.
struct GridSpec {
  std::string name;
  int feature = -1;          // index among the file's features; -1: built in code
  std::vector<Point2> ring;  // the polygon as drawn; its bounding box is the extent
  double spacing_m = 5;
  double h_m = 1.2;
  int columns() const;
  int rows() const;
  double xmin() const;
  double ymin() const;
};

// Ground elevation over a regular grid (read from a Surfer grid file), bilinear between nodes;
// outside the grid the nearest edge value.
struct Terrain {
  int nx = 0, ny = 0;
  double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
  std::vector<float> z;  // ny rows of nx values, row 0 = smallest y
  double at(double x, double y) const;
};

struct Spectrum {
  std::string id;
  std::string name;
  enum class Kind { Lw, TL } kind = Kind::Lw;
  Bands values{};
};

enum class GroundMethod { General, Alternative };

struct SceneSettings {
  double temperature_c = 20;
  double humidity_pct = 70;
  double pressure_kpa = 101.325;
  double ground_g = 0;  // G where no ground area lies
  double c0_db = 0;     // meteorological factor C0 (0: downwind levels)
  bool lateral_diffraction = false;
  int reflection_order = 0;  // 0: none; 1: first-order image sources off reflecting surfaces
  GroundMethod ground_method = GroundMethod::General;
};

struct Scene {
  SceneSettings settings;
  std::vector<Source> sources;
  std::vector<Room> rooms;
  std::vector<Opening> openings;
  std::vector<Barrier> barriers;
  std::vector<Building> buildings;
  std::vector<GroundArea> ground;
  std::vector<Receptor> receptors;
  std::optional<GridSpec> grid;
  std::vector<Spectrum> spectra;
  std::string spectra_path;  // as written in the file (relative to the scene), may be empty
  std::string terrain_path;  // as written in the file (relative to the scene), may be empty
  std::optional<Terrain> terrain;
  std::string crs_json;  // the top-level "crs" member, kept verbatim (empty: none)
};

}  // namespace models::noise::propagation
