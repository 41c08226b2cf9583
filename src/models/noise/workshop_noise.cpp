#include "models/noise/workshop_noise.h"

#include <cmath>

#include "core/acoustics.h"
#include "core/binding.h"
#include "core/counts.h"
#include "core/format.h"

namespace models::noise {

namespace {
constexpr double kTwoPi = 6.28318;     // value the method tabulates with
constexpr double kFourPi = 12.56636;   // value the method tabulates with
constexpr double kGreenConstant = 11;  // 10 lg(4 pi) rounded, of the Green formula

double energy(double l_db) { return std::pow(10.0, 0.1 * l_db); }

// Energy the limit leaves above the background.
double headroom(float lreq_db, float lbg_db) { return energy(lreq_db) - energy(lbg_db); }

core::Check checkHeadroom(float lreq_db, float lbg_db) {
  if (!(headroom(lreq_db, lbg_db) > 0)) return core::fail(kMsgLimitBelowBackground, "Lreq");
  return std::nullopt;
}

// Buttons that open a window: from the command line the window's own calculator is run instead.
core::Outcome windowOnly(const std::string& button, const std::string& instead = {}) {
  std::string msg = "“" + button + "”在窗口中打开对话框";
  if (!instead.empty()) msg += "；命令行请用 kuvacalc-cli run " + instead;
  return core::failed(core::fail(msg));
}
}  // namespace

namespace {
// The wall the sound leaves the workshop through.
core::Check checkGreenWall(const GreenInput& in) {
  if (!(in.wall_m2 > 0)) return core::fail("靠预测厂界一侧外墙面积F必须大于0，请重新输入！", "F");
  return std::nullopt;
}
}  // namespace

core::Check checkGreenList(const GreenInput& in) {
  if (auto f = checkGreenWall(in)) return f;
  return core::checkDistanceTableSize(static_cast<double>(in.lmax_m) / in.step_m, 3, "l");
}

std::vector<GreenRow> computeGreenRows(const GreenInput& in) {
  std::vector<GreenRow> rows;
  const int n = core::truncatedCount(static_cast<double>(in.lmax_m) / in.step_m);
  const double base = static_cast<double>(in.lp1_db) - in.tl_db - kGreenConstant;
  for (int i = 1; i <= n; ++i) {
    GreenRow row;
    row.r_m = i * static_cast<double>(in.step_m);
    row.lp_db = base + 10 * std::log10(in.wall_m2 / (row.r_m * row.r_m));
    if (row.lp_db < 0) row.lp_db = 0;
    row.lt_db = core::addLevels(in.lbg_db, row.lp_db);
    rows.push_back(row);
  }
  return rows;
}

core::Table greenTable(const std::vector<GreenRow>& rows) {
  core::Table t;
  t.title = "格林公式噪声预测";
  t.headers = {"距离m", "预测值dB", "叠加后预测值dB"};
  t.widths = {50, 60, 100};
  for (const GreenRow& r : rows)
    t.rows.push_back({core::cformat("%g", r.r_m), core::cformat("%.1f", r.lp_db),
                      core::cformat("%.1f", r.lt_db)});
  return t;
}

core::Check checkGreenDistance(const GreenInput& in) {
  if (auto f = checkGreenWall(in)) return f;
  return checkHeadroom(in.lreq_db, in.lbg_db);
}

double computeGreenDistance(const GreenInput& in) {
  // 10 lg D = Lp1 - TL - 11 + 10 lg(F / L^2), solved for L
  const double d = headroom(in.lreq_db, in.lbg_db);
  const double x = 10 * std::log10(d) + in.tl_db + kGreenConstant - in.lp1_db;
  return std::sqrt(in.wall_m2 / std::pow(10.0, 0.1 * x));
}

double fresnelNumber(double delta_m, double f_hz) { return 2 * delta_m * f_hz / kSoundSpeed_m_s; }

double stueberBarrier(const StueberInput& in) {
  double sum = 0;
  for (float delta : {in.delta1_m, in.delta2_m, in.delta3_m})
    sum += 1 / (3 + 20 * fresnelNumber(delta, in.f_hz));
  return -10 * std::log10(sum);
}

double stueberSurface(const StueberInput& in) {
  const double a = in.a_m, b = in.b_m;
  return 2 * a * b + 2 * (a + b) * (in.h_m + 0.0255 * std::sqrt(a * b));
}

StueberResult computeStueber(const StueberInput& in) {
  StueberResult r;
  const double r2 = static_cast<double>(in.r_m) * in.r_m;
  const double divergence = 10 * std::log10(kTwoPi * r2);
  r.lp_db =
      10 * std::log10(stueberSurface(in)) + in.lr_db - in.dlr_db - divergence - stueberBarrier(in);
  if (r.lp_db < 0) r.lp_db = 0;
  r.lt_db = core::addLevels(in.lbg_db, r.lp_db);
  return r;
}

core::Check checkStueber(const StueberInput& in) {
  if (!(in.a_m > 0)) return core::fail("车间长度必须大于0，请重新输入！", "a");
  if (!(in.b_m > 0)) return core::fail("车间宽度必须大于0，请重新输入！", "b");
  if (!(in.h_m >= 0)) return core::fail("车间声源平均高度H必须大于等于0，请重新输入！", "H");
  if (!(in.f_hz > 0)) return core::fail("声波频率f必须大于0，请重新输入！", "f");
  const float StueberInput::*deltas[] = {&StueberInput::delta1_m, &StueberInput::delta2_m,
                                         &StueberInput::delta3_m};
  for (int i = 0; i < 3; ++i)
    if (!(in.*deltas[i] >= 0))
      return core::fail(core::cformat("声程差δ%d必须大于等于0，请重新输入！", i + 1),
                        core::cformat("delta%d", i + 1));
  if (!(in.r_m > 0)) return core::fail("到受声点的最远距离r必须大于0，请重新输入！", "r");
  return std::nullopt;
}

core::Check checkStueberDistance(const StueberInput& in) {
  if (auto f = checkStueber(in)) return f;
  return checkHeadroom(in.lreq_db, in.lbg_db);
}

double computeStueberDistance(const StueberInput& in) {
  const double x = 10 * std::log10(stueberSurface(in)) + in.lr_db - in.dlr_db -
                   10 * std::log10(headroom(in.lreq_db, in.lbg_db)) - stueberBarrier(in);
  return std::sqrt(std::pow(10.0, 0.1 * x) / kTwoPi);
}

core::Check checkLp1(const Lp1Input& in) {
  if (!(in.alpha > 0 && in.alpha < 1))
    return core::fail("壁面吸声系数ａ必须大于0且小于1（房间常数R=S·a/(1-a)），请重新输入！", "a");
  if (!(in.s_m2 > 0)) return core::fail("房间内壁面积S必须大于0，请重新输入！", "S");
  if (!(in.r_m > 0)) return core::fail("Lp1预测点离声源距离r必须大于0，请重新输入！", "r");
  if (!(in.q > 0)) return core::fail("室内空间指向因子Q必须大于0，请重新输入！", "Q");
  return std::nullopt;
}

double computeLp1(const Lp1Input& in) {
  const double a = in.alpha;
  const double room = in.s_m2 * a / (1 - a);
  const double r = in.r_m;
  return in.lw_db + 10 * std::log10(in.q / (kFourPi * r * r) + 4 / room);
}

namespace {

struct GreenOut {
  float l_m = 0;
};

struct StueberOut {
  float lt_db = 0;
  float l_m = 0;
};

struct Lp1Out {
  float lp1_db = 0;
};

}  // namespace

const core::CalculatorDesc& greenDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "green";
    c.method = "车间噪声的格林公式（《环境影响评价工程师职业资格登记培训教材》噪声部分）";
    c.formulas =
        "Lp3 = Lp1 − TL + 10lg(F/r²) − 11\n"
        "L = 10lg(10^(0.1Lp3) + 10^(0.1Lbg))\n"
        "达标距离 L：Lp1 − TL − 11 + 10lg(F/L²) = 10lg(10^(0.1Lreq) − 10^(0.1Lbg))";
    c.title = "格林公式";
    c.category = "噪声预测工具";
    c.command = 32771;
    c.page = 4;
    c.template_id = 136;
    c.class_name = "CGreenNoiseDlg";
    core::Form<GreenInput> form("格林公式噪声预测");
    form.bind("Lp1", &GreenInput::lp1_db, 1001, "距墙内侧1米处受声点的声级Lp1", "dB");
    form.bind("F", &GreenInput::wall_m2, 1002, "靠预测厂界一侧外墙面积F", "m²");
    form.bind("TL", &GreenInput::tl_db, 1003, "墙壁隔声量TL", "dB");
    form.bind("lmax", &GreenInput::lmax_m, 1004, "最远受声点的距离lmax", "m");
    form.bind("l", &GreenInput::step_m, 1005, "距离间隔l", "m");
    form.bind("Lbg", &GreenInput::lbg_db, 1006, "背景噪声值", "dB");
    form.bind("Lreq", &GreenInput::lreq_db, 1007, "达标噪声值", "dB");
    core::Outputs<GreenOut> outs("格林公式噪声预测");
    outs.bind("L", &GreenOut::l_m, 1008, "噪声达标距离L", "m");
    c.fields = core::concat(form.fields(), outs.fields());
    c.actions = {{"list", "计算结果", 1100},
                 {"distance", "计算噪声达标所需距离", 1101},
                 {"lp1", "Lp1计算", 1102},
                 {"decibel", "分贝计算器", 1103}};
    c.compute = form.compute([outs](const GreenInput& in, const std::string& action) {
      if (action == "lp1") return windowOnly("Lp1计算", "lp1");
      if (action == "decibel") return windowOnly("分贝计算器", "decibel keys=...");
      core::Outcome o;
      if (action == "distance") {
        if (auto f = checkGreenDistance(in)) return core::failed(*f);
        outs.write(GreenOut{core::storeFloat(computeGreenDistance(in))}, o.results);
        return o;
      }
      if (auto f = checkGreenList(in)) return core::failed(*f);
      o.tables.push_back(greenTable(computeGreenRows(in)));
      return o;
    });
    return c;
  }();
  return d;
}

