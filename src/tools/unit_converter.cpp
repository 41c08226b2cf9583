#include "tools/unit_converter.h"

#include <cmath>
#include <unordered_map>

#include "core/binding.h"
#include "core/file_io.h"
#include "core/format.h"

namespace models::tools {

namespace {

core::CheckFailure refuse(std::string message, std::string focus) {
  return core::fail(std::move(message), std::move(focus), kConverterCaption);
}

core::Check checkUnit(const UnitTable& t, const std::string& kind, const std::string& unit,
                      const char* key) {
  const auto f = unitFactor(t, kind, unit);
  if (!f && refusedLineOf(t, kind, unit))
    return refuse("单位表" + refusedLineOf(t, kind, unit)->message + "，请在data.ini中修改！", key);
  if (!f) return refuse("单位“" + unit + "”不属于单位种类“" + kind + "”！", key);
  // A factor of 0 (or one that is not a number) would divide by zero.
  if (!(std::isfinite(*f) && *f != 0)) return refuse(zeroFactorMessage(unit), key);
  return std::nullopt;
}

}  // namespace

core::Check checkUnitConversion(const UnitTable& t, const UnitConversionInput& in) {
  if (!firstLineOfKind(t, in.kind))
    return refuse("单位种类“" + in.kind + "”不在单位表中！", "kind");
  if (auto f = checkUnit(t, in.kind, in.from, "from")) return f;
  if (auto f = checkUnit(t, in.kind, in.to, "to")) return f;
  return std::nullopt;
}

UnitConversionResult computeUnitConversion(const UnitTable& t, const UnitConversionInput& in) {
  UnitConversionResult r;
  r.value =
      convertUnits(in.value, *unitFactor(t, in.kind, in.from), *unitFactor(t, in.kind, in.to));
  return r;
}

std::string unitListingText(const UnitTable& t) {
  // One pass over the lines: a row per kind in order of first appearance, its first line's base
  // unit, then the unit of every line of the kind.
  std::vector<std::string> rows;
  std::unordered_map<std::string, size_t> row_of;
  for (const auto& l : t.lines) {
    const auto [it, fresh] = row_of.emplace(l.kind, rows.size());
    if (fresh) rows.push_back(l.kind + ": " + l.base_unit);
    rows[it->second] += " " + l.unit;
  }
  std::string out;
  for (const auto& r : rows) out += r + "\r\n";
  for (const auto& r : t.refused) out += r.message + "\r\n";
  return out;
}

namespace {

struct Table {
  UnitTable table;
  std::string error;
};

Table tableFor(const std::string& path) {
  if (path.empty()) return {parseUnitTable(defaultUnitTableText()), {}};
  std::string bytes;
  const core::FileRead f = core::readRegularFile(path, bytes);
  if (f.status == core::ReadStatus::Missing || f.status == core::ReadStatus::Unreadable)
    return {{}, "无法读取单位表文件 " + path};
  if (f.status != core::ReadStatus::Ok) return {{}, core::describeRead(f, path, "单位表文件")};
  Table t{parseUnitTable(bytes), {}};
  if (!t.table.error.empty()) t.error = path + "：" + t.table.error;
  return t;
}

}  // namespace

const core::CalculatorDesc& unitConverterDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "units";
    c.method = "换算表 data.ini 中各单位相对同类基准单位的换算值";
    c.formulas = "v目标 = v原 / f原 × f目标";
    c.title = "单位换算器";
    c.category = "其他工具";
    c.command = 32819;
    c.page = 5;
    c.template_id = 146;
    c.class_name = "CUnitConverterDlg";
    core::Form<UnitConversionInput> form("单位换算");
    form.bind("kind", &UnitConversionInput::kind, 1001, "单位种类");
    form.bind("value", &UnitConversionInput::value, 1002, "值").sym("v");
    form.bind("from", &UnitConversionInput::from, 1003, "单位");
    form.bind("to", &UnitConversionInput::to, 1004, "换算为单位");
    form.bind("table", &UnitConversionInput::table_path, 1005, "单位表文件");
    core::Outputs<UnitConversionResult> outs("单位换算");
    outs.bind("result", &UnitConversionResult::value, 1006, "换算结果").sym("v'");
    c.fields = core::concat(form.fields(), outs.fields());
    c.actions = {{"convert", "换算", 1007}, {"list", "单位列表", 1008}};
    c.compute = form.compute([outs](const UnitConversionInput& in, const std::string& action) {
      const Table t = tableFor(in.table_path);
      if (!t.error.empty()) return core::failed(refuse(t.error, "table"));
      core::Outcome o;
      if (action == "list") {
        o.text = unitListingText(t.table);
        return o;
      }
      if (auto f = checkUnitConversion(t.table, in)) return core::failed(*f);
      const UnitConversionResult r = computeUnitConversion(t.table, in);
      outs.write(r, o.results);
      o.text = core::formatFloatField(in.value) + " " + in.from + " = " +
               core::formatFloatField(r.value) + " " + in.to + "\r\n";
      return o;
    });
    return c;
  }();
  return d;
}

}  // namespace models::tools
