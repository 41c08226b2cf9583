// Names shared by the accident-risk calculators: their menu category and the constants the
// methods tabulate with.
#pragma once

namespace models::risk {

inline constexpr const char* kCategory = "环境风险评价";
// Circle constant as the methods tabulate it; results depend on this value.
inline constexpr double kPi = 3.14159;
// The fire and explosion pages share their layout: the prediction group, its button and the
// footnote under the result text.
inline constexpr const char* kGroupPrediction = "预测点计算和伤害半径计算";
inline constexpr const char* kFireFootnote = "—————模式参考重大危险源分级标准征求意见稿";

}  // namespace models::risk
