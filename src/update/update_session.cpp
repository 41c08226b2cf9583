#include "update/update_session.h"

#include <QDir>
#include <QElapsedTimer>
#include <QSettings>
#include <QStandardPaths>
#include <algorithm>
#include <utility>

#include "update/program_check.h"

namespace update {

namespace {

constexpr int kMaxRedirects = 5;

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
    : QObject(parent), m_settings(std::move(settings)), m_folder(std::move(download_folder)) {}

UpdateSession::~UpdateSession() {
  if (m_running) abort();
}

QString UpdateSession::downloadPath() const {
  return QDir(m_folder).filePath(QString::fromLatin1(kDownloadName));
}

void UpdateSession::start() {
  if (m_running) return;
  m_running = true;
  m_paused = false;
  emit statusChanged(q(kChecking));
  const QUrl url(QString::fromStdString(checkAddress(m_settings.url.toStdString())));
  if (!url.isValid() || !isWebAddress(url.toString().toStdString())) {
    end(Outcome::NetworkFailed, q(kNetworkFailed));
    return;
  }
  m_body.clear();
  m_check_deadline.setRemainingTime(m_limits.check_ms);
  get(url, Phase::Check, 0);
}

void UpdateSession::get(const QUrl& url, Phase phase, int hops) {
  // Always from the server, never from or into a cache.
  HttpGet::Headers headers{
      {"Accept", "*/*"}, {"Pragma", "no-cache"}, {"Cache-Control", "no-cache"}};
  HttpGet::Limits limits;
  limits.stall_ms = m_limits.stall_ms;
  limits.linger_ms = m_limits.linger_ms;
  if (phase == Phase::Check) {
    QElapsedTimer clock;
    clock.start();
    headers.push_back({"User-Agent", "Agent" + QByteArray::number(clock.msecsSinceReference())});
    limits.max_body = m_limits.max_reply;
    // The check as a whole, redirects included, has one time limit.
    limits.total_ms = static_cast<int>(std::max<qint64>(1, m_check_deadline.remainingTime()));
  } else {
    headers.push_back({"Accept-Language", "zh-cn"});
    // The program file is saved byte for byte: no transfer compression.
    headers.push_back({"Accept-Encoding", "identity"});
    headers.push_back({"User-Agent", kDownloadAgent});
    limits.max_body = m_limits.max_download;
  }
  auto* g = new HttpGet(url, headers, limits, this);
  m_get = g;
  connect(g, &HttpGet::headersReceived, this, [this, phase, hops] { onHeaders(phase, hops); });
  if (phase == Phase::Check) {
    connect(g, &HttpGet::dataReceived, this, [this](const QByteArray& piece) { m_body += piece; });
    connect(g, &HttpGet::finished, this, &UpdateSession::onCheckFinished);
  } else {
    connect(g, &HttpGet::dataReceived, this, &UpdateSession::onDownloadData);
    connect(g, &HttpGet::finished, this, &UpdateSession::onDownloadFinished);
  }
  if (m_paused) g->pause();
  g->start();
}

void UpdateSession::onHeaders(Phase phase, int hops) {
  HttpGet* g = m_get;
  if (!g) return;
  const int status = g->status();
  if (status == 301 || status == 302 || status == 303 || status == 307 || status == 308) {
    const QByteArray location = g->header("location");
    const QUrl to = g->url().resolved(QUrl(QString::fromUtf8(location)));
    const bool follow =
        !location.isEmpty() && hops < kMaxRedirects && to.isValid() &&
        isRedirectAllowed(g->url().toString().toStdString(), to.toString().toStdString());
    dropTransfer();
    if (follow)
      get(to, phase, hops + 1);
    else if (phase == Phase::Check)
      end(Outcome::NetworkFailed, q(kNetworkFailed));
    else
      failDownload(kBadAddress);
    return;
  }
  if (phase == Phase::Check) {
    if (status < 200 || status > 299) {
      dropTransfer();
      end(Outcome::NetworkFailed, q(kNetworkFailed));
    }
    return;
  }
  // A 404 page or an error body is not the program: nothing of it is saved.
  if (status != 200) {
    dropTransfer();
    failDownload(status == 404 ? kNotOnServer : kServerError);
    return;
  }
  QDir().mkpath(m_folder);
  m_file.setFileName(downloadPath());
  if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
    dropTransfer();
    failDownload(kCannotSave);
  }
}

void UpdateSession::onCheckFinished(HttpGet::End how) {
  dropTransfer();
  // Too long, too slow or cut off: not an answer to act on.
  if (how != HttpGet::End::Done) {
    end(Outcome::NetworkFailed, q(kNetworkFailed));
    return;
  }
  m_offer =
      parseReply(std::string_view(m_body.constData(), static_cast<std::size_t>(m_body.size())));
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
  m_hash.reset();
  QFile::remove(downloadPath());
  get(url, Phase::Download, 0);
}

void UpdateSession::onDownloadData(const QByteArray& piece) {
  if (!m_file.isOpen()) return;
  if (m_file.write(piece) != piece.size()) {
    dropTransfer();
    failDownload(kCannotSave);
    return;
  }
  m_hash.addData(piece);
  m_received += static_cast<quint64>(piece.size());
  const quint64 total = m_get ? m_get->announced().value_or(0) : 0;
  emit progress(QString::fromStdString(progressText(m_received, total)),
                progressPercent(m_received, total));
}

void UpdateSession::onDownloadFinished(HttpGet::End how) {
  HttpGet* g = m_get;
  if (!g) return;
  DownloadFacts facts;
  facts.status = g->status();
  facts.announced = g->announced();
  facts.received = m_received;
  facts.overrun = how == HttpGet::End::Overrun;
  facts.expected_sha256 = m_offer.sha256;
  facts.actual_sha256 = m_hash.result().toHex().toStdString();
  dropTransfer();
  const bool saved = !m_file.isOpen() || m_file.flush();
  m_file.close();
  if (!saved) return failDownload(kCannotSave);
  switch (how) {
    case HttpGet::End::Done:
    case HttpGet::End::Overrun: break;
    case HttpGet::End::Truncated: return failDownload(kIncomplete);
    case HttpGet::End::TooLarge: return failDownload(kTooLarge);
    case HttpGet::End::BadReply: return failDownload(kServerError);
    case HttpGet::End::NetworkError:
    case HttpGet::End::TimedOut: return failDownload(kNetworkFailed);
  }
  const Verdict v = judgeDownload(facts);
  if (v != Verdict::Complete) return failDownload(verdictMessage(v));
  // Whole as published, but it must also be a program this machine can run.
  if (!sameExecutableFormat(downloadPath().toStdString())) return failDownload(kNotAProgram);
  end(Outcome::Downloaded, q(kDownloaded));
}

void UpdateSession::failDownload(const char* status) {
  if (m_file.isOpen()) m_file.close();
  QFile::remove(downloadPath());
  end(Outcome::DownloadFailed, q(status));
}

void UpdateSession::dropTransfer() {
  if (!m_get) return;
  HttpGet* g = m_get;
  m_get = nullptr;
  g->disconnect(this);
  g->abort();
  g->deleteLater();
}

void UpdateSession::pause() {
  m_paused = true;
  if (m_get) m_get->pause();
}

void UpdateSession::resume() {
  if (!m_paused) return;
  m_paused = false;
  if (m_get) m_get->resume();
}

void UpdateSession::abort() {
  dropTransfer();
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
