// Every registered calculator, on its defaults: each action runs without an internal error, a
// refusal says why, and the keys, commands and pages do not collide. A calculator is covered
// the moment it is registered.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <regex>
#include <set>
#include <stdexcept>
#include <string>

#include "core/calculator.h"
#include "models/registry.h"

namespace {

// The screening calculators start the screening program for every compute; their own tests
// run them against a stand-in program.
bool startsProcesses(const core::CalculatorDesc& d) {
  return d.id == "screen3" || d.id == "protection";
}

// What the compute of one action gives, or the internal error it threw.
struct ActionRun {
  core::Outcome outcome;
  std::string internal_error;
};

ActionRun runAction(const core::CalculatorDesc& d, const core::Values& v,
                    const std::string& action) {
  ActionRun r;
  try {
    r.outcome = d.compute(v, action);
  } catch (const std::logic_error& e) {
    r.internal_error = e.what();
  }
  return r;
}

TEST(Registry, EveryActionRunsOnTheDefaultsWithoutAnInternalError) {
  int runs = 0;
  for (const auto& d : models::registry().all()) {
    if (startsProcesses(d)) continue;
    ASSERT_TRUE(d.compute) << d.id;
    ASSERT_FALSE(d.actions.empty()) << d.id;
    const core::Values v = core::defaultValues(d);
    for (const auto& a : d.actions) {
      SCOPED_TRACE(d.id + " --action " + a.name);
      const ActionRun r = runAction(d, v, a.name);
      EXPECT_EQ(r.internal_error, "");
      if (!r.internal_error.empty()) continue;
      ++runs;
      if (r.outcome.failure) {
        EXPECT_FALSE(r.outcome.failure->message.empty());
      }
      // A result never lands on an input (a page may keep undeclared results for itself);
      // an updated input is a declared input.
      for (const auto& [key, value] : r.outcome.results.all()) {
        const core::FieldDesc* f = d.field(key);
        EXPECT_TRUE(f == nullptr || f->result) << key << " is an input";
      }
      for (const auto& [key, value] : r.outcome.updated_inputs.all()) {
        const core::FieldDesc* f = d.field(key);
        ASSERT_NE(f, nullptr) << "undeclared input " << key;
        EXPECT_FALSE(f->result) << key << " is a result";
      }
    }
  }
  EXPECT_GT(runs, 20);
}

// Every text a compute shows: result fields, rewritten inputs, the result text, table cells.
std::vector<std::string> shownTexts(const core::CalculatorDesc& d, const core::Outcome& o) {
  std::vector<std::string> out;
  for (const auto* values : {&o.results, &o.updated_inputs})
    for (const auto& [key, value] : values->all())
      if (const core::FieldDesc* f = d.field(key)) out.push_back(core::displayValue(*f, *values));
  out.push_back(o.text);
  for (const auto& t : o.tables)
    for (const auto& row : t.rows) out.insert(out.end(), row.begin(), row.end());
  return out;
}

bool looksNonFinite(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s.find("nan") != std::string::npos || s.find("inf") != std::string::npos;
}

// Hostile numbers: each numeric input in turn at zero, a negative value, the tiniest and the
// largest numbers its storage holds (the others at their defaults), every action. The outcome is
// a refusal that says why or results that show no "nan" or "inf". A number the field cannot
// store never reaches the compute (the form refuses it as not a number).
TEST(Registry, HostileNumbersAreRefusedOrGiveFiniteResults) {
  const double hostile[] = {0, -1, 1e-300, 1e300, 1.4e-45, 3.4e38, 2147483647};
  int runs = 0;
  for (const auto& d : models::registry().all()) {
    if (startsProcesses(d)) continue;
    const core::Values defaults = core::defaultValues(d);
    for (const auto& f : d.fields) {
      if (f.result || (f.type != core::FieldType::Float && f.type != core::FieldType::Double &&
                       f.type != core::FieldType::Int))
        continue;
      std::set<double> tried;
      for (const double x : hostile) {
        if (!core::fitsStorage(f.type, x)) continue;
        const double stored = core::storeAs(f.type, x);
        if (!tried.insert(stored).second) continue;
        core::Values v = defaults;
        v.setNum(f.key, stored);
        for (const auto& a : d.actions) {
          SCOPED_TRACE(d.id + " --action " + a.name + " " + f.key + "=" + std::to_string(stored));
          const ActionRun r = runAction(d, v, a.name);
          ASSERT_EQ(r.internal_error, "");
          ++runs;
          if (r.outcome.failure) {
            EXPECT_FALSE(r.outcome.failure->message.empty());
            continue;
          }
          // A negative amount is never accepted, and no amount comes out negative.
          EXPECT_FALSE(f.amount && stored < 0) << "a negative amount was accepted";
          EXPECT_FALSE(core::showsNegativeAmount(d, r.outcome));
          for (const auto& t : shownTexts(d, r.outcome)) {
            EXPECT_FALSE(looksNonFinite(t)) << t;
          }
          if (r.outcome.grid) {
            const auto& z = r.outcome.grid->z;
            EXPECT_TRUE(std::all_of(z.begin(), z.end(), [](float c) { return std::isfinite(c); }));
          }
        }
      }
    }
  }
  EXPECT_GT(runs, 1000);
}

// The physical amounts the models used to accept negative, refused by name and focused.
TEST(Registry, NegativeAmountsAreRefusedByName) {
  const struct {
    const char* id;
    const char* key;
    const char* message;
  } cases[] = {
      {"pointsource", "Q", "点源排放量Q不能为负数，请重新输入！"},
      {"sludge", "Q", "污水流量Q不能为负数，请重新输入！"},
      {"equipment_leak", "K", "安全系数K不能为负数，请重新输入！"},
      {"liquid_evaporation", "F", "液体蒸发面表面积F不能为负数，请重新输入！"},
      {"mixing2d", "Qp", "废水排放量Qp不能为负数，请重新输入！"},
      {"rainstorm", "psi", "径流系数Ψ不能为负数，请重新输入！"},
      {"cumflow", "Qp", "废水排放量Qp不能为负数，请重新输入！"},
      {"fro", "Cp", "污染物排放浓度Cp不能为负数，请重新输入！"},
      {"sp", "Ch", "上游污染物浓度Ch不能为负数，请重新输入！"},
  };
  for (const auto& c : cases) {
    const core::CalculatorDesc* d = models::registry().find(c.id);
    ASSERT_NE(d, nullptr) << c.id;
    core::Values v = core::defaultValues(*d);
    v.setNum(c.key, -1);
    const core::Outcome o = d->compute(v, d->actions.front().name);
    ASSERT_TRUE(o.failure) << c.id;
    EXPECT_EQ(o.failure->message, c.message) << c.id;
    EXPECT_EQ(o.failure->focus, c.key) << c.id;
  }
}

bool sameValues(const core::Values& a, const core::Values& b) {
  if (a.all().size() != b.all().size()) return false;
  for (const auto& [key, value] : a.all()) {
    if (!b.has(key) || b.text(key) != value.text) return false;
    const double x = value.num, y = b.num(key);
    if (!(x == y || (x != x && y != y))) return false;  // NaN equals NaN here
  }
  return true;
}

bool sameOutcome(const core::Outcome& a, const core::Outcome& b) {
  if (a.failure.has_value() != b.failure.has_value()) return false;
  if (a.failure && a.failure->message != b.failure->message) return false;
  if (a.text != b.text || a.tables.size() != b.tables.size()) return false;
  for (size_t i = 0; i < a.tables.size(); ++i)
    if (a.tables[i].rows != b.tables[i].rows) return false;
  return sameValues(a.results, b.results) && sameValues(a.updated_inputs, b.updated_inputs);
}

// A form that lacks a declared field: an action that reads the field fails loudly; one that
// does not read it gives the same outcome as with the field. Never a silent 0.
TEST(Registry, AMissingInputIsAnInternalErrorNotAZero) {
  int reported = 0;
  for (const auto& d : models::registry().all()) {
    if (startsProcesses(d)) continue;
    const core::Values full = core::defaultValues(d);
    for (const auto& f : d.fields) {
      if (f.result) continue;
      core::Values v;
      for (const auto& [key, value] : full.all())
        if (key != f.key) {
          v.setNum(key, value.num);
          v.setText(key, value.text);
        }
      for (const auto& a : d.actions) {
        SCOPED_TRACE(d.id + " --action " + a.name + " without " + f.key);
        const ActionRun r = runAction(d, v, a.name);
        if (!r.internal_error.empty()) {
          EXPECT_EQ(r.internal_error, "unknown field key: " + f.key + " (internal error)");
          ++reported;
          continue;
        }
        EXPECT_TRUE(sameOutcome(r.outcome, runAction(d, full, a.name).outcome));
      }
    }
  }
  EXPECT_GT(reported, 100);
}

TEST(Registry, KeysAreUniqueWithinACalculator) {
  for (const auto& d : models::registry().all()) {
    std::set<std::string> keys, actions;
    for (const auto& f : d.fields) {
      EXPECT_FALSE(f.key.empty()) << d.id;
      EXPECT_TRUE(keys.insert(f.key).second) << d.id << ": field " << f.key << " twice";
    }
    for (const auto& a : d.actions)
      EXPECT_TRUE(actions.insert(a.name).second) << d.id << ": action " << a.name << " twice";
  }
}

// Command 0 and page 0 stand for none: a calculator a dialog of another page runs. A command
// without a page opens a modeless tool window (the decibel calculator).
TEST(Registry, CommandsAndPagesAreUniqueAcrossTheRegistry) {
  std::set<int> commands, pages;
  std::set<std::string> ids;
  for (const auto& d : models::registry().all()) {
    EXPECT_TRUE(ids.insert(d.id).second) << d.id;
    if (d.command == 0) {
      EXPECT_EQ(d.page, 0) << d.id << ": a page needs a menu command";
    }
    if (d.command != 0) {
      EXPECT_TRUE(commands.insert(d.command).second) << d.id << ": command " << d.command;
      EXPECT_EQ(models::registry().findByCommand(d.command), &d);
    }
    if (d.page != 0) {
      EXPECT_TRUE(pages.insert(d.page).second) << d.id << ": page " << d.page;
      EXPECT_EQ(models::registry().findByPage(d.page), &d);
    }
  }
}

// The command line accepts the keys of the description's input fields; the page builds one
// control per field. A key the command line takes has a control on the page: an input field
// with a control id and, for a choice, the entries to choose from. A tool window without a page
// (the decibel calculator, driven by its keys) has no form to compare with.
TEST(Registry, EveryCommandLineKeyIsAPageField) {
  for (const auto& d : models::registry().all()) {
    if (d.page == 0 && d.command != 0) continue;
    const core::Values defaults = core::defaultValues(d);
    for (const auto& f : d.fields) {
      if (f.result) continue;
      SCOPED_TRACE(d.id + " " + f.key);
      EXPECT_TRUE(defaults.has(f.key));
      EXPECT_NE(f.control_id, 0);
      if (f.type == core::FieldType::Choice || f.type == core::FieldType::Radio) {
        ASSERT_FALSE(f.choices.empty());
        EXPECT_GE(f.default_value, 0);
        EXPECT_LT(f.default_value, static_cast<double>(f.choices.size()));
      }
    }
  }
}

// A symbol that is a program key rather than the formula's: a Greek letter spelled out, a
// word, a key joined with '_', a "d" standing for Δ.
bool looksLikeAKey(const std::string& s) {
  static const std::regex key(
      "(alpha|beta|gamma|delta|eps|eta|theta|kappa|lambda|mu|rho|sigma|tau|phi|psi|omega|tanb|"
      "bar)[0-9]*|.*_.*|d[A-Z][A-Za-z0-9]*|[a-z]{4,}",
      std::regex::extended);
  static const std::regex range("[a-zA-Z](max|min)");
  return std::regex_match(s, key) && !std::regex_match(s, range);
}

// What a calculation sheet and "describe" show: every calculator names its method and
// formulas; every numeric field has the symbol its formulas use, and a unit wherever the
// label or the text after the control gives one.
TEST(Registry, EveryCalculatorDeclaresItsMethodAndEveryFieldItsSymbolAndUnit) {
  for (const auto& d : models::registry().all()) {
    SCOPED_TRACE(d.id);
    EXPECT_FALSE(d.method.empty());
    EXPECT_FALSE(d.formulas.empty());
    for (const auto& f : d.fields) {
      const bool numeric = f.type == core::FieldType::Float || f.type == core::FieldType::Double ||
                           f.type == core::FieldType::Int;
      const core::Notation n = core::notationOf(f);
      SCOPED_TRACE(f.key + " " + f.label + " -> " + n.name + " | " + n.symbol + " | " + n.unit);
      if (!numeric) continue;
      EXPECT_FALSE(n.name.empty());
      EXPECT_FALSE(n.symbol.empty());
      EXPECT_FALSE(looksLikeAKey(n.symbol));
      const size_t lb = f.label.find('['), rb = f.label.find(']');
      const bool label_unit =
          lb != std::string::npos && rb != std::string::npos &&
          f.label.substr(lb + 1, rb - lb - 1).find_first_not_of(' ') != std::string::npos;
      if (label_unit || !f.unit.empty()) {
        EXPECT_FALSE(n.unit.empty());
      }
      EXPECT_EQ(n.unit.find('['), std::string::npos);
    }
  }
}

}  // namespace
