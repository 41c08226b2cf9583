#include "widgets/color_label.h"

#include <QDesktopServices>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QUrl>

namespace widgets {

CColorLabel::CColorLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
  connect(&blink_, &QTimer::timeout, this, [this] {
    blink_hidden_ = !blink_hidden_;
    update();
  });
}

void CColorLabel::setTextColour(const QColor& c) {
  text_ = c;
  applyStyle();
}

void CColorLabel::setBackgroundColour(const QColor& c) {
  bk_ = c;
  applyStyle();
}

void CColorLabel::applyStyle() {
  QPalette p = palette();
  if (text_.isValid()) p.setColor(QPalette::WindowText, text_);
  if (bk_.isValid()) {
    p.setColor(QPalette::Window, bk_);
    setAutoFillBackground(true);
  } else {
    setAutoFillBackground(false);
  }
  setPalette(p);
  update();
}

void CColorLabel::setBlinking(bool on, int period_ms) {
  blink_hidden_ = false;
  if (on)
    blink_.start(period_ms);
  else
    blink_.stop();
  update();
}

void CColorLabel::setLink(const QString& target) {
  link_ = target;
  setCursor(target.isEmpty() ? Qt::ArrowCursor : Qt::PointingHandCursor);
}

void CColorLabel::setRaised(const QColor& highlight) {
  highlight_ = highlight;
  update();
}

void CColorLabel::paintEvent(QPaintEvent* e) {
  if (blink_hidden_) return;  // the background (if any) is filled by the widget itself
  if (!highlight_.isValid()) {
    QLabel::paintEvent(e);
    return;
  }
  QPainter p(this);
  const QRect r = contentsRect();
  const int align = static_cast<int>(QStyle::visualAlignment(layoutDirection(), alignment()));
  p.setPen(highlight_);
  p.drawText(r.translated(-1, -1), align, text());
  p.setPen(palette().color(QPalette::WindowText));
  p.drawText(r, align, text());
}

void CColorLabel::mousePressEvent(QMouseEvent* e) {
  if (!link_.isEmpty() && e->button() == Qt::LeftButton) {
    emit linkActivatedTarget(link_);
    QDesktopServices::openUrl(QUrl(link_));
    return;
  }
  QLabel::mousePressEvent(e);
}

}  // namespace widgets
