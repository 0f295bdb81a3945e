// Text from a record or a file name reaches message boxes and labels: it shows as it was
// written, never as markup or a mnemonic. Each case puts up the real window on either backend
// and reads what it shows through the test input seam; tooltips and the text formats Qt is
// told are in PlainTextQtTest.cpp.
#include "base/AppState.h"
#include "base/Numbers.h"
#include "base/StringTable.h"
#include "platform/Gui.h"
#include "ui/GuiTestSupport.h"
#include "ui/editor/FindAll.h"

namespace {

const std::string kMarkup = "<h1><font color=red>SYSTEM ALERT: enter your password";
// Markup, an ampersand, a line break and runs of blanks: each would be lost if read as markup.
const std::string kAwkward = "<b>Tom & Jerry</b> &amp; <a href=\"x\">file</a>\n  two  blanks";

class PlainTextTest : public GuiTest {};

TEST_F(PlainTextTest, MessageBoxesShowRecordTextAsWritten) {
    WriteDataFile(g_app.dataPath, {kMarkup + "\r\nmore"});
    StartProgram();
    SetEditorSelection(kGadgetEditor, 0, static_cast<int>(kMarkup.size()));
    // The term is found nowhere else.
    EXPECT_EQ("No more matches of \"" + kMarkup + "\" after the cursor.", ShownModalText([this] { Shortcut(kKeyF3); }));
    EXPECT_EQ(kAwkward, ShownModalText([] { ShowNotice("Jotcrate", kAwkward); }));
    bool answer = false;
    EXPECT_EQ(kAwkward, ShownModalText([&answer] { answer = AskYesNo(kWindowMain, "Jotcrate", kAwkward); }));
    EXPECT_TRUE(answer);  // the box itself was answered, with its first button
}

TEST_F(PlainTextTest, LabelsShowTheirTextAsWritten) {
    WriteDataFile(g_app.dataPath, {kMarkup, "Other"});
    StartProgram();
    // The status line of "Find in All Records" holds a file error's reason, with its path.
    Shortcut('F', kModCtrl | kModShift);
    ASSERT_TRUE(FindAllWindowExists());
    SetFindAllStatus(kAwkward);
    EXPECT_EQ(kAwkward, TestGadgetShownText(kGadgetFindAllStatus));

    // The Undelete window's prompt stands beside record titles.
    Shortcut(kKeyEscape);
    std::string title = Titles()[0];
    ASSERT_EQ(0u, title.find("<h1>"));
    ArmMessageBoxAnswers({true});
    Shortcut('D', kModAlt);
    ArmRequesterAnswers({});
    SetUnattended(false);
    Shortcut('U', kModAlt);
    SetUnattended(true);
    ASSERT_TRUE(WindowExists(kWindowUndelete));
    EXPECT_EQ(Str(kStrUndeletePrompt), TestGadgetShownText(kGadgetUndeletePrompt));
    std::vector<ResultRow> rows = TestResultRows(kGadgetUndeleteList);
    ASSERT_EQ(1u, rows.size());
    EXPECT_EQ(title, rows[0].title);
    Shortcut(kKeyEscape);
}

}  // namespace
