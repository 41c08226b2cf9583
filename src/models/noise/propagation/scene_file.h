// The scene as a GeoJSON file (readable and writable by QGIS and GDAL) and the spectra table
// as a CSV file.
//
// Scene file: a FeatureCollection in projected metres with a top-level object "noise_scene"
// (version, temperature_c, humidity_pct, pressure_kpa, ground_g, c0_db, lateral_diffraction,
// reflection_order, ground_method, terrain, spectra); each feature's properties.kind is one of
// point_source, line_source, area_source, room, opening, barrier, building, ground, receptor,
// grid. A top-level "crs"
// member is kept and written back; coordinates are never transformed.
//
// Spectra CSV: "id,name,kind,63,125,250,500,1000,2000,4000,8000", kind Lw or TL; UTF-8 (a BOM
// accepted) or GBK.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "models/noise/propagation/scene.h"

namespace models::noise::propagation {

// Largest scene or spectra file read.
inline constexpr long long kMaxSceneFileBytes = 64LL << 20;
// Largest number of grid receivers.
inline constexpr long long kMaxGridPoints = 10'000'000;

struct SceneReadResult {
  std::optional<Scene> scene;         // set when the file is sound
  std::string error;                  // the first fault, naming the feature and member
  std::vector<std::string> warnings;  // sound but worth saying (e.g. bands taken equal)
  std::vector<std::string> inputs;    // the files read: the scene, its spectra and terrain
  bool ok() const { return scene.has_value(); }
};

// Reads a scene file and the spectra table and terrain grid it names (relative to its folder),
// then checks it (checkScene).
SceneReadResult readSceneFile(const std::string& path);

// The same from text; `base_dir` resolves the spectra and terrain paths ("" : the current
// folder). Given `spectra_csv`, the spectra table is read from that text instead of a file.
// Without `check` the scene is read but not checked: a project's scene comes back as the user
// left it, to be mended in the tables (every run checks it).
SceneReadResult parseScene(const std::string& text, const std::string& base_dir,
                           const std::string* spectra_csv = nullptr, bool check = true);

// The first fault of a scene built in code or read from a file (nullopt when sound): a band
// list that is not finite, G outside [0, 1], a negative height, a polygon with fewer than 3
// points, an unknown spectrum id, an opening whose room does not exist, too large a grid...
std::optional<std::string> checkScene(const Scene& scene);

// The scene as GeoJSON text (features in the order sources, rooms, openings, barriers, buildings,
// ground, receptors, grid). Spectra and terrain are written as the paths the scene holds.
std::string sceneToGeoJson(const Scene& scene);

// Writes sceneToGeoJson() to `path` through a temporary file; false with `error` set on failure.
bool writeSceneFile(const Scene& scene, const std::string& path, std::string* error);

struct SpectraReadResult {
  std::vector<Spectrum> spectra;
  std::string error;  // "" when sound
};
SpectraReadResult parseSpectraCsv(const std::string& bytes);
std::string spectraToCsv(const std::vector<Spectrum>& spectra);

}  // namespace models::noise::propagation
