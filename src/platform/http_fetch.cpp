#include "platform/http_fetch.h"

#include <QDir>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include "core/common/atomic_file.h"
#include "core/system/update_check.h"

namespace fw::platform {

HttpFetch::HttpFetch(QObject* parent) : QObject(parent), m_net(new QNetworkAccessManager(this)) {
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        if (m_reply) finish(false, QStringLiteral("no answer within the time-out"));
    });
}

HttpFetch::~HttpFetch() {
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
}

bool HttpFetch::start(const QUrl& url, const QString& folder, std::function<void(const FetchResult&)> done, int timeoutMs,
                      qint64 maxBytes) {
    if (m_reply) return false;
    m_done = std::move(done);
    m_body.clear();
    m_max = maxBytes;
    m_scheme = url.scheme().toLower();
    const QString name = QString::fromStdString(fw::system::updateFileName(url.toString(QUrl::FullyEncoded).toStdString()));
    if (!url.isValid() || (m_scheme != QLatin1String("http") && m_scheme != QLatin1String("https")) || name.isEmpty()) {
        QTimer::singleShot(0, this, [this] { finish(false, QStringLiteral("not an http or https address of a file")); });
        m_reply = nullptr;
        return true;
    }
    m_target = QDir(folder).filePath(name);
    QNetworkRequest req(url);
    // Redirects are followed only to the same scheme: an https address never ends up on http.
    req.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
    req.setMaximumRedirectsAllowed(5);
    req.setTransferTimeout(timeoutMs);
    m_reply = m_net->get(req);
    connect(m_reply, &QNetworkReply::redirected, this, [this](const QUrl& to) {
        if (to.scheme().toLower() == m_scheme) emit m_reply->redirectAllowed();
        else finish(false, QStringLiteral("redirected to another scheme"));
    });
    connect(m_reply, &QNetworkReply::readyRead, this, [this] {
        m_body += m_reply->readAll();
        if (m_body.size() > m_max) finish(false, QStringLiteral("larger than %1 bytes").arg(m_max));
    });
    connect(m_reply, &QNetworkReply::finished, this, [this] {
        if (!m_reply) return;
        if (m_reply->error() != QNetworkReply::NoError) {
            finish(false, m_reply->errorString());
            return;
        }
        m_body += m_reply->readAll();
        if (m_body.size() > m_max) finish(false, QStringLiteral("larger than %1 bytes").arg(m_max));
        else finish(true, {});
    });
    // The transfer time-out counts idle time; the deadline bounds the whole exchange.
    m_deadline.start(timeoutMs);
    return true;
}

void HttpFetch::finish(bool ok, const QString& error) {
    m_deadline.stop();
    if (m_reply) {
        QNetworkReply* r = m_reply;
        m_reply = nullptr;
        r->disconnect(this);
        r->abort();
        r->deleteLater();
    }
    FetchResult res;
    res.error = error;
    if (ok) {
        fw::AtomicFileWriter out(m_target.toStdString());
        if (out.ok() && out.write(m_body.constData(), static_cast<std::size_t>(m_body.size())) && out.commit()) {
            res.ok = true;
            res.path = m_target;
        } else {
            res.error = QStringLiteral("cannot write %1").arg(m_target);
        }
    }
    m_body.clear();
    auto done = std::move(m_done);
    m_done = nullptr;
    if (done) done(res);
}

FetchResult fetchBlocking(const QUrl& url, const QString& folder, int timeoutMs, qint64 maxBytes) {
    HttpFetch fetch;
    FetchResult result;
    QEventLoop loop;
    fetch.start(
        url, folder,
        [&](const FetchResult& r) {
            result = r;
            loop.quit();
        },
        timeoutMs, maxBytes);
    loop.exec();
    return result;
}

}  // namespace fw::platform
