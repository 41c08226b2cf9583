// The contour map window ("等值线图").
//
// Usage from a page that has written its field with present::writeGrdFile():
//
//   widgets::ContourMapWindow w(QStringLiteral("result.grd"), this);
//   w.exec();
//
// The window reads the grid file (read errors are shown and the window still opens, empty),
// traces the default levels, and draws the map with a green frame, the point-source marker
// "点源" at the world origin (0, 0), the lines in their level styles and a legend. The user can
// edit levels and line styles ("线型设置" or a double-click), put a picture behind the map with
// adjustable transparency, copy the map to the clipboard, save it as PNG or SVG, and export the
// lines as GeoJSON.
#pragma once

#include <QDialog>
#include <memory>

#include "present/contour.h"
#include "present/grid_data.h"

class QLabel;
class QSlider;

namespace widgets {

class ContourMapCanvas;

inline const QString kMsgNoData = QStringLiteral("没有数据");

class ContourMapWindow : public QDialog {
  Q_OBJECT

 public:
  explicit ContourMapWindow(const QString& grd_path = QStringLiteral("result.grd"),
                            QWidget* parent = nullptr);
  ~ContourMapWindow() override;

  // Constant alpha of the background picture for a transparency in percent:
  // whole part of (100 - transparency) × 2.55, so 0 % gives 254 and 100 % gives 0.
  static int blendAlpha(int transparency);

  ContourMapCanvas* canvas() const { return m_canvas; }
  const present::ContourSet* contourSet() const { return m_set.get(); }
  const present::LevelStyleTable& styles() const { return m_styles; }
  QSlider* transparencySlider() const { return m_slider; }
  QString transparencyText() const;

 public slots:
  void refresh();           // "刷新"
  void insertBackground();  // "插入背景图"
  void editLevels();        // "线型设置" and double-click
  void copyToClipboard();   // "复制到剪贴板"
  void saveImage();         // "保存图片…": PNG or SVG
  void exportContours();    // "导出等值线…": GeoJSON

 public:
  // Draws one more level among the default ones (a quality standard, a detection limit) in a
  // colour and width of its own; nothing without data.
  void addLevel(float value, present::Rgb colour, float width_mm);

 private:
  void load(const QString& path);
  void retrace();
  void setTransparency(int percent);

  present::GridData m_grid;  // must outlive m_set, which refers to it
  std::unique_ptr<present::ContourSet> m_set;
  present::LevelStyleTable m_styles;
  QString m_picturePath;
  ContourMapCanvas* m_canvas;
  QSlider* m_slider;
  QLabel* m_transparencyLabel;
};

}  // namespace widgets
