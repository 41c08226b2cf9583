// Surface-subsidence page: the generic form with a note on the coordinates of the predicted
// point; its help topic states the formulas.
#pragma once

#include <QString>

#include "app/page_hook.h"

namespace app {

inline const QString kSubsidenceNote = QStringLiteral(
    "坐标说明：X 沿走向，自工作面开切边界起算，工作面位于 0≤X≤p；"
    "Y 沿倾向，自工作面上山边界起算，工作面位于 0≤Y≤a（均为水平距离，单位 m）。"
    "下沉盆地按最大下沉角θ向下山方向偏移 H0·cotθ。");

class SubsidencePageHook : public PageHook {
 public:
  void setup(CalculatorPage& page) override;
};

}  // namespace app
