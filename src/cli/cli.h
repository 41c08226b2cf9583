// kuvacalc-cli: the calculators from the command line, over the same descriptions as the pages.
//   --help, --version                      the usage or the version
//   list                                   id, category and title of every calculator
//   describe ID                            the fields: key, label, unit, type, default
//   run ID [key=value ...] [--action NAME] [--json] [--screen3 PATH] [--sheet OUT.pdf]
//                                          (the screening program: --screen3, else the
//                                          environment variable KUVA_SCREEN3, else kuvascreen)
//   project FILE.kuva [--json]             every calculator of a project file, with its inputs
//   contour FILE.grd [--levels v1,v2,...] [--json | --geojson]
//   noise-map SCENE [--json] [--grid OUT.grd] [--grid-night OUT.grd] [--threads N] [--sources]
// Exit status: 0 done, 1 a check refused the input, 2 usage error (unknown calculator, key,
// action, a key given twice, an unreadable number or a "key=@file" that is not a regular file
// of at most 64 MB).
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace cli {

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace cli
