// The editor as the user meets it: what marks a record edited, the context menu, CTRL+wheel
// zoom and its persistence, the 32,000-byte limit, link clicks and wrapping.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>
#include <QWheelEvent>
#include <map>

#include "base/AppState.h"
#include "base/Numbers.h"
#include "platform/Gui.h"
#include "ui/GuiTestSupport.h"
#include "ui/QtGuiTest.h"

namespace {

class EditorTest : public GuiTest {
protected:
    // A wheel turn of angle eighths of a degree; 120 is one notch of a classic wheel.
    void Wheel(Qt::KeyboardModifiers modifiers, int angle = 120) {
        QWidget* viewport = static_cast<QPlainTextEdit*>(Widget(kGadgetEditor))->viewport();
        QPointF at(20, 20);
        QWheelEvent event(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, angle), Qt::NoButton, modifiers,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewport, &event);
        Pump();
    }
    // Clicks at the middle of character position in the editor's first line.
    void ClickCharacter(int position) {
        QPlainTextEdit* editor = static_cast<QPlainTextEdit*>(Widget(kGadgetEditor));
        QTextCursor cursor(editor->document());
        cursor.setPosition(position);
        QRect rect = editor->cursorRect(cursor);
        QTest::mouseClick(editor->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center() + QPoint(3, 0));
        Pump();
    }
    // Right-clicks the editor and reads which entries of the menu that opens are enabled.
    // The context menu's entries and whether each is enabled, opened by the right button or,
    // with a key (Qt::Key_Menu, or Qt::Key_F10 with SHIFT), from the keyboard.
    std::map<std::string, bool> MenuEntries(int key = 0, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        std::map<std::string, bool> entries;
        QTimer::singleShot(0, [&entries] {
            QMenu* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu) return;
            for (QAction* action : menu->actions())
                if (!action->isSeparator())
                    entries[action->text().remove(QChar('&')).toStdString()] = action->isEnabled();
            menu->close();
        });
        QWidget* viewport = static_cast<QPlainTextEdit*>(Widget(kGadgetEditor))->viewport();
        if (key != 0) {
            QTest::keyClick(Widget(kGadgetEditor), static_cast<Qt::Key>(key), modifiers);
        } else {
            QTest::mousePress(viewport, Qt::RightButton, Qt::NoModifier, QPoint(20, 10));
            QTest::mouseRelease(viewport, Qt::RightButton, Qt::NoModifier, QPoint(20, 10));
        }
        Pump();
        return entries;
    }
};

TEST_F(EditorTest, ContextMenuGreysWhatWouldDoNothing) {
    StartProgram();
    QApplication::clipboard()->setText("pasted");
    std::map<std::string, bool> menu = MenuEntries();
    ASSERT_FALSE(menu.empty());
    EXPECT_TRUE(menu["Select All"]);
    EXPECT_TRUE(menu["Paste"]);
    EXPECT_FALSE(menu["Copy"]);  // no selection
    EXPECT_FALSE(menu["Cut"]);
    EXPECT_FALSE(menu["Undo"]);  // a loaded record has nothing to undo
    EXPECT_FALSE(menu["Redo"]);
    EXPECT_TRUE(menu["Find..."]);
    // The keyboard opens the same menu: the menu key, and SHIFT+F10.
    EXPECT_EQ(menu, MenuEntries(Qt::Key_Menu));
    EXPECT_EQ(menu, MenuEntries(Qt::Key_F10, Qt::ShiftModifier));
    EXPECT_EQ(0, g_app.unsavedEdit);

    Type("x");
    SetEditorSelection(kGadgetEditor, 0, 3);
    menu = MenuEntries();
    EXPECT_TRUE(menu["Copy"]);
    EXPECT_TRUE(menu["Cut"]);
    EXPECT_TRUE(menu["Undo"]);

    SetEditorReadOnly(kGadgetEditor, true);
    menu = MenuEntries();
    EXPECT_TRUE(menu["Copy"]);
    EXPECT_FALSE(menu["Cut"]);
    EXPECT_FALSE(menu["Paste"]);
    EXPECT_FALSE(menu["Undo"]);
}

