// Atmospheric protection distance page (CProtectionDistanceDlg): the pollutant drop-down
// fills the standard; "计  算" runs the screening program in a worker thread, reading
// "正在计算..." and disabled meanwhile, with the busy cursor.
#pragma once

#include <QString>

#include "app/page_hook.h"

class QThread;

namespace app {

inline const QString kProtectionCaption = QStringLiteral("—————大气导则HJ2.2-2008");
inline const QString kProtectionRunning = QStringLiteral("正在计算...");
inline const QString kProtectionResultGroup = QStringLiteral("计算结果");

class ProtectionDistancePageHook : public PageHook {
 public:
  ~ProtectionDistancePageHook() override;
  void setup(CalculatorPage& page) override;
  bool handleAction(CalculatorPage& page, const std::string& action) override;

  bool busy() const { return m_thread != nullptr; }

 private:
  QThread* m_thread = nullptr;
};

}  // namespace app
