#include "models/air/prediction/prediction_desc.h"

namespace models::air {

const core::CalculatorDesc& airPredictionDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "air_prediction";
    c.title = "AERMOD进一步预测 (HJ 2.2-2018)";
    c.category = "大气预测工具";
    c.command = 32838;
    c.page = 44;
    c.template_id = 241;
    c.class_name = "CAirPredictionDlg";
    c.method =
        "HJ 2.2-2018 进一步预测：AERMOD 模式（kuvamod）逐时浓度，AERMET 地面与廓线气象；"
        "GB 3095-2012 环境空气质量标准；HJ 663-2013 保证率日平均";
    c.formulas =
        "C日 = Σ C时 / max(有效小时数, 18)\n"
        "C年 = Σ C时 / 有效小时数\n"
        "k = 1 + (n - 1) p / 100，Cp = C[k整] + (k - k整)(C[k整+1] - C[k整])\n"
        "占标率 = C / C标准 × 100%\n"
        "1小时参考值 = 2×8小时 或 3×日平均 或 6×年平均 标准\n"
        "T(K) = t(°C) + 273.15，v = Q / 3600 / (π d² / 4)，q(g/s) = q(kg/h) × 1000 / 3600";
    core::FieldDesc f;
    f.key = kAirPredictionKey;
    f.control_id = 1001;
    f.label = "工程";
    f.type = core::FieldType::Text;
    f.group = "工程";
    f.symbol = "plant";
    c.fields = {f};
    c.actions = {{"compute", "计算", 1002}};
    c.compute = [](const core::Values&, const std::string&) {
      return core::failed({"进一步预测需在“AERMOD进一步预测”页面上计算（它运行 kuvamod）。",
                           "AERMOD进一步预测", kAirPredictionKey});
    };
    return c;
  }();
  return d;
}

}  // namespace models::air
