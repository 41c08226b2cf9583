// Which calculator pages need their own hook. One line per page.
#include <functional>
#include <map>

#include "app/page_hook.h"
#include "app/pages/air/flue_gas_page.h"
#include "app/pages/air/fugitive_dust_page.h"
#include "app/pages/air/odour_rate_page.h"
#include "app/pages/air/open_storage_page.h"
#include "app/pages/air/point_source_page.h"
#include "app/pages/air/prediction/air_prediction_page.h"
#include "app/pages/air/protection_distance_page.h"
#include "app/pages/air/sanitary_distance_page.h"
#include "app/pages/air/screen3_page.h"
#include "app/pages/air/tank_losses_page.h"
#include "app/pages/groundwater/groundwater_page.h"
#include "app/pages/noise/green_noise_page.h"
#include "app/pages/noise/highway_noise_page.h"
#include "app/pages/noise/industrial_noise_page.h"
#include "app/pages/noise/noise_index_page.h"
#include "app/pages/noise/noise_map/noise_map_page.h"
#include "app/pages/noise/road_noise_page.h"
#include "app/pages/noise/stueber_noise_page.h"
#include "app/pages/risk/risk_page.h"
#include "app/pages/risk/spill_evaporation_page.h"
#include "app/pages/risk/vce_page.h"
#include "app/pages/tools/subsidence_page.h"
#include "app/pages/tools/unit_converter_page.h"
#include "app/pages/water/cumulative_flow_page.h"
#include "app/pages/water/fro_mixing_page.h"
#include "app/pages/water/mixing_2d_page.h"
#include "app/pages/water/rainstorm_page.h"
#include "app/pages/water/river_ph_page.h"
#include "app/pages/water/sp_river_page.h"
#include "app/pages/water/water_temperature_page.h"

namespace app {

namespace {
using Factory = std::function<std::unique_ptr<PageHook>()>;

template <class T>
Factory make() {
  return [] { return std::make_unique<T>(); };
}

const std::map<std::string, Factory>& factories() {
  static const std::map<std::string, Factory> f = {
      // {"calculator-id", make<SomePageHook>()},
      {"flue_gas", make<FlueGasPageHook>()},
      {"tank_loss", make<TankLossesPageHook>()},
      {"open_storage", make<OpenStoragePageHook>()},
      {"odour_rate", make<OdourRatePageHook>()},
      {"dust", make<FugitiveDustPageHook>()},
      {"sanitary", make<SanitaryDistancePageHook>()},
      {"sp", make<SpRiverPageHook>()},
      {"fro", make<FroMixingPageHook>()},
      {"mixing2d", make<Mixing2DPageHook>()},
      {"cumflow", make<CumulativeFlowPageHook>()},
      {"rainstorm", make<RainstormPageHook>()},
      {"riverph", make<RiverPhPageHook>()},
      {"pointsource", make<PointSourcePageHook>()},
      {"protection", make<ProtectionDistancePageHook>()},
      {"screen3", make<Screen3PageHook>()},
      {"watertemp", make<WaterTemperaturePageHook>()},
      {"liquid_leak", makeLiquidLeakPageHook},
      {"spill_evaporation", make<SpillEvaporationPageHook>()},
      {"vce", make<VcePageHook>()},
      {"bleve", makeBlevePageHook},
      {"jet_fire", makeJetFirePageHook},
      {"pool_fire", makePoolFirePageHook},
      {"oil_film", makeOilFilmPageHook},
      {"units", make<UnitConverterPageHook>()},
      {"subsidence", make<SubsidencePageHook>()},
      {"industrial_noise", make<IndustrialNoisePageHook>()},
      {"road_noise", make<RoadNoisePageHook>()},
      {"noise_index", make<NoiseIndexPageHook>()},
      {"green", make<GreenNoisePageHook>()},
      {"stueber", make<StueberNoisePageHook>()},
      {"highway", make<HighwayNoisePageHook>()},
      {"noise_map", make<NoiseMapPageHook>()},
      {"gw_1d_instant", make<GroundwaterPageHook>()},
      {"gw_1d_continuous", make<GroundwaterPageHook>()},
      {"gw_2d_instant", make<GroundwaterPageHook>()},
      {"gw_2d_continuous", make<GroundwaterPageHook>()},
      {"air_prediction", make<AirPredictionPageHook>()},
  };
  return f;
}
}  // namespace

std::unique_ptr<PageHook> makePageHook(const std::string& calculator_id) {
  const auto& f = factories();
  auto it = f.find(calculator_id);
  if (it == f.end()) return nullptr;
  return it->second();
}

}  // namespace app
