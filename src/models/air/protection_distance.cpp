#include "models/air/protection_distance.h"

#include <cmath>

#include "core/binding.h"
#include "core/format.h"
#include "models/air/pollutants.h"
#include "screen/answer_script.h"
#include "screen/report.h"

namespace models::air {

namespace {

constexpr const char* kMsgSideRatio = "要求面源的两条边比值不超过10，超出的宜分成多个面源！";
constexpr const char* kMsgSides = "面源宽度和长度必须大于0，请重新输入！";
constexpr const char* kMsgHeight = "面源有效高度不能小于0，请重新输入！";
constexpr const char* kMsgRate = "污染源强必须大于0，请重新输入！";
constexpr const char* kMsgStandard = "环境标准浓度限值必须大于0，请重新输入！";
constexpr const char* kMsgReport = "SCREEN.OUT中没有108个计算点的结果，无法确定大气环境防护距离。";
constexpr double kMaxSideRatio = 10;
// The receptor lines of the run: the first one (10 m) and the count.
constexpr size_t kFirstReceptorLine = 34;
constexpr float kUgPerMg = 1000;
constexpr double kFarLimit_m = 2000;

std::string toCrLf(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

}  // namespace

core::Check checkProtection(const ProtectionInput& in) {
  const double l = in.length_m, w = in.width_m;
  if (l / w > kMaxSideRatio || w / l > kMaxSideRatio) return core::fail(kMsgSideRatio, "W");
  if (!(w > 0 && l > 0)) return core::fail(kMsgSides, "W");
  if (!(in.height_m >= 0)) return core::fail(kMsgHeight, "He");
  if (!(in.q_g_s > 0)) return core::fail(kMsgRate, "Q");
  // A standard of 0 or below would make every receptor "exceed" and give the sentence of a
  // source too strong for the 5000 m receptor range.
  if (!(in.standard_mg_m3 > 0 && std::isfinite(in.standard_mg_m3)))
    return core::fail(kMsgStandard, "Cs");
  return std::nullopt;
}

core::Check readProtectionReport(const std::string& report, ProtectionReading* out) {
  const screen::Report r = screen::parseReport(report);
  const std::vector<int> expected = screen::protectionDistances_m();
  if (r.lines.size() < kFirstReceptorLine + expected.size()) return core::fail(kMsgReport);
  out->distance_m.clear();
  out->conc_ug_m3.clear();
  for (size_t i = 0; i < expected.size(); ++i) {
    const size_t at = kFirstReceptorLine + i;
    screen::ResultLine l;
    try {
      l = screen::distanceLine(r.lines[at], at + 1);
    } catch (const screen::ReportError& e) {
      // A distance that cannot be read is a report laid out differently; a concentration
      // that cannot be read ("*****") leaves the distance unknown.
      const auto d = screen::numberAt(r.lines[at], 0, 9);
      if (d != expected[i]) return core::fail(kMsgReport);
      return core::fail(std::string(e.what()) + "，无法确定大气环境防护距离。");
    }
    // A report laid out differently would give numbers of other lines: refuse it.
    if (l.distance_m != expected[i]) return core::fail(kMsgReport);
    out->distance_m.push_back(l.distance_m);
    out->conc_ug_m3.push_back(l.conc_ug_m3);
  }
  return std::nullopt;
}

std::string protectionSentence(const ProtectionReading& r, float standard_mg_m3) {
  // The standard in ug/m3 is formed in single precision, as the field holds it (2.4 -> 2400).
  const double limit = standard_mg_m3 * kUgPerMg;
  const size_t last = r.conc_ug_m3.size() - 1;
  if (r.conc_ug_m3[last] > limit)
    return "最大超标距离大于5000米，污染源强可能超标，建议削减源强后，再计算。";
  // From far to near: the first exceeding receptor; the next receptor out meets the standard.
  for (size_t i = last; i-- > 0;) {
    if (r.conc_ug_m3[i] >= limit) {
      const double d = r.distance_m[i + 1];
      if (d > kFarLimit_m)
        return toCrLf(
            core::cformat("最大超标距离 = %g "
                          "[m]\n最大超标距离大于2000米，污染源强可能超标，建议削减源强后，再计算。",
                          d));
      return core::cformat("大气环境防护距离建议值 = %g [m]", d);
    }
  }
  return "无超标点";
}

ProtectionOutcome computeProtection(const ProtectionInput& in, const screen::RunStep& run) {
  ProtectionOutcome o;
  if ((o.failure = checkProtection(in))) return o;
  const std::string script =
      screen::protectionScript(in.q_g_s, in.height_m, in.length_m, in.width_m);
  const screen::RunResult res = run(script);
  if (!res.ok()) {
    o.failure = core::fail(res.message);
    return o;
  }
  o.report = res.report;
  ProtectionReading reading;
  if ((o.failure = readProtectionReport(res.report, &reading))) return o;
  o.text = protectionSentence(reading, in.standard_mg_m3);
  return o;
}

namespace {

core::Form<ProtectionInput> makeForm() {
  core::Form<ProtectionInput> f("大气环境防护距离 参数输入");
  f.bind("He", &ProtectionInput::height_m, 1000, "面源有效高度", "[m]");
  f.bind("W", &ProtectionInput::width_m, 1001, "面源    宽度", "[m]");
  f.bind("L", &ProtectionInput::length_m, 1002, "面源    长度", "[m]");
  f.bind("Q", &ProtectionInput::q_g_s, 1004, "污染源强", "[g/s]");
  // An editable drop-down: the text is kept, a listed name writes its standard.
  f.bind("pollutant", &ProtectionInput::pollutant, 1003, "污 染 因 子").choices = pollutantNames();
  f.bind("Cs", &ProtectionInput::standard_mg_m3, 1005, "环境标准浓度限值", "[mg/m³]");
  return f;
}

const core::Form<ProtectionInput>& protectionForm() {
  static const core::Form<ProtectionInput> f = makeForm();
  return f;
}

}  // namespace

ProtectionInput protectionInputFromValues(const core::Values& v) {
  return protectionForm().read(v);
}

core::ComputeFn protectionCompute(screen::RunStep step) {
  return protectionForm().compute(
      [step = std::move(step)](const ProtectionInput& in, const std::string&) {
        const ProtectionOutcome r = computeProtection(in, step);
        if (r.failure) return core::failed(*r.failure);
        core::Outcome o;
        o.text = r.text;
        return o;
      });
}

const core::CalculatorDesc& protectionDistanceDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "protection";
    c.method =
        "HJ 2.2-2008《环境影响评价技术导则 "
        "大气环境》：大气环境防护距离（估算模式计算面源下风向浓度）";
    c.formulas =
        "面源下风向 10 m 起逐点计算地面浓度 C(x)\n"
        "大气环境防护距离 = 浓度超过环境标准浓度限值 Cs 的最远距离";
    c.title = "大气环境防护距离08新导则";
    c.category = "大气预测工具";
    c.command = 32823;
    c.page = 33;
    c.template_id = 229;
    c.class_name = "CProtectionDistanceDlg";
    c.fields = protectionForm().fields();
    c.actions = {{"compute", "计  算", 1006}};
    c.result_text_id = 1237;
    // Without a program chosen by the caller: kuvascreen beside the running executable.
    c.compute = protectionCompute(screen::programStep(screen::programOptions("")));
    return c;
  }();
  return d;
}

}  // namespace models::air
