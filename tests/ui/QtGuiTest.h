// For the window tests that are about the Qt backend's own widgets (fonts, palettes, drag and
// drop, the accessibility tree, pixel geometry): the widget behind a gadget or a window. Tests
// that use it run on Linux only; everything else goes through GuiTestSupport.h.
#pragma once

#include <QWidget>

#include "base/Numbers.h"
#include "platform/qt/QtPrivate.h"

inline QWidget* Widget(int gadget) { return GadgetWidget(gadget); }
inline QWidget* MainWindow() { return WindowWidget(kWindowMain); }
