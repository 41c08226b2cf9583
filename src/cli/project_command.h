// Project files and calculation sheets from the command line:
//   kuvacalc-cli project FILE.kuva [--json]   every calculator of the project run with its inputs
//   kuvacalc-cli run ID ... --sheet OUT.pdf    the calculation sheet of the run (PDF or .html)
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "core/calculator.h"
#include "present/calc_sheet.h"

namespace cli {

// Writes a sheet file and returns an empty text, or the reason it failed. The program installs
// one (the PDF writer needs Qt); without one, --sheet is refused.
using SheetWriter = std::function<std::string(const present::CalcSheet&, const std::string& path)>;
void setSheetWriter(SheetWriter writer);
bool haveSheetWriter();

// The sheet of one run written to `path`; false (with the reason on `err`) when it failed.
bool writeSheetFor(const core::CalculatorDesc& desc, const core::Values& inputs,
                   const core::Outcome& outcome, const std::string& path, std::ostream& err);

// args: "project", FILE, [--json]. Exit status: 0 every calculator ran, 1 a check refused one,
// 2 the file is unreadable or damaged, or a usage error.
int runProjectCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace cli
