// Find with F2, F3 and the find dialog, and the web look-ups, on a record of apples. The keys
// and clicks go through the test input seam, so the cases run on either window backend.
#include "base/AppState.h"
#include "base/Numbers.h"
#include "platform/Gui.h"
#include "ui/Commands.h"
#include "ui/GuiTestSupport.h"
#include "ui/editor/Find.h"

namespace {

const std::string kApples = "apple pie, Apple tart, pineapple, apple";

class FindTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        WriteDataFile(g_app.dataPath, {kApples});
        StartProgram();
        RecordStarts();
    }
    std::pair<int, int> Selection() {
        int start, end;
        EditorSelection(kGadgetEditor, &start, &end);
        return {start, end};
    }
    // Find Next in the open dialog with the term and the options set as the user would.
    void DialogFindNext(const std::string& term, bool down, bool wholeWord, bool matchCase) {
        SetGadgetText(kGadgetFindTerm, term);
        SetChecked(down ? kGadgetFindDown : kGadgetFindUp, true);
        SetChecked(kGadgetFindWholeWord, wholeWord);
        SetChecked(kGadgetFindMatchCase, matchCase);
        PressGadget(kGadgetFindNext);
        Pump();
    }
};

TEST_F(FindTest, F3WalksForwardWithoutWrapping) {
    SetEditorSelection(kGadgetEditor, 0, 5);
    std::vector<std::pair<int, int>> found;
    for (int i = 0; i < 3; ++i) {
        Shortcut(kKeyF3);
        found.push_back(Selection());
    }
    EXPECT_EQ((std::vector<std::pair<int, int>>{{11, 16}, {27, 32}, {34, 39}}), found);  // Apple, pineapple, apple
    EXPECT_TRUE(MessageBoxTexts().empty());
    Shortcut(kKeyF3);
    ASSERT_EQ(1u, MessageBoxTexts().size());
    EXPECT_EQ("No more matches of \"apple\" after the cursor.", MessageBoxTexts()[0]);
    EXPECT_EQ(std::make_pair(34, 39), Selection());
}

TEST_F(FindTest, F2WalksBackward) {
    SetEditorSelection(kGadgetEditor, 34, 39);
    Shortcut(kKeyF2);
    EXPECT_EQ(std::make_pair(27, 32), Selection());
    SetEditorSelection(kGadgetEditor, 0, 5);
    Shortcut(kKeyF2);
    ASSERT_EQ(1u, MessageBoxTexts().size());
    EXPECT_EQ("No more matches of \"apple\" before the cursor.", MessageBoxTexts()[0]);
    // A term that is nowhere is not found at all, whichever way.
    g_app.searchTerm = "pear";
    FindNext(kFindDown);
    ASSERT_EQ(2u, MessageBoxTexts().size());
    EXPECT_EQ("Cannot find pear", MessageBoxTexts()[1]);
}

TEST_F(FindTest, TermsOfSeveralLinesAndTermsThatOverlapThemselves) {
    SetEditorText(kGadgetEditor, "one\r\ntwo\r\none\r\ntwo");
    SetEditorSelection(kGadgetEditor, 0, 7);
    Shortcut(kKeyF3);
    EXPECT_EQ(std::make_pair(8, 15), Selection());
    Shortcut(kKeyF2);
    EXPECT_EQ(std::make_pair(0, 7), Selection());
    EXPECT_TRUE(MessageBoxTexts().empty());
    // Backward, a match never overlaps the selection it starts from.
    SetEditorText(kGadgetEditor, "aaaa");
    SetEditorSelection(kGadgetEditor, 2, 4);
    Shortcut(kKeyF2);
    EXPECT_EQ(std::make_pair(0, 2), Selection());
    SetEditorSelection(kGadgetEditor, 1, 3);
    Shortcut(kKeyF2);
    EXPECT_EQ(1u, MessageBoxTexts().size());
    EXPECT_EQ(std::make_pair(1, 3), Selection());
    SetEditorSelection(kGadgetEditor, 0, 2);
    Shortcut(kKeyF3);
    EXPECT_EQ(std::make_pair(2, 4), Selection());
}

TEST_F(FindTest, WholeWordsSkipWordsThatHoldTheTerm) {
    SetEditorSelection(kGadgetEditor, 0, 5);
    g_app.searchTerm = "apple";
    FindNext(kFindNextFlag | kFindDown | kFindWholeWord);
    EXPECT_EQ(std::make_pair(11, 16), Selection());
    FindNext(kFindNextFlag | kFindDown | kFindWholeWord);
    EXPECT_EQ(std::make_pair(34, 39), Selection());  // not the one in pineapple
    FindNext(kFindNextFlag | kFindWholeWord | kFindMatchCase);
    EXPECT_EQ(std::make_pair(0, 5), Selection());
}

