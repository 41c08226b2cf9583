// The point-source page's two result windows: the downwind concentration curve of the centre
// line and the contour map of the grid (through the grid file "result.grd").
#pragma once

#include "core/calculator.h"
#include "models/air/point_source.h"

class QWidget;

namespace app {

// Opens the curve plot with the centre-line values at the true x of each column; modal unless
// modal is false (the window then deletes itself when closed).
void openPointSourceCurve(QWidget* parent, const models::air::PointSourceResult& r, bool modal);

// Writes the grid to "result.grd" with the grid's own extent and the peak as z maximum, then
// opens the contour map window on it.
void openPointSourceContour(QWidget* parent, const core::Outcome::Grid& grid, bool modal);

}  // namespace app
