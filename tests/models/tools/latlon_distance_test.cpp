// Distance between two latitude/longitude points: hand values from the law of cosines.
#include "tools/latlon_distance.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace models::tools;

namespace {
double distance(double lon1, double lat1, double lon2, double lat2) {
  return computeLatLonDistance({lon1, lat1, lon2, lat2}).distance_m;
}
}  // namespace

TEST(LatLonDistance, ReferenceValues) {
  // The page's defaults, two points about 177 m apart (40-digit evaluation of the law of
  // cosines: 176.8075883008).
  EXPECT_NEAR(computeLatLonDistance(LatLonInput{}).distance_m, 176.807588, 1e-6);
  // Along the equator: R x delta-lambda in radians.
  EXPECT_NEAR(distance(0, 0, 1, 0), 6378137.0 * kDegToRad, 1e-6);
  EXPECT_NEAR(distance(100, 0, 130, 0), 6378137.0 * 30 * kDegToRad, 1e-6);
  // Beijing to Shanghai on the sphere, 1068.5 km.
  EXPECT_NEAR(distance(116.4074, 39.9042, 121.4737, 31.2304), 1068505.806, 1e-2);
  // Order of the points does not matter.
  EXPECT_DOUBLE_EQ(distance(116.4074, 39.9042, 121.4737, 31.2304),
                   distance(121.4737, 31.2304, 116.4074, 39.9042));
}

TEST(LatLonDistance, IdenticalPointsAndAntipodesStayFinite) {
  // Rounding puts the cosine of the plain law of cosines just past 1 (NaN) or short of it
  // (0.1 m near the pole) for one point given twice.
  for (double lat : {27.201, 45.0, 89.9, -33.3}) {
    const double d = distance(120.9532, lat, 120.9532, lat);
    EXPECT_EQ(d, 0) << lat;
  }
  // A metre still reads as a metre at 89.9 degrees north.
  EXPECT_NEAR(distance(0, 89.9, 0, 89.9 + 1 / (6378137.0 * kDegToRad)), 1, 1e-6);
  const double half = 6378137.0 * std::acos(-1.0);
  EXPECT_NEAR(distance(10, 20, -170, -20), half, 1e-3);
  EXPECT_NEAR(distance(0, 90, 0, -90), half, 1e-3);
}
