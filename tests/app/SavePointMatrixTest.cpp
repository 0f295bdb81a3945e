// Every save point crossed with every way the data file can fail under it: afterwards each
// record is as it was or holds the typed text, and the typed text is somewhere: stored, still
// on screen, or in a recovery file.

#include <cerrno>
#include <functional>

#include "base/AppState.h"
#include "base/Numbers.h"
#include "platform/Files.h"
#include "platform/Gui.h"
#include "ui/GuiTestSupport.h"
#include "ui/editor/Journal.h"

namespace {

const std::vector<std::string> kRecords = {"Apple\r\npie", "Banana", "Cherry"};
const std::string kTyped = "typed ";

struct Failure {
    const char* name;
    FileStep step;  // kFileSteps: another program holds a lock on the data file
    int error;
};
const Failure kFailures[] = {{"read", kStepRead, EIO},
                             {"write", kStepWrite, ENOSPC},
                             {"flush", kStepFlush, EIO},
                             {"rename", kStepRename, EIO},
                             {"lock held", kFileSteps, 0}};

class SavePointMatrixTest : public GuiTest {
protected:
    void SelectorKey(int key, unsigned modifiers = 0) {
        FocusGadget(kGadgetSelector);
        Key(kGadgetSelector, key, modifiers);
    }
    bool RecoveryFileHoldsTheText() {
        for (const std::string& name : FolderEntries(folder.path))
            if (name.rfind("Jotcrate-unsaved-", 0) == 0 && ReadFileBytes(folder.path + name) == kTyped + kRecords[0])
                return true;
        return false;
    }
    // Whether the typed text survived anywhere the user can find it.
    bool TypedTextKept() {
        if (Record(0) == kTyped + kRecords[0]) return true;
        if (g_app.running && EditorText(kGadgetEditor).find(kTyped) != std::string::npos) return true;
        return RecoveryFileHoldsTheText();
    }
};

TEST_F(SavePointMatrixTest, NoFailureUnderAnySavePointLosesARecordOrTheTypedText) {
    const std::vector<std::pair<const char*, std::function<void()>>> savePoints = {
        {"ALT+A", [&] { Shortcut('A', kModAlt); }},
        {"ALT+D", [&] { Shortcut('D', kModAlt); }},
        {"ALT+O, Apply",
         [&] {
             Shortcut('O', kModAlt);
             if (WindowExists(kWindowOptions)) PostWindowEvent(Event{kEventGadget, kWindowOptions, kGadgetApply});
             Pump();
         }},
        {"F1", [&] { Shortcut(kKeyF1); }},
        {"ALT+R", [&] { Shortcut('R', kModAlt); }},
        {"ALT+E", [&] { Shortcut('E', kModAlt); }},
        {"CTRL+F", [&] { Shortcut('F', kModCtrl); }},
        {"F3", [&] { Shortcut(kKeyF3); }},
        {"the list",
         [&] {
             OpenTestSelectorList(kGadgetSelector, true);
             Pump();
             OpenTestSelectorList(kGadgetSelector, false);
             Pump();
         }},
        {"DOWN", [&] { SelectorKey(kKeyDown); }},
        {"ALT+END", [&] { SelectorKey(kKeyEnd, kModAlt); }},
        {"a letter", [&] { SelectorKey('C'); }},
        {"the wheel",
         [&] {
             WheelTestGadget(kGadgetSelector, -1, 0);
             Pump();
         }},
        {"close",
         [&] {
             PostWindowEvent(Event{kEventClose, kWindowMain, 0});
             Pump();
         }},
    };
    for (const auto& [point, run] : savePoints) {
        for (const Failure& failure : kFailures) {
            const std::string where = std::string(point) + " / " + failure.name;
            RemoveTestFolder(folder);
            folder = MakeTestFolder();
            WriteDataFile(g_app.dataPath, kRecords);
            WriteFileBytes(g_app.settingsPath, "[Options]\r\nAuto Backup=1\r\n");
            StartProgram();
            ASSERT_EQ(0, SelectedEntry(kGadgetSelector)) << where;
            Type(kTyped);
            int lock = -1;
            if (failure.step == kFileSteps) {
                lock = HoldFileLock(g_app.dataPath);
            } else {
                ArmFileFault(failure.step, 1, failure.error, g_app.dataPath);
            }
            ArmMessageBoxAnswers({false});  // keep every record: No to the delete question
            run();
            DisarmFileFaults();
            ReleaseFileLock(lock);
            for (int slot = 1; slot < 3; ++slot) EXPECT_EQ(kRecords[slot], Record(slot)) << where;
            EXPECT_TRUE(Record(0) == kRecords[0] || Record(0) == kTyped + kRecords[0]) << where << ": " << Record(0);
            EXPECT_TRUE(TypedTextKept()) << where;
            // Text the close kept in a recovery file is no longer pending: a journal written
            // after (its timer may come while the close's notice stands) would offer it again.
            if (std::string(point) == "close" && RecoveryFileHoldsTheText()) {
                WriteJournalAtPause();
                EXPECT_FALSE(PathExists(g_app.journalPath)) << where;
            }
            for (int window : {kWindowHelp, kWindowOptions, kWindowMain}) CloseWindow(window);
            Pump();
            g_app.running = 1;
            ClearMessageBoxTexts();
        }
    }
}

}  // namespace
