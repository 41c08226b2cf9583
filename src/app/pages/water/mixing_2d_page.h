// Two-dimensional steady mixing page: the shared mixing hook with its grid dialog
// "CMixing2DGridDlg".
#pragma once

#include "app/pages/water/mixing_grid_dialog.h"

namespace app {

class Mixing2DPageHook : public MixingPageHook {
 public:
  Mixing2DPageHook();
};

}  // namespace app
