// The page hook shared by the simple risk pages: an explanatory text in the result box when the
// page opens, the compute button inside the prediction group, and static notes under the
// result (the formula and conditions of the liquid leak, the footnote of the fire models, the
// method note of the oil film).
#pragma once

#include <QString>
#include <QStringList>

#include "app/page_hook.h"

class QLabel;

namespace app {

class RiskPageHook : public PageHook {
 public:
  struct Options {
    QString intro;                // initial result text (lines end in "\r\n")
    QStringList notes;            // static texts, one label each, under the result
    bool buttonsInGroup = false;  // the action buttons sit in the prediction group
  };
  explicit RiskPageHook(Options o) : m_options(std::move(o)) {}

  void setup(CalculatorPage& page) override;

  // Helpers for the risk pages with hooks of their own.
  static void setResultText(CalculatorPage& page, const QString& text);
  static QLabel* addNote(CalculatorPage& page, const QString& text);
  static void moveButtonsIntoGroup(CalculatorPage& page, const char* group);
  static void setRowVisible(CalculatorPage& page, const std::string& key, bool visible);
  static void setRowEnabled(CalculatorPage& page, const std::string& key, bool enabled);

 private:
  Options m_options;
};

// Hooks of the pages that need nothing beyond the shared one.
std::unique_ptr<PageHook> makeLiquidLeakPageHook();
std::unique_ptr<PageHook> makeBlevePageHook();
std::unique_ptr<PageHook> makeJetFirePageHook();
std::unique_ptr<PageHook> makePoolFirePageHook();
std::unique_ptr<PageHook> makeOilFilmPageHook();

}  // namespace app
