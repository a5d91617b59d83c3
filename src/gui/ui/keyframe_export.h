#pragma once
// Key-frame lists written from a window: the inspector (an AVI's index) and the stats editor (a
// first-pass file's I-frames) offer the same three formats through one dialog.
#include <QString>
#include <QWidget>

namespace fw::gui {

// Asks where to write, in which format (by the dialog's filter), and writes the list of `source`.
// True when a file was written.
bool exportKeyframes(QWidget* owner, const QString& source, const QString& caption);

}  // namespace fw::gui
