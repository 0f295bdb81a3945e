// Window placement as rectangle arithmetic: a window beside or over its owner, and the steps
// of Move and Size by keyboard.
#include "ui/Placement.h"

#include <algorithm>

#include "platform/Placement.h"

namespace {

// What of a window stays in the work area while it is moved by keys: enough of the title bar
// to take it with the mouse.
constexpr int kGripWidth = 64;
constexpr int kGripHeight = 32;

int Right(const Rect& r) { return r.x + r.width; }
int Bottom(const Rect& r) { return r.y + r.height; }

// One step of an edge or a position. A step outwards stops at the bound, and one already past
// it goes no further; the other way is always free, so nothing jumps back across the area.
int StepWithin(int value, int delta, int low, int high) {
    int moved = value + delta;
    if (delta < 0 && moved < low) return std::min(value, low);
    if (delta > 0 && moved > high) return std::max(value, high);
    return moved;
}

bool IsHorizontal(PlacementKey key) { return key == kPlaceLeft || key == kPlaceRight; }

}  // namespace

Rect CentreOver(Rect owner, int width, int height, Rect area) {
    return FitIntoArea(Rect{owner.x + (owner.width - width) / 2, owner.y + (owner.height - height) / 2, width, height},
                       area);
}

Rect PlaceBeside(Rect owner, int width, int height, Rect area) {
    Rect size = FitIntoArea(Rect{area.x, area.y, width, height}, area);
    width = size.width;
    height = size.height;
    auto at = [&](int x, int y) { return FitIntoArea(Rect{x, y, width, height}, area); };
    if (Right(owner) + width <= Right(area)) return at(Right(owner), owner.y);
    if (Bottom(owner) + height <= Bottom(area)) return at(owner.x, Bottom(owner));
    if (owner.x - width >= area.x) return at(owner.x - width, owner.y);
    if (owner.y - height >= area.y) return at(owner.x, owner.y - height);
    return CentreOver(owner, width, height, area);
}

PlacementByKeys StartPlacementByKeys(Rect outer, bool sizing, int minimumWidth, int minimumHeight, Rect area) {
    return PlacementByKeys{sizing, outer, outer, minimumWidth, minimumHeight, area, 0};
}

bool StepPlacementByKeys(PlacementByKeys* p, PlacementKey key, bool fine) {
    if (key == kPlaceKeep) return false;
    if (key == kPlaceRestore) {
        p->current = p->original;
        return false;
    }
    if (key == kPlaceOther) return true;
    int step = fine ? kPlacementFineStep : kPlacementStep;
    int delta = (key == kPlaceLeft || key == kPlaceUp) ? -step : step;
    Rect& r = p->current;
    const Rect& area = p->area;
    if (!p->sizing) {
        if (IsHorizontal(key))
            r.x = StepWithin(r.x, delta, area.x - r.width + std::min(r.width, kGripWidth),
                             Right(area) - std::min(r.width, kGripWidth));
        else r.y = StepWithin(r.y, delta, area.y, Bottom(area) - std::min(r.height, kGripHeight));
        return true;
    }
    // The first arrow of an axis picks its edge; the next ones move it.
    unsigned axis = IsHorizontal(key) ? (kEdgeLeft | kEdgeRight) : (kEdgeTop | kEdgeBottom);
    if (!(p->edges & axis)) {
        p->edges |= key == kPlaceLeft    ? kEdgeLeft
                    : key == kPlaceRight ? kEdgeRight
                    : key == kPlaceUp    ? kEdgeTop
                                         : kEdgeBottom;
        return true;
    }
    int right = Right(r), bottom = Bottom(r);
    if (p->edges & kEdgeLeft & axis) r.x = StepWithin(r.x, delta, area.x, right - p->minimumWidth);
    if (p->edges & kEdgeRight & axis) right = StepWithin(right, delta, r.x + p->minimumWidth, Right(area));
    if (p->edges & kEdgeTop & axis) r.y = StepWithin(r.y, delta, area.y, bottom - p->minimumHeight);
    if (p->edges & kEdgeBottom & axis) bottom = StepWithin(bottom, delta, r.y + p->minimumHeight, Bottom(area));
    r.width = right - r.x;
    r.height = bottom - r.y;
    return true;
}

void PlacementPointer(const PlacementByKeys& p, int* x, int* y) {
    const Rect& r = p.current;
    unsigned edges = p.sizing ? p.edges : 0;
    *x = edges & kEdgeLeft ? r.x : edges & kEdgeRight ? Right(r) - 1 : r.x + r.width / 2;
    *y = edges & kEdgeTop ? r.y : edges & kEdgeBottom ? Bottom(r) - 1 : r.y + r.height / 2;
}
