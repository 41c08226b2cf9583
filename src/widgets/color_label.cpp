#include "widgets/color_label.h"

#include <QDesktopServices>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QUrl>

namespace widgets {

CColorLabel::CColorLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
  connect(&m_blink, &QTimer::timeout, this, [this] {
    m_blink_hidden = !m_blink_hidden;
    update();
  });
}

void CColorLabel::setTextColour(const QColor& c) {
  m_text = c;
  applyStyle();
}

void CColorLabel::setBackgroundColour(const QColor& c) {
  m_bk = c;
  applyStyle();
}

void CColorLabel::applyStyle() {
  QPalette p = palette();
  if (m_text.isValid()) p.setColor(QPalette::WindowText, m_text);
  if (m_bk.isValid()) {
    p.setColor(QPalette::Window, m_bk);
    setAutoFillBackground(true);
  } else {
    setAutoFillBackground(false);
  }
  setPalette(p);
  update();
}

void CColorLabel::setBlinking(bool on, int period_ms) {
  m_blink_hidden = false;
  if (on)
    m_blink.start(period_ms);
  else
    m_blink.stop();
  update();
}

void CColorLabel::setLink(const QString& target) {
  m_link = target;
  setCursor(target.isEmpty() ? Qt::ArrowCursor : Qt::PointingHandCursor);
}

void CColorLabel::setRaised(const QColor& highlight) {
  m_highlight = highlight;
  update();
}

void CColorLabel::paintEvent(QPaintEvent* e) {
  if (m_blink_hidden) return;  // the background (if any) is filled by the widget itself
  if (!m_highlight.isValid()) {
    QLabel::paintEvent(e);
    return;
  }
  QPainter p(this);
  const QRect r = contentsRect();
  const int align = static_cast<int>(QStyle::visualAlignment(layoutDirection(), alignment()));
  p.setPen(m_highlight);
  p.drawText(r.translated(-1, -1), align, text());
  p.setPen(palette().color(QPalette::WindowText));
  p.drawText(r, align, text());
}

void CColorLabel::mousePressEvent(QMouseEvent* e) {
  if (!m_link.isEmpty() && e->button() == Qt::LeftButton) {
    emit linkActivatedTarget(m_link);
    QDesktopServices::openUrl(QUrl(m_link));
    return;
  }
  QLabel::mousePressEvent(e);
}

}  // namespace widgets
