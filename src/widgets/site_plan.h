// The site plan under a plan view: an image placed by two of its pixels whose world
// coordinates are known (scale and rotation follow; no mirroring), with its opacity, and the
// panel that chooses, places and removes it.
#pragma once

#include <QImage>
#include <QJsonObject>
#include <QPointF>
#include <QString>
#include <QTransform>
#include <QWidget>

class QLabel;
class QSlider;

namespace widgets {

class PasteTable;
class PlanView;

// Pixels count from the image's upper-left corner, y down.
struct SitePlanPlacement {
  QPointF pixel1, pixel2;
  QPointF world1, world2;  // metres, y north
};
// Pixel -> plan-view scene coordinates (x, -y); false when the two pixels or points coincide.
bool sitePlanTransform(const SitePlanPlacement& p, QTransform& out);
// The world point of a pixel under a placement.
QPointF sitePlanWorld(const SitePlanPlacement& p, QPointF pixel);

class SitePlanPanel : public QWidget {
  Q_OBJECT
 public:
  // `caption` titles the panel's messages.
  SitePlanPanel(PlanView* plan, const QString& caption, QWidget* parent = nullptr);

  // Loads an image (a first image is placed at 1 m per pixel from the origin); false with a
  // message when it cannot be read.
  bool load(const QString& path);
  void setPlacement(const SitePlanPlacement& p);
  void setOpacity(int percent);
  void clear();

  const QString& file() const { return m_file; }
  const QImage& image() const { return m_image; }
  const SitePlanPlacement& placement() const { return m_site; }
  int opacity() const { return m_opacity; }

  // The placement as a project keeps it: file, u1 v1 x1 y1 u2 v2 x2 y2, opacity. `file` is
  // stored as given (the page decides whether it is relative).
  QJsonObject toJson(const QString& file) const;
  // Takes a stored placement and the image file to read (absolute).
  void fromJson(const QJsonObject& o, const QString& file);

 signals:
  void changed();

 private:
  void apply();
  void showPlacement();

  PlanView* m_plan;
  QString m_caption;
  QString m_file;
  QImage m_image;
  SitePlanPlacement m_site{{0, 0}, {1000, 0}, {0, 0}, {1000, 0}};
  int m_opacity = 60;
  PasteTable* m_table = nullptr;
  QLabel* m_label = nullptr;
  QSlider* m_slider = nullptr;
};

}  // namespace widgets
