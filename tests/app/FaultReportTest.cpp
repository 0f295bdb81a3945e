// Where data is at stake, a failed file step reaches the user: the save, Add, Delete and the
// compaction at exit say so and change nothing they could not finish.
#include <cerrno>

#include "base/AppState.h"
#include "base/Numbers.h"
#include "core/store/DataFile.h"
#include "platform/Files.h"
#include "platform/Gui.h"
#include "ui/GuiTestSupport.h"

namespace {

class FaultReportTest : public GuiTest {
protected:
    void TearDown() override {
        DisarmFileFaults();
        GuiTest::TearDown();
    }
    void DropList() {
        OpenTestSelectorList(kGadgetSelector, true);
        Pump();
        OpenTestSelectorList(kGadgetSelector, false);
        Pump();
    }
    bool Told(const std::string& start) {
        for (const std::string& text : MessageBoxTexts())
            if (text.rfind(start, 0) == 0) return true;
        return false;
    }
};

TEST_F(FaultReportTest, FailedSaveKeepsTheEditAndSaysSo) {
    WriteDataFile(g_app.dataPath, {"one", "two"});
    StartProgram();
    Type("edited ");
    ArmFileFault(kStepWrite, 1, ENOSPC);
    DropList();
    DisarmFileFaults();
#ifdef _WIN32
    const char* step = "Writing ";  // the Win32 file layer reserves no space before a slot
#else
    const char* step = "Reserving space in ";
#endif
    EXPECT_TRUE(Told("The record could not be saved.\n" + std::string(step)))
        << (MessageBoxTexts().empty() ? "" : MessageBoxTexts()[0]);
    EXPECT_EQ(1, g_app.unsavedEdit);
    EXPECT_EQ("one", Record(0));
    EXPECT_EQ("one", Titles()[0]);
    DropList();
    EXPECT_EQ("edited one", Record(0));
    EXPECT_EQ(0, g_app.unsavedEdit);
}

TEST_F(FaultReportTest, FailedAddAndDeleteChangeNothing) {
    WriteDataFile(g_app.dataPath, {"one", "two"});
    StartProgram();
    ArmFileFault(kStepWrite, 1, EIO);
    Shortcut('A', kModAlt);
    EXPECT_TRUE(Told("The new record could not be added."));
    EXPECT_EQ(2, SelectorCount(kGadgetSelector));
    EXPECT_EQ(2 * kSlotSize, DataFileSize(g_app.dataPath));
    ArmMessageBoxAnswers({true});
    ArmFileFault(kStepWrite, 1, EIO);
    Shortcut('D', kModAlt);
    EXPECT_TRUE(Told("The record could not be deleted."));
    EXPECT_EQ(2, SelectorCount(kGadgetSelector));
    EXPECT_EQ(0, g_app.recordsDeleted);
    EXPECT_EQ(SlotBytes("one") + SlotBytes("two"), ReadFileBytes(g_app.dataPath));
}

TEST_F(FaultReportTest, FailedCompactionAtExitKeepsTheDataFile) {
    WriteDataFile(g_app.dataPath, {"one", "two", "three"});
    StartProgram();
    ArmMessageBoxAnswers({true});
    Shortcut('D', kModAlt);
    std::string marked = ReadFileBytes(g_app.dataPath);
    ArmFileFault(kStepRename, 1, EACCES);
    PostWindowEvent(Event{kEventClose, kWindowMain, 0});
    Pump();
    DisarmFileFaults();
    EXPECT_TRUE(Told("Deleted records could not be removed from the data file"));
    EXPECT_EQ(marked, ReadFileBytes(g_app.dataPath));
    EXPECT_FALSE(PathExists(folder.path + "Jotcrate.cmp"));
}

}  // namespace
