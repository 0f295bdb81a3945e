// Where the program's windows go: beside or over the main window within the work area, and
// the steps of Move and Size by keyboard, as the classic window menu has them. Rectangle
// arithmetic only: the window menu (ui/WindowMenu.h) asks the backend for the rectangles.
#pragma once

#include "platform/Gui.h"
#include "platform/Rect.h"

// A window of the given outer size beside the owner, so that it covers none of it: right of
// it where the area has room, else below, left, above; with room for none, centred over it.
// Always within the area.
Rect PlaceBeside(Rect owner, int width, int height, Rect area);
// Centred over the owner, within the area.
Rect CentreOver(Rect owner, int width, int height, Rect area);

// The arrows move the window or, once the first arrow has picked an edge (a second, crosswise,
// a corner), move that edge; ENTER (or a click) keeps the new place, ESC puts the window back.
constexpr int kPlacementStep = 8;      // pixels per arrow
constexpr int kPlacementFineStep = 1;  // with CTRL

struct PlacementByKeys {
    bool sizing;
    Rect original;  // outer rectangle when the mode began
    Rect current;
    int minimumWidth;  // outer
    int minimumHeight;
    Rect area;       // the work area: the title bar stays in it, sizing stops at its edges
    unsigned edges;  // PlacementEdge bits chosen so far (sizing)
};

PlacementByKeys StartPlacementByKeys(Rect outer, bool sizing, int minimumWidth, int minimumHeight, Rect area);
// Applies a key; false once the mode is over (kept or restored). current is where the
// window belongs now; keys that mean nothing here change nothing.
bool StepPlacementByKeys(PlacementByKeys* placement, PlacementKey key, bool fine);
// Where the pointer shows the mode: the middle of the window while moving or before an edge
// is picked, else the middle of the picked edge, or the picked corner.
void PlacementPointer(const PlacementByKeys& placement, int* x, int* y);
