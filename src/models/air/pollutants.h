// Pollutants offered by the protection-distance pages, each with the ambient standard that
// choosing it writes into the standard field.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace models::air {

struct Pollutant {
  const char* name;           // entry text of the drop-down
  const char* standard_text;  // standard as the field receives it ("2.40")
  double standard_mg_m3;      // the same standard as a number, mg/m3
};

// The 22 entries in drop-down order.
const std::vector<Pollutant>& pollutants();

// Entry texts in drop-down order (for the field's choices).
std::vector<std::string> pollutantNames();

// The entry of a name, or nothing for a name typed by the user that is not in the list
// (the standard field then stays as it is).
std::optional<Pollutant> findPollutant(const std::string& name);

}  // namespace models::air
