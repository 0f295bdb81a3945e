// The test input seam on Qt: keys and clicks through QTest, which sends them as the window
// system would (the shortcut map first, then the focused widget), and the toolkit's queue run
// by QApplication. Linked into the window tests only, never into the program.
#include <QAbstractButton>
#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTimer>
#include <QToolTip>
#include <QWheelEvent>

#include "TestInput.h"
#include "platform/qt/QtPrivate.h"
#include "ui/QtGuiTest.h"
#include "ui/StandIns.h"

namespace {

Qt::Key QtKey(int key) {
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) return static_cast<Qt::Key>(key);
    switch (key) {
        case kKeyEnter:
            return Qt::Key_Return;
        case kKeyEscape:
            return Qt::Key_Escape;
        case kKeyTab:
            return Qt::Key_Tab;
        case kKeyBackspace:
            return Qt::Key_Backspace;
        case kKeyDelete:
            return Qt::Key_Delete;
        case kKeyInsert:
            return Qt::Key_Insert;
        case kKeySpace:
            return Qt::Key_Space;
        case kKeyLeft:
            return Qt::Key_Left;
        case kKeyRight:
            return Qt::Key_Right;
        case kKeyUp:
            return Qt::Key_Up;
        case kKeyDown:
            return Qt::Key_Down;
        case kKeyHome:
            return Qt::Key_Home;
        case kKeyEnd:
            return Qt::Key_End;
        case kKeyPageUp:
            return Qt::Key_PageUp;
        case kKeyPageDown:
            return Qt::Key_PageDown;
        case kKeyF1:
            return Qt::Key_F1;
        case kKeyF2:
            return Qt::Key_F2;
        case kKeyF3:
            return Qt::Key_F3;
        case kKeyPlus:
            return Qt::Key_Plus;
        case kKeyMinus:
            return Qt::Key_Minus;
        case kKeyEqual:
            return Qt::Key_Equal;
        case kKeyF10:
            return Qt::Key_F10;
        case kKeyMenu:
            return Qt::Key_Menu;
        default:
            return Qt::Key_unknown;
    }
}

Qt::KeyboardModifiers QtModifiers(unsigned modifiers) {
    Qt::KeyboardModifiers result = Qt::NoModifier;
    if (modifiers & kModShift) result |= Qt::ShiftModifier;
    if (modifiers & kModCtrl) result |= Qt::ControlModifier;
    if (modifiers & kModAlt) result |= Qt::AltModifier;
    return result;
}

// SHIFT+TAB reaches a widget as the back-tab key, as from a real keyboard.
Qt::Key Shifted(Qt::Key key, unsigned modifiers) {
    return key == Qt::Key_Tab && (modifiers & kModShift) ? Qt::Key_Backtab : key;
}

QWidget* Target(int gadget) {
    if (gadget) return GadgetWidget(gadget);
    if (QWidget* focus = QApplication::focusWidget()) return focus;
    if (QWidget* active = QApplication::activeWindow()) return active;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && dynamic_cast<JcWindow*>(window)) return window;
    return nullptr;
}

int NumberOf(QWidget* window) {
    JcWindow* jc = dynamic_cast<JcWindow*>(window);
    return jc ? jc->number() : 0;
}

}  // namespace

// What a label shows, read as the label reads its text: markup rendered, a mnemonic taken.
std::string ShownText(const QLabel* label) {
    if (!label) return "<no label>";
    QString text = label->text();
    Qt::TextFormat format = label->textFormat();
    if (format == Qt::RichText || (format == Qt::AutoText && Qt::mightBeRichText(text))) {
        QTextDocument document;
        document.setHtml(text);
        return document.toPlainText().toStdString();
    }
    if (!label->buddy()) return text.toStdString();
    QString shown;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&') && i + 1 < text.size()) ++i;
        shown += text[i];
    }
    return shown.toStdString();
}

// The keypad's keys come with a modifier of their own.
void SendTestKey(int gadget, int key, unsigned modifiers) {
    QWidget* target = Target(gadget);
    if (!target) return;
    if (key == kKeyPadEnter) {
        QTest::keyClick(target, Qt::Key_Enter, QtModifiers(modifiers) | Qt::KeypadModifier);
        return;
    }
    QTest::keyClick(target, Shifted(QtKey(key), modifiers), QtModifiers(modifiers));
}

// Beyond ASCII a character comes with no key of its own, as a keyboard of its script sends it.
void TypeTestText(int gadget, const std::string& utf8) {
    QWidget* target = Target(gadget);
    if (!target) return;
    for (uint c : QString::fromStdString(utf8).toUcs4()) {
        if (c < 0x80) {
            QTest::keyClick(target, static_cast<char>(c));
        } else {
            QString text = QString::fromUcs4(reinterpret_cast<const char32_t*>(&c), 1);
            QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, text, Qt::NoModifier);
        }
    }
}