TEST_F(FindTest, TheSelectionIsTrimmedAndCut) {
    SetEditorSelection(kGadgetEditor, 10, 16);  // " Apple"
    Shortcut(kKeyF3);
    EXPECT_EQ("Apple", g_app.searchTerm);
    SetEditorSelection(kGadgetEditor, 0, 0);
    Shortcut(kKeyF3);
    EXPECT_EQ("", g_app.searchTerm);
    EXPECT_TRUE(MessageBoxTexts().empty());
    SetEditorText(kGadgetEditor, std::string(100, 'q'));
    SetEditorSelection(kGadgetEditor, 0, 100);
    Shortcut(kKeyF3);
    EXPECT_EQ(std::string(80, 'q'), g_app.searchTerm);
}

// ENTER searches from every control of the dialog, as the default button of a dialog does.
TEST_F(FindTest, EnterInTheDialogFindsNextFromAnyControl) {
    SetEditorSelection(kGadgetEditor, 0, 5);
    Shortcut('F', kModCtrl);
    ASSERT_TRUE(FindDialogExists());
    EXPECT_EQ(kWindowFind, ActiveTestWindow());
    EXPECT_EQ(std::make_pair(0, 5), Selection());  // opening the dialog keeps the selection
    EXPECT_EQ(kGadgetFindTerm, FocusedGadget());
    Key(kGadgetFindTerm, kKeyEnter);
    EXPECT_EQ(std::make_pair(11, 16), Selection());
    ASSERT_NE(std::string::npos, TestGadgetLabel(kGadgetFindMatchCase).find("case"));
    SetChecked(kGadgetFindMatchCase, true);
    FocusGadget(kGadgetFindMatchCase);
    Key(kGadgetFindMatchCase, kKeyEnter);
    EXPECT_EQ(std::make_pair(27, 32), Selection());
    EXPECT_TRUE(IsChecked(kGadgetFindMatchCase));  // ENTER searched rather than toggling the box
    EXPECT_TRUE(MessageBoxTexts().empty());
    PostWindowEvent(Event{kEventClose, kWindowFind, 0});
    Pump();
    EXPECT_FALSE(FindDialogExists());
}

// ALT and the letter of the field's label put the focus in the field with its text selected,
// as after TAB: a SPACE then types there instead of ticking the box that had the focus.
TEST_F(FindTest, TheLabelsLetterFocusesTheField) {
    SetEditorSelection(kGadgetEditor, 0, 5);
    Shortcut('F', kModCtrl);
    ASSERT_TRUE(FindDialogExists());
    FocusGadget(kGadgetFindMatchCase, kFocusByKey);
    Shortcut('N', kModAlt);
    EXPECT_EQ(kGadgetFindTerm, FocusedGadget());
    Shortcut(kKeySpace);
    EXPECT_EQ(" ", FindDialogTerm());
    EXPECT_FALSE(IsChecked(kGadgetFindMatchCase));
    // The box's own letter still ticks it (Qt's click is animated: a moment later).
    Shortcut('C', kModAlt);
    EXPECT_TRUE(PumpUntil([] { return IsChecked(kGadgetFindMatchCase); }));
    EXPECT_EQ(" ", FindDialogTerm());
}

// Find Next waits for a term, whether the dialog opened with one or not.
TEST_F(FindTest, FindNextIsGreyedWhileTheFieldIsEmpty) {
    SetEditorSelection(kGadgetEditor, 0, 0);
    Shortcut('F', kModCtrl);
    ASSERT_TRUE(FindDialogExists());
    EXPECT_FALSE(IsGadgetEnabled(kGadgetFindNext));
    TypeInto(kGadgetFindTerm, "p");
    EXPECT_TRUE(IsGadgetEnabled(kGadgetFindNext));
    Key(kGadgetFindTerm, kKeyBackspace);
    EXPECT_FALSE(IsGadgetEnabled(kGadgetFindNext));
    PostWindowEvent(Event{kEventClose, kWindowFind, 0});
    Pump();
    SetEditorSelection(kGadgetEditor, 0, 5);
    Shortcut('F', kModCtrl);
    EXPECT_TRUE(IsGadgetEnabled(kGadgetFindNext));
}

