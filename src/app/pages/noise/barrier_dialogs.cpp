#include "app/pages/noise/barrier_dialogs.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <functional>

#include "app/calculator_page.h"
#include "app/page_style.h"
#include "app/pages/noise/barrier_drawings.h"
#include "app/pages/noise/noise_forms.h"
#include "models/noise/embankment_attenuation.h"
#include "models/noise/finite_barrier.h"
#include "widgets/prompts.h"

namespace app {

namespace {

// Replaces the form's own button of an action by a dialog handler and adds "取消" beside it.
void wireButtons(QDialog* dlg, CalculatorPage& form, const char* action,
                 const std::function<void()>& handler) {
  if (QPushButton* b = form.button(action)) {
    b->disconnect();
    QObject::connect(b, &QPushButton::clicked, dlg, handler);
    b->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("取消"), b->parentWidget());
    cancel->setObjectName(QStringLiteral("cancel"));
    // The action bar is the layout holding the button.
    for (int i = 0; i < form.contentLayout()->count(); ++i)
      if (auto* l = qobject_cast<QHBoxLayout*>(form.contentLayout()->itemAt(i)->layout()))
        if (l->indexOf(b) >= 0) l->addWidget(cancel);
    QObject::connect(cancel, &QPushButton::clicked, dlg, &QDialog::reject);
  }
}

}  // namespace

// ---- finite-barrier correction ---------------------------------------------------------------

CFiniteBarrierCorrectionDlg::CFiniteBarrierCorrectionDlg(QWidget* parent, double infinite_db)
    : QDialog(parent) {
  setObjectName(QStringLiteral("CFiniteBarrierCorrectionDlg"));
  setWindowTitle(QStringLiteral("无限长屏障修正"));
  applyBackground(this, kNoiseToolBackground);
  auto* layout = new QVBoxLayout(this);
  m_chart = new FiniteBarrierChart(this);
  m_chart->setInfiniteAttenuation(infinite_db);
  layout->addWidget(m_chart, 1);
  m_form = new CalculatorPage(models::noise::finiteBarrierDesc(), this);
  applyBackground(m_form, kNoiseToolBackground);
  m_form->setValue("Ainf", infinite_db);
  setRowVisible(*m_form, "Ainf", false);
  if (QLabel* l = m_form->label("Afin")) {
    l->setText(prompt());
    l->setWordWrap(true);
  }
  layout->addWidget(m_form);
  wireButtons(this, *m_form, "ok", [this] { confirm(); });
  resize(640, 520);
}

QString CFiniteBarrierCorrectionDlg::prompt() const {
  return QString::fromStdString(models::noise::finiteBarrierPrompt(m_form->values().num("Ainf")));
}

bool CFiniteBarrierCorrectionDlg::confirm() {
  if (!m_form->readForm()) return false;
  m_value = m_form->values().num("Afin");
  accept();
  return true;
}

// ---- embankment attenuation ------------------------------------------------------------------

CEmbankmentAttenuationDlg::CEmbankmentAttenuationDlg(QWidget* parent, double r_m)
    : QDialog(parent) {
  setObjectName(QStringLiteral("CEmbankmentAttenuationDlg"));
  setWindowTitle(QStringLiteral("高路堤或低路堑衰减量计算"));
  applyBackground(this, kNoiseToolBackground);
  auto* layout = new QHBoxLayout(this);
  m_form = new CalculatorPage(models::noise::embankmentDesc(), this);
  applyBackground(m_form, kNoiseToolBackground);
  hideUnitsInLabels(*m_form);
  if (QLabel* u = m_form->unitLabel("Abar")) u->show();
  m_form->setValue("r", r_m);
  setRowVisible(*m_form, "r", false);
  layout->addWidget(m_form);
  m_figure = new EmbankmentFigure(this);
  layout->addWidget(m_figure, 1);
  if (QPushButton* b = m_form->button("compute")) {
    b->disconnect();
    connect(b, &QPushButton::clicked, this, &CEmbankmentAttenuationDlg::computeDelta);
  }
  wireButtons(this, *m_form, "ok", [this] { confirm(); });
  resize(980, 420);
}

bool CEmbankmentAttenuationDlg::computeDelta() {
  if (!m_form->runAction("compute")) return false;
  m_figure->setDelta(m_form->values().num("delta"));
  // A point in the illuminated zone: Abar = 0 and the form says why.
  if (const core::Outcome* o = m_form->lastOutcome(); o && !o->text.empty())
    widgets::showMessage(this, QString::fromStdString(o->text));
  return true;
}

bool CEmbankmentAttenuationDlg::confirm() {
  if (!m_form->readForm()) return false;
  m_value = m_form->values().num("Abar");
  accept();
  return true;
}

}  // namespace app
