// Case folding and the word test, as the searches use them, on either backend: the same table
// runs against the toolkit on Linux and against the system on Windows.
#include <gtest/gtest.h>

#include <string>

#include "core/search/CaseFold.h"
#include "platform/CaseFolding.h"

namespace {

TEST(FoldCase, FoldsFullyWhateverTheBackend) {
    struct Case {
        std::u16string text, folded;
    } cases[] = {
        {u"ABC xyz 123", u"abc xyz 123"},
        {u"Stra\u00DFe STRASSE Stra\u1E9Ee", u"strasse strasse strasse"},
        {u"\u03A3\u03C3\u03C2", u"\u03C3\u03C3\u03C3"},    // capital, small and final sigma
        {u"\u212A\u00B5\u017F\u03D0", u"k\u03BCs\u03B2"},  // Kelvin sign, micro, long s, curled beta
        {u"\u2126\u212B", u"\u03C9\u00E5"},                // ohm and angstrom signs
        {u"\u00C9\u00C0\u00D6\u0106", u"\u00E9\u00E0\u00F6\u0107"},
        {u"\U00010400\U00010427", u"\U00010428\U0001044F"},  // Deseret, beyond the first plane
        {u"\u0130", u"\u0130"},                              // the dotted capital I stays
        {u"\uAB70\u13F8\u13A0", u"\u13A0\u13F0\u13A0"},      // Cherokee folds to its capitals
        {u"\u1C80\u1E9B", u"\u0432\u1E61"},                  // old Cyrillic be, long s with dot
        {u"\u65E5\u672C", u"\u65E5\u672C"},
        {u"A\xD801", u"a\xD801"},  // half of a pair at the end stays as it is
    };
    for (const Case& c : cases) EXPECT_EQ(c.folded, FoldCase(c.text)) << std::string(c.text.begin(), c.text.end());
}

// A combining mark (acute, dot below) is part of the word of the letter before it; half of a
// pair is nothing by itself.
TEST(FoldCase, WordPartsAreLettersDigitsMarksAndUnderscore) {
    for (char16_t c :
         {u'a', u'z', u'A', u'Z', u'0', u'9', u'_', u'\u00E9', u'\u03C3', u'\u65E5', u'\u0661', u'\u0301', u'\u0323'})
        EXPECT_TRUE(IsWordPart(c)) << int(c);
    for (char16_t c : {u' ', u'-', u'.', u'@', u'[', u'`', u'{', u'/', u':', u'\u00A0', u'\u2014', u'\u3002', u'\n',
                       u'\xD83D', u'\xDE00'})
        EXPECT_FALSE(IsWordPart(c)) << int(c);
}

}  // namespace
