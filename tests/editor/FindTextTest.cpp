// The search of the editor's text apart from any window, against the backend's own folding
// and word rules: terms beyond Latin script, folding that changes lengths, whole words, both
// directions. The same cases run on Linux and under Wine.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "ui/editor/FindText.h"

namespace {

std::pair<int, int> Find(std::u16string_view text, std::u16string_view term, int from, int flags) {
    int length = 0;
    int at = FindInText(text, term, from, flags, &length);
    return {at, at < 0 ? 0 : length};
}

TEST(FindText, TermsBeyondLatinScriptAreFoundEitherWay) {
    const std::u16string text =
        u"alpha \u03B1\u03B2\u03B3 \u4E2D\u6587 \u0391\u0392\u0393 \u03A3\u039F\u03A6\u038A\u0391 "
        u"\u03C3\u03BF\u03C6\u03AF\u03B1";
    const std::u16string greek = u"\u03B1\u03B2\u03B3", chinese = u"\u4E2D\u6587";
    EXPECT_EQ(std::make_pair(6, 3), Find(text, greek, 0, kFindDown));
    EXPECT_EQ(std::make_pair(13, 3), Find(text, greek, 9, kFindDown));  // the capitals, folded
    EXPECT_EQ(std::make_pair(-1, 0), Find(text, greek, 9, kFindDown | kFindMatchCase));
    EXPECT_EQ(std::make_pair(10, 2), Find(text, chinese, 0, kFindDown | kFindWholeWord));
    EXPECT_EQ(std::make_pair(10, 2), Find(text, chinese, 29, 0));
    EXPECT_EQ(std::make_pair(6, 3), Find(text, greek, 13, 0));
    // A word of Greek letters is one word: part of it is no whole word.
    EXPECT_EQ(std::make_pair(-1, 0), Find(text, u"\u03B1\u03B2", 0, kFindDown | kFindWholeWord));
    EXPECT_EQ(std::make_pair(17, 5), Find(text, u"\u03C3\u03BF\u03C6\u03AF\u03B1", 0, kFindDown | kFindWholeWord));
}

TEST(FindText, FoldingThatChangesLengthsLeadsBackToTheText) {
    const std::u16string text = u"Stra\u00DFe und STRASSE, gro\u1E9E";
    EXPECT_EQ(std::make_pair(0, 6), Find(text, u"strasse", 0, kFindDown));
    EXPECT_EQ(std::make_pair(11, 7), Find(text, u"strasse", 6, kFindDown));
    EXPECT_EQ(std::make_pair(0, 6), Find(text, u"STRASSE", 11, 0));
    EXPECT_EQ(std::make_pair(11, 7), Find(text, u"STRASSE", 0, kFindDown | kFindMatchCase));
    EXPECT_EQ(std::make_pair(4, 1), Find(text, u"ss", 0, kFindDown));
    EXPECT_EQ(std::make_pair(20, 4), Find(text, u"gross", 0, kFindDown | kFindWholeWord));
}

TEST(FindText, WholeWordsOverlapsAndEdges) {
    const std::u16string apples = u"apple pineapple apple_pie apple";
    EXPECT_EQ(std::make_pair(26, 5), Find(apples, u"apple", 1, kFindDown | kFindWholeWord));
    EXPECT_EQ(std::make_pair(0, 5), Find(apples, u"apple", 26, kFindWholeWord));
    EXPECT_EQ(std::make_pair(10, 5), Find(apples, u"apple", 1, kFindDown));
    // Backward, a match ends at or before where the search starts.
    EXPECT_EQ(std::make_pair(2, 2), Find(u"aaaa", u"aa", 4, 0));
    EXPECT_EQ(std::make_pair(1, 2), Find(u"aaaa", u"aa", 3, 0));
    EXPECT_EQ(std::make_pair(-1, 0), Find(u"aaaa", u"aa", 1, 0));
    EXPECT_EQ(std::make_pair(-1, 0), Find(u"aaaa", u"", 0, kFindDown));
    EXPECT_EQ(std::make_pair(-1, 0), Find(u"aaaa", u"a", 5, kFindDown));
    EXPECT_EQ(std::make_pair(-1, 0), Find(u"", u"a", 0, kFindDown));
    // A letter with a combining accent is one letter: a whole word neither ends inside it nor
    // leaves its accent out of the match.
    EXPECT_EQ(std::make_pair(-1, 0), Find(u"cafe\u0301 cafes", u"cafe", 0, kFindDown | kFindWholeWord));
    EXPECT_EQ(std::make_pair(0, 5), Find(u"cafe\u0301 cafes", u"cafe\u0301", 0, kFindDown | kFindWholeWord));
    // A term of several lines, a line break one character as in the editor.
    EXPECT_EQ(std::make_pair(4, 7), Find(u"one\ntwo\none\ntwo", u"two\none", 0, kFindDown));
}

}  // namespace
