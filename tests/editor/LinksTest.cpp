// Link detection over one line of editor text, and the target a click opens.
#include <gtest/gtest.h>

#include "core/links/Links.h"

namespace {

std::vector<std::u16string> Links(const std::u16string& line) {
    std::vector<std::u16string> found;
    for (const LinkSpan& span : FindLinks(line))
        found.push_back(line.substr(static_cast<std::size_t>(span.start), static_cast<std::size_t>(span.length)));
    return found;
}

TEST(Links, SchemesAndExtents) {
    struct Case {
        std::u16string line;
        std::vector<std::u16string> links;
    } cases[] = {
        {u"see http://example.com.", {u"http://example.com"}},
        {u"HTTPS://Example.com/a?b=1&c=2#x, then", {u"HTTPS://Example.com/a?b=1&c=2#x"}},
        {u"mailto:ann@example.com ftp://f.example news:comp.lang.c",
         {u"mailto:ann@example.com", u"ftp://f.example", u"news:comp.lang.c"}},
        {u"telnet://host:23 file:///home/ann/notes.txt", {u"telnet://host:23", u"file:///home/ann/notes.txt"}},
        {u"(www.example.com/wiki/Jot_(card))!", {u"www.example.com/wiki/Jot_(card)"}},
        {u"\"http://quoted.example\"", {u"http://quoted.example"}},
        {u"<http://angle.example>", {u"http://angle.example"}},
        {u"http:// alone", {}},
        {u"xhttp://glued.example notwww.example", {}},
        {u"caf\u00e9 http://\u00fcnicode.example/\u00e9", {u"http://\u00fcnicode.example/\u00e9"}},
        {u"", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(c.links, Links(c.line));
}

// The manual's examples are written to be clicked: each is found as written, on this system's
// own manual (a local file is a drive path on Windows, a home folder elsewhere).
TEST(Links, TheManualsExamplesAreLinksAsWritten) {
    const std::string manual =
#include "ui/HelpText.inc"
        ;
    std::size_t section = manual.find("\nHYPERLINKS\n"), end = manual.find("\nOPEN\n");
    ASSERT_NE(std::string::npos, section);
    ASSERT_NE(std::string::npos, end);
    int examples = 0;
    std::size_t at = section;
    while ((at = manual.find("\n. ", at + 1)) < end) {
        std::string line = manual.substr(at + 1, manual.find('\n', at + 1) - at - 1);
        std::u16string text(line.begin(), line.end());
        for (const std::u16string& link : Links(text)) {
            ++examples;
            EXPECT_EQ(std::u16string::npos, link.find(u' ')) << line;
            EXPECT_TRUE(link.back() != u'.' && link.back() != u',') << line;
        }
#ifdef _WIN32
        EXPECT_EQ(std::string::npos, line.find("/home/")) << line;
#else
        EXPECT_EQ(std::string::npos, line.find("C:/")) << line;
#endif
        std::size_t file = line.find("file:");
        if (file != std::string::npos) {
            EXPECT_EQ(std::vector<std::u16string>{text.substr(file)}, Links(text)) << line;
        }
    }
    EXPECT_GE(examples, 6);
}

// A format character draws nothing or reorders what is drawn, so such a run shows an address
// other than the one it would open: it is no link, nor is any piece of it.
TEST(Links, FormatCharactersMakeARunNoLink) {
    const std::u16string hidden[] = {
        u"\u202E",     u"\u202A", u"\u202B", u"\u202C", u"\u202D", u"\u2066", u"\u2067", u"\u2068", u"\u2069",
        u"\u200B",     u"\u200C", u"\u200D", u"\u200E", u"\u200F", u"\u061C", u"\u2060", u"\u2064", u"\uFEFF",
        u"\u00AD",     u"\u180E", u"\uFFF9", u"\uFFFB", u"\u206F", u"\u034F", u"\uFE0F",
        u"\U000E0041",  // a tag letter, a surrogate pair
        u"\U0001D173",
    };
    for (const std::u16string& c : hidden) {
        EXPECT_EQ(std::vector<std::u16string>{}, Links(u"see http://bank.example" + c + u"/evil.example now"))
            << static_cast<int>(c[0]);
        EXPECT_EQ(std::vector<std::u16string>{}, Links(u"www." + c + u"bank.example")) << static_cast<int>(c[0]);
        EXPECT_EQ(std::vector<std::u16string>{}, Links(u"http://a.example/" + c)) << static_cast<int>(c[0]);
    }
    // Nothing inside a refused run is taken for a link of its own.
    EXPECT_EQ(std::vector<std::u16string>{}, Links(u"http://a.example\u200B/www.b.example/c"));
    // The characters next to them, and a lone surrogate, leave a link as it was.
    struct Case {
        std::u16string line;
        std::vector<std::u16string> links;
    } kept[] = {
        {u"http://a.example/\u00AC\u2010\u2070\uFE10\uFFFC", {u"http://a.example/\u00AC\u2010\u2070\uFE10\uFFFC"}},
        {u"http://a.example/\U0001F600", {u"http://a.example/\U0001F600"}},
        {std::u16string(u"http://a.example/") + static_cast<char16_t>(0xD800),
         {std::u16string(u"http://a.example/") + static_cast<char16_t>(0xD800)}},
        // A format character beside a link, across a blank, leaves it alone.
        {u"\u200B http://a.example \u200B", {u"http://a.example"}},
        {u"http://x.example/\u200B http://a.example", {u"http://a.example"}},
    };
    for (const Case& c : kept) EXPECT_EQ(c.links, Links(c.line));
}

// An embedding, override or isolate opened earlier in the line reorders a link after it; one
// that is closed again does not.
TEST(Links, LinksInsideAnOpenChangeOfDirectionAreNoLinks) {
    struct Case {
        std::u16string line;
        std::vector<std::u16string> links;
    } cases[] = {
        {u"\u202E http://moc.knab.example", {}},
        {u"\u2067x http://a.example", {}},
        {u"\u202B\u202E\u202C http://a.example", {}},                     // one PDF closes only the override
        {u"\u202E\u2069 http://a.example", {}},                           // a PDI with no isolate closes nothing
        {u"\u2066\u202E\u2069 http://a.example", {u"http://a.example"}},  // the PDI closes the override too
        {u"\u2066\u202C http://a.example", {}},                           // a PDF cannot close an isolate
        {u"\u202E\u202C http://a.example", {u"http://a.example"}},
        {u"\u202Eabc\u202C http://a.example \u202E", {u"http://a.example"}},
        {u"http://x.example\u202E http://a.example", {}},  // left open by a refused run
        {u"http://x.example\u202E\u202C http://a.example", {u"http://a.example"}},
    };
    for (const Case& c : cases) EXPECT_EQ(c.links, Links(c.line)) << c.line.size();
}

TEST(Links, TargetIsCutAndBareHostsGetAScheme) {
    EXPECT_EQ("http://www.example.com", LinkTarget("www.example.com"));
    EXPECT_EQ("mailto:a@b", LinkTarget("mailto:a@b"));
    std::string longLink = "http://" + std::string(600, 'a');
    EXPECT_EQ(511u, LinkTarget(longLink).size());
    std::string accented = "http://" + std::string(503, 'a') + "\xC3\xA9\xC3\xA9";  // a cut inside the second é
    EXPECT_EQ(511u - 1, LinkTarget(accented).size());
}

// A link is what a click opens, whole: one longer than the shell is handed, in UTF-8 bytes, is
// none (neither marked nor opened as a cut address).
TEST(Links, LinksLongerThanWhatOpensAreNoLinks) {
    std::u16string fits = u"http://" + std::u16string(504, u'a');
    EXPECT_EQ(1u, FindLinks(fits).size());
    EXPECT_TRUE(FindLinks(fits + u"a").empty());
    std::u16string accented = u"http://" + std::u16string(502, u'a') + u"\u00E9";  // 511 bytes
    EXPECT_EQ(1u, FindLinks(accented).size());
    EXPECT_TRUE(FindLinks(accented + u"\u00E9").empty());
    EXPECT_TRUE(FindLinks(u"http://" + std::u16string(170, u'\u20AC')).empty());  // 170 chars, 510 + 7 bytes
    EXPECT_EQ(1u, FindLinks(u"see http://" + std::u16string(700, u'a') + u" and www.b.c").size());
}

}  // namespace
