#include "models/noise/barrier_path_difference.h"

#include <cmath>

#include "core/format.h"

namespace models::noise {

namespace {

// The top sight line from S over the barrier top, at the receiver's distance d2 behind it:
// ((d1 + d2) H - d2 h1) / d1. A receiver at or above it sees the source.
bool seesOverTop(const PathDifferenceInput& in) {
  const double d1 = in.d1_m, d2 = in.d2_m;
  return ((d1 + d2) * in.H_m - d2 * in.h1_m) / d1 <= in.h2_m;
}

double alongBarrier(const PathDifferenceInput& in) {
  const double r = in.r_m, D = static_cast<double>(in.d1_m) + in.d2_m;
  return std::sqrt(r * r - D * D);
}

// The receiver sees the source around an end of a finite barrier.
bool seesAroundEnd(const PathDifferenceInput& in, double m2) {
  const double d1 = in.d1_m, d2 = in.d2_m, m1 = in.m1_m, half = in.L_m / 2.0;
  if (in.side == BarrierSide::DifferentSides) return (m1 + half) * d2 / d1 + half <= m2;
  return ((d1 + d2) * half - d2 * m1) / d1 <= m2;
}

void infiniteBarrier(const PathDifferenceInput& in, PathDifferenceResult& r) {
  const double d1 = in.d1_m, d2 = in.d2_m, D = d1 + d2, rr = in.r_m;
  const double H = in.H_m, h1 = in.h1_m, h2 = in.h2_m;
  r.m_m = alongBarrier(in);
  const double t = r.m_m / D;
  r.sp_m = std::sqrt(rr * rr + (h2 - h1) * (h2 - h1));
  r.so1_m = std::sqrt((t * d1) * (t * d1) + (H - h1) * (H - h1) + d1 * d1);
  r.o1p_m = std::sqrt((t * d2) * (t * d2) + (H - h2) * (H - h2) + d2 * d2);
  r.delta1_m = r.so1_m + r.o1p_m - r.sp_m;
  r.text = core::cformat(
      "点声源屏障无限长\r\n声源与测点在屏障上的投影距离m=%g[m]\r\nSP=%g[m]\r\nSO1=%g[m],O1P=%g[m];"
      "声程差δ1=SO1+O1P-SP=%g[m]",
      r.m_m, r.sp_m, r.so1_m, r.o1p_m, r.delta1_m);
}

void finiteBarrier(const PathDifferenceInput& in, PathDifferenceResult& r) {
  const double d1 = in.d1_m, d2 = in.d2_m, D = d1 + d2;
  const double H = in.H_m, h1 = in.h1_m, h2 = in.h2_m, m1 = in.m1_m, half = in.L_m / 2.0;
  const double m2 = r.m2_m;
  const bool different = in.side == BarrierSide::DifferentSides;
  const double t = different ? (m1 + m2) / D : (m2 - m1) / D;
  const double k = (h2 - h1) / D;
  // Path length from a point at normal distance n to an end at a along the barrier.
  auto edge = [k](double a, double n) { return std::sqrt(a * a + n * n + (k * n) * (k * n)); };
  const double sd1 = std::sqrt(d1 * d1 + (t * d1) * (t * d1));
  const double sd2 = std::sqrt(d2 * d2 + (t * d2) * (t * d2));
  r.sp_m = std::sqrt((sd1 + sd2) * (sd1 + sd2) + (h2 - h1) * (h2 - h1));
  r.so1_m = std::sqrt((H - h1) * (H - h1) + d1 * d1 + (t * d1) * (t * d1));
  r.o1p_m = std::sqrt((H - h2) * (H - h2) + d2 * d2 + (t * d2) * (t * d2));
  if (different) {
    r.so2_m = edge(half - m1, d1);
    r.o2p_m = edge(half + m2, d2);
    r.so3_m = edge(half + m1, d1);
    r.o3p_m = edge(half - m2, d2);
  } else {
    r.so2_m = edge(half + m1, d1);
    r.o2p_m = edge(half + m2, d2);
    r.so3_m = edge(half - m1, d1);
    r.o3p_m = edge(half - m2, d2);
  }
  r.delta1_m = r.so1_m + r.o1p_m - r.sp_m;
  r.delta2_m = r.so2_m + r.o2p_m - r.sp_m;
  r.delta3_m = r.so3_m + r.o3p_m - r.sp_m;
  r.text = core::cformat(
      "点声源屏障有限长\r\n预测点距屏障中垂线距离m2=%g[m]\r\nSP=%g[m]\r\n"
      "SO1=%g[m],O1P=%g[m];声程差δ1=SO1+O1P-SP=%g[m]\r\n"
      "SO2=%g[m],O2P=%g[m];声程差δ2=SO2+O2P-SP=%g[m]\r\n"
      "SO3=%g[m],O3P=%g[m];声程差δ3=SO3+O3P-SP=%g[m]\r\n",
      m2, r.sp_m, r.so1_m, r.o1p_m, r.delta1_m, r.so2_m, r.o2p_m, r.delta2_m, r.so3_m, r.o3p_m,
      r.delta3_m);
}

}  // namespace

double receiverOffset(const PathDifferenceInput& in) {
  const double m = alongBarrier(in), m1 = in.m1_m;
  switch (in.side) {
    case BarrierSide::DifferentSides: return m - m1;
    case BarrierSide::SameSideM1AtLeastM2: return m1 - m;
    case BarrierSide::SameSideM1BelowM2: return m + m1;
  }
  return m - m1;
}

core::Check checkPathDifference(const PathDifferenceInput& in) {
  const double D = static_cast<double>(in.d1_m) + in.d2_m;
  // d1 divides the sight lines.
  if (!(in.d1_m > 0)) return core::fail(kMsgPathD1NotPositive, "d1");
  if (!(in.d1_m <= in.r_m)) return core::fail(kMsgPathD1TooFar, "d1");
  if (!(in.r_m >= D)) return core::fail(kMsgPathD2TooFar, "d2");
  if (in.kind == BarrierKind::Finite && !seesOverTop(in)) {
    const double m2 = receiverOffset(in);
    if (in.side == BarrierSide::DifferentSides && m2 < 0) return core::fail(kMsgPathSameSide);
    if (in.side == BarrierSide::SameSideM1AtLeastM2 && m2 < 0) return core::fail(kMsgPathOtherSide);
  }
  return std::nullopt;
}

PathDifferenceResult computePathDifference(const PathDifferenceInput& in) {
  PathDifferenceResult r;
  if (seesOverTop(in)) {
    r.direct = true;
    r.text = kTextDirect;
    return r;
  }
  if (in.kind == BarrierKind::Infinite) {
    infiniteBarrier(in, r);
    return r;
  }
  r.m2_m = receiverOffset(in);
  if (seesAroundEnd(in, r.m2_m)) {
    r.direct = true;
    r.text = core::cformat("点声源屏障有限长\r\n预测点距屏障中垂线距离m2=%g[m]\r\n%s", r.m2_m,
                           kTextDirect);
    return r;
  }
  finiteBarrier(in, r);
  return r;
}

const core::CalculatorDesc& pathDifferenceDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "pathdiff";
    c.method = "HJ 2.4-2009《环境影响评价技术导则 声环境》附录A：声屏障声程差";
    c.formulas =
        "δ = SO + OP − SP（声源 S、屏障顶端 O、预测点 P）\n"
        "N = 2δ / λ,  λ = c / f";
    c.title = "声程差计算";
    c.category = "噪声预测工具";
    c.class_name = "CPathDifferenceDlg";
    c.result_text_id = 1237;
    using In = PathDifferenceInput;
    core::Form<In> form("参数输入");
    form.bind("H", &In::H_m, 1001, "屏蔽高度H[m]", "m");
    form.bind("h1", &In::h1_m, 1002, "声源高度h1[m]", "m");
    form.bind("h2", &In::h2_m, 1003, "测点高度h2[m]", "m");
    form.bind("d1", &In::d1_m, 1004, "声源距屏d1[m]", "m");
    form.bind("d2", &In::d2_m, 1005, "测点距屏d2[m]", "m");
    form.bind("L", &In::L_m, 1006, "屏蔽长度L[m]", "m");
    form.bind("m1", &In::m1_m, 1007, "声源离屏障中垂线距离m1 [m]", "m");
    form.radio("kind", &In::kind, 1008, "屏障类型", {"点声源 屏障有限长", "点声源 屏障无限长"});
    form.radio("side", &In::side, 1010, "位置关系",
               {"声源与测点在中垂线的不同侧", "声源与测点在中垂线的同一侧且m1≥m2",
                "声源与测点在中垂线的同一侧且m1< m2"});
    form.bind("r", &In::r_m, 1013, "声源离测点水平距离r[m]", "m");
    core::Outputs<PathDifferenceResult> outs("计算结果");
    outs.bind("delta1", &PathDifferenceResult::delta1_m, 1014, "声程差δ1[m]", "m",
              core::FieldType::Float);
    outs.bind("delta2", &PathDifferenceResult::delta2_m, 1015, "声程差δ2[m]", "m",
              core::FieldType::Float);
    outs.bind("delta3", &PathDifferenceResult::delta3_m, 1016, "声程差δ3[m]", "m",
              core::FieldType::Float);
    c.fields = core::concat(form.fields(), outs.fields());
    c.actions = {{"compute", "计算", 1017}};
    c.compute = form.compute([outs](const In& in, const std::string&) {
      if (auto f = checkPathDifference(in)) return core::failed(*f);
      const PathDifferenceResult r = computePathDifference(in);
      core::Outcome o;
      outs.write(r, o.results);
      o.text = r.text;
      return o;
    });
    return c;
  }();
  return d;
}

}  // namespace models::noise
