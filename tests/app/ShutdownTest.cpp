// Closing the main window: which files change, with Auto Backup on and off, and nothing at
// all after a run without changes.

#include "base/AppState.h"
#include "base/Numbers.h"
#include "core/store/DataFile.h"
#include "platform/Gui.h"
#include "ui/GuiTestSupport.h"
#include "ui/MainWindow.h"
#include "ui/Shutdown.h"
#include "ui/records/Load.h"

namespace {

class ShutdownTest : public GuiTest {
protected:
    void Close() {
        PostWindowEvent(Event{kEventClose, kWindowMain, 0});
        Pump();
    }
    void WriteSettings(const std::string& options) {
        WriteFileBytes(g_app.settingsPath,
                       "[Options]\r\n" + options + "\r\n[Window]\r\nX=24\r\nY=24\r\nWidth=470\r\nHeight=300\r\n");
    }
};

TEST_F(ShutdownTest, UnsavedEditIsSavedAndRefreshesTheBackup) {
    WriteSettings("Auto Backup=1");
    WriteDataFile(g_app.dataPath, {"one", "two"});
    WriteDataFile(g_app.backupPath, {"old"});
    StartProgram();
    Type("new ");
    Close();
    EXPECT_EQ(0, g_app.running);
    EXPECT_FALSE(IsTestWindowVisible(kWindowMain));
    EXPECT_EQ("new one", Record(0));
    EXPECT_EQ(ReadFileBytes(g_app.dataPath), ReadFileBytes(g_app.backupPath));
}

TEST_F(ShutdownTest, WithAutoBackupOffTheBackupIsNeverTouched) {
    WriteSettings("Auto Backup=0");
    WriteDataFile(g_app.dataPath, {"one", "two"});
    StartProgram();
    Type("new ");
    ArmMessageBoxAnswers({true});
    Shortcut('D', kModAlt);
    Close();
    EXPECT_FALSE(PathExists(g_app.backupPath));
    EXPECT_EQ(SlotBytes("two"), ReadFileBytes(g_app.dataPath));  // compacted
}

TEST_F(ShutdownTest, DeleteCompactsAndRefreshesTheBackup) {
    WriteSettings("Auto Backup=1");
    WriteDataFile(g_app.dataPath, {"one", "two", "three"});
    WriteDataFile(g_app.backupPath, {"old"});
    StartProgram();
    ArmMessageBoxAnswers({true});
    Shortcut('R', kModAlt);
    Key(kGadgetSelector, kKeyDown);
    Shortcut('D', kModAlt);
    Close();
    EXPECT_EQ(SlotBytes("one") + SlotBytes("three"), ReadFileBytes(g_app.dataPath));
    EXPECT_EQ(ReadFileBytes(g_app.dataPath), ReadFileBytes(g_app.backupPath));
    EXPECT_FALSE(PathExists(folder.path + "Jotcrate.cmp"));
}

TEST_F(ShutdownTest, ARunWithoutChangesWritesNothing) {
    WriteSettings("Auto Backup=1");
    WriteDataFile(g_app.dataPath, {"one"});
    WriteDataFile(g_app.backupPath, {"old backup"});
    std::string settings = ReadFileBytes(g_app.settingsPath);
    StartProgram();
    Shortcut('A', kModAlt);  // an added record alone does not refresh the backup
    Close();
    EXPECT_EQ(settings, ReadFileBytes(g_app.settingsPath));
    EXPECT_EQ(SlotBytes("old backup"), ReadFileBytes(g_app.backupPath));
}

TEST_F(ShutdownTest, MissingBackupIsCreatedAtTheEndOfAnyRun) {
    WriteSettings("Auto Backup=1");
    WriteDataFile(g_app.dataPath, {"one"});
    StartProgram();
    Close();
    EXPECT_EQ(SlotBytes("one"), ReadFileBytes(g_app.backupPath));
}

TEST_F(ShutdownTest, MovedWindowAndZoomAreSaved) {
    WriteSettings("Wordwrap=1");
    StartProgram();
    g_app.settingsChanged = 1;
    g_app.options.zoom = 130;
    Close();
    std::string saved = ReadFileBytes(g_app.settingsPath);
    EXPECT_NE(std::string::npos, saved.find("Zoom=130\r\n")) << saved;
    EXPECT_NE(std::string::npos, saved.find("Width=")) << saved;
}

TEST_F(ShutdownTest, FirstStartWritesAFreshSettingsFileAtTheOrigin) {
    StartProgram();
    std::string saved = ReadFileBytes(g_app.settingsPath);
    // The client area is the default size; the file keeps the outer one, which on Windows has
    // the frame the system draws around it.
    int width = 0, height = 0;
    ClientSize(kWindowMain, &width, &height);
    EXPECT_EQ(474, width);
    EXPECT_EQ(300, height);
#ifdef _WIN32
    Rect outer{};
    ASSERT_TRUE(NormalOuterRect(kWindowMain, &outer));
    const std::string size = "Width=" + std::to_string(outer.width) + "\r\nHeight=" + std::to_string(outer.height);
#else
    const std::string size = "Width=474\r\nHeight=300";
#endif
    EXPECT_NE(std::string::npos, saved.find("[Window]\r\nX=0\r\nY=0\r\n" + size + "\r\nZoom=100\r\n")) << saved;
    EXPECT_EQ(0u, saved.find("[Options]\r\nWordwrap=1\r\n"));
}

TEST_F(ShutdownTest, ClosingDuringTheLoadWaitsAndKeepsADamagedFileFromTheBackup) {
    WriteSettings("Auto Backup=1");
    WriteFileBytes(g_app.dataPath, std::string(100, 'x'));
    WriteDataFile(g_app.backupPath, {"good"});
    BuildMainWindow();
    StartLoadWorker();
    Close();
    EXPECT_EQ(SlotBytes("good"), ReadFileBytes(g_app.backupPath));
    EXPECT_EQ(std::string(100, 'x'), ReadFileBytes(g_app.dataPath));
    EXPECT_EQ(1u, MessageBoxTexts().size());  // the data-file error, once
}

// A cut file whose salvage the load asks about: a close before the answer does not wait for an
// answer that the waiting window could never give. The question counts as No and is not shown.
TEST_F(ShutdownTest, ClosingBeforeTheLoadsQuestionIsAnsweredEndsTheRun) {
    std::string cut = SlotBytes("one") + SlotBytes("two") + std::string(300, 'x');
    WriteFileBytes(g_app.dataPath, cut);
    ArmMessageBoxAnswers({true});
    BuildMainWindow();
    StartLoadWorker();
    CloseMainWindow(false);
    Pump();
    EXPECT_EQ(0, g_app.running);
    EXPECT_EQ(cut, ReadFileBytes(g_app.dataPath));
    for (const std::string& text : MessageBoxTexts()) EXPECT_EQ(std::string::npos, text.find("Salvage")) << text;
}

// A close that joins the load worker before the load's last step has run still takes what the
// worker read: the data file's version, against which the backup's refresh checks the file,
// and the shown slot. The last step, run after, takes nothing twice.
TEST_F(ShutdownTest, ClosingRightAfterTheLoadTakesWhatTheWorkerRead) {
    WriteSettings("Auto Backup=1");
    WriteDataFile(g_app.dataPath, {"one", "two"});
    BuildMainWindow();
    StartLoadWorker();
    CloseMainWindow(false);
    EXPECT_TRUE(g_app.dataVersionKnown);
    EXPECT_EQ("one", DecodeText(g_app.slotImage));
    EXPECT_EQ(ReadFileBytes(g_app.dataPath), ReadFileBytes(g_app.backupPath));
    FileVersion taken = g_app.dataVersion;
    Pump();
    EXPECT_TRUE(g_app.dataVersionKnown);
    EXPECT_TRUE(SameVersion(taken, g_app.dataVersion));
    EXPECT_EQ("one", DecodeText(g_app.slotImage));
}

}  // namespace
