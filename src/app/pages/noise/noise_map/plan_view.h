// The plan of a noise scene on the shared plan view: sources by type, barriers with their
// height, buildings filled and hatched, ground areas shaded by G, rooms and openings, receptors
// (boundary points in another colour), the grid extent as a dashed frame.
#pragma once

#include <vector>

#include "models/noise/propagation/scene.h"
#include "widgets/plan_view.h"

namespace app::noisemap {

namespace prop = models::noise::propagation;

enum class ItemKind { None, Source, Room, Opening, Barrier, Ground, Receptor, Grid, Building };

struct ItemRef {
  ItemKind kind = ItemKind::None;
  int index = -1;
  bool valid() const { return kind != ItemKind::None && index >= 0; }
  friend bool operator==(const ItemRef&, const ItemRef&) = default;
};

enum class PlanTool { Select, PointSource, LineSource, AreaSource, Barrier, Receptor, Building };

class PlanView : public widgets::PlanView {
  Q_OBJECT
 public:
  explicit PlanView(QWidget* parent = nullptr);

  // Draws the scene again (after any change of it); keeps the selection when it still exists.
  void showScene(const prop::Scene& scene, const std::vector<prop::Point2>& grid_ring);
  void setTool(PlanTool t);
  ItemRef selected() const;
  void select(ItemRef r);

  static QPointF toScene(prop::Point2 w) { return {w.x, -w.y}; }
  static prop::Point2 toWorld(QPointF s) { return {s.x(), -s.y()}; }

 signals:
  void pointPlaced(app::noisemap::PlanTool tool, double x, double y);
  void shapePlaced(app::noisemap::PlanTool tool, const std::vector<prop::Point2>& points);
  void itemMoved(app::noisemap::ItemRef item, double dx, double dy);
  void selectionChanged(app::noisemap::ItemRef item);
  void deleteRequested(app::noisemap::ItemRef item);
};

}  // namespace app::noisemap
