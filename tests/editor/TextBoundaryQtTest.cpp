// The input routes of TextBoundaryTest that only Qt events bring about in a test: text given by
// an input method and text dropped on the editor. The rest runs on both backends.
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <utility>
#include <vector>

#include "base/AppState.h"
#include "base/Numbers.h"
#include "platform/Gui.h"
#include "ui/Commands.h"
#include "ui/GuiTestSupport.h"
#include "ui/QtGuiTest.h"
#include "ui/records/Load.h"
#include "ui/records/RecordList.h"

namespace {

class TextBoundaryQtTest : public GuiTest {
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
    void SaveByCommand() { RunCommand(kCmdFocusSelector); }
};

TEST_F(TextBoundaryQtTest, AnInputMethodsCharacterThatAFullWindows1252RecordLacksIsRefused) {
    const std::string full = "Titel\r\n" + std::string(31993, '\xE9');
    WriteDataFile(g_app.dataPath, {full, "second"});
    StartProgram();
    FocusGadget(kGadgetEditor);
    ToEnd();
    Key(kGadgetEditor, kKeyBackspace);
    Commit(QString::fromUtf8("\xE2\x86\x92"));
    Type("e");
    SaveByCommand();
    EXPECT_EQ(full.substr(0, 31999) + "e", Record(0));
}

TEST_F(TextBoundaryQtTest, AnInputMethodsSeparatorMakesAnOrdinaryLineBreak) {
    WriteDataFile(g_app.dataPath, {""});
    StartProgram();
    Type("a");
    Commit(QString::fromUtf16(u"\u2028f"));
    EXPECT_EQ(QString("a\nf"), Shown());
    SaveByCommand();
    EXPECT_EQ("a\r\nf", Record(0));
}

TEST_F(TextBoundaryQtTest, InputMethodsPasteAndDropAreLimitedAsTyping) {
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

TEST_F(TextBoundaryQtTest, AReadOnlyEditorRefusesDroppedAndCommittedText) {
    WriteDataFile(g_app.dataPath, {"kept"});
    StartProgram();
    SetEditorReadOnly(kGadgetEditor, true);
    Drop("dropped");
    Commit("committed");
    EXPECT_EQ(QString("kept"), Shown());
    EXPECT_EQ(0, g_app.unsavedEdit);
}

// Qt's list takes these as the keys without ALT; on Windows ALT+UP and ALT+DOWN open the list.
TEST_F(TextBoundaryQtTest, TheListsKeysWithAltSaveTheRecordLeftFirst) {
    WriteDataFile(g_app.dataPath, {"Apple", "Banana", "Cherry", "Damson"});
    StartProgram();
    const std::vector<std::pair<const char*, int>> routes = {{"ALT+UP", kKeyUp},
                                                             {"ALT+PAGE DOWN", kKeyPageDown},
                                                             {"ALT+PAGE UP", kKeyPageUp},
                                                             {"ALT+HOME", kKeyHome},
                                                             {"ALT+END", kKeyEnd}};
    for (const auto& [name, key] : routes) {
        SelectEntry(kGadgetSelector, 1);
        LoadSelectedRecord();
        std::int64_t left = SlotAt(1);
        std::string before = Record(left);
        FocusGadget(kGadgetEditor);
        Type("x");
        FocusGadget(kGadgetSelector);  // no save point: only the focus moves
        Key(kGadgetSelector, key, kModAlt);
        EXPECT_NE(1, SelectedEntry(kGadgetSelector)) << name;
        EXPECT_EQ("x" + before, Record(left)) << name;
        EXPECT_EQ(0, g_app.unsavedEdit) << name;
    }
}

}  // namespace
