#include "update/update_dialog.h"

#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "update/replace.h"

namespace update {

namespace {
QString q(const char* s) { return QString::fromUtf8(s); }
}  // namespace

CUpdateDlg::CUpdateDlg(UpdateSettings settings, QString download_folder, QWidget* parent)
    : QDialog(parent), m_session(std::move(settings), std::move(download_folder)) {
  setWindowTitle(q(kTitle));
  setObjectName(QStringLiteral("updateDialog"));
  auto* v = new QVBoxLayout(this);
  auto* intro = new QLabel(q(kIntro), this);
  intro->setWordWrap(true);
  intro->setObjectName(QStringLiteral("introText"));
  v->addWidget(intro);
  m_status = new QLabel(q(kUpdating), this);
  m_status->setObjectName(QStringLiteral("statusText"));
  m_status->setWordWrap(true);
  v->addWidget(m_status);
  m_bar = new QProgressBar(this);
  m_bar->setObjectName(QStringLiteral("progressBar"));
  m_bar->setRange(0, 100);
  m_bar->setValue(0);
  m_bar->setTextVisible(false);
  v->addWidget(m_bar);
  m_bytes = new QLabel(this);
  m_bytes->setObjectName(QStringLiteral("byteCount"));
  m_bytes->setAlignment(Qt::AlignCenter);
  v->addWidget(m_bytes);
  auto* line = new QFrame(this);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  v->addWidget(line);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  m_update = new QPushButton(q(kButtonUpdate), this);
  m_update->setObjectName(QStringLiteral("updateButton"));
  m_update->setDefault(true);
  m_cancel = new QPushButton(q(kButtonCancel), this);
  m_cancel->setObjectName(QStringLiteral("cancelButton"));
  buttons->addWidget(m_update);
  buttons->addWidget(m_cancel);
  v->addLayout(buttons);
  resize(420, 200);

  m_status->hide();
  m_bar->hide();
  m_bytes->hide();

  m_ask = [](QWidget* w, const QString& text) {
    return QMessageBox::question(w, q(kTitle), text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
  };
  m_tell = [](QWidget* w, const QString& text) { QMessageBox::warning(w, q(kTitle), text); };
  m_starter = [](const QString& path) { return QProcess::startDetached(path, {}); };

  connect(m_update, &QPushButton::clicked, this, &CUpdateDlg::onUpdateClicked);
  connect(m_cancel, &QPushButton::clicked, this, &CUpdateDlg::reject);
  connect(&m_session, &UpdateSession::statusChanged, m_status, &QLabel::setText);
  connect(&m_session, &UpdateSession::downloadStarted, this, [this] {
    m_bar->setValue(0);
    m_bar->show();
    m_bytes->show();
  });
  connect(&m_session, &UpdateSession::progress, this, [this](const QString& text, int percent) {
    m_bytes->setText(text);
    m_bar->setValue(percent);
  });
  connect(&m_session, &UpdateSession::finished, this, &CUpdateDlg::onFinished);
}

void CUpdateDlg::onUpdateClicked() {
  // The caption decides what the button does.
  if (m_update->text() == q(kButtonConfirm)) {
    confirmUpgrade();
    return;
  }
  m_status->setText(q(kUpdating));
  m_status->show();
  m_bar->hide();
  m_update->hide();
  m_session.start();
}

void CUpdateDlg::onFinished(UpdateSession::Outcome outcome) {
  if (outcome == UpdateSession::Outcome::Downloaded) {
    m_update->setText(q(kButtonConfirm));
    m_bytes->hide();
  } else {
    m_update->setText(q(kButtonUpdate));
  }
  m_status->show();
  m_bar->hide();
  m_update->show();
}

void CUpdateDlg::confirmUpgrade() {
  const QString program = m_session.settings().app_name;
  const std::filesystem::path path = program.toStdString();
  const std::filesystem::path download = m_session.downloadPath().toStdString();
  // Nothing is ended when the file could not be replaced anyway.
  if (const ReplaceResult pre = checkReplaceable(download, path); !pre.ok) {
    m_tell(this, QString::fromStdString(pre.message));
    return;
  }
  // The running main program must be gone before its file is replaced.
  if (!endProgram(path)) {
    m_tell(this, q(kCannotEnd));
    return;
  }
  const ReplaceResult r = replaceProgram(m_session.downloadPath().toStdString(), path,
                                         [this](const std::filesystem::path& p) {
                                           return m_starter(QString::fromStdString(p.string()));
                                         });
  if (!r.ok) {
    m_tell(this, QString::fromStdString(r.message));
    return;
  }
  m_closing = true;
  accept();
}

bool CUpdateDlg::mayClose() {
  if (m_closing || !m_session.running()) return true;
  m_session.pause();
  if (m_ask(this, q(kAskQuit))) {
    m_session.abort();
    return true;
  }
  m_session.resume();
  return false;
}

void CUpdateDlg::reject() {
  if (!mayClose()) return;
  m_closing = true;
  QDialog::reject();
}

void CUpdateDlg::closeEvent(QCloseEvent* e) {
  if (!mayClose()) {
    e->ignore();
    return;
  }
  m_closing = true;
  QDialog::closeEvent(e);
}

}  // namespace update
