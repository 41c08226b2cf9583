#include "widgets/line_style_dialog.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>
#include <cstdlib>

#include "core/format.h"
#include "core/parse.h"
#include "widgets/prompts.h"

namespace widgets {

constexpr double kWidthStep_mm = 0.1;
constexpr double kMaxWidth_mm = 5.0;

LineStyleDialog::LineStyleDialog(float width_mm, present::Rgb colour, QWidget* parent)
    : QDialog(parent), m_width_mm(width_mm), m_colour(colour) {
  setWindowTitle(QStringLiteral("线型"));
  auto* grid = new QGridLayout;
  auto* colour_button = new QPushButton(QStringLiteral("颜色"));
  m_swatch = new QLabel;
  m_swatch->setFixedSize(40, 20);
  m_swatch->setFrameShape(QFrame::Box);
  grid->addWidget(colour_button, 0, 0);
  grid->addWidget(m_swatch, 0, 1);

  grid->addWidget(new QLabel(QStringLiteral("线宽")), 1, 0);
  m_width = new QLineEdit(QString::fromStdString(core::cformat("%.2f", double(width_mm))));
  m_width->setMaximumWidth(80);
  grid->addWidget(m_width, 1, 1);
  auto* up = new QToolButton;
  up->setArrowType(Qt::UpArrow);
  up->setAutoRepeat(true);
  auto* down = new QToolButton;
  down->setArrowType(Qt::DownArrow);
  down->setAutoRepeat(true);
  auto* spin = new QVBoxLayout;
  spin->setSpacing(0);
  spin->addWidget(up);
  spin->addWidget(down);
  grid->addLayout(spin, 1, 2);
  grid->addWidget(new QLabel(QStringLiteral("mm")), 1, 3);

  auto* buttons = new QDialogButtonBox;
  buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
  buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(buttons);

  connect(colour_button, &QPushButton::clicked, this, &LineStyleDialog::chooseColour);
  connect(up, &QToolButton::clicked, this, [this] { stepWidth(1); });
  connect(down, &QToolButton::clicked, this, [this] { stepWidth(-1); });
  connect(buttons, &QDialogButtonBox::accepted, this, &LineStyleDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &LineStyleDialog::reject);
  setColour(colour);
}

void LineStyleDialog::setColour(present::Rgb c) {
  m_colour = c;
  m_swatch->setStyleSheet(
      QStringLiteral("background-color: rgb(%1, %2, %3);").arg(c.r).arg(c.g).arg(c.b));
}

void LineStyleDialog::stepWidth(int steps) {
  // The field's text read as a number the way the C library does (junk reads as 0).
  const double w =
      std::strtod(m_width->text().toStdString().c_str(), nullptr) + steps * kWidthStep_mm;
  if (w >= 0.0 && w <= kMaxWidth_mm)
    m_width->setText(QString::fromStdString(core::cformat("%.2f", w)));
}

void LineStyleDialog::chooseColour() {
  const QColor c = QColorDialog::getColor(QColor(m_colour.r, m_colour.g, m_colour.b), this,
                                          QStringLiteral("颜色"));
  if (c.isValid())
    setColour({static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
               static_cast<std::uint8_t>(c.blue())});
}

void LineStyleDialog::accept() {
  const core::ParsedNumber n = core::parseNumber(m_width->text().toStdString());
  if (!n.ok() || !std::isfinite(n.value)) {
    showMessage(this, kMsgEnterNumber);
    m_width->setFocus();
    return;
  }
  m_width_mm = static_cast<float>(n.value);
  QDialog::accept();
}

}  // namespace widgets
