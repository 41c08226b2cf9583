// Helpers shared by the scene reader, writer and checks (not part of the interface).
#pragma once

#include <string>
#include <vector>

#include "models/noise/propagation/scene.h"

namespace models::noise::propagation {

// "feature 3 (\"泵房\")" for a feature of a file, "feature 3" when it has no name.
std::string featureLabel(int index, const std::string& name);

// "建筑物 2（综合楼）": the i-th building (from 0) by its number from 1 and its name.
std::string buildingLabel(std::size_t i, const std::string& name);
// The same for a barrier ("声屏障 1（东侧隔声墙）").
std::string barrierLabel(std::size_t i, const std::string& name);

// A number as a message shows it ("%g").
std::string jsonNumber(double v);

// Notes on a sound scene (sources given by an A-weighted power only).
std::vector<std::string> sceneWarnings(const Scene& scene);

// The spectrum of an id, or nullptr.
const Spectrum* findSpectrum(const Scene& scene, const std::string& id);

}  // namespace models::noise::propagation
