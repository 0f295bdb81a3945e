// The test main of the toolkit-free tests: the string table (and the file layer's texts from it)
// and the state, prepared once.
#include <gtest/gtest.h>

#include "base/AppState.h"
#include "base/StringTable.h"

int main(int argc, char** argv) {
    UnscrambleStrings();
    HandTextsToFileLayer();
    ResetAppState();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