TEST_F(EditorTest, EditingKeysMarkTheRecordEvenWithoutAChange) {
    StartProgram();
    EXPECT_EQ(0, g_app.unsavedEdit);   // loading is no edit
    Key(kGadgetEditor, 'X', kModAlt);  // a command key bound to nothing types nothing
    EXPECT_EQ(0, g_app.unsavedEdit);
    EXPECT_EQ("Record 1\r\n", EditorText(kGadgetEditor));
    Key(kGadgetEditor, 'C', kModCtrl);
    EXPECT_EQ(1, g_app.unsavedEdit);
    EXPECT_EQ("Record 1\r\n", EditorText(kGadgetEditor));
    for (int command : {kCmdUndo, kCmdRedo, kCmdCut, kCmdPaste}) {
        g_app.unsavedEdit = 0;
        PostWindowEvent(Event{kEventMenu, kWindowMain, command});
        Pump();
        EXPECT_EQ(1, g_app.unsavedEdit) << command;
    }
    g_app.unsavedEdit = 0;
    PostWindowEvent(Event{kEventMenu, kWindowMain, kCmdCopy});
    Pump();
    EXPECT_EQ(0, g_app.unsavedEdit);
    Key(kGadgetEditor, kKeyDelete);  // no character, but a change
    EXPECT_EQ(1, g_app.unsavedEdit);
}

TEST_F(EditorTest, CtrlWheelZoomsAndTheZoomSurvivesRecordChanges) {
    StartProgram();
    QFont before = Widget(kGadgetEditor)->font();
    Wheel(Qt::ControlModifier);
    EXPECT_EQ(110, g_app.options.zoom);
    EXPECT_EQ(1, g_app.settingsChanged);
    EXPECT_GT(Widget(kGadgetEditor)->font().pointSizeF(), before.pointSizeF());
    Shortcut('R', kModAlt);
    Key(kGadgetSelector, kKeyDown);
    EXPECT_EQ(110, EditorZoom(kGadgetEditor));
    g_app.settingsChanged = 0;
    Wheel(Qt::ControlModifier | Qt::ShiftModifier);
    Wheel(Qt::NoModifier, -120);
    EXPECT_EQ(110, g_app.options.zoom);
    EXPECT_EQ(0, g_app.settingsChanged);
    for (int i = 0; i < 60; ++i) Wheel(Qt::ControlModifier, -120);
    EXPECT_EQ(10, g_app.options.zoom);
}

TEST_F(EditorTest, PartsOfWheelStepsAddUpAndZoomKeysStepAndReset) {
    StartProgram();
    for (int i = 0; i < 4; ++i) Wheel(Qt::ControlModifier, 30);  // a touchpad's quarter steps
    EXPECT_EQ(110, g_app.options.zoom);
    Wheel(Qt::ControlModifier, 60);
    Wheel(Qt::ControlModifier, -60);  // half a step and back: no step either way
    EXPECT_EQ(110, g_app.options.zoom);
    std::string text = EditorText(kGadgetEditor);
    g_app.settingsChanged = 0;
    struct Step {
        int key;
        int zoom;
    } steps[] = {{kKeyPlus, 120}, {kKeyEqual, 130}, {kKeyMinus, 120}, {'0', 100}};
    for (const Step& step : steps) {
        Key(kGadgetEditor, step.key, kModCtrl);
        EXPECT_EQ(step.zoom, g_app.options.zoom) << step.key;
        EXPECT_EQ(step.zoom, EditorZoom(kGadgetEditor)) << step.key;
    }
    EXPECT_EQ(1, g_app.settingsChanged);
    EXPECT_EQ(text, EditorText(kGadgetEditor));
    EXPECT_EQ(0, g_app.unsavedEdit);
}

TEST_F(EditorTest, StoredZoomIsAppliedAtStartAndAnUnsupportedOneLeavesTheEditorAlone) {
    WriteFileBytes(g_app.settingsPath, "[Window]\r\nZoom=150\r\n");
    StartProgram();
    EXPECT_EQ(150, EditorZoom(kGadgetEditor));
    CloseWindow(kWindowMain);
    Pump();
    WriteFileBytes(g_app.settingsPath, "[Window]\r\nZoom=100000\r\n");
    StartProgram();
    EXPECT_EQ(100, EditorZoom(kGadgetEditor));
    EXPECT_EQ(100000, g_app.options.zoom);
}

