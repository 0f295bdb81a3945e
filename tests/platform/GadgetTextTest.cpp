// What both window backends do alike with their gadgets' text (platform/common/GuiSeams.h):
// the same table runs against the Qt build and the Windows one.
#include <gtest/gtest.h>

#include <string>

#include "platform/common/GuiSeams.h"

namespace {

// A field keeps at most its limit in UTF-16 units, and a character of two units across the
// limit is left out whole.
TEST(GadgetText, AFieldKeepsItsLimitWithoutHalfACharacter) {
    struct Case {
        std::u16string text;
        std::size_t limit, kept;
    } cases[] = {
        {u"abc", 5, 3},           {u"abcdef", 3, 3},       {u"", 0, 0},
        {u"abc", 0, 0},           {u"ab\U0001F600", 3, 2}, {u"ab\U0001F600", 4, 4},
        {u"ab\U0001F600c", 4, 4}, {u"\U0001F600", 1, 0},   {u"a\U0001F600b", 2, 1},
        {u"a\U0001F600b", 3, 3},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.kept, UnitsWithinLimit(c.text, c.limit)) << c.text.size() << " units, limit " << c.limit;
}

// A position is put within the text, and one between the halves of a character goes before it.
TEST(GadgetText, APositionNeverFallsInsideACharacter) {
    const std::u16string text = u"a\U0001F600b";  // a, the pair at 1 and 2, b at 3
    struct Case {
        int position, whole;
    } cases[] = {{-5, 0}, {0, 0}, {1, 1}, {2, 1}, {3, 3}, {4, 4}, {9, 4}};
    for (const Case& c : cases) EXPECT_EQ(c.whole, WholeCharacterPosition(text, c.position)) << c.position;
    EXPECT_EQ(0, WholeCharacterPosition(u"", 3));
    EXPECT_EQ(0, WholeCharacterPosition(u"\xDC00x", 0));  // a lone second half at the start
}

// A screen reader hears the title, then the line with its match.
TEST(GadgetText, AResultRowIsSpokenAsTitleAndLine) {
    EXPECT_EQ("Title: before match after", SpokenResultRow(ResultRow{"Title", "before ", "match", " after"}));
    EXPECT_EQ("Title: x", SpokenResultRow(ResultRow{"Title", "", "x", ""}));
    EXPECT_EQ("Title", SpokenResultRow(ResultRow{"Title", "", "", ""}));
    EXPECT_EQ(": line", SpokenResultRow(ResultRow{"", "line", "", ""}));
}

}  // namespace
