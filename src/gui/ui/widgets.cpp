#include "gui/ui/widgets.h"

#include <algorithm>

#include <QDesktopServices>
#include <QImage>
#include <QApplication>
#include <QKeyEvent>
#include <QToolButton>
#include <QPointer>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>
#include <QVBoxLayout>
#include <QFileInfo>

#include "core/common/lang.h"
#include "core/common/text.h"
#include "gui/ui/msgbox.h"

namespace fw::gui {

QString lang(const char* section, int key) { return QString::fromStdString(fw::LangText(section, key)); }
QString qs(const std::string& s) { return QString::fromStdString(s); }
std::string ss(const QString& s) { return s.toStdString(); }

void CheckNumeric(QLineEdit* field) {
    MsgBox::show(field ? field->window() : nullptr, fw::checkNumericMessage(), QString());
    if (field && !fw::isNumeric(ss(field->text()))) field->setText(QString());
}

namespace {
class InfoWindow : public QWidget {
public:
    InfoWindow(QWidget* parent, const QString& caption, const QString& text) : QWidget(parent, Qt::Window) {
        setAttribute(Qt::WA_DeleteOnClose);
        setObjectName(QStringLiteral("frmInfo"));
        setWindowTitle(caption);
        auto* lay = new QVBoxLayout(this);
        auto* label = new QLabel(text, this);
        label->setObjectName(QStringLiteral("lblInfo"));
        label->setWordWrap(true);
        label->setTextInteractionFlags(Qt::NoTextInteraction);
        lay->addWidget(label);
        resize(420, 260);
        closeOnEscape(this);
    }

protected:
    void mousePressEvent(QMouseEvent*) override { close(); }
};
}  // namespace

void showInfoWindow(QWidget* parent, const QString& caption, const QString& text) {
    auto* w = new InfoWindow(parent, caption, text);
    w->show();
}

QString withoutMnemonic(QString text) {
    for (int i = 0; i < text.size(); ++i)
        if (text[i] == QLatin1Char('&')) text.remove(i, 1);  // "&&" keeps its second "&"
    return text;
}

namespace {
// Enter and Escape as a window sees them: only the keys no widget inside took. A line edit or a
// closed combo box lets them through; an open popup, a text editor or a focused button keeps
// them, so Escape in a combo box's list closes the list, not the window.
class WindowKeys : public QObject {
public:
    static WindowKeys* of(QWidget* window) {
        // No Q_OBJECT here, so findChild cannot tell this class from any other child: by name.
        auto* k = dynamic_cast<WindowKeys*>(window->findChild<QObject*>(kName, Qt::FindDirectChildrenOnly));
        return k ? k : new WindowKeys(window);
    }
    QPointer<QPushButton> defaultButton;
    bool closeOnEscape = false;

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (o != parent() || e->type() != QEvent::KeyPress) return false;
        const auto* k = static_cast<QKeyEvent*>(e);
        if ((k->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
        const bool enter = k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter;
        // A button with the focus is the one Enter means (outside a dialog Qt's buttons let
        // Enter pass): it is pressed, never the window's main button in its place.
        if (enter) {
            auto* focused = qobject_cast<QAbstractButton*>(QApplication::focusWidget());
            if (focused && (qobject_cast<QPushButton*>(focused) || qobject_cast<QToolButton*>(focused)) &&
                focused->window() == parent()) {
                if (focused->isEnabled()) focused->click();
                return true;
            }
        }
        if (enter && defaultButton && defaultButton->isEnabled() && defaultButton->isVisible()) {
            defaultButton->click();
            return true;
        }
        if (k->key() == Qt::Key_Escape && closeOnEscape) {
            static_cast<QWidget*>(parent())->close();
            return true;
        }
        return false;
    }

private:
    static constexpr const char* kName = "fwWindowKeys";
    explicit WindowKeys(QWidget* window) : QObject(window) {
        setObjectName(QLatin1String(kName));
        window->installEventFilter(this);
    }
};

class PlainTextLabels : public QObject {
public:
    static constexpr const char* kName = "fwPlainTextLabels";
    explicit PlainTextLabels(QObject* app) : QObject(app) { setObjectName(QLatin1String(kName)); }
    bool eventFilter(QObject* o, QEvent* e) override {
        // QLabel itself only: Qt's tool tips are labels of their own class, and a path label's
        // tool tip is escaped markup.
        if (e->type() == QEvent::Polish && o->metaObject() == &QLabel::staticMetaObject)
            static_cast<QLabel*>(o)->setTextFormat(Qt::PlainText);
        return false;
    }
};
}  // namespace

void plainTextLabels() {
    if (!qApp || qApp->findChild<QObject*>(QLatin1String(PlainTextLabels::kName), Qt::FindDirectChildrenOnly)) return;
    qApp->installEventFilter(new PlainTextLabels(qApp));
}

PathLabel::PathLabel(QWidget* parent) : QLabel(parent) {
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    // A file name such as "<b>x.avi" is a name, not markup.
    setTextFormat(Qt::PlainText);
}

void PathLabel::setFullText(const QString& text) {
    m_full = text;
    // A tool tip has no plain-text switch: the name goes in escaped, one path a line.
    setToolTip(text.isEmpty() ? QString() : QStringLiteral("<p style='white-space:pre'>%1</p>").arg(text.toHtmlEscaped()));
    elide();
    updateGeometry();
}

QSize PathLabel::sizeHint() const {
    const int lines = std::max<int>(1, static_cast<int>(m_full.count(QLatin1Char('\n'))) + 1);
    return {fontMetrics().averageCharWidth() * 20, lines * fontMetrics().lineSpacing()};
}

QSize PathLabel::minimumSizeHint() const { return {0, sizeHint().height()}; }

void PathLabel::resizeEvent(QResizeEvent* e) {
    QLabel::resizeEvent(e);
    elide();
}

void PathLabel::elide() {
    QStringList lines = m_full.split(QLatin1Char('\n'));
    for (auto& l : lines) l = fontMetrics().elidedText(l, Qt::ElideMiddle, std::max(width(), 1));
    QLabel::setText(lines.join(QLatin1Char('\n')));
}

void makeDefault(QPushButton* button) {
    button->setDefault(true);
    WindowKeys::of(button->window())->defaultButton = button;
}

void closeOnEscape(QWidget* window) { WindowKeys::of(window)->closeOnEscape = true; }

QString dialogTitle(int generalKey, int subjectKey) { return lang("General", generalKey) + QStringLiteral(": ") + lang("DialogTitles", subjectKey); }

namespace {
bool g_openTestMode = false;
bool g_openAnswer = true;
QStringList g_opened;
}  // namespace

void OpenHooks::setTestMode(bool on) {
    g_openTestMode = on;
    g_openAnswer = true;
}
void OpenHooks::setAnswer(bool found) { g_openAnswer = found; }
const QStringList& OpenHooks::opened() { return g_opened; }
void OpenHooks::clear() { g_opened.clear(); }

bool openWithAssociatedApp(const QString& pathOrUrl) {
    QUrl url = QFileInfo::exists(pathOrUrl) ? QUrl::fromLocalFile(pathOrUrl) : QUrl(pathOrUrl);
    if (g_openTestMode) {
        g_opened << url.toString();
        return g_openAnswer;
    }
    return QDesktopServices::openUrl(url);
}

bool openOrSay(QWidget* owner, const QString& pathOrUrl) {
    if (openWithAssociatedApp(pathOrUrl)) return true;
    MsgBox::show(owner, lang("General", 22) + QStringLiteral("\n") + pathOrUrl, owner ? owner->windowTitle() : QString(),
                 fw::Icon::Exclamation);
    return false;
}

QPushButton* iconButton(QWidget* owner, QStyle::StandardPixmap icon, const char* name, const QString& tip) {
    auto* b = new QPushButton(owner->style()->standardIcon(icon), QString(), owner);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(tip);
    return b;
}

QPixmap logoPixmap(int width, int height) {
    QPixmap pm(width, height);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, width, height);
    g.setColorAt(0, QColor(0x1d, 0x3b, 0x6e));
    g.setColorAt(1, QColor(0x3f, 0x8e, 0xc9));
    p.setBrush(g);
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(0, 0, width, height), height * 0.12, height * 0.12);
    // A strip of film frames along the top and bottom.
    p.setBrush(QColor(255, 255, 255, 60));
    const double hole = height * 0.08;
    for (double x = hole; x + hole < width; x += hole * 2.2) {
        p.drawRect(QRectF(x, hole * 0.6, hole, hole));
        p.drawRect(QRectF(x, height - hole * 1.6, hole, hole));
    }
    p.setPen(Qt::white);
    QFont f = p.font();
    f.setBold(true);
    f.setPixelSize(std::max(8, static_cast<int>(height * 0.32)));
    p.setFont(f);
    p.drawText(QRectF(0, 0, width, height), Qt::AlignCenter, QStringLiteral("Framewise"));
    return pm;
}

QImage appIconImage(int size) {
    // The same design as packaging/icons/org.framewise.Framewise.svg (a 64-unit square): a blue
    // rounded square, film holes along the top and bottom, a white "F" drawn as bars, so no font
    // is needed to draw it.
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1d, 0x3b, 0x6e));
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 10, 10);
    p.setBrush(QColor(255, 255, 255, 70));
    for (int x = 9; x <= 49; x += 10) {
        p.drawRect(QRectF(x, 6, 6, 5));
        p.drawRect(QRectF(x, 53, 6, 5));
    }
    p.setBrush(Qt::white);
    p.drawRect(QRectF(20, 15, 8, 34));  // the stem
    p.drawRect(QRectF(20, 15, 25, 7));  // the top bar
    p.drawRect(QRectF(20, 29, 20, 6));  // the middle bar
    return img;
}

QIcon appIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) icon.addPixmap(QPixmap::fromImage(appIconImage(size)));
    return icon;
}

}  // namespace fw::gui
