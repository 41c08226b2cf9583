// CurvePlot: the modal window "绘图工具" with the downwind ground-level concentration curve
// (X–C curve) of point-source dispersion.
//
//   widgets::CurvePlot plot(page);
//   plot.setCurve(1, x_m, c_mg_m3, c_max);   // x of every point, its concentration, the maximum
//   plot.exec();
//
// Mode 1 draws the title "下风向浓度曲线图", the axis titles "X —— 污染源下风向（m）" and
// "c —— 地面浓度（mg/m^3）", the x axis from the smallest to the largest x, the y axis from 0 to
// curveYMax(c_max), and the points joined in the order given. Any other mode leaves the plot
// empty. Buttons: "复制到剪贴板" puts the chart on the clipboard as an image, "关闭" closes the
// window (accepted).
#pragma once

#include <QDialog>
#include <QImage>

#include <vector>

class QChart;
class QChartView;

namespace widgets {

// Upper end of the concentration axis: with k the number of '0' characters in the "%f" text of
// c_max, y_max = whole part of (c_max * 10^k + 4) / 10^k, formed in extended precision from the
// single-precision value (0.5 -> 0.500004, 1.5 -> 1.50004). A c_max for which this gives no
// positive finite bound (negative, NaN, infinite) gives 1 instead, so the axis stays drawable.
double curveYMax(float c_max);

// Distances 0, step, 2 * step, ... up to the whole part of x_max / step steps; empty when step
// is not positive. For callers that tabulate on a whole-metre step.
std::vector<double> curveStepPositions(float x_max_m, int step_m);

class CurvePlot : public QDialog {
  Q_OBJECT

 public:
  explicit CurvePlot(QWidget* parent = nullptr);
  ~CurvePlot() override;

  // The curve to draw; x_m[i] is the distance of c_mg_m3[i]. Points beyond the shorter vector
  // and points with a non-finite value are left out.
  void setCurve(int mode, const std::vector<double>& x_m, const std::vector<double>& c_mg_m3,
                float c_max);
  // The same with c_max the greatest concentration given.
  void setCurve(int mode, const std::vector<double>& x_m, const std::vector<double>& c_mg_m3);

  QChart* chart() const;
  QChartView* chartView() const { return m_view; }
  // The picture that "复制到剪贴板" copies.
  QImage plotImage() const;
  void copyToClipboard();

 private:
  QChartView* m_view = nullptr;
};

}  // namespace widgets