void ProcessWindowEvents() { QCoreApplication::processEvents(); }

void WaitForWindowEvents(int milliseconds) { QTest::qWait(milliseconds); }

void ActivateTestWindow(int window) {
    QWidget* widget = WindowWidget(window);
    if (!widget) return;
    widget->activateWindow();
    QApplication::setActiveWindow(widget);
}

int ActiveTestWindow() { return NumberOf(QApplication::activeWindow()); }

int FocusedWindow() {
    QWidget* focus = QApplication::focusWidget();
    return NumberOf(focus ? focus->window() : QApplication::activeWindow());
}

void ClickTestGadget(int gadget) {
    if (QWidget* widget = GadgetWidget(gadget)) QTest::mouseClick(widget, Qt::LeftButton);
}

// Over a scrolling view the button reaches its viewport, the widget under the pointer.
void RightClickTestGadget(int gadget) {
    QWidget* widget = GadgetWidget(gadget);
    if (!widget) return;
    if (auto* area = qobject_cast<QAbstractScrollArea*>(widget)) widget = area->viewport();
    QPoint middle = widget->rect().center();
    QTest::mousePress(widget, Qt::RightButton, Qt::NoModifier, middle);
    QTest::mouseRelease(widget, Qt::RightButton, Qt::NoModifier, middle);
}

void WheelTestGadget(int gadget, int notches, unsigned modifiers) {
    WheelTestGadgetBy(gadget, 120 * notches, modifiers);
}

// Over a scrolling view the wheel reaches its viewport, the widget under the pointer.
void WheelTestGadgetBy(int gadget, int delta, unsigned modifiers) {
    QWidget* widget = GadgetWidget(gadget);
    if (!widget) return;
    if (auto* area = qobject_cast<QAbstractScrollArea*>(widget)) widget = area->viewport();
    QPointF at = widget->rect().center();
    QWheelEvent wheel(at, widget->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, QtModifiers(modifiers),
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &wheel);
}

void SetTestClipboardText(const std::string& utf8) { QApplication::clipboard()->setText(QString::fromStdString(utf8)); }

namespace {

// The middle of a character: its caret's place, a little to the right.
QPoint CharacterPoint(QPlainTextEdit* editor, int position) {
    QTextCursor cursor(editor->document());
    cursor.setPosition(position);
    return editor->cursorRect(cursor).center() + QPoint(3, 0);
}

}  // namespace

void ClickTestEditorCharacter(int gadget, int position) {
    if (auto* editor = qobject_cast<QPlainTextEdit*>(GadgetWidget(gadget)))
        QTest::mouseClick(editor->viewport(), Qt::LeftButton, Qt::NoModifier, CharacterPoint(editor, position));
}

void ReleaseTestMouseOverEditorCharacter(int gadget, int position) {
    if (auto* editor = qobject_cast<QPlainTextEdit*>(GadgetWidget(gadget)))
        QTest::mouseRelease(editor->viewport(), Qt::LeftButton, Qt::NoModifier, CharacterPoint(editor, position));
}

// The highlighter marks a link with a format range of its block's layout.
bool IsTestEditorLinkAt(int gadget, int position) {
    auto* editor = qobject_cast<QPlainTextEdit*>(GadgetWidget(gadget));
    if (!editor) return false;
    QTextBlock block = editor->document()->findBlock(position);
    if (!block.isValid() || !block.layout()) return false;
    int column = position - block.position();
    for (const QTextLayout::FormatRange& range : block.layout()->formats())
        if (column >= range.start && column < range.start + range.length) return true;
    return false;
}

Rect TestGadgetRect(int gadget) {
    QWidget* widget = GadgetWidget(gadget);
    if (!widget) return Rect{0, 0, 0, 0};
    QPoint origin = widget->mapToGlobal(QPoint(0, 0));
    return Rect{origin.x(), origin.y(), widget->width(), widget->height()};
}

Rect TestClientRect(int window) {
    QWidget* widget = WindowWidget(window);
    if (!widget) return Rect{0, 0, 0, 0};
    QPoint origin = widget->mapToGlobal(QPoint(0, 0));
    return Rect{origin.x(), origin.y(), widget->width(), widget->height()};
}

std::string TestWindowTitle(int window) {
    QWidget* widget = WindowWidget(window);
    return widget ? widget->windowTitle().toStdString() : std::string();
}

void ShowTestWindowAs(int window, TestWindowState state) {
    QWidget* widget = WindowWidget(window);
    if (!widget) return;
    if (state == kTestMaximised) {
        widget->showMaximized();
    } else if (state == kTestMinimised) {
        widget->showMinimized();
    } else {
        widget->showNormal();
    }
}

