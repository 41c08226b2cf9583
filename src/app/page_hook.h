// Per-page special behaviour on top of the generic calculator page: enabling rules, radio
// pairs, drop-downs that fill fields, result grids, sub-dialogs, tab hosts.
#pragma once

#include <QString>
#include <memory>
#include <string>

#include "core/calculator.h"

namespace app {

class CalculatorPage;

class PageHook {
 public:
  virtual ~PageHook() = default;

  // Runs once after the generic form is built and filled with the defaults: connect signals,
  // set the initial enabled state, add grids, buttons or tabs (see CalculatorPage accessors).
  virtual void setup(CalculatorPage& page) { (void)page; }

  // Runs when an action button is pressed, after the form was read successfully and before the
  // description's compute. Return false to stop (the hook showed its own message).
  virtual bool beforeCompute(CalculatorPage& page, const std::string& action) {
    (void)page;
    (void)action;
    return true;
  }

  // Shows a successful outcome. Return true when the hook showed everything itself; return
  // false to let the page write result fields and the result text the generic way (the hook
  // may still have shown tables or opened dialogs).
  virtual bool showOutcome(CalculatorPage& page, const std::string& action,
                           const core::Outcome& outcome) {
    (void)page;
    (void)action;
    (void)outcome;
    return false;
  }

  // Runs an action entirely in the hook (sub-dialog buttons, help, copy/export buttons).
  // Return true when handled; the generic read/check/compute is then skipped.
  virtual bool handleAction(CalculatorPage& page, const std::string& action) {
    (void)page;
    (void)action;
    return false;
  }

  // Inputs the page keeps in widgets of its own (an editable input table): put them into
  // `inputs` when a project is saved, show them again when one is opened (after the generic
  // fields were filled; `inputs` then holds every input, defaults included).
  virtual void storeInputs(CalculatorPage& page, core::Values& inputs) {
    (void)page;
    (void)inputs;
  }
  // The page's inputs are being replaced (a project opened or a new one begun): drop every
  // result the hook shows (tables, texts, result windows), since it belongs to other inputs.
  // The page clears its own result fields and result text.
  virtual void clearResults(CalculatorPage& page) { (void)page; }

  // A field the hook holds itself (its control is hidden, the user edits it elsewhere): the
  // page neither reads its control nor refuses what that control holds; storeInputs() and the
  // hook's own compute set its value.
  virtual bool keepsField(const std::string& key) const {
    (void)key;
    return false;
  }
  // Puts the focus where the user edits the field `key` that a refusal names; return false to
  // leave it to the page (the field's own control).
  virtual bool focusField(CalculatorPage& page, const std::string& key) {
    (void)page;
    (void)key;
    return false;
  }

  virtual void loadInputs(CalculatorPage& page, const core::Values& inputs) {
    (void)page;
    (void)inputs;
  }

  // A page that writes its calculation sheet itself ("导出计算书…"): return true when the hook
  // handled it, with `written` telling whether a file was written. `project` is the open
  // project's file, for the sheet's header (empty before the first save).
  virtual bool exportSheet(CalculatorPage& page, const QString& project, bool& written) {
    (void)page;
    (void)project;
    (void)written;
    return false;
  }
};

// The hook of a calculator id, or nullptr when the page needs none.
std::unique_ptr<PageHook> makePageHook(const std::string& calculator_id);

}  // namespace app
