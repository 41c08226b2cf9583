// A small streaming JSON writer for the command-line output.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace cli {

class JsonWriter {
 public:
  explicit JsonWriter(std::ostream& out) : out_(out) {}
  JsonWriter& beginObject() { return open('{'); }
  JsonWriter& endObject() { return close('}'); }
  JsonWriter& beginArray() { return open('['); }
  JsonWriter& endArray() { return close(']'); }
  JsonWriter& key(const std::string& k);
  JsonWriter& value(const std::string& s);
  JsonWriter& number(double v);

  static std::string escape(const std::string& s);

 private:
  JsonWriter& open(char c);
  JsonWriter& close(char c);
  void separator();
  std::ostream& out_;
  std::vector<bool> first_;  // per open container: no element written yet
  bool after_key_ = false;
};

}  // namespace cli
