// Windows and gadgets by number, their keyboard shortcuts and menus. Window and gadget
// numbers are unique across the program, so one registry serves all windows.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QToolTip>
#include <algorithm>
#include <iterator>
#include <map>

#include "platform/qt/QtPrivate.h"

namespace {

struct WindowRecord {
    QPointer<JcWindow> widget;
    void (*callback)(const Message&) = nullptr;
    std::multimap<int, QPointer<QShortcut>> shortcuts;
    bool windowMenu = false;  // the program shows its own window menu
};

std::map<int, WindowRecord> s_windows;
std::map<int, QPointer<QWidget>> s_gadgets;

// A shortcut's key as Qt names it: the main keyboard's ENTER is Key_Return, the keypad's
// Key_Enter.
Qt::Key QtKey(int key) {
    static const Qt::Key named[] = {Qt::Key_Return,   Qt::Key_Enter,  Qt::Key_Escape, Qt::Key_Tab,  Qt::Key_Backspace,
                                    Qt::Key_Delete,   Qt::Key_Insert, Qt::Key_Space,  Qt::Key_Left, Qt::Key_Right,
                                    Qt::Key_Up,       Qt::Key_Down,   Qt::Key_Home,   Qt::Key_End,  Qt::Key_PageUp,
                                    Qt::Key_PageDown, Qt::Key_Plus,   Qt::Key_Minus,  Qt::Key_Equal};
    static_assert(std::size(named) == kNamedF1 - kNamedReturn, "one Qt key for each name before F1");
    if (key >= kNamedReturn && key < kNamedF1) return named[key - kNamedReturn];
    if (key >= kNamedF1 && key <= kNamedF12) return static_cast<Qt::Key>(Qt::Key_F1 + key - kNamedF1);
    return static_cast<Qt::Key>(key);  // letters and digits are their ASCII codes in Qt too
}

Qt::KeyboardModifiers QtModifiers(unsigned modifiers) {
    Qt::KeyboardModifiers held;
    if (modifiers & kWithCtrl) held |= Qt::ControlModifier;
    if (modifiers & kWithShift) held |= Qt::ShiftModifier;
    if (modifiers & kWithAlt) held |= Qt::AltModifier;
    return held;
}

JcWindow* Window(int window) {
    auto it = s_windows.find(window);
    return it == s_windows.end() ? nullptr : it->second.widget.data();
}

}  // namespace

JcWindow::JcWindow(int number, QWidget* owner, Qt::WindowFlags flags) : QWidget(owner, flags), number_(number) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    // Tips show over an inactive window too, as the classic tooltip control does.
    setAttribute(Qt::WA_AlwaysShowToolTips, true);
    qApp->installEventFilter(this);
}

void JcWindow::contextMenuEvent(QContextMenuEvent* event) {
    if (!s_windows[number_].windowMenu) return QWidget::contextMenuEvent(event);
    SendMessage(number_, Message{kMessageWindowMenu, 0, std::string()});
}

void JcWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    PostWindowEvent(Event{kEventClose, number_, 0});
}

void JcWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    PostWindowEvent(Event{kEventSize, number_, 0});
    notePlacement();
}

void JcWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    notePlacement();
}

namespace {

QSize FrameExtra(const QWidget* widget) { return widget->frameGeometry().size() - widget->geometry().size(); }

}  // namespace

// The outer rectangle asked for includes the frame, whose size is known only once the window
// manager has framed the window; until then the client takes the whole rectangle, and the
// first event with a frame corrects it.
void JcWindow::placeOuter(const QRect& outer) {
    move(outer.topLeft());
    resize(outer.size() - FrameExtra(this));
    show();
    // A frame with no width in the window's own pixels (a thin border at a large scale) is a
    // frame all the same: only no frame at all is one not known yet.
    if (!FrameExtra(this).isNull()) {
        resize(outer.size() - FrameExtra(this));
        lastNormalFrame_ = frameGeometry();
        return;
    }
    pendingOuter_ = outer;
    QTimer::singleShot(1000, this, [this] {
        pendingOuter_ = QRect();
        lastNormalFrame_ = frameGeometry();
    });
}

