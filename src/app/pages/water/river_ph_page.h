// River pH page: the acid/alkaline radio pair renames the waste-water field and resets its
// value; a note under the result text states where the model applies.
#pragma once

#include <QString>

#include "app/page_hook.h"

class QLabel;

namespace app {

inline const QString kRiverPhAcidLabel = QStringLiteral("废水酸度Cap[mgN/L]");
inline const QString kRiverPhAlkalineLabel = QStringLiteral("废水碱度Cbp[mgN/L]");

class RiverPhPageHook : public PageHook {
 public:
  void setup(CalculatorPage& page) override;

  // What choosing a radio button does: kind, label and default strength of the waste water.
  static void chooseKind(CalculatorPage& page, int kind);
};

}  // namespace app
