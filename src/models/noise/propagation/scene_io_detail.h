// Helpers shared by the scene reader, writer and checks (not part of the interface).
#pragma once

#include <string>
#include <vector>

#include "models/noise/propagation/scene.h"

namespace models::noise::propagation {

// "第4个要素（“泵房”）": a feature of a file (index from 0) before its kind is known.
std::string featureLabel(int index, const std::string& name);

// "声源第2行（“S2”）": the i-th item (from 0) of a kind ("source", "room", "opening", "barrier",
// "ground", "receptor", "grid") by its row among its kind, counted from 1, and its name. Items
// read from a file and rows of the page are named alike, so a message reads the same after a
// project is reopened.
std::string rowLabel(const char* kind, std::size_t i, const std::string& name);

// A member of a feature as messages name it: its meaning and its key ("高度h").
std::string memberName(const std::string& key);

// "建筑物 2（综合楼）": the i-th building (from 0) by its number from 1 and its name.
std::string buildingLabel(std::size_t i, const std::string& name);
// A barrier as its table row ("声屏障第1行（“东侧隔声墙”）").
std::string barrierLabel(std::size_t i, const std::string& name);

// A number as a message shows it ("%g").
std::string jsonNumber(double v);

// Notes on a sound scene (sources given by an A-weighted power only).
std::vector<std::string> sceneWarnings(const Scene& scene);

// The spectrum of an id, or nullptr.
const Spectrum* findSpectrum(const Scene& scene, const std::string& id);

}  // namespace models::noise::propagation
