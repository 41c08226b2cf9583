// The editable tables of a noise scene beside the plan: sources, band levels, barriers, buildings,
// receptors and the scene settings. Each table takes tab-separated rows pasted from a
// spreadsheet (Ctrl+V from the current cell; rows past the end add items where a row describes
// one fully: point sources, buildings with their corners, receptors, band-level rows) and copies
// its selection (Ctrl+C).
#pragma once

#include <QString>
#include <QTabWidget>
#include <QTableWidget>
#include <optional>

#include "app/pages/noise/noise_map/plan_view.h"
#include "widgets/paste_table.h"

namespace app::noisemap {

using widgets::PasteTable;

// Grid receivers of the contour map.
struct GridSettings {
  double spacing_m = 5;
  double h_m = 1.2;
};

// Limits of the acoustic environment function classes (GB 3096-2008, GB 12348-2008), dB(A).
struct ClassLimits {
  const char* name;
  double day, night;
};
inline constexpr ClassLimits kFunctionClasses[] = {{"0", 50, 40}, {"1", 55, 45},  {"2", 60, 50},
                                                   {"3", 65, 55}, {"4a", 70, 55}, {"4b", 70, 60}};

class SceneTables : public QTabWidget {
  Q_OBJECT
 public:
  enum Tab { SourcesTab, SpectraTab, BarriersTab, BuildingsTab, ReceptorsTab, SettingsTab };
  // Receptor columns.
  enum { RName, RX, RY, RH, RBoundary, RClass, RBgDay, RBgNight, RLimDay, RLimNight, RCols };
  // Barrier columns.
  enum { BName, BHeight, BReflective, BAlpha, BCols };
  // Building columns: the corners as "x y; x y; …", the roof above the ground or its elevation,
  // whether the facades reflect and their absorption (one value or eight bands).
  enum { DName, DCorners, DHeight, DTopZ, DReflective, DAlpha, DCols };
  // Rows of the settings table.
  enum {
    SettingTemp,
    SettingHumidity,
    SettingPressure,
    SettingG,
    SettingC0,
    SettingLateral,
    SettingSpacing,
    SettingGridH,
    SettingReflection,
    SettingRows
  };

  explicit SceneTables(QWidget* parent = nullptr);
  // The row buttons a table offers: only rows that become items of the scene may be added.
  enum class RowButtons { AddAndDelete, DeleteOnly, None };

  void showScene(const prop::Scene& scene, const GridSettings& grid);
  // The tables into the scene (rows past the scene's items add point sources, buildings,
  // receptors and band-level rows; empty ones add nothing). A cell that holds no number keeps the
  // old value; `error` names the first such cell.
  void readInto(prop::Scene& scene, GridSettings& grid, QString* error) const;
  // Switches to the item's table and row.
  void selectItem(ItemRef r);

  PasteTable* sources() const { return m_sources; }
  PasteTable* spectra() const { return m_spectra; }
  PasteTable* barriers() const { return m_barriers; }
  PasteTable* buildings() const { return m_buildings; }
  PasteTable* receptors() const { return m_receptors; }
  PasteTable* settings() const { return m_settings; }
  // Picks a function class for a receptor row (index into kFunctionClasses; -1: none).
  void setReceptorClass(int row, int cls);

 signals:
  void edited();
  void itemPicked(app::noisemap::ItemRef r);
  void deleteRequested(app::noisemap::ItemRef r);

 private:
  PasteTable* addTable(const QString& title, const QStringList& headers,
                       RowButtons buttons = RowButtons::AddAndDelete);
  void ensureReceptorCombos();
  void setRow(PasteTable* t, int row, const QStringList& cells);

  PasteTable* m_sources = nullptr;
  PasteTable* m_spectra = nullptr;
  PasteTable* m_barriers = nullptr;
  PasteTable* m_buildings = nullptr;
  PasteTable* m_receptors = nullptr;
  PasteTable* m_settings = nullptr;
  bool m_filling = false;
  // Rows shown for the scene's items: each is its item; rows added after them are new items.
  int m_shown_sources = 0, m_shown_buildings = 0, m_shown_receptors = 0;
};

}  // namespace app::noisemap
