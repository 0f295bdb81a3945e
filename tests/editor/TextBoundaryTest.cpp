// Where the editor's text becomes slot bytes: records kept in their own encoding, the byte
// limit counted as the save stores, every input route limited alike, every route off a record
// saving it first, and a text that cannot be stored whole never cut. Drops and input methods,
// which only the Qt tests can bring about, are in TextBoundaryQtTest.
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/MainLoop.h"
#include "base/AppState.h"
#include "base/Numbers.h"
#include "platform/Gui.h"
#include "ui/Commands.h"
#include "ui/GuiTestSupport.h"
#include "ui/records/Load.h"
#include "ui/records/RecordList.h"

namespace {

class TextBoundaryTest : public GuiTest {
protected:
    std::u16string Shown() { return EditorPlainText(kGadgetEditor); }
    void Paste(const std::string& text) {
        SetTestClipboardText(text);
        Key(kGadgetEditor, 'V', kModCtrl);
    }
    void ToEnd() { Key(kGadgetEditor, kKeyEnd, kModCtrl); }
    // Saves through a save point, as ALT+R does.
    void SaveByCommand() { RunCommand(kCmdFocusSelector); }
};

// A character Windows-1252 lacks given by an input method: TextBoundaryQtTest.
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
    Type("\xE2\x86\x92");
    Paste("\xE2\x86\x92");
    Type("e");
    SaveByCommand();
    EXPECT_EQ(full.substr(0, 31999) + "e", Record(0));
    EXPECT_EQ("Titel", Titles()[0]);
}

TEST_F(TextBoundaryTest, TheLimitCountsEveryCharacterAsTheSaveStoresIt) {
    WriteDataFile(g_app.dataPath, {std::string(31999, 'a')});
    StartProgram();
    ToEnd();
    Paste("\xC2\xA0");              // U+00A0, two bytes in UTF-8
    Paste("\xE2\x80\xA8");          // U+2028, a line break: CR LF
    Key(kGadgetEditor, kKeyEnter);  // CR LF
    EXPECT_EQ(std::u16string(31999, u'a'), Shown());
    Key(kGadgetEditor, kKeyBackspace);
    Paste("\xC2\xA0");
    SaveByCommand();
    EXPECT_EQ(std::string(31998, 'a') + "\xC2\xA0", Record(0));
    EXPECT_EQ(std::u16string(31998, u'a') + u"\u00A0", Shown());
}

// A separator given by an input method: TextBoundaryQtTest.
TEST_F(TextBoundaryTest, ShiftEnterAndSeparatorsMakeOrdinaryLineBreaks) {
    WriteDataFile(g_app.dataPath, {""});
    StartProgram();
    Type("a");
    Key(kGadgetEditor, kKeyEnter, kModShift);
    Type("b");
    Paste(
        "c\xE2\x80\xA8"
        "d\xE2\x80\xA9"
        "e");
    Type(
        "\xE2\x80\xA8"
        "f");
    EXPECT_EQ(std::u16string(u"a\nbc\nd\ne\nf"), Shown());
    SaveByCommand();
    EXPECT_EQ("a\r\nbc\r\nd\r\ne\r\nf", Record(0));
    EXPECT_EQ("a", Titles()[0]);
}

