// Help topics: every "参考资料" button opens a topic that exists, and the guide opens from the
// About box.
#include <QFile>
#include <QPushButton>
#include <QTextBrowser>
#include <QtTest>

#include "app/about_dialog.h"
#include "app/help.h"
#include "app/main_window.h"
#include "models/registry.h"

namespace {

QTextBrowser* helpBrowser() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->objectName() == QStringLiteral("helpBrowser")) return qobject_cast<QTextBrowser*>(w);
  return nullptr;
}

QString topicText(const QString& topic) {
  QFile f(app::helpResourcePath(topic));
  return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

}  // namespace

class HelpTopicsTest : public QObject {
  Q_OBJECT
 private slots:
  // The topics the pages name, including those of pages still being built elsewhere.
  void everyNamedTopicExplainsItsModel() {
    const QStringList topics = {
        QStringLiteral("大气预测模式\\无组织排放量计算\\生产设备和管道不严密处的散发量计算.htm"),
        QStringLiteral("固废预测\\沉淀池污泥量计算.htm"),
        QStringLiteral("大气预测模式\\无组织排放量计算\\扬尘计算.htm"),
        QStringLiteral("大气预测模式\\无组织排放量计算\\有害物质敞露存放的散发量计算.htm"),
        QStringLiteral("大气预测模式\\无组织排放量计算\\液体蒸发量的计算.htm"),
        QStringLiteral("噪声预测模式\\stueber.htm"),
    };
    for (const QString& t : topics) {
      const QString html = topicText(t);
      QVERIFY2(!html.isEmpty(), qPrintable(t));
      for (const char* part : {"计算公式", "适用范围", "方法来源", "单位", "<su"})
        QVERIFY2(html.contains(QString::fromUtf8(part)), qPrintable(t + QLatin1Char(' ') + part));
    }
  }

  void everyRegisteredHelpTopicExists() {
    int with_help = 0;
    for (const core::CalculatorDesc& d : models::registry().all()) {
      if (d.help_topic.empty()) continue;
      ++with_help;
      const QString topic = QString::fromStdString(d.help_topic);
      QVERIFY2(QFile::exists(app::helpResourcePath(topic)),
               qPrintable(QString::fromStdString(d.id) + QStringLiteral(": ") + topic));
    }
    QVERIFY(with_help >= 4);
  }

  // Presses every "参考资料" button of every page of the main window.
  void everyHelpButtonOpensItsTopic() {
    app::CMainDlg dlg;
    int pressed = 0;
    for (int n = 1; n <= 38; ++n) {
      QWidget* page = dlg.page(n);
      if (!page) continue;
      for (QPushButton* b : page->findChildren<QPushButton*>()) {
        if (b->text() != QStringLiteral("参考资料")) continue;
        b->click();
        ++pressed;
        QTextBrowser* browser = helpBrowser();
        QVERIFY(browser);
        QVERIFY(browser->isVisible());
        QVERIFY2(!browser->toPlainText().contains(app::kHelpMissing),
                 qPrintable(QStringLiteral("page %1: %2").arg(n).arg(browser->windowTitle())));
        QVERIFY2(browser->toPlainText().contains(QStringLiteral("计算公式")),
                 qPrintable(browser->windowTitle() + browser->toPlainText().left(300)));
      }
    }
    QVERIFY(pressed >= 4);
  }

  void aboutBoxOpensTheGuide() {
    QVERIFY(QFile::exists(app::helpResourcePath(app::kManualTopic)));
    for (const char* part : {"命令行", "结果导入EXCEL", "等值线", "kuvacalc-cli", "在线更新"})
      QVERIFY(topicText(app::kManualTopic).contains(QString::fromUtf8(part)));
    app::CAboutDlg about;
    about.show();
    auto* manual = about.findChild<QPushButton*>(QStringLiteral("manualButton"));
    QVERIFY(manual);
    QCOMPARE(manual->text(), QStringLiteral("使用说明"));
    manual->click();
    QCOMPARE(about.result(), static_cast<int>(QDialog::Accepted));
    QTextBrowser* browser = helpBrowser();
    QVERIFY(browser && browser->isVisible());
    QVERIFY(browser->toPlainText().contains(QStringLiteral("选择计算模型")));
    // Links between topics stay inside the help.
    QVERIFY(browser->source().toString().startsWith(QStringLiteral("qrc:/help/")));
  }
};

QTEST_MAIN(HelpTopicsTest)
#include "help_topics_test.moc"
