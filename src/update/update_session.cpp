#include "update/update_session.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QNetworkReply>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>
#include <utility>

namespace update {

namespace {

constexpr qint64 kReadPiece = 16384;
// A small read buffer lets a pause hold the server back instead of filling memory.
constexpr qint64 kReadBuffer = 4 * kReadPiece;

const char* const kDownloadAgent =
    "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0; MyIE2; .NET CLR 1.1.4322)";

QString q(const char* s) { return QString::fromUtf8(s); }

}  // namespace

UpdateSettings UpdateSettings::read() {
  QSettings s(QStringLiteral("kuva"), QStringLiteral("Settings"));
  UpdateSettings u;
  u.version = s.value(QStringLiteral("Version")).toString();
  u.app_name = s.value(QStringLiteral("AppName")).toString();
  u.url = s.value(QStringLiteral("URL")).toString();
  return u;
}

QString defaultDownloadFolder() {
  QString base = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
  if (base.isEmpty()) base = QDir::tempPath();
  return base + QStringLiteral("/kuva/update");
}

UpdateSession::UpdateSession(UpdateSettings settings, QString download_folder, QObject* parent)
    : QObject(parent), m_settings(std::move(settings)), m_folder(std::move(download_folder)) {
  m_net.setRedirectPolicy(QNetworkRequest::UserVerifiedRedirectPolicy);
}

UpdateSession::~UpdateSession() {
  if (m_running) abort();
}

QString UpdateSession::downloadPath() const {
  return QDir(m_folder).filePath(QString::fromLatin1(kDownloadName));
}

QNetworkRequest UpdateSession::request(const QUrl& url) const {
  QNetworkRequest r(url);
  // Always from the server, never from or into a cache.
  r.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
  r.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
  r.setRawHeader("Pragma", "no-cache");
  r.setRawHeader("Cache-Control", "no-cache");
  r.setRawHeader("Accept", "*/*");
  r.setTransferTimeout(m_timeout_ms);
  return r;
}

void UpdateSession::watchRedirects(QNetworkReply* reply) {
  connect(reply, &QNetworkReply::redirected, this, [this, reply](const QUrl& to) {
    if (isRedirectAllowed(reply->url().toString().toStdString(), to.toString().toStdString())) {
      emit reply->redirectAllowed();
    } else {
      m_refused = true;
      reply->abort();
    }
  });
}

void UpdateSession::start() {
  if (m_running) return;
  m_running = true;
  m_refused = false;
  emit statusChanged(q(kChecking));
  const QUrl url(QString::fromStdString(checkAddress(m_settings.url.toStdString())));
  if (!url.isValid() || !isWebAddress(url.toString().toStdString())) {
    end(Outcome::NetworkFailed, q(kNetworkFailed));
    return;
  }
  QNetworkRequest r = request(url);
  QElapsedTimer clock;
  clock.start();
  r.setHeader(QNetworkRequest::UserAgentHeader,
              QStringLiteral("Agent%1").arg(clock.msecsSinceReference()));
  m_reply = m_net.get(r);
  watchRedirects(m_reply);
  connect(m_reply, &QNetworkReply::finished, this, &UpdateSession::onCheckFinished);
}

void UpdateSession::onCheckFinished() {
  QNetworkReply* reply = m_reply;
  if (!reply) return;
  reply->deleteLater();
  m_reply = nullptr;
  const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  if (reply->error() != QNetworkReply::NoError || status < 200 || status > 299) {
    end(Outcome::NetworkFailed, q(kNetworkFailed));
    return;
  }
  const QByteArray body = reply->readAll();
  m_offer = parseReply(std::string_view(body.constData(), static_cast<std::size_t>(body.size())));
  if (!isNewer(m_settings.version.toStdString(), m_offer.version)) {
    end(Outcome::UpToDate, q(kUpToDate));
    return;
  }
  if (m_offer.bad_sha256) {  // a checksum that cannot be checked is no checksum to skip
    end(Outcome::DownloadFailed, q(kBadChecksum));
    return;
  }
  startDownload();
}

void UpdateSession::startDownload() {
  emit statusChanged(q(kDownloading));
  emit downloadStarted();
  emit progress(QString::fromStdString(progressText(0, 0)), 0);
  const QUrl url(QString::fromStdString(m_offer.address));
  if (!isWebAddress(m_offer.address) || !url.isValid()) {
    end(Outcome::DownloadFailed, q(kBadAddress));
    return;
  }
  m_received = 0;
  m_announced.reset();
  m_hash.reset();
  m_finish_pending = false;
  m_file_failed = false;
  QFile::remove(downloadPath());
  QNetworkRequest r = request(url);
  r.setRawHeader("Accept-Language", "zh-cn");
  // The program file is saved byte for byte: no transfer compression.
  r.setRawHeader("Accept-Encoding", "identity");
  r.setHeader(QNetworkRequest::UserAgentHeader, QString::fromLatin1(kDownloadAgent));
  m_reply = m_net.get(r);
  m_reply->setReadBufferSize(kReadBuffer);
  watchRedirects(m_reply);
  connect(m_reply, &QNetworkReply::readyRead, this, &UpdateSession::onDownloadData);
  connect(m_reply, &QNetworkReply::finished, this, &UpdateSession::onDownloadFinished);
}

void UpdateSession::onDownloadData() {
  QNetworkReply* reply = m_reply;
  if (!reply || m_paused) return;
  const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  if (status != 200) {  // a 404 page or an error body is not the program: drop it
    reply->readAll();
    return;
  }
  if (!m_file.isOpen() && !m_file_failed) {
    QDir().mkpath(m_folder);
    m_file.setFileName(downloadPath());
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
      m_file_failed = true;
      reply->abort();
      return;
    }
    const QVariant len = reply->header(QNetworkRequest::ContentLengthHeader);
    if (len.isValid()) m_announced = len.toULongLong();
  }
  if (m_file_failed) return;
  while (reply->bytesAvailable() > 0) {
    const QByteArray piece = reply->read(kReadPiece);
    if (piece.isEmpty()) break;
    if (m_file.write(piece) != piece.size()) {
      m_file_failed = true;
      reply->abort();
      return;
    }
    m_hash.addData(piece);
    m_received += static_cast<quint64>(piece.size());
    const quint64 total = m_announced.value_or(0);
    emit progress(QString::fromStdString(progressText(m_received, total)),
                  progressPercent(m_received, total));
  }
}

