#pragma once
// Complex terrain: the 24-hour valley screen for terrain above stack height, with the
// simple-terrain value for terrain still below the plume.

#include "screen/engine/model_types.h"

namespace screen::engine {

struct ValleyPlume {
  float finalHeight_m = 0;    // final stable plume height
  float finalDistance_m = 0;  // distance to final rise
};

ValleyPlume valleyPlume(const Source& src);

struct ValleyRow {
  float terrain = 0, x = 0;
  float conc24 = 0;  // controlling 24-hour value
  float valley24 = 0, valleyHeight = 0;
  float simple24 = 0, simpleHeight = 0;
  int cls = 0;
  float ua = 0, us = 0;
};

// src as used by the screen: receptor height and building already zeroed.
ValleyRow valleyRow(const Source& src, float terrain, float x, const NoteSink& note);

}  // namespace screen::engine
