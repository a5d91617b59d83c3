#include "platform/http_fetch.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkRequest>

#include "core/common/atomic_file.h"
#include "core/common/lang.h"

namespace fw::platform {

namespace {
constexpr int kMaxHops = 5;
}

HttpFetch::HttpFetch(QObject* parent) : QObject(parent), m_net(new QNetworkAccessManager(this)) {
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] { finish(FetchError::Unreachable, QStringLiteral("no answer within the time-out")); });
}

HttpFetch::~HttpFetch() {
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
}

bool HttpFetch::start(const QUrl& url, const QString& target, std::function<void(const FetchResult&)> done, int timeoutMs,
                      qint64 maxBytes) {
    if (busy()) return false;
    m_done = std::move(done);
    m_body.clear();
    m_max = maxBytes;
    m_hops = 0;
    m_target = target;
    m_scheme = url.scheme().toLower();
    m_pending = true;
    if (!url.isValid() || url.host().isEmpty() || (m_scheme != QLatin1String("http") && m_scheme != QLatin1String("https"))) {
        QTimer::singleShot(0, this, [this] { finish(FetchError::Unreachable, QStringLiteral("not an http or https address")); });
        return true;
    }
    // The whole exchange, redirects included, within the time-out.
    m_deadline.start(timeoutMs);
    get(url);
    return true;
}

void HttpFetch::get(const QUrl& url) {
    QNetworkRequest req(url);
    // Redirects are followed here, not by Qt: only within the scheme, and counted.
    req.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    req.setTransferTimeout(std::max(1, m_deadline.remainingTime()));
    m_body.clear();
    m_reply = m_net->get(req);
    connect(m_reply, &QNetworkReply::readyRead, this, [this] {
        m_body += m_reply->readAll();
        if (m_body.size() > m_max) finish(FetchError::TooLarge, QStringLiteral("larger than %1 bytes").arg(m_max));
    });
    connect(m_reply, &QNetworkReply::finished, this, [this] {
        if (!m_reply) return;
        const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (status >= 300 && status < 400) {
            // The raw header: Qt's parsed one is empty for a relative address ("/new/place").
            const QByteArray location = m_reply->rawHeader("Location");
            const QUrl to = location.isEmpty() ? QUrl() : m_reply->url().resolved(QUrl::fromEncoded(location));
            QNetworkReply* old = m_reply;
            m_reply = nullptr;
            old->disconnect(this);
            old->deleteLater();
            if (!to.isValid() || to.scheme().toLower() != m_scheme)
                return finish(FetchError::Redirect, QStringLiteral("sent on to another scheme: %1").arg(to.toString()));
            if (++m_hops > kMaxHops) return finish(FetchError::Redirect, QStringLiteral("sent on more than %1 times").arg(kMaxHops));
            get(to);
            return;
        }
        if (m_reply->error() != QNetworkReply::NoError && status == 0) return finish(FetchError::Unreachable, m_reply->errorString());
        if (status != 200) return finish(FetchError::HttpStatus, QStringLiteral("HTTP %1").arg(status));
        m_body += m_reply->readAll();
        if (m_body.size() > m_max) return finish(FetchError::TooLarge, QStringLiteral("larger than %1 bytes").arg(m_max));
        finish(FetchError::None, {});
    });
}

void HttpFetch::finish(FetchError error, const QString& detail) {
    if (!m_pending) return;
    m_pending = false;
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
    res.detail = detail;
    if (error == FetchError::None) {
        QDir().mkpath(QFileInfo(m_target).absolutePath());
        fw::AtomicFileWriter out(m_target.toStdString());
        if (out.ok() && out.write(m_body.constData(), static_cast<std::size_t>(m_body.size())) && out.commit()) {
            res.ok = true;
            res.path = m_target;
        } else {
            res.error = FetchError::CannotWrite;
            res.detail = QStringLiteral("cannot write %1").arg(m_target);
        }
    }
    m_body.clear();
    auto done = std::move(m_done);
    m_done = nullptr;
    if (done) done(res);
}

std::string fetchFailureText(const FetchResult& r) {
    int key = 0;
    switch (r.error) {
        case FetchError::HttpStatus: key = 7; break;
        case FetchError::TooLarge: key = 8; break;
        case FetchError::CannotWrite: key = 9; break;
        case FetchError::Redirect: key = 10; break;
        case FetchError::Unreachable: key = 11; break;
        case FetchError::None: break;
    }
    std::string text = key ? fw::LangText("CheckUpdatesMsgBox", key) + " " : std::string();
    return text + r.detail.toStdString();
}

FetchResult fetchBlocking(const QUrl& url, const QString& target, int timeoutMs, qint64 maxBytes) {
    HttpFetch fetch;
    FetchResult result;
    QEventLoop loop;
    fetch.start(
        url, target,
        [&](const FetchResult& r) {
            result = r;
            loop.quit();
        },
        timeoutMs, maxBytes);
    if (fetch.busy()) loop.exec();
    return result;
}

}  // namespace fw::platform
