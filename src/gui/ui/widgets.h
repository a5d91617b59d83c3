#pragma once
// Small pieces every window uses: language texts as QStrings, the numeric-field guard, the
// information window, opening a file with its application, and the program's pictures.
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <QStyle>
#include <QWidget>

namespace fw::gui {

QString lang(const char* section, int key);
// A file dialog's title: the shared text (General 1 or 3) and what this dialog opens or
// saves (a DialogTitles key): "Open a file: INFO file".
QString dialogTitle(int generalKey, int subjectKey);
QString qs(const std::string& s);
// A menu text as a caption: without its mnemonic mark ("&About" -> "About", "&&" -> "&").
QString withoutMnemonic(QString text);
std::string ss(const QString& s);

// Shows the numeric-value message; afterwards empties the field when it still is not numeric.
void CheckNumeric(QLineEdit* field);

// The small modeless information window; a click anywhere on it closes it.
void showInfoWindow(QWidget* parent, const QString& caption, const QString& text);

// Opens a file or address with the desktop's associated application.
bool openWithAssociatedApp(const QString& pathOrUrl);
// The same, telling the user when the desktop has no application for it (a message, not a
// line on standard error).
bool openOrSay(QWidget* owner, const QString& pathOrUrl);
// Test hook: in test mode nothing is launched; what would have been opened is recorded, and the
// desktop answers as told (an application found, or none).
class OpenHooks {
public:
    static void setTestMode(bool on);
    static void setAnswer(bool found);
    static const QStringList& opened();
    static void clear();
};

// The window's main button: drawn as the default one, pressed by Enter or Return anywhere in the
// window (a tool window is no dialog, so Qt does neither by itself).
void makeDefault(QPushButton* button);
// Escape closes the window, as it closes a dialog.
void closeOnEscape(QWidget* window);

// Every label of the program shows its text as plain text: file names and titles read from files
// reach labels in many places, and none of the program's own texts is markup. Installed once on
// the application by the main window; labels take it when they are first shown.
void plainTextLabels();

// A label for a file name or a path: it never widens its window. A line longer than the label is
// shortened in the middle ("/home/…/film.avi"), whole in the tool tip; each line on its own.
class PathLabel : public QLabel {
public:
    explicit PathLabel(QWidget* parent = nullptr);
    void setFullText(const QString& text);
    const QString& fullText() const { return m_full; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    void elide();
    QString m_full;
};

// A button showing one of the desktop's standard icons, with its object name and tool tip.
QPushButton* iconButton(QWidget* owner, QStyle::StandardPixmap icon, const char* name, const QString& tip);

// The program's icon and logo, drawn rather than shipped as picture files.
QIcon appIcon();
// The icon at one size, for the packaged PNG files of the desktop's icon theme.
QImage appIconImage(int size);
QPixmap logoPixmap(int width, int height);

}  // namespace fw::gui
