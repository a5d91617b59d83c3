#include "gui/ui/keyframe_export.h"

#include <QApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>
#include <QStringList>

#include "core/avi/keyframes.h"
#include "core/common/atomic_file.h"
#include "core/common/lang.h"
#include "gui/ui/file_dialog.h"
#include "gui/ui/msgbox.h"
#include "gui/ui/widgets.h"

namespace fw::gui {

bool exportKeyframes(QWidget* owner, const QString& source, const QString& caption) {
    // The filters come from the language file as "description (patterns);;..."; the patterns
    // inside the parentheses are what the dialog filters by.
    std::vector<FileFilter> filters;
    for (const auto& f : lang("KeyFrames", 5).split(QStringLiteral(";;"))) {
        const auto open = f.indexOf(QLatin1Char('(')), close = f.lastIndexOf(QLatin1Char(')'));
        filters.push_back({f, open >= 0 && close > open ? f.mid(open + 1, close - open - 1) : QStringLiteral("*")});
    }
    const QFileInfo fi(source);
    auto d = SaveFileDialog(owner, filters, lang("AviHealth", 27), fi.completeBaseName() + QStringLiteral(".keyframes.txt"));
    if (d.cancelled()) return false;
    const auto format = d.filterIndex == 2   ? fw::avi::KeyframeFormat::Qpfile
                        : d.filterIndex == 3 ? fw::avi::KeyframeFormat::KeyframesV1
                                             : fw::avi::KeyframeFormat::List;
    // Read off the UI thread: a large file's index and chunk headers take a moment, and the
    // windows keep painting meanwhile (the owner takes no input until the list is read).
    QApplication::setOverrideCursor(Qt::WaitCursor);
    owner->setEnabled(false);
    QFutureWatcher<fw::avi::KeyframeList> watcher;
    QEventLoop loop;
    QObject::connect(&watcher, &QFutureWatcher<fw::avi::KeyframeList>::finished, &loop, &QEventLoop::quit);
    watcher.setFuture(QtConcurrent::run([path = ss(source)] { return fw::avi::keyframesOf(path); }));
    if (!watcher.isFinished()) loop.exec();
    owner->setEnabled(true);
    QApplication::restoreOverrideCursor();
    const fw::avi::KeyframeList k = watcher.result();
    if (!k.ok) {
        MsgBox::show(owner, Message::fixed(k.error, Icon::Critical), caption);
        return false;
    }
    // A cut index gives a list that stops early: the user is told before it is saved.
    if (!k.complete() && MsgBox::show(owner, qs(k.incompleteText()) + QStringLiteral("\n\n") + lang("KeyFrames", 7), caption,
                                      Icon::Exclamation, Buttons::YesNo, true) != Answer::Yes)
        return false;
    const std::string text = fw::avi::keyframeText(k, format);
    AtomicFileWriter w(ss(d.path));
    if (!w.ok() || !w.write(text.data(), text.size()) || !w.commit()) {
        MsgBox::show(owner, Message::lang("AviDetectorMsgBox", 6, Icon::Critical), caption);
        return false;
    }
    MsgBox::show(owner,
                 Message::fixed(ss(lang("AviHealth", 30) + QLatin1Char(' ') + d.path + QStringLiteral(" (%1 ").arg(k.frames.size()) +
                                   lang("KeyFrames", 4) + QLatin1Char(')')),
                                Icon::Information),
                 caption);
    return true;
}

}  // namespace fw::gui
