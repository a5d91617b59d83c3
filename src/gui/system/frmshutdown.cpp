#include "gui/system/frmshutdown.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDateEdit>
#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <cmath>

#include "core/common/lang.h"
#include "gui/ui/msgbox.h"
#include "gui/ui/widgets.h"
#include "platform/logind.h"

namespace fw::gui {

using namespace fw::system;

namespace {

// Option index to action: Riavvia reboot, Shutdown shut down, Disconnetti log off, Spegni power off.
constexpr int kActionOf[4] = {2, 1, 0, 3};

std::tm toTm(const QDateTime& d) {
    std::tm t{};
    t.tm_year = d.date().year() - 1900;
    t.tm_mon = d.date().month() - 1;
    t.tm_mday = d.date().day();
    t.tm_hour = d.time().hour();
    t.tm_min = d.time().minute();
    t.tm_sec = d.time().second();
    return t;
}

}  // namespace

frmshutdown::frmshutdown(std::unique_ptr<ExitBackend> backend, std::function<void()> ended, QWidget* parent)
    : QWidget(parent, Qt::Window), m_backend(std::move(backend)), m_ended(std::move(ended)) {
    if (!m_backend) m_backend = fw::platform::makeLogindBackend();
    if (!m_ended) m_ended = [] {
        QApplication::closeAllWindows();
        QApplication::quit();
    };
    setObjectName(QStringLiteral("frmshutdown"));
    m_caption = lang("FormCaptions", 11);
    setWindowTitle(m_caption);
    auto* root = new QVBoxLayout(this);

    auto* what = new QGroupBox(this);
    auto* wl = new QGridLayout(what);
    static constexpr int kCaptionKey[4] = {1, 2, 3, 4};  // Riavvia, Shutdown, Disconnetti, Spegni
    for (int i = 0; i < 4; ++i) {
        auto* o = new QRadioButton(lang("ShutDown", kCaptionKey[i]), what);
        o->setObjectName(QStringLiteral("Option1_%1").arg(i));
        wl->addWidget(o, i / 2, i % 2);
        m_actions[static_cast<std::size_t>(i)] = o;
    }
    m_actions[1]->setChecked(true);
    root->addWidget(what);

    auto* when = new QGroupBox(this);
    auto* gl = new QGridLayout(when);
    static constexpr int kFieldKey[4] = {6, 7, 8, 9};
    static constexpr int kFieldMax[4] = {999, 99, 99, 99};
    for (int i = 0; i < 4; ++i) {
        auto* f = new QSpinBox(when);
        f->setObjectName(QStringLiteral("Text%1").arg(i + 1));
        f->setRange(0, kFieldMax[i]);
        gl->addWidget(new QLabel(lang("ShutDown", kFieldKey[i]), when), 0, i);
        gl->addWidget(f, 1, i);
        m_fields[static_cast<std::size_t>(i)] = f;
    }
    m_clockMode = new QCheckBox(lang("ShutDown", 5), when);
    m_clockMode->setObjectName(QStringLiteral("Check1"));
    m_clockMode->setToolTip(lang("ShutDownTooltips", 3));
    gl->addWidget(m_clockMode, 2, 0, 1, 4);
    m_date = new QDateEdit(QDate::currentDate(), when);
    m_date->setObjectName(QStringLiteral("DTPicker1"));
    m_date->setCalendarPopup(true);
    m_date->setDisplayFormat(QStringLiteral("d-MMM-yyyy"));
    m_time = new QTimeEdit(QTime::currentTime(), when);
    m_time->setObjectName(QStringLiteral("DTPicker2"));
    m_time->setDisplayFormat(QStringLiteral("h:mm:ss AP"));
    gl->addWidget(new QLabel(lang("ShutDown", 10), when), 3, 0);
    gl->addWidget(m_date, 3, 1);
    gl->addWidget(new QLabel(lang("ShutDown", 11), when), 3, 2);
    gl->addWidget(m_time, 3, 3);
    root->addWidget(when);
    auto clockMode = [this](bool on) {
        for (auto* f : m_fields) f->setEnabled(!on);
        m_date->setEnabled(on);
        m_time->setEnabled(on);
    };
    connect(m_clockMode, &QCheckBox::toggled, this, clockMode);
    clockMode(false);

    auto* legend = new QLabel(QStringLiteral(" GG.HH.MM.SS"), this);
    legend->setObjectName(QStringLiteral("lblLegend"));
    root->addWidget(legend);
    m_display = new QLabel(QStringLiteral("00.00.00.00.0000"), this);
    m_display->setObjectName(QStringLiteral("lblCountdown"));
    QFont big = m_display->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    m_display->setFont(big);
    root->addWidget(m_display);
    m_now = new QLabel(this);
    m_now->setObjectName(QStringLiteral("lblNow"));
    root->addWidget(m_now);

    auto* buttons = new QHBoxLayout;
    m_start = new QPushButton(lang("ShutDown", 12), this);
    m_start->setObjectName(QStringLiteral("cmdChoice_0"));
    m_start->setToolTip(lang("ShutDownTooltips", 1));
    // No default button: Enter must never start a shutdown.
    m_stop = new QPushButton(lang("ShutDown", 13), this);
    m_stop->setObjectName(QStringLiteral("cmdChoice_1"));
    m_stop->setToolTip(lang("ShutDownTooltips", 2));
    m_stop->hide();
    auto* close = new QPushButton(lang("General", 2), this);
    close->setObjectName(QStringLiteral("cmdChoice_3"));
    buttons->addWidget(m_start);
    buttons->addWidget(m_stop);
    buttons->addStretch(1);
    buttons->addWidget(close);
    root->addLayout(buttons);
    connect(m_start, &QPushButton::clicked, this, &frmshutdown::cmdStart_Click);
    connect(m_stop, &QPushButton::clicked, this, &frmshutdown::cmdStop_Click);
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    m_wait.setInterval(m_countdown.slumberInterval * 5);
    connect(&m_wait, &QTimer::timeout, this, &frmshutdown::tick);
    m_clock.setInterval(1000);
    connect(&m_clock, &QTimer::timeout, this, &frmshutdown::showClock);
    m_clock.start();
    showClock();
}

frmshutdown::~frmshutdown() {
    m_clock.stop();
    m_wait.stop();
    m_countdown.stop();
}

int frmshutdown::action() const {
    for (int i = 0; i < 4; ++i)
        if (m_actions[static_cast<std::size_t>(i)]->isChecked()) return kActionOf[i];
    return 0;
}

void frmshutdown::setCountdown(int days, int hours, int minutes, int seconds) {
    m_clockMode->setChecked(false);
    m_fields[0]->setValue(days);
    m_fields[1]->setValue(hours);
    m_fields[2]->setValue(minutes);
    m_fields[3]->setValue(seconds);
}

QString frmshutdown::countdownText() const { return m_display->text(); }
QString frmshutdown::clockText() const { return m_now->text(); }

void frmshutdown::showClock() {
    const std::tm now = toTm(QDateTime::currentDateTime());
    m_now->setText(lang("ShutDown", 15) + QLatin1Char(' ') + qs(dateText(now)) + QLatin1Char(' ') + qs(timeText(now)));
}

void frmshutdown::setRunning(bool running) {
    m_start->setVisible(!running);
    m_stop->setVisible(running);
    for (auto* o : m_actions) o->setEnabled(!running);
    m_clockMode->setEnabled(!running);
}

void frmshutdown::cmdStart_Click() {
    if (m_countdown.running()) return;
    double delay = 0;
    m_wallTarget = QDateTime();
    if (m_clockMode->isChecked()) {
        const QDateTime target(m_date->date(), m_time->time());
        m_wallTarget = target;
        delay = std::floor(static_cast<double>(QDateTime::currentDateTime().secsTo(target)));
        if (delay < 0) {
            MsgBox::show(this, lang("ShutDownMsgBox", 11), lang("ShutDownMsgBox", 4), Icon::Exclamation);
            return;
        }
    } else {
        delay = countdownSeconds(m_fields[0]->value(), m_fields[1]->value(), m_fields[2]->value(), m_fields[3]->value());
    }
    if (delay <= 0) {
        // A zero wait means now, once the user confirms it.
        const QString q = lang("ShutDownMsgBox", 1) + QStringLiteral("\r\n") + lang("ShutDownMsgBox", 2) + QStringLiteral("\r\n") +
                          lang("ShutDownMsgBox", 3);
        if (MsgBox::show(this, q, windowTitle(), Icon::Question, Buttons::OkCancel) != Answer::Ok) return;
        endLogon();
        return;
    }
    m_cancel = false;
    if (auto error = m_countdown.start(delay * 1000)) {
        MsgBox::show(this, *error, windowTitle());
        return;
    }
    setRunning(true);
    m_display->setText(QStringLiteral("00.00.00.00.0000"));
    m_wait.start();
    tick();
}

void frmshutdown::cmdStop_Click() {
    m_cancel = true;
    m_countdown.stop();
    m_wait.stop();
    setRunning(false);
    setWindowTitle(m_caption);
}

void frmshutdown::tick() {
    if (!m_countdown.running()) return;
    // A time of day is watched on the wall clock (a suspend on the way does not make it late); a
    // countdown on the steady clock.
    const double left = m_wallTarget.isValid() ? std::max<double>(0, static_cast<double>(QDateTime::currentDateTime().msecsTo(m_wallTarget)))
                                               : m_countdown.remainingMs();
    const QString text = qs(remainingText(left));
    m_display->setText(text);
    emit remainingChanged(text);
    if (isMinimized()) setWindowTitle(qs(minimisedCaption(ss(text))));
    if (left > 0) return;
    m_wait.stop();
    m_countdown.stop();
    if (!m_cancel) endLogon();
}

void frmshutdown::endLogon() {
    hide();
    m_calls = ShutdownSystem(action(), Family::Nt5, *m_backend);
    if (m_ended) m_ended();
}

void frmshutdown::changeEvent(QEvent* e) {
    if (e->type() == QEvent::WindowStateChange && !isMinimized()) setWindowTitle(m_caption);
    QWidget::changeEvent(e);
}

void frmshutdown::closeEvent(QCloseEvent* e) {
    m_clock.stop();
    m_cancel = true;
    m_countdown.stop();
    m_wait.stop();
    QWidget::closeEvent(e);
}

}  // namespace fw::gui
