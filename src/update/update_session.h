// The updater's network work: asks the update server for the newest version and downloads it
// into the per-user folder, asynchronously so the dialog stays responsive. Every transfer is
// bounded in size and time, so a hostile or broken server can neither fill memory nor hang it.
#pragma once

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QFile>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <optional>

#include "update/http_get.h"
#include "update/update_core.h"

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

  // Limits on what a server may do: a transfer fails when nothing arrives for `stall_ms`, the
  // check when it takes more than `check_ms` in all; the check's answer is at most
  // `max_reply` bytes and the download at most `max_download`. After the announced length a
  // server that keeps the connection open is watched `linger_ms` for bytes that should not come.
  struct Limits {
    int stall_ms = 30000;
    int check_ms = 30000;
    qint64 max_reply = 4096;
    qint64 max_download = qint64(512) * 1024 * 1024;
    int linger_ms = 2000;
  };
  void setLimits(const Limits& limits) { m_limits = limits; }
  void setTransferTimeout(int ms) { m_limits.stall_ms = ms; }

 signals:
  void statusChanged(const QString& text);
  void downloadStarted();
  void progress(const QString& text, int percent);
  void finished(update::UpdateSession::Outcome outcome);

 private:
  enum class Phase { Check, Download };
  void get(const QUrl& url, Phase phase, int hops);
  void onHeaders(Phase phase, int hops);
  void onCheckFinished(HttpGet::End how);
  void startDownload();
  void onDownloadData(const QByteArray& piece);
  void onDownloadFinished(HttpGet::End how);
  void failDownload(const char* status);
  void dropTransfer();
  void end(Outcome outcome, const QString& status);

  UpdateSettings m_settings;
  QString m_folder;
  Limits m_limits;
  QPointer<HttpGet> m_get;
  QByteArray m_body;  // the check's answer
  QDeadlineTimer m_check_deadline;
  QFile m_file;
  QCryptographicHash m_hash{QCryptographicHash::Sha256};
  Reply m_offer;
  quint64 m_received = 0;
  bool m_running = false;
  bool m_paused = false;
};

}  // namespace update
