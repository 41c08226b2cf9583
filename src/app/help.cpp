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
  if (!browser) {
    browser = new QTextBrowser(nullptr);
    browser->setAttribute(Qt::WA_DeleteOnClose);
    browser->setObjectName(QStringLiteral("helpBrowser"));
    browser->resize(720, 560);
    browser->setOpenExternalLinks(true);
  }
  (void)parent;
  const QString path = helpResourcePath(topic);
  browser->setWindowTitle(topic.section(QLatin1Char('\\'), -1));
  if (QFile::exists(path)) {
    browser->setSource(QUrl(QStringLiteral("qrc") + path));
  } else {
    browser->setHtml(
        QStringLiteral("<h3>%1</h3><p>%2</p>").arg(topic.toHtmlEscaped(), kHelpMissing));
  }
  browser->show();
  browser->raise();
  browser->activateWindow();
}

}  // namespace app