// Offscreen there is no window manager: the move it would make arrives as the widget's.
void DragTestWindow(int window, int dx, int dy) {
    if (QWidget* widget = WindowWidget(window)) widget->move(widget->pos() + QPoint(dx, dy));
}

void DragTestWindowCorner(int window, int dx, int dy) {
    if (QWidget* widget = WindowWidget(window)) widget->resize(widget->size() + QSize(dx, dy));
}

bool IsTestWindowOnTop(int window) {
    QWidget* widget = WindowWidget(window);
    return widget && widget->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

bool IsTestWindowVisible(int window) {
    QWidget* widget = WindowWidget(window);
    return widget && widget->isVisible();
}

bool IsTestWindowEnabled(int window) {
    QWidget* widget = WindowWidget(window);
    return widget && widget->isEnabled();
}

std::string TestGadgetLabel(int gadget) {
    QAbstractButton* button = qobject_cast<QAbstractButton*>(GadgetWidget(gadget));
    return button ? button->text().toStdString() : std::string();
}

// The parts sit in the item's data from Qt::UserRole on, in the order of ResultRow's fields.
std::vector<ResultRow> TestResultRows(int gadget) {
    std::vector<ResultRow> rows;
    QListWidget* list = qobject_cast<QListWidget*>(GadgetWidget(gadget));
    for (int i = 0; list && i < list->count(); ++i) {
        auto part = [list, i](int n) { return list->item(i)->data(Qt::UserRole + n).toString().toStdString(); };
        rows.push_back(ResultRow{part(0), part(1), part(2), part(3)});
    }
    return rows;
}

std::string TestGadgetShownText(int gadget) { return ShownText(qobject_cast<QLabel*>(GadgetWidget(gadget))); }

namespace {

Rect s_modalRect;

}  // namespace

std::string ShownModalText(const std::function<void()>& step) {
    std::string shown = "<no box>";
    QTimer waiter;
    QObject::connect(&waiter, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) return;
        waiter.stop();
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box) {
            modal->close();
            return;
        }
        shown = ShownText(box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label")));
        QRect frame = box->frameGeometry();
        s_modalRect = Rect{frame.x(), frame.y(), frame.width(), frame.height()};
        box->buttons().first()->click();
    });
    waiter.start(1);
    SetUnattended(false);
    step();
    SetUnattended(true);
    return shown;
}

Rect ShownModalRect() { return s_modalRect; }

std::vector<TestMenuEntry> ShownMenuEntries(const std::function<void()>& step) {
    std::vector<TestMenuEntry> entries;
    QTimer waiter;
    QObject::connect(&waiter, &QTimer::timeout, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) return;
        waiter.stop();
        for (QAction* action : menu->actions())
            if (!action->isSeparator())
                entries.push_back(TestMenuEntry{action->text().remove(QChar('&')).toStdString(), action->isEnabled()});
        menu->close();
    });
    waiter.start(1);
    step();
    return entries;
}

void OpenTestSelectorList(int gadget, bool open) {
    QComboBox* selector = qobject_cast<QComboBox*>(GadgetWidget(gadget));
    if (!selector) return;
    if (open) {
        selector->showPopup();
    } else {
        selector->hidePopup();
    }
}

std::string TestEditorTip(int gadget) {
    (void)gadget;
    return QToolTip::isVisible() ? QToolTip::text().toStdString() : std::string();
}

int TestEditorLineCount(int gadget) {
    QPlainTextEdit* editor = qobject_cast<QPlainTextEdit*>(GadgetWidget(gadget));
    if (!editor) return 0;
    int lines = 0;
    QAbstractTextDocumentLayout* layout = editor->document()->documentLayout();
    for (QTextBlock block = editor->document()->begin(); block.isValid(); block = block.next()) {
        layout->blockBoundingRect(block);  // lays the block out
        lines += block.layout() ? block.layout()->lineCount() : 1;
    }
    return lines;
}

TestFont TestEditorFont(int gadget) {
    QWidget* editor = GadgetWidget(gadget);
    return editor ? TestFont{editor->font().pointSizeF(), editor->font().bold()} : TestFont{0, false};
}

void WatchTestEditorText(int gadget, std::function<void()> changed) {
    if (QPlainTextEdit* editor = qobject_cast<QPlainTextEdit*>(GadgetWidget(gadget)))
        QObject::connect(editor, &QPlainTextEdit::textChanged, editor, [changed] { changed(); });
}

namespace {
QTimer* s_ticker = nullptr;
int s_ticks = 0;
}  // namespace

void StartTestTicks(int milliseconds) {
    s_ticks = 0;
    delete s_ticker;
    s_ticker = new QTimer;
    QObject::connect(s_ticker, &QTimer::timeout, [] { ++s_ticks; });
    s_ticker->start(milliseconds);
}

int StopTestTicks() {
    delete s_ticker;
    s_ticker = nullptr;
    return s_ticks;
}
