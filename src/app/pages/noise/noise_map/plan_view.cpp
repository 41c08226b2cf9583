#include "app/pages/noise/noise_map/plan_view.h"

namespace app::noisemap {

namespace {

using widgets::PlanPoint;
using widgets::PlanShape;

widgets::PlanRef toPlan(ItemRef r) {
  // A grid frame is never an item the user picks.
  if (!r.valid() || r.kind == ItemKind::Grid) return {};
  return {static_cast<int>(r.kind), r.index};
}

ItemRef fromPlan(widgets::PlanRef r) {
  if (!r.valid()) return {};
  return {static_cast<ItemKind>(r.kind), r.index};
}

std::vector<PlanPoint> points(const std::vector<prop::Point2>& pts) {
  std::vector<PlanPoint> out;
  out.reserve(pts.size());
  for (const auto& p : pts) out.push_back({p.x, p.y});
  return out;
}

QString name(const std::string& s) { return QString::fromStdString(s); }

widgets::PlanDraw drawsOf(PlanTool t) {
  switch (t) {
    case PlanTool::Select: return widgets::PlanDraw::Select;
    case PlanTool::PointSource:
    case PlanTool::Receptor: return widgets::PlanDraw::Point;
    case PlanTool::LineSource:
    case PlanTool::Barrier: return widgets::PlanDraw::Line;
    case PlanTool::AreaSource:
    case PlanTool::Building: return widgets::PlanDraw::Polygon;
  }
  return widgets::PlanDraw::Select;
}

}  // namespace

PlanView::PlanView(QWidget* parent) : widgets::PlanView(parent) {
  connect(this, &widgets::PlanView::pointPlaced, this, [this](int tool, double x, double y) {
    emit pointPlaced(static_cast<PlanTool>(tool), x, y);
  });
  connect(this, &widgets::PlanView::shapePlaced, this,
          [this](int tool, const std::vector<PlanPoint>& pts) {
            std::vector<prop::Point2> out;
            for (const auto& p : pts) out.push_back({p.x, p.y});
            emit shapePlaced(static_cast<PlanTool>(tool), out);
          });
  connect(
      this, &widgets::PlanView::itemMoved, this,
      [this](widgets::PlanRef r, double dx, double dy) { emit itemMoved(fromPlan(r), dx, dy); });
  connect(this, &widgets::PlanView::selectionChanged, this,
          [this](widgets::PlanRef r) { emit selectionChanged(fromPlan(r)); });
  connect(this, &widgets::PlanView::deleteRequested, this,
          [this](widgets::PlanRef r) { emit deleteRequested(fromPlan(r)); });
}

void PlanView::setTool(PlanTool t) { widgets::PlanView::setTool(static_cast<int>(t), drawsOf(t)); }

ItemRef PlanView::selected() const { return fromPlan(widgets::PlanView::selected()); }

void PlanView::select(ItemRef r) { widgets::PlanView::select(toPlan(r)); }

void PlanView::showScene(const prop::Scene& s, const std::vector<prop::Point2>& grid_ring) {
  std::vector<PlanShape> shapes;
  auto ref = [](ItemKind k, size_t i) { return widgets::PlanRef{static_cast<int>(k), int(i)}; };
  for (size_t i = 0; i < s.ground.size(); ++i) {
    PlanShape sh;
    sh.form = PlanShape::Form::Polygon;
    sh.ref = ref(ItemKind::Ground, i);
    sh.points = points(s.ground[i].ring);
    sh.fill = QColor(60, 160, 60, static_cast<int>(20 + 90 * s.ground[i].g));
    sh.line = QColor(60, 140, 60);
    sh.style = Qt::DotLine;
    sh.z = 5;
    shapes.push_back(sh);
  }
  if (grid_ring.size() >= 3) {
    PlanShape sh;
    sh.form = PlanShape::Form::Frame;
    sh.ref = ref(ItemKind::Grid, 0);
    sh.points = points(grid_ring);
    sh.line = QColor(80, 80, 80);
    sh.style = Qt::DashLine;
    sh.z = 6;
    shapes.push_back(sh);
  }
  for (size_t i = 0; i < s.rooms.size(); ++i) {
    PlanShape sh;
    sh.form = PlanShape::Form::Polygon;
    sh.ref = ref(ItemKind::Room, i);
    sh.points = points(s.rooms[i].footprint);
    sh.fill = QColor(180, 180, 220, 140);
    sh.line = QColor(60, 60, 140);
    sh.width = 2;
    sh.label = name(s.rooms[i].name);
    sh.label_centre = true;
    shapes.push_back(sh);
  }
  for (size_t i = 0; i < s.buildings.size(); ++i) {
    // A building filled grey and hatched, unlike a room or an area source, with its name and
    // roof height.
    const auto& b = s.buildings[i];
    PlanShape sh;
    sh.form = PlanShape::Form::Polygon;
    sh.ref = ref(ItemKind::Building, i);
    sh.points = points(b.footprint);
    sh.fill = QColor(150, 150, 150, 170);
    sh.line = QColor(50, 50, 50);
    sh.hatch = Qt::BDiagPattern;
    sh.width = 2;
    sh.label = name(b.name);
    if (b.h_m) sh.label += QStringLiteral(" %1m").arg(*b.h_m, 0, 'g', 4);
    sh.label_centre = true;
    shapes.push_back(sh);
  }
  for (size_t i = 0; i < s.openings.size(); ++i) {
    PlanShape sh;
    sh.form = PlanShape::Form::Polyline;
    sh.ref = ref(ItemKind::Opening, i);
    sh.points = points({s.openings[i].a, s.openings[i].b});
    sh.line = QColor(230, 120, 0);
    sh.width = 5;
    sh.z = 12;
    shapes.push_back(sh);
  }
  for (size_t i = 0; i < s.barriers.size(); ++i) {
    const auto& b = s.barriers[i];
    PlanShape sh;
    sh.form = PlanShape::Form::Polyline;
    sh.ref = ref(ItemKind::Barrier, i);
    sh.points = points(b.line);
    sh.line = QColor(40, 40, 40);
    sh.width = 4;
    sh.label = name(b.name);
    if (b.h_m) sh.label += QStringLiteral(" %1m").arg(*b.h_m, 0, 'g', 4);
    if (b.reflective) {
      // A reflecting barrier in blue, named so.
      sh.line = QColor(20, 90, 200);
      sh.label += QStringLiteral(" 反射");
    }
    shapes.push_back(sh);
  }
  for (size_t i = 0; i < s.sources.size(); ++i) {
    const auto& src = s.sources[i];
    PlanShape sh;
    sh.ref = ref(ItemKind::Source, i);
    sh.points = points(src.geometry);
    sh.label = name(src.name);
    sh.line = QColor(220, 30, 30);
    if (src.kind == prop::SourceKind::Point && !src.geometry.empty()) {
      sh.form = PlanShape::Form::Marker;
      sh.fill = QColor(220, 30, 30);
      sh.square = true;
      sh.z = 20;
    } else if (src.kind == prop::SourceKind::Line) {
      sh.form = PlanShape::Form::Polyline;
      sh.width = 3;
      sh.style = Qt::DashDotLine;
    } else if (src.kind == prop::SourceKind::Area) {
      sh.form = PlanShape::Form::Polygon;
      sh.fill = QColor(230, 60, 60, 70);
      sh.width = 2;
      sh.label_centre = true;
    } else {
      continue;
    }
    shapes.push_back(sh);
  }
  for (size_t i = 0; i < s.receptors.size(); ++i) {
    const auto& r = s.receptors[i];
    PlanShape sh;
    sh.form = PlanShape::Form::Marker;
    sh.ref = ref(ItemKind::Receptor, i);
    sh.points = {{r.at.x, r.at.y}};
    sh.fill = r.boundary ? QColor(250, 200, 0) : QColor(30, 110, 230);
    sh.label = name(r.name);
    sh.z = 21;
    shapes.push_back(sh);
  }
  showShapes(shapes);
}

}  // namespace app::noisemap
