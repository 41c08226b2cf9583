#pragma once
// The blocks of the SCREEN.OUT report: inputs, option lines, distance tables, cavity,
// fumigation, valley table and the summary of results.

#include <string>
#include <vector>

#include "screen/engine/cavity.h"
#include "screen/engine/complex_terrain.h"
#include "screen/engine/fumigation.h"
#include "screen/engine/model_types.h"
#include "screen/engine/output.h"

namespace screen::engine {

struct RunStamp {
  std::string date;  // YYYYMMDD
  std::string time;  // hhmmss.s
};

struct InputsView {
  const Source* src = nullptr;
  std::string title;        // 79 columns
  float velocityShown = 0;  // exit velocity as entered or computed from a flow rate
  int flowKind = 0;         // 0 none, 1 m3/s, 2 ACFM
  float flowValue = 0;
};

void writeStamp(Output& out, const RunStamp& stamp);
void writeSimpleInputs(Output& out, const InputsView& in);
void writeComplexInputs(Output& out, const InputsView& in);
void writeBuoyancy(Output& out, float fb, float fm);
void writeMetBanner(Output& out, const MetChoice& met);

void writeTableHead(Output& out, bool automated, float terrain, bool area, float za);
void writeColumnHeader(Output& out, bool area, float za);
std::string formatRow(const Row& r, bool area);
void writeLegend(Output& out);

struct TerrainRecord {
  float height, minimum, maximum;
};  // maximum <= 0: discrete distance
void writeTerrainSummary(Output& out, const std::vector<TerrainRecord>& records);

void writeValleyHeader(Output& out, float za, bool console, bool file);
std::string formatValleyRow(const ValleyRow& r);

void writeRegulatoryCavity(Output& out, const std::vector<CavityCase>& cases, float za);
void writeSsCavityBanner(Output& out);
void writeSsCavityCases(Output& out, const std::vector<SsCavityCase>& cases, bool allSpeeds,
                        float xlLong, float xlShort);

void writeInversionBreakup(Output& out, const FumigationResult& r);
void writeShoreline(Output& out, const FumigationResult& r, float shore_m);

struct SummaryData {
  float simpleConc = 0, simpleX = 0, simpleHt = 0;
  float complexConc = 0, complexX = 0, complexHt = 0;
  std::vector<CavityCase> cavity;
  std::vector<SsCavityCase> ssCavity;
  bool haveInversion = false, haveShore = false;
  FumigationResult inversion, shore;
};
void writeSummary(Output& out, const SummaryData& s);

}  // namespace screen::engine