TEST_F(EditorTest, TextBeyond32000BytesIsRefused) {
    StartProgram();
    QApplication::clipboard()->setText(QString(40000, QChar('z')));
    Shortcut('A', kModCtrl);
    PostWindowEvent(Event{kEventMenu, kWindowMain, kCmdPaste});
    Pump();
    EXPECT_EQ(32000u, EditorText(kGadgetEditor).size());
    Type("more");
    EXPECT_EQ(std::string(32000, 'z'), EditorText(kGadgetEditor));
    // Line breaks count as CR LF, and a character is never split.
    Shortcut('A', kModCtrl);
    QApplication::clipboard()->setText(QString(31999, QChar('a')) + QString::fromUtf8("\xC3\xA9\n"));
    PostWindowEvent(Event{kEventMenu, kWindowMain, kCmdPaste});
    Pump();
    EXPECT_EQ(std::string(31999, 'a'), EditorText(kGadgetEditor));
}

TEST_F(EditorTest, LinkClickOpensOnlyWithoutASelection) {
    WriteDataFile(g_app.dataPath, {"see http://example.com/a?b=1. now"});
    RecordStarts();
    StartProgram();
    ClickCharacter(8);
    ASSERT_EQ(1u, Started().size());
    EXPECT_EQ((std::vector<std::string>{"open", "http://example.com/a?b=1"}), Started()[0]);
    ClickCharacter(1);  // not on the link
    EXPECT_EQ(1u, Started().size());
    SetEditorSelection(kGadgetEditor, 0, 3);
    QPlainTextEdit* editor = static_cast<QPlainTextEdit*>(Widget(kGadgetEditor));
    QTextCursor cursor(editor->document());
    cursor.setPosition(8);
    QTest::mouseRelease(editor->viewport(), Qt::LeftButton, Qt::NoModifier, editor->cursorRect(cursor).center());
    Pump();
    EXPECT_EQ(1u, Started().size());
    EXPECT_EQ(0, g_app.unsavedEdit);
}

// U+202E turns the rest of its line around: the run would read as one address and open another.
TEST_F(EditorTest, TextThatReadsAsAnotherAddressIsNeitherUnderlinedNorOpened) {
    WriteDataFile(g_app.dataPath, {"see http://bank.example\xE2\x80\xAE/moc.live.example now\r\nsee http://a.example"});
    RecordStarts();
    StartProgram();
    QPlainTextEdit* editor = static_cast<QPlainTextEdit*>(Widget(kGadgetEditor));
    QTextBlock spoofed = editor->document()->firstBlock();
    ASSERT_TRUE(PumpUntil([&] { return !spoofed.next().layout()->formats().isEmpty(); }));  // the plain one is marked
    EXPECT_TRUE(spoofed.layout()->formats().isEmpty());
    for (int position : {5, 8, 20, 26}) ClickCharacter(position);
    EXPECT_TRUE(Started().empty());
    ClickCharacter(spoofed.next().position() + 8);
    ASSERT_EQ(1u, Started().size());
    EXPECT_EQ((std::vector<std::string>{"open", "http://a.example"}), Started()[0]);
}

TEST_F(EditorTest, WordwrapOption) {
    WriteDataFile(g_app.dataPath, {std::string(500, 'w')});
    WriteFileBytes(g_app.settingsPath, "[Options]\r\nWordwrap=0\r\n");
    StartProgram();
    QPlainTextEdit* editor = static_cast<QPlainTextEdit*>(Widget(kGadgetEditor));
    EXPECT_EQ(QPlainTextEdit::NoWrap, editor->lineWrapMode());
    EXPECT_GT(editor->horizontalScrollBar()->maximum(), 0);
    CloseWindow(kWindowMain);
    Pump();
    WriteFileBytes(g_app.settingsPath, "[Options]\r\nWordwrap=1\r\nBackground=-1\r\nText Color=255\r\n");
    StartProgram();
    editor = static_cast<QPlainTextEdit*>(Widget(kGadgetEditor));
    EXPECT_EQ(QPlainTextEdit::WidgetWidth, editor->lineWrapMode());
    EXPECT_NE(QColor(255, 0, 0), editor->palette().color(QPalette::Text));  // no colours at all
}

}  // namespace
