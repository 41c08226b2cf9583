// The help browser: topics are HTML files shipped as Qt resources under ":/help/", addressed by
// the topic path of the page ("大气预测模式\扬尘计算.htm").
#pragma once

#include <QString>

class QWidget;

namespace app {

inline const QString kHelpMissing = QStringLiteral("帮助主题尚未提供");
// The user's guide: pages, results, export, contour maps, the command line and the settings.
inline const QString kManualTopic = QStringLiteral("使用说明.htm");

// Resource path of a topic: backslashes become slashes under ":/help/".
QString helpResourcePath(const QString& topic);

// Shows the topic in a help window (one window, reused); a missing topic shows kHelpMissing.
void showHelpTopic(QWidget* parent, const QString& topic);

}  // namespace app
