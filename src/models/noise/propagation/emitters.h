// The scene's sources as emitters: point sources, line sources cut into pieces, area sources
// and room openings cut into cells, each piece no longer than half its distance to the receiver
// (at least 1 m), refined per receiver. Internal to the engine.
#pragma once

#include <string>
#include <vector>

#include "models/noise/propagation/path.h"

namespace models::noise::propagation::detail {

// A cell of an area source's quadtree: the part of the polygon inside a square.
struct AreaNode {
  double cx, cy;  // centroid of the part inside, m
  double area;    // m2
  double size;    // side of the square, m
  int first_child = -1;
  int children = 0;
};

struct Emitter {
  enum class Shape { Point, Line, Area, Opening } shape = Shape::Point;
  std::string name;
  Bands lw{};  // Lw + Dc of the whole emitter per band, dB
  double h = 0;
  HeightTerms k;  // of h
  double hours_day = 16, hours_night = 8;
  // Point
  Point2 at;
  double ground_z = 0;
  // Line: vertices and the length along the line up to each
  std::vector<Point2> line;
  std::vector<double> along;
  // Area: quadtree, root first
  std::vector<AreaNode> nodes;
  // Opening: from a to b, from z0 to z1 above the ground
  Point2 a, b;
  double width = 0, z0 = 0, z1 = 0;
};

// Every emitter of the scene (sources in order, then openings) with its notes.
std::vector<Emitter> buildEmitters(const Scene& scene, const Prepared& p);

// Adds each emitter's energy at the receiver: per band (band_energy[8 i + b], may be null) and
// A-weighted (a_energy[i]), as sums of 10^(0.1 L).
void receive(const Prepared& p, const std::vector<Emitter>& emitters, const PathEnd& rcv,
             Scratch& sc, double* band_energy, double* a_energy);

}  // namespace models::noise::propagation::detail
