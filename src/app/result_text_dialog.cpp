#include "app/result_text_dialog.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

#include "app/page_style.h"

namespace app {

ResultTextDialog::ResultTextDialog(const QString& title, const QString& text, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(title);
  applyPageColour(this);
  auto* v = new QVBoxLayout(this);
  m_text = new QTextEdit(this);
  m_text->setObjectName(QStringLiteral("resultText"));
  m_text->setReadOnly(true);
  QString t = text;
  m_text->setPlainText(t.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  v->addWidget(m_text, 1);
  auto* bar = new QHBoxLayout;
  bar->addStretch(1);
  auto* copy = new QPushButton(QStringLiteral("复制到剪贴板"), this);
  copy->setObjectName(QStringLiteral("button1238"));
  auto* close = new QPushButton(QStringLiteral("关闭"), this);
  close->setObjectName(QStringLiteral("button1239"));
  bar->addWidget(copy);
  bar->addWidget(close);
  v->addLayout(bar);
  connect(copy, &QPushButton::clicked, this, &ResultTextDialog::copySelection);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  resize(520, 360);
}

void ResultTextDialog::copySelection() {
  const QString sel = m_text->textCursor().selectedText();
  if (sel.isEmpty()) return;
  // The selection marks line ends with the paragraph separator; the clipboard gets plain lines.
  QString plain = sel;
  plain.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
  QApplication::clipboard()->setText(plain);
}

}  // namespace app
