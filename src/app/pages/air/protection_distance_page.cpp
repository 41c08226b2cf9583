#include "app/pages/air/protection_distance_page.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>
#include <QThread>
#include <QVBoxLayout>
#include <memory>

#include "app/calculator_page.h"
#include "app/pages/air/editable_choice.h"
#include "app/pages/air/screen3_page.h"
#include "models/air/pollutants.h"
#include "models/air/protection_distance.h"

namespace app {

namespace {
const QString kComputeLabel = QStringLiteral("计  算");
}

ProtectionDistancePageHook::~ProtectionDistancePageHook() {
  if (m_thread) {
    m_thread->wait();
    delete m_thread;
  }
}

void ProtectionDistancePageHook::setup(CalculatorPage& page) {
  auto* caption = new QLabel(kProtectionCaption, &page);
  caption->setObjectName(QStringLiteral("caption"));
  page.contentLayout()->insertWidget(0, caption);
  // The result sentence stands in its own group.
  if (QTextEdit* text = page.resultText()) {
    auto* box = new QGroupBox(kProtectionResultGroup, &page);
    box->setObjectName(QStringLiteral("resultGroup"));
    page.contentLayout()->insertWidget(page.contentLayout()->indexOf(text), box, 1);
    (new QVBoxLayout(box))->addWidget(text);
  }
  attachEditableChoice(page, "pollutant", [&page](const QString& entry) {
    if (auto p = models::air::findPollutant(entry.toStdString()))
      writeFieldText(page, "Cs", QString::fromUtf8(p->standard_text));
  });
}

bool ProtectionDistancePageHook::handleAction(CalculatorPage& page, const std::string& action) {
  if (action != "compute") return false;
  if (m_thread) return true;
  // An unreadable number gets the form's prompt and stops the computation.
  if (!page.readForm()) return true;
  const models::air::ProtectionInput in = models::air::protectionInputFromValues(page.values());
  if (const auto f = models::air::checkProtection(in)) {
    page.showFailure(*f);
    return true;
  }
  QPushButton* button = page.button("compute");
  if (button) {
    button->setText(kProtectionRunning);
    button->setEnabled(false);
  }
  QApplication::setOverrideCursor(Qt::WaitCursor);
  auto out = std::make_shared<models::air::ProtectionOutcome>();
  const screen::RunStep run = screeningRunStep();
  m_thread = QThread::create([in, run, out] { *out = models::air::computeProtection(in, run); });
  m_thread->setObjectName(QStringLiteral("protectionCompute"));
  QObject::connect(m_thread, &QThread::finished, &page,
                   [this, &page, button, out, inputs = page.inputsReplaced()] {
                     QApplication::restoreOverrideCursor();
                     m_thread->wait();
                     delete m_thread;
                     m_thread = nullptr;
                     if (button) {
                       button->setText(kComputeLabel);
                       button->setEnabled(true);
                     }
                     // Inputs replaced meanwhile (a project opened): the outcome belongs to no
                     // shown inputs.
                     if (inputs != page.inputsReplaced()) return;
                     if (out->failure) {
                       page.showFailure(*out->failure);
                       return;
                     }
                     core::Outcome o;
                     o.text = out->text;
                     page.showResults(o);
                     emit page.computed(QStringLiteral("compute"));
                   });
  m_thread->start();
  return true;
}

}  // namespace app
