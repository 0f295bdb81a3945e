// For the window tests that are about the Qt backend's own widgets (fonts, palettes, drag and
// drop, the accessibility tree, pixel geometry): the widget behind a gadget or a window. Tests
// that use it run on Linux only; everything else goes through GuiTestSupport.h.
#pragma once

#include <QLabel>
#include <QWidget>
#include <string>

#include "base/Numbers.h"
#include "platform/qt/QtPrivate.h"

inline QWidget* Widget(int gadget) { return GadgetWidget(gadget); }
inline QWidget* MainWindow() { return WindowWidget(kWindowMain); }
// What a label shows, read as the label reads its text: markup rendered, a mnemonic taken.
std::string ShownText(const QLabel* label);
