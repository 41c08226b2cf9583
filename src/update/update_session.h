// The updater's network work: asks the update server for the newest version and downloads it
// into the per-user folder, asynchronously so the dialog stays responsive.
#pragma once

#include <QCryptographicHash>
#include <QFile>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QString>
#include <optional>

#include "update/update_core.h"

class QNetworkReply;

namespace update {

// The three values the main program writes at every start.
struct UpdateSettings {
  QString version;               // installed version, dotted
  QString app_name;              // full path of the main program
  QString url;                   // base address of the update server
  static UpdateSettings read();  // QSettings("kuva", "Settings"); empty when absent
};

// Where "kuva.bf" goes: the user's cache folder for the updater.
QString defaultDownloadFolder();

class UpdateSession : public QObject {
  Q_OBJECT
 public:
  enum class Outcome { NetworkFailed, UpToDate, Downloaded, DownloadFailed };
  Q_ENUM(Outcome)

  UpdateSession(UpdateSettings settings, QString download_folder, QObject* parent = nullptr);
  ~UpdateSession() override;

  void start();
  bool running() const { return m_running; }
  // While paused nothing more is read from the network (the server is held back by the
  // connection's flow control) and the end of the transfer is not acted on.
  void pause();
  void resume();
  // Stops any transfer and deletes the partial download.
  void abort();

  QString downloadPath() const;
  const UpdateSettings& settings() const { return m_settings; }
  void setTransferTimeout(int ms) { m_timeout_ms = ms; }

 signals:
  void statusChanged(const QString& text);
  void downloadStarted();
  void progress(const QString& text, int percent);
  void finished(update::UpdateSession::Outcome outcome);

 private:
  QNetworkRequest request(const QUrl& url) const;
  void watchRedirects(QNetworkReply* reply);
  void onCheckFinished();
  void startDownload();
  void onDownloadData();
  void onDownloadFinished();
  void end(Outcome outcome, const QString& status);

  UpdateSettings m_settings;
  QString m_folder;
  QNetworkAccessManager m_net;
  QPointer<QNetworkReply> m_reply;
  QFile m_file;
  QCryptographicHash m_hash{QCryptographicHash::Sha256};
  Reply m_offer;
  quint64 m_received = 0;
  std::optional<quint64> m_announced;
  int m_timeout_ms = 30000;
  bool m_running = false;
  bool m_paused = false;
  bool m_finish_pending = false;
  bool m_refused = false;  // a redirect to another scheme was refused
  bool m_file_failed = false;
};

}  // namespace update
