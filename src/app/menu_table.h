// The category buttons of the main window, their menus, commands and page numbers.
#pragma once

#include <string>
#include <vector>

namespace app {

struct MenuItem {
  std::string text;  // empty for a separator
  int command = 0;
  int page = 0;  // 0: not a page (the decibel calculator opens a window of its own)
  bool separator() const { return text.empty(); }
};

struct CategoryMenu {
  int button_id;
  std::string button_text;
  int menu_id;
  bool hidden;  // created hidden, nothing shows it
  std::vector<MenuItem> items;
};

// The buttons in the order of the button column.
const std::vector<CategoryMenu>& categoryMenus();

// Number of pages in the page host.
inline constexpr int kPageCount = 44;
// Command of the decibel calculator window.
inline constexpr int kDecibelCommand = 32805;

// The title of a page (its menu item text, or the page's own name when no menu shows it).
std::string pageTitle(int page);
// The page a command shows; 0 when the command shows no page.
int pageOfCommand(int command);
// The status prompt of a menu command; empty when it has none.
std::string menuPrompt(int command);

}  // namespace app