// Reports moves and sizes that the user made; placement by the program, maximising,
// minimising and restoring to the earlier size are not.
void JcWindow::notePlacement() {
    if (!isVisible() || windowState() != Qt::WindowNoState) return;
    if (pendingOuter_.isValid()) {
        if (FrameExtra(this).isNull()) return;
        // Only a client still at the size placed is corrected; any other size was chosen since.
        bool untouched = size() == pendingOuter_.size().expandedTo(minimumSize());
        QSize client = pendingOuter_.size() - FrameExtra(this);
        pendingOuter_ = QRect();
        if (untouched) resize(client);
        lastNormalFrame_ = frameGeometry();
        return;
    }
    QRect frame = frameGeometry();
    if (lastNormalFrame_.isValid() && frame != lastNormalFrame_)
        SendMessage(number_, Message{kMessageMovingOrSizing, 0, std::string()});
    lastNormalFrame_ = frame;
}

bool JcWindow::focusNextPrevChild(bool next) { return dialogKeys_ && QWidget::focusNextPrevChild(next); }

bool JcWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ToolTip && !toolTipsActive_) {
        QWidget* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == this) return true;
    }
    return false;
}

QWidget* WindowWidget(int window) { return Window(window); }

QWidget* GadgetWidget(int gadget) {
    auto it = s_gadgets.find(gadget);
    return it == s_gadgets.end() ? nullptr : it->second.data();
}

void RegisterGadget(int window, int gadget, QWidget* widget) {
    (void)window;
    s_gadgets[gadget] = widget;
}

void SendMessage(int window, const Message& message) {
    auto it = s_windows.find(window);
    if (it != s_windows.end() && it->second.callback) it->second.callback(message);
}

void OpenWindow(int window, Rect placement, const std::string& title, unsigned style) {
    if (style & kStyleMain) NoteMainWindow(window);
    Qt::WindowFlags flags = Qt::Window;
    QWidget* owner = nullptr;
    if (style & kStyleOwnedByMain) {
        owner = Window(MainWindowNumber());
        flags = Qt::Dialog;
    }
    if (!(style & kStyleSizable)) flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (style & kStyleCloseBox) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    JcWindow* widget = new JcWindow(window, owner, flags);
    widget->setDialogKeys(style & kStyleDialogKeys);
    widget->setWindowTitle(ToQString(title));
    if (!(style & kStyleMain)) {
        placement = FitClientIntoWorkArea(widget, placement);
        KeepAboveMainWindow(widget);
    }
    widget->move(placement.x, placement.y);
    if (style & kStyleSizable) widget->resize(placement.width, placement.height);
    else widget->setFixedSize(placement.width, placement.height);
    s_windows[window].widget = widget;
}

void CloseWindow(int window) {
    JcWindow* widget = Window(window);
    if (!widget) return;
    for (auto it = s_gadgets.begin(); it != s_gadgets.end();)
        it = (!it->second || it->second->window() == widget) ? s_gadgets.erase(it) : std::next(it);
    s_windows.erase(window);
    widget->hide();
    widget->deleteLater();
}

bool WindowExists(int window) { return Window(window) != nullptr; }

void ShowWindow(int window) {
    if (JcWindow* widget = Window(window)) widget->show();
}

void HideWindow(int window) {
    if (JcWindow* widget = Window(window)) widget->hide();
}

void SetWindowTitle(int window, const std::string& title) {
    if (JcWindow* widget = Window(window)) widget->setWindowTitle(ToQString(title));
}

// Room for a window manager's frame and title bar, in the screen's own pixels.
constexpr int kFrameRoom = 48;

void SetMinimumClientSize(int window, int width, int height) {
    JcWindow* widget = Window(window);
    if (!widget) return;
    // At a large scale the program's least size may be more than the screen holds: the screen
    // wins, less room for a frame, so that every part of the window can be reached.
    QScreen* screen = widget->screen() ? widget->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        QRect area = screen->availableGeometry();
        width = std::max(1, std::min(width, area.width() - kFrameRoom));
        height = std::max(1, std::min(height, area.height() - kFrameRoom));
    }
    widget->setMinimumSize(width, height);
}

