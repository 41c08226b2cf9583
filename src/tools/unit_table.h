// The unit table of the unit converter: a user-editable text file, one unit per line in five
// bracketed fields, "[kind][base amount][base unit]=[amount][unit]", saying that the base
// amount of the base unit equals the amount of the unit ("[长度][1][米]=[100][厘米]").
// Text outside the brackets is ignored. Files written on Windows in the Chinese code page (GBK)
// read as well as UTF-8 ones; additions are written in UTF-8.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace models::tools {

struct UnitLine {
  std::string kind;
  float base_amount = 0;  // field 2, amount of the base unit
  std::string base_unit;
  float amount = 0;  // field 4, amount of this unit equal to base_amount of the base unit
  std::string unit;
};

// A line left out because an amount is not a positive number (0, negative, not a number, or
// beyond single precision): a conversion through it would divide by zero or give nonsense.
struct RefusedUnitLine {
  int line = 0;  // 1-based line number in the file
  std::string kind, base_unit, unit;
  std::string message;  // "第3行：……"
};

struct UnitTable {
  std::vector<UnitLine> lines;  // in file order
  int skipped = 0;              // lines with fewer than five bracket pairs (blank lines excluded)
  std::vector<RefusedUnitLine> refused;
  std::string error;  // the whole file refused (more kinds or units than any real table)
};

// Counts beyond any real table; a larger file is refused whole.
inline constexpr size_t kMaxUnitKinds = 10000;
inline constexpr size_t kMaxUnitLines = 50000;

// One line of text as a unit; nullopt when it holds fewer than five bracket pairs. Each search
// starts after the previous closing bracket, so an equals sign or other text between the
// fields does not matter. Amounts read like the C library's text-to-number conversion: the
// leading number of the field, 0 when there is none.
std::optional<UnitLine> parseUnitLine(const std::string& line);

// A line of text: UTF-8 when it is valid UTF-8 (a leading byte-order mark dropped), otherwise
// GB18030, the superset of GBK. Each line is decoded on its own, so a GBK file with UTF-8
// additions reads correctly.
std::string decodeLine(const std::string& bytes);
bool isValidUtf8(const std::string& s);

// The whole file's bytes as a table.
UnitTable parseUnitTable(const std::string& bytes);

// The refusals of lines, one a line, for a message; at most `max` of them, then how many more.
std::string refusedLinesText(const UnitTable& t, size_t max = 10);
// The refused line that named `unit` in `kind`, or nullptr.
const RefusedUnitLine* refusedLineOf(const UnitTable& t, const std::string& kind,
                                     const std::string& unit);

// Kinds in order of first appearance, each once.
std::vector<std::string> unitKinds(const UnitTable& t);
// The first line of a kind, or nullptr.
const UnitLine* firstLineOfKind(const UnitTable& t, const std::string& kind);
// The units offered for a kind: the base unit of its first line, then the unit of every line
// of the kind in file order.
std::vector<std::string> unitsOfKind(const UnitTable& t, const std::string& kind);

// Conversion factor of a unit within a kind: scanning the kind's lines in order, a line whose
// base unit is the unit gives its base amount, a line whose unit is the unit gives its amount;
// the last such line wins. nullopt when no line names the unit.
std::optional<float> unitFactor(const UnitTable& t, const std::string& kind,
                                const std::string& unit);

// v in the unit of factor `from` expressed in the unit of factor `to`: v / from * to, stored as
// single precision.
float convertUnits(float v, float from, float to);

// The message refusing a conversion through a unit whose factor is 0 (or not a number).
std::string zeroFactorMessage(const std::string& unit);
inline constexpr const char* kConverterCaption = "单位换算";

// The line the converter appends, without its line end: "[kind][1][base]=[amount][unit]".
std::string formatUnitLine(const std::string& kind, const std::string& base_unit,
                           const std::string& amount, const std::string& unit);

// Appends a line at the end of the file (created when missing) and flushes it; the existing
// lines are not rewritten, and a path that is not a regular file is refused. A file whose last line
// has no line end gets one first; the line end follows the file's own ("\r\n" when it has one).
// Returns an error text, empty on success.
std::string appendUnitLine(const std::string& path, const std::string& line);

struct LoadedUnitTable {
  UnitTable table;
  std::string error;     // why the file could not be read or created; empty when it was
  bool created = false;  // the file was missing and the default table was written to it
};

// Reads the table file; a missing file is first created (with its folder) holding
// `default_bytes`. When the file can be neither read nor created, or is refused (not a regular
// file, larger than kMaxInputFileBytes, too many kinds), the error says why and the table is the
// default one, held in memory only.
LoadedUnitTable loadUnitTableFile(const std::string& path, const std::string& default_bytes);

// The table shipped with the program: length, area, volume, mass, pressure, energy, power, flow,
// mass concentration and speed.
const std::string& defaultUnitTableText();

}  // namespace models::tools
