#pragma once
// One run of the screening dialogue: asks the questions, echoes the answers, runs the
// calculations and writes the report.

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "screen/engine/answer_reader.h"
#include "screen/engine/evaluators.h"
#include "screen/engine/model_types.h"
#include "screen/engine/output.h"
#include "screen/engine/report.h"

namespace screen::engine {

// The input was refused in a way that ends the run (reported with a non-zero status).
class InputRefused : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The echo text of a number, or a longer form when the text would not read back exactly.
std::string replayable(const std::string& text, float value);

class Session {
 public:
  Session(AnswerReader& reader, Output& out, std::ostream& echo, RunStamp stamp)
      : m_in(reader), m_out(out), m_echo(echo), m_stamp(std::move(stamp)) {}

  // Runs to the end; throws EndOfAnswers or InputRefused.
  void run();

  bool hardcopy() const { return m_hardcopy; }
  bool debugFile() const { return debugFile_; }

 private:
  // answers (session_dialogue.cpp)
  void echo(const std::string& line);
  float askReal(const std::vector<std::string>& prompt, float& var);
  void askTwoReals(const std::vector<std::string>& prompt, float& a, float& b);
  int askInteger(const std::vector<std::string>& prompt, int& var);
  bool askYesNo(const std::vector<std::string>& prompt);
  void echoSourceNumber(float v);
  bool askUrbanRural();
  void askTitle();
  void askSourceLine();
  bool askSourceInputs();
  bool askPoint();
  bool askFlare();
  bool askArea();
  bool askVolume();
  bool askBuilding();
  bool askVelocity();
  void askMeteorology();
  float askTerrain(bool checkPrevious, float previous);

  // calculations (session_run.cpp)
  void complexTerrain();
  void simpleTerrain();
  void fluxes();
  void automatedRanges();
  void discreteDistances();
  void cavity();
  void fumigation();
  void finish();
  void recordSimple(float conc, float x, float ht);
  std::unique_ptr<DistanceEvaluator> evaluator(float terrain, bool automated);
  InputsView inputsView() const;

  AnswerReader& m_in;
  Output& m_out;
  std::ostream& m_echo;
  RunStamp m_stamp;

  std::string m_title;
  bool echoN_ = false, echoSS_ = false;  // sticky echo flags of the source line
  bool ssOption_ = false;
  Source m_src;
  float velocityShown_ = 0;
  int flowKind_ = 0;
  float flowValue_ = 0;
  bool m_complex = false;
  bool m_elevated = false;
  MetChoice m_met;
  SkipState m_skip;
  std::vector<TerrainRecord> m_records;
  SummaryData m_summary;
  bool m_hardcopy = false;
  bool debugFile_ = false;
};

}  // namespace screen::engine
