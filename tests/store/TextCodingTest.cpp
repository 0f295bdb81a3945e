// Record bytes and editor text: which encoding a record is read in, what a save writes back,
// and, over generated texts, that every save decodes to exactly the text it was given.
#include <gtest/gtest.h>
#include <rapidcheck.h>

#include "base/RecordText.h"
#include "base/TextCoding.h"

namespace {

std::string Encoded(std::u16string_view text, TextEncoding preferred, TextEncoding* written = nullptr) {
    std::string bytes;
    TextEncoding used = EncodeRecordText(text, preferred, &bytes);
    if (written) *written = used;
    return bytes;
}

TEST(TextCoding, RecordsReadAndWriteBackInTheirOwnEncoding) {
    struct Case {
        std::string bytes;
        TextEncoding read;
        std::u16string shown;
        std::string savedAgain;  // what an unchanged text is stored as
    } cases[] = {
        {"plain\r\nlines", kEncodingUtf8, u"plain\nlines", "plain\r\nlines"},
        {"caf\xC3\xA9", kEncodingUtf8, u"café", "caf\xC3\xA9"},
        {"caf\xE9 \x80", kEncodingWindows1252, u"café €", "caf\xE9 \x80"},
        // The five bytes Windows-1252 leaves unassigned read back as themselves.
        {"\x81\x8D\x8F\x90\x9D", kEncodingWindows1252, u"\u0081\u008D\u008F\u0090\u009D", "\x81\x8D\x8F\x90\x9D"},
        // Lone CRs and LFs are line breaks, and stored as CR LF.
        {"a\rb\nc", kEncodingUtf8, u"a\nb\nc", "a\r\nb\r\nc"},
        {"\xE9\rb", kEncodingWindows1252, u"é\nb", "\xE9\r\nb"},
        // Line and paragraph separators are line breaks; the editor's frame marks are not text.
        {"a\xE2\x80\xA8"
         "b\xE2\x80\xA9"
         "c",
         kEncodingUtf8, u"a\nb\nc", "a\r\nb\r\nc"},
        {"\xEF\xB7\x90", kEncodingUtf8, u"\uFFFD", "\xEF\xBF\xBD"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.read, RecordEncoding(c.bytes)) << c.bytes;
        EXPECT_EQ(c.shown, DecodeRecordText(c.bytes)) << c.bytes;
        TextEncoding written;
        EXPECT_EQ(c.savedAgain, Encoded(c.shown, c.read, &written)) << c.bytes;
        EXPECT_EQ(c.read, written) << c.bytes;
    }
}

TEST(TextCoding, AWindows1252RecordBecomesUtf8OnlyWhenItMust) {
    TextEncoding written;
    // A character that Windows-1252 lacks.
    EXPECT_EQ("\xE2\x86\x92 \xC3\xA9", Encoded(u"→ é", kEncodingWindows1252, &written));
    EXPECT_EQ(kEncodingUtf8, written);
    // Windows-1252 bytes that are valid UTF-8 would read back as other text.
    EXPECT_EQ("\xC3\x83\xC2\xA9", Encoded(u"Ã©", kEncodingWindows1252, &written));
    EXPECT_EQ(kEncodingUtf8, written);
    EXPECT_EQ(u"Ã©", DecodeRecordText("\xC3\x83\xC2\xA9"));
    // A full Windows-1252 record keeps its size: as UTF-8 it would not fit.
    std::u16string full(32000, u'é');
    EXPECT_EQ(32000u, StoredSize(full, kEncodingWindows1252));
    EXPECT_EQ(64000u, StoredSize(full, kEncodingUtf8));
}

TEST(TextCoding, EditorInputIsCleanedOfWhatARecordCannotHold) {
    const std::u16string loneSurrogates = {u'a', 0xD800, u'b', 0xDC00};
    EXPECT_EQ(u"a\uFFFDb\uFFFD", CleanEditorText(loneSurrogates));
    EXPECT_EQ(u"😀", CleanEditorText(u"😀"));
    EXPECT_EQ(u"a\nb\nc\nd\n", CleanEditorText(u"a\r\nb\rc\u2028d\u2029"));
    EXPECT_EQ(u"ab", CleanEditorText(std::u16string(u"a\0b", 3)));
    EXPECT_EQ(u"\u00A0\t", CleanEditorText(u"\u00A0\t"));
}

// Texts mixing what changes form on the way to the disk.
rc::Gen<std::u16string> GenEditorText() {
    static const std::u16string kPieces[] = {u"a",      u"Zz9 ",   u"\r",     u"\n",     u"\r\n",  u"\t",
                                             u"\u00A0", u"\u2028", u"\u2029", u"é",      u"€",     u"\u0081",
                                             u"ÿŸ",     u"日本",   u"😀",      u"\uFDD0", u"\u0080"};
    // Sized to the whole range: inRange alone narrows with the size of the case.
    auto pick = rc::gen::resize(100, rc::gen::inRange<std::size_t>(0, std::size(kPieces)));
    return rc::gen::map(rc::gen::container<std::vector<std::size_t>>(pick), [](const std::vector<std::size_t>& picks) {
        std::u16string text;
        for (std::size_t pick : picks) text += kPieces[pick];
        return text;
    });
}

TEST(TextCoding, EverySaveDecodesToTheTextItWasGiven) {
    EXPECT_TRUE(rc::check("a cleaned text survives a save in either encoding", [] {
        std::u16string text = CleanEditorText(*GenEditorText());
        for (TextEncoding preferred : {kEncodingUtf8, kEncodingWindows1252}) {
            TextEncoding written;
            std::string bytes = Encoded(text, preferred, &written);
            RC_ASSERT(DecodeRecordText(bytes) == text);
            RC_ASSERT(RecordEncoding(bytes) == written);
            RC_ASSERT(StoredSize(text, preferred) == bytes.size());
            RC_ASSERT(bytes.find('\0') == std::string::npos);
        }
    }));
    EXPECT_TRUE(rc::check("any record bytes are stored again as they were, line breaks aside", [] {
        std::string bytes = *rc::gen::container<std::string>(rc::gen::resize(100, rc::gen::inRange<char>(1, 127)));
        std::string high = *rc::gen::container<std::string>(rc::gen::map(
            rc::gen::resize(100, rc::gen::inRange(0x80, 0x100)), [](int b) { return static_cast<char>(b); }));
        bytes += high;
        TextEncoding encoding = RecordEncoding(bytes);
        std::u16string text = DecodeRecordText(bytes);
        RC_ASSERT(CleanEditorText(text) == text);
        std::string again = Encoded(text, encoding);
        RC_ASSERT(DecodeRecordText(again) == text);
        if (encoding == kEncodingWindows1252 && bytes.find_first_of("\r\n") == std::string::npos)
            RC_ASSERT(again == bytes);
    }));
}

}  // namespace
