// The test main for window tests on either backend: the string table, one application, and
// the harness's keys and pumping through the test input seam.
#include "ui/GuiTestSupport.h"

#include <chrono>

#include "app/MainLoop.h"
#include "base/AppState.h"
#include "base/Numbers.h"
#include "base/StringTable.h"
#include "core/store/DataFile.h"
#include "platform/Gui.h"
#include "ui/MainWindow.h"
#include "ui/editor/FindAll.h"
#include "ui/records/Load.h"
#include "ui/records/RecordList.h"

void GuiTest::SetUp() {
    folder = MakeTestFolder();
    // No journal timer expires by itself in a test: the journal's tests expire it.
    g_app.journalPauseMs = 3600 * 1000;
    // The desktop shortcut follows its option at every start: keep it off the real desktop.
    std::string home = folder.path + "home";
    MakeFolder(home);
    MakeFolder(home + "/Desktop");
    SetEnvironment("HOME", home);
    SetEnvironment("USERPROFILE", home);
    SetEnvironment("XDG_CONFIG_HOME", "");  // the user's own might name another desktop folder
    ArmMessageBoxAnswers({});
    ClearMessageBoxTexts();
}

void GuiTest::TearDown() {
    StopFindAll();
    WaitForLoadWorker();
    Pump();
    for (int window : {kWindowUndelete, kWindowFind, kWindowFindAll, kWindowHelp, kWindowOptions, kWindowMain})
        CloseWindow(window);
    ProcessWindowEvents();
    Event event;
    while (PollWindowEvent(&event)) {}
    SetShellRecorder(nullptr);
    RemoveTestFolder(folder);
}

void GuiTest::Click(int gadget) {
    PressGadget(gadget);
    Pump();
}

namespace {

std::vector<std::vector<std::string>> s_started;

}  // namespace

void GuiTest::RecordStarts() {
    s_started.clear();
    SetShellRecorder([](const std::vector<std::string>& argv) { s_started.push_back(argv); });
}

std::vector<std::vector<std::string>>& GuiTest::Started() { return s_started; }

void GuiTest::StartProgram() {
    BuildMainWindow();
    LoadRecords(kLoadStartup);
    Pump();
    Activate(kWindowMain);
}

void GuiTest::Pump() {
    for (int round = 0; round < 3; ++round) {
        ProcessWindowEvents();
        Event event;
        while (PollWindowEvent(&event)) Dispatch(event);
    }
}

bool GuiTest::PumpUntil(const std::function<bool()>& condition, int timeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        Pump();
        WaitForWindowEvents(1);
    }
    return true;
}

void GuiTest::Key(int gadget, int key, unsigned modifiers) {
    SendTestKey(gadget, key, modifiers);
    Pump();
}

void GuiTest::Shortcut(int key, unsigned modifiers) { Key(0, key, modifiers); }

void GuiTest::Type(const std::string& text) { TypeInto(kGadgetEditor, text); }

void GuiTest::TypeInto(int gadget, const std::string& text) {
    TypeTestText(gadget, text);
    Pump();
}

void GuiTest::Activate(int window) {
    ActivateTestWindow(window);
    Pump();
}

Rect GuiTest::GadgetRectIn(int window, int gadget) {
    Rect client = TestClientRect(window), r = TestGadgetRect(gadget);
    return Rect{r.x - client.x, r.y - client.y, r.width, r.height};
}

void GuiTest::ResizeClient(int window, int width, int height) {
    Rect outer;
    int clientWidth = 0, clientHeight = 0;
    if (!OuterRectOnScreen(window, &outer)) return;
    ClientSize(window, &clientWidth, &clientHeight);
    PlaceWindow(window,
                Rect{outer.x, outer.y, width + outer.width - clientWidth, height + outer.height - clientHeight});
    Pump();
}

std::vector<std::string> GuiTest::Titles() {
    std::vector<std::string> titles;
    for (int i = 0; i < SelectorCount(kGadgetSelector); ++i) titles.push_back(SelectorTitle(kGadgetSelector, i));
    return titles;
}

std::vector<std::int64_t> GuiTest::SlotIndexes() {
    std::vector<std::int64_t> indexes;
    for (int i = 0; i < SelectorCount(kGadgetSelector); ++i) indexes.push_back(SlotAt(i));
    return indexes;
}

std::string GuiTest::Record(std::int64_t slot) {
    std::string bytes = ReadFileBytes(g_app.dataPath);
    if (static_cast<std::int64_t>(bytes.size()) < (slot + 1) * kSlotSize) return "<no slot>";
    return DecodeText(reinterpret_cast<const unsigned char*>(bytes.data()) + slot * kSlotSize);
}

int main(int argc, char** argv) {
    SetEnvironment("QT_QPA_PLATFORM", "offscreen");
    UnscrambleStrings();
    HandTextsToFileLayer();
    ResetAppState();
    StartGui(argc, argv);
    SetUnattended(true);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
