#include "gui/system/sysinfo_window.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "gui/ui/widgets.h"
#include "platform/system_facts.h"

namespace fw::gui {

frmSysInfo::frmSysInfo(QWidget* parent) : QWidget(parent, Qt::Window) { build(fw::platform::gatherSystemFacts()); }

frmSysInfo::frmSysInfo(const fw::system::SystemFacts& facts, QWidget* parent) : QWidget(parent, Qt::Window) { build(facts); }

void frmSysInfo::build(const fw::system::SystemFacts& facts) {
    setObjectName(QStringLiteral("sysinfo"));
    setWindowTitle(lang("FormCaptions", 12));
    auto* root = new QVBoxLayout(this);
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("Text1"));
    m_text->setReadOnly(true);
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_text->setPlainText(qs(fw::system::systemReport(facts)).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    root->addWidget(m_text, 1);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    auto* close = iconButton(this, QStyle::SP_DialogCloseButton, "Command1", lang("SysInfoTooltips", 1));
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    row->addWidget(close);
    root->addLayout(row);
    resize(520, 560);
    closeOnEscape(this);
}

QString frmSysInfo::report() const { return m_text->toPlainText(); }

void showSystemInfo(QWidget* from) {
    static QPointer<frmSysInfo> open;
    if (!open) {
        open = new frmSysInfo;
        open->setAttribute(Qt::WA_DeleteOnClose);
        if (from) open->setWindowIcon(from->window()->windowIcon());
    }
    open->show();
    open->raise();
    open->activateWindow();
}

}  // namespace fw::gui
