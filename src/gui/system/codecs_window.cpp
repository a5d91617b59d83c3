#include "gui/system/codecs_window.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>

#include "gui/ui/widgets.h"

namespace fw::gui {

using fw::system::CodecCategory;

frmCodecs::frmCodecs(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("codecs"));
    setWindowTitle(lang("FormCaptions", 1));
    auto* root = new QVBoxLayout(this);
    auto* options = new QGridLayout;
    for (int i = 0; i < 7; ++i) {
        auto* o = new QRadioButton(lang("InstalledCodecs", 1 + i), this);
        o->setObjectName(QStringLiteral("Option1_%1").arg(i));
        options->addWidget(o, i % 4, i / 4);
        connect(o, &QRadioButton::clicked, this, &frmCodecs::RefreshList);
        m_options[static_cast<std::size_t>(i)] = o;
    }
    root->addLayout(options);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("listfilters"));
    root->addWidget(m_list, 1);
    auto* bottom = new QHBoxLayout;
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("lblCount"));
    bottom->addWidget(m_count, 1);
    auto* close = iconButton(this, QStyle::SP_DialogCloseButton, "esci", lang("General", 2));
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    bottom->addWidget(close);
    root->addLayout(bottom);
    resize(480, 420);
    m_options[0]->setChecked(true);
    RefreshList();
}

void frmCodecs::choose(CodecCategory c) {
    m_options[static_cast<std::size_t>(c)]->setChecked(true);
    RefreshList();
}

void frmCodecs::RefreshList() {
    for (CodecCategory c : fw::system::refreshOrder()) {
        if (!m_options[static_cast<std::size_t>(c)]->isChecked()) continue;
        const auto found = fw::system::listCategory(c, m_roots);
        if (!found.ok) return;
        m_list->clear();
        for (const auto& n : found.names) m_list->addItem(qs(n));
        m_count->setText(lang("General", 8) + QStringLiteral(" %1").arg(m_list->count()));
        return;
    }
}

QStringList frmCodecs::entries() const {
    QStringList out;
    for (int i = 0; i < m_list->count(); ++i) out << m_list->item(i)->text();
    return out;
}

QString frmCodecs::countText() const { return m_count->text(); }

}  // namespace fw::gui
