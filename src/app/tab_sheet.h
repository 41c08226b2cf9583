// CTabSheet: a tab control holding up to 16 tab pages (the content of each tab is a widget the
// host owns). The host adds its tabs, creates them, and hears of selection changes through
// the selectionChanged signal (after the new tab is shown).
#pragma once

#include <QColor>
#include <QString>
#include <QTabWidget>
#include <vector>

class QBoxLayout;

namespace app {

class CTabSheet : public QTabWidget {
  Q_OBJECT
 public:
  static constexpr int kMaxPages = 16;

  explicit CTabSheet(QWidget* parent = nullptr);

  // Appends a tab; false (and nothing changes) when 16 tabs are already held or there is no
  // dialog.
  bool AddPage(const QString& label, QWidget* dialog, int template_id);
  // Inserts the added tabs in order; the first tab is visible afterwards.
  void CreatePages();
  void SetBkgndColor(const QColor& c);
  // Drawing mode 0 (platform), 1 (own tabs), 2 (own tabs and background); false otherwise.
  bool EnableDraw(int mode);
  // Program-wide look switch with style flags.
  static void EnableCustomLook(bool enable, unsigned style);
  static unsigned CustomLookStyle();

  int GetPageCount() const { return static_cast<int>(m_pages.size()); }
  int GetCurrentPage() const { return currentIndex(); }
  // Shows tab i as a click on it would (the host hears selectionChanged).
  void SetCurrentPage(int i) { setCurrentIndex(i); }
  int templateId(int i) const;
  int drawMode() const { return m_mode; }
  QColor backgroundColour() const { return m_bk; }

 signals:
  void selectionChanged(int index);

 private:
  struct Page {
    QString label;
    QWidget* dialog;
    int template_id;
    QWidget* holder = nullptr;  // the tab's scroll area around the dialog, once created
  };
  std::vector<Page> m_pages;
  QColor m_bk;
  int m_mode = 0;
  bool m_created = false;
};

// A tab host's page: the sheet takes all the height the page has to spare (a stretch left
// below it would halve the sheet and make its tabs scroll early).
void fillPageWithSheet(QBoxLayout* layout, CTabSheet* sheet);

}  // namespace app
