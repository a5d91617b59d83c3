#include "gui/ui/file_dialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <deque>

namespace fw::gui {

namespace {
struct State {
    bool testMode = false;
    QString lastFolder;  // where the last dialog of this session ended: the next one opens there
    std::deque<std::pair<QString, int>> names;
    std::vector<ShownDialog> shown;
};
State& state() {
    static State s;
    return s;
}

QStringList filterTexts(const std::vector<FileFilter>& filters) {
    QStringList out;
    for (const auto& f : filters) {
        // Qt reads the patterns from the parentheses; add them when the description lacks them.
        if (f.description.contains('(')) out << f.description;
        else out << QStringLiteral("%1 (%2)").arg(f.description, f.pattern);
    }
    return out;
}

DialogResult fromTest(const QString& kind, const QString& title, const QStringList& filters) {
    State& s = state();
    s.shown.push_back({kind, title, filters});
    DialogResult r;
    if (s.names.empty()) return r;
    auto [name, idx] = s.names.front();
    s.names.pop_front();
    r.path = name;
    if (!name.isEmpty()) r.paths << name;
    r.filterIndex = idx;
    return r;
}

void remember(const QString& chosen) {
    if (!chosen.isEmpty()) state().lastFolder = QFileInfo(chosen).absolutePath();
}

int indexOf(const QStringList& filters, const QString& selected) {
    int i = filters.indexOf(selected);
    return i < 0 ? 1 : i + 1;
}
}  // namespace

DialogResult OpenFileDialog(QWidget* owner, const std::vector<FileFilter>& filters, const QString& title) {
    QStringList ft = filterTexts(filters);
    if (state().testMode) return fromTest("open", title, ft);
    QString selected;
    DialogResult r;
    r.paths = QFileDialog::getOpenFileNames(owner, title, state().lastFolder, ft.join(";;"), &selected);
    if (!r.paths.isEmpty()) r.path = r.paths.front();
    remember(r.path);
    r.filterIndex = indexOf(ft, selected);
    return r;
}

DialogResult SaveFileDialog(QWidget* owner, const std::vector<FileFilter>& filters, const QString& title,
                            const QString& initialName, bool appends) {
    QStringList ft = filterTexts(filters);
    if (state().testMode) return fromTest(appends ? QStringLiteral("append") : QStringLiteral("save"), title, ft);
    QString selected;
    DialogResult r;
    // A bare initial name starts in the folder used last; a path keeps its own folder.
    const QString start = initialName.contains(QLatin1Char('/')) || state().lastFolder.isEmpty()
                              ? initialName
                              : state().lastFolder + QLatin1Char('/') + initialName;
    r.path = QFileDialog::getSaveFileName(owner, title, start, ft.join(";;"), &selected,
                                          appends ? QFileDialog::DontConfirmOverwrite : QFileDialog::Options());
    if (!r.path.isEmpty()) r.paths << r.path;
    remember(r.path);
    r.filterIndex = indexOf(ft, selected);
    return r;
}

QString FolderDialog(QWidget* owner, const QString& title, const QString& start) {
    if (state().testMode) return fromTest("folder", title, {}).path;
    const QString f = QFileDialog::getExistingDirectory(owner, title, start.isEmpty() ? state().lastFolder : start);
    if (!f.isEmpty()) state().lastFolder = f;
    return f;
}

void FileDialogHooks::setTestMode(bool on) { state().testMode = on; }
void FileDialogHooks::setNextFileName(const QString& path, int filterIndex) {
    state().names.emplace_back(path, filterIndex);
}
const std::vector<ShownDialog>& FileDialogHooks::shown() { return state().shown; }
void FileDialogHooks::clearShown() { state().shown.clear(); }

}  // namespace fw::gui
