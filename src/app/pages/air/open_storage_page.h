// Open storage page: choosing a listed substance writes its vapour pressure at the current
// temperature; other names may be typed.
#pragma once

#include "app/page_hook.h"

namespace app {

class OpenStoragePageHook : public PageHook {
 public:
  void setup(CalculatorPage& page) override;
};

}  // namespace app
