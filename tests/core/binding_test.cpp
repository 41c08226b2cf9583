// Fields bound to struct members: defaults from the initialisers, reading and writing values.
#include "core/binding.h"

#include <gtest/gtest.h>

namespace {

enum class Fuel { Oil, Coal };

struct In {
  float q = 2.5f;
  double k = 0.125;
  int n = 7;
  bool flag = true;
  Fuel fuel = Fuel::Coal;
  std::string name = "SO2";
};

struct Res {
  float c = 0;
  double conc = 0;
};

core::Form<In> makeForm() {
  core::Form<In> f("参数");
  f.bind("q", &In::q, 1001, "流量q", "m^3/s");
  f.bind("k", &In::k, 1002, "系数k");
  f.bind("n", &In::n, 1003, "个数n");
  f.check("flag", &In::flag, 1004, "只算混合");
  f.choice("fuel", &In::fuel, 1005, "原料", {"油", "煤"});
  f.group("其他").bind("name", &In::name, 1006, "名称");
  return f;
}

TEST(Binding, DescriptionsTakeTypesAndDefaultsFromTheStruct) {
  const auto form = makeForm();
  const auto& fs = form.fields();
  ASSERT_EQ(fs.size(), 6u);
  EXPECT_EQ(fs[0].type, core::FieldType::Float);
  EXPECT_DOUBLE_EQ(fs[0].default_value, 2.5);
  EXPECT_EQ(fs[0].unit, "m^3/s");
  EXPECT_EQ(fs[0].group, "参数");
  EXPECT_EQ(fs[1].type, core::FieldType::Double);
  EXPECT_EQ(fs[2].type, core::FieldType::Int);
  EXPECT_DOUBLE_EQ(fs[2].default_value, 7);
  EXPECT_EQ(fs[3].type, core::FieldType::CheckBox);
  EXPECT_DOUBLE_EQ(fs[3].default_value, 1);
  EXPECT_EQ(fs[4].type, core::FieldType::Choice);
  EXPECT_DOUBLE_EQ(fs[4].default_value, 1);
  EXPECT_EQ(fs[5].type, core::FieldType::Text);
  EXPECT_EQ(fs[5].default_text, "SO2");
  EXPECT_EQ(fs[5].group, "其他");
}

TEST(Binding, ReadingTheDefaultsGivesTheInitialisedStruct) {
  core::CalculatorDesc d;
  const auto form = makeForm();
  d.fields = form.fields();
  core::Values v = core::defaultValues(d);
  v.setNum("n", 3);
  v.setNum("fuel", 0);
  v.setText("name", "NO2");
  const In in = form.read(v);
  EXPECT_FLOAT_EQ(in.q, 2.5f);
  EXPECT_DOUBLE_EQ(in.k, 0.125);
  EXPECT_EQ(in.n, 3);
  EXPECT_TRUE(in.flag);
  EXPECT_EQ(in.fuel, Fuel::Oil);
  EXPECT_EQ(in.name, "NO2");
}

TEST(Binding, ResultsAreRoundedToTheirFieldType) {
  core::Outputs<Res> outs("结果");
  outs.bind("C", &Res::c, 2001, "浓度");
  outs.bind("Cint", &Res::conc, 2002, "浓度(整)", "mg/m^3", core::FieldType::Int);
  EXPECT_TRUE(outs.fields()[0].result);
  core::Values v;
  outs.write(Res{0.1f, 41.7}, v);
  EXPECT_DOUBLE_EQ(v.num("C"), static_cast<double>(0.1f));
  EXPECT_DOUBLE_EQ(v.num("Cint"), 41);
}

TEST(Binding, ComputeReceivesTheFilledStruct) {
  const auto form = makeForm();
  core::CalculatorDesc d;
  d.fields = form.fields();
  auto fn = form.compute([](const In& in, const std::string& action) {
    core::Outcome o;
    o.results.setNum("twice", in.q * 2);
    o.text = action;
    return o;
  });
  const core::Outcome o = fn(core::defaultValues(d), "compute");
  EXPECT_DOUBLE_EQ(o.results.num("twice"), 5);
  EXPECT_EQ(o.text, "compute");
}

// A mistyped key used to read as 0 and compute on silently.
TEST(Binding, AnUnknownKeyIsAnInternalError) {
  const auto form = makeForm();
  core::CalculatorDesc d;
  d.fields = form.fields();
  core::Values v = core::defaultValues(d);
  EXPECT_THROW(v.num("Q"), std::logic_error);
  try {
    (void)v.text("nmae");
    ADD_FAILURE() << "no exception";
  } catch (const std::logic_error& e) {
    EXPECT_STREQ(e.what(), "unknown field key: nmae (internal error)");
  }
  core::Values partial;
  partial.setNum("q", 1);
  EXPECT_THROW(form.read(partial), std::logic_error);
}

struct Part {
  float a = 1.5f;
  int n = 2;
};
struct Whole {
  Part left;
  Part right{4.5f, 5};
};
struct WholeResult {
  Part part{7.25f, 8};
};

TEST(Binding, MembersOfAPartTakeThePartsDefaults) {
  core::Form<Whole> form;
  form.bind("la", &Whole::left, &Part::a, 1, "左a");
  form.bind("ra", &Whole::right, &Part::a, 2, "右a");
  form.bind("rn", &Whole::right, &Part::n, 3, "右n");
  ASSERT_EQ(form.fields().size(), 3u);
  EXPECT_DOUBLE_EQ(form.fields()[0].default_value, 1.5);
  EXPECT_DOUBLE_EQ(form.fields()[1].default_value, 4.5);
  EXPECT_EQ(form.fields()[2].type, core::FieldType::Int);
  core::Values v;
  v.setNum("la", 3);
  v.setNum("ra", 6);
  v.setNum("rn", 9);
  const Whole w = form.read(v);
  EXPECT_FLOAT_EQ(w.left.a, 3);
  EXPECT_EQ(w.left.n, 2);  // not bound: keeps its initialiser
  EXPECT_FLOAT_EQ(w.right.a, 6);
  EXPECT_EQ(w.right.n, 9);

  core::Outputs<WholeResult> outs;
  outs.bind("pa", &WholeResult::part, &Part::a, 4, "a");
  outs.bind("pn", &WholeResult::part, &Part::n, 5, "n");
  core::Values out;
  outs.write(WholeResult{}, out);
  EXPECT_DOUBLE_EQ(out.num("pa"), 7.25);
  EXPECT_DOUBLE_EQ(out.num("pn"), 8);
}

}  // namespace

