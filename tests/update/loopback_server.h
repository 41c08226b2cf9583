// A tiny HTTP server on 127.0.0.1 for the updater tests: canned answers per path, with ways to
// misbehave (announce more than it sends, send no length, trickle the body).
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
  qint64 announced = -1;  // length to announce; -1 for the body's size
  qint64 send = -1;       // bytes of the body actually sent; -1 for all
  int chunk = 0;          // trickle the body in pieces of this size (0: at once)
  int interval_ms = 10;   // pause between pieces
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
    LoopbackRoute r =
        m_routes.value(path, LoopbackRoute{404, "not found", {}, true, -1, -1, 0, 10});
    QByteArray head = "HTTP/1.1 " + QByteArray::number(r.status) + " X\r\nConnection: close\r\n";
    if (r.announce_length)
      head +=
          "Content-Length: " + QByteArray::number(r.announced >= 0 ? r.announced : r.body.size()) +
          "\r\n";
    head += r.extra_headers + "\r\n";
    s->write(head);
    const QByteArray body = r.send >= 0 ? r.body.left(r.send) : r.body;
    if (r.chunk <= 0) {
      s->write(body);
      s->disconnectFromHost();
      return;
    }
    trickle(s, body, 0, r.chunk, r.interval_ms);
  }

  void trickle(QPointer<QTcpSocket> s, QByteArray body, qsizetype at, int chunk, int interval) {
    if (!s) return;
    if (at >= body.size()) {
      s->disconnectFromHost();
      return;
    }
    s->write(body.mid(at, chunk));
    QTimer::singleShot(interval, this,
                       [=, this] { trickle(s, body, at + chunk, chunk, interval); });
  }

  QTcpServer m_server;
  QMap<QByteArray, LoopbackRoute> m_routes;
  QMap<QTcpSocket*, QByteArray> m_pending;
};
