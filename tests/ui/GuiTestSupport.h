// Helpers for tests that drive the real main window on either window backend (offscreen Qt on
// Linux, Win32 under Wine): a fresh program folder per test, the window built and loaded, keys
// sent through the platform's test input seam, events pumped through the dispatch.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "TestInput.h"
#include "TestSupport.h"
#include "ui/StandIns.h"

inline bool operator==(const Rect& a, const Rect& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}
inline std::ostream& operator<<(std::ostream& out, const Rect& r) {
    return out << "{" << r.x << ", " << r.y << ", " << r.width << ", " << r.height << "}";
}

class GuiTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Builds the main window over the data file as it stands and loads it on this thread.
    void StartProgram();
    // Processes window-system events and hands queued events to their handlers.
    void Pump();
    // Pumps until the condition holds or timeoutMs passed.
    bool PumpUntil(const std::function<bool()>& condition, int timeoutMs = 5000);
    // A key (TestKey, or an upper-case letter or digit) with TestModifier bits, to a gadget.
    void Key(int gadget, int key, unsigned modifiers = 0);
    // Shortcuts go to whatever has the focus, as the keyboard would.
    void Shortcut(int key, unsigned modifiers = 0);
    // Typed into the editor, or into the gadget given.
    void Type(const std::string& text);
    void TypeInto(int gadget, const std::string& text);
    void Activate(int window);
    // A click on a button or box: pressed, then the events it queued handled.
    void Click(int gadget);
    // From now on the programs the shell is asked to start are recorded in Started(), not started.
    void RecordStarts();
    std::vector<std::vector<std::string>>& Started();
    // A gadget's rectangle within its window's client area, as the layout placed it.
    Rect GadgetRectIn(int window, int gadget);
    // The client area of the size given, the frame kept, as a drag of the window's edge leaves it.
    void ResizeClient(int window, int width, int height);
    std::vector<std::string> Titles();
    std::vector<std::int64_t> SlotIndexes();
    std::string Record(std::int64_t slot);

    TestFolder folder;
};
