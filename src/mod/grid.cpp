#include "mod/grid.h"

namespace mod {

const Column& gridHeights() {
  static const Column heights = [] {
    Column h{};
    const double low[] = {0,  0.5, 1,  2,  4,   8,   14,  20,  30,  40, 50,
                          60, 70,  80, 90, 100, 120, 140, 160, 180, 200};
    int i = 1;
    for (double z : low) h[i++] = z;
    for (int z = 250; z <= 2000; z += 50) h[i++] = z;
    for (int z = 2100; z <= 5000; z += 100) h[i++] = z;
    return h;
  }();
  return heights;
}

int locate(double z, int top) {
  const Column& h = gridHeights();
  int lo = 1, hi = top;  // invariant: h[lo] <= z, answer in [lo, hi]
  if (!(z >= h[1])) return 1;
  while (lo < hi) {
    const int mid = (lo + hi + 1) / 2;
    if (z >= h[mid])
      lo = mid;
    else
      hi = mid - 1;
  }
  return lo < top ? lo : top - 1;
}

}  // namespace mod
