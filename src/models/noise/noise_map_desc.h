// The industrial noise map page (HJ 2.4-2021): a whole outdoor scene kept as one text field,
// computed by the octave-band propagation engine.
//
// The field "scene" holds a JSON object: "scene" (the scene GeoJSON object, spectra path
// left out), "spectra_csv" (the spectra table as CSV text) and members the page keeps for
// itself (the site plan's placement, the contour levels).
#pragma once

#include <string>

#include "core/calculator.h"
#include "models/noise/propagation/scene_file.h"

namespace models::noise {

inline constexpr const char* kNoiseMapSceneKey = "scene";

const core::CalculatorDesc& noiseMapDesc();

// The stored text of a scene; `extra_members` is a JSON object whose members are added (may
// be empty).
std::string packNoiseScene(const propagation::Scene& scene, const std::string& extra_members);
// The scene of a stored text, read but not checked; an empty text gives an empty scene.
propagation::SceneReadResult unpackNoiseScene(const std::string& text);
// A member of the stored text as JSON text ("" when absent or the text is no JSON object).
std::string noiseSceneMember(const std::string& text, const std::string& member);

// The scene with its spectra table from a scene file and a spectra CSV given as texts.
propagation::SceneReadResult parseSceneWithSpectra(const std::string& geojson,
                                                   const std::string& spectra_csv,
                                                   const std::string& base_dir);

}  // namespace models::noise