// The name, symbol and unit a sheet lists, read from the declaration.
TEST(Binding, NotationComesFromTheLabelUnlessDeclared) {
  struct Case {
    const char* key;
    const char* label;
    const char* unit;
    const char* symbol;  // declared with sym(), or ""
    const char* want_name;
    const char* want_symbol;
    const char* want_unit;
  };
  const Case cases[] = {
      {"Qh", "河水流量Qh [m^3/s]", "", "", "河水流量", "Qh", "m³/s"},
      {"rho", "液体密度 ρ", "kg/m^3", "", "液体密度", "ρ", "kg/m³"},
      {"VL", "大型车V[km/h]平均车速", "km/h", "", "大型车平均车速", "V", "km/h"},
      {"He", "面源有效高度", "[m]", "", "面源有效高度", "He", "m"},
      {"W", "面源    宽度", "[m]", "", "面源宽度", "W", "m"},
      {"eta", "去除率", "%", "", "去除率", "η", "%"},
      {"tanb", "影响角正切", "", "", "影响角正切", "tanβ", ""},
      {"fb_dT", "大气温度的平均日温差 △T", "℃", "", "大气温度的平均日温差", "ΔT", "℃"},
      {"pHh", "本底pH值pHh[     ]", "", "", "本底pH值", "pHh", ""},
      {"area_he", "面源有效高度", "[m]", "He", "面源有效高度", "He", "m"},
  };
  for (const auto& c : cases) {
    core::FieldDesc f = core::inputField(c.key, 1, c.label, c.unit, 0);
    if (*c.symbol) f.sym(c.symbol);
    const core::Notation n = core::notationOf(f);
    EXPECT_EQ(n.name, c.want_name) << c.label;
    EXPECT_EQ(n.symbol, c.want_symbol) << c.label;
    EXPECT_EQ(n.unit, c.want_unit) << c.label;
  }
  core::FieldDesc box =
      core::inputField("bar", 1, "考虑声屏障衰减Abar", "", 0, {}, core::FieldType::CheckBox);
  EXPECT_EQ(core::notationOf(box).symbol, "") << "a check box has no symbol";
  core::FieldDesc text = core::inputField("substance", 1, "有害物质名称", "(选框里没有可手动输入)",
                                          0, {}, core::FieldType::Text);
  EXPECT_EQ(core::notationOf(text).unit, "") << "a hint after a text box is no unit";
  core::FieldDesc sewage = core::inputField("p", 1, "排水量按照用水量的", "%计", 0);
  EXPECT_EQ(core::notationOf(sewage.sym("p", "%")).unit, "%");
}
