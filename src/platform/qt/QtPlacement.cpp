// Where the program's windows go on Qt: within the work area of the main window's screen,
// above an On Top main window; and the grab of every key and click while the program moves or
// sizes a window by keyboard.
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

// While Move or Size by keyboard runs, every key and click of the program goes to the window
// that runs it, and no shortcut acts.
class PlacementGrab : public QObject {
public:
    PlacementGrab(QWidget* window, int number) : QObject(window), window_(window), number_(number) {
        qApp->installEventFilter(this);
        window->grabKeyboard();
        window->grabMouse(QCursor(Qt::SizeAllCursor));
    }
    ~PlacementGrab() override { end(); }
    void end() {
        qApp->removeEventFilter(this);
        if (window_) {
            window_->releaseKeyboard();
            window_->releaseMouse();
        }
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::ShortcutOverride:
                event->accept();
                return true;
            case QEvent::KeyPress: {
                auto* key = static_cast<QKeyEvent*>(event);
                tell(KeyOf(key->key()) | (key->modifiers() & Qt::ControlModifier ? kPlaceFine : 0));
                return true;
            }
            case QEvent::KeyRelease:
                return true;
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick:
                tell(kPlaceKeep);
                return true;
            case QEvent::Hide:
            case QEvent::WindowDeactivate:
                if (watched == window_) tell(kPlaceKeep);
                return false;
            default:
                return false;
        }
    }

private:
    static int KeyOf(int key) {
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
    void tell(int key) { SendMessage(number_, Message{kMessagePlacementKey, key, std::string()}); }

    QPointer<QWidget> window_;
    int number_;
};

QPointer<PlacementGrab> s_grab;

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

void GrabForPlacement(int window, bool grab) {
    // Ended from inside the grab's own event filter: it goes once that returns.
    if (s_grab) {
        s_grab->end();
        s_grab->deleteLater();
        s_grab = nullptr;
    }
    QWidget* widget = WindowWidget(window);
    if (grab && widget && widget->isVisible()) s_grab = new PlacementGrab(widget, window);
}

bool IsPlacingByKeys() { return s_grab != nullptr; }

void ShowPlacementPointer(int x, int y, unsigned edges) {
    bool across = edges & (kEdgeLeft | kEdgeRight), upDown = edges & (kEdgeTop | kEdgeBottom);
    bool falling = (edges & (kEdgeLeft | kEdgeTop)) == (kEdgeLeft | kEdgeTop) ||
                   (edges & (kEdgeRight | kEdgeBottom)) == (kEdgeRight | kEdgeBottom);
    Qt::CursorShape shape = across && upDown ? (falling ? Qt::SizeFDiagCursor : Qt::SizeBDiagCursor)
                            : across         ? Qt::SizeHorCursor
                            : upDown         ? Qt::SizeVerCursor
                                             : Qt::SizeAllCursor;
    QGuiApplication::changeOverrideCursor(QCursor(shape));
    QWidget* main = WindowWidget(MainWindowNumber());
    QCursor::setPos(main ? main->screen() : QGuiApplication::primaryScreen(), x, y);
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
