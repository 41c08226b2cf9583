// Project files (*.kuva): the inputs of every calculator page in one human-readable JSON file,
// keyed by calculator id and field key, each value as the page shows it ("100", "3.5",
// the text of a drop-down entry, "1" for a ticked box, the index of a radio button).
//
//   {
//     "program": "kuva环评计算", "version": "1.0.0", "saved": "2026-12-07 09:30:00",
//     "calculators": { "sewage": { "N": "100", "Nr": "20" }, ... }
//   }
//
// Results are not kept: they are computed again from the inputs. Reading checks the whole file
// before anything is handed back, so a damaged file changes nothing; keys this program does not
// know (a file from a newer version) are skipped and listed; saved results are skipped silently.
// Only a regular file of at most kMaxInputFileBytes is read (file_io.h), and saving replaces the
// file atomically.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "core/calculator.h"
#include "core/file_io.h"

namespace core {

// The inputs of one calculator: num holds the stored value, text the value as shown (for
// numeric fields the text typed into the control, kept so a reopened page shows it unchanged).
struct ProjectPage {
  std::string id;
  Values inputs;
};

struct Project {
  std::string version;  // program version that wrote the file
  std::string saved;    // date and time of saving, as the writer gives it
  std::vector<ProjectPage> pages;

  const ProjectPage* page(const std::string& id) const;
};

struct ProjectRead {
  bool ok = false;
  std::string error;                 // why the file was refused (when !ok)
  Project project;                   // every page in the file, inputs over the defaults
  std::vector<std::string> skipped;  // "id" of unknown calculators, "id.key" of unknown keys
};

// The text a field is saved as: the shown text of a numeric field when the inputs carry one,
// otherwise the field's display rule.
std::string shownValue(const FieldDesc& f, const Value& v);

// A saved text read back into a value; false when the text does not fit the field.
bool readShownValue(const FieldDesc& f, const std::string& text, Value& out);

// The project as JSON text (UTF-8, indented). Pages of unknown calculators are left out.
std::string projectToJson(const Registry& registry, const Project& project);

// A project from JSON text: refused (ok = false, with a message) when the text is not a project
// file or a value does not fit its field.
ProjectRead projectFromJson(const Registry& registry, const std::string& text);

ProjectRead loadProject(const Registry& registry, const std::string& path);
std::string saveProject(const Registry& registry, const Project& project, const std::string& path);

}  // namespace core
