#include "app/pages/noise/path_difference_dialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>

#include "app/calculator_page.h"
#include "app/page_style.h"
#include "app/pages/noise/barrier_drawings.h"
#include "app/pages/noise/noise_forms.h"
#include "models/noise/barrier_path_difference.h"

namespace app {

CPathDifferenceDlg::CPathDifferenceDlg(QWidget* parent, double r_m, int presetKind)
    : QDialog(parent) {
  setObjectName(QStringLiteral("CPathDifferenceDlg"));
  setWindowTitle(QStringLiteral("声程差计算"));
  applyBackground(this, kNoiseToolBackground);
  auto* layout = new QHBoxLayout(this);
  m_form = new CalculatorPage(models::noise::pathDifferenceDesc(), this);
  applyBackground(m_form, kNoiseToolBackground);
  hideUnitsInLabels(*m_form);
  m_form->setValue("r", r_m);
  setRowVisible(*m_form, "r", false);
  if (QGroupBox* g = m_form->group("计算结果")) g->hide();
  if (QTextEdit* t = m_form->resultText()) t->setMinimumWidth(360);
  // The three long side cases one below the other, leaving the figure room for its labels.
  if (QWidget* side = m_form->findChild<QRadioButton*>(QStringLiteral("side:0")))
    if (auto* row = qobject_cast<QBoxLayout*>(side->parentWidget()->layout()))
      row->setDirection(QBoxLayout::TopToBottom);
  layout->addWidget(m_form, 1);
  m_sketch = new BarrierSketch(this);
  layout->addWidget(m_sketch, 1);
  resize(900, 600);

  for (int k = 0; k < 2; ++k)
    if (QRadioButton* b = kindButton(k))
      connect(b, &QRadioButton::clicked, this, [this, k] { chooseKind(k); });
  // The generic compute button runs the dialog's own compute (the values go to the caller).
  if (QPushButton* b = m_form->button("compute")) {
    b->disconnect();
    connect(b, &QPushButton::clicked, this, &CPathDifferenceDlg::compute);
  }

  if (presetKind == kPresetFinite || presetKind == kPresetInfinite) {
    // Only the preset kind is offered.
    if (QRadioButton* other = kindButton(1 - presetKind)) other->hide();
    m_form->setRadio("kind", presetKind);
    m_kind = presetKind;
    showFiniteFields(presetKind == kPresetFinite);
    m_sketch->setKind(presetKind);
  } else {
    // Both kinds offered, finite selected, with its figure (never an empty one).
    m_form->setRadio("kind", 0);
    m_kind = 0;
    showFiniteFields(true);
    m_sketch->setKind(BarrierSketch::kFinite);
  }
}

CPathDifferenceDlg::~CPathDifferenceDlg() = default;

QRadioButton* CPathDifferenceDlg::kindButton(int kind) const {
  return m_form->findChild<QRadioButton*>(QStringLiteral("kind:%1").arg(kind));
}

void CPathDifferenceDlg::showFiniteFields(bool visible) {
  setRowVisible(*m_form, "L", visible);
  setRowVisible(*m_form, "m1", visible);
  setRowVisible(*m_form, "side", visible);
}

void CPathDifferenceDlg::chooseKind(int kind) {
  m_kind = kind;
  showFiniteFields(kind == 0);
  m_sketch->setKind(kind);
}

bool CPathDifferenceDlg::compute() {
  if (!m_form->runAction("compute")) return false;
  const core::Values& v = m_form->values();
  m_delta = {v.num("delta1"), v.num("delta2"), v.num("delta3")};
  m_computed = true;
  return true;
}

void CPathDifferenceDlg::done(int result) {
  // Closing takes over the chosen kind.
  m_form->readForm([](const core::FieldDesc& f) { return f.key == "kind"; });
  m_kind = m_form->values().i("kind");
  QDialog::done(result);
}

}  // namespace app
