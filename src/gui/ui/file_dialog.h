#pragma once
// The shared open, save and folder dialogs, with test hooks that stand in for the user's choice.
#include <QString>
#include <QStringList>
#include <QWidget>
#include <vector>

namespace fw::gui {

struct FileFilter {
    QString description;  // "INFO file (*.txt)"
    QString pattern;      // "*.txt"
};

struct DialogResult {
    QString path;         // the first chosen file; empty when the user cancelled
    QStringList paths;    // every chosen file
    int filterIndex = 0;  // 1-based index of the filter selected at confirmation
    bool cancelled() const { return path.isEmpty(); }
};

struct ShownDialog {
    QString kind;  // "open", "save", "append", "folder"
    QString title;
    QStringList filters;
};

DialogResult OpenFileDialog(QWidget* owner, const std::vector<FileFilter>& filters, const QString& title);
// `appends`: the caller adds to an existing file, so the dialog does not ask to replace it.
DialogResult SaveFileDialog(QWidget* owner, const std::vector<FileFilter>& filters, const QString& title,
                            const QString& initialName = {}, bool appends = false);
QString FolderDialog(QWidget* owner, const QString& title, const QString& start = {});

class FileDialogHooks {
public:
    // In test mode no dialog is shown: each call takes the next queued name ("" = cancel).
    static void setTestMode(bool on);
    static void setNextFileName(const QString& path, int filterIndex = 1);
    static const std::vector<ShownDialog>& shown();
    static void clearShown();
};

}  // namespace fw::gui
