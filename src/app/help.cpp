#include "app/help.h"

#include <QFile>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>

namespace app {

QString helpResourcePath(const QString& topic) {
  QString t = topic;
  t.replace(QLatin1Char('\\'), QLatin1Char('/'));
  while (t.startsWith(QLatin1Char('/'))) t.remove(0, 1);
  return QStringLiteral(":/help/") + t;
}

void showHelpTopic(QWidget* parent, const QString& topic) {
  static QPointer<QTextBrowser> browser;
  // The window belongs to the caller's top-level window, so it opens and stays above it (a
  // stay-on-top main window included): a dialog window, which the window manager keeps above
  // its owner, unlike a plain window of the same flag that a click on the owner covers.
  QWidget* owner = parent ? parent->window() : nullptr;
  const Qt::WindowFlags on_top =
      owner ? owner->windowFlags() & Qt::WindowStaysOnTopHint : Qt::WindowFlags();
  const Qt::WindowFlags flags = Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint | on_top;
  if (browser && (browser->parentWidget() != owner ||
                  (browser->windowFlags() & Qt::WindowStaysOnTopHint) != on_top)) {
    const bool shown = browser->isVisible();
    browser->setParent(owner, flags);
    if (shown) browser->show();
  }
  if (!browser) {
    browser = new QTextBrowser(owner);
    browser->setWindowFlags(flags);
    browser->setAttribute(Qt::WA_DeleteOnClose);
    browser->setObjectName(QStringLiteral("helpBrowser"));
    browser->resize(720, 560);
    browser->setOpenExternalLinks(true);
  }
  const QString path = helpResourcePath(topic);
  // Titled with the topic's own title, else its name without the extension.
  QString title = topic.section(QLatin1Char('\\'), -1);
  title = title.left(title.lastIndexOf(QLatin1Char('.')) > 0 ? title.lastIndexOf(QLatin1Char('.'))
                                                             : title.size());
  if (QFile::exists(path)) {
    browser->setSource(QUrl(QStringLiteral("qrc") + path));
    if (!browser->documentTitle().isEmpty()) title = browser->documentTitle();
    browser->setWindowTitle(title);
  } else {
    browser->setWindowTitle(title);
    browser->setHtml(
        QStringLiteral("<h3>%1</h3><p>%2</p>").arg(topic.toHtmlEscaped(), kHelpMissing));
  }
  browser->show();
  browser->raise();
  browser->activateWindow();
}

}  // namespace app
