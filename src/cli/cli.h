// kuvacalc-cli: the calculators from the command line, over the same descriptions as the pages.
//   list                                   id, category and title of every calculator
//   describe ID                            the fields: key, label, unit, type, default
//   run ID [key=value ...] [--action NAME] [--json] [--sheet OUT.pdf]
//   project FILE.kuva [--json]             every calculator of a project file, with its inputs
//   contour FILE.grd [--levels v1,v2,...] [--json | --geojson]
// Exit status: 0 done, 1 a check refused the input, 2 usage error (unknown calculator, key,
// action or an unreadable number).
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace cli {

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace cli
