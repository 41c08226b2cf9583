#include "app/about_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include "app/help.h"
#include "app/version.h"
#include "widgets/color_label.h"

namespace app {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("关于 kuva"));
  setObjectName(QStringLiteral("aboutDialog"));
  auto* g = new QGridLayout(this);
  auto* icon = new QLabel(this);
  icon->setPixmap(QIcon(QStringLiteral(":/icons/kuvacalc.svg")).pixmap(48, 48));
  g->addWidget(icon, 0, 0, 3, 1, Qt::AlignTop);
  auto* ver = new QLabel(QStringLiteral("kuva %1").arg(QString::fromLatin1(kVersionText)), this);
  ver->setObjectName(QStringLiteral("versionLabel"));
  g->addWidget(ver, 0, 1);
  g->addWidget(new QLabel(QStringLiteral("欢迎您把使用中的愿望和问题告诉我们："), this), 1, 1);
  auto* contact = new widgets::CColorLabel(kContactMail, this);
  contact->setObjectName(QStringLiteral("contactLabel"));
  contact->setTextColour(QColor(0, 0, 255));
  contact->setLink(QStringLiteral("mailto:") + kContactMail);
  g->addWidget(contact, 2, 1);
  auto* ok = new QPushButton(QStringLiteral("确定"), this);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  g->addWidget(ok, 0, 2, Qt::AlignTop);
  // The guide opens after the box closes, so the modal box does not hold its window.
  auto* manual = new QPushButton(QStringLiteral("使用说明"), this);
  manual->setObjectName(QStringLiteral("manualButton"));
  connect(manual, &QPushButton::clicked, this, [this] {
    accept();
    showHelpTopic(parentWidget(), kManualTopic);
  });
  g->addWidget(manual, 1, 2, Qt::AlignTop);
}

}  // namespace app
