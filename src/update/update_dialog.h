// The updater's dialog: asks, downloads with a progress bar, and on "确定" replaces the main
// program and starts it again.
#pragma once

#include <QDialog>
#include <functional>

#include "update/update_session.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace update {

class CUpdateDlg : public QDialog {
  Q_OBJECT
 public:
  CUpdateDlg(UpdateSettings settings, QString download_folder, QWidget* parent = nullptr);

  // Modal prompts go through these so scripted runs can answer them.
  using Ask = std::function<bool(QWidget*, const QString&)>;   // Yes/No question
  using Tell = std::function<void(QWidget*, const QString&)>;  // message with OK
  void setAsk(Ask ask) { m_ask = std::move(ask); }
  void setTell(Tell tell) { m_tell = std::move(tell); }
  // How the new program is started (default: detached, from the current directory).
  void setStarter(std::function<bool(const QString&)> starter) { m_starter = std::move(starter); }

  UpdateSession& session() { return m_session; }

 protected:
  void closeEvent(QCloseEvent* e) override;
  void reject() override;

 private:
  void onUpdateClicked();
  void onFinished(UpdateSession::Outcome outcome);
  void confirmUpgrade();
  bool mayClose();

  UpdateSession m_session;
  QLabel* m_status = nullptr;
  QProgressBar* m_bar = nullptr;
  QLabel* m_bytes = nullptr;
  QPushButton* m_update = nullptr;
  QPushButton* m_cancel = nullptr;
  Ask m_ask;
  Tell m_tell;
  std::function<bool(const QString&)> m_starter;
  bool m_closing = false;
};

}  // namespace update
