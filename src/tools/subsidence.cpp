#include "tools/subsidence.h"

#include <cmath>
#include <numbers>

#include "core/binding.h"
#include "core/format.h"

namespace models::tools {

namespace {

constexpr const char* kGroupParams = "地表沉陷预测 概率积分法模型  参数输入";
constexpr const char* kGroupPoint = "预测点计算";
constexpr double kPi = std::numbers::pi;
constexpr double kDeg = kPi / 180;
// Curvature of a fully mined panel's edge relative to W0 / r^2 (the maximum of the Gaussian
// kernel's derivative, 2 pi exp(-1/2) / sqrt(2 pi) ~ 1.52, as the method tabulates it).
constexpr double kCurvatureFactor = 1.52;

// Influence along one axis of a panel spanning [0, len]: the share of W0 (c), its first
// derivative (g, 1/m) and its second derivative (h, 1/m^2) at t.
struct Profile {
  double c, g, h;
};

Profile profile(double t, double len, double r) {
  const double k = std::sqrt(kPi) / r;
  const double e0 = std::exp(-kPi * t * t / (r * r));
  const double e1 = std::exp(-kPi * (t - len) * (t - len) / (r * r));
  Profile p;
  p.c = 0.5 * (std::erf(k * t) - std::erf(k * (t - len)));
  p.g = (e0 - e1) / r;
  p.h = 2 * kPi / (r * r * r) * ((t - len) * e1 - t * e0);
  return p;
}

}  // namespace

core::Check checkSubsidence(const SubsidenceInput& in) {
  if (!(in.depth_m > 0)) return core::fail("平均采深H0必须大于0，请重新输入！", "H0");
  if (!(in.tan_beta > 0)) return core::fail("影响角正切tgβ必须大于0，请重新输入！", "tanb");
  if (!(in.theta_deg > 0 && in.theta_deg < 180))
    return core::fail("最大下沉角θ必须大于0度且小于180度，请重新输入！", "theta");
  if (!(in.length_m > 0)) return core::fail("工作面走向长p必须大于0，请重新输入！", "p");
  if (!(in.width_m > 0))
    return core::fail("工作面沿倾斜方向的水平距离a必须大于0，请重新输入！", "a");
  if (!(in.thickness_m > 0)) return core::fail("采厚m必须大于0，请重新输入！", "m");
  if (!(in.q > 0)) return core::fail("下沉系数q必须大于0，请重新输入！", "q");
  if (!(in.b >= 0 && std::isfinite(in.b)))
    return core::fail("水平移动系数b不能是负数，请重新输入！", "b");
  if (!(in.dip_deg >= 0 && in.dip_deg < 90))
    return core::fail("煤层倾角α必须在0度到90度之间（不含90度），请重新输入！", "alpha");
  if (!std::isfinite(in.x_m)) return core::fail("预测地表点X必须是有限的数，请重新输入！", "X");
  if (!std::isfinite(in.y_m)) return core::fail("预测地表点Y必须是有限的数，请重新输入！", "Y");
  return std::nullopt;
}

SubsidenceResult computeSubsidence(const SubsidenceInput& in) {
  SubsidenceResult r;
  const double h0 = in.depth_m, b = in.b;
  r.w0_mm = 1000.0 * in.thickness_m * in.q * std::cos(in.dip_deg * kDeg);
  r.r_m = h0 / in.tan_beta;
  // No shift for a vertical angle (its cotangent in floating point is not quite 0).
  r.shift_m = in.theta_deg == 90 ? 0 : h0 / std::tan(in.theta_deg * kDeg);
  const double rr = r.r_m, w0 = r.w0_mm;
  const Profile px = profile(in.x_m, in.length_m, rr);
  const Profile py = profile(in.y_m - r.shift_m, in.width_m, rr);
  r.w_mm = w0 * px.c * py.c;
  r.ix = w0 * px.g * py.c;
  r.iy = w0 * px.c * py.g;
  r.kx = w0 * px.h * py.c;
  r.ky = w0 * px.c * py.h;
  r.ux_mm = b * rr * r.ix;
  r.uy_mm = b * rr * r.iy;
  r.ex = b * rr * r.kx;
  r.ey = b * rr * r.ky;
  r.i0 = w0 / rr;
  r.k0 = kCurvatureFactor * w0 / (rr * rr);
  r.u0_mm = b * w0;
  r.e0 = kCurvatureFactor * b * w0 / rr;
  return r;
}

std::string subsidenceText(const SubsidenceInput& in, const SubsidenceResult& res) {
  using core::cformat;
  // Zeros print as "0", not "-0", at the centre of the basin.
  SubsidenceResult r = res;
  for (double* v : {&r.w_mm, &r.ix, &r.iy, &r.kx, &r.ky, &r.ux_mm, &r.uy_mm, &r.ex, &r.ey})
    *v += 0.0;
  std::string t = cformat("概率积分法预测结果，预测地表点 (X, Y) = (%g, %g) m\r\n",
                          static_cast<double>(in.x_m), static_cast<double>(in.y_m));
  t += cformat("最大下沉值 W0 = m·q·cosα = %g mm\r\n", r.w0_mm);
  t += cformat("主要影响半径 r = H0/tgβ = %g m\r\n", r.r_m);
  t += cformat("拐点偏移距(最大下沉角) s = H0·cotθ = %g m\r\n", r.shift_m);
  t += cformat("下沉 W(X,Y) = %g mm\r\n", r.w_mm);
  t += cformat("倾斜 ix = %g mm/m, iy = %g mm/m\r\n", r.ix, r.iy);
  t += cformat("曲率 Kx = %g ×10^-3/m, Ky = %g ×10^-3/m\r\n", r.kx, r.ky);
  t += cformat("水平移动 Ux = %g mm, Uy = %g mm\r\n", r.ux_mm, r.uy_mm);
  t += cformat("水平变形 εx = %g mm/m, εy = %g mm/m\r\n", r.ex, r.ey);
  t += "充分采动时的最大值：\r\n";
  t += cformat("  倾斜 i0 = W0/r = %g mm/m, 曲率 K0 = 1.52·W0/r² = %g ×10^-3/m\r\n", r.i0, r.k0);
  t += cformat("  水平移动 U0 = b·W0 = %g mm, 水平变形 ε0 = 1.52·b·W0/r = %g mm/m\r\n", r.u0_mm,
               r.e0);
  return t;
}

const core::CalculatorDesc& subsidenceDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "subsidence";
    c.method = "概率积分法（《建筑物、水体、铁路及主要井巷煤柱留设与压煤开采规范》2017 附录）";
    c.formulas =
        "r = H0 / tanβ,  s = H0·cotθ,  W0 = m·q·cosα\n"
        "W = W0·Cx·Cy,  Cx = ½[erf(√π·x/r) − erf(√π·(x − p)/r)]，Cy 同型（y = Y − s）\n"
        "ix = W0·Cy/r·[exp(−πx²/r²) − exp(−π(x − p)²/r²)]\n"
        "Kx = W0·Cy·2π/r³·[(x − p)·exp(−π(x − p)²/r²) − x·exp(−πx²/r²)]\n"
        "Ux = b·r·ix,  εx = b·r·Kx（y 方向同型）";
    c.title = "概率积分模型";
    c.category = "地表沉陷预测";
    c.command = 32818;
    c.page = 19;
    c.template_id = 219;
    c.class_name = "CSubsidenceDlg";
    using S = SubsidenceInput;
    core::Form<S> form(kGroupParams);
    form.bind("H0", &S::depth_m, 1001, "平均采深H0[m]");
    form.bind("tanb", &S::tan_beta, 1002, "影响角正切tgβ");
    form.bind("theta", &S::theta_deg, 1003, "最大下沉角θ[°]");
    form.bind("p", &S::length_m, 1004, "工作面走向长p[m]");
    form.bind("a", &S::width_m, 1005, "工作面沿倾斜方向的水平距离a[m]");
    form.bind("m", &S::thickness_m, 1006, "采厚m[m]");
    form.bind("q", &S::q, 1007, "下沉系数q");
    form.bind("b", &S::b, 1008, "水平移动系数b");
    form.bind("alpha", &S::dip_deg, 1009, "煤层倾角α[°]");
    form.group(kGroupPoint);
    form.bind("X", &S::x_m, 1010, "预测地表点(X，Y)[m]  X").tooltip =
        "沿走向，自工作面开切边界起算；工作面位于 0≤X≤p";
    form.bind("Y", &S::y_m, 1011, "Y").tooltip = "沿倾向，自工作面上山边界起算；工作面位于 0≤Y≤a";
    c.fields = form.fields();
    c.actions = {{"compute", "计算结果", 1012}};
    c.result_text_id = 1237;
    c.help_topic = "地表沉陷\\概率积分模型.htm";
    c.compute = form.compute([](const S& in, const std::string&) {
      if (auto f = checkSubsidence(in)) return core::failed(*f);
      core::Outcome o;
      o.text = subsidenceText(in, computeSubsidence(in));
      return o;
    });
    return c;
  }();
  return d;
}

}  // namespace models::tools
