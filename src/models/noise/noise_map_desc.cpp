#include "models/noise/noise_map_desc.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <random>

#include "core/format.h"
#include "models/noise/propagation/engine.h"

namespace models::noise {

namespace prop = propagation;
using Json = nlohmann::ordered_json;

namespace {

// A private file for the spectra table while the scene reader reads it; removed on scope exit.
class TempCsv {
 public:
  explicit TempCsv(const std::string& bytes) {
    std::random_device rd;
    std::error_code ec;
    const auto dir = std::filesystem::temp_directory_path(ec);
    if (ec) return;
    for (int tries = 0; tries < 8 && m_path.empty(); ++tries) {
      auto p = dir / ("kuva-spectra-" + std::to_string(rd()) + ".csv");
      if (std::filesystem::exists(p, ec)) continue;
      std::ofstream out(p, std::ios::binary);
      out << bytes;
      if (out) m_path = p.string();
    }
  }
  ~TempCsv() {
    std::error_code ec;
    if (!m_path.empty()) std::filesystem::remove(m_path, ec);
  }
  TempCsv(const TempCsv&) = delete;
  TempCsv& operator=(const TempCsv&) = delete;
  const std::string& path() const { return m_path; }

 private:
  std::string m_path;
};

std::string db(double v) { return core::cformat("%.1f", v); }
std::string db(const std::optional<double>& v) { return v ? db(*v) : "-"; }

}  // namespace

prop::SceneReadResult parseSceneWithSpectra(const std::string& geojson,
                                            const std::string& spectra_csv,
                                            const std::string& base_dir) {
  if (spectra_csv.empty()) return prop::parseScene(geojson, base_dir);
  Json top;
  try {
    top = Json::parse(geojson);
  } catch (const Json::parse_error&) {
    return prop::parseScene(geojson, base_dir);  // its message
  }
  TempCsv csv(spectra_csv);
  if (csv.path().empty()) {
    prop::SceneReadResult r;
    r.error = "the spectra table cannot be written to the temporary folder";
    return r;
  }
  if (top.is_object()) {
    if (!top.contains("noise_scene") || !top["noise_scene"].is_object())
      top["noise_scene"] = Json::object();
    top["noise_scene"]["spectra"] = csv.path();
  }
  prop::SceneReadResult r = prop::parseScene(top.dump(), base_dir);
  if (r.scene) r.scene->spectra_path.clear();
  return r;
}

std::string packNoiseScene(const prop::Scene& scene, const std::string& extra_members) {
  prop::Scene copy = scene;
  copy.spectra_path.clear();
  Json out = Json::object();
  out["scene"] = Json::parse(prop::sceneToGeoJson(copy));
  out["spectra_csv"] = scene.spectra.empty() ? std::string() : prop::spectraToCsv(scene.spectra);
  if (!extra_members.empty()) {
    const Json extra = Json::parse(extra_members, nullptr, false);
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
  const Json top = Json::parse(text, nullptr, false);
  if (!top.is_object() || !top.contains("scene")) {
    r.error = "the stored scene is not readable";
    return r;
  }
  const std::string csv = top.contains("spectra_csv") && top["spectra_csv"].is_string()
                              ? top["spectra_csv"].get<std::string>()
                              : "";
  return parseSceneWithSpectra(top["scene"].dump(), csv, "");
}

std::string noiseSceneMember(const std::string& text, const std::string& member) {
  const Json top = Json::parse(text, nullptr, false);
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
    core::FieldDesc f;
    f.key = kNoiseMapSceneKey;
    f.control_id = 1001;
    f.label = "场景";
    f.type = core::FieldType::Text;
    f.group = "场景";
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
