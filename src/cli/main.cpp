#include <iostream>
#include <string>
#include <vector>

#include "cli/cli.h"
#ifdef KUVA_HAVE_SHEET
#include "cli/project_command.h"
#include "sheet/sheet_writer.h"
#endif

int main(int argc, char** argv) {
#ifdef KUVA_HAVE_SHEET
  cli::setSheetWriter([](const present::CalcSheet& s, const std::string& path) {
    return sheet::writeSheetFile(s, path);
  });
#endif
  std::vector<std::string> args(argv + 1, argv + argc);
  return cli::runCli(args, std::cout, std::cerr);
}