const core::CalculatorDesc& stueberDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "stueber";
    c.method = "车间噪声的 Stüber 公式（Stüber《Lärmbekämpfung》）";
    c.formulas =
        "Lp = 10lg S + LR − ΔLR − 10lg(2πr²) − Abar\n"
        "S = 2ab + 2(a + b)·(H + 0.0255·√(ab))\n"
        "Abar = −10lg Σ 1/(3 + 20Nk),  Nk = 2δk·f / c\n"
        "LT = 10lg(10^(0.1Lp) + 10^(0.1Lbg))";
    c.title = "Stueber公式";
    c.category = "噪声预测工具";
    c.command = 32772;
    c.page = 6;
    c.template_id = 148;
    c.class_name = "CStueberNoiseDlg";
    core::Form<StueberInput> form("Stueber公式噪声预测");
    form.bind("LR", &StueberInput::lr_db, 1001, "车间平均噪声级LR", "dB");
    form.bind("dLR", &StueberInput::dlr_db, 1002, "车间平均屏蔽衰减△LR", "dB");
    form.bind("H", &StueberInput::h_m, 1003, "车间声源平均高度H", "m");
    form.bind("f", &StueberInput::f_hz, 1004, "声波频率f", "Hz");
    form.bind("a", &StueberInput::a_m, 1005, "车间长度", "m");
    form.bind("b", &StueberInput::b_m, 1006, "车间宽度", "m");
    form.bind("delta1", &StueberInput::delta1_m, 1007, "声程差δ1", "m");
    form.bind("delta2", &StueberInput::delta2_m, 1008, "声程差δ2", "m");
    form.bind("delta3", &StueberInput::delta3_m, 1009, "声程差δ3", "m");
    form.bind("r", &StueberInput::r_m, 1010, "到受声点的最远距离r", "m");
    form.bind("Lbg", &StueberInput::lbg_db, 1011, "背景噪声值", "dB");
    core::Outputs<StueberOut> outs("Stueber公式噪声预测");
    outs.bind("LT", &StueberOut::lt_db, 1012, "叠加背景噪声后预测点噪声值", "dB");
    form.bind("Lreq", &StueberInput::lreq_db, 1013, "达标噪声值", "dB");
    core::Outputs<StueberOut> outs2("Stueber公式噪声预测");
    outs2.bind("L", &StueberOut::l_m, 1014, "噪声达标距离L", "m");
    // Exchange order as the form shows it: LT sits between the background and the limit.
    std::vector<core::FieldDesc> fields = form.fields();
    fields.insert(fields.end() - 1, outs.fields().front());
    c.fields = core::concat(fields, outs2.fields());
    c.actions = {{"compute", "计算结果", 1100},
                 {"distance", "计算噪声达标所需距离", 1101},
                 {"pathdiff", "声程差计算", 1102},
                 {"decibel", "分贝计算器", 1103}};
    c.help_topic = "噪声预测模式\\stueber.htm";
    c.compute = form.compute([outs, outs2](const StueberInput& in, const std::string& action) {
      if (action == "pathdiff") return windowOnly("声程差计算");
      if (action == "decibel") return windowOnly("分贝计算器", "decibel keys=...");
      core::Outcome o;
      if (action == "distance") {
        if (auto f = checkStueberDistance(in)) return core::failed(*f);
        outs2.write(StueberOut{0, core::storeFloat(computeStueberDistance(in))}, o.results);
        return o;
      }
      if (auto f = checkStueber(in)) return core::failed(*f);
      outs.write(StueberOut{core::storeFloat(computeStueber(in).lt_db), 0}, o.results);
      return o;
    });
    return c;
  }();
  return d;
}

