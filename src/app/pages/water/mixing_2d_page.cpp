#include "app/pages/water/mixing_2d_page.h"

#include "models/water/mixing_2d.h"

namespace app {

Mixing2DPageHook::Mixing2DPageHook()
    : MixingPageHook(QStringLiteral("CMixing2DGridDlg"), &models::water::mixing2DGridCaption) {}

}  // namespace app
