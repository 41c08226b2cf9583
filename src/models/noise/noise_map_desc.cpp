#include "models/noise/noise_map_desc.h"

#include <atomic>
#include <cmath>
#include <nlohmann/json.hpp>

#include "core/format.h"
#include "core/parse.h"
#include "models/noise/propagation/engine.h"

namespace models::noise {

namespace prop = propagation;
using Json = nlohmann::ordered_json;

namespace {

// A period in which no source runs has no level: "-", not "-inf".
std::string db(double v) { return std::isfinite(v) ? core::cformat("%.1f", v) : "-"; }

// Parsed only when nested within the limit: a recursive parser would overflow the stack.
Json parseStored(const std::string& text) {
  if (core::jsonNestingDepth(text) > core::kMaxJsonNesting) return Json(Json::value_t::discarded);
  return Json::parse(text, nullptr, false);
}
std::string db(const std::optional<double>& v) { return v ? db(*v) : "-"; }

}  // namespace

prop::SceneReadResult parseSceneWithSpectra(const std::string& geojson,
                                            const std::string& spectra_csv,
                                            const std::string& base_dir) {
  if (spectra_csv.empty()) return prop::parseScene(geojson, base_dir);
  return prop::parseScene(geojson, base_dir, &spectra_csv);
}

std::string packNoiseScene(const prop::Scene& scene, const std::string& extra_members) {
  prop::Scene copy = scene;
  copy.spectra_path.clear();
  Json out = Json::object();
  out["scene"] = Json::parse(prop::sceneToGeoJson(copy));
  out["spectra_csv"] = scene.spectra.empty() ? std::string() : prop::spectraToCsv(scene.spectra);
  if (!extra_members.empty()) {
    const Json extra = parseStored(extra_members);
    if (extra.is_object())
      for (const auto& [k, v] : extra.items()) out[k] = v;
  }
  return out.dump();
}

prop::SceneReadResult unpackNoiseScene(const std::string& text) {
  prop::SceneReadResult r;
  if (text.empty()) {
    r.scene = prop::Scene{};
    return r;
  }
  if (core::jsonNestingDepth(text) > core::kMaxJsonNesting) {
    r.error = "工程中的噪声场景嵌套超过 " + std::to_string(core::kMaxJsonNesting) + " 层";
    return r;
  }
  const Json top = parseStored(text);
  if (!top.is_object() || !top.contains("scene")) {
    r.error = "工程中的噪声场景不是可读的JSON";
    return r;
  }
  const std::string csv = top.contains("spectra_csv") && top["spectra_csv"].is_string()
                              ? top["spectra_csv"].get<std::string>()
                              : "";
  // Read as stored, faults and all: a scene that cannot be computed yet is still the user's work,
  // and every run checks it.
  return prop::parseScene(top["scene"].dump(), "", csv.empty() ? nullptr : &csv, false);
}

std::string noiseSceneMember(const std::string& text, const std::string& member) {
  const Json top = parseStored(text);
  if (!top.is_object() || !top.contains(member)) return {};
  return top[member].dump();
}

const core::CalculatorDesc& noiseMapDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "noise_map";
    c.title = "工业噪声地图 (HJ 2.4-2021)";
    c.category = "噪声预测工具";
    c.command = 32833;
    c.page = 39;
    c.template_id = 240;
    c.class_name = "CNoiseMapDlg";
    c.method = "GB/T 17247.2-1998（ISO 9613-2:1996）倍频带户外声传播衰减；HJ 2.4-2021 工业噪声预测";
    c.formulas =
        "Lp = Lw + Dc - (Adiv + Aatm + Agr + Abar)\n"
        "Adiv = 20 lg d + 11\n"
        "Aatm = α d / 1000\n"
        "Agr = As + Ar + Am\n"
        "Dz = 10 lg(3 + (C2/λ) C3 z Kmet)\n"
        "LA = 10 lg Σ 10^(0.1 (Lp,i + ΔA,i))\n"
        "Leqg = 10 lg((1/T) Σ ti 10^(0.1 LAi))\n"
        "Leq = 10 lg(10^(0.1 Leqg) + 10^(0.1 Leqb))";
    core::FieldDesc f;
    f.key = kNoiseMapSceneKey;
    f.control_id = 1001;
    f.label = "场景";
    f.type = core::FieldType::Text;
    f.group = "场景";
    f.symbol = "scene";
    c.fields = {f};
    c.actions = {{"compute", "计算", 1002}};
    c.compute = [](const core::Values& in, const std::string&) {
      core::Outcome o;
      const prop::SceneReadResult r = unpackNoiseScene(in.text(kNoiseMapSceneKey));
      if (!r.ok()) return core::failed({r.error, "工业噪声地图", kNoiseMapSceneKey});
      if (r.scene->receptors.empty()) {
        o.text = "场景中没有预测点。\r\n";
        return o;
      }
      const prop::ReceptorsResult rr = prop::computeReceptors(*r.scene, {});
      if (!rr.error.empty()) return core::failed({rr.error, "工业噪声地图", kNoiseMapSceneKey});
      core::Table t;
      t.title = "预测点噪声预测结果";
      t.headers = {"预测点",     "昼间贡献值", "夜间贡献值", "昼间背景值",
                   "夜间背景值", "昼间预测值", "夜间预测值", "昼间标准",
                   "夜间标准",   "昼间超标量", "夜间超标量"};
      for (const auto& p : rr.receptors)
        t.rows.push_back({p.name, db(p.day.contribution_db), db(p.night.contribution_db),
                          db(p.day.background_db), db(p.night.background_db),
                          db(p.day.predicted_db), db(p.night.predicted_db), db(p.day.limit_db),
                          db(p.night.limit_db), db(p.day.exceedance_db),
                          db(p.night.exceedance_db)});
      o.tables.push_back(std::move(t));
      for (const auto& w : rr.warnings) o.text += w + "\r\n";
      return o;
    };
    return c;
  }();
  return d;
}

}  // namespace models::noise