TEST_F(FindTest, DialogSearchesWithItsOwnOptionsAndLocksTheCommands) {
    SetEditorSelection(kGadgetEditor, 0, 5);
    Shortcut('F', kModCtrl);
    ASSERT_TRUE(FindDialogExists());
    EXPECT_EQ("apple", FindDialogTerm());
    for (int gadget = kGadgetAdd; gadget <= kGadgetSelector; ++gadget) EXPECT_FALSE(IsGadgetEnabled(gadget));
    SetEditorSelection(kGadgetEditor, 0, 5);
    RunCommand(kCmdAdd);
    RunCommand(kCmdFindNext);
    EXPECT_EQ(std::make_pair(0, 5), Selection());
    EXPECT_EQ(1, SelectorCount(kGadgetSelector));
    // Find Next with Match case: the "apple" inside pineapple is next, not "Apple".
    DialogFindNext("apple", true, false, true);
    EXPECT_EQ(std::make_pair(27, 32), Selection());
    DialogFindNext("apple", true, true, false);
    EXPECT_EQ(std::make_pair(34, 39), Selection());
    DialogFindNext("apple", true, true, false);
    EXPECT_EQ(1u, MessageBoxTexts().size());
    DialogFindNext("apple", false, true, false);
    EXPECT_EQ(std::make_pair(11, 16), Selection());  // upwards, pineapple is no whole word
    // The field takes 79 characters, as the search term's buffer holds.
    SetGadgetText(kGadgetFindTerm, std::string(100, 'x'));
    EXPECT_EQ(std::string(79, 'x'), FindDialogTerm());
    // A character of two UTF-16 units across the limit is left out whole, not cut in half.
    SetGadgetText(kGadgetFindTerm, std::string(78, 'x') + "\xF0\x9F\x98\x80y");
    EXPECT_EQ(std::string(78, 'x'), FindDialogTerm());
    DialogFindNext("apple", false, true, false);
    PostWindowEvent(Event{kEventClose, kWindowFind, 0});
    Pump();
    EXPECT_FALSE(FindDialogExists());
    EXPECT_TRUE(IsGadgetEnabled(kGadgetAdd));
    // Closing leaves the match selected, so F3 and typing go on from it.
    EXPECT_EQ(std::make_pair(0, 5), Selection());
}

// A term in Greek or Chinese, typed into the dialog, is found as any other; without Match
// case the Greek capitals match too.
TEST_F(FindTest, TheDialogFindsTermsBeyondLatinScript) {
    SetEditorText(kGadgetEditor, "alpha \xCE\xB1\xCE\xB2\xCE\xB3 \xE4\xB8\xAD\xE6\x96\x87 \xCE\x91\xCE\x92\xCE\x93");
    SetEditorSelection(kGadgetEditor, 0, 0);
    Shortcut('F', kModCtrl);
    ASSERT_TRUE(FindDialogExists());
    TypeInto(kGadgetFindTerm, "\xCE\xB1\xCE\xB2\xCE\xB3");  // as a keyboard of that script types them
    EXPECT_EQ("\xCE\xB1\xCE\xB2\xCE\xB3", FindDialogTerm());
    Key(kGadgetFindTerm, kKeyEnter);
    EXPECT_EQ(std::make_pair(6, 9), Selection());
    Key(kGadgetFindTerm, kKeyEnter);
    EXPECT_EQ(std::make_pair(13, 16), Selection());  // the capitals
    DialogFindNext("\xE4\xB8\xAD\xE6\x96\x87", false, true, true);
    EXPECT_EQ(std::make_pair(10, 12), Selection());
    DialogFindNext("\xCE\x91\xCE\x92\xCE\x93", false, false, true);
    ASSERT_EQ(1u, MessageBoxTexts().size());
    EXPECT_EQ("No more matches of \"\xCE\x91\xCE\x92\xCE\x93\" before the cursor.", MessageBoxTexts()[0]);
    DialogFindNext("\xCE\xB4", true, false, false);
    EXPECT_EQ("Cannot find \xCE\xB4", MessageBoxTexts().back());
}

TEST_F(FindTest, LookupsEncodeTheSelectionAfterTheirPrefix) {
    SetEditorSelection(kGadgetEditor, 0, 10);  // "apple pie,"
    for (int command = kCmdLookupFirst; command <= kCmdLookupLast; ++command) {
        PostWindowEvent(Event{kEventMenu, kWindowMain, command});
        Pump();
    }
    ASSERT_EQ(4u, Started().size());
    EXPECT_EQ("https://duckduckgo.com/?q=apple%20pie%2C", Started()[0][1]);
    EXPECT_EQ("https://www.thesaurus.com/browse/apple%20pie%2C", Started()[2][1]);
    SetEditorText(kGadgetEditor, " " + std::string(200, 'z') + " #&%");
    SetEditorSelection(kGadgetEditor, 0, 205);
    PostWindowEvent(Event{kEventMenu, kWindowMain, kCmdLookupFirst});
    Pump();
    EXPECT_EQ("https://duckduckgo.com/?q=" + std::string(128, 'z'), Started().back()[1]);
    SetEditorSelection(kGadgetEditor, 0, 1);  // only a blank
    PostWindowEvent(Event{kEventMenu, kWindowMain, kCmdLookupLast});
    Pump();
    EXPECT_EQ(5u, Started().size());
    ASSERT_EQ(1u, MessageBoxTexts().size());
    EXPECT_EQ("Select the text to look up first.", MessageBoxTexts()[0]);
}

}  // namespace
