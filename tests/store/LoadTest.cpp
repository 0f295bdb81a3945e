// The start-up load on real files: starter file, restore from the backup, validation, the
// record limit, the "Default" rule and what Read Only locks.
#include <memory>

#include "base/AppState.h"
#include "base/Numbers.h"
#include "core/store/DataFile.h"
#include "platform/Gui.h"
#include "ui/GuiTestSupport.h"
#include "ui/MainWindow.h"
#include "ui/records/Load.h"
#include "ui/records/RecordList.h"

namespace {

class LoadTest : public GuiTest {
protected:
    // Records every text the editor shows from now on.
    void RecordEditorTexts() {
        shownTexts = std::make_shared<std::vector<std::string>>();
        auto texts = shownTexts;
        WatchTestEditorText(kGadgetEditor, [texts] {
            std::string text = EditorText(kGadgetEditor);
            if (texts->empty() || texts->back() != text) texts->push_back(text);
        });
    }
    std::shared_ptr<std::vector<std::string>> shownTexts;
};

TEST_F(LoadTest, NoDataFileAndNoBackupGivesTheStarterRecords) {
    StartProgram();
    EXPECT_EQ(9 * kSlotSize, DataFileSize(g_app.dataPath));
    ASSERT_EQ(9u, Titles().size());
    EXPECT_EQ("Record 1", Titles()[0]);
    EXPECT_EQ("Record 9", Titles()[8]);
    EXPECT_EQ((std::vector<std::int64_t>{0, 1, 2, 3, 4, 5, 6, 7, 8}), SlotIndexes());
    EXPECT_EQ(0, SelectedEntry(kGadgetSelector));
    EXPECT_EQ("Record 1\r\n", EditorText(kGadgetEditor));
    for (int gadget = kGadgetAdd; gadget <= kGadgetSelector; ++gadget) EXPECT_TRUE(IsGadgetEnabled(gadget)) << gadget;
    EXPECT_FALSE(IsEditorReadOnly(kGadgetEditor));
    EXPECT_EQ(0, g_app.unsavedEdit);
    EXPECT_FALSE(PathExists(g_app.backupPath));
}

TEST_F(LoadTest, MissingDataFileComesBackFromAGoodBackup) {
    WriteDataFile(g_app.backupPath, {"one", "two", "three"});
    StartProgram();
    EXPECT_EQ((std::vector<std::string>{"one", "two", "three"}), Titles());
    EXPECT_EQ(ReadFileBytes(g_app.backupPath), ReadFileBytes(g_app.dataPath));
}

TEST_F(LoadTest, AnEmptyBackupIsNotRestoredNorTouched) {
    WriteFileBytes(g_app.backupPath, "");
    StartProgram();
    EXPECT_EQ(9, SelectorCount(kGadgetSelector));
    EXPECT_EQ(0, DataFileSize(g_app.backupPath));
}

TEST_F(LoadTest, UnusableDataFileEndsTheProgram) {
    struct Case {
        const char* name;
        std::function<void()> make;
    } cases[] = {
        {"empty", [] { WriteFileBytes(g_app.dataPath, ""); }},
        {"ill-sized", [] { WriteFileBytes(g_app.dataPath, std::string(32000, 'x')); }},
        {"read-only",
         [] {
             WriteDataFile(g_app.dataPath, {"kept"});
             SetReadOnly(g_app.dataPath, true);
         }},
        {"folder", [] { MakeFolder(g_app.dataPath); }},
    };
    for (const Case& c : cases) {
        c.make();
        ClearMessageBoxTexts();
        ArmMessageBoxAnswers({true});
        g_app.running = 1;
        StartProgram();
        EXPECT_EQ(0, g_app.running) << c.name;
        ASSERT_EQ(1u, MessageBoxTexts().size()) << c.name;
        EXPECT_EQ(0u, MessageBoxTexts()[0].find("The data file is missing, damaged or read-only:\n" + g_app.dataPath))
            << MessageBoxTexts()[0];
        EXPECT_EQ(0, SelectorCount(kGadgetSelector));
        EXPECT_FALSE(IsGadgetEnabled(kGadgetAdd));
        EXPECT_TRUE(IsEditorReadOnly(kGadgetEditor));
        CloseWindow(kWindowMain);
        Pump();
        SetReadOnly(g_app.dataPath, false);
        RemovePath(g_app.dataPath);
    }
}

TEST_F(LoadTest, DefaultRuleTakesTheFirstMatchIgnoringCase) {
    WriteDataFile(g_app.dataPath, {"Notes", "  DEFAULT\r\nfirst", "Default\r\nsecond"});
    StartProgram();
    EXPECT_EQ(1, SelectedEntry(kGadgetSelector));
    EXPECT_EQ("  DEFAULT\r\nfirst", EditorText(kGadgetEditor));
}

// The list keeps to its entries: a position outside it has no slot and changes nothing.
TEST_F(LoadTest, TheListRefusesPositionsOutsideIt) {
    WriteDataFile(g_app.dataPath, {"one", "two"});
    StartProgram();
    for (int outside : {-1, 2}) {
        EXPECT_EQ(-1, SlotAt(outside));
        RemoveListEntry(outside);
    }
    InsertListEntry(3, SelectorEntry{"far", 9});
    InsertListEntry(-1, SelectorEntry{"before", 9});
    EXPECT_EQ((std::vector<std::string>{"one", "two"}), Titles());
    EXPECT_EQ((std::vector<std::int64_t>{0, 1}), SlotIndexes());
}

TEST_F(LoadTest, MarkedSlotsAreListedAndTheLimitHolds) {
    WriteFileBytes(g_app.dataPath, SlotBytes("live") + SlotBytes("marked", true));
    StartProgram();
    EXPECT_EQ((std::vector<std::string>{"live", "marked"}), Titles());
    CloseWindow(kWindowMain);
    Pump();
    g_app.loaded = false;
    WriteFileBytes(g_app.dataPath, "");
    ASSERT_TRUE(ResizeFile(g_app.dataPath, 40000 * kSlotSize));
    ClearMessageBoxTexts();
    StartProgram();
    EXPECT_EQ(kRecordLimit, SelectorCount(kGadgetSelector));
    EXPECT_EQ(kRecordLimit - 1, SlotAt(kRecordLimit - 1));
    EXPECT_EQ("(untitled)", Titles().back());
    ASSERT_EQ(1u, MessageBoxTexts().size());
    EXPECT_EQ(0u, MessageBoxTexts()[0].find("The data file holds 40000 records, more than the 32,767"));
}

// A backup past the record limit (a sparse one may claim terabytes) is not copied: it is set
// aside unchanged, and the starter records begin anew.
TEST_F(LoadTest, AnOversizedBackupIsSetAsideNotRestored) {
#ifdef _WIN32
    GTEST_SKIP() << "a file of 100 GiB takes its space on Windows, where files are not sparse unless marked";
#endif
    WriteFileBytes(g_app.backupPath, SlotBytes("backed up"));
    const std::int64_t size = (std::int64_t(100) << 30) / kSlotSize * kSlotSize;
    ASSERT_TRUE(ResizeFile(g_app.backupPath, size));
    StartProgram();
    EXPECT_EQ(9, SelectorCount(kGadgetSelector));
    EXPECT_FALSE(PathExists(g_app.backupPath));
    bool keptAside = false;
    for (const std::string& name : FolderEntries(g_app.programFolder))
        if (name.rfind("Jotcrate-damaged-backup-", 0) == 0)
            keptAside = DataFileSize(g_app.programFolder + name) == size;
    EXPECT_TRUE(keptAside);
}

// Files another user put where the user's should be: their data file is not used (what the user
// typed would be theirs to read), their backup is neither restored nor moved, and each says so.
TEST_F(LoadTest, AnotherUsersDataFileIsNotUsed) {
    WriteDataFile(g_app.dataPath, {"planted"});
    if (!GiveToAnotherUser(g_app.dataPath)) GTEST_SKIP() << "giving a file another owner needs root";
    ClearMessageBoxTexts();
    StartProgram();
    EXPECT_EQ(0, g_app.running);
    ASSERT_FALSE(MessageBoxTexts().empty());
    EXPECT_EQ(0u, MessageBoxTexts().back().find("The data file belongs to another user"));
    EXPECT_EQ(SlotBytes("planted"), ReadFileBytes(g_app.dataPath));
}

// The user's own link to a drive not mounted, where another user put a link to the user's
// private records: they are not shown (nor later copied into a backup others could read).
TEST_F(LoadTest, RecordsBehindAnotherUsersLinkAreNotRead) {
    std::string shared = folder.path + "shared/", mine = folder.path + "mine/";
    ASSERT_TRUE(MakeFolder(shared));
    ASSERT_TRUE(MakeFolder(mine));
    WriteDataFile(mine + "Jotcrate.jcd", {"private"});
    if (!MakeLink(shared + "usb/Jotcrate.jcd", g_app.dataPath))
        GTEST_SKIP() << "the system allows no symbolic link here";
    ASSERT_TRUE(MakeLink(mine, shared + "usb"));
    if (!GiveToAnotherUser(shared + "usb", true)) GTEST_SKIP() << "giving a link another owner needs root";
    ClearMessageBoxTexts();
    StartProgram();
    EXPECT_EQ(0, g_app.running);
    ASSERT_FALSE(MessageBoxTexts().empty());
    EXPECT_NE(std::string::npos, MessageBoxTexts().back().find("another user made")) << MessageBoxTexts().back();
    EXPECT_NE("private", EditorText(kGadgetEditor));
}

TEST_F(LoadTest, AnotherUsersBackupIsNeitherRestoredNorMoved) {
    WriteDataFile(g_app.backupPath, {"planted"});
    if (!GiveToAnotherUser(g_app.backupPath)) GTEST_SKIP() << "giving a file another owner needs root";
    ClearMessageBoxTexts();
    StartProgram();
    EXPECT_EQ(9, SelectorCount(kGadgetSelector));
    ASSERT_EQ(1u, MessageBoxTexts().size());
    EXPECT_EQ(0u, MessageBoxTexts()[0].find("The data file is missing, and its backup belongs to another user"));
    EXPECT_EQ(SlotBytes("planted"), ReadFileBytes(g_app.backupPath));
}

TEST_F(LoadTest, ReadOnlyKeepsAddDeleteAndTheEditorLocked) {
    WriteFileBytes(g_app.settingsPath, "[Options]\r\nRead Only=1\r\n");
    StartProgram();
    EXPECT_FALSE(IsGadgetEnabled(kGadgetAdd));
    EXPECT_FALSE(IsGadgetEnabled(kGadgetDelete));
    EXPECT_TRUE(IsGadgetEnabled(kGadgetOptions));
    EXPECT_TRUE(IsGadgetEnabled(kGadgetSelector));
    EXPECT_TRUE(IsEditorReadOnly(kGadgetEditor));
    Type("x");
    EXPECT_EQ(0, g_app.unsavedEdit);
    EXPECT_EQ("Record 1\r\n", EditorText(kGadgetEditor));
}

// The worker fills 32,767 entries while the window keeps handling events and shows the notice.
TEST_F(LoadTest, LargeLoadRunsBesideAResponsiveWindow) {
    WriteFileBytes(g_app.dataPath, SlotBytes("first"));
    ASSERT_TRUE(ResizeFile(g_app.dataPath, kRecordLimit * kSlotSize));
    BuildMainWindow();
    StartTestTicks(1);
    RecordEditorTexts();
    StartLoadWorker();
    ASSERT_TRUE(PumpUntil([&] { return g_app.loaded; }, 60000));
    EXPECT_EQ((std::vector<std::string>{"Loading 32767 records...", "first"}), *shownTexts);
    EXPECT_GT(StopTestTicks(), 0);
    EXPECT_EQ(kRecordLimit, SelectorCount(kGadgetSelector));
    EXPECT_EQ("first", EditorText(kGadgetEditor));
}

TEST_F(LoadTest, HundredRecordsShowNoNotice) {
    WriteDataFile(g_app.dataPath, std::vector<std::string>(100, "r"));
    BuildMainWindow();
    RecordEditorTexts();
    StartLoadWorker();
    ASSERT_TRUE(PumpUntil([&] { return g_app.loaded; }));
    EXPECT_EQ(std::vector<std::string>{"r"}, *shownTexts);
}

}  // namespace