void UpdateSession::onDownloadFinished() {
  QNetworkReply* reply = m_reply;
  if (!reply) return;
  if (m_paused) {
    m_finish_pending = true;
    return;
  }
  onDownloadData();              // whatever is still buffered
  if (m_reply != reply) return;  // that read failed and already ended the transfer
  reply->deleteLater();
  m_reply = nullptr;
  if (m_file.isOpen()) {
    if (!m_file.flush()) m_file_failed = true;
    m_file.close();
  }
  if (m_file_failed) {
    QFile::remove(downloadPath());
    end(Outcome::DownloadFailed, q(kCannotSave));
    return;
  }
  const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  // A redirect that ends the transfer is one that was not followed (to another scheme).
  if (m_refused || (status >= 300 && status < 400)) {
    QFile::remove(downloadPath());
    end(Outcome::DownloadFailed, q(kBadAddress));
    return;
  }
  DownloadFacts facts;
  facts.status = status;
  facts.announced = m_announced;
  facts.received = m_received;
  facts.expected_sha256 = m_offer.sha256;
  facts.actual_sha256 = m_hash.result().toHex().toStdString();
  const QNetworkReply::NetworkError err = reply->error();
  Verdict v = judgeDownload(facts);
  if (v == Verdict::Complete && err != QNetworkReply::NoError) v = Verdict::Incomplete;
  if (v == Verdict::Complete) {
    end(Outcome::Downloaded, q(kDownloaded));
    return;
  }
  QFile::remove(downloadPath());
  // No answer at all is a network failure, not a server's verdict on the file.
  if (facts.status == 0 && err != QNetworkReply::NoError) {
    end(Outcome::DownloadFailed, q(kNetworkFailed));
    return;
  }
  end(Outcome::DownloadFailed, q(verdictMessage(v)));
}

void UpdateSession::pause() { m_paused = true; }

void UpdateSession::resume() {
  if (!m_paused) return;
  m_paused = false;
  QTimer::singleShot(0, this, [this] {
    if (m_finish_pending) {
      m_finish_pending = false;
      onDownloadFinished();
    } else {
      onDownloadData();
    }
  });
}

void UpdateSession::abort() {
  if (m_reply) {
    QNetworkReply* reply = m_reply;
    m_reply = nullptr;
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
  }
  if (m_file.isOpen()) m_file.close();
  QFile::remove(downloadPath());
  m_running = false;
  m_paused = false;
}

void UpdateSession::end(Outcome outcome, const QString& status) {
  m_running = false;
  emit statusChanged(status);
  emit finished(outcome);
}

}  // namespace update
