#include "widgets/run_bar.h"

#include <QHBoxLayout>

namespace widgets {

RunBar::RunBar(const QString& computeName, QWidget* parent)
    : QWidget(parent),
      m_compute(new QPushButton(QStringLiteral("计算"), this)),
      m_progress(new QProgressBar(this)),
      m_cancel(new QPushButton(QStringLiteral("取消"), this)),
      m_status(new QLabel(this)),
      m_sheet(new QPushButton(QStringLiteral("导出计算书"), this)) {
  m_compute->setObjectName(computeName);
  m_progress->setRange(0, 1000);
  m_progress->setValue(0);
  m_cancel->setEnabled(false);
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(m_compute);
  row->addWidget(m_progress, 1);
  row->addWidget(m_cancel);
  row->addWidget(m_status, 1);
  row->addWidget(m_sheet);
}

void RunBar::started() {
  m_compute->setEnabled(false);
  m_cancel->setEnabled(true);
  m_progress->setValue(0);
  m_status->setText(QStringLiteral("正在计算…"));
}

void RunBar::stopped() {
  m_compute->setEnabled(true);
  m_cancel->setEnabled(false);
}

void RunBar::showCancelled() {
  m_status->setText(QStringLiteral("已取消，保留上次的结果。"));
  m_progress->setValue(0);
}

}  // namespace widgets
