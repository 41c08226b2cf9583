#include "present/tsv.h"

namespace present {

namespace {
void appendLine(std::string& out, const std::vector<std::string>& fields) {
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i) out += '\t';
    out += fields[i];
  }
  out += '\n';
}
}  // namespace

std::string tableToTsv(const core::Table& t) {
  std::string out;
  if (!t.headers.empty()) appendLine(out, t.headers);
  for (const auto& row : t.rows) appendLine(out, row);
  return out;
}

}  // namespace present
