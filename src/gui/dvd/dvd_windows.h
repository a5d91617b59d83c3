#pragma once
// The IFO browser (title sets, program chains and chapters of a disc as a tree) and the chapter
// list editor (INFO import, four output layouts, key frames at chapter points in a stats file).
#include <QWidget>
#include <array>

#include "core/dvd/chapters.h"
#include "core/dvd/ifo.h"

class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QRadioButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace fw::gui {

class frmCapitoli;

class frmIfoParser : public QWidget {
    Q_OBJECT
public:
    explicit frmIfoParser(QWidget* parent = nullptr);
    // Reads a disc (an empty path: the first optical drive) into the tree and the editor's list.
    void read(const QString& path);
    void nodeClicked(QTreeWidgetItem* item);
    QTreeWidget* tree() const { return m_tree; }
    fw::dvd::clsDVD& dvd() { return m_dvd; }

private:
    fw::dvd::clsDVD m_dvd;
    int m_titleSet = 0;
    QTreeWidget* m_tree = nullptr;
    QLineEdit* m_video = nullptr;
    QListWidget* m_audio = nullptr;
    QListWidget* m_subpic = nullptr;
};

class frmCapitoli : public QWidget {
    Q_OBJECT
public:
    explicit frmCapitoli(QWidget* parent = nullptr);

    Q_INVOKABLE void loadInfo(const QString& path);  // CheckInfo into the list and the fields
    void addRow(const fw::dvd::ChapterRow& row, int position = -1);
    void clearRows();
    std::vector<fw::dvd::ChapterRow> rows() const;
    void cmdOpen_Click();
    void cmdEdit_Click(int index);  // 0 modify, 1 add, 2 delete
    void cmdSave_Click();
    void cmdLoad_Click();
    void cmdSynch_Click();
    void cmdStatEd_Click();

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void rowSelected();
    QLineEdit* field(const char* name) const;

    QTreeWidget* m_list = nullptr;
    QListWidget* m_streams = nullptr;
    std::array<QRadioButton*, 4> m_format{};
};

}  // namespace fw::gui
