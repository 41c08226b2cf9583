// Fugitive dust page: a tab host with the transport tab and the coal-pile tab, each with its
// own compute button; the help button stays on the host.
#pragma once

#include "app/page_hook.h"

namespace app {

class CTabSheet;

class FugitiveDustPageHook : public PageHook {
 public:
  void setup(CalculatorPage& page) override;
  // Each tab's button reads only its own tab.
  bool handleAction(CalculatorPage& page, const std::string& action) override;

  static CTabSheet* tabSheet(CalculatorPage& page);
};

}  // namespace app
