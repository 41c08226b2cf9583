// Names shared by the accident-risk calculators: their menu category and the constants the
// methods tabulate with.
#pragma once

#include <string>

#include "core/check.h"

namespace models::risk {

inline constexpr const char* kCategory = "环境风险评价";
// Circle constant as the methods tabulate it; results depend on this value.
inline constexpr double kPi = 3.14159;
// The fire and explosion pages share their layout: the prediction group, its button and the
// footnote under the result text.
inline constexpr const char* kGroupPrediction = "预测点计算和伤害半径计算";
inline constexpr const char* kFireFootnote = "—————模式参考重大危险源分级标准征求意见稿";

// Ranges an input must be in, refused in the pages' words with the focus on the field; written
// as positive conditions so NaN is refused too.
inline core::Check requirePositive(double v, const std::string& key, const std::string& name) {
  if (v > 0) return std::nullopt;
  return core::fail(name + "必须大于0，请重新输入！", key);
}
inline core::Check requireNotNegative(double v, const std::string& key, const std::string& name) {
  if (v >= 0) return std::nullopt;
  return core::fail(name + "必须大于等于0，请重新输入！", key);
}
// A fraction in (0, 1].
inline core::Check requireFraction(double v, const std::string& key, const std::string& name) {
  if (v > 0 && v <= 1) return std::nullopt;
  return core::fail(name + "必须大于0且不大于1，请重新输入！", key);
}

}  // namespace models::risk
