// The placement rules on rectangles: windows within the work area, beside or over their
// owner, the widest entries of a list, and the steps of Move and Size by keys.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Placement.h"
#include "ui/Placement.h"

namespace {

bool Same(const Rect& a, const Rect& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

std::string Show(const Rect& r) {
    return std::to_string(r.x) + "," + std::to_string(r.y) + " " + std::to_string(r.width) + "x" +
           std::to_string(r.height);
}

#define EXPECT_RECT(expected, actual) EXPECT_TRUE(Same(expected, actual)) << Show(actual)

const Rect kArea{0, 30, 640, 370};  // a 640 x 400 screen less a panel at the top

TEST(Placement, WindowsFitTheWorkArea) {
    EXPECT_RECT((Rect{10, 40, 200, 100}), FitIntoArea(Rect{10, 40, 200, 100}, kArea));  // inside: as it was
    EXPECT_RECT((Rect{440, 30, 200, 100}), FitIntoArea(Rect{600, -50, 200, 100}, kArea));
    // Larger than the area (the help window at twice the scale): shrunk to it.
    EXPECT_RECT((Rect{0, 30, 640, 370}), FitIntoArea(Rect{24, 24, 1264, 856}, kArea));
    EXPECT_RECT((Rect{0, 100, 640, 100}), FitIntoArea(Rect{-300, 100, 900, 100}, kArea));
    // An area of no size (no screen known) leaves the window alone.
    EXPECT_RECT((Rect{5, 6, 7, 8}), FitIntoArea(Rect{5, 6, 7, 8}, Rect{0, 0, 0, 0}));
}

TEST(Placement, BesideTheOwnerWhereThereIsRoomElseOverIt) {
    const Rect area{0, 0, 1280, 800};
    EXPECT_RECT((Rect{500, 50, 300, 200}), PlaceBeside(Rect{20, 50, 480, 300}, 300, 200, area));     // right
    EXPECT_RECT((Rect{20, 350, 300, 200}), PlaceBeside(Rect{20, 50, 1100, 300}, 300, 200, area));    // below
    EXPECT_RECT((Rect{200, 500, 300, 200}), PlaceBeside(Rect{500, 500, 780, 300}, 300, 200, area));  // left
    EXPECT_RECT((Rect{0, 300, 300, 200}), PlaceBeside(Rect{0, 500, 1280, 300}, 300, 200, area));     // above
    // Beside, but never past the area's bottom edge.
    EXPECT_RECT((Rect{500, 600, 300, 200}), PlaceBeside(Rect{20, 700, 480, 100}, 300, 200, area));
    // No room anywhere: centred over the owner; a window larger than the area is shrunk.
    EXPECT_RECT((Rect{490, 300, 300, 200}), PlaceBeside(Rect{0, 0, 1280, 800}, 300, 200, area));
    EXPECT_RECT((Rect{0, 30, 640, 370}), PlaceBeside(Rect{0, 30, 640, 370}, 1120, 760, kArea));
    EXPECT_RECT((Rect{0, 30, 214, 224}), CentreOver(Rect{-400, -100, 470, 300}, 214, 224, kArea));
}

TEST(Placement, TheLongestEntriesInOrder) {
    const std::vector<std::string> titles = {"a", "abcd", "ab", "abcd", "", "abc"};
    EXPECT_EQ((std::vector<std::size_t>{1, 3}), LongestEntries(titles, 2));
    EXPECT_EQ((std::vector<std::size_t>{1, 3, 5, 2, 0, 4}), LongestEntries(titles, 10));
    EXPECT_TRUE(LongestEntries(titles, 0).empty());
    EXPECT_TRUE(LongestEntries({}, 3).empty());
}

TEST(Placement, MoveByKeysStepsKeepsOrRestores) {
    PlacementByKeys p = StartPlacementByKeys(Rect{100, 100, 300, 200}, false, 200, 100, kArea);
    EXPECT_TRUE(StepPlacementByKeys(&p, kPlaceRight, false));
    EXPECT_TRUE(StepPlacementByKeys(&p, kPlaceDown, true));
    EXPECT_TRUE(StepPlacementByKeys(&p, kPlaceOther, false));
    EXPECT_RECT((Rect{108, 101, 300, 200}), p.current);
    int x, y;
    PlacementPointer(p, &x, &y);
    EXPECT_EQ(258, x);
    EXPECT_EQ(201, y);
    EXPECT_FALSE(StepPlacementByKeys(&p, kPlaceKeep, false));
    EXPECT_RECT((Rect{108, 101, 300, 200}), p.current);
    p = StartPlacementByKeys(Rect{100, 100, 300, 200}, false, 200, 100, kArea);
    StepPlacementByKeys(&p, kPlaceLeft, false);
    EXPECT_FALSE(StepPlacementByKeys(&p, kPlaceRestore, false));
    EXPECT_RECT((Rect{100, 100, 300, 200}), p.current);
    // The title bar stays in the work area: up stops at its top, left and right keep a grip.
    p = StartPlacementByKeys(Rect{0, 34, 300, 200}, false, 200, 100, kArea);
    for (int i = 0; i < 100; ++i) StepPlacementByKeys(&p, kPlaceUp, false);
    for (int i = 0; i < 100; ++i) StepPlacementByKeys(&p, kPlaceLeft, false);
    EXPECT_RECT((Rect{-236, 30, 300, 200}), p.current);
    for (int i = 0; i < 200; ++i) StepPlacementByKeys(&p, kPlaceRight, false);
    for (int i = 0; i < 200; ++i) StepPlacementByKeys(&p, kPlaceDown, false);
    EXPECT_RECT((Rect{576, 368, 300, 200}), p.current);
    // A window already past a bound is not pulled back by a step that way.
    p = StartPlacementByKeys(Rect{0, 10, 300, 200}, false, 200, 100, kArea);
    StepPlacementByKeys(&p, kPlaceUp, false);
    EXPECT_EQ(10, p.current.y);
}

TEST(Placement, SizeByKeysPicksAnEdgeThenMovesIt) {
    PlacementByKeys p = StartPlacementByKeys(Rect{100, 100, 300, 200}, true, 200, 100, kArea);
    StepPlacementByKeys(&p, kPlaceLeft, false);  // picks the left edge only
    EXPECT_RECT((Rect{100, 100, 300, 200}), p.current);
    EXPECT_EQ(unsigned(kEdgeLeft), p.edges);
    StepPlacementByKeys(&p, kPlaceLeft, false);
    EXPECT_RECT((Rect{92, 100, 308, 200}), p.current);
    StepPlacementByKeys(&p, kPlaceRight, true);  // the picked edge goes back, one pixel
    EXPECT_RECT((Rect{93, 100, 307, 200}), p.current);
    StepPlacementByKeys(&p, kPlaceDown, false);  // crosswise: the bottom edge too, a corner
    EXPECT_EQ(unsigned(kEdgeLeft | kEdgeBottom), p.edges);
    StepPlacementByKeys(&p, kPlaceDown, false);
    EXPECT_RECT((Rect{93, 100, 307, 208}), p.current);
    int x, y;
    PlacementPointer(p, &x, &y);
    EXPECT_EQ(93, x);
    EXPECT_EQ(307, y);
    // The minimum size holds, and the edges stop at the work area.
    for (int i = 0; i < 100; ++i) StepPlacementByKeys(&p, kPlaceRight, false);
    for (int i = 0; i < 100; ++i) StepPlacementByKeys(&p, kPlaceUp, false);
    EXPECT_RECT((Rect{200, 100, 200, 100}), p.current);
    for (int i = 0; i < 100; ++i) StepPlacementByKeys(&p, kPlaceLeft, false);
    for (int i = 0; i < 100; ++i) StepPlacementByKeys(&p, kPlaceDown, false);
    EXPECT_RECT((Rect{0, 100, 400, 300}), p.current);
    EXPECT_FALSE(StepPlacementByKeys(&p, kPlaceRestore, false));
    EXPECT_RECT((Rect{100, 100, 300, 200}), p.current);
}

}  // namespace
