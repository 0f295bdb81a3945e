// The editor's zoom, whatever the toolkit: steps of ten percent from 10 to 500, CTRL+PLUS,
// CTRL+MINUS and CTRL+0 as in other editors, and CTRL+wheel by whole notches. Each backend
// hands its keys and wheel to the editor procedure and scales its text as told.
#pragma once

#include "platform/Gui.h"

constexpr int kZoomStep = 10;
constexpr int kZoomMin = 10;
constexpr int kZoomMax = 500;
constexpr int kWheelNotch = 120;  // wheel delta of one notch, on both toolkits

bool IsZoomInRange(int percent);
// The zoom after a key, within the range.
int ZoomAfterKey(int zoom, ZoomKey key);
// The zoom after a CTRL+wheel delta. Touchpads and smooth wheels send parts of a notch: they
// add up in *parts to whole notches, and a turn the other way starts afresh.
int ZoomAfterWheel(int zoom, int delta, int* parts);
