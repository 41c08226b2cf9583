// Writes a calculation sheet to a file: HTML when the name ends in .html or .htm, PDF otherwise.
// The PDF embeds the fonts its text is set in; its text copies out as written. Writing is atomic:
// the target holds the old file or the whole new one. Usable without a running GUI: a headless Qt
// application is started when the program has none.
#pragma once

#include <string>
#include <vector>

#include "present/calc_sheet.h"

namespace sheet {

// Returns an empty text on success, otherwise the reason. `picture_png`, when not empty, holds a
// PNG image (a contour map or curve) placed after the tables. A PDF carries on every page a
// header (the sheet's title and project) and a footer ("第 x 页 共 y 页" and the program's
// version, which fills `version` when the caller left it empty).
std::string writeSheetFile(present::CalcSheet s, const std::string& path,
                           const std::string& picture_png = {});

// A figure of the sheet: PNG bytes and the caption printed below it.
struct SheetFigure {
  std::string caption;
  std::string png;
};
// The same with several figures after the tables, each scaled to the text width at most (its
// proportions kept) and to less than a page's height, so that none is cut or split across pages.
std::string writeSheetFile(present::CalcSheet s, const std::string& path,
                           const std::vector<SheetFigure>& figures);

}  // namespace sheet
