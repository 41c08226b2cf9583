// Cumulative-flow mixing page: the shared mixing hook with its grid dialog
// "CCumulativeFlowGridDlg".
#pragma once

#include "app/pages/water/mixing_grid_dialog.h"

namespace app {

class CumulativeFlowPageHook : public MixingPageHook {
 public:
  CumulativeFlowPageHook();
};

}  // namespace app
