#include "app/pages/noise/decibel_calc_dialog.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

#include "app/page_style.h"
#include "core/format.h"
#include "widgets/prompts.h"

namespace app {

using models::noise::DecibelKey;

namespace {
QPointer<CDecibelCalcDlg> g_open;

// The key a keyboard key stands for; the accelerators of the window.
std::optional<DecibelKey> keyOf(const QKeyEvent& e) {
  if (e.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
    return std::nullopt;
  const int k = e.key();
  if (k >= Qt::Key_0 && k <= Qt::Key_9) return models::noise::digitKey(k - Qt::Key_0);
  switch (k) {
    case Qt::Key_Period: return DecibelKey::Point;
    case Qt::Key_Plus: return DecibelKey::Plus;
    case Qt::Key_Minus: return DecibelKey::Minus;
    case Qt::Key_Enter:
    case Qt::Key_Return:
    case Qt::Key_Equal: return DecibelKey::Equals;
    case Qt::Key_Backspace: return DecibelKey::Back;
    case Qt::Key_Clear:
    case Qt::Key_Delete: return DecibelKey::Clear;
    default: return std::nullopt;
  }
}
}  // namespace

CDecibelCalcDlg* CDecibelCalcDlg::create(QWidget* owner) {
  if (g_open) delete g_open.data();
  g_open = new CDecibelCalcDlg(owner ? owner->window() : nullptr);
  return g_open;
}

CDecibelCalcDlg* CDecibelCalcDlg::open(QWidget* owner) {
  CDecibelCalcDlg* d = g_open ? g_open.data() : create(owner);
  d->show();
  d->raise();
  d->activateWindow();
  return d;
}

CDecibelCalcDlg* CDecibelCalcDlg::current() { return g_open; }

QString CDecibelCalcDlg::displayText(double v) {
  return QString::fromStdString(core::cformat("%.6g", v));
}

CDecibelCalcDlg::CDecibelCalcDlg(QWidget* owner)
    // A dialog window: the window manager keeps it above its owner, a stay-on-top one included.
    : QDialog(owner,
              Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                  Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                  (owner ? owner->windowFlags() & Qt::WindowStaysOnTopHint : Qt::WindowFlags())) {
  setObjectName(QStringLiteral("CDecibelCalcDlg"));
  setWindowTitle(QStringLiteral("分贝计算器"));
  setAttribute(Qt::WA_DeleteOnClose);
  setModal(false);
  applyBackground(this, kNoiseToolBackground);

  auto* v = new QVBoxLayout(this);
  m_display = new QLineEdit(QStringLiteral("0"), this);
  m_display->setObjectName(QStringLiteral("display"));
  m_display->setReadOnly(true);
  m_display->setAlignment(Qt::AlignRight);
  m_display->setFocusPolicy(Qt::NoFocus);
  m_display->setStyleSheet(QStringLiteral(
      "QLineEdit{color:rgb(255,0,0);background:transparent;border:1px solid rgb(40,120,150);"
      "font-size:16px;}"));
  v->addWidget(m_display);

  struct Spec {
    DecibelKey key;
    const char* text;
    int row, col;
  };
  static constexpr Spec kKeys[] = {
      {DecibelKey::D7, "7", 0, 0},     {DecibelKey::D8, "8", 0, 1},
      {DecibelKey::D9, "9", 0, 2},     {DecibelKey::Back, "←", 0, 3},
      {DecibelKey::D4, "4", 1, 0},     {DecibelKey::D5, "5", 1, 1},
      {DecibelKey::D6, "6", 1, 2},     {DecibelKey::Clear, "CE", 1, 3},
      {DecibelKey::D1, "1", 2, 0},     {DecibelKey::D2, "2", 2, 1},
      {DecibelKey::D3, "3", 2, 2},     {DecibelKey::Plus, "+", 2, 3},
      {DecibelKey::D0, "0", 3, 0},     {DecibelKey::Point, ".", 3, 1},
      {DecibelKey::Equals, "=", 3, 2}, {DecibelKey::Minus, "-", 3, 3},
  };
  auto* grid = new QGridLayout;
  for (const Spec& s : kKeys) {
    auto* b = new QPushButton(QString::fromUtf8(s.text), this);
    b->setObjectName(QStringLiteral("key:") + QString::fromUtf8(s.text));
    b->setAutoDefault(false);
    b->setMinimumSize(44, 32);
    const DecibelKey key = s.key;
    connect(b, &QPushButton::clicked, this, [this, key] { press(key); });
    grid->addWidget(b, s.row, s.col);
    m_keys[key] = b;
    b->installEventFilter(this);
  }
  v->addLayout(grid);
  m_display->installEventFilter(this);
  installEventFilter(this);
  m_keys[DecibelKey::D0]->setFocus();
  setFixedSize(sizeHint());
}

QPushButton* CDecibelCalcDlg::keyButton(DecibelKey key) const {
  auto it = m_keys.find(key);
  return it == m_keys.end() ? nullptr : it->second;
}

void CDecibelCalcDlg::press(DecibelKey key) {
  const models::noise::DecibelCalculator before = m_calc;
  m_calc.press(key);
  if (!std::isfinite(m_calc.display())) {
    // No level to show: the step is refused and the calculator stays as it was.
    const char op = m_calc.lastApplied();
    m_calc = before;
    widgets::showMessage(
        this, op == '-' ? QStringLiteral("相减时减去的声级必须小于被减的声级，请重新输入！")
                        : QStringLiteral("叠加的声级超出可计算的范围，请重新输入！"));
    return;
  }
  // An operand being typed shows every digit typed; a result shows 6 significant digits.
  const bool typing = key != DecibelKey::Plus && key != DecibelKey::Minus &&
                      key != DecibelKey::Equals && key != DecibelKey::Clear;
  m_display->setText(typing ? QString::fromStdString(core::cformat("%.15g", m_calc.display()))
                            : displayText(m_calc.display()));
}

bool CDecibelCalcDlg::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn && watched == m_display) {
    // The display is for reading only: the focus goes on to the "0" key.
    m_keys[DecibelKey::D0]->setFocus();
    return false;
  }
  if (event->type() == QEvent::KeyPress) {
    // The accelerators come before the keys' own handling (Enter would press the focused key).
    if (const auto key = keyOf(*static_cast<QKeyEvent*>(event))) {
      press(*key);
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace app
