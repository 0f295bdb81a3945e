// Where the editor's text becomes slot bytes: records kept in their own encoding, the byte
// limit counted as the save stores, every input route limited alike, every route off a record
// saving it first, and a text that cannot be stored whole never cut.
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolTip>

#include "app/MainLoop.h"
#include "base/AppState.h"
#include "base/Numbers.h"
#include "platform/Gui.h"
#include "ui/Commands.h"
#include "ui/GuiTestSupport.h"
#include "ui/QtGuiTest.h"
#include "ui/records/Load.h"
#include "ui/records/RecordList.h"

namespace {

class TextBoundaryTest : public GuiTest {
protected:
    QPlainTextEdit* Editor() { return static_cast<QPlainTextEdit*>(Widget(kGadgetEditor)); }
    QString Shown() { return Editor()->document()->toRawText().replace(QChar::ParagraphSeparator, QChar('\n')); }
    void Paste(const QString& text) {
        QApplication::clipboard()->setText(text);
        Key(kGadgetEditor, 'V', kModCtrl);
    }
    void Commit(const QString& text) {
        QInputMethodEvent event;
        event.setCommitString(text);
        QApplication::sendEvent(Editor(), &event);
        Pump();
    }
    void Drop(const QString& text) {
        QMimeData data;
        data.setText(text);
        QPoint at(20, 10);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Editor()->viewport(), &enter);
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Editor()->viewport(), &drop);
        Pump();
    }
    void ToEnd() {
        QTextCursor cursor = Editor()->textCursor();
        cursor.movePosition(QTextCursor::End);
        Editor()->setTextCursor(cursor);
    }
    // Saves through a save point, as ALT+R does.
    void SaveByCommand() { RunCommand(kCmdFocusSelector); }
};

TEST_F(TextBoundaryTest, AWindows1252RecordIsStoredAgainInWindows1252AndWhole) {
    const std::string full = "Titel\r\n" + std::string(31993, '\xE9');
    WriteDataFile(g_app.dataPath, {full, "second"});
    StartProgram();
    Key(kGadgetEditor, 'C', kModCtrl);  // marks it edited, changes nothing
    SaveByCommand();
    EXPECT_EQ(full, Record(0));
    EXPECT_TRUE(MessageBoxTexts().empty());
    // Full: nothing more fits, and a character Windows-1252 lacks would need UTF-8, twice the size.
    FocusGadget(kGadgetEditor);
    ToEnd();
    Key(kGadgetEditor, kKeyBackspace);
    Commit(QString::fromUtf8("\xE2\x86\x92"));
    Type("e");
    SaveByCommand();
    EXPECT_EQ(full.substr(0, 31999) + "e", Record(0));
    EXPECT_EQ("Titel", Titles()[0]);
}

TEST_F(TextBoundaryTest, TheLimitCountsEveryCharacterAsTheSaveStoresIt) {
    WriteDataFile(g_app.dataPath, {std::string(31999, 'a')});
    StartProgram();
    ToEnd();
    Paste(QString(QChar::Nbsp));  // two bytes in UTF-8
    Paste(QString(QChar::LineSeparator));
    Key(kGadgetEditor, kKeyEnter);  // CR LF
    EXPECT_EQ(QString(31999, QChar('a')), Shown());
    Key(kGadgetEditor, kKeyBackspace);
    Paste(QString(QChar::Nbsp));
    SaveByCommand();
    EXPECT_EQ(std::string(31998, 'a') + "\xC2\xA0", Record(0));
    EXPECT_EQ(QString(31998, QChar('a')) + QChar::Nbsp, Shown());
}

TEST_F(TextBoundaryTest, ShiftEnterAndSeparatorsMakeOrdinaryLineBreaks) {
    WriteDataFile(g_app.dataPath, {""});
    StartProgram();
    Type("a");
    Key(kGadgetEditor, kKeyEnter, kModShift);
    Type("b");
    Paste(QString::fromUtf16(u"c\u2028d\u2029e"));
    Commit(QString::fromUtf16(u"\u2028f"));
    EXPECT_EQ(QString("a\nbc\nd\ne\nf"), Shown());
    SaveByCommand();
    EXPECT_EQ("a\r\nbc\r\nd\r\ne\r\nf", Record(0));
    EXPECT_EQ("a", Titles()[0]);
}

