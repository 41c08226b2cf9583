#include "update/http_get.h"

#include <QTcpSocket>
#if QT_CONFIG(ssl)
#include <QSslSocket>
#endif
#include <algorithm>

namespace update {

namespace {

constexpr qint64 kReadPiece = 16384;
// A small socket buffer lets a pause hold the server back instead of filling memory.
constexpr qint64 kSocketBuffer = 4 * kReadPiece;
constexpr qsizetype kMaxHead = 16384;  // status line and headers
constexpr qsizetype kMaxLine = 1024;   // a chunk-size or trailer line

bool allDigits(const QByteArray& s) {
  return !s.isEmpty() && s.size() <= 18 &&
         std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

HttpGet::HttpGet(QUrl url, Headers headers, Limits limits, QObject* parent)
    : QObject(parent),
      m_url(std::move(url)),
      m_request_headers(std::move(headers)),
      m_limits(limits) {
  for (QTimer* t : {&m_stall, &m_total, &m_linger}) t->setSingleShot(true);
  connect(&m_stall, &QTimer::timeout, this, [this] { finish(End::TimedOut); });
  connect(&m_total, &QTimer::timeout, this, [this] { finish(End::TimedOut); });
  // The server kept the connection open after the announced end but sent nothing more.
  connect(&m_linger, &QTimer::timeout, this, [this] { finish(End::Done); });
}

HttpGet::~HttpGet() { abort(); }

void HttpGet::start() {
  const bool tls = m_url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
  const auto port = static_cast<quint16>(m_url.port(tls ? 443 : 80));
  QTcpSocket* s = nullptr;
#if QT_CONFIG(ssl)
  QSslSocket* ssl = tls ? new QSslSocket(this) : nullptr;
  s = ssl ? ssl : new QTcpSocket(this);
#else
  s = new QTcpSocket(this);
#endif
  m_socket = s;
  s->setReadBufferSize(kSocketBuffer);
  const auto send = [this] {
    QByteArray target =
        m_url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::RemoveFragment);
    if (!target.startsWith('/')) target.prepend('/');
    const QByteArray host =
        m_url
            .toEncoded(QUrl::RemoveScheme | QUrl::RemoveUserInfo | QUrl::RemovePath |
                       QUrl::RemoveQuery | QUrl::RemoveFragment)
            .mid(2);  // "//host:port"
    QByteArray req = "GET " + target + " HTTP/1.1\r\nHost: " + host + "\r\n";
    for (const auto& [name, value] : m_request_headers) req += name + ": " + value + "\r\n";
    req += "Connection: close\r\n\r\n";
    m_socket->write(req);
  };
  connect(s, &QIODevice::readyRead, this, &HttpGet::pump);
  connect(s, &QAbstractSocket::disconnected, this, [this] {
    m_closed = true;
    pump();
  });
  connect(s, &QAbstractSocket::errorOccurred, this, [this](QAbstractSocket::SocketError e) {
    if (e == QAbstractSocket::RemoteHostClosedError) {
      m_closed = true;
      pump();
    } else {
      finish(End::NetworkError);
    }
  });
  if (m_paused) {
    m_total_left = m_limits.total_ms;  // the clocks start on resume
  } else {
    restartStall();
    if (m_limits.total_ms > 0) m_total.start(m_limits.total_ms);
  }
  const QString host = m_url.host();
#if QT_CONFIG(ssl)
  if (ssl) {
    connect(ssl, &QSslSocket::encrypted, this, send);
    ssl->connectToHostEncrypted(host, port);
    return;
  }
#endif
  if (tls) {  // no TLS in this build: nothing safe to talk to
    QTimer::singleShot(0, this, [this] { finish(End::NetworkError); });
    return;
  }
  connect(s, &QAbstractSocket::connected, this, send);
  s->connectToHost(host, port);
}

void HttpGet::pause() {
  if (m_paused || m_stage == Stage::Ended) return;
  m_paused = true;
  m_stall.stop();
  m_linger.stop();
  if (m_total.isActive()) {
    m_total_left = std::max(1, m_total.remainingTime());
    m_total.stop();
  }
}

void HttpGet::resume() {
  if (!m_paused) return;
  m_paused = false;
  if (m_stage == Stage::Ended) return;
  restartStall();
  if (m_total_left > 0) m_total.start(m_total_left);
  m_total_left = 0;
  QTimer::singleShot(0, this, &HttpGet::pump);
}

void HttpGet::abort() {
  if (m_stage == Stage::Ended) return;
  m_stage = Stage::Ended;
  m_stall.stop();
  m_total.stop();
  m_linger.stop();
  if (m_socket) {
    m_socket->disconnect(this);
    m_socket->abort();
  }
}

void HttpGet::finish(End end) {
  if (m_stage == Stage::Ended) return;
  abort();
  emit finished(end);
}

void HttpGet::restartStall() {
  if (m_limits.stall_ms > 0) m_stall.start(m_limits.stall_ms);
}

void HttpGet::pump() {
  if (m_paused || m_stage == Stage::Ended || !m_socket) return;
  for (;;) {
    while (process()) {
      if (m_stage == Stage::Ended || m_paused) return;
    }
    if (m_stage == Stage::Ended || m_paused) return;
    const QByteArray more = m_socket->read(kReadPiece);
    if (more.isEmpty()) break;
    m_in += more;
    restartStall();
  }
  if (m_closed && m_socket->bytesAvailable() == 0) onClosed();
}

bool HttpGet::process() {
  switch (m_stage) {
    case Stage::Head: return parseHead();
    case Stage::Length:
    case Stage::ChunkData: {
      if (m_in.isEmpty()) return false;
      const auto n =
          static_cast<qint64>(std::min<quint64>(m_left, static_cast<quint64>(m_in.size())));
      m_left -= static_cast<quint64>(n);
      const Stage next = m_stage == Stage::Length ? Stage::After : Stage::ChunkEnd;
      body(n);
      if (m_left == 0 && m_stage != Stage::Ended) m_stage = next;
      return true;
    }
    case Stage::UntilClose:
      if (m_in.isEmpty()) return false;
      body(m_in.size());
      return true;
    case Stage::ChunkSize:
    case Stage::Trailer: {
      const qsizetype eol = m_in.indexOf("\r\n");
      if (eol < 0) {
        if (m_in.size() <= kMaxLine) return false;
        finish(End::BadReply);
        return true;
      }
      QByteArray line = m_in.left(eol);
      m_in.remove(0, eol + 2);
      if (m_stage == Stage::Trailer) {
        if (line.isEmpty()) finish(End::Done);  // the last chunk and its trailer are in
        return true;
      }
      if (const qsizetype ext = line.indexOf(';'); ext >= 0) line.truncate(ext);
      line = line.trimmed();
      bool ok = false;
      const quint64 size = line.toULongLong(&ok, 16);
      if (!ok || line.isEmpty()) {
        finish(End::BadReply);
        return true;
      }
      m_left = size;
      m_stage = size == 0 ? Stage::Trailer : Stage::ChunkData;
      return true;
    }
    case Stage::ChunkEnd:
      if (m_in.size() < 2) return false;
      if (!m_in.startsWith("\r\n")) {
        finish(End::BadReply);
        return true;
      }
      m_in.remove(0, 2);
      m_stage = Stage::ChunkSize;
      return true;
    case Stage::After:
      // The announced length has arrived; anything more means it was not the file's length.
      if (!m_in.isEmpty()) {
        finish(End::Overrun);
        return true;
      }
      if (!m_linger.isActive())
        m_linger.start(std::min(m_limits.linger_ms, std::max(1, m_limits.stall_ms)));
      return false;
    case Stage::Ended: return false;
  }
  return false;
}

bool HttpGet::parseHead() {
  const qsizetype end = m_in.indexOf("\r\n\r\n");
  if (end < 0) {
    if (m_in.size() <= kMaxHead) return false;
    finish(End::BadReply);
    return true;
  }
  const QList<QByteArray> lines = m_in.left(end).split('\n');
  m_in.remove(0, end + 4);
  const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
  bool ok = false;
  const int status = first.value(1).toInt(&ok);
  if (!first.value(0).startsWith("HTTP/1.") || !ok || status < 100 || status > 599) {
    finish(End::BadReply);
    return true;
  }
  QMap<QByteArray, QByteArray> headers;
  for (qsizetype i = 1; i < lines.size(); ++i) {
    const qsizetype colon = lines[i].indexOf(':');
    if (colon <= 0) continue;
    const QByteArray name = lines[i].left(colon).trimmed().toLower();
    const QByteArray value = lines[i].mid(colon + 1).trimmed();
    // Two different lengths leave no length to trust.
    if (name == "content-length" && headers.contains(name) && headers.value(name) != value) {
      finish(End::BadReply);
      return true;
    }
    headers.insert(name, value);
  }
  if (status < 200) return true;  // an interim answer; the real one follows
  m_status = status;
  m_headers = headers;
  const QByteArray length = headers.value("content-length");
  if (headers.value("transfer-encoding").toLower().contains("chunked")) {
    m_stage = Stage::ChunkSize;
  } else if (headers.contains("content-length")) {
    if (!allDigits(length)) {
      finish(End::BadReply);
      return true;
    }
    m_announced = length.toULongLong();
    m_left = *m_announced;
    m_stage = m_left == 0 ? Stage::After : Stage::Length;
  } else {
    m_stage = Stage::UntilClose;
  }
  emit headersReceived();
  if (m_stage != Stage::Ended && m_limits.max_body > 0 && m_announced &&
      *m_announced > static_cast<quint64>(m_limits.max_body))
    finish(End::TooLarge);
  return true;
}

void HttpGet::body(qint64 n) {
  const QByteArray piece = m_in.left(n);
  m_in.remove(0, n);
  m_received += static_cast<quint64>(n);
  if (m_limits.max_body > 0 && m_received > static_cast<quint64>(m_limits.max_body)) {
    finish(End::TooLarge);
    return;
  }
  emit dataReceived(piece);
}

void HttpGet::onClosed() {
  switch (m_stage) {
    case Stage::Head: finish(End::NetworkError); return;
    case Stage::UntilClose:
    case Stage::After: finish(End::Done); return;
    case Stage::Ended: return;
    default: finish(End::Truncated); return;
  }
}

}  // namespace update