void ClientSize(int window, int* width, int* height) {
    JcWindow* widget = Window(window);
    *width = widget ? widget->width() : 0;
    *height = widget ? widget->height() : 0;
}

void PlaceWindow(int window, Rect outer) {
    if (!IsPlacingByKeys()) outer = FitIntoScreenAt(outer);
    if (JcWindow* widget = Window(window)) widget->placeOuter(QRect(outer.x, outer.y, outer.width, outer.height));
}

bool NormalOuterRect(int window, Rect* outer) {
    JcWindow* widget = Window(window);
    if (!widget || (widget->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)))
        return false;
    *outer = ToRect(widget->frameGeometry());
    return true;
}

bool OuterRectOnScreen(int window, Rect* outer) {
    JcWindow* widget = Window(window);
    if (!widget) return false;
    *outer = ToRect(widget->frameGeometry());
    return true;
}

void RestoreAndRaise(int window) {
    JcWindow* widget = Window(window);
    if (!widget) return;
    widget->showNormal();
    widget->raise();
    widget->activateWindow();
}

void RaiseWindow(int window) {
    if (JcWindow* widget = Window(window)) {
        widget->raise();
        widget->activateWindow();
    }
}

void EnableWindow(int window, bool enabled) {
    if (JcWindow* widget = Window(window)) widget->setEnabled(enabled);
}

void SetMessageCallback(int window, void (*callback)(const Message&)) { s_windows[window].callback = callback; }

void CreateButton(int window, int gadget, Rect r, const std::string& label) {
    QPushButton* button = new QPushButton(ToQString(label), Window(window));
    button->setAutoDefault(false);
    // Outside a dialog the window's own shortcuts carry the ALT keys that the labels underline:
    // a button's mnemonic beside them would make both ambiguous, and neither would act.
    JcWindow* parent = Window(window);
    if (parent && !parent->dialogKeys()) button->setShortcut(QKeySequence());
    button->setGeometry(r.x, r.y, r.width, r.height);
    QObject::connect(button, &QPushButton::clicked, [window, gadget] {
        DeliverWindowEvent(Event{kEventGadget, window, gadget});
    });
    RegisterGadget(window, gadget, button);
}

void CreateCheckbox(int window, int gadget, Rect r, const std::string& label) {
    QCheckBox* box = new QCheckBox(ToQString(label), Window(window));
    box->setGeometry(r.x, r.y, r.width, r.height);
    QObject::connect(box, &QCheckBox::clicked, [window, gadget] {
        DeliverWindowEvent(Event{kEventGadget, window, gadget});
    });
    RegisterGadget(window, gadget, box);
}

void SetGadgetRect(int gadget, Rect r) {
    if (QWidget* widget = GadgetWidget(gadget)) widget->setGeometry(r.x, r.y, r.width, r.height);
}

void SetToolTip(int gadget, const std::string& text) {
    if (QWidget* widget = GadgetWidget(gadget)) widget->setToolTip(EscapeTipText(ToQString(text)));
}

void SetToolTipsActive(int window, bool active) {
    if (JcWindow* widget = Window(window)) widget->setToolTipsActive(active);
    if (!active) QToolTip::hideText();
}

void DisableGadget(int gadget, bool disabled) {
    if (QWidget* widget = GadgetWidget(gadget)) widget->setEnabled(!disabled);
}

bool IsGadgetEnabled(int gadget) {
    QWidget* widget = GadgetWidget(gadget);
    return widget && widget->isEnabled();
}

// The style draws focus frames in a window whose focus a key moved; the toolkit marks the
// window so only for its own TAB handling, so the moves of the program's keys mark it here.
void FocusGadget(int gadget, FocusRoute route) {
    QWidget* widget = GadgetWidget(gadget);
    if (!widget) return;
    if (route == kFocusByProgram) {
        widget->setFocus(Qt::OtherFocusReason);
        return;
    }
    widget->window()->setAttribute(Qt::WA_KeyboardFocusChange);
    widget->setFocus(route == kFocusBackByKey ? Qt::BacktabFocusReason : Qt::TabFocusReason);
    widget->update();
}

