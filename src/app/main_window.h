// CMainDlg: the main window. A column of category buttons with their menus at the left, the
// page host at the right holding every calculator page (created once, only shown or hidden),
// the clock, the link label, the always-on-top switch, the About box, the updater button and
// the closing animation.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QScrollArea;

namespace core {
struct Project;
}  // namespace core

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

  // Shows the window modeless, so the decibel calculator and the help windows take keys and
  // clicks beside it, and runs the application's event loop until the window has closed
  // through its closing path. Returns the loop's exit status.
  int run();
  // Any rejection of the window goes through the closing path (animation, save question).
  void reject() override;

  // Hides every page and shows one; numbers outside 2..39 show page 1.
  void ShowPage(int page);
  // Answers a menu command as the category menus post it.
  void onCommand(int command);

  // Page n (1..39) as held by the page host (the calculator page or its placeholder).
  QWidget* page(int n) const;
  int visiblePage() const;
  widgets::CCategoryButton* categoryButton(int id) const;
  widgets::CColorLabel* clockLabel() const { return m_clock; }
  widgets::CColorLabel* linkLabel() const { return m_link; }
  QCheckBox* topmostCheck() const { return m_topmost; }
  QWidget* decibelWindow() const { return m_decibel; }
  bool closing() const { return m_close_timer.isActive(); }

  // The decibel calculator window factory, given this window as the owner; without one the
  // command does nothing.
  static void setDecibelFactory(std::function<QWidget*(QWidget* owner)> f);

  void showAbout();
  void startUpdater();
  void setTopmost(bool on);

  // Project files (project_actions.cpp): every page's inputs in one *.kuva file.
  // "保存工程…" asks for a name (proposing the current one); Ctrl+S saves to the current file,
  // or asks for one when the project was never saved. A chosen file that exists already is
  // replaced only after the user agreed.
  bool saveProject(bool choose_name = true);
  void openProject();
  // "新建工程": every page back to its defaults, without results, and no file.
  void newProject();
  // Unsaved inputs: asks "保存 / 不保存 / 取消". True when the caller may go on (saved, or
  // the user let the changes go); false keeps everything as it was.
  bool settleUnsavedChanges();
  bool saveProjectFile(const QString& path);
  bool openProjectFile(const QString& path);
  const QString& projectPath() const { return m_projectPath; }
  // True when some page's inputs differ from the last saved or opened project.
  bool projectModified();
  // The calculation sheet of the visible page (Ctrl+P).
  void exportVisibleSheet();

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
  void setupProjectActions();
  std::string projectSnapshot(QString* bad_page = nullptr);
  // Every page shows the project's inputs (its defaults where the project has none, or for
  // every field when there is no project) and no results.
  void loadPages(const core::Project* project);
  void updateTitle();
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
  QTimer m_clock_timer;
  QTimer m_close_timer;
  int m_bias_x = 40, m_bias_y = 40, m_step_x = 30, m_step_y = 30;
  bool m_closing_done = false;
  // Ticks the closing animation may still take: a window manager that quietly restores a
  // minimum size after each step must not keep the window from ending.
  int m_close_ticks_left = 0;
  bool m_sysmenu_added = false;  // the About item is in the Windows system menu
  QString m_projectPath;         // file of the open project; empty before the first save
  std::string m_projectSaved;    // inputs as last saved or opened (to tell unsaved changes)
};

}  // namespace app