TEST_F(TextBoundaryTest, EveryRouteToAnotherRecordSavesTheOneLeftFirst) {
    WriteDataFile(g_app.dataPath, {"Apple", "Banana", "Cherry", "Damson"});
    StartProgram();
    QComboBox* selector = static_cast<QComboBox*>(Widget(kGadgetSelector));
    const std::vector<std::pair<const char*, std::function<void()>>> routes = {
        {"ALT+UP", [&] { Key(kGadgetSelector, kKeyUp, kModAlt); }},
        {"ALT+PAGE DOWN", [&] { Key(kGadgetSelector, kKeyPageDown, kModAlt); }},
        {"ALT+PAGE UP", [&] { Key(kGadgetSelector, kKeyPageUp, kModAlt); }},
        {"ALT+HOME", [&] { Key(kGadgetSelector, kKeyHome, kModAlt); }},
        {"ALT+END", [&] { Key(kGadgetSelector, kKeyEnd, kModAlt); }},
        {"DOWN", [&] { Key(kGadgetSelector, kKeyDown); }},
        {"UP", [&] { Key(kGadgetSelector, kKeyUp); }},
        {"a letter", [&] { Key(kGadgetSelector, 'D'); }},
        {"the wheel",
         [&] {
             QPointF at(5, 5);
             QWheelEvent wheel(at, selector->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                               Qt::NoScrollPhase, false);
             QApplication::sendEvent(selector, &wheel);
             Pump();
         }},
    };
    for (const auto& [name, route] : routes) {
        SelectEntry(kGadgetSelector, 1);
        LoadSelectedRecord();
        std::int64_t left = SlotAt(1);
        std::string before = Record(left);
        FocusGadget(kGadgetEditor);
        Type("x");
        FocusGadget(kGadgetSelector);  // no save point: only the focus moves
        route();
        EXPECT_NE(1, SelectedEntry(kGadgetSelector)) << name;
        EXPECT_EQ("x" + before, Record(left)) << name;
        EXPECT_EQ(0, g_app.unsavedEdit) << name;
    }
}

// Keys typed right after a command belong to what the command made: the new record after
// ALT+A, the list after ALT+R; never to the record left behind.
TEST_F(TextBoundaryTest, KeysTypedRightAfterACommandGoWhereTheCommandLeftTheFocus) {
    WriteDataFile(g_app.dataPath, {"Alpha", "Delta"});
    StartProgram();
    SetEventDispatcher(Dispatch);
    QTest::keyClick(Editor(), Qt::Key_A, Qt::AltModifier);  // no pumping in between
    QTest::keyClicks(QApplication::focusWidget(), "Hello");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_R, Qt::AltModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_D);
    SetEventDispatcher(nullptr);
    Pump();
    EXPECT_EQ("Alpha", Record(0));
    EXPECT_EQ("HelloNew record", Record(2));
    EXPECT_EQ(1, SelectedEntry(kGadgetSelector));  // "Delta", by its first letter
}

TEST_F(TextBoundaryTest, InputMethodsPasteAndDropAreLimitedAsTyping) {
    WriteDataFile(g_app.dataPath, {std::string(31998, 'a')});
    StartProgram();
    int beeps = BeepsSoFar();
    ToEnd();
    Commit(QString::fromUtf8("\xC3\xA9\xC3\xA9"));  // four bytes: one é fits
    Drop(QString::fromUtf8("\xC3\xA9"));
    Paste(QStringLiteral("b"));
    EXPECT_EQ(QString(31998, QChar('a')) + QString::fromUtf8("\xC3\xA9"), Shown());
    EXPECT_EQ(beeps + 3, BeepsSoFar());
    SaveByCommand();
    EXPECT_EQ(std::string(31998, 'a') + "\xC3\xA9", Record(0));
}

