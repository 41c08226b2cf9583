// CMainDlg: the main window. A column of category buttons with their menus at the left, the
// page host at the right holding every calculator page (created once, only shown or hidden),
// the clock, the link label, the always-on-top switch, the About box, the updater button and
// the closing animation.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <vector>

class QCheckBox;
class QScrollArea;

namespace widgets {
class CCategoryButton;
class CColorLabel;
}  // namespace widgets

namespace app {

inline const QString kProductUrl = QStringLiteral("https://kuva.example.org/");
inline const QString kMainTitle = QStringLiteral("kuva环评计算");
inline const QString kAboutMenuText = QStringLiteral("关于 kuva(&A)...");
inline constexpr int kAboutCommand = 16;

class CMainDlg : public QDialog {
  Q_OBJECT
 public:
  explicit CMainDlg(QWidget* parent = nullptr);
  ~CMainDlg() override;

  // Hides every page and shows one; numbers outside 2..38 show page 1.
  void ShowPage(int page);
  // Answers a menu command as the category menus post it.
  void onCommand(int command);

  // Page n (1..38) as held by the page host (the calculator page or its placeholder).
  QWidget* page(int n) const;
  int visiblePage() const;
  widgets::CCategoryButton* categoryButton(int id) const;
  widgets::CColorLabel* clockLabel() const { return m_clock; }
  widgets::CColorLabel* linkLabel() const { return m_link; }
  QCheckBox* topmostCheck() const { return m_topmost; }
  QWidget* decibelWindow() const { return m_decibel; }
  bool closing() const { return close_timer_.isActive(); }

  // The decibel calculator window factory; without one the command does nothing.
  static void setDecibelFactory(std::function<QWidget*()> f);

  void showAbout();
  void startUpdater();
  void setTopmost(bool on);

 protected:
  void closeEvent(QCloseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  // The window menu's "关于 kuva(&A)...": the platform's system menu on Windows; elsewhere the
  // same item in the window's context menu.
  void contextMenuEvent(QContextMenuEvent* e) override;
#ifdef Q_OS_WIN
  void showEvent(QShowEvent* e) override;
  bool nativeEvent(const QByteArray& type, void* message, qintptr* result) override;
#endif

 private:
  void writeSettings();
  void buildButtons(QWidget* column);
  void buildPages(QWidget* host);
  void tickClock();
  void tickClose();

  std::vector<QScrollArea*> m_pages;  // index 0 = page 1
  std::vector<widgets::CCategoryButton*> m_buttons;
  widgets::CColorLabel* m_clock = nullptr;
  widgets::CColorLabel* m_link = nullptr;
  QCheckBox* m_topmost = nullptr;
  QPointer<QWidget> m_decibel;
  QTimer clock_timer_;
  QTimer close_timer_;
  int bias_x_ = 40, bias_y_ = 40, step_x_ = 30, step_y_ = 30;
  bool closing_done_ = false;
  // Ticks the closing animation may still take: a window manager that quietly restores a
  // minimum size after each step must not keep the window from ending.
  int close_ticks_left_ = 0;
  bool sysmenu_added_ = false;  // the About item is in the Windows system menu
};

}  // namespace app
