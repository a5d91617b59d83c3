#pragma once
// One small file over HTTP or HTTPS into a folder: bounded in time and size, redirects only to
// the same scheme, written through a temporary file and a rename. Asynchronous: the window stays
// responsive while it runs; fetchBlocking() is the command line's.
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <functional>

class QNetworkAccessManager;

namespace fw::platform {

struct FetchResult {
    bool ok = false;
    QString path;   // the file written
    QString error;  // why not, for the command line and the logs
};

class HttpFetch : public QObject {
    Q_OBJECT
public:
    explicit HttpFetch(QObject* parent = nullptr);
    ~HttpFetch() override;

    // Downloads url into folder under the URL's last path piece; done() runs on this thread
    // afterwards, whatever happened. A second start while one runs is refused.
    bool start(const QUrl& url, const QString& folder, std::function<void(const FetchResult&)> done,
               int timeoutMs = 10000, qint64 maxBytes = 64 * 1024);
    bool busy() const { return m_reply != nullptr; }

private:
    void finish(bool ok, const QString& error);

    QNetworkAccessManager* m_net = nullptr;
    QPointer<QNetworkReply> m_reply;
    QTimer m_deadline;
    QByteArray m_body;
    QString m_target;
    qint64 m_max = 0;
    QString m_scheme;
    std::function<void(const FetchResult&)> m_done;
};

// The same, waiting for the end in a local event loop (no window to keep alive).
FetchResult fetchBlocking(const QUrl& url, const QString& folder, int timeoutMs = 10000, qint64 maxBytes = 64 * 1024);

}  // namespace fw::platform
