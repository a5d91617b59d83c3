#include "gui/shell/preferences.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>

#include "core/common/lang.h"
#include "gui/shell/main_window.h"
#include "gui/ui/msgbox.h"
#include "gui/ui/widgets.h"

namespace fw::gui {

namespace {
struct LangOption {
    const char* caption;
    const char* tag;
    bool enabled;
};
const LangOption kOptions[4] = {
    {"Italiano", "ita", true}, {"English", "eng", true}, {"Espanol", "spa", false}, {"Francoise", "fra", false}};

QPixmap flag(const char* tag) {
    // Three-band flags drawn in place of picture files.
    QPixmap pm(24, 16);
    QPainter p(&pm);
    QString t = QString::fromLatin1(tag);
    auto bands = [&](QColor a, QColor b, QColor c, bool vertical) {
        for (int i = 0; i < 3; ++i) {
            p.setBrush(i == 0 ? a : i == 1 ? b : c);
            p.setPen(Qt::NoPen);
            if (vertical) p.drawRect(i * 8, 0, 8, 16);
            else p.drawRect(0, i * 16 / 3, 24, 6);
        }
    };
    if (t == "ita") bands(QColor(0, 146, 70), Qt::white, QColor(206, 43, 55), true);
    else if (t == "fra") bands(QColor(0, 85, 164), Qt::white, QColor(239, 65, 53), true);
    else if (t == "spa") bands(QColor(170, 21, 27), QColor(241, 191, 0), QColor(170, 21, 27), false);
    else {
        pm.fill(QColor(1, 33, 105));
        p.setPen(QPen(Qt::white, 4));
        p.drawLine(0, 8, 24, 8);
        p.drawLine(12, 0, 12, 16);
        p.setPen(QPen(QColor(200, 16, 46), 2));
        p.drawLine(0, 8, 24, 8);
        p.drawLine(12, 0, 12, 16);
    }
    return pm;
}
}  // namespace

frmlanguage::frmlanguage(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmlanguage"));
    if (auto* m = mainWindow()) setWindowIcon(m->windowIcon());
    setWindowTitle(lang("FormCaptions", 9));

    auto* lay = new QVBoxLayout(this);
    auto* frame = new QGroupBox(QStringLiteral("Language"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    auto* fl = new QVBoxLayout(frame);
    auto* group = new QButtonGroup(this);
    for (int i = 0; i < 4; ++i) {
        const auto& o = kOptions[i];
        auto* row = new QHBoxLayout;
        auto* pic = new QLabel(frame);
        pic->setObjectName(QStringLiteral("imgFlag_%1").arg(i));
        pic->setPixmap(flag(o.tag));
        auto* opt = new QRadioButton(QString::fromLatin1(o.caption), frame);
        opt->setObjectName(QStringLiteral("OptLang_%1").arg(i));
        opt->setProperty("tag", QString::fromLatin1(o.tag));
        opt->setEnabled(o.enabled);
        if (!o.enabled) {
            opt->setToolTip(QStringLiteral("Work in progress..."));
            pic->setToolTip(QStringLiteral("Work in progress..."));
        }
        group->addButton(opt, i);
        row->addWidget(pic);
        row->addWidget(opt, 1);
        fl->addLayout(row);
        m_opt[static_cast<std::size_t>(i)] = opt;
    }
    lay->addWidget(frame);

    m_chkUpd = new QCheckBox(lang("Preferences", 1), this);
    m_chkUpd->setObjectName(QStringLiteral("chkUpd"));
    m_chkUpd->setChecked(fw::globals().CheckUpdates == 1);
    lay->addWidget(m_chkUpd);

    auto* buttons = new QHBoxLayout;
    auto* save = new QPushButton(style()->standardIcon(QStyle::SP_DialogSaveButton), QString(), this);
    save->setObjectName(QStringLiteral("cmdSave"));
    save->setToolTip(lang("PreferencesTooltips", 1));
    auto* exitButton = new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton), QString(), this);
    exitButton->setObjectName(QStringLiteral("cmdExit"));
    exitButton->setToolTip(lang("PreferencesTooltips", 2));
    buttons->addStretch(1);
    buttons->addWidget(save);
    buttons->addWidget(exitButton);
    lay->addLayout(buttons);

    // Exclusive only among choices the user makes: with no match none is selected.
    group->setExclusive(false);
    const QString current = qs(fw::globals().Language);
    for (auto* o : m_opt) {
        if (o->property("tag").toString() == current) {
            o->setChecked(true);
            break;
        }
    }
    group->setExclusive(true);

    connect(save, &QPushButton::clicked, this, &frmlanguage::cmdSave_Click);
    makeDefault(save);
    connect(exitButton, &QPushButton::clicked, this, &QWidget::close);
}

void frmlanguage::cmdSave_Click() {
    auto& g = fw::globals();
    for (auto* o : m_opt)
        if (o->isChecked()) g.Language = ss(o->property("tag").toString());
    g.CheckUpdates = m_chkUpd->isChecked() ? 1 : 0;
    if (!fw::savePreferences()) MsgBox::settingsNotSaved(this, g.SettingsPath, windowTitle());
    if (auto* m = mainWindow()) m->refreshMenuCaptions();
    close();
}

}  // namespace fw::gui
