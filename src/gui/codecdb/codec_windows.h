#pragma once
// The codec database windows: a browser (one record at a time, search by code) and an editor
// (list, add, modify, save, delete) for each table, and the updater's tool bar.
#include <QWidget>
#include <array>

#include "core/codecdb/codec_db.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace fw::gui {

class CodecBrowser : public QWidget {
    Q_OBJECT
public:
    explicit CodecBrowser(fw::codecdb::Table table, QWidget* parent = nullptr);
    // Fills the fields from the record of key; shows the not-found message when there is none.
    bool lookup(const QString& key);
    void cerca_Click();
    QString field(int i) const;

private:
    void step(int delta);

    fw::codecdb::Table m_table;
    std::array<QLineEdit*, 6> m_fields{};
    QLabel* m_count = nullptr;
};

class CodecEditor : public QWidget {
    Q_OBJECT
public:
    enum class State { Idle, Adding, Modifying };

    explicit CodecEditor(fw::codecdb::Table table, QWidget* parent = nullptr);
    void refresh_form();
    void List1_Click(const QString& key);
    void aggiungi_Click();
    void modifica_Click();
    void salva_Click();
    void elimina_Click();
    State state() const { return m_state; }

private:
    void setIdle();
    fw::codecdb::CodecRecord fromFields() const;

    fw::codecdb::Table m_table;
    State m_state = State::Idle;
    QString m_lastKey;  // the record last looked up: the one a modification replaces
    std::array<QLineEdit*, 6> m_fields{};
    QListWidget* m_list = nullptr;
    QLabel* m_count = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_modify = nullptr;
    QPushButton* m_save = nullptr;
};

class database_updater : public QWidget {
    Q_OBJECT
public:
    explicit database_updater(QWidget* parent = nullptr);
};

// Opens the FourCC browser on a code (the FourCC changer's database button).
void openFourccBrowser(const QString& code);

}  // namespace fw::gui