// The keys with ALT that Qt's list takes as the keys without: TextBoundaryQtTest (on Windows
// ALT+UP and ALT+DOWN open the list, and the others are no keys of the list).
TEST_F(TextBoundaryTest, EveryRouteToAnotherRecordSavesTheOneLeftFirst) {
    WriteDataFile(g_app.dataPath, {"Apple", "Banana", "Cherry", "Damson"});
    StartProgram();
    const std::vector<std::pair<const char*, std::function<void()>>> routes = {
        {"PAGE DOWN", [&] { Key(kGadgetSelector, kKeyPageDown); }},
        {"PAGE UP", [&] { Key(kGadgetSelector, kKeyPageUp); }},
        {"HOME", [&] { Key(kGadgetSelector, kKeyHome); }},
        {"END", [&] { Key(kGadgetSelector, kKeyEnd); }},
        {"DOWN", [&] { Key(kGadgetSelector, kKeyDown); }},
        {"UP", [&] { Key(kGadgetSelector, kKeyUp); }},
        {"a letter", [&] { Key(kGadgetSelector, 'D'); }},
        {"the wheel",
         [&] {
             WheelTestGadget(kGadgetSelector, -1, 0);
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
    SendTestKey(kGadgetEditor, 'A', kModAlt);  // no pumping in between
    TypeTestText(0, "Hello");
    SendTestKey(0, 'R', kModAlt);
    SendTestKey(0, 'D', 0);
    SetEventDispatcher(nullptr);
    Pump();
    EXPECT_EQ("Alpha", Record(0));
    EXPECT_EQ("HelloNew record", Record(2));
    EXPECT_EQ(1, SelectedEntry(kGadgetSelector));  // "Delta", by its first letter
}

// Dropped and committed text: TextBoundaryQtTest.
TEST_F(TextBoundaryTest, AReadOnlyEditorRefusesInputByEveryRoute) {
    WriteDataFile(g_app.dataPath, {"kept"});
    StartProgram();
    SetEditorReadOnly(kGadgetEditor, true);
    SetTestClipboardText("pasted");
    PostWindowEvent(Event{kEventMenu, kWindowMain, kCmdPaste});
    Pump();
    Key(kGadgetEditor, 'V', kModCtrl);
    Key(kGadgetEditor, kKeyInsert, kModShift);
    Type("typed");
    EXPECT_EQ(std::u16string(u"kept"), Shown());
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
    EXPECT_EQ(std::u16string(u"c\U0001F600b"), Shown());
    EXPECT_EQ(
        "c\xF0\x9F\x98\x80"
        "b",
        Record(0));
}

// The keys that move or take away step over a character beyond the first plane whole: a half
// left alone would be saved as a replacement character.
TEST_F(TextBoundaryTest, ArrowsBackspaceAndDeleteKeepCharactersWhole) {
    const std::string smile = "\xF0\x9F\x98\x80", clef = "\xF0\x9D\x84\x9E";
    WriteDataFile(g_app.dataPath, {smile + " smile " + clef + "x" + clef});
    StartProgram();
    FocusGadget(kGadgetEditor);
    SetEditorSelection(kGadgetEditor, 0, 0);
    Key(kGadgetEditor, kKeyRight);
    Type("Q");
    Key(kGadgetEditor, kKeyLeft);
    Key(kGadgetEditor, kKeyLeft);
    Type("P");
    Key(kGadgetEditor, kKeyRight, kModShift);
    Type("Z");  // in place of the smile, whole
    Key(kGadgetEditor, kKeyEnd);
    Key(kGadgetEditor, kKeyBackspace);
    Key(kGadgetEditor, kKeyLeft);
    Key(kGadgetEditor, kKeyLeft);
    Key(kGadgetEditor, kKeyDelete);
    SaveByCommand();
    EXPECT_EQ("PZQ smile x", Record(0));
}

TEST_F(TextBoundaryTest, RefusedInputBeepsEachTimeAndSaysWhyOnce) {
    WriteDataFile(g_app.dataPath, {std::string(32000, 'f')});
    StartProgram();
    int beeps = BeepsSoFar();
    Type("x");
    EXPECT_EQ(beeps + 1, BeepsSoFar());
    EXPECT_EQ("This record is full: 32,000 bytes.", TestEditorTip(kGadgetEditor));
    ClickTestEditorCharacter(kGadgetEditor, 0);  // a click takes the note away
    ASSERT_TRUE(PumpUntil([] { return TestEditorTip(kGadgetEditor).empty(); }));
    Type("y");
    EXPECT_EQ(beeps + 2, BeepsSoFar());
    EXPECT_EQ("", TestEditorTip(kGadgetEditor));
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
    const std::u16string edited = Shown();
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
