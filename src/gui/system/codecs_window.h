#pragma once
// The installed-codecs window: seven option buttons, one list, and the count of its entries.
#include <QWidget>
#include <array>

#include "core/system/installed_codecs.h"

class QLabel;
class QListWidget;
class QRadioButton;

namespace fw::gui {

class frmCodecs : public QWidget {
    Q_OBJECT
public:
    explicit frmCodecs(QWidget* parent = nullptr);
    // Fills the list for the first selected option, tested in the order 3, 0, 4, 1, 5, 6, 2. A
    // category that cannot be listed here leaves the list as it was.
    void RefreshList();
    void choose(fw::system::CodecCategory c);
    void setDeviceRoots(fw::system::DeviceRoots roots) { m_roots = std::move(roots); }
    QStringList entries() const;
    QString countText() const;

private:
    fw::system::DeviceRoots m_roots;
    std::array<QRadioButton*, 7> m_options{};
    QListWidget* m_list = nullptr;
    QLabel* m_count = nullptr;
};

}  // namespace fw::gui
