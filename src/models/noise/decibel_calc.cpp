#include "models/noise/decibel_calc.h"

#include <cmath>
#include <utility>
#include <vector>

#include "core/acoustics.h"
#include "core/binding.h"
#include "core/format.h"

namespace models::noise {

namespace {
// Digits beyond these are ignored: the display shows 15 significant digits.
constexpr int kMaxFractionDigits = 15;
constexpr double kMaxWhole = 1e15;
}  // namespace

DecibelKey digitKey(int d) { return static_cast<DecibelKey>(d); }

double DecibelCalculator::Operand::value() const {
  return whole + static_cast<double>(frac_digits) / std::pow(10.0, k);
}

void DecibelCalculator::press(DecibelKey key) {
  switch (key) {
    case DecibelKey::Point: current().point = true; break;
    case DecibelKey::Plus: op('+'); break;
    case DecibelKey::Minus: op('-'); break;
    case DecibelKey::Equals: equals(); break;
    case DecibelKey::Back: back(); break;
    case DecibelKey::Clear: *this = DecibelCalculator(); break;
    default: digit(static_cast<int>(key)); break;
  }
}

void DecibelCalculator::digit(int d) {
  Operand& o = current();
  if (!o.point) {
    if (o.whole * 10 + d < kMaxWhole) o.whole = o.whole * 10 + d;
  } else if (o.k < kMaxFractionDigits) {
    o.frac_digits = o.frac_digits * 10 + d;
    ++o.k;
  }
  if (m_typing == 1) {
    // A new first operand starts a new calculation.
    m_have_x = false;
    m_x = 0;
  } else {
    m_b_typed = true;
    m_y = 0;
  }
  m_after_equals = false;
  m_display = o.value();
}

void DecibelCalculator::back() {
  Operand& o = current();
  if (o.point) {
    if (o.k > 1) {
      o.frac_digits /= 10;
      --o.k;
    } else {
      o.frac_digits = 0;
      o.k = 0;
      o.point = false;
    }
  } else {
    o.whole = o.whole < 10 ? 0 : std::trunc(o.whole / 10);
  }
  m_display = o.value();
}

double DecibelCalculator::apply(char o, double left, double right) {
  m_applied = o;
  return o == '+' ? core::addLevels(right, left) : core::subtractLevel(left, right);
}

void DecibelCalculator::op(char o) {
  if (m_b_typed) {
    // A chain: the operator evaluates what stands so far.
    const double left = m_have_x ? m_x : m_a.value();
    const double r = apply(m_pending, left, m_b.value());
    m_display = r;
    m_a = Operand{};
    m_a.whole = r;
    m_x = r;
    m_have_x = true;
    m_b = Operand{};
    m_b_typed = false;
  } else {
    m_display = 0;
  }
  m_pending = o;
  m_typing = 2;
  m_after_equals = false;
}

void DecibelCalculator::equals() {
  double r = 0;
  if (m_after_equals) {
    // "=" again: the same right level once more.
    r = apply(m_last, m_x, m_y);
  } else {
    const double left = m_have_x ? m_x : m_a.value();
    const double right = m_b_typed ? m_b.value() : left;  // "60 + =" adds 60 to itself
    r = apply(m_pending, left, right);
    m_y = right;
    m_last = m_pending;
  }
  m_x = r;
  m_have_x = true;
  m_display = r;
  m_a = Operand{};
  m_b = Operand{};
  m_b_typed = false;
  m_typing = 1;
  m_after_equals = true;
}

std::optional<DecibelKey> decibelKeyOf(char32_t c) {
  if (c >= U'0' && c <= U'9') return digitKey(static_cast<int>(c - U'0'));
  switch (c) {
    case U'.': return DecibelKey::Point;
    case U'+': return DecibelKey::Plus;
    case U'-':
    case U'\u2212': return DecibelKey::Minus;
    case U'=': return DecibelKey::Equals;
    case U'<':
    case U'\u2190': return DecibelKey::Back;
    case U'C':
    case U'c': return DecibelKey::Clear;
    default: return std::nullopt;
  }
}

namespace {

// The code points of a UTF-8 text with the bytes of each; a broken sequence is one byte.
std::vector<std::pair<char32_t, std::string>> codePoints(const std::string& s) {
  std::vector<std::pair<char32_t, std::string>> out;
  std::size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<unsigned char>(s[i]);
    std::size_t len = b < 0x80           ? 1
                      : (b >> 5) == 0x6  ? 2
                      : (b >> 4) == 0xE  ? 3
                      : (b >> 3) == 0x1E ? 4
                                         : 1;
    if (i + len > s.size()) len = 1;
    char32_t c = len == 1 ? b : (b & (0xFFu >> (len + 1)));
    for (std::size_t j = 1; j < len; ++j)
      c = (c << 6) | (static_cast<unsigned char>(s[i + j]) & 0x3Fu);
    out.emplace_back(c, s.substr(i, len));
    i += len;
  }
  return out;
}

struct DecibelInput {
  std::string keys = "60+60==";
};

struct DecibelOut {
  double display = 0;
};

}  // namespace

DecibelRun runDecibelKeys(const std::string& keys) {
  DecibelRun run;
  DecibelCalculator calc;
  for (const auto& [c, bytes] : codePoints(keys)) {
    if (c == U' ' || c == U',') continue;
    const auto key = decibelKeyOf(c);
    if (!key) {
      run.bad = bytes;
      return run;
    }
    calc.press(*key);
    run.text += bytes + "  " + core::cformat("%.6g", calc.display()) + "\r\n";
    if (!std::isfinite(calc.display())) {
      run.display = calc.display();
      run.no_level = calc.lastApplied();
      return run;
    }
  }
  run.display = calc.display();
  return run;
}

const core::CalculatorDesc& decibelCalcDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "decibel";
    c.method = "声级的能量叠加与相减";
    c.formulas =
        "L1 ⊕ L2 = 10lg(10^(0.1L1) + 10^(0.1L2))\n"
        "L1 ⊖ L2 = 10lg(10^(0.1L1) − 10^(0.1L2))";
    c.title = "分贝计算器";
    c.category = "噪声预测工具";
    c.command = 32805;
    c.page = 0;  // a window of its own, not a page
    c.template_id = 193;
    c.class_name = "CDecibelCalcDlg";
    core::Form<DecibelInput> form("按键");
    form.bind("keys", &DecibelInput::keys, 0, "按键序列(0-9 . + - = < C)");
    core::Outputs<DecibelOut> outs("显示");
    outs.bind("display", &DecibelOut::display, 0, "显示").sym("L");
    c.fields = core::concat(form.fields(), outs.fields());
    c.actions = {{"compute", "计算", 0}};
    c.compute = form.compute([outs](const DecibelInput& in, const std::string&) {
      const DecibelRun run = runDecibelKeys(in.keys);
      if (!run.bad.empty())
        return core::failed(core::fail(
            "按键序列中的“" + run.bad + "”不是计算器的按键（可用：0-9 . + - = < C），请重新输入！",
            "keys"));
      // A level minus one not below it, or levels too large to add, leave no level to show.
      if (run.no_level == '-')
        return core::failed(core::fail("相减时减去的声级必须小于被减的声级，请重新输入！", "keys"));
      if (run.no_level)
        return core::failed(core::fail("叠加的声级超出可计算的范围，请重新输入！", "keys"));
      core::Outcome o;
      o.text = run.text;
      outs.write(DecibelOut{run.display}, o.results);
      return o;
    });
    return c;
  }();
  return d;
}

}  // namespace models::noise
