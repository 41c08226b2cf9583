#include "screen/engine/area_integral.h"

#include <algorithm>
#include <cmath>

namespace screen::engine {

namespace {

// Neville extrapolation to h = 0 through n points (h[i], t[i]); returns value and error.
void extrapolate(const float* h, const float* t, int n, float& y, float& dy) {
  float c[5], d[5];
  for (int i = 0; i < n; ++i) c[i] = d[i] = t[i];
  int ns = n - 1;  // the newest point, nearest to h = 0
  y = t[ns--];
  dy = 0.0f;
  for (int m = 1; m < n; ++m) {
    for (int i = 0; i < n - m; ++i) {
      const float ho = h[i];
      const float hp = h[i + m];
      const float w = c[i + 1] - d[i];
      const float den = w / (ho - hp);
      d[i] = hp * den;
      c[i] = ho * den;
    }
    // 1-based: 2*ns < n - m chooses c(ns+1); here ns is 0-based
    dy = (2 * (ns + 1) < (n - m)) ? c[ns + 1] : d[ns--];
    y += dy;
  }
}

}  // namespace

float romberg(const std::function<float(float)>& f, float a, float b) {
  float hs[10], ts[10];
  float t = (b - a) / 2.0f * (f(b) + f(a));
  hs[0] = 1.0f;
  ts[0] = t;
  float y = t;
  for (int j = 2; j <= 10; ++j) {
    const int k = 1 << (j - 2);
    const float del = (b - a) / static_cast<float>(k);
    float x = a + del / 2.0f;
    float sum = 0.0f;
    for (int i = 0; i < k; ++i) {
      sum += f(x);
      x += del;
    }
    t = (t + del * sum) / 2.0f;
    hs[j - 1] = hs[j - 2] * 0.25f;
    ts[j - 1] = t;
    const int n = std::min(j, 5);
    float dy = 0.0f;
    extrapolate(hs + j - n, ts + j - n, n, y, dy);
    if (j >= 4 && (std::fabs(dy) <= 1.0e-4f * std::fabs(y) || std::fabs(y) <= 1.0e-10f)) return y;
  }
  return y;
}

float brentRoot(const std::function<float(float)>& func, float a, float b) {
  constexpr float kTol = 0.0001f;
  constexpr float kEps = 1.0e-4f;
  float fa = func(a);
  float fb = func(b);
  if (fa * fb > 0.0f) return -1.0f;
  float c = b, fc = fb;
  float d = 0.0f, e = 0.0f;
  for (int iter = 0; iter < 100; ++iter) {
    if (fb * fc > 0.0f) {
      c = a;
      fc = fa;
      d = e = b - a;
    }
    if (std::fabs(fc) < std::fabs(fb)) {
      a = b;
      b = c;
      c = a;
      fa = fb;
      fb = fc;
      fc = fa;
    }
    const float tol1 = 2.0f * kEps * std::fabs(b) + 0.5f * kTol;
    const float xm = 0.5f * (c - b);
    if (std::fabs(xm) <= tol1 || fb == 0.0f) return b;
    if (std::fabs(e) >= tol1 && std::fabs(fa) > std::fabs(fb)) {
      const float s = fb / fa;
      float p, q;
      if (a == c) {
        p = 2.0f * xm * s;
        q = 1.0f - s;
      } else {
        q = fa / fc;
        const float r = fb / fc;
        p = s * (2.0f * xm * q * (q - r) - (b - a) * (r - 1.0f));
        q = (q - 1.0f) * (r - 1.0f) * (s - 1.0f);
      }
      if (p > 0.0f) q = -q;
      p = std::fabs(p);
      const float min1 = 3.0f * xm * q - std::fabs(tol1 * q);
      const float min2 = std::fabs(e - q);  // the model's form (not |e q|)
      if (2.0f * p < std::min(min1, min2)) {
        e = d;
        d = p / q;
      } else {
        d = xm;
        e = d;
      }
    } else {
      d = xm;
      e = d;
    }
    a = b;
    fa = fb;
    if (std::fabs(d) > tol1)
      b += d;
    else
      b += xm >= 0.0f ? std::fabs(tol1) : -std::fabs(tol1);
    fb = func(b);
  }
  return b;
}

}  // namespace screen::engine