void NameGadget(int gadget, const std::string& name) {
    QWidget* widget = GadgetWidget(gadget);
    if (!widget) return;
    widget->setAccessibleName(ToQString(name));
    // On Linux, Qt gives a list's accessible name its chosen entry: a screen reader hears the
    // list's own name in the description, which would otherwise be the tooltip, or nothing.
    if (qobject_cast<QComboBox*>(widget)) widget->setAccessibleDescription(ToQString(name));
}

int FocusedGadget() {
    QWidget* focus = QApplication::focusWidget();
    for (const auto& [number, widget] : s_gadgets)
        if (widget && (widget == focus || widget->isAncestorOf(focus))) return number;
    return 0;
}

void PressGadget(int gadget) {
    if (QAbstractButton* button = qobject_cast<QAbstractButton*>(GadgetWidget(gadget))) button->click();
}

bool IsChecked(int gadget) {
    QAbstractButton* button = qobject_cast<QAbstractButton*>(GadgetWidget(gadget));
    return button && button->isChecked();
}

void SetChecked(int gadget, bool checked) {
    if (QAbstractButton* button = qobject_cast<QAbstractButton*>(GadgetWidget(gadget))) button->setChecked(checked);
}

void AddShortcut(int window, const Shortcut& keys) {
    JcWindow* widget = Window(window);
    if (!widget) return;
    int command = keys.command;
    QShortcut* shortcut =
        new QShortcut(QKeySequence(QKeyCombination(QtModifiers(keys.modifiers), QtKey(keys.key))), widget);
    shortcut->setContext(Qt::WindowShortcut);
    shortcut->setAutoRepeat(false);
    QObject::connect(shortcut, &QShortcut::activated, [window, command] {
        DeliverWindowEvent(Event{kEventMenu, window, command});
    });
    s_windows[window].shortcuts.emplace(command, shortcut);
}

void SetShortcutEnabled(int window, int command, bool enabled) {
    auto range = s_windows[window].shortcuts.equal_range(command);
    for (auto it = range.first; it != range.second; ++it)
        if (it->second) it->second->setEnabled(enabled);
}

void ShowContextMenu(int window, const std::vector<MenuItem>& items, int x, int y) {
    QMenu top(Window(window));
    QMenu* current = &top;
    std::map<QAction*, int> commands;
    for (const MenuItem& item : items) {
        if (item.command == 0) {
            current->addSeparator();
        } else if (item.command == -1) {
            current = top.addMenu(ToQString(item.label));
        } else if (item.command == -2) {
            current = &top;
        } else {
            QAction* action = current->addAction(ToQString(item.label));
            action->setEnabled(item.enabled);
            commands[action] = item.command;
        }
    }
    QAction* chosen = top.exec(x == kAtPointer && y == kAtPointer ? QCursor::pos() : QPoint(x, y));
    if (chosen && commands.count(chosen)) DeliverWindowEvent(Event{kEventMenu, window, commands[chosen]});
}

bool SetWindowMenuTools(int window, const std::vector<MenuItem>&) {
    s_windows[window].windowMenu = true;
    return false;
}

WindowShow ShownAs(int window) {
    JcWindow* widget = Window(window);
    Qt::WindowStates state = widget ? widget->windowState() : Qt::WindowNoState;
    return state & Qt::WindowMinimized ? kShownMinimised : state & Qt::WindowMaximized ? kShownMaximised : kShownNormal;
}

void ShowAs(int window, WindowShow how) {
    JcWindow* widget = Window(window);
    if (!widget) return;
    // The focus comes back from a menu through the window system; taken after a state change,
    // it undoes a Minimise (seen with a button focused).
    QGuiApplication::sync();
    QCoreApplication::processEvents();
    if (how == kShownNormal) widget->showNormal();
    if (how == kShownMinimised) widget->showMinimized();
    if (how == kShownMaximised) widget->showMaximized();
}
