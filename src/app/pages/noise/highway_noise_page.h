// The highway traffic noise page (CHighwayNoiseDlg): "公式计算车速" with the speed dialog,
// "详细结果" with the intermediate terms of the last computation (CHighwayNoiseDetailDlg).
#pragma once

#include <string>

#include "app/page_hook.h"
#include "app/result_text_dialog.h"

namespace app {

// CHighwayNoiseDetailDlg: "详细结果", the detail text with "复制到剪贴板" and "关闭".
class CHighwayNoiseDetailDlg : public ResultTextDialog {
  Q_OBJECT
 public:
  CHighwayNoiseDetailDlg(const QString& text, QWidget* parent = nullptr);
};

class HighwayNoisePageHook : public PageHook {
 public:
  HighwayNoisePageHook();
  bool handleAction(CalculatorPage& page, const std::string& action) override;
  void clearResults(CalculatorPage& page) override;
  bool showOutcome(CalculatorPage& page, const std::string& action,
                   const core::Outcome& outcome) override;

  const std::string& detailText() const { return m_detail; }

 private:
  std::string m_detail;  // of the last successful computation
};

}  // namespace app
