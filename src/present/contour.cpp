#include "present/contour.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace present {

void ContourLevels::insert(float value) {
  if (std::isnan(value)) return;
  // First position whose value is not below the new one; an equal value there means a duplicate.
  const auto it = std::lower_bound(m_values.begin(), m_values.end(), value);
  if (it != m_values.end() && *it == value) return;
  m_values.insert(it, value);
}

bool ContourLevels::remove(float value) {
  const auto it = std::find(m_values.begin(), m_values.end(), value);
  if (it == m_values.end()) return false;
  m_values.erase(it);
  return true;
}

void ContourLevels::replace(float old_value, float new_value) {
  remove(old_value);
  insert(new_value);
}

ContourLevels defaultLevels(float zmin, float zmax) {
  ContourLevels levels;
  // Step of a tenth of the range, and the running level, both held in single precision.
  const float step = static_cast<float>(static_cast<double>(zmax - zmin) * 0.1);
  float v = zmin;
  while (v <= zmax) {
    levels.insert(v);
    const float next = v + step;
    if (next == v) break;  // zero step, or a step below the float spacing at v
    v = next;
  }
  return levels;
}

void LevelStyleTable::resetToDefaults(const ContourLevels& levels) {
  m_entries.clear();
  const int n = levels.count();
  for (int k = 0; k < n; ++k) {
    const auto red = static_cast<std::uint8_t>((255 * k) / n);
    append(levels.at(k), kDefaultLineWidth_mm, Rgb{red, 0, 0});
  }
}

const LevelStyle* LevelStyleTable::find(float level) const {
  for (auto it = m_entries.rbegin(); it != m_entries.rend(); ++it)
    if (std::fabs(static_cast<double>(it->value) - static_cast<double>(level)) <
        kStyleMatchTolerance)
      return &*it;
  return nullptr;
}

LevelStyle* LevelStyleTable::find(float level) {
  return const_cast<LevelStyle*>(std::as_const(*this).find(level));
}

LevelStyle LevelStyleTable::styleFor(float level) const {
  if (const LevelStyle* s = find(level)) return *s;
  return LevelStyle{level, 0.0f, Rgb{}};
}

int LevelStyleTable::insertOrdered(const LevelStyle& style) {
  const auto it = std::find_if(m_entries.begin(), m_entries.end(),
                               [&](const LevelStyle& s) { return s.value > style.value; });
  const auto index = static_cast<int>(it - m_entries.begin());
  m_entries.insert(it, style);
  return index;
}

bool LevelStyleTable::removeFor(float level) {
  const LevelStyle* s = find(level);
  if (!s) return false;
  m_entries.erase(m_entries.begin() + (s - m_entries.data()));
  return true;
}

void LevelStyleTable::sortByValue() {
  std::stable_sort(m_entries.begin(), m_entries.end(),
                   [](const LevelStyle& a, const LevelStyle& b) { return a.value < b.value; });
}

}  // namespace present
