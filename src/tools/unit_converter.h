// Unit converter over the unit table (tools/unit_table.h): a value in one unit of a kind
// expressed in another unit of the same kind, through each unit's factor relative to the
// kind's base unit: v_to = v_from / f_from * f_to.
#pragma once

#include <string>

#include "core/calculator.h"
#include "tools/unit_table.h"

namespace models::tools {

struct UnitConversionInput {
  std::string kind = "长度";
  float value = 1;
  std::string from = "米";
  std::string to = "厘米";
  std::string table_path;  // a data.ini to read; empty for the table shipped with the program
};

struct UnitConversionResult {
  float value = 0;  // the value in the unit `to`
};

// Refuses a kind or unit the table does not hold and a unit whose factor is 0.
core::Check checkUnitConversion(const UnitTable& t, const UnitConversionInput& in);
UnitConversionResult computeUnitConversion(const UnitTable& t, const UnitConversionInput& in);

// Kinds and their units, one kind a line ("长度: 米 厘米 ...").
std::string unitListingText(const UnitTable& t);

const core::CalculatorDesc& unitConverterDesc();

}  // namespace models::tools
