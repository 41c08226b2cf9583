// Plain tab-separated text of a result table, as the command-line front end prints it.
#pragma once

#include <string>

#include "core/calculator.h"

namespace present {

// Header line then one line per row, fields separated by TAB, lines ended by "\n".
std::string tableToTsv(const core::Table& t);

}  // namespace present
