// Bad inputs met by the running program: odd things named like the data file, damaged
// settings files, records written elsewhere, and text full of quotes and shell characters.

#include <cerrno>
#include <random>

#include "base/AppState.h"
#include "base/Numbers.h"
#include "core/store/DataFile.h"
#include "platform/Files.h"
#include "platform/Gui.h"
#include "ui/GuiTestSupport.h"

namespace {

class BadInputTest : public GuiTest {
protected:
    void TearDown() override {
        DisarmFileFaults();
        GuiTest::TearDown();
    }
    bool EndedWithDataFileError() {
        return g_app.running == 0 && !MessageBoxTexts().empty() &&
               MessageBoxTexts()[0].rfind("The data file is missing, damaged or read-only:\n" + g_app.dataPath, 0) == 0;
    }
};

TEST_F(BadInputTest, DataFileOfOneByteOrUnreadableEndsTheProgram) {
    WriteFileBytes(g_app.dataPath, "x");
    StartProgram();
    EXPECT_TRUE(EndedWithDataFileError());
    CloseWindow(kWindowMain);
    Pump();
    ClearMessageBoxTexts();
    g_app.running = 1;
    WriteDataFile(g_app.dataPath, {"kept"});
    ArmFileFault(kStepOpen, 1, EACCES, g_app.dataPath);
    StartProgram();
    DisarmFileFaults();
    EXPECT_TRUE(EndedWithDataFileError());
    EXPECT_NE(std::string::npos, MessageBoxTexts()[0].find("Permission denied"));
    EXPECT_EQ(SlotBytes("kept"), ReadFileBytes(g_app.dataPath));
}

// A link to nothing stays a link: the starter records go where it points, and where that
// folder is not there (a drive not mounted), the start ends without a local copy.
TEST_F(BadInputTest, ALinkToNothingNamedLikeTheDataFileStaysALink) {
    if (!MakeLink("elsewhere/Jotcrate.jcd", g_app.dataPath)) GTEST_SKIP() << "the system allows no symbolic link here";
    StartProgram();
    EXPECT_EQ(0, g_app.running);
    EXPECT_FALSE(PathExists(folder.path + "elsewhere"));
    CloseWindow(kWindowMain);
    Pump();
    g_app.running = 1;
    ASSERT_TRUE(MakeFolder(folder.path + "elsewhere"));
    StartProgram();
    EXPECT_EQ(9, SelectorCount(kGadgetSelector));
    EXPECT_TRUE(IsLink(g_app.dataPath));
    EXPECT_EQ(9 * kSlotSize, DataFileSize(folder.path + "elsewhere/Jotcrate.jcd"));
}

TEST_F(BadInputTest, DamagedSettingsFilesFallBackToDefaults) {
    std::mt19937 random(7);
    std::string garbage(4096, '\0');
    for (char& c : garbage) c = static_cast<char>(random());
    const std::string files[] = {
        garbage,
        std::string("[Options]\0\0Wordwrap=\0 0\r\n", 26),
        "[Options]\r\nFont Name=" + std::string(1 << 20, 'x') + "\r\n",
        "\xEF\xBB\xBF",
        "[Options\r\n=\r\nZoom=99999999999999999999\r\n[Window]\r\nWidth=-99999999999\r\n",
    };
    for (const std::string& bytes : files) {
        WriteFileBytes(g_app.settingsPath, bytes);
        ResetAppState();
        ResolvePaths(folder.path + "jotcrate");
        StartProgram();
        EXPECT_TRUE(g_app.loaded);
        EXPECT_LE(g_app.options.fontName.size(), 255u);
        EXPECT_TRUE(IsTestWindowVisible(kWindowMain));
        g_app.settingsChanged = 1;
        PostWindowEvent(Event{kEventClose, kWindowMain, 0});
        Pump();
        EXPECT_EQ(0, g_app.running);
        CloseWindow(kWindowMain);
        Pump();
    }
}

TEST_F(BadInputTest, RecordsWrittenElsewhereReadAndSaveCleanly) {
    WriteDataFile(g_app.dataPath, {"caf\xE9 cr\xE8me\r\nna\xEFve", "one\rtwo\rthree", std::string(32000, 'q')});
    StartProgram();
    TextEncoding encoding;
    EXPECT_EQ("caf\xE9 cr\xE8me\r\nna\xEFve", EditorText(kGadgetEditor, &encoding));  // Windows-1252 read as such
    EXPECT_EQ(kEncodingWindows1252, encoding);
    EXPECT_EQ("caf\xC3\xA9 cr\xC3\xA8me", Titles()[0]);  // titles are UTF-8
    Type("x");
    Shortcut('R', kModAlt);
    Key(kGadgetSelector, kKeyDown);
    EXPECT_EQ("xcaf\xE9 cr\xE8me\r\nna\xEFve", Record(0));  // and stays Windows-1252
    EXPECT_EQ("xcaf\xC3\xA9 cr\xC3\xA8me", Titles()[0]);
    EXPECT_EQ("one\r\ntwo\r\nthree", EditorText(kGadgetEditor));  // lone CRs are line breaks
    EXPECT_EQ("one\rtwo\rthree", Record(1));                      // and stay as they were until edited
    Key(kGadgetSelector, kKeyDown);
    EXPECT_EQ(std::string(32000, 'q'), EditorText(kGadgetEditor));
    Shortcut('E', kModAlt);
    Type("more");
    EXPECT_EQ(32000u, EditorText(kGadgetEditor).size());
}

TEST_F(BadInputTest, QuotesAndShellCharactersReachTheShellAsOneArgument) {
    const std::string nasty = "a \"b\" 'c' $(touch x) `id` ; | & > < % #";
    WriteDataFile(g_app.dataPath, {nasty + " http://example.com/$(id)?q='1';x"});
    RecordStarts();
    StartProgram();
    SetEditorSelection(kGadgetEditor, 0, static_cast<int>(nasty.size()));
    PostWindowEvent(Event{kEventMenu, kWindowMain, kCmdLookupFirst});
    Pump();
    ASSERT_EQ(1u, Started().size());
    ASSERT_EQ(2u, Started()[0].size());
    EXPECT_EQ(
        "https://duckduckgo.com/?q=a%20%22b%22%20%27c%27%20%24%28touch%20x%29%20%60id%60%20%3B%20%7C%20%26%20%3E%20"
        "%3C%20%25%20%23",
        Started()[0][1]);
    EXPECT_FALSE(PathExists(folder.path + "x"));
}

}  // namespace
