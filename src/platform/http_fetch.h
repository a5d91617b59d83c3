#pragma once
// One small file over HTTP or HTTPS into a file of our choosing: bounded in time and size,
// redirects followed only within the same scheme (five at most), only a "200 OK" body kept,
// written through a temporary file and a rename. Asynchronous: the window stays responsive while
// it runs; fetchBlocking() is the command line's.
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <string>

class QNetworkAccessManager;

namespace fw::platform {

enum class FetchError {
    None,
    Unreachable,  // no connection, no answer in time, a bad address
    HttpStatus,   // the server answered, but not with the file
    TooLarge,
    Redirect,     // to another scheme, or too many times
    CannotWrite,
};

struct FetchResult {
    bool ok = false;
    QString path;   // the file written
    FetchError error = FetchError::None;
    QString detail;  // what exactly, for the command line and the second line of the message
};

class HttpFetch : public QObject {
    Q_OBJECT
public:
    explicit HttpFetch(QObject* parent = nullptr);
    ~HttpFetch() override;

    // Downloads url into the file target; done() runs on this thread afterwards, whatever
    // happened. A second start while one runs is refused.
    bool start(const QUrl& url, const QString& target, std::function<void(const FetchResult&)> done, int timeoutMs = 10000,
               qint64 maxBytes = 64 * 1024);
    bool busy() const { return m_reply != nullptr || m_pending; }

private:
    void get(const QUrl& url);
    void finish(FetchError error, const QString& detail);

    QNetworkAccessManager* m_net = nullptr;
    QPointer<QNetworkReply> m_reply;
    QTimer m_deadline;
    QByteArray m_body;
    QString m_target;
    qint64 m_max = 0;
    QString m_scheme;
    int m_hops = 0;
    bool m_pending = false;
    std::function<void(const FetchResult&)> m_done;
};

// What exactly went wrong, for the second line of the download warning ("The server answered,
// but not with the update file: HTTP 404").
std::string fetchFailureText(const FetchResult& r);

// The same, waiting for the end in a local event loop (no window to keep alive).
FetchResult fetchBlocking(const QUrl& url, const QString& target, int timeoutMs = 10000, qint64 maxBytes = 64 * 1024);

}  // namespace fw::platform
