#include "app/main_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QRandomGenerator>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>
#include <QVBoxLayout>

#include "app/about_dialog.h"
#include "app/calculator_page.h"
#include "app/menu_table.h"
#include "app/page_style.h"
#include "app/screen_fit.h"
#include "app/version.h"
#include "models/registry.h"
#include "widgets/category_button.h"
#include "widgets/color_label.h"
#include "widgets/prompts.h"

#ifdef Q_OS_WIN
#include <windows.h>
#endif

// Resources of a static library are registered by hand.
static void initKuvaResources() { Q_INIT_RESOURCE(kuvacalc); }

namespace app {

namespace {
std::function<QWidget*(QWidget*)> g_decibel_factory;

QString q(const std::string& s) { return QString::fromStdString(s); }

// A page whose calculator is not built yet: its title and a note.
QWidget* makePlaceholder(int n, QWidget* parent) {
  auto* w = new QWidget(parent);
  applyPageColour(w);
  auto* l = new QVBoxLayout(w);
  auto* t = new QLabel(q(pageTitle(n)), w);
  t->setObjectName(QStringLiteral("pageTitle"));
  QFont f = t->font();
  f.setPointSize(f.pointSize() + 4);
  f.setBold(true);
  t->setFont(f);
  l->addWidget(t);
  l->addWidget(new QLabel(QStringLiteral("尚未实现"), w));
  l->addStretch(1);
  return w;
}

QColor randomClockColour() {
  // Each colour byte is the two's complement (mod 256) of the low byte of a fresh random number.
  auto byte = [] {
    const quint32 r = QRandomGenerator::global()->generate();
    return static_cast<int>((256 - (r & 0xFF)) & 0xFF);
  };
  const int r = byte(), g = byte(), b = byte();
  return QColor(r, g, b);
}
}  // namespace

void CMainDlg::setDecibelFactory(std::function<QWidget*(QWidget*)> f) {
  g_decibel_factory = std::move(f);
}

CMainDlg::CMainDlg(QWidget* parent) : QDialog(parent) {
  initKuvaResources();
  setObjectName(QStringLiteral("CMainDlg"));
  setWindowTitle(kMainTitle);
  setWindowIcon(QIcon(QStringLiteral(":/icons/kuvacalc.svg")));
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  applyBackground(this, kMainBackground);
  writeSettings();

  auto* root = new QHBoxLayout(this);
  root->setContentsMargins(8, 8, 8, 8);
  auto* column = new QGroupBox(this);
  column->setObjectName(QStringLiteral("buttonColumn"));
  column->setFixedWidth(150);
  root->addWidget(column);
  buildButtons(column);

  auto* right = new QVBoxLayout;
  auto* host = new QWidget(this);
  host->setObjectName(QStringLiteral("pageHost"));
  right->addWidget(host, 1);
  m_link = new widgets::CColorLabel(QStringLiteral("访问 kuva环评计算 主页"), this);
  m_link->setObjectName(QStringLiteral("linkLabel"));
  m_link->setLink(kProductUrl);
  m_link->setTextColour(QColor(255, 0, 0));
  m_link->setBackgroundColour(kMainBackground);
  m_link->setRaised(QColor(0, 255, 0));
  right->addWidget(m_link, 0, Qt::AlignRight);
  root->addLayout(right, 1);
  buildPages(host);

  connect(&m_clock_timer, &QTimer::timeout, this, &CMainDlg::tickClock);
  m_clock_timer.start(1000);
  connect(&m_close_timer, &QTimer::timeout, this, &CMainDlg::tickClose);

  // Fits a 1366 × 768 laptop screen with its task bar; taller pages scroll.
  resize(1040, 680);
  keepWindowsOnScreen();
  ShowPage(1);
  setupProjectActions();
}

CMainDlg::~CMainDlg() {
  if (m_decibel) delete m_decibel.data();
}

int CMainDlg::run() {
  // The program ends with this window, whatever other windows are still open.
  QGuiApplication::setQuitOnLastWindowClosed(false);
  const QMetaObject::Connection quit = connect(
      this, &QDialog::finished, qApp, [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
  show();
  raise();
  activateWindow();
  const int status = QCoreApplication::exec();
  disconnect(quit);
  return status;
}

void CMainDlg::writeSettings() {
  QSettings s(QStringLiteral("kuva"), QStringLiteral("Settings"));
  s.setValue(QStringLiteral("Version"), QString::fromLatin1(kVersionText));
  s.setValue(QStringLiteral("AppName"), QCoreApplication::applicationFilePath());
  s.setValue(QStringLiteral("URL"), kProductUrl);
  s.sync();
}

void CMainDlg::buildButtons(QWidget* column) {
  auto* v = new QVBoxLayout(column);
  v->setSpacing(0);
  const QColor hover(164, 196, 248), normal(152, 242, 196), focus(214, 244, 229);
  auto add = [&](widgets::CCategoryButton* b) {
    b->setColours(hover, normal, focus);
    b->setMinimumHeight(34);
    m_buttons.push_back(b);
    v->addWidget(b);
  };
  widgets::CCategoryButton* hidden = nullptr;
  for (const auto& m : categoryMenus()) {
    auto* b = new widgets::CCategoryButton(q(m.button_text), column);
    b->setObjectName(QStringLiteral("button%1").arg(m.button_id));
    b->setProperty("controlId", m.button_id);
    for (const auto& it : m.items) {
      b->addMenuItem(q(it.text), it.command);
      const std::string prompt = menuPrompt(it.command);
      if (prompt.empty()) continue;
      // The item's status prompt; with no status bar on the window it shows as its tooltip.
      QAction* a = b->popupMenu()->actions().back();
      a->setStatusTip(q(prompt));
      a->setToolTip(q(prompt));
      b->popupMenu()->setToolTipsVisible(true);
    }
    connect(b, &widgets::CCategoryButton::commandChosen, this, &CMainDlg::onCommand);
    if (m.hidden) {
      hidden = b;
      b->setColours(hover, normal, focus);
      m_buttons.push_back(b);
      continue;
    }
    add(b);
  }
  auto* update = new widgets::CCategoryButton(QStringLiteral("在线更新"), column);
  update->setObjectName(QStringLiteral("button1007"));
  connect(update, &QPushButton::clicked, this, &CMainDlg::startUpdater);
  add(update);
  auto* about = new widgets::CCategoryButton(QStringLiteral("关 于"), column);
  about->setObjectName(QStringLiteral("button1006"));
  connect(about, &QPushButton::clicked, this, &CMainDlg::showAbout);
  add(about);
  auto* project = new widgets::CCategoryButton(QStringLiteral("工 程"), column);
  project->setObjectName(QStringLiteral("projectButton"));
  project->addMenuItem(QStringLiteral("新建工程"), 3);
  project->addMenuItem(QStringLiteral("打开工程…"), 2);
  project->addMenuItem(QStringLiteral("保存工程…"), 1);
  project->addMenuItem(QStringLiteral("退出"), 4);
  connect(project, &widgets::CCategoryButton::commandChosen, this, [this](int c) {
    switch (c) {
      case 1: saveProject(true); break;
      case 2: openProject(); break;
      case 3: newProject(); break;
      case 4: close(); break;
      default: break;
    }
  });
  add(project);
  if (hidden) {
    v->addWidget(hidden);
    hidden->hide();
  }
  v->addStretch(1);

  m_clock = new widgets::CColorLabel(QStringLiteral("time"), column);
  m_clock->setObjectName(QStringLiteral("clockLabel"));
  v->addWidget(m_clock);
  tickClock();
  m_clock->setTextColour(QColor(249, 6, 240));
  m_clock->setBlinking(true, 1000);

  m_topmost = new QCheckBox(QStringLiteral("窗口总在最前面"), column);
  m_topmost->setObjectName(QStringLiteral("topmostCheck"));
  // A push-like check box: a flat button face with one icon per check state.
  m_topmost->setStyleSheet(QStringLiteral(
      "QCheckBox{color:rgb(178,0,176);background:rgb(0,166,228);border:1px outset #6f8fb0;"
      "padding:3px;}"
      "QCheckBox:checked{border-style:inset;}"
      "QCheckBox::indicator{width:16px;height:16px;}"
      "QCheckBox::indicator:unchecked{image:url(:/icons/topmost-off.svg);}"
      "QCheckBox::indicator:checked{image:url(:/icons/topmost-on.svg);}"));
  connect(m_topmost, &QCheckBox::toggled, this, &CMainDlg::setTopmost);
  v->addWidget(m_topmost);
}

void CMainDlg::buildPages(QWidget* host) {
  auto* g = new QGridLayout(host);
  g->setContentsMargins(0, 0, 0, 0);
  const auto& reg = models::registry();
  for (int n = 1; n <= kPageCount; ++n) {
    auto* scroll = new QScrollArea(host);
    scroll->setObjectName(QStringLiteral("page%1").arg(n));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    applyPageColour(scroll);
    QWidget* content = nullptr;
    if (const core::CalculatorDesc* d = reg.findByPage(n))
      content = new CalculatorPage(*d, scroll);
    else
      content = makePlaceholder(n, scroll);
    scroll->setWidget(content);
    scroll->hide();
    g->addWidget(scroll, 0, 0);
    m_pages.push_back(scroll);
  }
}

void CMainDlg::ShowPage(int page) {
  if (page < 2 || page > kPageCount) page = 1;
  for (auto* p : m_pages) p->hide();
  m_pages[static_cast<size_t>(page - 1)]->show();
}

QWidget* CMainDlg::page(int n) const {
  if (n < 1 || n > kPageCount) return nullptr;
  return m_pages[static_cast<size_t>(n - 1)]->widget();
}

int CMainDlg::visiblePage() const {
  for (size_t i = 0; i < m_pages.size(); ++i)
    if (!m_pages[i]->isHidden()) return static_cast<int>(i) + 1;
  return 0;
}

widgets::CCategoryButton* CMainDlg::categoryButton(int id) const {
  for (auto* b : m_buttons)
    if (b->objectName() == QStringLiteral("button%1").arg(id)) return b;
  return nullptr;
}

void CMainDlg::onCommand(int command) {
  if (command == kDecibelCommand) {
    // One calculator: asked for again, the open one comes to the front with its display.
    if (!m_decibel) {
      if (!g_decibel_factory) return;
      m_decibel = g_decibel_factory(this);
    }
    if (m_decibel) {
      m_decibel->show();
      m_decibel->raise();
      m_decibel->activateWindow();
    }
    return;
  }
  const int p = pageOfCommand(command);
  if (p > 0) ShowPage(p);
}

void CMainDlg::tickClock() {
  m_clock->setText(QDateTime::currentDateTime().toString(QStringLiteral("现在时间 HH:mm:ss")));
  if (m_clock_timer.isActive()) m_clock->setTextColour(randomClockColour());
}

void CMainDlg::showAbout() {
  CAboutDlg dlg(this);
  dlg.exec();
}

void CMainDlg::contextMenuEvent(QContextMenuEvent* e) {
#ifdef Q_OS_WIN
  // There the item lives in the system menu.
  if (m_sysmenu_added) {
    QDialog::contextMenuEvent(e);
    return;
  }
#endif
  QMenu menu(this);
  QAction* fresh = menu.addAction(QStringLiteral("新建工程"));
  QAction* open = menu.addAction(QStringLiteral("打开工程…"));
  QAction* save = menu.addAction(QStringLiteral("保存工程…"));
  menu.addSeparator();
  QAction* about = menu.addAction(kAboutMenuText);
  QAction* chosen = menu.exec(e->globalPos());
  if (chosen == about) showAbout();
  if (chosen == save) saveProject(true);
  if (chosen == open) openProject();
  if (chosen == fresh) newProject();
}

#ifdef Q_OS_WIN
void CMainDlg::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  HMENU sys = GetSystemMenu(reinterpret_cast<HWND>(winId()), FALSE);
  if (sys && !m_sysmenu_added) {
    AppendMenuW(sys, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(sys, MF_STRING, kAboutCommand, reinterpret_cast<LPCWSTR>(kAboutMenuText.utf16()));
    m_sysmenu_added = true;
  }
}

bool CMainDlg::nativeEvent(const QByteArray& type, void* message, qintptr* result) {
  const MSG* msg = static_cast<const MSG*>(message);
  if (msg->message == WM_SYSCOMMAND && (msg->wParam & 0xFFF0) == kAboutCommand) {
    showAbout();
    *result = 0;
    return true;
  }
  return QDialog::nativeEvent(type, message, result);
}
#endif

void CMainDlg::startUpdater() {
  const QString dir = QCoreApplication::applicationDirPath();
#ifdef Q_OS_WIN
  const QString prog = dir + QStringLiteral("/update.exe");
#else
  const QString prog = dir + QStringLiteral("/update");
#endif
  if (!QFileInfo::exists(prog)) return;
  QProcess::startDetached(prog, {}, QDir::currentPath());
}

void CMainDlg::setTopmost(bool on) {
  const QRect g = geometry();
  const bool visible = isVisible();
  setWindowFlag(Qt::WindowStaysOnTopHint, on);
  setGeometry(g);
  if (visible) show();
  // The windows it owns (the decibel calculator, help and guide) stay above it.
  for (QWidget* w : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (!w->isWindow() || w->windowType() == Qt::Popup || w->isModal()) continue;
    const bool shown = w->isVisible();
    const QRect wg = w->geometry();
    w->setWindowFlag(Qt::WindowStaysOnTopHint, on);
    w->setGeometry(wg);
    if (shown) {
      w->show();
      w->raise();
    }
  }
}

void CMainDlg::keyPressEvent(QKeyEvent* e) {
  // Enter typed into a page's field reaches the main window. It neither ends the program
  // (every page's typed values would be lost) nor presses the dialog's default button (the
  // first category button): it does nothing. A focused button still takes Enter as a press.
  if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
    e->accept();
    return;
  }
  // Escape typed anywhere in the window does nothing to it: ending the program on a stray
  // key would lose every page's inputs. The window closes only through its close box or the
  // menu.
  if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
    e->accept();
    return;
  }
  QDialog::keyPressEvent(e);
}

void CMainDlg::reject() { close(); }

void CMainDlg::closeEvent(QCloseEvent* e) {
  if (m_closing_done) {
    e->accept();
    return;
  }
  e->ignore();
  // Unsaved inputs: save them, let them go, or keep the window open as it was.
  if (!m_close_timer.isActive() && !settleUnsavedChanges()) return;
  if (!m_close_timer.isActive()) {
    setMinimumSize(0, 0);
    layout()->setSizeConstraint(QLayout::SetNoConstraint);
    for (auto* c : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) c->setMinimumSize(0, 0);
    // Shrinking to nothing takes max(width, height) / step ticks; a few more are spare.
    m_close_ticks_left =
        std::max(width(), height()) / std::max(1, std::min(m_step_x, m_step_y)) + 4;
    m_close_timer.start(1);
  }
}

void CMainDlg::tickClose() {
  // Shrink by the steps per tick, moving toward the centre of the screen; end when nothing is
  // left, or when the window cannot shrink any further.
  const QRect before = geometry();
  const QScreen* sc = screen();
  const QRect desk = sc ? sc->geometry() : QRect(0, 0, 1920, 1080);
  const int w = before.width(), h = before.height();
  const int nw = std::max(0, w - m_step_x), nh = std::max(0, h - m_step_y);
  setGeometry((m_bias_x + desk.width() - w) / 2, (m_bias_y + desk.height() - h) / 2, nw, nh);
  if (w <= 0) m_step_x = 0;
  if (h <= 0) m_step_y = 0;
  const QRect after = geometry();
  const bool stuck = after.width() == w && after.height() == h;
  if ((w <= 0 && h <= 0) || stuck || --m_close_ticks_left <= 0) {
    m_close_timer.stop();
    m_closing_done = true;
    done(QDialog::Accepted);
  }
}

}  // namespace app
