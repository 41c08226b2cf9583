#include "tools/latlon_distance.h"

#include <algorithm>
#include <cmath>

#include "core/binding.h"

namespace models::tools {

LatLonResult computeLatLonDistance(const LatLonInput& in) {
  const double k = kDegToRad;
  const double phi1 = in.lat1_deg * k, phi2 = in.lat2_deg * k;
  const double dphi = phi2 - phi1, dlambda = (in.lon2_deg - in.lon1_deg) * k;
  // The law of cosines in its haversine form: 1 - cos d = 2 hav(d), so
  //   hav(d) = hav(dphi) + cos phi1 cos phi2 hav(dlambda),  d = 2 arcsin(sqrt(hav(d))).
  // The arccosine of a cosine near 1 loses half its digits (identical points 0.1 m apart near
  // the pole); this form keeps them and gives exactly 0 for one point.
  const double sp = std::sin(dphi / 2), sl = std::sin(dlambda / 2);
  double h = sp * sp + std::cos(phi1) * std::cos(phi2) * sl * sl;
  // Rounding can push it just past 1 for antipodes; NaN passes the clamp unchanged.
  if (!std::isnan(h)) h = std::clamp(h, 0.0, 1.0);
  LatLonResult r;
  r.distance_m = kEarthRadius_m * 2 * std::asin(std::sqrt(h));
  return r;
}

core::Check checkLatLon(const LatLonInput& in) {
  const struct {
    double value;
    const char* key;
    const char* message;
  } coordinates[] = {
      {in.lon1_deg, "lon1", "第一点东经必须在-180到180度之间，请重新输入！"},
      {in.lat1_deg, "lat1", "第一点北纬必须在-90到90度之间，请重新输入！"},
      {in.lon2_deg, "lon2", "第二点东经必须在-180到180度之间，请重新输入！"},
      {in.lat2_deg, "lat2", "第二点北纬必须在-90到90度之间，请重新输入！"},
  };
  for (const auto& c : coordinates) {
    const double limit = c.key[1] == 'o' ? 180 : 90;  // "lon": longitude
    if (!(c.value >= -limit && c.value <= limit)) return core::fail(c.message, c.key);
  }
  return std::nullopt;
}

const core::CalculatorDesc& latLonDistanceDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "latlon";
    c.method = "球面余弦定理（地球半径 R = 6378137 m）";
    c.formulas = "d = R·arccos(cosφ1·cosφ2·cos(λ2 − λ1) + sinφ1·sinφ2)";
    c.title = "两点经纬度算距离";
    c.category = "其他工具";
    c.command = 32820;
    c.page = 30;
    c.template_id = 220;
    c.class_name = "CLatLonDistanceDlg";
    core::Form<LatLonInput> form("两点经纬度计算距离");
    form.bind("lon1", &LatLonInput::lon1_deg, 1001, "第一点：东经[°]");
    form.bind("lat1", &LatLonInput::lat1_deg, 1002, "第一点：北纬[°]");
    form.bind("lon2", &LatLonInput::lon2_deg, 1003, "第二点：东经[°]");
    form.bind("lat2", &LatLonInput::lat2_deg, 1004, "第二点：北纬[°]");
    core::Outputs<LatLonResult> outs("两点经纬度计算距离");
    outs.bind("d", &LatLonResult::distance_m, 1005, "两点间距离[m]");
    c.fields = core::concat(form.fields(), outs.fields());
    c.actions = {{"compute", "计算", 1006}};
    c.compute = form.compute([outs](const LatLonInput& in, const std::string&) {
      if (auto f = checkLatLon(in)) return core::failed(*f);
      core::Outcome o;
      outs.write(computeLatLonDistance(in), o.results);
      return o;
    });
    return c;
  }();
  return d;
}

}  // namespace models::tools
