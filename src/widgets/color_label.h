// CColorLabel: a static text with its own text and background colours; it can blink (hide and
// show its text on a period) and act as a link that opens its target when clicked.
#pragma once

#include <QColor>
#include <QLabel>
#include <QTimer>

namespace widgets {

class CColorLabel : public QLabel {
  Q_OBJECT
 public:
  explicit CColorLabel(const QString& text, QWidget* parent = nullptr);

  void setTextColour(const QColor& c);
  QColor textColour() const { return m_text; }
  void setBackgroundColour(const QColor& c);  // invalid colour = transparent
  void setBlinking(bool on, int period_ms = 1000);
  // Raised three-dimensional text: the text is drawn a pixel up and left in the highlight
  // colour, then in its own colour. An invalid colour draws flat text.
  void setRaised(const QColor& highlight);
  QColor raisedHighlight() const { return m_highlight; }
  bool blinkHidden() const { return m_blink_hidden; }
  // A link: a click opens target (a web page or "mailto:" address).
  void setLink(const QString& target);
  QString link() const { return m_link; }

 signals:
  void linkActivatedTarget(const QString& target);

 protected:
  void paintEvent(QPaintEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;

 private:
  void applyStyle();
  QColor m_text, m_bk, m_highlight;
  QString m_link;
  QTimer m_blink;
  bool m_blink_hidden = false;
};

}  // namespace widgets
