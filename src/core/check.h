// A refused input: the message the user reads, the caption of its box and the field to focus.
#pragma once

#include <optional>
#include <string>

namespace core {

inline constexpr const char* kCaptionApp = "kuva环评计算";
inline constexpr const char* kCaptionError = "错误";

struct CheckFailure {
  std::string message;
  std::string caption = kCaptionApp;
  std::string focus;  // key of the field that gets the focus; empty for none
  // The tab (of a tab-host page) the page switches to before showing the message; -1 for none.
  int tab = -1;
};

inline CheckFailure fail(std::string message, std::string focus = {},
                         std::string caption = kCaptionApp) {
  return CheckFailure{std::move(message), std::move(caption), std::move(focus), -1};
}

using Check = std::optional<CheckFailure>;

}  // namespace core
