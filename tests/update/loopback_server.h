// A tiny HTTP server on 127.0.0.1 for the updater tests: canned answers per path, with ways to
// misbehave (announce more or less than it sends, send no length, trickle the body, never end,
// fall silent).
#pragma once

#include <QHostAddress>
#include <QMap>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

struct LoopbackRoute {
  int status = 200;
  QByteArray body;
  QByteArray extra_headers;  // "Name: value\r\n" lines
  bool announce_length = true;
  qint64 announced = -1;   // length to announce; -1 for the body's size
  qint64 send = -1;        // bytes of the body actually sent; -1 for all
  int chunk = 0;           // trickle the body in pieces of this size (0: at once)
  int interval_ms = 10;    // pause between pieces
  bool chunked = false;    // send the pieces in chunked transfer encoding
  bool endless = false;    // send the body again and again, never ending
  bool hold_open = false;  // after sending, keep the connection open and silent
};

class LoopbackServer : public QObject {
  Q_OBJECT
 public:
  LoopbackServer() {
    m_server.listen(QHostAddress::LocalHost, 0);  // a free port chosen by the system
    connect(&m_server, &QTcpServer::newConnection, this, &LoopbackServer::accept);
  }
  QString base() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort()); }
  void route(const QByteArray& path, LoopbackRoute r) { m_routes.insert(path, std::move(r)); }
  // Request headers of the last request per path, lower-case names.
  QMap<QByteArray, QMap<QByteArray, QByteArray>> requests;
  int connections = 0;

  // A port on loopback where nothing listens.
  static quint16 closedPort() {
    QTcpServer s;
    s.listen(QHostAddress::LocalHost, 0);
    const quint16 port = s.serverPort();
    s.close();
    return port;
  }

 private:
  void accept() {
    while (QTcpSocket* s = m_server.nextPendingConnection()) {
      ++connections;
      s->setParent(this);
      connect(s, &QTcpSocket::readyRead, this, [this, s] { serve(s); });
      connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
    }
  }

  void serve(QTcpSocket* s) {
    QByteArray& buf = m_pending[s];
    buf += s->readAll();
    const qsizetype end = buf.indexOf("\r\n\r\n");
    if (end < 0) return;
    const QList<QByteArray> lines = buf.left(end).split('\n');
    buf.clear();
    const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
    const QByteArray path = first.value(1);
    QMap<QByteArray, QByteArray> headers;
    for (qsizetype i = 1; i < lines.size(); ++i) {
      const qsizetype colon = lines[i].indexOf(':');
      if (colon > 0)
        headers.insert(lines[i].left(colon).trimmed().toLower(), lines[i].mid(colon + 1).trimmed());
    }
    requests.insert(path, headers);
    LoopbackRoute missing;
    missing.status = 404;
    missing.body = "not found";
    const LoopbackRoute r = m_routes.value(path, missing);
    QByteArray head = "HTTP/1.1 " + QByteArray::number(r.status) + " X\r\nConnection: close\r\n";
    if (r.chunked) head += "Transfer-Encoding: chunked\r\n";
    if (r.announce_length && !r.chunked)
      head +=
          "Content-Length: " + QByteArray::number(r.announced >= 0 ? r.announced : r.body.size()) +
          "\r\n";
    head += r.extra_headers + "\r\n";
    s->write(head);
    const QByteArray body = r.send >= 0 ? r.body.left(r.send) : r.body;
    trickle(s, r, body, 0);
  }

  void trickle(QPointer<QTcpSocket> s, const LoopbackRoute& r, const QByteArray& body,
               qsizetype at) {
    for (;;) {
      if (!s) return;
      if (at >= body.size() && r.endless && !body.isEmpty()) at = 0;
      if (at >= body.size()) {
        if (r.chunked && r.send < 0) s->write("0\r\n\r\n");
        if (!r.hold_open) s->disconnectFromHost();
        return;
      }
      const qsizetype n = r.chunk > 0 ? r.chunk : body.size();
      QByteArray piece = body.mid(at, n);
      if (r.chunked) piece = QByteArray::number(piece.size(), 16) + "\r\n" + piece + "\r\n";
      s->write(piece);
      at += n;
      if (r.chunk > 0 || r.endless) break;
    }
    QTimer::singleShot(r.interval_ms, this, [=, this] { trickle(s, r, body, at); });
  }

  QTcpServer m_server;
  QMap<QByteArray, LoopbackRoute> m_routes;
  QMap<QTcpSocket*, QByteArray> m_pending;
};
