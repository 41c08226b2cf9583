// The control file ("deck") of a run: pathways CO, SO, RE, ME and OU with the keywords a run of
// point sources over flat terrain needs. Anything else is refused with its line, never skipped.
#pragma once

#include <string>
#include <vector>

#include "mod/plume.h"

namespace mod {

constexpr long long kMaxDeckBytes = 64ll * 1024 * 1024;
constexpr size_t kMaxReceptors = 1000000;  // keeps the hourly values of a run in memory

struct ReceptorEntry {
  Receptor r;
  double zelev = 0, zhill = 0;  // as given (printed under the elevated-terrain option)
  std::string network;          // grid name; empty for a discrete receptor
};

struct SourceGroup {
  std::string id;
  std::vector<size_t> members;  // source indices, in source order
};

struct OutputFile {
  size_t group = 0;
  std::string path;
  long line = 0;  // deck line
};

// CO URBANOPT: one urban area.
struct UrbanOption {
  bool on = false;
  double population = 0;
  double z0 = 1.0;  // urban roughness length, m
  long line = 0;    // deck line
};

struct Deck {
  std::string path, dir;
  std::string title1, title2;
  bool defaultOptions = false;  // "DFAULT CONC": elevated terrain with every elevation zero
  bool run = true;              // RUNORNOT RUN
  std::string pollutant, errorFile;
  UrbanOption urban;
  std::vector<PointSource> sources;
  std::vector<SourceGroup> groups;
  std::vector<ReceptorEntry> receptors;
  std::string surfaceFile, profileFile;  // resolved against the deck's folder
  double profileBase = 0;                // elevation of the base of the met profile, m
  bool expFormat = false;                // FILEFORM EXP
  std::vector<OutputFile> postFiles, plotFiles;
};

// Reads and checks a deck; throws InputError "deck:line: message" on the first fault.
Deck readDeck(const std::string& path);

}  // namespace mod
