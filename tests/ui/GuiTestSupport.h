// Helpers for tests that drive the real main window under the offscreen platform: a fresh
// program folder per test, the window built and loaded, events pumped through the dispatch.
#pragma once

#include <gtest/gtest.h>

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "TestSupport.h"

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
    QWidget* Widget(int gadget);
    QWidget* MainWindow();
    void Key(int gadget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void Shortcut(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void Type(const std::string& text);
    std::vector<std::string> Titles();
    std::vector<std::int64_t> SlotIndexes();
    std::string Record(std::int64_t slot);

    TestFolder folder;
};
