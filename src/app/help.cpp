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
  // stay-on-top main window included).
  QWidget* owner = parent ? parent->window() : nullptr;
  const Qt::WindowFlags flags =
      Qt::Window | (owner ? owner->windowFlags() & Qt::WindowStaysOnTopHint : Qt::WindowFlags());
  if (browser && (browser->parentWidget() != owner || browser->windowFlags() != flags)) {
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
