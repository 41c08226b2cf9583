#include "cli/json.h"

#include <cmath>

#include "core/format.h"

namespace cli {

std::string JsonWriter::escape(const std::string& s) {
  std::string o = "\"";
  for (const char ch : s) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"': o += "\\\""; break;
      case '\\': o += "\\\\"; break;
      case '\n': o += "\\n"; break;
      case '\r': o += "\\r"; break;
      case '\t': o += "\\t"; break;
      default:
        if (c < 0x20)
          o += core::cformat("\\u%04x", c);
        else
          o += static_cast<char>(c);
    }
  }
  return o + "\"";
}

void JsonWriter::separator() {
  if (after_key_) {
    after_key_ = false;
    return;
  }
  if (!first_.empty()) {
    if (!first_.back()) out_ << ',';
    first_.back() = false;
  }
}

JsonWriter& JsonWriter::open(char c) {
  separator();
  out_ << c;
  first_.push_back(true);
  return *this;
}

JsonWriter& JsonWriter::close(char c) {
  out_ << c;
  if (!first_.empty()) first_.pop_back();
  return *this;
}

JsonWriter& JsonWriter::key(const std::string& k) {
  separator();
  out_ << escape(k) << ':';
  after_key_ = true;
  return *this;
}

JsonWriter& JsonWriter::value(const std::string& s) {
  separator();
  out_ << escape(s);
  return *this;
}

JsonWriter& JsonWriter::number(double v) {
  separator();
  if (std::isfinite(v))
    out_ << core::cformat("%.15g", v);
  else
    out_ << "null";
  return *this;
}

}  // namespace cli
