// CAboutDlg: the About box.
#pragma once

#include <QDialog>

namespace app {

inline const QString kContactMail = QStringLiteral("support@kuva.example.org");

class CAboutDlg : public QDialog {
  Q_OBJECT
 public:
  explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace app
