// Link detection over one line of editor text, and the target a click opens.
#include <gtest/gtest.h>

#include "editor/Links.h"

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
        {u"mailto:ann@example.com ftp://f.example news:comp.lang.c", {u"mailto:ann@example.com", u"ftp://f.example", u"news:comp.lang.c"}},
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

TEST(Links, TargetIsCutAndBareHostsGetAScheme) {
    EXPECT_EQ("http://www.example.com", LinkTarget("www.example.com"));
    EXPECT_EQ("mailto:a@b", LinkTarget("mailto:a@b"));
    std::string longLink = "http://" + std::string(600, 'a');
    EXPECT_EQ(511u, LinkTarget(longLink).size());
    std::string accented = "http://" + std::string(503, 'a') + "\xC3\xA9\xC3\xA9";  // a cut inside the second é
    EXPECT_EQ(511u - 1, LinkTarget(accented).size());
}

}  // namespace
