// The test main for window tests: the offscreen platform, the string table, one application.
#include "ui/GuiTestSupport.h"

#include <sys/stat.h>

#include <QApplication>
#include <QTest>
#include <chrono>
#include <cstdlib>

#include "base/AppState.h"
#include "app/MainLoop.h"
#include "base/Numbers.h"
#include "base/StringTable.h"
#include "ui/editor/FindAll.h"
#include "platform/Gui.h"
#include "platform/qt/QtPrivate.h"
#include "core/store/DataFile.h"
#include "ui/records/Load.h"
#include "ui/MainWindow.h"

void GuiTest::SetUp() {
    folder = MakeTestFolder();
    // No journal timer expires by itself in a test: the journal's tests expire it.
    g_app.journalPauseMs = 3600 * 1000;
    // The desktop shortcut follows its option at every start: keep it off the real desktop.
    std::string home = folder.path + "home";
    mkdir(home.c_str(), 0700);
    mkdir((home + "/Desktop").c_str(), 0700);
    setenv("HOME", home.c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");  // the user's own might name another desktop folder
    ArmMessageBoxAnswers({});
    ClearMessageBoxTexts();
}

void GuiTest::TearDown() {
    StopFindAll();
    WaitForLoadWorker();
    Pump();
    for (int window : {kWindowHelp, kWindowOptions, kWindowMain}) CloseWindow(window);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Event event;
    while (PollWindowEvent(&event)) {
    }
    SetShellRecorder(nullptr);
    RemoveTestFolder(folder);
}

void GuiTest::StartProgram() {
    BuildMainWindow();
    LoadRecords(kLoadStartup);
    Pump();
    QWidget* window = MainWindow();
    window->activateWindow();
    QApplication::setActiveWindow(window);
    Pump();
}

void GuiTest::Pump() {
    for (int round = 0; round < 3; ++round) {
        QCoreApplication::processEvents();
        Event event;
        while (PollWindowEvent(&event)) Dispatch(event);
    }
}

bool GuiTest::PumpUntil(const std::function<bool()>& condition, int timeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        Pump();
        QTest::qWait(1);
    }
    return true;
}

QWidget* GuiTest::Widget(int gadget) { return GadgetWidget(gadget); }
QWidget* GuiTest::MainWindow() { return WindowWidget(kWindowMain); }

void GuiTest::Key(int gadget, int key, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(Widget(gadget), static_cast<Qt::Key>(key), modifiers);
    Pump();
}

// Shortcuts go to whatever has the focus, as the keyboard would.
void GuiTest::Shortcut(int key, Qt::KeyboardModifiers modifiers) {
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : MainWindow();
    QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
    Pump();
}

void GuiTest::Type(const std::string& text) {
    QTest::keyClicks(Widget(kGadgetEditor), QString::fromStdString(text));
    Pump();
}

std::vector<std::string> GuiTest::Titles() {
    std::vector<std::string> titles;
    for (int i = 0; i < SelectorCount(kGadgetSelector); ++i) titles.push_back(SelectorEntryAt(kGadgetSelector, i).title);
    return titles;
}

std::vector<std::int64_t> GuiTest::SlotIndexes() {
    std::vector<std::int64_t> indexes;
    for (int i = 0; i < SelectorCount(kGadgetSelector); ++i) indexes.push_back(SelectorEntryAt(kGadgetSelector, i).slot);
    return indexes;
}

std::string GuiTest::Record(std::int64_t slot) {
    std::string bytes = ReadFileBytes(g_app.dataPath);
    if (static_cast<std::int64_t>(bytes.size()) < (slot + 1) * kSlotSize) return "<no slot>";
    return DecodeText(reinterpret_cast<const unsigned char*>(bytes.data()) + slot * kSlotSize);
}

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    UnscrambleStrings();
    ResetAppState();
    StartGui(argc, argv);
    SetUnattended(true);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
