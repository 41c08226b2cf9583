// Estimation mode of the 2008 air guideline: for one source and several pollutants, the
// screening program is run once per pollutant; the downwind concentrations and their shares
// of the standard are gathered into one table, each pollutant's maximum share Pmax and the
// farthest distance D10 where the share still reaches 10 % are found, and the assessment
// grade is proposed from the pollutant with the largest Pmax.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/calculator.h"
#include "screen/answer_script.h"
#include "screen/report.h"
#include "screen/runner.h"

namespace models::air {

// One row of the pollutant table, cell texts as typed.
struct Screen3Pollutant {
  std::string name;
  std::string q_text;         // source strength, g/s
  std::string standard_text;  // standard, mg/m3
};

struct Screen3Input {
  screen::EstimateSource source;
  std::vector<Screen3Pollutant> pollutants;
  std::string table_error;  // a table text that could not be read (refused before any run)
};

// A table text that cannot be read (malformed JSON); the message names the position.
class TableTextError : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

// The ten pollutants of the name drop-down and the standard each one writes ("" for none).
const std::vector<std::string>& screen3PollutantNames();
std::string screen3DefaultStandard(const std::string& name);

// Initial dimensions of a volume source: sigma-y0 from the longer side, sigma-z0 from the
// height and where the source stands (0 level ground, 1 on a height, 2 on a building).
struct VolumeDims {
  bool sigma_y0_changed = false;  // only when one side is strictly the longer
  float sigma_y0_m = 0;
  float sigma_z0_m = 0;
};
VolumeDims volumeInitialDims(float length_m, float width_m, float height_m, int placement,
                             float building_height_m);

// Checks of the source and the two distance tables, before any run.
core::Check checkScreen3Source(const Screen3Input& in);

enum class Screen3RowKind { Automated, Maximum, Discrete, Complex };

struct Screen3PollutantResult {
  std::string name;
  bool ran = false;
  float cmax_mg_m3 = 0;
  float pmax_pct = 0;
  float max_distance_m = 0;
  float max_terrain_m = 0;
  float d10_m = 0;
  std::string d10_text;
  std::string report;  // the full report text
};

struct Screen3Result {
  core::Table table;  // 2n + 4 columns: 序号, 地形, 距离m, 源高m, then two per pollutant
  std::vector<Screen3RowKind> row_kinds;
  std::vector<Screen3PollutantResult> pollutants;  // the processed ones
  int chosen = 0;                                  // pollutant with the largest Pmax
  std::string grade;
  std::string summary;  // lines end in "\r\n"
  // A pollutant row or a run that stopped the computation; the columns of the pollutants
  // processed before it are kept.
  core::Check stop;
};

// Fills the columns of pollutant i (0-based) from its report; the first pollutant also
// appends the rows.
void addPollutantReport(Screen3Result& r, const Screen3Input& in, size_t i,
                        const screen::Report& report, double standard_mg_m3);

// D10 of pollutant i from the table: the largest distance among the rows whose share reaches
// 10 %; its text starts with "大于" when no row of the table lies farther out.
void findD10(const Screen3Result& r, size_t i, float* d10_m, std::string* text);

// The grade text from the Pmax and D10 of the chosen pollutant.
std::string gradeText(float pmax_pct, float d10_m);

// The choice of pollutant, the grade and the summary text.
void finishSummary(Screen3Result& r);

// Runs every pollutant through the run step (progress gets the index before each run).
Screen3Result computeScreen3(const Screen3Input& in, const screen::RunStep& run,
                             const std::function<void(size_t)>& progress = {});

// Distance tables and the pollutant table as text: JSON (an array of rows, each an array of
// cells or an object) or rows separated by line feeds or ';' with cells separated by tabs or
// ','. A first row holding the header text is skipped. Malformed JSON throws TableTextError.
std::vector<std::vector<std::string>> parseTableText(const std::string& text);
std::string tableText(const std::vector<std::vector<std::string>>& rows);

// The form's values as the model's input (never throws: a table that cannot be read is kept
// in table_error).
Screen3Input screen3InputFromValues(const core::Values& v);

// The description's compute over a given run step (the command line passes the program it
// was told to use).
core::ComputeFn screen3Compute(screen::RunStep step);

const core::CalculatorDesc& screen3EstimateDesc();

}  // namespace models::air
