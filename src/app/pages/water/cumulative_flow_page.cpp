#include "app/pages/water/cumulative_flow_page.h"

#include "models/water/cumulative_flow.h"

namespace app {

CumulativeFlowPageHook::CumulativeFlowPageHook()
    : MixingPageHook(QStringLiteral("CCumulativeFlowGridDlg"),
                     &models::water::cumulativeFlowGridCaption) {}

}  // namespace app