TEST_F(TextBoundaryTest, AReadOnlyEditorRefusesInputByEveryRoute) {
    WriteDataFile(g_app.dataPath, {"kept"});
    StartProgram();
    SetEditorReadOnly(kGadgetEditor, true);
    QApplication::clipboard()->setText("pasted");
    PostWindowEvent(Event{kEventMenu, kWindowMain, kCmdPaste});
    Pump();
    Key(kGadgetEditor, 'V', kModCtrl);
    Key(kGadgetEditor, kKeyInsert, kModShift);
    Drop("dropped");
    Commit("committed");
    Type("typed");
    EXPECT_EQ(QString("kept"), Shown());
    EXPECT_EQ(0, g_app.unsavedEdit);
}

// Found by the generated tests: a selection ending between the halves of a character let the
// next input leave half of it behind.
TEST_F(TextBoundaryTest, ASelectionNeverSplitsACharacter) {
    WriteDataFile(g_app.dataPath, {"a\xF0\x9F\x98\x80"
                                   "b"});
    StartProgram();
    SetEditorSelection(kGadgetEditor, 0, 2);
    Type("c");
    SaveByCommand();
    EXPECT_EQ(QString::fromUtf16(u"c😀b"), Shown());
    EXPECT_EQ(
        "c\xF0\x9F\x98\x80"
        "b",
        Record(0));
}

TEST_F(TextBoundaryTest, RefusedInputBeepsEachTimeAndSaysWhyOnce) {
    WriteDataFile(g_app.dataPath, {std::string(32000, 'f')});
    StartProgram();
    int beeps = BeepsSoFar();
    Type("x");
    EXPECT_EQ(beeps + 1, BeepsSoFar());
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QString("This record is full: 32,000 bytes."), QToolTip::text());
    QToolTip::hideText();
    ASSERT_TRUE(PumpUntil([] { return !QToolTip::isVisible(); }));
    Type("y");
    EXPECT_EQ(beeps + 2, BeepsSoFar());
    EXPECT_FALSE(QToolTip::isVisible());
}

// A record written with lone LFs grows when stored with CR LF: untouched it stays as it is;
// edited, it is saved only once it fits, and the user is told so without losing the text.
TEST_F(TextBoundaryTest, ATextTooLongToStoreIsNeverCut) {
    std::string lines = std::string(31980, 'a');
    for (int i = 0; i < 10; ++i) lines += "\nb";
    WriteDataFile(g_app.dataPath, {lines, "other"});
    StartProgram();
    Key(kGadgetEditor, 'C', kModCtrl);
    SaveByCommand();
    EXPECT_TRUE(MessageBoxTexts().empty());
    EXPECT_EQ(lines, Record(0));

    FocusGadget(kGadgetEditor);
    ToEnd();
    Key(kGadgetEditor, kKeyBackspace);
    const QString edited = Shown();
    SaveByCommand();
    ASSERT_EQ(1u, MessageBoxTexts().size());
    EXPECT_NE(std::string::npos, MessageBoxTexts()[0].find("32009 bytes"));
    FocusGadget(kGadgetSelector);
    Key(kGadgetSelector, kKeyDown);  // the record stays, with its text
    EXPECT_EQ(0, SelectedEntry(kGadgetSelector));
    EXPECT_EQ(edited, Shown());
    EXPECT_EQ(lines, Record(0));

    FocusGadget(kGadgetEditor);
    ToEnd();
    for (int i = 0; i < 6; ++i) Key(kGadgetEditor, kKeyBackspace);
    FocusGadget(kGadgetSelector);
    Key(kGadgetSelector, kKeyDown);
    EXPECT_EQ(1, SelectedEntry(kGadgetSelector));
    EXPECT_EQ(32000u, Record(0).size());
}

TEST_F(TextBoundaryTest, HelpSaysWhatTheDumpHolds) {
    StartProgram();
    RunCommand(kCmdHelp);
    std::string help = EditorText(kGadgetHelpEditor);
    EXPECT_NE(std::string::npos, help.find("keeps its own stored\r\n  bytes: UTF-8, or Windows-1252"));
}

}  // namespace
