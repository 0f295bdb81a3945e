// Where the program's windows go on Qt: within the work area of the main window's screen,
// above an On Top main window, and the window menu's Move and Size from the keyboard. The
// rules are the toolkit-free ones of platform/Placement.h; this file asks Qt for the
// rectangles and the keys.
#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

#include "platform/Placement.h"
#include "platform/qt/QtPrivate.h"

namespace {

bool MainStaysOnTop() {
    QWidget* main = WindowWidget(MainWindowNumber());
    return main && main->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void SetStaysOnTop(QWidget* window, bool onTop) {
    if (window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == onTop) return;
    bool visible = window->isVisible();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (visible) window->show();
}

// The frame the window manager gives a window, known only once it is shown; until then the
// main window's stands in for it, and before the main window shows, room for a usual frame.
QSize FrameOf(const QWidget* window) {
    QSize own = window->frameGeometry().size() - window->geometry().size();
    if (!own.isNull() || window->isVisible()) return own;
    QWidget* main = WindowWidget(MainWindowNumber());
    return main && main->isVisible() ? main->frameGeometry().size() - main->geometry().size() : QSize(8, 32);
}

QRect ToQRect(const Rect& r) { return QRect(r.x, r.y, r.width, r.height); }

// Moves and sizes a window by its outer rectangle.
void PlaceOuter(QWidget* window, const Rect& outer) {
    QSize frame = FrameOf(window);
    window->move(outer.x, outer.y);
    window->resize(QSize(outer.width, outer.height) - frame);
}

// The window menu's Move and Size from the keyboard. The window system has no such mode for a
// client everywhere (Wayland, no window manager, managers that ignore the request), so the
// program runs its own: every key and click comes here until ENTER, ESC or a click ends it.
class PlacementMode : public QObject {
public:
    PlacementMode(QWidget* window, bool sizing) : QObject(window), window_(window) {
        QSize least = window->minimumSize() + FrameOf(window);
        placement_ = StartPlacementByKeys(ToRect(window->frameGeometry()), sizing, least.width(), least.height(),
                                          ToRect(WorkArea()));
        qApp->installEventFilter(this);
        window->grabKeyboard();
        window->grabMouse(QCursor(Qt::SizeAllCursor));
        showMode();
    }
    ~PlacementMode() override { end(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::ShortcutOverride:  // no shortcut acts while the mode runs
                event->accept();
                return true;
            case QEvent::KeyPress:
                step(static_cast<QKeyEvent*>(event));
                return true;
            case QEvent::KeyRelease:
                return true;
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick:
                finish();
                return true;
            case QEvent::Hide:
            case QEvent::WindowDeactivate:
                if (watched == window_) finish();
                return false;
            default:
                return false;
        }
    }

private:
    static PlacementKey KeyOf(int key) {
        switch (key) {
            case Qt::Key_Left:
                return kPlaceLeft;
            case Qt::Key_Right:
                return kPlaceRight;
            case Qt::Key_Up:
                return kPlaceUp;
            case Qt::Key_Down:
                return kPlaceDown;
            case Qt::Key_Return:
            case Qt::Key_Enter:
                return kPlaceKeep;
            case Qt::Key_Escape:
                return kPlaceRestore;
            default:
                return kPlaceOther;
        }
    }
    void step(QKeyEvent* key) {
        Rect before = placement_.current;
        bool goesOn = StepPlacementByKeys(&placement_, KeyOf(key->key()), key->modifiers() & Qt::ControlModifier);
        const Rect& now = placement_.current;
        if (now.x != before.x || now.y != before.y || now.width != before.width || now.height != before.height)
            PlaceOuter(window_, now);
        if (goesOn) showMode();
        else finish();
    }
    // The pointer stands where a mouse would take the window, its shape says which way.
    void showMode() {
        unsigned edges = placement_.sizing ? placement_.edges : 0;
        bool across = edges & (kEdgeLeft | kEdgeRight), upDown = edges & (kEdgeTop | kEdgeBottom);
        bool falling = (edges & (kEdgeLeft | kEdgeTop)) == (kEdgeLeft | kEdgeTop) ||
                       (edges & (kEdgeRight | kEdgeBottom)) == (kEdgeRight | kEdgeBottom);
        Qt::CursorShape shape = across && upDown ? (falling ? Qt::SizeFDiagCursor : Qt::SizeBDiagCursor)
                                : across         ? Qt::SizeHorCursor
                                : upDown         ? Qt::SizeVerCursor
                                                 : Qt::SizeAllCursor;
        QGuiApplication::changeOverrideCursor(QCursor(shape));
        int x, y;
        PlacementPointer(placement_, &x, &y);
        QCursor::setPos(window_->screen(), x, y);
    }
    void end() {
        if (ended_) return;
        ended_ = true;
        qApp->removeEventFilter(this);
        if (window_) {
            window_->releaseKeyboard();
            window_->releaseMouse();
        }
    }
    void finish() {
        end();
        deleteLater();
    }

    QPointer<QWidget> window_;
    PlacementByKeys placement_;
    bool ended_ = false;
};

}  // namespace

namespace {

// At a scale the screen's size is rounded to whole pixels of the program's, and a frame of a
// pixel or two of the screen's rounds to none: one pixel of room on each side keeps a window
// that fills the area on the screen, frame and all.
QRect ScaledArea(const QScreen* screen) {
    QRect area = screen->availableGeometry();
    return screen->devicePixelRatio() > 1 ? area.adjusted(1, 1, -1, -1) : area;
}

}  // namespace

QRect WorkArea() {
    QWidget* main = WindowWidget(MainWindowNumber());
    QScreen* screen = main ? main->screen() : QGuiApplication::primaryScreen();
    return screen ? ScaledArea(screen) : QRect(0, 0, 1024, 768);
}

void KeepAboveMainWindow(QWidget* window) {
    if (MainStaysOnTop()) window->setWindowFlag(Qt::WindowStaysOnTopHint, true);
}

Rect FitClientIntoWorkArea(QWidget* window, Rect placement) {
    QSize frame = FrameOf(window);
    Rect outer =
        FitIntoArea(Rect{placement.x, placement.y, placement.width + frame.width(), placement.height + frame.height()},
                    ToRect(WorkArea()));
    return Rect{outer.x, outer.y, outer.width - frame.width(), outer.height - frame.height()};
}

void BoundToWorkArea(QWidget* window) { window->setMaximumSize(WorkArea().size() - FrameOf(window)); }

Rect FitIntoScreenAt(Rect outer) {
    QScreen* screen = QGuiApplication::screenAt(ToQRect(outer).center());
    if (!screen) screen = QGuiApplication::primaryScreen();
    return screen ? FitIntoArea(outer, ToRect(ScaledArea(screen))) : outer;
}

void MoveOrSizeByKeys(QWidget* window, bool sizing) {
    if (window && window->isVisible()) new PlacementMode(window, sizing);
}

// While the main window stays on top, so do the program's other windows: none opens or
// stays behind it.
void SetOnTop(int window, bool onTop) {
    QWidget* widget = WindowWidget(window);
    if (!widget) return;
    SetStaysOnTop(widget, onTop);
    if (window != MainWindowNumber()) return;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top != widget && (top->windowType() == Qt::Window || top->windowType() == Qt::Dialog))
            SetStaysOnTop(top, onTop);
}
