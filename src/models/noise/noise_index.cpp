#include "models/noise/noise_index.h"

#include <charconv>
#include <cmath>

#include "core/binding.h"
#include "core/format.h"

namespace models::noise {

const char* const kLeqExplanation =
    "等效连续A声级Leq：\n将某点在一段时间内测得的不同A声级变化，用能量平均的方法以A声级表示该段时间"
    "内的噪声大小，这个声级称为等效连续声级，单位为分贝A，dBA。实际上相当于时间加权平均值。\n计算公"
    "式"
    "：Leq=10*lg((∑(△Ti*10^(0.1*Li)))/△T)";

const char* const kLdnExplanation =
    "昼夜等效声级Ldn：\n考虑到夜间噪声对人的干扰更大，将夜间（22:00～7:00）测得的等效声级加上10dB"
    "的计权后，再与白天的等效声级按持续时间作24小时的能量平均，所得声级称为昼夜等效声级，单位为分贝"
    "A，"
    "dBA。\n计算公式：Ldn=10*lg((Td*10^(0.1*Ld)+Tn*10^(0.1*(Ln+10)))/24)";

namespace {

constexpr const char* kGroupMode = "评价量";
constexpr const char* kGroupData = "输入数据(多个数据以,分隔)";

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Sound levels a meter or an assessment gives; beyond them a level is a typing slip.
constexpr double kMinLevel_db = 0;
constexpr double kMaxLevel_db = 250;
// An interval large enough for any log, small enough that the weighted sum stays finite.
constexpr double kMaxInterval = 1e200;

std::string tooMany(std::size_t count) {
  return core::cformat("共找到%zu个数据，超过了每组最多%zu个数据的限制，请重新输入！", count,
                       kMaxListItems);
}

}  // namespace

std::vector<double> readNumberList(const std::string& text) {
  std::vector<double> out;
  const std::size_t n = text.size();
  std::size_t i = 0;
  while (i < n) {
    const bool signed_start =
        (text[i] == '-' || text[i] == '+') && i + 1 < n && isDigit(text[i + 1]);
    if (!signed_start && !isDigit(text[i])) {
      ++i;  // a separator (multi-byte characters are skipped byte by byte)
      continue;
    }
    const std::size_t start = i;
    if (signed_start) ++i;
    while (i < n && isDigit(text[i])) ++i;
    if (i + 1 < n && text[i] == '.' && isDigit(text[i + 1])) {
      ++i;
      while (i < n && isDigit(text[i])) ++i;
    }
    // from_chars reads the C locale's decimal point whatever locale the program runs in.
    double v = 0;
    const std::size_t from = text[start] == '+' ? start + 1 : start;
    if (std::from_chars(text.data() + from, text.data() + i, v).ec != std::errc()) v = std::nan("");
    out.push_back(v);
  }
  return out;
}

std::string joinList(const std::vector<double>& values, std::size_t count) {
  std::string s;
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) s += ",";
    if (i < values.size()) s += core::cformat("%g", values[i]);
  }
  return s;
}

core::Check checkNoiseIndex(const NoiseIndexInput& in) {
  if (in.mode == IndexMode::Ldn) {
    if (!(in.ld_db >= kMinLevel_db && in.ld_db <= kMaxLevel_db))
      return core::fail("白天等效声级Ld必须在0到250dBA之间，请重新输入！", "Ld");
    if (!(in.ln_db >= kMinLevel_db && in.ln_db <= kMaxLevel_db))
      return core::fail("夜间等效声级Ln必须在0到250dBA之间，请重新输入！", "Ln");
    if (!(in.td_h >= 0)) return core::fail("白天持续时间Td必须大于等于0，请重新输入！", "Td");
    if (!(in.tn_h >= 0)) return core::fail("夜间持续时间Tn必须大于等于0，请重新输入！", "Tn");
    // The day and the night make up the 24 hours the level is averaged over.
    if (!(std::fabs(static_cast<double>(in.td_h) + in.tn_h - 24) <= 1e-4))
      return core::fail("白天持续时间Td与夜间持续时间Tn之和必须等于24，请重新输入！", "Td");
    return std::nullopt;
  }
  const std::vector<double> levels = readNumberList(in.readings);
  if (levels.size() > kMaxListItems) return core::fail(tooMany(levels.size()), "L");
  if (levels.empty()) return core::fail("瞬时A声级至少要输入一个数据，请重新输入！", "L");
  for (const double l : levels) {
    if (std::isnan(l)) return core::fail("请输入一个数字。", "L");
    if (!(l >= kMinLevel_db && l <= kMaxLevel_db))
      return core::fail("瞬时A声级必须在0到250dBA之间，请重新输入！", "L");
  }
  if (in.equal_intervals) return std::nullopt;
  const std::vector<double> times = readNumberList(in.intervals);
  if (times.size() > kMaxListItems) return core::fail(tooMany(times.size()), "T");
  for (const double t : times) {
    if (std::isnan(t)) return core::fail("请输入一个数字。", "T");
    if (!(t > 0 && t <= kMaxInterval)) return core::fail("间隔时间必须大于0，请重新输入！", "T");
  }
  // Each reading weighs by its own interval: a missing one would weigh nothing.
  if (times.size() != levels.size())
    return core::fail("读数与时间间隔的个数不一致，请重新输入！", "T");
  return std::nullopt;
}

