// The Stueber formula page (CStueberNoiseDlg): "声程差计算" opens the path-difference
// calculator for a finite barrier at the page's distance r and takes δ1..δ3 back;
// "分贝计算器" opens the decibel calculator; "参考资料" the method's help topic.
#pragma once

#include "app/page_hook.h"

namespace app {

class StueberNoisePageHook : public PageHook {
 public:
  bool handleAction(CalculatorPage& page, const std::string& action) override;

 private:
  void openPathDifference(CalculatorPage& page);
};

}  // namespace app