const core::CalculatorDesc& lp1Desc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "lp1";
    c.method = "室内声源靠近围护结构处的声压级（HJ 2.4-2009 附录A）";
    c.formulas = "Lp1 = Lw + 10lg(Q/(4πr²) + 4/R),  R = S·a / (1 − a)";
    c.title = "LP1计算";
    c.category = "噪声预测工具";
    c.command = 0;  // opened by the Green page's "Lp1计算"
    c.page = 0;
    c.template_id = 153;
    c.class_name = "CLp1Dlg";
    core::Form<Lp1Input> form("LP1计算");
    form.bind("Lw", &Lp1Input::lw_db, 1001, "声源声功率级Lw", "dB");
    form.bind("Q", &Lp1Input::q, 1002, "室内空间指向因子Q");
    form.bind("S", &Lp1Input::s_m2, 1003, "房间内壁面积S(包括屋顶和地面)", "m²");
    form.bind("a", &Lp1Input::alpha, 1004, "壁面吸声系数ａ");
    form.bind("r", &Lp1Input::r_m, 1005, "Lp1预测点离声源距离r", "m");
    core::Outputs<Lp1Out> outs("LP1计算");
    outs.bind("Lp1", &Lp1Out::lp1_db, 1006, "Lp1:", "dB");
    c.fields = core::concat(form.fields(), outs.fields());
    c.actions = {{"compute", "计算", 1007}};
    c.compute = form.compute([outs](const Lp1Input& in, const std::string&) {
      if (auto f = checkLp1(in)) return core::failed(*f);
      core::Outcome o;
      outs.write(Lp1Out{core::storeFloat(computeLp1(in))}, o.results);
      return o;
    });
    return c;
  }();
  return d;
}

}  // namespace models::noise
