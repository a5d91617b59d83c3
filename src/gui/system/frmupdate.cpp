#include "gui/system/frmupdate.h"

#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "core/common/ini.h"
#include "core/common/lang.h"
#include "core/common/paths.h"
#include "fw/version.h"
#include "gui/ui/msgbox.h"
#include "gui/ui/widgets.h"
#include "platform/http_fetch.h"
#include "platform/termination.h"

namespace fw::gui {

using namespace fw::system;

namespace {
const char* const kDefaultUrl = "https://framewise.example.org/framewise_update.txt";
const char* const kDefaultPage = "https://framewise.example.org/download";
}  // namespace

QString updateUrl() { return qs(fw::ReadIni(fw::paths().settingsPath, "Update", "UpdateUrl", kDefaultUrl)); }
QString downloadPage() { return qs(fw::ReadIni(fw::paths().settingsPath, "Update", "DownloadPage", kDefaultPage)); }

frmUpdate::frmUpdate(std::shared_ptr<platform::ConnectionState> connection, QWidget* parent)
    : QWidget(parent, Qt::Window), m_connection(std::move(connection)) {
    if (!m_connection) m_connection = platform::makeSystemConnectionState();
    setObjectName(QStringLiteral("frmUpdate"));
    setWindowTitle(lang("FormCaptions", 15));
    m_fetch = new platform::HttpFetch(this);
    auto* root = new QVBoxLayout(this);
    m_running = new QLabel(lang("CheckUpdates", 1) + QLatin1Char(' ') + QString::fromLatin1(kVersionText), this);
    m_running->setObjectName(QStringLiteral("Label1"));
    m_newest = new QLabel(lang("CheckUpdates", 2), this);
    m_newest->setObjectName(QStringLiteral("Label2"));
    root->addWidget(m_running);
    root->addWidget(m_newest);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("List1"));
    root->addWidget(m_list, 1);
    auto* buttons = new QHBoxLayout;
    m_check = iconButton(this, QStyle::SP_BrowserReload, "Command1", lang("CheckUpdatesTooltips", 1));
    m_check->setText(lang("CheckUpdates", 3));
    makeDefault(m_check);
    m_download = iconButton(this, QStyle::SP_ArrowDown, "Command2", lang("CheckUpdatesTooltips", 2));
    m_download->setText(lang("CheckUpdates", 4));
    m_download->hide();
    auto* close = iconButton(this, QStyle::SP_DialogCloseButton, "esci", lang("General", 2));
    buttons->addWidget(m_check);
    buttons->addWidget(m_download);
    buttons->addStretch(1);
    buttons->addWidget(close);
    root->addLayout(buttons);
    // A check from the window's own button is a check by hand, whoever opened the window.
    connect(m_check, &QPushButton::clicked, this, [this] {
        automatic = false;
        Command1_Click();
    });
    connect(m_download, &QPushButton::clicked, this, &frmUpdate::Command2_Click);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    resize(460, 360);
}

bool frmUpdate::busy() const { return m_fetch->busy(); }
QString frmUpdate::runningText() const { return m_running->text(); }
QString frmUpdate::newestText() const { return m_newest->text(); }
bool frmUpdate::downloadOffered() const { return !m_download->isHidden(); }

QStringList frmUpdate::changeLog() const {
    QStringList out;
    for (int i = 0; i < m_list->count(); ++i) out << m_list->item(i)->text();
    return out;
}

void frmUpdate::Command1_Click() {
    if (busy()) return;
    m_list->clear();
    if (!m_connection || !m_connection->connected()) {
        MsgBox::show(this, lang("CheckUpdatesMsgBox", 1), lang("FormCaptions", 15), Icon::Exclamation);
        emit checked();
        return;
    }
    const QString file = qs(updateFilePath());
    // The file of an earlier check must not pass for this one's.
    QFile::remove(file);
    m_check->setEnabled(false);
    m_fetch->start(
        QUrl(updateUrl()), file,
        [this](const platform::FetchResult& r) {
            m_failure = r.ok ? QString() : QStringLiteral("\n") + qs(platform::fetchFailureText(r));
            afterDownload(r.ok ? r.path : QString());
        },
        m_timeoutMs, static_cast<qint64>(kUpdateFileCap));
}

void frmUpdate::afterDownload(const QString& file) {
    m_check->setEnabled(true);
    std::optional<std::string> bytes;
    if (!file.isEmpty()) {
        QFile f(file);
        if (f.open(QIODevice::ReadOnly)) bytes = f.read(static_cast<qint64>(kUpdateFileCap) + 1).toStdString();
    }
    UpdateCheck r = evaluateUpdate(bytes, kVersionText, automatic);
    for (const auto& line : r.lines) m_list->addItem(qs(line));
    m_newest->setText(lang("CheckUpdates", 2) + QLatin1Char(' ') + qs(r.remote));
    if (!bytes && !r.messages.empty()) r.messages.front().suffix += ss(m_failure);
    for (const auto& m : r.messages) {
        if (platform::terminating()) break;
        const Answer a = MsgBox::show(this, m, windowTitle());
        if (platform::terminating()) break;
        if (r.comparison != Comparison::Newer) continue;
        if (a == Answer::Yes) {
            openOrSay(this, downloadPage());
        } else if (a == Answer::Cancel && automatic) {
            m_download->show();
            show();
            raise();
        }
    }
    if (r.comparison == Comparison::Newer && !automatic) m_download->show();
    emit checked();
}

void frmUpdate::Command2_Click() { openOrSay(this, downloadPage()); }

void UpdateService::runAutomatic(QWidget* owner) {
    (void)owner;
    if (m_window && m_window->busy()) return;
    if (!m_window) {
        m_window = new frmUpdate(m_connection);
        m_window->setAttribute(Qt::WA_DeleteOnClose);
        // Hidden until the user asks for the change log; gone with the check otherwise.
        QObject::connect(m_window, &frmUpdate::checked, m_window, [w = m_window] {
            if (w && w->isHidden()) w->deleteLater();
        });
    }
    m_window->automatic = true;
    m_window->Command1_Click();
}

}  // namespace fw::gui
