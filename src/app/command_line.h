// The main program's command line, read before any window system is touched, so that
// "--help" and "--version" work on a machine without a display.
#pragma once

#include <QString>
#include <QStringList>

namespace app {

struct StartOptions {
  QString screenshot;  // --screenshot FILE: render the main window to a PNG and exit
  int page = 1;        // --page N: the page shown (with --screenshot)
};

// What the command line asks for.
struct StartRequest {
  enum Kind { RunWindow, PrintAndExit };
  Kind kind = RunWindow;
  StartOptions options;
  QString output;  // the text to print for PrintAndExit (usage, version or the error)
  bool to_stderr = false;
  int exit_code = 0;  // 0 for --help and --version, 2 for a usage error
};

// `args` as QCoreApplication::arguments() would give them (the program name first).
StartRequest parseStartArguments(const QStringList& args);

// argv as text, without needing an application object.
QStringList argumentsOf(int argc, char** argv);

}  // namespace app