NoiseIndexResult computeNoiseIndex(const NoiseIndexInput& in) {
  NoiseIndexResult r;
  if (in.mode == IndexMode::Ldn) {
    const double ld = in.ld_db, ln = in.ln_db, td = in.td_h, tn = in.tn_h;
    r.ldn_db =
        10 *
        std::log10((td * std::pow(10.0, 0.1 * ld) + tn * std::pow(10.0, 0.1 * (ln + 10))) / 24);
    r.line = "昼夜等效声级Ldn:" + core::cformat("%.2f", r.ldn_db) + "dBA";
    return r;
  }
  const std::vector<double> levels = readNumberList(in.readings);
  const std::vector<double> times = readNumberList(in.intervals);
  const std::size_t n = levels.size();
  r.n = static_cast<int>(n);
  r.readings = joinList(levels, n);
  r.intervals = joinList(times, n);
  double energy = 0, duration = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const double e = std::pow(10.0, 0.1 * levels[i]);
    if (in.equal_intervals) {
      energy += e;
    } else {
      const double dt = i < times.size() ? times[i] : 0;  // a missing interval counts as 0
      energy += dt * e;
      duration += dt;
    }
  }
  if (in.equal_intervals) duration = static_cast<double>(n);
  r.leq_db = 10 * std::log10(energy / duration);
  r.line = "总共有" + core::cformat("%d", r.n) + "个数据;    " +
           "等效连续A声级Leq:" + core::cformat("%.2f", r.leq_db) + "dBA";
  return r;
}

const core::CalculatorDesc& noiseIndexDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "noise_index";
    c.method = "GB 3096-2008《声环境质量标准》的评价量定义；马大猷《噪声与振动控制工程手册》";
    c.formulas =
        "Leq = 10lg(Σ ΔTi·10^(0.1Li) / Σ ΔTi)\n"
        "等间隔取样：Leq = 10lg(Σ 10^(0.1Li) / N)\n"
        "Ldn = 10lg((Td·10^(0.1Ld) + Tn·10^(0.1(Ln + 10))) / 24)";
    c.title = "噪声评价量计算";
    c.category = "噪声预测工具";
    c.command = 32782;
    c.page = 7;
    c.template_id = 134;
    c.class_name = "CNoiseIndexDlg";
    core::Form<NoiseIndexInput> form(kGroupMode);
    form.radio("mode", &NoiseIndexInput::mode, 1040, "", {"等效连续A声级Leq", "昼夜等效声级Ldn"});
    form.group(kGroupData);
    form.bind("L", &NoiseIndexInput::readings, 1041, "瞬时A声级[dBA]");
    form.check("equal", &NoiseIndexInput::equal_intervals, 1042, "等间隔取样");
    form.bind("T", &NoiseIndexInput::intervals, 1043, "间隔时间[任意]");
    form.bind("Ld", &NoiseIndexInput::ld_db, 1044, "白天等效声级Ld[dBA]");
    form.bind("Ln", &NoiseIndexInput::ln_db, 1045, "夜间等效声级Ln[dBA]");
    form.bind("Td", &NoiseIndexInput::td_h, 1046, "白天持续时间Td[hr]");
    form.bind("Tn", &NoiseIndexInput::tn_h, 1047, "夜间持续时间Tn[hr]");
    c.fields = form.fields();
    c.actions = {{"compute", "计算", 1048}};
    c.compute = form.compute([](const NoiseIndexInput& in, const std::string&) {
      if (auto f = checkNoiseIndex(in)) return core::failed(*f);
      const NoiseIndexResult r = computeNoiseIndex(in);
      core::Outcome o;
      o.text = r.line;
      if (in.mode == IndexMode::Leq) {
        o.updated_inputs.setText("L", r.readings);
        o.updated_inputs.setText("T", r.intervals);
      }
      return o;
    });
    return c;
  }();
  return d;
}

}  // namespace models::noise
