// One HTTP/1.1 GET read off the socket by hand, so the updater sees exactly where a body ends:
// the announced length and anything a server sends past it, a transfer that stalls, one that
// never ends, one larger than allowed.
#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <optional>
#include <utility>

class QTcpSocket;

namespace update {

class HttpGet : public QObject {
  Q_OBJECT
 public:
  enum class End {
    Done,          // the body ended where the server said it would
    NetworkError,  // no connection, or it broke before the headers
    TimedOut,      // no progress for the stall time, or the whole time used up
    TooLarge,      // announced or sent more than the limit
    Truncated,     // the connection closed before the announced end
    Overrun,       // bytes followed the announced end
    BadReply,      // not an HTTP answer
  };
  Q_ENUM(End)

  struct Limits {
    qint64 max_body = 0;   // bytes of body allowed, 0 for no limit
    int stall_ms = 30000;  // the transfer fails when nothing arrives for this long
    int total_ms = 0;      // the whole transfer, 0 for no limit
    int linger_ms = 2000;  // after the announced end, how long to watch for more bytes
  };

  using Headers = QList<std::pair<QByteArray, QByteArray>>;

  HttpGet(QUrl url, Headers headers, Limits limits, QObject* parent = nullptr);
  ~HttpGet() override;

  void start();
  // While paused nothing is read (the server is held back by flow control) and no time runs.
  void pause();
  void resume();
  // Stops without a finished signal.
  void abort();

  const QUrl& url() const { return m_url; }
  int status() const { return m_status; }
  // Content-Length; none for a chunked body or one that runs to the end of the connection.
  std::optional<quint64> announced() const { return m_announced; }
  QByteArray header(const QByteArray& lower_case_name) const {
    return m_headers.value(lower_case_name);
  }

 signals:
  void headersReceived();
  void dataReceived(const QByteArray& piece);
  void finished(update::HttpGet::End end);

 private:
  enum class Stage {
    Head,
    Length,
    UntilClose,
    ChunkSize,
    ChunkData,
    ChunkEnd,
    Trailer,
    After,
    Ended
  };

  void pump();
  bool process();  // false when nothing more can be done with the bytes held
  bool parseHead();
  void body(qint64 n);
  void onClosed();
  void finish(End end);
  void restartStall();

  QUrl m_url;
  Headers m_request_headers;
  Limits m_limits;
  QPointer<QTcpSocket> m_socket;
  QByteArray m_in;
  Stage m_stage = Stage::Head;
  int m_status = 0;
  QMap<QByteArray, QByteArray> m_headers;
  std::optional<quint64> m_announced;
  quint64 m_left = 0;      // of the announced length or of the current chunk
  quint64 m_received = 0;  // body bytes so far
  bool m_paused = false;
  bool m_closed = false;
  QTimer m_stall;
  QTimer m_total;
  QTimer m_linger;
  int m_total_left = 0;
};

}  // namespace update
